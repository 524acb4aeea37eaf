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
    applyProfile();
    m_cfg.storageSize = qBound(0, m_cfg.storageSize, 999);
    m_cfg.phonebookSize = qBound(1, m_cfg.phonebookSize, 999);
    m_cfg.ownNumberSize = qBound(1, m_cfg.ownNumberSize, 99);
    m_hostBaud = m_cfg.baud;
    m_pin = m_cfg.pin;
    m_sim = m_pin.isEmpty() ? SimState::Ready : SimState::PinRequired;
    m_smsc = m_cfg.smsc;
    m_smscType = m_smsc.startsWith('+') ? 145 : 129;
    m_stores["SM"].resize(size_t(m_cfg.storageSize));
    m_stores["ME"].resize(size_t(qBound(0, m_cfg.meStorageSize, 999)));
    m_stores["SR"].resize(size_t(qBound(0, m_cfg.reportStorageSize, 999)));
    if (m_profile && !m_profile->storage.isEmpty())
        m_mem[0] = m_mem[1] = m_mem[2] = m_profile->storage;
    m_books["SM"].resize(size_t(m_cfg.phonebookSize));
    m_books["ON"].resize(size_t(m_cfg.ownNumberSize));
    if (!m_cfg.ownNumber.isEmpty())
        writePhoneEntry("ON", {m_cfg.ownNumber, m_cfg.ownNumber.startsWith('+') ? 145 : 129, {}}, 1);
    if (m_profile && !m_profile->charset.isEmpty())
        m_charset = te::charsetNamed(m_profile->charset).value_or(te::Charset::Ira);
    m_settings["+CSCS"] = quoted(te::charsetName(m_charset));
    m_settings["+CSMP"] = "17,167,0,0";
    m_settings["+CFUN"] = "1";
    m_sregs = {{0, 0}, {3, 13}, {4, 10}, {5, 8}, {7, 60}, {8, 2}, {10, 14}};
}

