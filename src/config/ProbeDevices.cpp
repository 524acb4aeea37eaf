#include "config/ProbeDevices.h"

#include "config/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

QString aboutText(const SystemPort &p)
{
    return SerialDevices::aboutText({p.device, p.maker, p.product});
}

ProbeCandidate candidate(const QString &path, const QString &device, const SystemPort *port)
{
    ProbeCandidate c;
    c.path = path;
    c.device = device;
    if (port) {
        c.about = aboutText(*port);
        c.hasIds = port->hasIds;
        c.vendorId = port->vendorId;
        c.productId = port->productId;
    }
    return c;
}

} // namespace

QList<ProbeCandidate> ProbeCandidates(const QList<ByIdLink> &links, const QList<SystemPort> &ports,
                                      const QStringList &consoles)
{
    QList<ByIdLink> byName = links;
    std::stable_sort(byName.begin(), byName.end(),
                     [](const ByIdLink &a, const ByIdLink &b) { return a.link < b.link; });
    const auto portOf = [&ports](const QString &device) -> const SystemPort * {
        for (const SystemPort &p : ports) {
            if (p.device == device)
                return &p;
        }
        return nullptr;
    };

    QList<ProbeCandidate> out;
    QStringList taken;
    for (const QString &c : consoles)
        taken << QStringLiteral("/dev/") + c;
    for (const ByIdLink &l : byName) {
        if (l.device.isEmpty() || taken.contains(l.device))
            continue;
        taken << l.device;
        out << candidate(l.link, l.device, portOf(l.device));
    }
    QList<SerialDevice> rest;
    for (const SystemPort &p : ports) {
        if (!taken.contains(p.device))
            rest << SerialDevice{p.device, p.maker, p.product};
    }
    for (const SerialDevice &d : SerialDevices::modemDevices(rest)) {
        if (taken.contains(d.path))
            continue;
        taken << d.path;
        out << candidate(d.path, d.path, portOf(d.path));
    }
    return out;
}

QList<ProbeCandidate> SystemProbeCandidates(const QString &byIdFolder, const QString &consoleList)
{
    QStringList consoles;
    QFile active(consoleList);
    if (active.open(QIODevice::ReadOnly))
        consoles = QString::fromLatin1(active.read(1024)).simplified().split(u' ', Qt::SkipEmptyParts);
    QList<ByIdLink> links;
    const QDir byId(byIdFolder);
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            links << ByIdLink{link.absoluteFilePath(), device};
    }
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SystemPort p;
        p.device = info.systemLocation();
        p.maker = info.manufacturer();
        p.product = info.description();
        p.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        p.vendorId = info.vendorIdentifier();
        p.productId = info.productIdentifier();
        ports << p;
    }
    return ProbeCandidates(links, ports, consoles);
}
