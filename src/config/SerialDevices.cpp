#include "config/SerialDevices.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

// Between the path and the description in a drop-down entry.
const QString kSeparator = QStringLiteral(" – ");

const QRegularExpression &modemName()
{
    static const QRegularExpression re(QStringLiteral("^(?:/dev/)?tty(USB|ACM|S)(\\d+)$"));
    return re;
}

// Sort key: the kind (USB, ACM, S) and the number, so ttyS10 follows ttyS9.
std::pair<int, int> rank(const QString &path)
{
    const auto m = modemName().match(path);
    static const QStringList kinds{"USB", "ACM", "S"};
    return {int(kinds.indexOf(m.captured(1))), m.captured(2).toInt()};
}

} // namespace

QList<SerialDevice> SerialDevices::available()
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << SerialDevice{info.systemLocation(), info.manufacturer(), info.description()};
    return modemDevices(devices);
}

bool SerialDevices::isModemDevice(const QString &name)
{
    return modemName().match(name).hasMatch();
}

QList<SerialDevice> SerialDevices::modemDevices(QList<SerialDevice> devices)
{
    devices.removeIf([](const SerialDevice &d) { return !isModemDevice(d.path); });
    std::stable_sort(devices.begin(), devices.end(),
                     [](const SerialDevice &a, const SerialDevice &b) { return rank(a.path) < rank(b.path); });
    return devices;
}

QString SerialDevices::aboutText(const SerialDevice &device)
{
    const QString maker = device.maker.trimmed();
    const QString product = device.product.trimmed();
    // Drivers often repeat the maker in the product name.
    return product.startsWith(maker, Qt::CaseInsensitive) ? product : (maker + QLatin1Char(' ') + product).trimmed();
}

QString SerialDevices::choiceText(const SerialDevice &device)
{
    const QString about = aboutText(device);
    return about.isEmpty() ? device.path : device.path + kSeparator + about;
}

QString SerialDevices::pathFromChoice(const QString &text)
{
    const qsizetype cut = text.indexOf(kSeparator);
    return (cut < 0 ? text : text.left(cut)).trimmed();
}
