#include "sms/SentLog.h"

#include <algorithm>
#include <climits>

namespace {

const QChar kTab(u'\t');

std::optional<int> intField(QStringView s, int low, int high)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

// "yyyy-MM-dd HH:mm:ss": a record cut short in its time is no record.
bool isTime(QStringView s)
{
    if (s.size() != 19)
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const bool ok = i == 4 || i == 7     ? c == u'-'
                        : i == 10            ? c == u' '
                        : i == 13 || i == 16 ? c == u':'
                                             : c.isDigit();
        if (!ok)
            return false;
    }
    return true;
}

SentPart *partOf(SentLog &log, QStringView id, QStringView part)
{
    const auto i = intField(id, 1, INT_MAX);
    const auto p = intField(part, 1, kMostParts);
    if (!i || !p)
        return nullptr;
    const auto it = log.byId.constFind(*i);
    if (it == log.byId.constEnd())
        return nullptr;
    SentMessage &m = log.messages[*it];
    if (*p > m.parts.size())
        return nullptr;
    return &m.parts[*p - 1];
}

bool applyBegin(SentLog &log, const QList<QStringView> &f)
{
    if (f.size() != 10)
        return false;
    const auto id = intField(f[1], 1, INT_MAX);
    const auto parts = intField(f[6], 1, kMostParts);
    if (!id || !parts || log.byId.contains(*id) || !isTime(f[2]) || (f[5] != u"GSM" && f[5] != u"UCS2") ||
        (f[7] != u"0" && f[7] != u"1") || (f[8] != u"text" && f[8] != u"pdu"))
        return false;
    SentMessage m;
    m.id = *id;
    m.at = f[2].toString();
    m.number = UnescapeSentField(f[3]);
    m.name = UnescapeSentField(f[4]);
    m.coding = f[5] == u"GSM" ? SmsCoding::Gsm7 : SmsCoding::Ucs2;
    m.report = f[7] == u"1";
    m.route = f[8] == u"text" ? SendRoute::TextMode : SendRoute::Pdu;
    m.text = UnescapeSentField(f[9]);
    m.parts.resize(*parts);
    log.byId.insert(m.id, log.messages.size());
    log.messages.append(std::move(m));
    return true;
}

bool applyPart(SentLog &log, const QList<QStringView> &f)
{
    const QChar kind = f[0].front();
    if (f.size() != (kind == u'T' ? 4 : 5) || !isTime(f[3]))
        return false;
    SentPart *part = partOf(log, f[1], f[2]);
    if (!part)
        return false;
    if (kind == u'T') {
        part->state = PartState::Submitting;
        return true;
    }
    part->at = f[3].toString();
    if (kind == u'S') {
        const auto mr = intField(f[4], 0, 255);
        if (!mr)
            return false;
        part->state = PartState::Sent;
        part->reference = *mr;
    } else {
        part->state = kind == u'F' ? PartState::Refused : PartState::Uncertain;
        part->reason = UnescapeSentField(f[4]);
    }
    return true;
}

bool applyReport(SentLog &log, const QList<QStringView> &f)
{
    if (f.size() != 10)
        return false;
    StatusReport r;
    const auto mr = intField(f[4], 0, 255);
    const auto type = intField(f[6], 0, 255);
    const auto st = intField(f[7], 0, 255);
    if (!mr || !type || !st || !isTime(f[1]))
        return false;
    r.reference = *mr;
    r.recipient = UnescapeSentField(f[5]);
    r.typeOfNumber = *type;
    r.status = *st;
    r.scts = UnescapeSentField(f[8]);
    r.dischargeTime = UnescapeSentField(f[9]);
    if (f[2] == u"-" && f[3] == u"-") {
        log.unknown.append({f[1].toString(), r});
        return true;
    }
    SentPart *part = partOf(log, f[2], f[3]);
    if (!part)
        return false;
    ApplyReport(*part, r);
    return true;
}

QString partsWord(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 Teil") : QStringLiteral("%1 Teilen").arg(n);
}

// The latest report time of the parts, as shown.
QString latestReportTime(const SentMessage &m)
{
    QString latest;
    for (const SentPart &p : m.parts) {
        // "yy/MM/dd,hh:mm:ss" compares in time order as text.
        if (p.reportStatus >= 0 && p.reportTime.left(17) > latest.left(17))
            latest = p.reportTime;
    }
    return ShownStamp(latest);
}

