#pragma once
#include <QList>
#include <QString>

// The serial devices the modem search asks: every device the system has under
// /dev/serial/by-id first (USB modems, named by make, model and interface, the same name after
// every plug-in), then the USB, ACM and built-in ports no such link reaches. Each device once.

struct ProbeCandidate {
    // What is opened, and what a COM number is mapped to: the stable /dev/serial/by-id link
    // where there is one, else the device itself.
    QString path;
    QString device; // the device node the path reaches: /dev/ttyUSB2
    QString about;  // maker and product as the system reports them; may be empty
    bool hasIds = false;
    quint16 vendorId = 0; // USB vendor and product id, for a udev rule
    quint16 productId = 0;
    bool operator==(const ProbeCandidate &) const = default;
};

// A device as the system lists it, and a /dev/serial/by-id link with the device it reaches.
struct SystemPort {
    QString device;
    QString maker;
    QString product;
    bool hasIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
};
struct ByIdLink {
    QString link;
    QString device;
};

// The candidates in the order they are asked and listed. `consoles` ("ttyS0") are the
// kernel's consoles: what is written there lands in the system's log or at a login prompt,
// so they are left out.
QList<ProbeCandidate> ProbeCandidates(const QList<ByIdLink> &links, const QList<SystemPort> &ports,
                                      const QStringList &consoles = {});

// What the system has now; `byIdFolder` is where the stable links live, `consoleList` the
// file that names the active consoles.
QList<ProbeCandidate>
SystemProbeCandidates(const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"),
                      const QString &consoleList = QStringLiteral("/sys/class/tty/console/active"));
