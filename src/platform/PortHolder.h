#pragma once
#include <QList>
#include <QString>

// Why a serial device cannot be opened, told so the user knows what to do. On Linux a USB
// modem is often held by ModemManager, which probes every new ttyUSB/ttyACM device, and the
// device belongs to the group dialout.

struct PortHolder {
    qint64 pid = 0;
    QString name; // the process's command name, as in /proc/<pid>/comm
    // The process serves the device: it holds the master side of the pseudo-terminal the device
    // is (a simulated modem, a network-to-serial server). Ending it ends the port itself.
    bool serves = false;
    bool operator==(const PortHolder &) const = default;
};

// The processes with an open descriptor on `device` (symbolic links followed), found by the
// links in <procRoot>/<pid>/fd, and, where the device is a pseudo-terminal /dev/pts/<n>, the
// processes holding its master (a /dev/ptmx descriptor whose <procRoot>/<pid>/fdinfo names
// tty-index n). Processes whose descriptors may not be read (another user's) are skipped;
// those named in `unreadable` when given.
QList<PortHolder> FindPortHolders(const QString &device, const QString &procRoot = QStringLiteral("/proc"),
                                  QList<PortHolder> *unreadable = nullptr);

// The sentence for "port in use": who holds the device and how to end it, or, when no holder
// can be seen, the ModemManager service that likely holds it; empty when neither is found. A
// process that serves the device is named as such and never offered for ending.
QString PortHolderHint(const QString &device, const QString &procRoot = QStringLiteral("/proc"));
// The sentence from what was found, without looking.
QString PortHolderText(const QList<PortHolder> &holders, const QList<PortHolder> &unreadable);

// The processes of that command name (/proc/<pid>/comm) running now, by number.
QList<qint64> ProcessesNamed(const QString &name, const QString &procRoot = QStringLiteral("/proc"));

// Who may open a device: the group it belongs to, this process's user, whether /etc/group lists
// the user in it, and whether this process already has it (a group joined since the login has
// not). Empty group when the device cannot be looked at.
struct DeviceAccess {
    QString group;
    QString user;
    bool listedInGroup = false;
    bool processHasGroup = false;
};
DeviceAccess DeviceAccessOf(const QString &device);

// The sentence for "permission denied": which group the device belongs to and what the user
// must do to join it; empty when the group is not what keeps the user out.
QString PortAccessHint(const QString &device);
// The sentence from the facts: the device's group, the user, whether /etc/group lists the
// user in it, and whether this process already has it.
QString PortAccessText(const QString &group, const QString &user, bool listedInGroup, bool processHasGroup);
