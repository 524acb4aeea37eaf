// Handlers of the message commands (storages, reading, deleting, sending) and the phonebooks.

#include "core/Modem.h"
#include "core/ModemText.h"
#include "core/Pdu.h"

#include <algorithm>
#include <cctype>

namespace modemsim {

using at::Form;
using at::Param;

namespace {

const QList<QByteArray> kStates = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
// The storages +CPMS offers for reading and deleting; writing and receiving take no reports.
const QList<QByteArray> kReadMemories = {"SM", "ME", "SR"};
const QList<QByteArray> kOtherMemories = {"SM", "ME"};

// First octets 27.005 text mode shows with +CSDH=1: SMS-DELIVER (no more messages waiting),
// SMS-SUBMIT (relative validity period), SMS-STATUS-REPORT; TP-UDHI for a header.
constexpr int kDeliverFo = 0x04;
constexpr int kSubmitFo = 0x11;
constexpr int kReportFo = 0x06;
constexpr int kHeaderFo = 0x40;
constexpr int kReportRequested = 0x20; // TP-SRR of +CSMP's first octet

// An SMS address or service-centre number: an optional '+', then digits, '*' and '#'.
bool isSmsNumber(const QByteArray &n)
{
    const int start = n.startsWith('+') ? 1 : 0;
    if (n.size() <= start || n.size() - start > 20)
        return false;
    for (int i = start; i < n.size(); ++i) {
        if (!isDigit(n[i]) && n[i] != '*' && n[i] != '#')
            return false;
    }
    return true;
}

// A phonebook number is a dial string: it may also hold pauses (p, w).
bool isDialString(const QByteArray &n)
{
    for (int i = 0; i < n.size(); ++i) {
        const char c = n[i];
        if (c == '+' && i == 0)
            continue;
        if (!isDigit(c) && c != '*' && c != '#' && c != 'p' && c != 'P' && c != 'w' && c != 'W')
            return false;
    }
    return true;
}

// Length of a Windows-1252 text in GSM 7-bit septets: the characters that the GSM alphabet
// keeps in its extension table take two.
int septets(const QByteArray &text)
{
    static const QByteArray extension = "^{}\\[~]|\x80";
    int n = 0;
    for (char c : text)
        n += extension.contains(c) ? 2 : 1;
    return n;
}

// A message stored as bytes, coded the way the modem always sent it in PDU mode: the 7-bit
// alphabet when it fits (cut to one message), else UCS2 (cut to 70 characters).
coding::UserData byteMessageData(const QByteArray &text)
{
    const QString unicode = te::fromLine(text);
    QByteArray septets;
    if (coding::toGsm7(unicode, &septets))
        return {coding::dcsOf(coding::Alphabet::Gsm7), {}, septets.left(160)};
    return {coding::dcsOf(coding::Alphabet::Ucs2), {}, coding::toUcs2(unicode.left(70))};
}

int firstOctet(const StoredSms &sms)
{
    const int fo = sms.status.startsWith("REC") ? kDeliverFo : kSubmitFo;
    return sms.ud && sms.ud->hasHeader() ? fo | kHeaderFo : fo;
}

QList<int> csmpValues(const QByteArray &setting)
{
    QList<int> v = {kSubmitFo, 167, 0, 0};
    const QList<QByteArray> parts = setting.split(',');
    for (int i = 0; i < parts.size() && i < v.size(); ++i) {
        bool ok = false;
        const int n = parts[i].trimmed().toInt(&ok);
        if (ok)
            v[i] = n;
    }
    return v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// SMS

Modem::Result Modem::csca(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CSCA: " + quoted(m_smsc) + ',' + num(m_smscType);
        return Result::ok();
    }
    const int badParam = m_textMode ? 305 : 304;
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2 || !isSmsNumber(p[0].value))
        return Result::cms(badParam);
    int type = p[0].value.startsWith('+') ? 145 : 129;
    if (p.size() == 2 && p[1].given() && (!at::toInt(p[1], &type) || type < 128 || type > 255))
        return Result::cms(badParam);
    m_smsc = p[0].value;
    m_smscType = m_smsc.startsWith('+') ? 145 : type;
    return Result::ok();
}

// 27.005 +CPMS=<mem1>[,<mem2>[,<mem3>]]: the storages read and deleted from, written to, and
// received into; the answer counts used and total slots of each.
Modem::Result Modem::cpms(const Command &cmd, Info &info)
{
    auto counts = [this](const QByteArray &mem) { return num(storageUsed(mem)) + ',' + num(storageSize(mem)); };
    if (cmd.form == Form::Read) {
        QByteArrayList fields;
        for (const QByteArray &mem : m_mem)
            fields << quoted(mem) + ',' + counts(mem);
        info << "+CPMS: " + fields.join(',');
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 3)
        return Result::cms(302);
    for (int i = 0; i < p.size(); ++i) {
        const QList<QByteArray> &allowed = i == 0 ? kReadMemories : kOtherMemories;
        if (p[i].given() && !allowed.contains(p[i].value.toUpper()))
            return Result::cms(302);
    }
    for (int i = 0; i < p.size(); ++i) {
        if (p[i].given())
            m_mem[i] = p[i].value.toUpper();
    }
    info << "+CPMS: " + counts(m_mem[0]) + ',' + counts(m_mem[1]) + ',' + counts(m_mem[2]);
    return Result::ok();
}

// A text for the host in its character set; the sets that pass bytes get the line's bytes.
QByteArray Modem::teText(const QByteArray &lineBytes) const
{
    return te::passesBytes(m_charset) ? lineBytes : te::toTe(te::fromLine(lineBytes), m_charset);
}

// The text-mode header line of an SMS-DELIVER or SMS-SUBMIT (27.005 +CMGR, +CMGL):
//   +CMGR: <stat>,<oa>,[<alpha>],<scts>[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>]
//   +CMGR: <stat>,<da>,[<alpha>][,<toda>,<fo>,<pid>,<dcs>,[<vp>],<sca>,<tosca>,<length>]
//   +CMGL: <index>,<stat>,<oa/da>,[<alpha>],[<scts>][,<tooa/toda>,<length>]
QByteArray Modem::messageHeader(int index, const StoredSms &sms, bool list) const
{
    const bool received = sms.status.startsWith("REC");
    const QByteArray stat = quoted(sms.status);
    QByteArray line = list ? "+CMGL: " + num(index) + ',' + stat : "+CMGR: " + stat;
    line += ',' + quoted(teText(sms.number)) + ',';
    if (received)
        line += ',' + quoted(sms.timestamp);
    else if (list)
        line += ',';
    if (m_showHeader) {
        // A message stored as bytes shows the plain figures it always did.
        const int type = sms.ud ? pdu::typeOfNumber(sms.number) : sms.number.startsWith('+') ? 145 : 129;
        const int length = sms.ud ? sms.ud->length() : int(sms.text.size());
        const int dcs = sms.ud ? sms.ud->dcs : 0;
        const QByteArray fo = num(firstOctet(sms));
        const QByteArray centre = quoted(teText(m_smsc)) + ',' + num(m_smscType);
        if (list)
            line += ',' + num(type) + ',' + num(length);
        else if (received)
            line += ',' + num(type) + ',' + fo + ",0," + num(dcs) + ',' + centre + ',' + num(length);
        else
            line += ',' + num(type) + ',' + fo + ",0," + num(dcs) + ",167," + centre + ',' + num(length);
    }
    return line;
}

// <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st> of a status report in text mode.
QByteArray Modem::reportFields(const pdu::StatusReport &r) const
{
    return num(kReportFo) + ',' + num(r.reference) + ',' + quoted(teText(r.recipient)) + ',' +
           num(pdu::typeOfNumber(r.recipient)) + ',' + quoted(r.timestamp) + ',' + quoted(r.discharge) + ',' +
           num(r.status);
}

// <data> in text mode (27.005 3.1): 7-bit text without a header in the host's character set;
// 8-bit data, UCS2 and any message with a header as hex of its TP-UD octets.
QByteArray Modem::textData(const StoredSms &sms) const
{
    if (!sms.ud && te::passesBytes(m_charset))
        return sms.text;
    const coding::UserData ud = sms.ud ? *sms.ud : byteMessageData(sms.text);
    if (ud.alphabet() == coding::Alphabet::Gsm7 && !ud.hasHeader())
        return te::toTe(coding::fromGsm7(ud.body), m_charset);
    return pdu::toHex(ud.octets());
}

QByteArray Modem::tpduOf(const StoredSms &sms) const
{
    if (sms.report)
        return pdu::encodeStatusReport(*sms.report);
    const coding::UserData ud = sms.ud ? *sms.ud : byteMessageData(sms.text);
    if (sms.status.startsWith("REC"))
        return pdu::encodeDeliver({sms.number, 0, sms.timestamp, ud});
    pdu::Submit submit;
    submit.destination = sms.number;
    submit.ud = ud;
    return pdu::encodeSubmit(submit);
}

// What +CMGR (list false) or +CMGL shows of one stored message or status report.
Modem::Info Modem::messageLines(int index, const StoredSms &sms, bool list) const
{
    const QByteArray head = list ? "+CMGL: " + num(index) + ',' : QByteArray("+CMGR: ");
    if (!m_textMode) {
        const QByteArray tpdu = tpduOf(sms);
        const QByteArray stat = num(std::max(0, int(kStates.indexOf(sms.status))));
        return {head + stat + ",," + num(int(tpdu.size())), pdu::toHex(pdu::withCentre(m_smsc, tpdu))};
    }
    if (sms.report)
        return {head + quoted(sms.status) + ',' + reportFields(*sms.report)};
    return {messageHeader(index, sms, list), textData(sms)};
}

// A message or status report routed straight to the host:
//   +CMT: <oa>,[<alpha>],<scts>[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>] and <data>
//   +CMT: [<alpha>],<length> and <pdu>; +CDS: <fo>,<mr>,... or +CDS: <length> and <pdu>
QByteArray Modem::routedLines(const StoredSms &sms) const
{
    if (!m_textMode) {
        const QByteArray tpdu = tpduOf(sms);
        const QByteArray pdu = pdu::toHex(pdu::withCentre(m_smsc, tpdu));
        if (sms.report)
            return "+CDS: " + num(int(tpdu.size())) + "\r\n" + pdu;
        return "+CMT: ," + num(int(tpdu.size())) + "\r\n" + pdu;
    }
    if (sms.report)
        return "+CDS: " + reportFields(*sms.report);
    // The +CMGR line's fields after <stat>, which +CMT does not have.
    const QByteArray header = messageHeader(0, sms, false);
    const int fields = int(header.indexOf(',')) + 1;
    return "+CMT: " + header.mid(fields) + "\r\n" + textData(sms);
}

Modem::Result Modem::cmgr(const Command &cmd, Info &info)
{
    QList<Param> p;
    int index = 0;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1 || !at::toInt(p[0], &index))
        return Result::cms(m_textMode ? 305 : 304);
    auto &store = m_stores[m_mem[0]];
    if (index < 1 || index > int(store.size()))
        return Result::cms(321);
    auto &stored = store[size_t(index - 1)];
    if (!stored)
        return m_cfg.emptySlotCmsError ? Result::cms(321) : Result::ok();
    info << messageLines(index, *stored, false);
    if (stored->status == "REC UNREAD")
        stored->status = "REC READ";
    return Result::ok();
}

