// The modem's line: bytes in and out, echo, command lines, result codes and the fault modes;
// its state (message storage, phonebooks). The commands: ModemCommands.cpp.

#include "core/Modem.h"

#include "core/DataFiles.h"
#include "core/ModemText.h"
#include "core/Uart.h"

#include <algorithm>

namespace modemsim {

namespace {

const QByteArray kPrompt = "\r\n> ";

// Verbose texts of +CME ERROR (27.007 clause 9.2) and +CMS ERROR (27.005 clause 3.2.5).
QByteArray cmeVerbose(int code)
{
    switch (code) {
    case 0: return "phone failure";
    case 3: return "operation not allowed";
    case 4: return "operation not supported";
    case 10: return "SIM not inserted";
    case 11: return "SIM PIN required";
    case 12: return "SIM PUK required";
    case 13: return "SIM failure";
    case 14: return "SIM busy";
    case 16: return "incorrect password";
    case 20: return "memory full";
    case 21: return "invalid index";
    case 22: return "not found";
    case 24: return "text string too long";
    case 25: return "invalid characters in text string";
    case 26: return "dial string too long";
    case 27: return "invalid characters in dial string";
    case 30: return "no network service";
    case 50: return "Incorrect parameters";
    default: return "unknown";
    }
}

QByteArray cmsVerbose(int code)
{
    switch (code) {
    case 300: return "ME failure";
    case 302: return "operation not allowed";
    case 303: return "operation not supported";
    case 304: return "invalid PDU mode parameter";
    case 305: return "invalid text mode parameter";
    case 310: return "SIM not inserted";
    case 311: return "SIM PIN required";
    case 313: return "SIM failure";
    case 316: return "SIM PUK required";
    case 320: return "memory failure";
    case 321: return "invalid memory index";
    case 322: return "memory full";
    case 330: return "SMSC address unknown";
    case 331: return "no network service";
    default: return "unknown error";
    }
}

int indexOfAt(const QByteArray &line)
{
    for (int i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' || line[i] == 'a') && (line[i + 1] == 'T' || line[i + 1] == 't'))
            return i;
    }
    return -1;
}

} // namespace

Modem::Modem(Config cfg) : m_cfg(std::move(cfg))
{
    m_cfg.storageSize = qBound(0, m_cfg.storageSize, 999);
    m_cfg.phonebookSize = qBound(1, m_cfg.phonebookSize, 999);
    m_cfg.ownNumberSize = qBound(1, m_cfg.ownNumberSize, 99);
    m_hostBaud = m_cfg.baud;
    m_pin = m_cfg.pin;
    m_sim = m_pin.isEmpty() ? SimState::Ready : SimState::PinRequired;
    m_smsc = m_cfg.smsc;
    m_smscType = m_smsc.startsWith('+') ? 145 : 129;
    m_slots.resize(size_t(m_cfg.storageSize));
    m_books["SM"].resize(size_t(m_cfg.phonebookSize));
    m_books["ON"].resize(size_t(m_cfg.ownNumberSize));
    if (!m_cfg.ownNumber.isEmpty())
        writePhoneEntry("ON", {m_cfg.ownNumber, m_cfg.ownNumber.startsWith('+') ? 145 : 129, {}}, 1);
    m_settings["+CSCS"] = "\"IRA\"";
    m_settings["+CNMI"] = "2,1,0,0,0";
    m_settings["+CSMP"] = "17,167,0,0";
    m_settings["+CFUN"] = "1";
    m_sregs = {{0, 0}, {3, 13}, {4, 10}, {5, 8}, {7, 60}, {8, 2}, {10, 14}};
}

void Modem::resetSettings()
{
    m_echo = true;
    m_verbose = true;
    m_quiet = false;
    m_cmee = 0;
}

bool Modem::baudMatches() const
{
    return m_cfg.baud <= 0 || m_hostBaud <= 0 || m_hostBaud == m_cfg.baud;
}

void Modem::setHostBaud(int baud)
{
    m_hostBaud = baud;
}

bool Modem::registered() const
{
    // Home from the first query that is answered "registered" on (or at once without a search).
    return m_sim == SimState::Ready && (m_cfg.cregSearchQueries <= 0 || m_home);
}

// ---------------------------------------------------------------------------------------------
// Bytes in, bytes out

QList<Chunk> Modem::receive(const QByteArray &fromHost)
{
    if (m_cfg.silent || fromHost.isEmpty())
        return {};
    Output out;
    if (!baudMatches()) {
        // At the wrong speed the modem hears noise. It echoes what it heard, but no "AT" ever
        // forms, and whatever command line was begun is lost.
        const QByteArray heard = garble(fromHost, m_hostBaud, m_cfg.baud);
        m_line.clear();
        m_skipLf = false;
        if (m_echo)
            out.echo += heard;
        return finish(out);
    }
    for (char c : fromHost) {
        // The LF of a CR LF line end is no part of the next command line. A modem that enters
        // text entry at the CR of AT+CMGS takes that LF as the message's first character, as a
        // strict one does: command lines end with CR alone.
        if (m_skipLf) {
            m_skipLf = false;
            if (c == '\n' && !m_entry.active)
                continue;
        }
        if (m_entry.active)
            textByte(c, out);
        else
            commandByte(c, out);
    }
    return finish(out);
}

void Modem::commandByte(char c, Output &out)
{
    if (m_echo)
        out.echo += c;
    switch (c) {
    case '\r': {
        const QByteArray line = m_line;
        const bool overflow = m_overflow;
        m_line.clear();
        m_overflow = false;
        m_skipLf = true;
        runLine(line, overflow, out);
        return;
    }
    case '\b':
        if (!m_line.isEmpty())
            m_line.chop(1);
        return;
    case '\n':
        return;
    default:
        break;
    }
    if (m_line.size() >= maxLineLength) {
        m_overflow = true;
        return;
    }
    m_line += c;
    // "A/" repeats the previous command line at once, without a CR.
    if (m_line.size() >= 2 && indexOfAt(m_line) < 0) {
        const QByteArray tail = m_line.right(2).toUpper();
        if (tail == "A/") {
            m_line.clear();
            if (!m_lastLine.isEmpty())
                runLine(m_lastLine, false, out);
        }
    }
}

void Modem::textByte(char c, Output &out)
{
    switch (c) {
    case 0x1a: // Ctrl-Z: send
        submitText(out);
        return;
    case 0x1b: // ESC: give up, the message is not sent
        m_entry = {};
        answer(out, finalText(Result::ok()));
        return;
    case '\b':
        if (m_echo)
            out.echo += c;
        if (!m_entry.text.isEmpty())
            m_entry.text.chop(1);
        return;
    default:
        break;
    }
    if (m_echo)
        out.echo += c;
    if (m_entry.text.size() >= maxLineLength)
        m_entry.overflow = true;
    else
        m_entry.text += c;
    // Each line of the text gets a prompt of its own.
    if (c == '\r')
        answer(out, kPrompt);
}

void Modem::runLine(const QByteArray &line, bool overflow, Output &out)
{
    // V.250: what comes before "AT" is ignored, and so is a line without it.
    const int at = indexOfAt(line);
    if (at < 0)
        return;
    if (overflow) {
        answer(out, finalText(Result::error()));
        return;
    }
    m_lastLine = line.mid(at);
    QByteArray text;
    Result result = Result::ok();
    QList<Command> commands;
    if (!at::splitCommands(line.mid(at + 2), &commands)) {
        result = Result::error();
    } else {
        QByteArray errorFor = at::normalized(m_cfg.errorFor);
        if (!errorFor.isEmpty() && !errorFor.startsWith("AT"))
            errorFor.prepend("AT");
        for (const Command &cmd : commands) {
            if (!errorFor.isEmpty() && ("AT" + cmd.text).startsWith(errorFor)) {
                result = Result::error();
                break;
            }
            Info info;
            result = execute(cmd, info);
            if (!info.isEmpty())
                text += infoText(info);
            if (result.kind != Result::Ok)
                break;
        }
    }
    text += result.kind == Result::Prompt ? kPrompt : finalText(result);
    answer(out, text);
}

void Modem::flushEcho(Output &out)
{
    if (!out.echo.isEmpty()) {
        out.chunks.append({0, out.echo});
        out.echo.clear();
    }
}

void Modem::answer(Output &out, const QByteArray &bytes)
{
    flushEcho(out);
    out.chunks += pieces(bytes);
}

QList<Chunk> Modem::finish(Output &out)
{
    flushEcho(out);
    QList<Chunk> result;
    int carried = 0;
    for (const Chunk &c : out.chunks) {
        const QByteArray bytes = toHost(c.bytes);
        if (bytes.isEmpty()) {
            carried += c.delayMs;
            continue;
        }
        const int delay = c.delayMs + carried;
        carried = 0;
        if (delay == 0 && !result.isEmpty())
            result.last().bytes += bytes;
        else
            result.append({delay, bytes});
    }
    if (m_pendingBaud >= 0) {
        m_cfg.baud = m_pendingBaud;
        m_pendingBaud = -1;
    }
    return result;
}

// An answer as it goes out: after the answer delay, in pieces when answers are split, behind a
// burst of noise in garbage mode. Pieces: every line on its own and each line cut once in the
// middle of its text ("\r\nOK\r\n" comes as "\r\n", "O", "K\r\n").
QList<Chunk> Modem::pieces(const QByteArray &answer)
{
    QList<Chunk> out;
    if (answer.isEmpty())
        return out;
    int delay = m_cfg.answerDelayMs;
    if (m_cfg.garbage) {
        out.append({delay, noise()});
        delay = 0;
    }
    if (m_cfg.splitPauseMs <= 0) {
        out.append({delay, answer});
        return out;
    }
    QList<QByteArray> parts;
    int start = 0;
    while (start < answer.size()) {
        int end = int(answer.indexOf('\n', start));
        end = end < 0 ? int(answer.size()) : end + 1;
        const QByteArray line = answer.mid(start, end - start);
        const int textLength = int(line.size()) - (line.endsWith("\r\n") ? 2 : 0);
        if (textLength >= 2) {
            parts << line.left(textLength / 2) << line.mid(textLength / 2);
        } else {
            parts << line;
        }
        start = end;
    }
    for (int i = 0; i < parts.size(); ++i)
        out.append({i == 0 ? delay : m_cfg.splitPauseMs, parts[i]});
    return out;
}

// Line noise: a few bytes of 0x00 and 0x80..0xFF, so that it never forms a result code.
QByteArray Modem::noise()
{
    auto next = [this] {
        m_noiseSeed ^= m_noiseSeed << 13;
        m_noiseSeed ^= m_noiseSeed >> 17;
        m_noiseSeed ^= m_noiseSeed << 5;
        return m_noiseSeed;
    };
    QByteArray out;
    const int n = 3 + int(next() % 6);
    for (int i = 0; i < n; ++i) {
        quint8 b = quint8(next() >> 8);
        if (b != 0)
            b |= 0x80;
        out += char(b);
    }
    return out;
}

QByteArray Modem::toHost(const QByteArray &bytes) const
{
    return baudMatches() ? bytes : garble(bytes, m_cfg.baud, m_hostBaud);
}

QList<Chunk> Modem::unsolicited(const QByteArray &line)
{
    if (m_cfg.silent)
        return {};
    const QByteArray bytes = m_verbose ? "\r\n" + line + "\r\n" : line + "\r\n";
    return {Chunk{0, toHost(bytes)}};
}

QList<Chunk> Modem::injectSms(const StoredSms &sms)
{
    StoredSms stored = sms;
    if (stored.timestamp.isEmpty())
        stored.timestamp = currentTimestamp();
    const int index = storeSms(stored);
    if (index == 0)
        return {};
    return unsolicited("+CMTI: \"SM\"," + num(index));
}

// ---------------------------------------------------------------------------------------------
// Answer texts

QByteArray Modem::finalText(const Result &r) const
{
    if (m_quiet)
        return {};
    QByteArray text;
    int code = 0;
    switch (r.kind) {
    case Result::Ok: text = "OK"; code = 0; break;
    case Result::Prompt: return kPrompt;
    case Result::NoCarrier: text = "NO CARRIER"; code = 3; break;
    case Result::Error: text = "ERROR"; code = 4; break;
    case Result::Cme:
    case Result::Cms:
        if (m_cmee == 0) {
            text = "ERROR";
            code = 4;
            break;
        }
        text = r.kind == Result::Cme ? "+CME ERROR: " : "+CMS ERROR: ";
        if (m_cmee == 1)
            text += num(r.code);
        else
            text += r.kind == Result::Cme ? cmeVerbose(r.code) : cmsVerbose(r.code);
        return m_verbose ? "\r\n" + text + "\r\n" : text + "\r";
    }
    return m_verbose ? "\r\n" + text + "\r\n" : num(code) + "\r";
}

QByteArray Modem::infoText(const Info &lines) const
{
    const QByteArray body = lines.join("\r\n") + "\r\n";
    return m_verbose ? "\r\n" + body : body;
}

std::optional<Modem::Result> Modem::simGate(bool sms) const
{
    switch (m_sim) {
    case SimState::Ready: return std::nullopt;
    case SimState::PinRequired: return sms ? Result::cms(311) : Result::cme(11);
    case SimState::PukRequired: return sms ? Result::cms(316) : Result::cme(12);
    case SimState::Blocked: return sms ? Result::cms(313) : Result::cme(13);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Storage and phonebooks

int Modem::storageUsed() const
{
    return int(std::count_if(m_slots.begin(), m_slots.end(), [](const auto &s) { return s.has_value(); }));
}

std::optional<StoredSms> Modem::slot(int index) const
{
    if (index < 1 || index > storageSize())
        return std::nullopt;
    return m_slots[size_t(index - 1)];
}

int Modem::storeSms(const StoredSms &sms, int index)
{
    if (index == 0) {
        for (int i = 0; i < storageSize(); ++i) {
            if (!m_slots[size_t(i)]) {
                index = i + 1;
                break;
            }
        }
    }
    if (index < 1 || index > storageSize())
        return 0;
    m_slots[size_t(index - 1)] = sms;
    return index;
}

void Modem::deleteSms(int index)
{
    if (index >= 1 && index <= storageSize())
        m_slots[size_t(index - 1)].reset();
}

int Modem::phonebookSize(const QByteArray &book) const
{
    return phonebookLimit(book.toUpper());
}

int Modem::phonebookUsed(const QByteArray &book) const
{
    const auto entries = m_books.value(book.toUpper());
    return int(std::count_if(entries.begin(), entries.end(), [](const auto &e) { return e.has_value(); }));
}

std::optional<PhoneEntry> Modem::phoneEntry(const QByteArray &book, int index) const
{
    const auto it = m_books.constFind(book.toUpper());
    if (it == m_books.constEnd() || index < 1 || index > int(it->size()))
        return std::nullopt;
    return (*it)[size_t(index - 1)];
}

int Modem::writePhoneEntry(const QByteArray &book, const PhoneEntry &entry, int index)
{
    auto it = m_books.find(book.toUpper());
    if (it == m_books.end())
        return 0;
    auto &entries = *it;
    if (index == 0) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!entries[i]) {
                index = int(i) + 1;
                break;
            }
        }
    }
    if (index < 1 || index > int(entries.size()))
        return 0;
    // The SIM keeps the digits and the type of number; a '+' in front and type 145 are the
    // same thing, so a number written with '+' reads back as 145 whatever type came with it.
    PhoneEntry stored = entry;
    if (stored.type == 0)
        stored.type = stored.number.startsWith('+') ? 145 : 129;
    if (stored.number.startsWith('+'))
        stored.type = 145;
    else if (stored.type == 145 && !stored.number.isEmpty())
        stored.number.prepend('+');
    entries[size_t(index - 1)] = stored;
    return index;
}

} // namespace modemsim
