#pragma once
// The quirks of widely used modems: each profile is a small table of what it does differently
// from the standard behaviour of the simulated modem. Where each quirk is known from:
// tools/modemsim/README.md.

#include <QByteArray>
#include <QList>

namespace modemsim {

// An unsolicited line and its pause after the line before it.
struct TimedLine {
    int delayMs = 0;
    QByteArray line;
};

struct Profile {
    const char *name = "";
    const char *summary = "";                 // one line for --help
    QByteArray manufacturer, model, revision; // empty: the simulator's own
    QList<QByteArray> unknownCommands;        // answered with plain ERROR, as commands it does not have
    QList<QByteArray> charsets;               // offered by +CSCS; empty: the standard's six
    QByteArray charset;                       // +CSCS at power-up; empty: "IRA"
    QByteArray storage;                       // <mem1>, <mem2>, <mem3> of +CPMS at power-up; empty: "SM"
    QList<TimedLine> bootLines;               // sent at power-up
    bool bootSimState = false;                // "+CPIN: SIM PIN" among them while the SIM asks for its PIN
    QList<TimedLine> simReadyLines;           // sent once the SIM is open (after the PIN, or at power-up)
    QList<QByteArray> periodicLines;          // sent in turn, one every periodMs, at any moment
    int periodMs = 0;
    QList<QByteArray> mixLines; // put inside every mixEvery-th answer, in turn
    int mixEvery = 0;
    int wrongCentreError = 0;   // +CMS ERROR of a send whose service centre is not the network's
    bool echoOnReset = false;   // ATZ turns echo on whatever AT&W stored
    QByteArray storageFullLine; // when a message finds the storage full; %1: the storage
    // Message commands are refused with plain ERROR from the moment the SIM opens until this
    // line (one of simReadyLines) has been sent; empty: they work at once.
    QByteArray smsReadyLine;
};

// The profiles by name ("siemens", "huawei", "quectel", "simcom"); nothing for another name.
const Profile *findProfile(const QByteArray &name);
const QList<Profile> &profiles();
// "siemens, huawei, quectel, simcom"
QByteArray profileNames();

} // namespace modemsim
