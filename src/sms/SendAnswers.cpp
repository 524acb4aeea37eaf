#include "sms/SendAnswers.h"

#include "sms/ReceiveAnswers.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The usual refusals of a send (27.005 3.2.5; 1..255 are the network's causes of 24.011 and
// 23.040), with the verbose text a modem gives with AT+CMEE=2.
struct CmsError {
    int code;
    const char *verbose;
    const char *german;
};
constexpr CmsError kCmsErrors[] = {
    {1, "unassigned (unallocated) number", "Nummer nicht vergeben"},
    {8, "operator determined barring", "vom Netzbetreiber gesperrt"},
    {10, "call barred", "Sperre aktiv"},
    {21, "short message transfer rejected", "vom Netz abgewiesen"},
    {27, "destination out of service", "Empfänger nicht erreichbar"},
    {28, "unidentified subscriber", "Empfänger unbekannt"},
    {29, "facility rejected", "Dienst abgelehnt"},
    {30, "unknown subscriber", "Empfänger unbekannt"},
    {38, "network out of order", "Netz gestört"},
    {41, "temporary failure", "vorübergehende Störung im Netz"},
    {42, "congestion", "Netz überlastet"},
    {47, "resources unavailable, unspecified", "keine Netzmittel frei"},
    {50, "requested facility not subscribed", "Dienst nicht gebucht"},
    {69, "requested facility not implemented", "Dienst nicht verfügbar"},
    {81, "invalid short message transfer reference value", "ungültige Nachrichtenreferenz"},
    {95, "invalid message, unspecified", "ungültige Nachricht"},
    {96, "invalid mandatory information", "Pflichtangabe fehlt oder ist falsch"},
    {111, "protocol error, unspecified", "Protokollfehler"},
    {127, "interworking, unspecified", "Fehler im Netzübergang"},
    {143, "unspecified tp-pid error", "Protokollkennung abgelehnt"},
    {144, "data coding scheme (alphabet) not supported", "Kodierung nicht unterstützt"},
    {145, "message class not supported", "Nachrichtenklasse nicht unterstützt"},
    {159, "unspecified tp-dcs error", "Kodierung abgelehnt"},
    {176, "tpdu not supported", "Nachrichtenformat nicht unterstützt"},
    {192, "sc busy", "Kurzmitteilungszentrale ausgelastet"},
    {193, "no sc subscription", "kein Vertrag mit der Kurzmitteilungszentrale"},
    {194, "sc system failure", "Kurzmitteilungszentrale gestört"},
    {195, "invalid sme address", "ungültige Empfängernummer"},
    {196, "destination sme barred", "Empfänger gesperrt"},
    {197, "sm rejected-duplicate sm", "doppelte Nachricht abgewiesen"},
    {198, "tp-vpf not supported", "Gültigkeitsangabe nicht unterstützt"},
    {199, "tp-vp not supported", "Gültigkeitsdauer nicht unterstützt"},
    {255, "unspecified error cause", "unbekannter Fehler"},
    {300, "me failure", "Fehler im Modem"},
    {301, "sms service of me reserved", "SMS-Dienst des Modems belegt"},
    {302, "operation not allowed", "Vorgang nicht erlaubt"},
    {303, "operation not supported", "Vorgang nicht unterstützt"},
    {304, "invalid pdu mode parameter", "ungültige Angabe im PDU-Modus"},
    {305, "invalid text mode parameter", "ungültige Angabe im Textmodus, Text zu lang oder Zeichen nicht erlaubt"},
    {310, "sim not inserted", "keine SIM-Karte eingelegt"},
    {311, "sim pin required", "SIM-PIN erforderlich"},
    {312, "ph-sim pin required", "Geräte-PIN erforderlich"},
    {313, "sim failure", "SIM-Karte defekt"},
    {314, "sim busy", "SIM-Karte beschäftigt"},
    {315, "sim wrong", "falsche SIM-Karte"},
    {316, "sim puk required", "SIM-PUK erforderlich"},
    {320, "memory failure", "Speicherfehler"},
    {322, "memory full", "Speicher voll"},
    {330, "smsc address unknown", "Nummer der Kurzmitteilungszentrale unbekannt"},
    {331, "no network service", "kein Netz"},
    {332, "network timeout", "Zeitüberschreitung im Netz"},
    {500, "unknown error", "unbekannter Fehler"},
};

QString simplified(QStringView s)
{
    return s.toString().simplified().toLower();
}

// The fields behind "<prefix>:", split at the commas outside quotes.
std::optional<QStringList> fieldsAfter(QStringView line, QLatin1StringView prefix)
{
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(prefix))
        return std::nullopt;
    return HeaderFields(trimmed.mid(prefix.size()).trimmed().toString());
}

std::optional<int> number(const QString &field, int low, int high)
{
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

bool looksLikeStamp(const QString &s)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d,\\d\\d:\\d\\d:\\d\\d([+-]\\d{1,2})?$"));
    return stamp.match(s.trimmed()).hasMatch();
}

