#include "platform/PortMap.h"

#include "platform/SettingsStore.h"

QString DefaultPortDevice(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString PortDevice(int portNumber, const SettingsStore &settings)
{
    const QString mapped = settings.value(QString::fromUtf8(keys::PortsSection),
                                          QStringLiteral("COM%1").arg(portNumber), QString()).trimmed();
    return mapped.isEmpty() ? DefaultPortDevice(portNumber) : mapped;
}
