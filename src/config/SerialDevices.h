#pragma once
#include <QList>
#include <QString>

// The serial devices of the system a modem may sit on, for the device choice of the port
// settings dialog: USB modems (/dev/ttyUSB*, /dev/ttyACM*) first, then the built-in ports
// (/dev/ttyS*), each with the maker and product the system reports.
struct SerialDevice {
    QString path;
    QString maker;
    QString product;
};

class SerialDevices {
public:
    // What the system has now.
    static QList<SerialDevice> available();

    // Whether a device name ("ttyUSB0", "/dev/ttyACM1") is one a modem may sit on.
    static bool isModemDevice(const QString &name);
    // Only the modem devices, USB before ACM before the built-in ports, by number within each.
    static QList<SerialDevice> modemDevices(QList<SerialDevice> devices);

    // Maker and product in one: "Huawei E3372"; empty when the system names neither.
    static QString aboutText(const SerialDevice &device);
    // The entry as the drop-down shows it: "/dev/ttyUSB0 – Huawei E3372", or the bare path.
    static QString choiceText(const SerialDevice &device);
    // The device path back out of an entry or of what the user typed.
    static QString pathFromChoice(const QString &text);
};