// The last seven fields of a text-mode report: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>.
std::optional<StatusReport> reportFromFields(const QStringList &f)
{
    if (f.size() < 7)
        return std::nullopt;
    const QStringList r = f.mid(f.size() - 7);
    const auto fo = number(r[0], 0, 255);
    const auto mr = number(r[1], 0, 255);
    const auto st = number(r[6], 0, 255);
    if (!fo || !mr || !st || !looksLikeStamp(r[4]) || !looksLikeStamp(r[5]))
        return std::nullopt;
    StatusReport report;
    report.firstOctet = *fo;
    report.reference = *mr;
    report.recipient = r[2].trimmed();
    report.typeOfNumber = number(r[3], 0, 255).value_or(0);
    if (report.typeOfNumber == 145 && !report.recipient.isEmpty() && !report.recipient.startsWith(u'+'))
        report.recipient.prepend(u'+');
    report.scts = r[4].trimmed();
    report.dischargeTime = r[5].trimmed();
    report.status = *st;
    return report;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

std::optional<QByteArray> octetsOf(QStringView hex)
{
    hex = hex.trimmed();
    if (hex.size() % 2)
        return std::nullopt;
    QByteArray out;
    out.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.append(char(high << 4 | low));
    }
    return out;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// A semi-octet swapped pair of digits (23.040 9.1.2.3).
int swapped(uchar o)
{
    return (o & 0x0F) * 10 + (o >> 4);
}

// TP-SCTS and TP-DT (23.040 9.2.3.11): year, month, day, hour, minute, second and the zone in
// quarter hours, its sign in bit 3 of the swapped octet.
QString stampOf(const uchar *o)
{
    const int quarters = (o[6] & 0x07) * 10 + (o[6] >> 4);
    const QChar sign = (o[6] & 0x08) ? u'-' : u'+';
    return QStringLiteral("%1/%2/%3,%4:%5:%6%7%8")
        .arg(twoDigits(swapped(o[0])), twoDigits(swapped(o[1])), twoDigits(swapped(o[2])), twoDigits(swapped(o[3])),
             twoDigits(swapped(o[4])), twoDigits(swapped(o[5])), QString(sign), twoDigits(quarters));
}

QString digitsOf(QStringView number)
{
    QString digits;
    for (const QChar c : number) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

} // namespace

std::optional<int> CmgsReference(const QString &answer)
{
    static const QRegularExpression cmgs(QStringLiteral("(?:^|\\n)\\s*\\+CMGS:\\s*(\\d{1,3})\\s*(?:,|\\r|\\n|$)"));
    const QRegularExpressionMatch m = cmgs.match(answer);
    if (!m.hasMatch())
        return std::nullopt;
    const int mr = m.captured(1).toInt();
    if (mr > 255)
        return std::nullopt;
    return mr;
}

QString SendErrorText(const QString &answer)
{
    const QString line = ErrorLine(answer);
    if (line.isEmpty())
        return {};
    static const QRegularExpression cms(QStringLiteral("\\+CMS ERROR:\\s*(.*)$"));
    const QRegularExpressionMatch m = cms.match(line);
    if (m.hasMatch()) {
        const QString what = m.captured(1).trimmed();
        bool numeric = false;
        const int code = what.toInt(&numeric);
        const QString verbose = simplified(what);
        for (const CmsError &e : kCmsErrors) {
            if ((numeric && e.code == code) || (!numeric && verbose == QLatin1String(e.verbose)))
                return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(e.german), line);
        }
    }
    return line;
}

std::optional<StatusReport> CdsTextReport(QStringView line)
{
    const auto f = fieldsAfter(line, QLatin1StringView("+CDS:"));
    if (!f || f->size() != 7)
        return std::nullopt;
    return reportFromFields(*f);
}

std::optional<int> CdsPduLength(QStringView line)
{
    const auto f = fieldsAfter(line, QLatin1StringView("+CDS:"));
    if (!f || f->size() != 1)
        return std::nullopt;
    return number(f->first(), 1, 255);
}

