#include "sms/ReceiveAnswers.h"

#include "text/StringUtil.h"

#include <cmath>
#include <limits>

namespace {

const QString kCpmsMarker = QStringLiteral("+CPMS:");
const QString kCmgrMarker = QStringLiteral("+CMGR:");
// 27.005 ends every answer with a blank line and the final result code; the data lines of a
// message come before it. Without it the modem was still sending when the line fell quiet.
const QString kFinalOk = QStringLiteral("\r\n\r\nOK\r\n");

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
    if (answer.contains(QLatin1String("+CMGR: 0"))) {
        slot.kind = SlotKind::StateZero;
        return slot;
    }
    if (answer.indexOf(kFinalOk, at) < 0) {
        slot.kind = SlotKind::Incomplete;
        return slot;
    }
    slot.kind = SlotKind::Message;
    // Cut behind the state field. Searching from the marker keeps anything that came before it
    // (the echo, the tail of an earlier answer) out of the record.
    const qsizetype comma = answer.indexOf(u',', at);
    QString rest = comma < 0 ? answer.mid(at) : answer.mid(comma + 1);
    slot.record = rest;
    slot.header = TokenLine(rest);
    if (rest.isEmpty()) {
        slot.textStatus = 4;
        return slot;
    }
    if (rest.size() < 4)
        slot.textStatus = 5;
    QString line = TokenLine(rest);
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
