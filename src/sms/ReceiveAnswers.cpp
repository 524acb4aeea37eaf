#include "sms/ReceiveAnswers.h"

#include "sms/SmsText.h"
#include "text/StringUtil.h"

#include <QRegularExpression>

#include <algorithm>
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
    return line.startsWith(u'+') || line.startsWith(u'^') || IsNoticeLine(line);
}

// Takes unsolicited lines (and the empty line a modem puts before each) out of a slot's answer
// where they can only be the modem's own: right behind the header line, and between the text
// and the closing OK. Lines in the middle of a text stay, whatever they look like.
QString withoutNotices(const QString &rest)
{
    QStringList lines = rest.split(QLatin1Char('\n'));
    const auto bare = [](const QString &l) {
        QStringView v(l);
        while (v.endsWith(u'\r'))
            v.chop(1);
        return v;
    };
    const auto dropAt = [&](qsizetype k) {
        // The notice and the empty line that framed it.
        lines.removeAt(k);
        if (k - 1 >= 1 && bare(lines.at(k - 1)).isEmpty() && k - 1 < lines.size() - 1)
            lines.removeAt(k - 1);
    };
    // Behind the header line: "<header>" CR LF [CR LF] "^RSSI:17" CR LF <text>.
    for (;;) {
        qsizetype k = 1;
        while (k < lines.size() && bare(lines.at(k)).isEmpty())
            ++k;
        if (k >= lines.size() - 1 || !IsNoticeLine(bare(lines.at(k))))
            break;
        dropAt(k);
    }
    // Before the closing OK: <text> CR LF "^RSSI:17" CR LF CR LF "OK".
    for (;;) {
        qsizetype ok = lines.size() - 1;
        while (ok > 0 && bare(lines.at(ok)) != u"OK")
            --ok;
        qsizetype k = ok - 1;
        while (k > 1 && bare(lines.at(k)).isEmpty())
            --k;
        if (k <= 1 || !IsNoticeLine(bare(lines.at(k))))
            break;
        dropAt(k);
    }
    return lines.join(QLatin1Char('\n'));
}

// With the data's length known, the data is cut by it: a text that looks like an unsolicited
// line ("RING", "^RSSI:5") stays text, and the modem's own lines before or behind it go. Empty
// when the length finds no data followed by nothing but the closing lines and notices (a
// modem whose set or length differs): the caller cuts by lines instead.
QString dataByLength(const QString &rest)
{
    const qsizetype headerEnd = rest.indexOf(u'\n') + 1;
    if (headerEnd <= 0)
        return {};
    QString headerLine = rest.left(headerEnd - 1);
    while (headerLine.endsWith(u'\r'))
        headerLine.chop(1);
    const qsizetype n = CsdhDataChars(CmgrDeliverDetails(headerLine));
    if (n < 0)
        return {};
    const auto onlyClosing = [](QStringView tail) {
        if (!tail.startsWith(u"\r\n"))
            return false;
        bool ok = false;
        for (QStringView line : tail.split(u'\n')) {
            while (line.endsWith(u'\r'))
                line.chop(1);
            if (line == u"OK")
                ok = true;
            else if (!line.isEmpty() && !IsNoticeLine(line))
                return false;
        }
        return ok;
    };
    const auto closing = [](QStringView tail) {
        QString kept;
        for (QStringView line : tail.split(u'\n')) {
            QStringView bare = line;
            while (bare.endsWith(u'\r'))
                bare.chop(1);
            if (!IsNoticeLine(bare))
                kept += line.toString() + u'\n';
        }
        kept.chop(1);
        return kept;
    };
    // The data begins right behind the header line, or behind notices that came first.
    for (qsizetype start = headerEnd; start >= 0 && start + n <= rest.size();) {
        if (onlyClosing(QStringView(rest).mid(start + n)))
            return rest.left(headerEnd) + rest.mid(start, n) + closing(QStringView(rest).mid(start + n));
        const qsizetype lineEnd = rest.indexOf(u'\n', start);
        if (lineEnd < 0)
            break;
        QStringView line = QStringView(rest).mid(start, lineEnd - start);
        while (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty() && !IsNoticeLine(line))
            break;
        start = lineEnd + 1;
    }
    return {};
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
    QString text = QStringLiteral("SMS vorhanden: ") + NumberText(counts.used) + QStringLiteral("   ") +
                   QStringLiteral("SMS maximal: ") + NumberText(counts.max);
    // A full storage keeps new messages at the network; the user should know before.
    if (counts.max > 1 && counts.used >= counts.max - 1)
        text += QStringLiteral(" – fast voll");
    return text;
}

