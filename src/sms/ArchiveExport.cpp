#include "sms/ArchiveExport.h"

#include "text/TextFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

namespace {

QByteArray csvField(const QString &value, bool number)
{
    QString v = value;
    // A text beginning like a formula would be run by the spreadsheet ("=HYPERLINK(...)").
    if (!number && !v.isEmpty() && QStringLiteral("=+-@").contains(v.front()))
        v.prepend(u'\'');
    v.replace(u'"', QStringLiteral("\"\""));
    return '"' + v.toUtf8() + '"';
}

// RFC 5322 date in English, whatever the user's language.
QByteArray mailDate(const QDateTime &stamp)
{
    return QLocale::c().toString(stamp, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toLatin1() + " +0000";
}

// A header value as an RFC 2047 encoded word when it is not plain ASCII.
QByteArray headerText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 126 || c.unicode() < 32)
            return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
    }
    return text.toLatin1();
}

} // namespace

QByteArray ArchiveCsv(const QList<ExportedSms> &messages)
{
    QByteArray out = "\xEF\xBB\xBF\"Datum\",\"Uhrzeit\",\"Telefonnr.\",\"Name\",\"Status\",\"Text\"\r\n";
    for (const ExportedSms &m : messages) {
        out += csvField(m.date, false) + ',' + csvField(m.time, false) + ',' + csvField(m.number, true) + ',' +
               csvField(m.name, false) + ',' + csvField(m.state, false) + ',' + csvField(m.text, false) + "\r\n";
    }
    return out;
}

QByteArray ArchiveMbox(const QList<ExportedSms> &messages)
{
    static const QRegularExpression fromLine(QStringLiteral("^(>*From )"), QRegularExpression::MultilineOption);
    QByteArray out;
    for (const ExportedSms &m : messages) {
        const QString sender = m.name.isEmpty() ? m.number : m.name + QStringLiteral(" <") + m.number + u'>';
        // The envelope sender is one word; a number is, a name may not be.
        QString envelope = m.number;
        envelope.replace(QRegularExpression(QStringLiteral("\\s")), QStringLiteral("_"));
        if (envelope.isEmpty())
            envelope = QStringLiteral("unbekannt");
        out += "From " + envelope.toUtf8() + ' ' +
               QLocale::c().toString(m.stamp, QStringLiteral("ddd MMM d HH:mm:ss yyyy")).toLatin1() + '\n';
        const bool received = m.state.isEmpty() || m.state == u"empfangen";
        out += (received ? "From: " : "To: ") + headerText(sender) + '\n';
        out += "Date: " + mailDate(m.stamp) + '\n';
        out += "Subject: " +
               headerText((received ? QStringLiteral("SMS von ") : QStringLiteral("SMS an ")) +
                          (m.name.isEmpty() ? m.number : m.name) + (received ? QString() : QStringLiteral(" (") + m.state + u')')) +
               '\n';
        out += "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n\n";
        QString body = m.text;
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        body.replace(fromLine, QStringLiteral(">\\1"));
        out += body.toUtf8() + "\n\n";
    }
    return out;
}

QByteArray ArchiveJson(const QList<ExportedSms> &messages)
{
    QJsonArray rows;
    for (const ExportedSms &m : messages) {
        rows.append(QJsonObject{{QStringLiteral("datum"), m.date},
                                {QStringLiteral("uhrzeit"), m.time},
                                {QStringLiteral("telefonnr"), m.number},
                                {QStringLiteral("name"), m.name},
                                {QStringLiteral("status"), m.state},
                                {QStringLiteral("text"), m.text}});
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

bool WriteArchiveExport(const QString &path, const QList<ExportedSms> &messages, QString *error)
{
    const bool mbox = path.endsWith(QStringLiteral(".mbox"), Qt::CaseInsensitive);
    return TextFileWriteBytes(path, mbox ? ArchiveMbox(messages) : ArchiveCsv(messages), error);
}