QString withTime(const QString &state, const QString &time)
{
    return time.isEmpty() ? state : state + QLatin1Char(' ') + time;
}

} // namespace

int SentLog::nextId() const
{
    int id = 0;
    for (const SentMessage &m : messages)
        id = std::max(id, m.id);
    return id + 1;
}

QString EscapeSentField(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QLatin1String("\\\\");
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u < 0x20 || u == 0x7F)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString UnescapeSentField(QStringView field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 == field.size()) {
            out += c;
            continue;
        }
        const QChar n = field[i + 1];
        if (n == u'\\' || n == u't' || n == u'r' || n == u'n') {
            out += n == u'\\' ? u'\\' : n == u't' ? u'\t' : n == u'r' ? u'\r' : u'\n';
            ++i;
        } else if (n == u'x' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 3;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return out;
}

QString SentBeginLine(const SentMessage &m)
{
    return QStringList{QStringLiteral("M"),
                       QString::number(m.id),
                       m.at,
                       EscapeSentField(m.number),
                       EscapeSentField(m.name),
                       m.coding == SmsCoding::Gsm7 ? QStringLiteral("GSM") : QStringLiteral("UCS2"),
                       QString::number(m.parts.size()),
                       m.report ? QStringLiteral("1") : QStringLiteral("0"),
                       m.route == SendRoute::TextMode ? QStringLiteral("text") : QStringLiteral("pdu"),
                       EscapeSentField(m.text)}
        .join(kTab);
}

QString SentPartLine(char kind, int id, int part, const QString &at, const QString &detail)
{
    QStringList f{QString(QLatin1Char(kind)), QString::number(id), QString::number(part), at};
    if (kind != 'T')
        f << EscapeSentField(detail);
    return f.join(kTab);
}

QString SentReportLine(const QString &seen, int id, int part, const StatusReport &r)
{
    const bool known = id > 0;
    return QStringList{QStringLiteral("R"),
                       seen,
                       known ? QString::number(id) : QStringLiteral("-"),
                       known ? QString::number(part) : QStringLiteral("-"),
                       QString::number(r.reference),
                       EscapeSentField(r.recipient),
                       QString::number(r.typeOfNumber),
                       QString::number(r.status),
                       EscapeSentField(r.scts),
                       EscapeSentField(r.dischargeTime)}
        .join(kTab);
}

void ApplySentLine(SentLog &log, QStringView line)
{
    if (line.isEmpty() || line.startsWith(u'#'))
        return;
    const QList<QStringView> f = line.split(kTab);
    bool ok = false;
    if (f[0] == u"M")
        ok = applyBegin(log, f);
    else if (f[0] == u"T" || f[0] == u"S" || f[0] == u"F" || f[0] == u"U")
        ok = applyPart(log, f);
    else if (f[0] == u"R")
        ok = applyReport(log, f);
    if (!ok)
        ++log.badLines;
}

SentLog ParseSentLog(const QByteArray &bytes)
{
    SentLog log;
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0)
        return log;
    const QString text = QString::fromUtf8(bytes.constData(), end + 1);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        ApplySentLine(log, line);
    }
    return log;
}

void ApplyReport(SentPart &part, const StatusReport &r)
{
    if (part.reportStatus >= 0 && ReportOutcomeOf(part.reportStatus) != ReportOutcome::Pending &&
        ReportOutcomeOf(r.status) == ReportOutcome::Pending)
        return;
    part.reportStatus = r.status;
    part.reportTime = r.dischargeTime;
}

std::optional<PartRef> MatchReport(const SentLog &log, const StatusReport &r)
{
    if (r.reference < 0 || r.recipient.isEmpty())
        return std::nullopt;
    for (qsizetype mi = log.messages.size() - 1; mi >= 0; --mi) {
        const SentMessage &m = log.messages[mi];
        if (!m.report || !SameRecipient(m.number, r.recipient))
            continue;
        for (qsizetype pi = m.parts.size() - 1; pi >= 0; --pi) {
            const SentPart &p = m.parts[pi];
            const bool final = p.reportStatus >= 0 && ReportOutcomeOf(p.reportStatus) != ReportOutcome::Pending;
            if (p.state == PartState::Sent && p.reference == r.reference && !final)
                return PartRef{mi, pi};
        }
    }
    return std::nullopt;
}