// A profile's differences that are settings of the modem: its identity and the lines it mixes
// into answers (each unless the command line set it).
void Modem::applyProfile()
{
    m_profile = findProfile(m_cfg.profile);
    if (!m_profile)
        return;
    const Profile &p = *m_profile;
    if (!p.manufacturer.isEmpty())
        m_cfg.manufacturer = p.manufacturer;
    if (!p.model.isEmpty())
        m_cfg.model = p.model;
    if (!p.revision.isEmpty())
        m_cfg.revision = p.revision;
    if (m_cfg.mixLines.isEmpty())
        m_cfg.mixLines = p.mixLines;
    if (m_cfg.mixEvery == 0)
        m_cfg.mixEvery = p.mixEvery;
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
        flushIndications();
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
    int extraDelay = 0;
    Result result = Result::ok();
    QList<Command> commands;
    if (!at::splitCommands(line.mid(at + 2), &commands)) {
        result = Result::error();
    } else {
        QByteArray errorFor = at::normalized(m_cfg.errorFor);
        if (!errorFor.isEmpty() && !errorFor.startsWith("AT"))
            errorFor.prepend("AT");
        for (const Command &cmd : commands) {
            extraDelay += commandDelay("AT" + cmd.text);
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
    const int infoEnd = int(text.size());
    text += result.kind == Result::Prompt ? kPrompt : finalText(result);
    // A modem that mixes its own lines into answers puts one after the first information line
    // (or before the result code when there is none).
    ++m_answers;
    if (m_cfg.mixEvery > 0 && !m_cfg.mixLines.isEmpty() && m_answers % m_cfg.mixEvery == 0) {
        const QByteArray mixed = urcText(profileLine(m_cfg.mixLines[m_nextMix++ % m_cfg.mixLines.size()]));
        int at = infoEnd;
        if (infoEnd > 0) {
            const int lineEnd = int(text.indexOf("\r\n", m_verbose ? 2 : 0));
            at = lineEnd >= 0 && lineEnd < infoEnd ? lineEnd + 2 : infoEnd;
        }
        text.insert(at, mixed);
    }
    answer(out, text, extraDelay);
    if (!m_urcs.isEmpty()) {
        out.chunks.append({0, m_urcs});
        m_urcs.clear();
    }
}

// A command's answer comes later by the delays set for commands it begins with.
int Modem::commandDelay(const QByteArray &commandText) const
{
    int ms = 0;
    for (const CommandDelay &d : m_cfg.commandDelays) {
        QByteArray prefix = at::normalized(d.command);
        if (!prefix.startsWith("AT"))
            prefix.prepend("AT");
        if (prefix.size() > 2 && commandText.startsWith(prefix))
            ms += d.ms;
    }
    return ms;
}

void Modem::flushEcho(Output &out)
{
    if (!out.echo.isEmpty()) {
        out.chunks.append({0, out.echo});
        out.echo.clear();
    }
}

void Modem::answer(Output &out, const QByteArray &bytes, int extraDelayMs)
{
    flushEcho(out);
    out.chunks += pieces(bytes, extraDelayMs);
}

QList<Chunk> Modem::finish(Output &out)
{
    flushEcho(out);
    if (!m_urcs.isEmpty()) {
        out.chunks.append({0, m_urcs});
        m_urcs.clear();
    }
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
QList<Chunk> Modem::pieces(const QByteArray &answer, int extraDelayMs)
{
    QList<Chunk> out;
    if (answer.isEmpty())
        return out;
    int delay = m_cfg.answerDelayMs + extraDelayMs;
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
    sendUrc(urcText(line));
    return takeUrcs();
}

// ---------------------------------------------------------------------------------------------
// Unsolicited output

QByteArray Modem::urcText(const QByteArray &lines) const
{
    return m_verbose ? "\r\n" + lines + "\r\n" : lines + "\r\n";
}

void Modem::sendUrc(const QByteArray &lines)
{
    m_urcs += lines;
}

// 27.005 +CNMI <mode>: 0 holds every indication in the modem; 1 drops them while the link is
// reserved (here: while a message is being typed after the "> " prompt), 2 holds them until it
// is free; 3 sends them at once whatever the state.
void Modem::indicate(const QByteArray &lines)
{
    const int mode = m_cnmi[0];
    if (mode == 3 || ((mode == 1 || mode == 2) && !entryReserved())) {
        sendUrc(lines);
        return;
    }
    if (mode == 1)
        return;
    // The modem's buffer is small: the oldest indication gives way.
    constexpr int kHeld = 16;
    m_heldIndications.append(lines);
    while (m_heldIndications.size() > kHeld)
        m_heldIndications.removeFirst();
}

void Modem::flushIndications()
{
    if (m_cnmi[0] == 0 || entryReserved())
        return;
    for (const QByteArray &lines : std::as_const(m_heldIndications))
        sendUrc(lines);
    m_heldIndications.clear();
}

QList<Chunk> Modem::takeUrcs()
{
    const QByteArray bytes = m_urcs;
    m_urcs.clear();
    if (m_cfg.silent || bytes.isEmpty())
        return {};
    return {Chunk{0, toHost(bytes)}};
}

// A profile's line with the modem's values in it.
QByteArray Modem::profileLine(const QByteArray &line, const QByteArray &mem) const
{
    return QByteArray(line).replace("{rssi}", num(m_cfg.rssi)).replace("{mem}", mem);
}

// ---------------------------------------------------------------------------------------------
// The clock

void Modem::scheduleLines(const QList<TimedLine> &lines)
{
    qint64 due = m_now;
    for (const TimedLine &l : lines) {
        due += qMax(0, l.delayMs);
        Event e;
        e.due = due;
        e.order = m_eventOrder++;
        e.kind = Event::Line;
        e.line = l.line;
        m_events.push_back(e);
    }
}

qint64 Modem::nextDue() const
{
    qint64 due = -1;
    for (const Event &e : m_events) {
        if (due < 0 || e.due < due)
            due = e.due;
    }
    return due;
}

// The earliest event that is due; of two due at once, the one scheduled first.
void Modem::fireEvent()
{
    auto first = m_events.end();
    for (auto it = m_events.begin(); it != m_events.end(); ++it) {
        if (it->due <= m_now &&
            (first == m_events.end() || it->due < first->due || (it->due == first->due && it->order < first->order))) {
            first = it;
        }
    }
    if (first == m_events.end())
        return;
    Event e = *first;
    m_events.erase(first);
    switch (e.kind) {
    case Event::Part:
        receivePart(e.part, e.slot);
        break;
    case Event::Report:
        e.report.discharge = m_cfg.networkTime.isEmpty() ? currentTimestamp() : m_cfg.networkTime;
        routeStatusReport(e.report);
        break;
    case Event::Line:
        sendUrc(urcText(profileLine(e.line)));
        if (m_profile && e.line == m_profile->smsReadyLine)
            m_smsStarting = false;
        break;
    case Event::Periodic:
        if (m_profile && !m_profile->periodicLines.isEmpty()) {
            const auto &lines = m_profile->periodicLines;
            sendUrc(urcText(profileLine(lines[m_nextPeriodic++ % lines.size()])));
            e.due += qMax(1, m_profile->periodMs);
            e.order = m_eventOrder++;
            m_events.push_back(e);
        }
        break;
    }
}

QList<Chunk> Modem::advanceTo(qint64 ms)
{
    m_now = qMax(m_now, ms);
    while (std::any_of(m_events.begin(), m_events.end(), [this](const Event &e) { return e.due <= m_now; }))
        fireEvent();
    return takeUrcs();
}

QList<Chunk> Modem::powerOn()
{
    if (m_profile) {
        QList<TimedLine> lines = m_profile->bootLines;
        if (m_profile->bootSimState && m_sim == SimState::PinRequired)
            lines << TimedLine{0, "+CPIN: SIM PIN"};
        scheduleLines(lines);
        if (m_sim == SimState::Ready)
            simOpened();
        if (m_profile->periodMs > 0 && !m_profile->periodicLines.isEmpty()) {
            Event e;
            e.kind = Event::Periodic;
            e.due = m_now + m_profile->periodMs;
            e.order = m_eventOrder++;
            m_events.push_back(e);
        }
    }
    return advanceTo(m_now);
}

// The SIM has just opened: a profile's modem tells so in its own lines.
void Modem::simOpened()
{
    if (!m_profile)
        return;
    m_smsStarting = !m_profile->smsReadyLine.isEmpty();
    scheduleLines(m_profile->simReadyLines);
}

// ---------------------------------------------------------------------------------------------
// Messages arriving

QList<Chunk> Modem::injectSms(const StoredSms &sms)
{
    StoredSms stored = sms;
    if (stored.timestamp.isEmpty())
        stored.timestamp = currentTimestamp();
    const QByteArray mem = m_mem[2];
    if (m_cnmi[1] != 2 && storageUsed(mem) >= storageSize(mem))
        return {};
    receivePart(stored);
    return takeUrcs();
}

QList<StoredSms> Modem::code(const Incoming &msg, QString *error)
{
    const coding::Alphabet alphabet = msg.alphabet.value_or(coding::alphabetFor(msg.text));
    const bool wide = msg.wideReference.value_or(m_cfg.wideReference);
    const int reference = msg.reference >= 0 ? msg.reference : m_nextConcat;
    const QList<coding::UserData> uds = coding::split(msg.text, alphabet, reference, wide);
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QList<StoredSms>{};
    };
    if (uds.isEmpty())
        return fail(alphabet == coding::Alphabet::Ucs2
                        ? QStringLiteral("the text is too long (more than 255 parts)")
                        : QStringLiteral("the text does not fit the chosen alphabet or is too long"));
    if (msg.reference < 0 && uds.size() > 1)
        m_nextConcat = m_nextConcat % (wide ? 0xFFFF : 0xFF) + 1;
    QList<int> order = msg.parts;
    if (order.isEmpty()) {
        for (int i = 1; i <= uds.size(); ++i)
            order << i;
    }
    QList<StoredSms> parts;
    for (int seq : std::as_const(order)) {
        if (seq < 1 || seq > uds.size())
            return fail(QStringLiteral("there is no part %1 of %2").arg(seq).arg(uds.size()));
        StoredSms part;
        part.status = msg.status;
        part.number = msg.number;
        part.timestamp = msg.timestamp;
        part.ud = uds[seq - 1];
        part.text = alphabet == coding::Alphabet::Data8 ? part.ud->body : te::toLine(coding::textOf(*part.ud));
        parts << part;
    }
    return parts;
}

namespace {

int sequenceOf(const StoredSms &part)
{
    const auto c = part.ud ? coding::findConcat(part.ud->header) : std::nullopt;
    return c ? c->sequence : 1;
}

} // namespace

QList<Chunk> Modem::deliver(const Incoming &msg, QString *error)
{
    const QByteArray mem = m_mem[2];
    if (msg.slot > 0 && (msg.slot > storageSize(mem) || slot(mem, msg.slot))) {
        if (error)
            *error = QStringLiteral("slot %1 of \"%2\" is %3")
                         .arg(msg.slot)
                         .arg(QString::fromLatin1(mem), msg.slot > storageSize(mem) ? "beyond the storage" : "taken");
        return {};
    }
    const QList<StoredSms> parts = code(msg, error);
    int firstSlot = msg.slot;
    for (const StoredSms &part : parts) {
        const int later = msg.laterMs.value(sequenceOf(part), 0);
        if (later > 0) {
            Event e;
            e.kind = Event::Part;
            e.due = m_now + later;
            e.order = m_eventOrder++;
            e.part = part;
            m_events.push_back(e);
            continue;
        }
        receivePart(part, firstSlot);
        firstSlot = 0;
    }
    return takeUrcs();
}

bool Modem::preload(const Incoming &msg, QString *error)
{
    const QByteArray mem = m_mem[2];
    const QList<StoredSms> parts = code(msg, error);
    if (parts.isEmpty())
        return false;
    const int free = storageSize(mem) - storageUsed(mem);
    const bool slotTaken = msg.slot > 0 && (msg.slot > storageSize(mem) || slot(mem, msg.slot));
    if (slotTaken || free < parts.size()) {
        if (error)
            *error = slotTaken ? QStringLiteral("slot %1 is %2")
                                     .arg(msg.slot)
                                     .arg(msg.slot > storageSize(mem) ? "beyond the storage" : "taken")
                               : QStringLiteral("the storage \"%1\" has %2 free slots, the message needs %3")
                                     .arg(QString::fromLatin1(mem))
                                     .arg(free)
                                     .arg(parts.size());
        return false;
    }
    int firstSlot = msg.slot;
    for (StoredSms part : parts) {
        if (part.timestamp.isEmpty() && part.status.startsWith("REC"))
            part.timestamp = m_cfg.networkTime.isEmpty() ? currentTimestamp() : m_cfg.networkTime;
        storeSms(mem, part, firstSlot);
        firstSlot = 0;
    }
    return true;
}

// One part reaches the modem. +CNMI <mt> 2 routes it to the host unstored (+CMT); otherwise it
// goes into the receive storage, announced with +CMTI for <mt> 1 and 3. A full storage leaves it
// at the network, which brings it again once a slot is free.
void Modem::receivePart(const StoredSms &part, int slotIndex)
{
    StoredSms sms = part;
    if (sms.timestamp.isEmpty())
        sms.timestamp = m_cfg.networkTime.isEmpty() ? currentTimestamp() : m_cfg.networkTime;
    const int mt = m_cnmi[1];
    if (mt == 2) {
        indicate(urcText(routedLines(sms)));
        return;
    }
    const QByteArray mem = m_mem[2];
    int index = 0;
    if (slotIndex > 0 && slotIndex <= storageSize(mem) && !slot(mem, slotIndex))
        index = storeSms(mem, sms, slotIndex);
    else if (storageUsed(mem) < storageSize(mem))
        index = storeSms(mem, sms);
    if (index == 0) {
        m_waiting[mem].append(sms);
        storageFull(mem);
        return;
    }
    if (mt == 1 || mt == 3)
        indicate(urcText("+CMTI: " + quoted(mem) + ',' + num(index)));
}

void Modem::storageFull(const QByteArray &mem)
{
    if (m_fullReported.contains(mem))
        return;
    m_fullReported.append(mem);
    if (m_profile && !m_profile->storageFullLine.isEmpty())
        sendUrc(urcText(profileLine(m_profile->storageFullLine, mem)));
    if (m_cmer[0] != 0 && m_cmer[1] != 0)
        sendUrc(urcText("+CIEV: 7,1"));
}

// A slot was freed: what the network held for the storage comes now.
void Modem::freedSlot(const QByteArray &mem)
{
    QList<StoredSms> &waiting = m_waiting[mem];
    while (!waiting.isEmpty() && storageUsed(mem) < storageSize(mem)) {
        const int index = storeSms(mem, waiting.takeFirst());
        const int mt = m_cnmi[1];
        if (mt == 1 || mt == 3)
            indicate(urcText("+CMTI: " + quoted(mem) + ',' + num(index)));
    }
    if (waiting.isEmpty() && storageUsed(mem) < storageSize(mem) && m_fullReported.removeAll(mem) > 0 &&
        m_cmer[0] != 0 && m_cmer[1] != 0)
        sendUrc(urcText("+CIEV: 7,0"));
}

// A status report arrives: +CNMI <ds> 1 routes it (+CDS), 2 stores it in "SR" (+CDSI), 0 lets
// it go.
void Modem::routeStatusReport(const pdu::StatusReport &report)
{
    StoredSms rec;
    rec.number = report.recipient;
    rec.timestamp = report.timestamp;
    rec.report = report;
    switch (m_cnmi[3]) {
    case 1:
        indicate(urcText(routedLines(rec)));
        break;
    case 2: {
        const int index = storeSms("SR", rec);
        if (index > 0)
            indicate(urcText("+CDSI: \"SR\"," + num(index)));
        break;
    }
    default:
        break;
    }
}

void Modem::scheduleReport(const QByteArray &number, int reference)
{
    Event e;
    e.kind = Event::Report;
    e.due = m_now + qMax(0, m_cfg.reportDelayMs);
    e.order = m_eventOrder++;
    e.report.reference = reference;
    e.report.recipient = number;
    e.report.timestamp = m_cfg.networkTime.isEmpty() ? currentTimestamp() : m_cfg.networkTime;
    e.report.status = m_cfg.reportStatus;
    m_events.push_back(e);
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

int Modem::storageSize(const QByteArray &mem) const
{
    const auto it = m_stores.constFind(mem.toUpper());
    return it == m_stores.constEnd() ? 0 : int(it->size());
}

int Modem::storageUsed(const QByteArray &mem) const
{
    const auto it = m_stores.constFind(mem.toUpper());
    if (it == m_stores.constEnd())
        return 0;
    return int(std::count_if(it->begin(), it->end(), [](const auto &s) { return s.has_value(); }));
}

std::optional<StoredSms> Modem::slot(const QByteArray &mem, int index) const
{
    const auto it = m_stores.constFind(mem.toUpper());
    if (it == m_stores.constEnd() || index < 1 || index > int(it->size()))
        return std::nullopt;
    return (*it)[size_t(index - 1)];
}

int Modem::storeSms(const QByteArray &mem, const StoredSms &sms, int index)
{
    const auto it = m_stores.find(mem.toUpper());
    if (it == m_stores.end())
        return 0;
    auto &store = *it;
    if (index == 0) {
        for (size_t i = 0; i < store.size(); ++i) {
            if (!store[i]) {
                index = int(i) + 1;
                break;
            }
        }
    }
    if (index < 1 || index > int(store.size()))
        return 0;
    store[size_t(index - 1)] = sms;
    return index;
}

void Modem::deleteSms(const QByteArray &mem, int index)
{
    const auto it = m_stores.find(mem.toUpper());
    if (it != m_stores.end() && index >= 1 && index <= int(it->size()))
        (*it)[size_t(index - 1)].reset();
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