QList<NamedStorage> CpmsStorages(const QString &answer)
{
    QList<NamedStorage> storages;
    const qsizetype at = answer.indexOf(kCpmsMarker);
    if (at < 0)
        return storages;
    const qsizetype end = answer.indexOf(u'\r', at);
    const QStringList fields = HeaderFields(answer.mid(at + kCpmsMarker.size(), end < 0 ? -1 : end - at - kCpmsMarker.size()));
    for (qsizetype i = 0; i + 2 < fields.size(); i += 3) {
        const auto used = count(fields.at(i + 1));
        const auto max = count(fields.at(i + 2));
        if (used && max)
            storages.append({fields.at(i).trimmed(), {*used, *max}});
    }
    return storages;
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
    slot.record = dataByLength(rest.left(end));
    if (slot.record.isEmpty())
        slot.record = withoutNotices(rest.left(end));
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

DeliverDetails CmgrDeliverDetails(const QString &header)
{
    // <oa>,<alpha>,<scts>,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>
    const QStringList fields = HeaderFields(header);
    DeliverDetails d;
    if (fields.size() != 10)
        return d;
    bool ok[5] = {};
    d.tooa = fields.at(3).trimmed().toInt(&ok[0]);
    d.fo = fields.at(4).trimmed().toInt(&ok[1]);
    d.pid = fields.at(5).trimmed().toInt(&ok[2]);
    d.dcs = fields.at(6).trimmed().toInt(&ok[3]);
    d.length = fields.at(9).trimmed().toInt(&ok[4]);
    d.present = std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) && d.fo >= 0 && d.fo <= 255 &&
                d.dcs >= 0 && d.dcs <= 255 && d.length >= 0 && d.length <= 255;
    return d;
}

QString CscsCharset(const QString &answer)
{
    static const QRegularExpression line(QStringLiteral("\\+CSCS: ?\"([^\"\\r\\n]*)\""));
    const QRegularExpressionMatch m = line.match(answer);
    return m.hasMatch() ? m.captured(1) : QString();
}

qsizetype CsdhDataChars(const DeliverDetails &d)
{
    if (!d.present)
        return -1;
    const bool septets = IsSeptetCoding(d.dcs);
    if (septets && !d.hasHeader())
        return d.length;
    // Hex: 7-bit with a header as its packed septets; 8-bit and UCS2 as their octets.
    return 2 * (septets ? (d.length * 7 + 7) / 8 : d.length);
}

bool IsNewMessageNotice(QStringView line)
{
    static const QRegularExpression notice(QStringLiteral("^\\+CMTI: ?\"[^\"]*\", ?\\d+\\s*$"));
    return notice.match(line.toString()).hasMatch();
}

QString NoticeStorage(QStringView line)
{
    static const QRegularExpression notice(QStringLiteral("^\\+CMTI: ?\"([A-Z]{2})\", ?\\d+\\s*$"));
    const QRegularExpressionMatch m = notice.match(line.toString());
    return m.hasMatch() ? m.captured(1) : QString();
}

AnswerEnd CmgrAnswerEnd(QStringView sent, QStringView received)
{
    // The header line: "+CMGR:" at the start of a line, as far as its CR LF.
    qsizetype at = -1;
    for (qsizetype from = 0; (from = received.indexOf(kCmgrMarker, from)) >= 0; ++from) {
        if (from == 0 || received.at(from - 1) == u'\n' || received.at(from - 1) == u'\r') {
            at = from;
            break;
        }
    }
    if (at < 0)
        return FinalResultEnd(sent, received);
    const qsizetype headerEnd = received.indexOf(u"\r\n", at);
    if (headerEnd < 0)
        return {};
    const QStringView header = received.mid(at, headerEnd - at);
    const qsizetype comma = header.indexOf(u',');
    if (comma < 0)
        return {};
    const qsizetype n = CsdhDataChars(CmgrDeliverDetails(header.mid(comma + 1).toString()));
    if (n < 0)
        return {};
    // The data begins right behind the header line, or behind notices that came first; its
    // length decides before a line is taken for a notice (a text may be "RING").
    for (qsizetype start = headerEnd + 2; start + n <= received.size();) {
        const QStringView tail = received.mid(start + n);
        if (tail.startsWith(u"\r\n")) {
            // Behind the data: its line end, empty lines and notices, then the final result code.
            const AnswerEnd end = FinalResultEnd(sent, tail);
            const QList<QStringView> lines = tail.left(std::max<qsizetype>(end.finalAt, 0)).split(u"\r\n");
            if (end.whole && std::all_of(lines.cbegin(), lines.cend(), [](QStringView line) {
                    return line.isEmpty() || IsNoticeLine(line);
                }))
                return {true, start + n + end.length, start + n + end.finalAt};
        }
        const qsizetype lineEnd = received.indexOf(u"\r\n", start);
        if (lineEnd < 0)
            break;
        const QStringView line = received.mid(start, lineEnd - start);
        if (!line.isEmpty() && !IsNoticeLine(line))
            break;
        start = lineEnd + 2;
    }
    return {};
}