MessageState StateOf(const SentMessage &m, bool sending)
{
    if (sending)
        return MessageState::Sending;
    bool allSent = true, refused = false;
    for (const SentPart &p : m.parts) {
        refused = refused || p.state == PartState::Refused;
        allSent = allSent && p.state == PartState::Sent;
    }
    if (refused)
        return MessageState::Failed;
    if (!allSent)
        return MessageState::Interrupted;
    if (!m.report)
        return MessageState::Sent;
    bool allDelivered = true, pending = false;
    for (const SentPart &p : m.parts) {
        if (p.reportStatus < 0) {
            allDelivered = false;
            continue;
        }
        const ReportOutcome o = ReportOutcomeOf(p.reportStatus);
        if (o == ReportOutcome::Failed)
            return MessageState::Failed;
        pending = pending || o == ReportOutcome::Pending;
        allDelivered = allDelivered && o == ReportOutcome::Delivered;
    }
    if (allDelivered)
        return MessageState::Delivered;
    return pending ? MessageState::Pending : MessageState::Sent;
}

QString SentStateText(const SentMessage &m, bool sending)
{
    const qsizetype total = m.parts.size();
    const auto count = [&](auto pred) { return std::count_if(m.parts.begin(), m.parts.end(), pred); };
    switch (StateOf(m, sending)) {
    case MessageState::Sending:
        return QStringLiteral("wird gesendet");
    case MessageState::Sent: {
        const qsizetype delivered = count([](const SentPart &p) {
            return p.reportStatus >= 0 && ReportOutcomeOf(p.reportStatus) == ReportOutcome::Delivered;
        });
        if (delivered > 0)
            return QStringLiteral("gesendet, %1 von %2 zugestellt").arg(delivered).arg(partsWord(total));
        return QStringLiteral("gesendet");
    }
    case MessageState::Delivered:
        return withTime(QStringLiteral("zugestellt"), latestReportTime(m));
    case MessageState::Pending:
        return withTime(QStringLiteral("ausstehend"), latestReportTime(m));
    case MessageState::Failed: {
        const bool refused = count([](const SentPart &p) { return p.state == PartState::Refused; }) > 0;
        return refused ? QStringLiteral("fehlgeschlagen")
                       : withTime(QStringLiteral("fehlgeschlagen"), latestReportTime(m));
    }
    case MessageState::Interrupted: {
        const qsizetype sent = count([](const SentPart &p) { return p.state == PartState::Sent; });
        const qsizetype unsure = count(
            [](const SentPart &p) { return p.state == PartState::Submitting || p.state == PartState::Uncertain; });
        QString text = QStringLiteral("unterbrochen: %1 von %2 gesendet").arg(sent).arg(partsWord(total));
        if (unsure > 0)
            text += QStringLiteral(", %1 ungewiss").arg(unsure);
        return text;
    }
    }
    return {};
}

QString SentPartsText(const SentMessage &m)
{
    QStringList lines;
    for (qsizetype i = 0; i < m.parts.size(); ++i) {
        const SentPart &p = m.parts[i];
        QString line = QStringLiteral("Teil %1: ").arg(i + 1);
        switch (p.state) {
        case PartState::NotSent:
            line += QStringLiteral("nicht gesendet");
            break;
        case PartState::Submitting:
            line += QStringLiteral("ungewiss (Senden nicht zu Ende gekommen)");
            break;
        case PartState::Sent:
            line += QStringLiteral("gesendet (Referenz %1)").arg(p.reference);
            break;
        case PartState::Refused:
            line += QStringLiteral("nicht gesendet (%1)").arg(p.reason);
            break;
        case PartState::Uncertain:
            line += QStringLiteral("ungewiss (%1)").arg(p.reason);
            break;
        }
        if (p.reportStatus >= 0)
            line += QStringLiteral(", ") + withTime(ReportStatusText(p.reportStatus), ShownStamp(p.reportTime));
        lines << line;
    }
    return lines.join(u'\n');
}