std::optional<StatusReport> StatusReportPdu(QStringView hex, int length)
{
    const auto octets = octetsOf(hex);
    if (!octets || octets->isEmpty())
        return std::nullopt;
    const auto *o = reinterpret_cast<const uchar *>(octets->constData());
    const qsizetype size = octets->size();
    qsizetype at = 0;
    // The service centre's address comes first, unless the octets are the report alone.
    if (length < 0 || length != size)
        at = 1 + o[0];
    // First octet, reference, the address's length and type.
    if (at + 4 > size)
        return std::nullopt;
    StatusReport r;
    r.firstOctet = o[at];
    if ((r.firstOctet & 0x03) != 0x02) // TP-MTI: SMS-STATUS-REPORT
        return std::nullopt;
    r.reference = o[at + 1];
    const int digits = o[at + 2];
    r.typeOfNumber = o[at + 3];
    at += 4;
    const qsizetype addressOctets = (digits + 1) / 2;
    // Address, the two time stamps and the status.
    if (digits > 20 || at + addressOctets + 15 > size)
        return std::nullopt;
    if ((r.typeOfNumber & 0x70) != 0x50) { // anything but an alphanumeric address
        for (int i = 0; i < digits; ++i) {
            const int d = i % 2 ? o[at + i / 2] >> 4 : o[at + i / 2] & 0x0F;
            r.recipient += d < 10 ? QChar(u'0' + d) : QChar(QLatin1Char("0123456789*#abc"[std::min(d, 14)]));
        }
        if ((r.typeOfNumber & 0x70) == 0x10)
            r.recipient.prepend(u'+');
    }
    at += addressOctets;
    r.scts = stampOf(o + at);
    r.dischargeTime = stampOf(o + at + 7);
    r.status = o[at + 14];
    return r;
}

std::optional<StatusReport> StoredReport(QStringView line)
{
    auto f = fieldsAfter(line, QLatin1StringView("+CMGR:"));
    if (f && f->size() == 8)
        return reportFromFields(*f);
    f = fieldsAfter(line, QLatin1StringView("+CMGL:"));
    if (f && f->size() == 9)
        return reportFromFields(*f);
    return std::nullopt;
}

ReportOutcome ReportOutcomeOf(int status)
{
    if (status >= 0x00 && status <= 0x1F)
        return ReportOutcome::Delivered;
    if (status >= 0x20 && status <= 0x3F)
        return ReportOutcome::Pending;
    return ReportOutcome::Failed;
}

QString ReportStatusText(int status)
{
    // The reasons of 23.040 9.2.3.15 that a user can do something with.
    static const char *const kTemporary[] = {
        "Netz überlastet",  "Empfänger beschäftigt",      "Empfänger antwortet nicht",
        "Dienst abgelehnt", "Dienstgüte nicht verfügbar", "Fehler beim Empfänger"};
    static const char *const kPermanent[] = {"Übertragungsfehler",
                                             "Empfänger kann die Nachricht nicht annehmen",
                                             "vom Empfänger abgewiesen",
                                             "Empfänger nicht erreichbar",
                                             "Dienstgüte nicht verfügbar",
                                             "kein Netzübergang",
                                             "Gültigkeitsdauer abgelaufen",
                                             "vom Absender gelöscht",
                                             "von der Kurzmitteilungszentrale gelöscht",
                                             "Nachricht gibt es nicht"};
    const auto with = [](const char *state, const char *reason) {
        return reason ? QStringLiteral("%1 (%2)").arg(QString::fromUtf8(state), QString::fromUtf8(reason))
                      : QString::fromUtf8(state);
    };
    switch (ReportOutcomeOf(status)) {
    case ReportOutcome::Delivered:
        return with("zugestellt", status == 0x01 ? "weitergegeben, Zustellung unbestätigt" : nullptr);
    case ReportOutcome::Pending:
        return with("ausstehend", status - 0x20 < 6 ? kTemporary[status - 0x20] : nullptr);
    case ReportOutcome::Failed:
        if (status >= 0x40 && status - 0x40 < 10)
            return with("fehlgeschlagen", kPermanent[status - 0x40]);
        if (status >= 0x60 && status - 0x60 < 6)
            return with("fehlgeschlagen", kTemporary[status - 0x60]);
        return with("fehlgeschlagen", nullptr);
    }
    return {};
}

QString ShownStamp(const QString &stamp)
{
    if (!looksLikeStamp(stamp))
        return {};
    const QString s = stamp.trimmed();
    // yy/MM/dd,hh:mm:ss
    return QStringLiteral("%1.%2.%3 %4").arg(s.mid(6, 2), s.mid(3, 2), s.mid(0, 2), s.mid(9, 8));
}

bool SameRecipient(const QString &a, const QString &b)
{
    const auto international = [](const QString &n) {
        const QString t = n.trimmed();
        return t.startsWith(u'+') || t.startsWith(QLatin1String("00"));
    };
    const auto subscriber = [&](const QString &n) {
        QString d = digitsOf(n);
        if (n.trimmed().startsWith(QLatin1String("00")))
            d.remove(0, 2);
        return d;
    };
    const QString da = subscriber(a), db = subscriber(b);
    if (da.isEmpty() || db.isEmpty())
        return false;
    const bool ia = international(a), ib = international(b);
    if (ia == ib)
        return da == db;
    // A national number: the trunk prefix 0, then the subscriber's digits, which the
    // international one ends with behind its country code.
    const QString national = ia ? db : da;
    const QString full = ia ? da : db;
    if (!national.startsWith(u'0'))
        return false;
    const QString rest = national.mid(1);
    return rest.size() >= 6 && full.size() > rest.size() && full.endsWith(rest);
}