Modem::Result Modem::cmgl(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Test) {
        if (m_textMode)
            info << "+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")";
        else
            info << "+CMGL: (0-4)";
        return Result::ok();
    }
    // Text mode names the state, PDU mode numbers it (4: all).
    QByteArray want = "REC UNREAD";
    if (cmd.form == Form::Set) {
        QList<Param> p;
        const Result bad = Result::cms(m_textMode ? 305 : 304);
        if (!at::splitParams(cmd.args, &p) || p.size() > 1)
            return bad;
        if (!p.isEmpty() && m_textMode) {
            want = p[0].value.toUpper();
            if (want != "ALL" && !kStates.contains(want))
                return bad;
        } else if (!p.isEmpty()) {
            int stat = 0;
            if (!at::toInt(p[0], &stat) || stat > 4)
                return bad;
            want = stat == 4 ? QByteArray("ALL") : kStates[stat];
        }
    }
    auto &store = m_stores[m_mem[0]];
    for (size_t i = 0; i < store.size(); ++i) {
        auto &stored = store[i];
        if (!stored || (want != "ALL" && stored->status != want))
            continue;
        info << messageLines(int(i) + 1, *stored, true);
        if (stored->status == "REC UNREAD")
            stored->status = "REC READ";
    }
    return Result::ok();
}

