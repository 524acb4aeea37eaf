#include "platform/SystemText.h"

#include <QHash>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <locale.h>
#endif

namespace {

struct Known {
    const char *english;
    const char *german;
};

// Qt's own wordings, which are no system texts: the serial port's and the I/O device's.
const Known kQtTexts[] = {
    {"No error", ""},
    {"Device is already open", "Gerät ist bereits geöffnet"},
    {"Device is not open", "Gerät nicht geöffnet"},
    {"Device not open", "Gerät nicht geöffnet"},
    {"Operation timed out", "Zeitüberschreitung"},
    {"Error reading from device", "Lesefehler"},
    {"Error writing to device", "Schreibfehler"},
    {"Invalid baud rate value", "ungültige Baudrate"},
    {"Unsupported open mode", "nicht unterstützte Öffnungsart"},
    {"Device disappeared from the system", "Gerät nicht mehr vorhanden"},
    {"Cannot set custom speed for one direction", "Baudrate nicht einstellbar"},
    {"No suitable custom baud rate divisor", "Baudrate nicht einstellbar"},
    {"Failed to create a lock file for opening the device", "Sperrdatei für das Gerät nicht anlegbar"},
    {"Permission error while creating lock file", "keine Berechtigung für die Sperrdatei"},
    {"Permission error while locking the device", "keine Berechtigung zum Sperren des Geräts"},
    {"Unknown error", "unbekannter Fehler"},
};

struct KnownErrno {
    int code;
    const char *german;
};

// The system errors a serial device, a file or a folder gives in practice.
const KnownErrno kErrnoTexts[] = {
    {EPERM, "Vorgang nicht erlaubt"},
    {ENOENT, "Datei oder Gerät nicht gefunden"},
    {EINTR, "Systemaufruf unterbrochen"},
    {EIO, "Ein-/Ausgabefehler"},
    {ENXIO, "Gerät oder Adresse nicht vorhanden"},
    {EBADF, "ungültiger Dateideskriptor"},
    {EAGAIN, "Gerät vorübergehend nicht verfügbar"},
    {ENOMEM, "nicht genug Speicher"},
    {EACCES, "Zugriff verweigert"},
    {EBUSY, "Gerät ist belegt"},
    {EEXIST, "Datei ist schon vorhanden"},
    {ENODEV, "Gerät nicht vorhanden"},
    {ENOTDIR, "ist kein Ordner"},
    {EISDIR, "ist ein Ordner"},
    {EINVAL, "ungültiger Wert"},
    {ENFILE, "zu viele offene Dateien im System"},
    {EMFILE, "zu viele offene Dateien"},
    {ENOTTY, "das Gerät ist keine serielle Schnittstelle"},
    {ETXTBSY, "Datei wird gerade benutzt"},
    {EFBIG, "Datei zu groß"},
    {ENOSPC, "kein Platz mehr auf dem Datenträger"},
    {EROFS, "Dateisystem nur lesbar"},
    {EPIPE, "Verbindung unterbrochen"},
    {ENAMETOOLONG, "Name zu lang"},
    {ELOOP, "zu viele symbolische Verknüpfungen"},
    {EPROTO, "Protokollfehler"},
    {EOVERFLOW, "Wert zu groß"},
    {EOPNOTSUPP, "Vorgang nicht unterstützt"},
    {ETIMEDOUT, "Zeitüberschreitung"},
    {EDQUOT, "Speicherkontingent überschritten"},
    {ESTALE, "veraltete Dateiverbindung"},
};

// Linux numbers its errors below 134; a margin does no harm.
constexpr int kLastErrno = 200;

// The error number each system text stands for, in English (the C locale) and in the language
// the program runs in, which the C library may have translated already.
const QHash<QString, int> &errnoByText()
{
    static const QHash<QString, int> map = [] {
        QHash<QString, int> m;
#ifdef Q_OS_UNIX
        const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
#endif
        for (int e = 1; e <= kLastErrno; ++e) {
#ifdef Q_OS_UNIX
            if (c)
                m.insert(QString::fromLocal8Bit(::strerror_l(e, c)).toLower(), e);
#endif
            m.insert(QString::fromLocal8Bit(std::strerror(e)).toLower(), e);
        }
#ifdef Q_OS_UNIX
        if (c)
            ::freelocale(c);
#endif
        return m;
    }();
    return map;
}

QString errnoText(int e)
{
    for (const KnownErrno &k : kErrnoTexts) {
        if (k.code == e)
            return QString::fromUtf8(k.german);
    }
    return QStringLiteral("Systemfehler Nr. %1").arg(e);
}

} // namespace

QString GermanSystemText(const QString &systemText)
{
    const QString text = systemText.trimmed();
    if (text.isEmpty())
        return {};
    for (const Known &k : kQtTexts) {
        if (text.compare(QLatin1String(k.english), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(k.german);
    }
    const auto found = errnoByText().constFind(text.toLower());
    if (found != errnoByText().constEnd())
        return errnoText(found.value());
    // The C library's text for a number it has no name for.
    static const QRegularExpression unknownNumber(QStringLiteral("^Unknown error (-?\\d+)$"),
                                                  QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = unknownNumber.match(text);
    if (m.hasMatch())
        return QStringLiteral("Systemfehler Nr. %1").arg(m.captured(1));
    // A text nobody here knows is still no reason to show the user English.
    return QStringLiteral("unbekannter Fehler");
}
