// Outgoing texts: for any text the send window lets go, the parts the coder and the splitter
// make decode, with the program's own decoder of received data, back to exactly the text; no
// part holds more than 140 octets of user data or ends inside an escape or a surrogate pair, and
// the counter's figures add up. The first byte picks what is fuzzed: the coder (with a status
// report asked for or not), the parsers of status reports, or the file of sent messages.
#include "FuzzSupport.h"

#include "sms/OutgoingText.h"
#include "sms/SendAnswers.h"
#include "sms/SentLog.h"
#include "sms/SmsText.h"
#include "sms/SubmitPdu.h"

namespace {

void checkCoding(const QString &typed, bool report, int maxParts)
{
    const OutgoingPlan plan = PlanOutgoing(typed, report, maxParts);
    FUZZ_CHECK(!plan.parts.isEmpty());
    FUZZ_CHECK(plan.parts.join(QString()) == plan.text);
    const bool gsm = plan.coding == SmsCoding::Gsm7;
    int used = 0;
    for (const QString &part : plan.parts)
        used += CodedLength(part, plan.coding);
    FUZZ_CHECK(used == plan.used);
    FUZZ_CHECK(plan.left >= 0);
    if (plan.route == SendRoute::TextMode) {
        FUZZ_CHECK(!report && gsm && plan.parts.size() == 1 && plan.used <= kGsmSingle);
        return;
    }
    if (!TextRefusal(typed, plan).isEmpty())
        return;
    const int total = int(plan.parts.size());
    FUZZ_CHECK(total <= plan.maxParts);
    QString joined;
    for (int i = 0; i < total; ++i) {
        const QString &part = plan.parts[i];
        const int room = total == 1 ? (gsm ? kGsmSingle : kUcs2Single) : (gsm ? kGsmPart : kUcs2Part);
        FUZZ_CHECK(CodedLength(part, plan.coding) <= room);
        if (i + 1 < total)
            FUZZ_CHECK(!part.back().isHighSurrogate());
        const UserData ud = PartUserData(plan.coding, part, 0x5A, total, i + 1);
        FUZZ_CHECK(ud.octets.size() <= 140);
        FUZZ_CHECK(ud.header == (total > 1));
        // A single 7-bit part has no header: text mode shows it as its septets, in the "GSM" set
        // one character each (its packed octets are the same function as behind a header).
        DecodedSms d;
        if (gsm && !ud.header) {
            const QByteArray septets = GsmSeptets(part);
            FUZZ_CHECK(ud.length == septets.size() && ud.octets.size() == (septets.size() * 7 + 7) / 8);
            d = DecodeTextModeData(0x01, 0x00, ud.length, QStringLiteral("GSM"), QString::fromLatin1(septets));
        } else {
            d = DecodeTextModeData(ud.header ? 0x41 : 0x01, gsm ? 0x00 : 0x08, ud.length, QString(),
                                   QString::fromLatin1(ud.octets.toHex()));
        }
        FUZZ_CHECK(!d.damaged && !d.data);
        FUZZ_CHECK(d.concat.has_value() == ud.header);
        if (d.concat)
            FUZZ_CHECK(d.concat->reference == 0x5A && d.concat->total == total && d.concat->sequence == i + 1);
        joined += d.text;
    }
    FUZZ_CHECK(joined == plan.text);
    const QList<SubmitPdu> pdus = BuildSubmitPdus(QStringLiteral("+4917012345678"), plan.coding, plan.parts, report, 7);
    FUZZ_CHECK(pdus.size() == total);
    for (const SubmitPdu &p : pdus)
        FUZZ_CHECK(p.hex.size() == 2 + 2 * p.length && p.length <= 160);
}

void checkReports(const QString &text)
{
    for (const QString &line : text.split(u'\n')) {
        if (const auto r = CdsTextReport(line)) {
            FUZZ_CHECK(r->reference >= 0 && r->reference <= 255 && r->status >= 0 && r->status <= 255);
            FUZZ_CHECK(!ShownStamp(r->scts).isEmpty() && !ShownStamp(r->dischargeTime).isEmpty());
        }
        StoredReport(line);
        CdsPduLength(line);
        if (const auto r = StatusReportPdu(line, int(line.size() / 2) - 1)) {
            FUZZ_CHECK(r->reference >= 0 && r->reference <= 255 && r->status >= 0 && r->status <= 255);
            FUZZ_CHECK(r->recipient.size() <= 21);
            ReportStatusText(r->status);
        }
        SendErrorText(line);
        CmgsReference(line);
    }
}

void checkSentLog(const QByteArray &bytes)
{
    const SentLog log = ParseSentLog(bytes);
    for (const SentMessage &m : log.messages) {
        FUZZ_CHECK(log.byId.value(m.id, -1) >= 0);
        FUZZ_CHECK(!m.parts.isEmpty() && m.parts.size() <= kMostParts);
        SentStateText(m);
        SentPartsText(m);
        // What is read back is written the same way.
        FUZZ_CHECK(ParseSentLog((SentBeginLine(m) + QStringLiteral("\r\n")).toUtf8()).messages[0].text == m.text);
    }
    for (const UnknownReport &u : log.unknown)
        MatchReport(log, u.report);
    FUZZ_CHECK(log.nextId() > 0 || log.messages.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int mode = data[0];
    switch (mode % 4) {
    case 0:
    case 1:
        checkCoding(fuzz::anyText(data + 2, size - 2), mode % 4 == 1, 1 + data[1] % 30);
        break;
    case 2:
        checkReports(fuzz::lineText(data + 1, size - 1));
        break;
    default:
        checkSentLog(fuzz::bytes(data + 1, size - 1));
        break;
    }
    return 0;
}