Modem::Result Modem::cmgd(const Command &cmd, Info &info)
{
    const QByteArray mem = m_mem[0];
    const int size = storageSize(mem);
    if (cmd.form == Form::Test) {
        QByteArrayList used;
        for (int i = 1; i <= size; ++i) {
            if (slot(mem, i))
                used << num(i);
        }
        info << "+CMGD: (" + used.join(',') + "),(0-4)";
        return Result::ok();
    }
    QList<Param> p;
    int index = 0;
    int flag = 0;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2)
        return Result::cms(321);
    if (p.size() == 2 && p[1].given() && (!at::toInt(p[1], &flag) || flag > 4))
        return Result::cms(m_textMode ? 305 : 304);
    const int before = storageUsed(mem);
    if (flag == 0) {
        if (!at::toInt(p[0], &index) || index < 1 || index > size)
            return Result::cms(321);
        deleteSms(mem, index);
    } else {
        // Bulk delete: 1 read, 2 also sent, 3 also unsent, 4 everything.
        for (int i = 1; i <= size; ++i) {
            const auto stored = slot(mem, i);
            if (!stored)
                continue;
            const QByteArray &s = stored->status;
            if (flag == 4 || s == "REC READ" || (flag >= 2 && s == "STO SENT") || (flag >= 3 && s == "STO UNSENT"))
                deleteSms(mem, i);
        }
    }
    if (storageUsed(mem) < before)
        freedSlot(mem);
    return Result::ok();
}

