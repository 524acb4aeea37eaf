#include "comm/PortErrorText.h"

namespace {

struct Known {
    const char *english;
    const char *german;
};

// The strerror() texts a serial device gives on Linux, and Qt's own wordings.
const Known kSystemTexts[] = {
    {"Input/output error", "Ein-/Ausgabefehler"},
    {"No such file or directory", "Datei oder Gerät nicht gefunden"},
    {"No such device", "Gerät nicht vorhanden"},
    {"Device or resource busy", "Gerät ist belegt"},
    {"Permission denied", "Zugriff verweigert"},
    {"Operation not permitted", "Vorgang nicht erlaubt"},
    {"Inappropriate ioctl for device", "das Gerät ist keine serielle Schnittstelle"},
    {"Invalid argument", "ungültiger Wert"},
    {"Resource temporarily unavailable", "Gerät vorübergehend nicht verfügbar"},
    {"Broken pipe", "Verbindung unterbrochen"},
    {"No space left on device", "kein Platz mehr auf dem Datenträger"},
    {"File too large", "Datei zu groß"},
    {"Device not open", "Gerät nicht geöffnet"},
    {"Operation timed out", "Zeitüberschreitung"},
    {"Unknown error", "unbekannter Fehler"},
};

} // namespace

QString GermanSystemText(const QString &systemText)
{
    const QString text = systemText.trimmed();
    for (const Known &k : kSystemTexts) {
        if (text.compare(QLatin1String(k.english), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(k.german);
    }
    return text;
}

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
