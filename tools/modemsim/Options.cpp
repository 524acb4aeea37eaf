#include "Options.h"

#include "core/Profiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringEncoder>

#include <cstdio>

namespace {

const char *kDescription = R"(Simulated GSM modem on a pseudo-terminal.

Answers AT commands (3GPP TS 27.007/27.005, SMS in text and PDU mode) like a real
modem with its SIM: echo, PIN and PUK, network registration, signal, operator,
service centre, the message storages "SM", "ME" and "SR", the phonebooks "SM" and
"ON", and sending with the "> " prompt. Messages are coded as a network codes
them: GSM 7-bit where every character fits, else UCS2; a long text arrives in
parts with a concatenation header. Text mode shows UCS2, 8-bit data and parts
in hex, as 27.005 says; +CNMI, +CSMP status reports and +CSCS are honoured.
Serves until SIGINT or SIGTERM, then removes the link.

Files (one record a line, fields separated by TAB, '#' starts a comment;
\\ \t \r \n, \xHH (Windows-1252 character HH), \uXXXX and \UXXXXXXXX inside
a field; UTF-8, or Windows-1252 as before):
  --messages   slot TAB status TAB number TAB timestamp TAB text
               (empty slot: first free; empty status: REC UNREAD; timestamp
               yy/MM/dd,hh:mm:ss+zz, empty: now) or the short form number TAB text;
               either may begin with a field of options in square brackets:
               gsm7|ucs2|8bit, ref8|ref16, ref=N, parts=P,P,... (the parts that
               arrive, in that order), later=P:SECONDS (inject only)
  --phonebook  index TAB number TAB type TAB name, or number TAB name
  --outbox     one line per message that arrived: number TAB text, appended and
               flushed. Text-mode sends: the bytes as received (only \, CR and LF
               escaped as \\ \r \n). PDU-mode sends: the decoded text in UTF-8
               (\, TAB, CR, LF escaped), TAB, "pdu N" (N parts joined, a long
               message once all are in; "pdu N 8-bit": the octets in hex)
  --transcript one line per read and write: seconds, "<<" received or ">>" sent
               or "--" lost, and the bytes C-escaped in double quotes
  --inject-dir / --control: lines as in --messages, or "ring" (sends RING), or
               "urc TEXT" (sends TEXT as an unsolicited line). Files dropped into
               the directory are applied and removed (write them under a name
               starting with '.', then rename). A line that cannot be read is
               named on stderr with its file and line, the others are applied;
               such a file is kept as *.bad. The FIFO is created if missing and
               read line by line.

Profiles (--profile NAME), the quirks of known modems on top of the standard:
%1
See tools/modemsim/README.md.)";

QByteArray toLine(const QString &text)
{
    // The line carries Windows-1252, as the program on the other end expects.
    QStringEncoder encoder("windows-1252");
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray out = encoder.encode(text);
    return encoder.hasError() ? text.toLatin1() : out;
}

// Each profile's name and its quirks, wrapped to the width of the help.
QString profileSummaries()
{
    QString out;
    for (const modemsim::Profile &p : modemsim::profiles()) {
        QString line = QStringLiteral("  ") + QString::fromLatin1(p.name).leftJustified(10);
        for (const QString &word : QString::fromUtf8(p.summary).split(QLatin1Char(' '))) {
            if (line.size() + 1 + word.size() > 79 && line.trimmed().size() > 10) {
                out += line + QLatin1Char('\n');
                line = QString(12, QLatin1Char(' '));
            }
            line += (line.endsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ")) + word;
        }
        out += line + QLatin1Char('\n');
    }
    return out;
}

void warn(const QString &text)
{
    std::fprintf(stderr, "varnix-modemsim: %s\n", text.toLocal8Bit().constData());
}

bool fail(const QString &text, int *exitCode)
{
    std::fprintf(stderr, "varnix-modemsim: %s\nTry --help.\n", text.toLocal8Bit().constData());
    *exitCode = 2;
    return false;
}

bool intOption(const QCommandLineParser &p, const QString &name, int min, int max, int *out, int *exitCode)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min || v > max)
        return fail(QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"").arg(name).arg(min).arg(max).arg(p.value(name)), exitCode);
    *out = v;
    return true;
}