Modem::Result Modem::cmgs(const Command &cmd, Info &)
{
    QList<Param> p;
    if (!m_textMode) {
        // AT+CMGS=<length>: the octets of the SMS-SUBMIT that follows in hex.
        int length = 0;
        if (!at::splitParams(cmd.args, &p) || p.size() != 1 || !at::toInt(p[0], &length) || length < 7 || length > 164)
            return Result::cms(304);
        m_entry = {};
        m_entry.active = true;
        m_entry.pdu = true;
        m_entry.length = length;
        return {Result::Prompt, 0};
    }
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2)
        return Result::cms(305);
    // The address comes in the host's character set ("002B0034..." with UCS2).
    QByteArray number = p[0].value;
    if (!te::passesBytes(m_charset)) {
        QString text;
        if (!te::fromTe(number, m_charset, &text))
            return Result::cms(305);
        number = te::toLine(text);
    }
    if (!isSmsNumber(number))
        return Result::cms(305);
    int type = 0;
    if (p.size() == 2 && p[1].given() && (!at::toInt(p[1], &type) || type < 128 || type > 255))
        return Result::cms(305);
    m_entry = {};
    m_entry.active = true;
    m_entry.number = number;
    return {Result::Prompt, 0};
}

void Modem::submitText(Output &out)
{
    const TextEntry entry = m_entry;
    m_entry = {};
    const int reference = m_nextReference;
    const std::optional<Result> refused = entry.pdu ? submitPdu(entry, reference) : submitTextMode(entry, reference);
    if (refused) {
        answer(out, finalText(*refused));
    } else {
        m_nextReference = (m_nextReference + 1) % 256;
        answer(out, infoText({"+CMGS: " + num(reference)}) + finalText(Result::ok()));
    }
    // What +CNMI held back while the message was typed comes after the answer.
    flushIndications();
}

