#pragma once
#include "config/ModemProbe.h"
#include "platform/PortHolder.h"
#include "platform/RootRunner.h"

#include <QList>
#include <QString>
#include <functional>

// What the modem search tells about a device it could not use, and the ways out it offers:
// ModemManager holds or probes it (stop the service now, or have it ignore the device for
// good), or the device belongs to a group the user is not in (join it). Each way out is one
// command run as root through pkexec, shown to the user word for word before it runs.

// What is known about a device and the system around it.
struct PortFacts {
    QList<PortHolder> holders;    // processes seen holding the device
    QList<PortHolder> unreadable; // processes whose descriptors could not be looked at
    QList<qint64> modemManager;   // ModemManager processes running
    DeviceAccess access;
    QString launcher; // pkexec, empty when the system has none
};

// Looks: /proc (or a stand-in) for holders and ModemManager, the device for its group.
PortFacts GatherPortFacts(const ProbeResult &result, const QString &procRoot, const QString &launcher,
                          const std::function<DeviceAccess(const QString &device)> &access = &DeviceAccessOf);

enum class OfferKind { StopModemManager, IgnoreDevice, JoinGroup };

struct PortOffer {
    OfferKind kind;
    RootCommand command;
    QString question; // asked before it runs: what it does, the exact command line, "Ausführen?"
    QString done;     // said after it ran
};

struct PortAdvice {
    QString text; // the reason and what to do, with the exact commands
    QList<PortOffer> offers;
};

// The advice for one device of the search; empty text and no offers when all is well.
PortAdvice AdviceFor(const ProbeResult &result, const PortFacts &facts);

// The udev rule that has ModemManager ignore the USB device, and the file it goes in.
QString IgnoreRuleFile(quint16 vendorId, quint16 productId);
QByteArray IgnoreRule(quint16 vendorId, quint16 productId);