bool digitsOnly(const QString &s)
{
    for (QChar c : s) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

bool isNumber(const QString &s)
{
    const QString digits = s.startsWith(QLatin1Char('+')) ? s.mid(1) : s;
    return !digits.isEmpty() && digits.size() <= 20 && digitsOnly(digits);
}

} // namespace

bool parseOptions(const QStringList &arguments, Options *o, int *exitCode)
{
    QCommandLineParser p;
    p.setApplicationDescription(QString::fromUtf8(kDescription).arg(profileSummaries()));
    p.addHelpOption();
    p.addVersionOption();
    const modemsim::Config d;
    p.addOptions({
        {"link",
         "Make PATH a symbolic link to the pty's slave device (required). An existing symbolic link is replaced, any "
         "other file is not.",
         "PATH"},
        {"pin", QStringLiteral("SIM PIN, 4 to 8 digits (default %1).").arg(QString::fromLatin1(d.pin)), "CODE"},
        {"no-pin", "The SIM asks for no PIN."},
        {"puk", QStringLiteral("SIM PUK, 8 digits (default %1). Three wrong PINs lock the SIM; AT+CPIN=\"PUK\",\"NEWPIN\" opens it.").arg(QString::fromLatin1(d.puk)), "CODE"},
        {"operator", QStringLiteral("Operator name (default \"%1\").").arg(QString::fromLatin1(d.operatorName)), "NAME"},
        {"signal", QStringLiteral("Signal quality RSSI for +CSQ, 0-31 or 99 (default %1).").arg(d.rssi), "RSSI"},
        {"storage", QStringLiteral("Slots of the message storage \"SM\" (default %1).").arg(d.storageSize), "N"},
        {"messages", "Preload received messages from FILE.", "FILE"},
        {"phonebook", "Preload SIM phonebook (\"SM\") entries from FILE.", "FILE"},
        {"own-number", "The SIM's own number (entry 1 of phonebook \"ON\", AT+CNUM).", "NUM"},
        {"smsc", QStringLiteral("Service-centre number (default %1).").arg(QString::fromLatin1(d.smsc)), "NUM"},
        {"baud",
         QStringLiteral("Speed the modem answers at (default %1; 0: any). At another speed it hears noise and its "
                        "answers come out garbled.")
             .arg(d.baud),
         "N"},
        {"transcript", "Append every byte received and sent to FILE.", "FILE"},
        {"outbox", "Append every submitted SMS to FILE.", "FILE"},
        {"inject-dir", "Watch DIR for files with messages to receive and lines to send.", "DIR"},
        {"control", "Read messages to receive and lines to send from the FIFO PATH.", "PATH"},
        {"silent", "Fault: read everything, answer nothing (not even the echo)."},
        {"error-for", "Fault: answer ERROR to every command that begins with CMD, e.g. AT+CSQ.", "CMD"},
        {"split-pause",
         "Fault: send every answer in pieces (each line, and each line cut in the middle) with MS milliseconds between "
         "them.",
         "MS"},
        {"delay", "Fault: wait MS milliseconds before every answer (the echo comes at once).", "MS"},
        {"garbage", "Fault: a burst of line noise (bytes 0x00, 0x80-0xFF) before every answer."},
        {"creg-search", QStringLiteral("Answer +CREG: 0,2 (searching) to this many queries after the PIN, then 0,1 (default %1).").arg(d.cregSearchQueries), "N"},
        {"empty-slot-error", "AT+CMGR on an empty slot answers +CMS ERROR: 321 instead of OK."},
        {"profile",
         QStringLiteral(
             "Behave like a known modem: %1 (see below). An unknown name is reported and the standard modem runs.")
             .arg(QString::fromLatin1(modemsim::profileNames())),
         "NAME"},
        {"me-storage", QStringLiteral("Slots of the message storage \"ME\" (default %1).").arg(d.meStorageSize), "N"},
        {"concat-ref", "Long messages arrive with 8-bit (default) or 16-bit concatenation references.", "BITS"},
        {"report-delay",
         QStringLiteral("A status report follows its message MS milliseconds after +CMGS (default %1).")
             .arg(d.reportDelayMs),
         "MS"},
        {"report-status", "The status the reports tell: delivered (default), pending, failed, or a TP-ST number 0-255.",
         "STATUS"},
        {"delay-for",
         "Answer every command that begins with CMD MS milliseconds later, e.g. AT+CMGR=800 (may be given more than "
         "once).",
         "CMD=MS"},
        {"mix-urc",
         "Put LINE inside answers as an unsolicited line, e.g. ^RSSI:17 (may be given more than once: used in turn).",
         "LINE"},
        {"mix-every", "Put a --mix-urc line inside every N-th answer (default 3).", "N"},
    });
    if (!p.parse(arguments))
        return fail(p.errorText(), exitCode);
    if (p.isSet("help")) {
        std::fputs(p.helpText().toLocal8Bit().constData(), stdout);
        *exitCode = 0;
        return false;
    }
    if (p.isSet("version")) {
        std::printf("varnix-modemsim %s\n", qPrintable(QCoreApplication::applicationVersion()));
        *exitCode = 0;
        return false;
    }
    if (!p.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(p.positionalArguments().first()), exitCode);
    if (!p.isSet("link") || p.value("link").isEmpty())
        return fail(QStringLiteral("--link PATH is required"), exitCode);

    modemsim::Config &c = o->config;
    o->link = p.value("link");
    if (p.isSet("pin")) {
        const QString pin = p.value("pin");
        if (pin.size() < 4 || pin.size() > 8 || !digitsOnly(pin))
            return fail(QStringLiteral("--pin wants 4 to 8 digits"), exitCode);
        c.pin = pin.toLatin1();
    }
    if (p.isSet("no-pin"))
        c.pin.clear();
    if (p.isSet("puk")) {
        const QString puk = p.value("puk");
        if (puk.size() != 8 || !digitsOnly(puk))
            return fail(QStringLiteral("--puk wants 8 digits"), exitCode);
        c.puk = puk.toLatin1();
    }
    if (p.isSet("operator")) {
        c.operatorName = toLine(p.value("operator"));
        if (c.operatorName.isEmpty() || c.operatorName.contains('"') || c.operatorName.contains('\r') || c.operatorName.contains('\n'))
            return fail(QStringLiteral("--operator wants a name without double quotes and line breaks"), exitCode);
    }
    if (!intOption(p, "signal", 0, 99, &c.rssi, exitCode))
        return false;
    if (c.rssi > 31 && c.rssi != 99)
        return fail(QStringLiteral("--signal wants 0 to 31, or 99 (unknown)"), exitCode);
    if (!intOption(p, "storage", 1, 255, &c.storageSize, exitCode))
        return false;
    if (p.isSet("own-number")) {
        if (!isNumber(p.value("own-number")))
            return fail(QStringLiteral("--own-number wants digits, optionally after a '+'"), exitCode);
        c.ownNumber = p.value("own-number").toLatin1();
    }
    if (p.isSet("smsc")) {
        if (!isNumber(p.value("smsc")))
            return fail(QStringLiteral("--smsc wants digits, optionally after a '+'"), exitCode);
        c.smsc = p.value("smsc").toLatin1();
    }
    if (!intOption(p, "baud", 0, 4000000, &c.baud, exitCode))
        return false;
    if (c.baud > 0 && c.baud < 50)
        return fail(QStringLiteral("--baud wants 0 or a speed of at least 50"), exitCode);
    o->messages = p.value("messages");
    o->phonebook = p.value("phonebook");
    o->transcript = p.value("transcript");
    o->outbox = p.value("outbox");
    o->injectDir = p.value("inject-dir");
    o->control = p.value("control");
    c.silent = p.isSet("silent");
    c.errorFor = p.value("error-for").toLatin1();
    if (p.isSet("error-for") && c.errorFor.trimmed().isEmpty())
        return fail(QStringLiteral("--error-for wants a command, e.g. AT+CSQ"), exitCode);
    if (!intOption(p, "split-pause", 0, 60000, &c.splitPauseMs, exitCode)
        || !intOption(p, "delay", 0, 600000, &c.answerDelayMs, exitCode)
        || !intOption(p, "creg-search", 0, 1000000, &c.cregSearchQueries, exitCode)) {
        return false;
    }
    c.garbage = p.isSet("garbage");
    c.emptySlotCmsError = p.isSet("empty-slot-error");
    if (p.isSet("profile")) {
        // A name that is not known costs only the quirks: the standard modem runs.
        const QByteArray name = p.value("profile").toLatin1();
        if (modemsim::findProfile(name))
            c.profile = name.toLower();
        else
            warn(QStringLiteral("--profile: unknown profile \"%1\" (known: %2); running the standard modem")
                     .arg(p.value("profile"), QString::fromLatin1(modemsim::profileNames())));
    }
    if (!intOption(p, "me-storage", 1, 255, &c.meStorageSize, exitCode) ||
        !intOption(p, "report-delay", 0, 24 * 3600 * 1000, &c.reportDelayMs, exitCode)) {
        return false;
    }
    if (p.isSet("concat-ref")) {
        const QString bits = p.value("concat-ref");
        if (bits != QLatin1String("8") && bits != QLatin1String("16"))
            return fail(QStringLiteral("--concat-ref wants 8 or 16"), exitCode);
        c.wideReference = bits == QLatin1String("16");
    }
    if (p.isSet("report-status")) {
        const QString st = p.value("report-status").toLower();
        bool ok = false;
        const int n = st.toInt(&ok);
        if (st == QLatin1String("delivered"))
            c.reportStatus = modemsim::pdu::kDelivered;
        else if (st == QLatin1String("pending"))
            c.reportStatus = modemsim::pdu::kPendingCongestion;
        else if (st == QLatin1String("failed"))
            c.reportStatus = modemsim::pdu::kFailedRemote;
        else if (ok && n >= 0 && n <= 255)
            c.reportStatus = quint8(n);
        else
            return fail(QStringLiteral("--report-status wants delivered, pending, failed or 0-255"), exitCode);
    }
    for (const QString &d : p.values("delay-for")) {
        const qsizetype eq = d.lastIndexOf(QLatin1Char('='));
        bool ok = false;
        const int ms = eq > 0 ? d.mid(eq + 1).toInt(&ok) : 0;
        if (!ok || ms < 0 || ms > 600000 || d.left(eq).trimmed().isEmpty())
            return fail(QStringLiteral("--delay-for wants CMD=MS, e.g. AT+CMGR=800, not \"%1\"").arg(d), exitCode);
        c.commandDelays.append({d.left(eq).toLatin1(), ms});
    }
    for (const QString &line : p.values("mix-urc")) {
        const QByteArray bytes = toLine(line);
        if (bytes.isEmpty() || bytes.contains('\r') || bytes.contains('\n'))
            return fail(QStringLiteral("--mix-urc wants a line without line breaks"), exitCode);
        c.mixLines.append(bytes);
    }
    if (!c.mixLines.isEmpty())
        c.mixEvery = 3;
    if (!intOption(p, "mix-every", 1, 1000000, &c.mixEvery, exitCode))
        return false;
    return true;
}