// A text-mode send. +CSMP decides what the text is: 7-bit text in the host's character set, or
// (8-bit or UCS2 coding, or a header) the hex of the user data. The outbox keeps the bytes.
std::optional<Modem::Result> Modem::submitTextMode(const TextEntry &entry, int reference)
{
    const QList<int> csmp = csmpValues(m_settings.value("+CSMP"));
    const int fo = csmp[0];
    const quint8 dcs = quint8(csmp[3]);
    if (entry.overflow)
        return Result::cms(305);
    if ((fo & kHeaderFo) || coding::alphabetOf(dcs) != coding::Alphabet::Gsm7) {
        QByteArray octets;
        if (!pdu::fromHex(entry.text, &octets) || octets.size() > 140)
            return Result::cms(305);
    } else if (te::passesBytes(m_charset)) {
        // Like a real modem it refuses a text longer than one message.
        if (septets(entry.text) > maxTextLength)
            return Result::cms(305);
    } else {
        QString text;
        if (!te::fromTe(entry.text, m_charset, &text) || te::toTe(text, te::Charset::Gsm).size() > maxTextLength)
            return Result::cms(305);
    }
    if (m_profile && m_profile->wrongCentreError && m_smsc != m_cfg.smsc)
        return Result::cms(m_profile->wrongCentreError);
    m_outbox.append({entry.number, entry.text, reference});
    m_arrivals.append({entry.number, entry.text, {}, 0, false});
    if (fo & kReportRequested)
        scheduleReport(entry.number, reference);
    return std::nullopt;
}

// A PDU-mode send: the SMS-SUBMIT's text reaches the outbox decoded; the parts of a long one
// once all are in, joined.
std::optional<Modem::Result> Modem::submitPdu(const TextEntry &entry, int reference)
{
    QByteArray hex = entry.text;
    hex.replace('\r', "").replace('\n', "").replace(' ', "");
    QByteArray octets, centre, tpdu;
    pdu::Submit submit;
    if (entry.overflow || !pdu::fromHex(hex, &octets) || !pdu::splitCentre(octets, &centre, &tpdu) ||
        tpdu.size() != entry.length || !pdu::decodeSubmit(tpdu, &submit)) {
        return Result::cms(304);
    }
    // A service centre in the PDU is the one the message goes through.
    if (m_profile && m_profile->wrongCentreError && (centre.isEmpty() ? m_smsc : centre) != m_cfg.smsc)
        return Result::cms(m_profile->wrongCentreError);
    const bool data = submit.ud.alphabet() == coding::Alphabet::Data8;
    const QString text = data ? QString::fromLatin1(pdu::toHex(submit.ud.body)) : coding::textOf(submit.ud);
    const QByteArray &number = submit.destination;
    m_outbox.append({number, text.toUtf8(), reference});
    const auto concat = coding::findConcat(submit.ud.header);
    if (concat && concat->total > 1) {
        auto it = std::find_if(m_assemblies.begin(), m_assemblies.end(), [&](const Assembly &a) {
            return a.number == number && a.reference == concat->reference && a.wide == concat->wide &&
                   a.total == concat->total;
        });
        if (it == m_assemblies.end())
            it = m_assemblies.insert(m_assemblies.end(),
                                     Assembly{number, concat->reference, concat->wide, concat->total, {}, data});
        it->parts[concat->sequence] = text;
        bool complete = true;
        QString joined;
        for (int seq = 1; seq <= it->total && complete; ++seq) {
            complete = it->parts.contains(seq);
            joined += it->parts.value(seq);
        }
        if (complete) {
            m_arrivals.append({number, {}, joined, it->total, it->data});
            m_assemblies.erase(it);
        }
    } else {
        m_arrivals.append({number, {}, text, 1, data});
    }
    if (submit.reportRequest)
        scheduleReport(number, reference);
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Phonebooks

// Phonebook texts as the host's character set (+CSCS) has them. The SIM keeps them in the
// line's Windows-1252; "UCS2" shows each character as four hex digits of its UTF-16 code,
// "HEX" each byte as two; the other sets pass the bytes unchanged.
QByteArray Modem::toTe(const QByteArray &text) const
{
    const QByteArray set = m_settings.value("+CSCS");
    if (set == "\"HEX\"")
        return text.toHex().toUpper();
    if (set != "\"UCS2\"")
        return text;
    QByteArray out;
    for (QChar c : te::fromLine(text))
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return out;
}

bool Modem::fromTe(const QByteArray &text, QByteArray *out) const
{
    const QByteArray set = m_settings.value("+CSCS");
    const bool ucs2 = set == "\"UCS2\"";
    if (!ucs2 && set != "\"HEX\"") {
        *out = text;
        return true;
    }
    const int width = ucs2 ? 4 : 2;
    if (text.size() % width != 0)
        return false;
    for (char c : text) {
        if (!std::isxdigit(quint8(c)))
            return false;
    }
    if (!ucs2) {
        *out = QByteArray::fromHex(text);
        return true;
    }
    QString unicode;
    for (int i = 0; i < text.size(); i += 4)
        unicode += QChar(char16_t(text.mid(i, 4).toUInt(nullptr, 16)));
    *out = te::toLine(unicode);
    return true;
}

int Modem::phonebookLimit(const QByteArray &book) const
{
    return int(m_books.value(book).size());
}

Modem::Result Modem::cpbs(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Read) {
        info << "+CPBS: " + quoted(m_book) + ',' + num(phonebookUsed(m_book)) + ',' + num(phonebookLimit(m_book));
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1)
        return Result::cme(50);
    const QByteArray book = p[0].value.toUpper();
    if (!m_books.contains(book))
        return Result::cme(4);
    m_book = book;
    return Result::ok();
}

