#include "sms/ReceiveAnswers.h"

#include "text/StringUtil.h"

#include <cmath>
#include <limits>

namespace {

const QString kCpmsMarker = QStringLiteral("+CPMS:");
const QString kCmgrMarker = QStringLiteral("+CMGR:");

// Everything after the first comma; the whole text when there is none.
QString afterComma(const QString &text)
{
    return text.mid(text.indexOf(u',') + 1);
}

// A count as the modem gives it, rounded to a whole number; nothing for a negative count or
// one that does not fit 16 bits.
std::optional<qint16> count(const QString &text)
{
    const double value = std::nearbyint(LeadingNumber(text));
    if (!std::isfinite(value) || value < 0 || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(value);
}

// The state field behind "+CMGR:": up to the first comma or line end, blanks trimmed.
QString stateField(const QString &answer, qsizetype from)
{
    qsizetype end = from;
    while (end < answer.size() && answer.at(end) != u',' && answer.at(end) != u'\r' && answer.at(end) != u'\n')
        ++end;
    return answer.mid(from, end - from).trimmed();
}

// Lines a modem may put behind an answer on its own: new-message and status notices (+CMTI,
// +CDSI, +CREG ...), vendor notices (^RSSI, ^BOOT) and RING.
bool isUnsolicited(QStringView line)
{
    return line.startsWith(u'+') || line.startsWith(u'^') || line == u"RING";
}

// Where the answer behind the state field ends: just after its final "OK" CR LF. 27.005 puts an
// empty line between the text and OK; some modems leave it out. The OK must come behind the
// header line and at least one line of text (an OK right behind the header is the text "OK" of
// a message cut short), and only empty lines or unsolicited notices may follow it; -1 when
// there is no such OK: the modem paused longer than the quiet second in the middle of it.
qsizetype finalOkEnd(const QString &rest)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = rest.indexOf(u'\n'); i >= 0; i = rest.indexOf(u'\n', i + 1))
        starts.append(i + 1);
    const auto line = [&](qsizetype k) {
        const qsizetype from = starts.at(k);
        const qsizetype to = k + 1 < starts.size() ? starts.at(k + 1) : rest.size();
        QStringView l = QStringView(rest).mid(from, to - from);
        while (l.endsWith(u'\n') || l.endsWith(u'\r'))
            l.chop(1);
        return l;
    };
    for (qsizetype k = starts.size() - 1; k >= 2; --k) {
        const QStringView l = line(k);
        if (l == u"OK")
            return k + 1 < starts.size() ? starts.at(k + 1) : rest.size();
        if (!l.isEmpty() && !isUnsolicited(l))
            return -1;
    }
    return -1;
}

} // namespace

std::optional<StorageCounts> CpmsStorageCounts(const QString &answer)
{
    const qsizetype at = answer.indexOf(kCpmsMarker);
    if (at < 0)
        return std::nullopt;
    // The storage name ("SM") goes with the first comma.
    QString rest = afterComma(answer.mid(at + kCpmsMarker.size()));
    const auto used = count(rest);
    rest = afterComma(rest);
    const auto max = count(rest);
    if (!used || !max)
        return std::nullopt;
    return StorageCounts{*used, *max};
}

QString StorageStatusText(const StorageCounts &counts)
{
    return QStringLiteral("SMS vorhanden: ") + NumberText(counts.used) + QStringLiteral("   ") +
           QStringLiteral("SMS maximal: ") + NumberText(counts.max);
}

SlotMessage CmgrSlotMessage(const QString &answer)
{
    SlotMessage slot;
    const qsizetype at = answer.indexOf(kCmgrMarker);
    if (at < 0)
        return slot;
    // Only the state field counts: a text that holds "+CMGR: 0" is still a message.
    if (stateField(answer, at + kCmgrMarker.size()) == u"0") {
        slot.kind = SlotKind::StateZero;
        return slot;
    }
    // Cut behind the state field. Searching from the marker keeps anything that came before it
    // (the echo, the tail of an earlier answer) out of the record.
    const qsizetype comma = answer.indexOf(u',', at);
    const QString rest = comma < 0 ? answer.mid(at) : answer.mid(comma + 1);
    const qsizetype end = finalOkEnd(rest);
    if (end < 0) {
        slot.kind = SlotKind::Incomplete;
        return slot;
    }
    slot.kind = SlotKind::Message;
    slot.record = rest.left(end);
    QString text = slot.record;
    slot.header = TokenLine(text);
    if (text.isEmpty()) {
        slot.textStatus = 4;
        return slot;
    }
    if (text.size() < 4)
        slot.textStatus = 5;
    QString line = TokenLine(text);
    slot.firstLine = StripQuotes(line);
    return slot;
}

QStringList HeaderFields(const QString &line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u',' && !quoted)
            fields.append(QString());
        else
            fields.last().append(c);
    }
    return fields;
}

MessageHeader CmgrHeaderFields(const QString &header)
{
    // <oa>,<alpha>,<scts>; some modems add type and length fields behind the time stamp.
    const QStringList fields = HeaderFields(header);
    const QString stamp = fields.value(2).trimmed(); // yy/MM/dd,HH:MM:SS+zz
    MessageHeader h;
    h.number = fields.value(0);
    if (stamp.size() >= 17) {
        h.date = stamp.mid(6, 2) + u'.' + stamp.mid(3, 2) + u'.' + stamp.left(2);
        h.time = stamp.mid(9, 8);
    }
    return h;
}

QString ErrorLine(const QString &answer)
{
    const QStringList lines = answer.split(QLatin1String("\r\n"), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.contains(QLatin1String("ERROR")))
            return line.trimmed();
    }
    return {};
}
