#include "core/Modem.h"

#include "core/DataFiles.h"
#include "core/Pdu.h"
#include "core/Uart.h"

#include <algorithm>
#include <cctype>

namespace modemsim {

using at::Form;
using at::Param;

namespace {

const QByteArray kPrompt = "\r\n> ";
const QList<QByteArray> kStates = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};

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

QByteArray quoted(const QByteArray &s) { return '"' + s + '"'; }
QByteArray num(int v) { return QByteArray::number(v); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

int indexOfAt(const QByteArray &line)
{
    for (int i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' || line[i] == 'a') && (line[i + 1] == 'T' || line[i + 1] == 't'))
            return i;
    }
    return -1;
}

bool sameText(const Param &p, const QByteArray &value)
{
    return p.value.compare(value, Qt::CaseInsensitive) == 0;
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
// Commands

Modem::Result Modem::execute(const Command &cmd, Info &info)
{
    if (!cmd.name.startsWith('+'))
        return basic(cmd, info);
    const QByteArray &n = cmd.name;
    if (n == "+GMI" || n == "+CGMI")
        return identity(cmd, info, m_cfg.manufacturer);
    if (n == "+GMM" || n == "+CGMM")
        return identity(cmd, info, m_cfg.model);
    if (n == "+GMR" || n == "+CGMR")
        return identity(cmd, info, m_cfg.revision);
    if (n == "+GSN" || n == "+CGSN")
        return identity(cmd, info, m_cfg.imei);
    if (n == "+CIMI") {
        if (cmd.form != Form::Test) {
            if (auto gate = simGate(false))
                return *gate;
        }
        return identity(cmd, info, m_cfg.imsi);
    }
    if (n == "+GCAP")
        return identity(cmd, info, "+GCAP: +CGSM");
    if (n == "+CMEE")
        return cmee(cmd, info);
    if (n == "+CSQ") {
        if (cmd.form == Form::Test) {
            info << "+CSQ: (0-31,99),(0-7,99)";
            return Result::ok();
        }
        if (cmd.form != Form::Action)
            return Result::error();
        info << "+CSQ: " + num(m_cfg.rssi) + ',' + num(m_cfg.ber);
        return Result::ok();
    }
    if (n == "+CPIN")
        return cpin(cmd, info);
    if (n == "+CPINR") {
        // 27.007 +CPINR[=<sel_code>]: one line "+CPINR: <code>,<retries>,<default_retries>"
        // per code the selection names ("SIM PIN", "SIM P*"); answered whatever the SIM state.
        if (cmd.form == Form::Test)
            return Result::ok();
        if (cmd.form == Form::Read)
            return Result::error();
        QByteArray sel = "*";
        QList<Param> p;
        if (cmd.form == Form::Set && (!at::splitParams(cmd.args, &p) || p.size() != 1))
            return Result::cme(50);
        if (!p.isEmpty())
            sel = p[0].value;
        const auto wanted = [&sel](const QByteArray &code) {
            return sel == code || (sel.endsWith('*') && code.startsWith(sel.chopped(1)));
        };
        if (wanted("SIM PIN"))
            info << "+CPINR: SIM PIN," + num(m_pinTries) + ",3";
        if (wanted("SIM PUK"))
            info << "+CPINR: SIM PUK," + num(m_pukTries) + ",10";
        return Result::ok();
    }
    if (n == "+CREG" || n == "+CGREG")
        return creg(cmd, info);
    if (n == "+CGATT") {
        switch (cmd.form) {
        case Form::Read: info << "+CGATT: " + num(registered() ? 1 : 0); return Result::ok();
        case Form::Test: info << "+CGATT: (0,1)"; return Result::ok();
        case Form::Set: return cmd.args.trimmed() == "0" || cmd.args.trimmed() == "1" ? Result::ok() : Result::cme(50);
        case Form::Action: return Result::error();
        }
    }
    if (n == "+CHUP")
        return cmd.form == Form::Action || cmd.form == Form::Test ? Result::ok() : Result::error();
    if (n == "+COPS")
        return cops(cmd, info);
    if (n == "+CSCA")
        return csca(cmd, info);
    if (n == "+CPMS")
        return cpms(cmd, info);
    if (n == "+CMGR")
        return cmgr(cmd, info);
    if (n == "+CMGL")
        return cmgl(cmd, info);
    if (n == "+CMGD")
        return cmgd(cmd, info);
    if (n == "+CMGS")
        return cmgs(cmd, info);
    if (n == "+CPBS")
        return cpbs(cmd, info);
    if (n == "+CPBR")
        return cpbr(cmd, info);
    if (n == "+CPBW")
        return cpbw(cmd, info);
    if (n == "+CNUM")
        return cnum(cmd, info);
    return setting(cmd, info);
}

Modem::Result Modem::basic(const Command &cmd, Info &info)
{
    const QByteArray &n = cmd.name;
    const QByteArray &a = cmd.args;
    auto flag = [&](bool *target) {
        if (a.isEmpty() || a == "0")
            *target = false;
        else if (a == "1")
            *target = true;
        else
            return Result::error();
        return Result::ok();
    };
    if (n == "E")
        return flag(&m_echo);
    if (n == "Q")
        return flag(&m_quiet);
    if (n == "V")
        return flag(&m_verbose);
    if (n == "Z" || n == "&F") {
        if (!a.isEmpty() && a != "0")
            return Result::error();
        resetSettings();
        return Result::ok();
    }
    if (n == "I") {
        if (a.isEmpty() || a == "0") {
            info << m_cfg.manufacturer + ' ' + m_cfg.model << "Revision: " + m_cfg.revision;
        } else if (a == "3") {
            info << m_cfg.revision;
        }
        return Result::ok();
    }
    if (n == "X" || n == "L" || n == "M" || n == "H" || n == "&C" || n == "&D" || n == "&K"
        || n == "&W" || n == "&S" || n == "&Y") {
        return Result::ok();
    }
    if (n == "A" || n == "O")
        return {Result::NoCarrier, 0};
    if (n == "D") {
        if (auto gate = simGate(false))
            return *gate;
        return registered() ? Result{Result::NoCarrier, 0} : Result::cme(30);
    }
    if (n.startsWith('S')) {
        const int reg = n.mid(1).toInt();
        if (!m_sregs.contains(reg))
            return Result::error();
        if (cmd.form == Form::Read) {
            info << num(m_sregs[reg]).rightJustified(3, '0');
            return Result::ok();
        }
        bool ok = false;
        const int v = cmd.args.toInt(&ok);
        if (!ok || v > 255)
            return Result::error();
        m_sregs[reg] = v;
        return Result::ok();
    }
    return Result::error();
}

Modem::Result Modem::identity(const Command &cmd, Info &info, const QByteArray &value)
{
    if (cmd.form == Form::Test)
        return Result::ok();
    if (cmd.form != Form::Action)
        return Result::error();
    info << value;
    return Result::ok();
}

Modem::Result Modem::cmee(const Command &cmd, Info &info)
{
    switch (cmd.form) {
    case Form::Read: info << "+CMEE: " + num(m_cmee); return Result::ok();
    case Form::Test: info << "+CMEE: (0-2)"; return Result::ok();
    case Form::Action: m_cmee = 0; return Result::ok();
    case Form::Set: break;
    }
    QList<Param> p;
    int v = 0;
    if (!at::splitParams(cmd.args, &p) || p.size() > 1)
        return Result::cme(50);
    if (p.isEmpty())
        v = 0;
    else if (!at::toInt(p[0], &v) || v > 2)
        return Result::cme(50);
    m_cmee = v;
    return Result::ok();
}

Modem::Result Modem::cpin(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Test)
        return Result::ok();
    if (cmd.form == Form::Read) {
        switch (m_sim) {
        case SimState::Ready: info << "+CPIN: READY"; break;
        case SimState::PinRequired: info << "+CPIN: SIM PIN"; break;
        case SimState::PukRequired: info << "+CPIN: SIM PUK"; break;
        case SimState::Blocked: return Result::cme(13);
        }
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || p.size() > 2)
        return Result::cme(50);
    auto wellFormed = [](const QByteArray &code) {
        if (code.size() < 4 || code.size() > 8)
            return false;
        return std::all_of(code.begin(), code.end(), isDigit);
    };
    switch (m_sim) {
    case SimState::Blocked:
        return Result::cme(13);
    case SimState::Ready:
        return Result::cme(3);
    case SimState::PinRequired:
        if (p.size() != 1)
            return Result::cme(3);
        if (!wellFormed(p[0].value))
            return Result::cme(50);
        if (p[0].value != m_pin) {
            if (--m_pinTries <= 0)
                m_sim = SimState::PukRequired;
            return Result::cme(16);
        }
        m_pinTries = 3;
        m_sim = SimState::Ready;
        m_cregQueries = 0;
        m_home = false;
        return Result::ok();
    case SimState::PukRequired:
        if (p.size() != 2)
            return Result::cme(12);
        if (p[0].value.size() != 8 || !std::all_of(p[0].value.begin(), p[0].value.end(), isDigit)
            || !wellFormed(p[1].value)) {
            return Result::cme(50);
        }
        if (p[0].value != m_cfg.puk) {
            if (--m_pukTries <= 0)
                m_sim = SimState::Blocked;
            return Result::cme(16);
        }
        m_pin = p[1].value;
        m_pinTries = 3;
        m_pukTries = 10;
        m_sim = SimState::Ready;
        m_cregQueries = 0;
        m_home = false;
        return Result::ok();
    }
    return Result::error();
}

// +CREG (circuit-switched) and +CGREG (packet) registration share one network state.
Modem::Result Modem::creg(const Command &cmd, Info &info)
{
    const bool packet = cmd.name == "+CGREG";
    int &mode = packet ? m_cgregMode : m_cregMode;
    QList<Param> p;
    int v = 0;
    switch (cmd.form) {
    case Form::Test: info << cmd.name + ": (0-2)"; return Result::ok();
    case Form::Action: return Result::error();
    case Form::Set:
        if (!at::splitParams(cmd.args, &p) || p.size() > 1 || (!p.isEmpty() && (!at::toInt(p[0], &v) || v > 2)))
            return Result::cme(50);
        mode = v;
        return Result::ok();
    case Form::Read: break;
    }
    // Registration starts when the SIM is unlocked; the modem searches for a while (counted in
    // +CREG queries, so that a test knows how many "searching" answers to expect), then is home.
    int stat = 0;
    if (m_sim == SimState::Ready) {
        if (m_cregQueries < m_cfg.cregSearchQueries) {
            stat = 2;
            if (!packet)
                ++m_cregQueries;
        } else {
            stat = 1;
            m_home = true;
        }
    }
    QByteArray line = cmd.name + ": " + num(mode) + ',' + num(stat);
    if (mode == 2 && stat == 1)
        line += ",\"1A2B\",\"3C4D\"";
    info << line;
    return Result::ok();
}

Modem::Result Modem::cops(const Command &cmd, Info &info)
{
    const QByteArray &name = m_cfg.operatorName;
    switch (cmd.form) {
    case Form::Test:
        info << "+COPS: (2," + quoted(name) + ',' + quoted(name.left(8)) + ',' + quoted(m_cfg.operatorNumeric)
                + "),,(0-4),(0-2)";
        return Result::ok();
    case Form::Action: return Result::error();
    case Form::Read:
        if (!registered()) {
            info << "+COPS: 0";
        } else {
            const QByteArray oper = m_copsFormat == 2 ? m_cfg.operatorNumeric
                                  : m_copsFormat == 1 ? name.left(8)
                                                      : name;
            info << "+COPS: 0," + num(m_copsFormat) + ',' + quoted(oper);
        }
        return Result::ok();
    case Form::Set: break;
    }
    QList<Param> p;
    int mode = 0;
    if (!at::splitParams(cmd.args, &p) || p.isEmpty() || !at::toInt(p[0], &mode))
        return Result::cme(50);
    if (mode == 0)
        return Result::ok();
    if (mode == 3) {
        int format = 0;
        if (p.size() != 2 || !at::toInt(p[1], &format) || format > 2)
            return Result::cme(50);
        m_copsFormat = format;
        return Result::ok();
    }
    return Result::cme(3);
}

Modem::Result Modem::csca(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Test)
        return Result::ok();
    if (auto gate = simGate(true))
        return *gate;
    if (cmd.form == Form::Read) {
        info << "+CSCA: " + quoted(m_smsc) + ',' + num(m_smscType);
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (cmd.form == Form::Test) {
        info << "+CPMS: (\"SM\"),(\"SM\"),(\"SM\")";
        return Result::ok();
    }
    if (auto gate = simGate(true))
        return *gate;
    const QByteArray counts = num(storageUsed()) + ',' + num(storageSize());
    if (cmd.form == Form::Read) {
        info << "+CPMS: \"SM\"," + counts + ",\"SM\"," + counts + ",\"SM\"," + counts;
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (cmd.form == Form::Test)
        return Result::ok();
    if (auto gate = simGate(true))
        return *gate;
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (auto gate = simGate(true))
        return *gate;
    if (cmd.form == Form::Read)
        return Result::error();
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
    if (auto gate = simGate(true))
        return *gate;
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (cmd.form == Form::Test)
        return Result::ok();
    if (auto gate = simGate(true))
        return *gate;
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (cmd.form == Form::Test) {
        info << "+CPBS: (\"SM\",\"ON\")";
        return Result::ok();
    }
    if (auto gate = simGate(false))
        return *gate;
    if (cmd.form == Form::Read) {
        info << "+CPBS: " + quoted(m_book) + ',' + num(phonebookUsed(m_book)) + ',' + num(phonebookLimit(m_book));
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() != 1)
        return Result::cme(50);
    const QByteArray book = p[0].value.toUpper();
    if (!m_books.contains(book))
        return Result::cme(4);
    m_book = book;
    return Result::ok();
}

Modem::Result Modem::cpbr(const Command &cmd, Info &info)
{
    if (auto gate = simGate(false))
        return *gate;
    const int size = phonebookLimit(m_book);
    if (cmd.form == Form::Test) {
        info << "+CPBR: (1-" + num(size) + ")," + num(maxNumberLength) + ',' + num(maxNameLength);
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
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
    if (auto gate = simGate(false))
        return *gate;
    const int size = phonebookLimit(m_book);
    if (cmd.form == Form::Test) {
        info << "+CPBW: (1-" + num(size) + ")," + num(maxNumberLength) + ",(129,145,161),"
                + num(maxNameLength);
        return Result::ok();
    }
    if (cmd.form != Form::Set)
        return Result::error();
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

Modem::Result Modem::cnum(const Command &cmd, Info &info)
{
    if (cmd.form == Form::Test)
        return Result::ok();
    if (auto gate = simGate(false))
        return *gate;
    if (cmd.form != Form::Action)
        return Result::error();
    for (const auto &e : m_books["ON"]) {
        if (e)
            info << "+CNUM: " + quoted(toTe(e->name)) + ',' + quoted(e->number) + ',' + num(e->type);
    }
    return Result::ok();
}

// Settings the modem only keeps and reports: a command of the 27.005 set that the program does
// not send, but that other tools (and people at the terminal) do.
Modem::Result Modem::setting(const Command &cmd, Info &info)
{
    struct Known {
        const char *name;
        const char *range; // the answer to "=?", without the name
        int maxParams;
    };
    static const Known known[] = {
        {"+CMGF", "(0,1)", 1},
        {"+CSDH", "(0,1)", 1},
        {"+CSCS", "(\"GSM\",\"IRA\",\"8859-1\",\"PCCP437\",\"UCS2\",\"HEX\")", 1},
        {"+CNMI", "(0-3),(0-3),(0-3),(0-2),(0,1)", 5},
        {"+CSMP", "", 4},
        {"+CSMS", "(0,1)", 1},
        {"+CFUN", "(0,1,4),(0,1)", 2},
        {"+CPAS", "(0-5)", 0},
        {"+CBC", "", 0},
        {"+IPR", "(),(1200,2400,4800,9600,19200,38400,57600,115200)", 1},
    };
    const Known *k = nullptr;
    for (const Known &candidate : known) {
        if (cmd.name == candidate.name)
            k = &candidate;
    }
    if (!k)
        return Result::error();
    const QByteArray name = k->name;
    if (cmd.form == Form::Test) {
        if (*k->range)
            info << name + ": " + k->range;
        return Result::ok();
    }
    if (name == "+CPAS" || name == "+CBC") {
        if (cmd.form != Form::Action)
            return Result::error();
        info << (name == "+CPAS" ? "+CPAS: 0" : "+CBC: 0,100");
        return Result::ok();
    }
    if (cmd.form == Form::Action)
        return Result::error();
    if (cmd.form == Form::Read) {
        if (name == "+CMGF")
            info << "+CMGF: " + num(m_textMode ? 1 : 0);
        else if (name == "+CSDH")
            info << "+CSDH: " + num(m_showHeader ? 1 : 0);
        else if (name == "+CSMS")
            info << "+CSMS: 0,1,1,1";
        else if (name == "+IPR")
            info << "+IPR: " + num(m_cfg.baud);
        else
            info << name + ": " + m_settings.value(name);
        return Result::ok();
    }
    QList<Param> p;
    if (!at::splitParams(cmd.args, &p) || p.size() > k->maxParams)
        return Result::cme(50);
    int v = 0;
    if (name == "+CMGF" || name == "+CSDH" || name == "+CSMS") {
        if (!p.isEmpty() && (!at::toInt(p[0], &v) || v > 1))
            return name == "+CMGF" ? Result::cme(50) : Result::cms(302);
        if (name == "+CMGF")
            m_textMode = v == 1;
        else if (name == "+CSDH")
            m_showHeader = v == 1;
        else
            info << "+CSMS: 1,1,1";
        return Result::ok();
    }
    if (name == "+IPR") {
        static const QList<int> speeds = {0, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
        if (p.size() != 1 || !at::toInt(p[0], &v) || !speeds.contains(v))
            return Result::cme(50);
        m_pendingBaud = v;
        return Result::ok();
    }
    if (name == "+CSCS") {
        static const QList<QByteArray> sets = {"GSM", "IRA", "8859-1", "PCCP437", "UCS2", "HEX"};
        if (p.size() != 1 || !sets.contains(p[0].value.toUpper()))
            return Result::cme(50);
        // The text bytes pass through unchanged whatever the character set is called.
        m_settings[name] = quoted(p[0].value.toUpper());
        return Result::ok();
    }
    QByteArrayList values;
    for (const Param &param : p) {
        if (param.given() && !param.quoted && !at::toInt(param, &v))
            return Result::cme(50);
        values << (param.quoted ? quoted(param.value) : param.value);
    }
    m_settings[name] = values.join(',');
    return Result::ok();
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
