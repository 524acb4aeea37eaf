#pragma once
#include "comm/SerialBackend.h"
#include "config/ProbeDevices.h"
#include "modem/PinGuard.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The modem search: every candidate device is opened and asked "AT" at the usual speeds, all
// devices side by side, each with its own short time-outs. One that answers OK is asked who it
// is (AT+CGMI, AT+CGMM) and whether its SIM is there (AT+CPIN?). Nothing else is ever sent: no
// ATE0 or other setting, no PIN, no IMEI query. Every port opened is closed again, whatever
// the device did: answered garbage, echoed forever, answered too late, went away.

enum class ProbeOutcome {
    Modem,    // answered OK
    NoAnswer, // opened, but no OK at any speed in time
    Busy,     // another program holds it
    Denied,   // the user may not open it
    Missing,  // gone before it could be opened
    Gone,     // went away while it was asked
    OwnPort,  // this program has it open: not disturbed
    Failed,   // could not be opened for another reason
    Stopped,  // the search was stopped before it ended
};

struct ProbeResult {
    ProbeCandidate candidate;
    ProbeOutcome outcome = ProbeOutcome::NoAnswer;
    int speed = 0;  // the speed it answered at
    QString maker;  // AT+CGMI, "" when it would not say
    QString model;  // AT+CGMM
    SimState sim;   // AT+CPIN?; NoAnswer when not asked or not answered
    QString detail; // why it could not be opened, as the port said it
};

// The result column: "Modem", "keine Antwort", "belegt", ...
QString ProbeOutcomeText(const ProbeResult &result);
// The SIM column: "bereit", "PIN nötig", "gesperrt (PUK)", "keine SIM-Karte", ...; empty for
// a device that is no modem.
QString ProbeSimText(const ProbeResult &result);

class ModemProbe {
public:
    // A fresh port object for the device at `path` (not yet opened).
    using PortMaker = std::function<std::unique_ptr<SerialBackend>(const QString &path)>;

    // Tried in this order: modern USB modems run at 115200 or ignore the speed; old modems and
    // modules left at their factory setting answer at 9600.
    static const QList<int> &speeds();
    // How long a speed waits for its OK, and an identity query for its answer.
    static constexpr double kAtSeconds = 0.5;
    static constexpr double kQuerySeconds = 1.5;
    // The whole search ends by then, whatever the devices do: 5 speeds and 3 queries fit
    // with room to spare.
    static constexpr double kBudgetSeconds = 9.0;

    // Who else has the device open, in words; empty when nobody (that can be seen) has.
    using InUse = std::function<QString(const QString &device)>;

    // `ownDevices`: devices this program has open; they are listed, not opened. A device
    // another program has open (`inUse`) is listed as busy and not opened either: a terminal
    // program or a login prompt on a serial console would take the AT as its own input.
    ModemProbe(QList<ProbeCandidate> candidates, PortMaker makePort, QStringList ownDevices = {},
               const InUse &inUse = {});
    ~ModemProbe();
    ModemProbe(const ModemProbe &) = delete;
    ModemProbe &operator=(const ModemProbe &) = delete;

    // Asks every device until all have ended, the budget is spent or `stop` says so, yielding
    // to the event queue between steps. `progress` hears how many of how many have ended.
    void run(const std::function<void(int ended, int total)> &progress = {}, const std::function<bool()> &stop = {});
    QList<ProbeResult> results() const;

private:
    class Device;
    std::vector<std::unique_ptr<Device>> m_devices;
    PortMaker m_makePort;
};
