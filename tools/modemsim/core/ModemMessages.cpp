// Handlers of the message commands (storage, reading, deleting, sending) and the phonebooks.

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

bool sameText(const Param &p, const QByteArray &value)
{
    return p.value.compare(value, Qt::CaseInsensitive) == 0;
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

Modem::Result Modem::cpms(const Command &cmd, Info &info)
{
    const QByteArray counts = num(storageUsed()) + ',' + num(storageSize());
    if (cmd.form == Form::Read) {
        info << "+CPMS: \"SM\"," + counts + ",\"SM\"," + counts + ",\"SM\"," + counts;
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 3)
        return Result::cms(302);
    for (const Param &mem : p) {
        if (mem.given() && !sameText(mem, "SM"))
            return Result::cms(302);
    }
    info << "+CPMS: " + counts + ',' + counts + ',' + counts;
    return Result::ok();
}

QByteArray Modem::messageHeader(int index, const StoredSms &sms, bool list) const
{
    const bool received = sms.status.startsWith("REC");
    QByteArray stat;
    if (m_textMode)
        stat = quoted(sms.status);
    else
        stat = num(std::max(0, int(kStates.indexOf(sms.status))));
    QByteArray line = list ? "+CMGL: " + num(index) + ',' + stat : "+CMGR: " + stat;
    line += ',' + quoted(sms.number) + ',';
    if (received)
        line += ',' + quoted(sms.timestamp);
    else if (list)
        line += ',';
    if (m_showHeader) {
        const int type = sms.number.startsWith('+') ? 145 : 129;
        if (list) {
            line += ',' + num(type) + ',' + num(int(sms.text.size()));
        } else if (received) {
            line += ',' + num(type) + ",4,0,0," + quoted(m_smsc) + ',' + num(m_smscType) + ','
                + num(int(sms.text.size()));
        } else {
            line += ',' + num(type) + ",17,0,0,167," + quoted(m_smsc) + ',' + num(m_smscType) + ','
                + num(int(sms.text.size()));
        }
    }
    return line;
}

Modem::Result Modem::cmgr(const Command &cmd, Info &info)
{
    QList<Param> p;
    int index = 0;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1 || !at::toInt(p[0], &index))
        return Result::cms(m_textMode ? 305 : 304);
    if (index < 1 || index > storageSize())
        return Result::cms(321);
    auto &stored = m_slots[size_t(index - 1)];
    if (!stored)
        return m_cfg.emptySlotCmsError ? Result::cms(321) : Result::ok();
    if (m_textMode) {
        info << messageHeader(index, *stored, false) << stored->text;
    } else {
        const pdu::Encoded e = pdu::encode(*stored, m_smsc);
        info << "+CMGR: " + num(std::max(0, int(kStates.indexOf(stored->status)))) + ",," + num(e.length) << e.hex;
    }
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
    for (int i = 0; i < storageSize(); ++i) {
        auto &stored = m_slots[size_t(i)];
        if (!stored || (want != "ALL" && stored->status != want))
            continue;
        if (m_textMode) {
            info << messageHeader(i + 1, *stored, true) << stored->text;
        } else {
            const pdu::Encoded e = pdu::encode(*stored, m_smsc);
            info << "+CMGL: " + num(i + 1) + ',' + num(int(kStates.indexOf(stored->status))) + ",," + num(e.length) << e.hex;
        }
        if (stored->status == "REC UNREAD")
            stored->status = "REC READ";
    }
    return Result::ok();
}

Modem::Result Modem::cmgd(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Test) {
        QByteArrayList used;
        for (int i = 0; i < storageSize(); ++i) {
            if (m_slots[size_t(i)])
                used << num(i + 1);
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
    if (flag == 0) {
        if (!at::toInt(p[0], &index) || index < 1 || index > storageSize())
            return Result::cms(321);
        deleteSms(index);
        return Result::ok();
    }
    // Bulk delete: 1 read, 2 also sent, 3 also unsent, 4 everything.
    for (int i = 0; i < storageSize(); ++i) {
        const auto &stored = m_slots[size_t(i)];
        if (!stored)
            continue;
        const QByteArray &s = stored->status;
        if (flag == 4 || s == "REC READ" || (flag >= 2 && s == "STO SENT") || (flag >= 3 && s == "STO UNSENT"))
            deleteSms(i + 1);
    }
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
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2 || !isSmsNumber(p[0].value))
        return Result::cms(305);
    int type = 0;
    if (p.size() == 2 && p[1].given() && (!at::toInt(p[1], &type) || type < 128 || type > 255))
        return Result::cms(305);
    m_entry = {};
    m_entry.active = true;
    m_entry.number = p[0].value;
    return {Result::Prompt, 0};
}

void Modem::submitText(Output &out)
{
    const TextEntry entry = m_entry;
    m_entry = {};
    SentSms sent{entry.number, entry.text, m_nextReference};
    if (entry.pdu) {
        QByteArray hex = entry.text;
        hex.replace('\r', "").replace('\n', "").replace(' ', "");
        pdu::Submit submit;
        if (entry.overflow || !pdu::decodeSubmit(hex, entry.length, &submit)) {
            answer(out, finalText(Result::cms(304)));
            return;
        }
        sent.number = submit.number;
        sent.text = submit.text;
    } else if (entry.overflow || septets(entry.text) > maxTextLength) {
        answer(out, finalText(Result::cms(305)));
        return;
    }
    m_nextReference = (m_nextReference + 1) % 256;
    m_outbox.append(sent);
    answer(out, infoText({"+CMGS: " + num(sent.reference)}) + finalText(Result::ok()));
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
    for (QChar c : pdu::fromLine(text))
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
    *out = pdu::toLine(unicode);
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
