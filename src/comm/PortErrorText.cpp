#include "comm/PortErrorText.h"

QString PortErrorText(QSerialPort::SerialPortError error, const QString &systemText)
{
    QString what;
    switch (error) {
    case QSerialPort::NoError: return {};
    case QSerialPort::DeviceNotFoundError: what = QStringLiteral("nicht vorhanden"); break;
    case QSerialPort::PermissionError: what = QStringLiteral("Zugriff verweigert"); break;
    case QSerialPort::OpenError: what = QStringLiteral("ist bereits geöffnet"); break;
    case QSerialPort::NotOpenError: what = QStringLiteral("ist nicht geöffnet"); break;
    case QSerialPort::WriteError: what = QStringLiteral("Schreibfehler"); break;
    case QSerialPort::ReadError: what = QStringLiteral("Lesefehler"); break;
    // A USB modem pulled out mid-session ends up here.
    case QSerialPort::ResourceError: what = QStringLiteral("nicht mehr erreichbar – Kabel oder Gerät entfernt?"); break;
    case QSerialPort::UnsupportedOperationError:
        what = QStringLiteral("Einstellung vom Gerät nicht unterstützt");
        break;
    case QSerialPort::TimeoutError: what = QStringLiteral("Zeitüberschreitung"); break;
    case QSerialPort::UnknownError: what = QStringLiteral("Fehler"); break;
    }
    const QString detail = GermanSystemText(systemText);
    if (detail.isEmpty() || detail.compare(what, Qt::CaseInsensitive) == 0)
        return what;
    return QStringLiteral("%1 (%2)").arg(what, detail);
}