// The "=?" answers of +CPBR and +CPBW name the SIM's locations: a locked SIM refuses them too.
Modem::Result Modem::cpbr(const Command &cmd, Info &info)
{
    const int size = phonebookLimit(m_book);
    if (cmd.form == Form::Test) {
        if (auto gate = simGate(false))
            return *gate;
        info << "+CPBR: (1-" + num(size) + ")," + num(maxNumberLength) + ',' + num(maxNameLength);
        return Result::ok();
    }
    QList<Param> p;
    int first = 0;
    int last = 0;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2 || !at::toInt(p[0], &first))
        return Result::cme(50);
    last = first;
    if (p.size() == 2 && !at::toInt(p[1], &last))
        return Result::cme(50);
    if (first < 1 || last > size || first > last)
        return Result::cme(21);
    const auto &book = m_books[m_book];
    for (int i = first; i <= last; ++i) {
        const auto &e = book[size_t(i - 1)];
        if (e)
            info << "+CPBR: " + num(i) + ',' + quoted(e->number) + ',' + num(e->type) + ',' + quoted(toTe(e->name));
    }
    return Result::ok();
}

Modem::Result Modem::cpbw(const Command &cmd, Info &info)
{
    const int size = phonebookLimit(m_book);
    if (cmd.form == Form::Test) {
        if (auto gate = simGate(false))
            return *gate;
        info << "+CPBW: (1-" + num(size) + ")," + num(maxNumberLength) + ",(129,145,161),"
                + num(maxNameLength);
        return Result::ok();
    }
    // AT+CPBW=[<index>][,<number>[,<type>[,<text>]]]; strings may come with or without quotes.
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() > 4)
        return Result::cme(50);
    while (p.size() < 4)
        p.append(Param{});
    int index = 0;
    if (p[0].given() && !at::toInt(p[0], &index))
        return Result::cme(21);
    if (p[0].given() && (index < 1 || index > size))
        return Result::cme(21);
    PhoneEntry entry{p[1].value, 0, {}};
    if (!fromTe(p[3].value, &entry.name))
        return Result::cme(25);
    if (!entry.number.isEmpty() && !isDialString(entry.number))
        return Result::cme(27);
    if (entry.number.size() > maxNumberLength + (entry.number.startsWith('+') ? 1 : 0))
        return Result::cme(26);
    if (entry.name.size() > maxNameLength)
        return Result::cme(24);
    if (p[2].given() && (!at::toInt(p[2], &entry.type) || entry.type < 128 || entry.type > 255))
        return Result::cme(50);
    if (entry.number.isEmpty() && entry.name.isEmpty()) {
        // Nothing but the index: delete that location. Nothing at all: nowhere to write.
        if (index == 0)
            return Result::cme(21);
        m_books[m_book][size_t(index - 1)].reset();
        return Result::ok();
    }
    if (writePhoneEntry(m_book, entry, index) == 0)
        return Result::cme(20);
    return Result::ok();
}

Modem::Result Modem::cnum(const Command &, Info &info)
{
    for (const auto &e : m_books["ON"]) {
        if (e)
            info << "+CNUM: " + quoted(toTe(e->name)) + ',' + quoted(e->number) + ',' + num(e->type);
    }
    return Result::ok();
}

} // namespace modemsim
