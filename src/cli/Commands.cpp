#include "cli/Commands.h"

#include "cli/ConsoleLink.h"
#include "modem/ModemAnswers.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "modem/PinGuard.h"
#include "platform/AppInfo.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "platform/WorkFolder.h"
#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"
#include "sms/ArchiveExport.h"
#include "sms/MessageSend.h"
#include "sms/OutgoingText.h"
#include "sms/SentStore.h"
#include "text/AtInput.h"
#include "sms/ArchiveModel.h"
#include "sms/PhoneNames.h"
#include "sms/ReadCycle.h"
#include "sms/ReceiveHook.h"
#include "sms/ReceivedList.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kTaskTitle = QStringLiteral("varnix auf der Kommandozeile");

QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" / ")).replace(u'\r', QStringLiteral(" / ")).replace(u'\n', QStringLiteral(" / "));
}

// AT+CGMI, AT+CGMM -> the information line: not the echo of the command, not the result
// code, not a notice the modem put in between; "+CGMI: " in front (some modems) taken off.
QString infoText(const QString &answer, const QString &command)
{
    for (QString line : answer.split(QStringLiteral("\r\n"))) {
        line = line.trimmed();
        if (line.isEmpty() || line == command || line == u"OK" || line.startsWith(u'^') ||
            line.startsWith(QLatin1String("+CME ERROR")) || line == u"ERROR")
            continue;
        const QString prefix = command.mid(2) + u':';
        return line.startsWith(prefix) ? line.mid(prefix.size()).trimmed() : line;
    }
    return {};
}

QString folderOf(const CommandLine &c)
{
    return c.folder.isEmpty() ? platform::workFolder() : QDir(c.folder).absolutePath();
}

QList<ExportedSms> archiveRows(const QString &folder, ConsoleIo &io)
{
    ArchiveLoad load = LoadSmsArchive(folder);
    for (const QString &problem : std::as_const(load.problems))
        io.err << problem << '\n';
    ArchiveModel model;
    const PhoneNames names = PhoneNames::fromFolder(folder);
    model.setMessages(std::move(load.messages), names);
    // The sent messages with their states, as the archive window shows them.
    SentStore sent(folder);
    model.setSent(sent.log(), 0, names);
    return model.shownRows();
}

int list(const CommandLine &c, ConsoleIo &io)
{
    const QList<ExportedSms> rows = archiveRows(folderOf(c), io);
    if (c.json) {
        io.out << QString::fromUtf8(ArchiveJson(rows));
        return kExitOk;
    }
    for (const ExportedSms &m : rows) {
        io.out << m.date << ' ' << m.time << ' ' << m.number;
        if (!m.name.isEmpty())
            io.out << " (" << m.name << ')';
        // A sent message says so, with its state.
        if (!m.state.isEmpty() && m.state != u"empfangen")
            io.out << " [" << m.state << ']';
        io.out << ": " << oneLine(m.text) << '\n';
    }
    return kExitOk;
}

int exportArchive(const CommandLine &c, ConsoleIo &io)
{
    QString file = c.file;
    // The format named decides, whatever the file is called.
    if (c.format == u"mbox" && !file.endsWith(QStringLiteral(".mbox"), Qt::CaseInsensitive)) {
        QString error;
        if (!TextFileWriteBytes(file, ArchiveMbox(archiveRows(folderOf(c), io)), &error)) {
            io.err << QStringLiteral("Das Archiv konnte nicht nach %1 geschrieben werden: %2\n").arg(file, error);
            return kExitFile;
        }
        return kExitOk;
    }
    const QList<ExportedSms> rows = archiveRows(folderOf(c), io);
    QString error;
    const bool ok = c.format == u"csv" ? TextFileWriteBytes(file, ArchiveCsv(rows), &error)
                                       : WriteArchiveExport(file, rows, &error);
    if (!ok) {
        io.err << QStringLiteral("Das Archiv konnte nicht nach %1 geschrieben werden: %2\n").arg(file, error);
        return kExitFile;
    }
    io.out << QStringLiteral("%1 Nachrichten nach %2 geschrieben\n").arg(rows.size()).arg(file);
    return kExitOk;
}

// The port of the stored settings (or the one named) opened; false with the reason told.
bool openPort(const CommandLine &c, ConsoleLink &link, ConsoleIo &io)
{
    CommPort &comm = link.comm();
    const SettingsStore &s = platform::settings();
    const int number = !c.port.isEmpty() ? c.port.mid(3).toInt() : s.get(keys::PortNumber).toInt();
    if (number >= 1 && number <= 16)
        comm.setCommPort(number);
    const QString stored = s.get(keys::PortSettings);
    if (!stored.isEmpty() && !comm.setSettings(stored))
        io.err << QStringLiteral("Die gespeicherten Einstellungen „%1“ passen nicht; es gilt %2.\n").arg(stored, comm.settings());
    if (!comm.setPortOpen(true)) {
        io.err << comm.lastError() << '\n';
        return false;
    }
    comm.clearInput();
    return true;
}

struct Asked {
    qint16 status;
    QString answer;
};

Asked ask(ModemTask &task, const QString &command, const QStringList &secrets = {})
{
    ExchangeOptions options = ExchangeOptions::quietTimeout();
    options.secrets = secrets;
    const ModemReply r = task.exchange(command, options);
    return {r.status, r.answer};
}

// The SIM's PIN from the file named, only when the SIM asks for it. False with the reason told.
bool unlockSim(const CommandLine &c, ModemTask &task, ConsoleIo &io, QString *state)
{
    const Asked cpin = ask(task, QStringLiteral("AT+CPIN?"));
    const SimState sim = CpinReadState(cpin.answer, cpin.status);
    *state = sim.lock == SimLock::Ready ? QStringLiteral("bereit") : sim.code;
    if (sim.lock != SimLock::Pin)
        return true;
    if (c.pinFile.isEmpty()) {
        *state = QStringLiteral("wartet auf die PIN");
        return true;
    }
    QByteArray bytes;
    QString error;
    if (!TextFileReadBytes(c.pinFile, bytes, &error, 1024)) {
        io.err << QStringLiteral("Die PIN-Datei %1 ist nicht zu lesen: %2\n").arg(c.pinFile, error);
        return false;
    }
    const QString pin = QString::fromLatin1(bytes).section(u'\n', 0, 0).trimmed();
    if (!IsSimCode(pin, 4, 8)) {
        io.err << QStringLiteral("In %1 steht keine PIN aus 4 bis 8 Ziffern; sie geht nicht an die SIM.\n").arg(c.pinFile);
        return false;
    }
    const Asked set = ask(task, QStringLiteral("AT+CPIN=\"%1\"").arg(pin), {pin});
    if (CpinSetVerdict(set.answer, set.status) != PinVerdict::Accepted) {
        io.err << QStringLiteral("Die SIM hat die PIN aus %1 nicht angenommen.\n").arg(c.pinFile);
        return false;
    }
    *state = QStringLiteral("bereit (PIN eingegeben)");
    return true;
}

int modem(const CommandLine &c, ConsoleLink &link, ConsoleIo &io)
{
    ModemTask task(link, nullptr, kTaskTitle, ModemTask::Busy::Quiet);
    if (ask(task, QStringLiteral("AT")).status != kStatusOk) {
        io.err << QStringLiteral("Das Modem an %1 antwortet nicht.\n").arg(link.comm().device());
        return kExitModem;
    }
    const QString maker = infoText(ask(task, QStringLiteral("AT+CGMI")).answer, QStringLiteral("AT+CGMI"));
    const QString model = infoText(ask(task, QStringLiteral("AT+CGMM")).answer, QStringLiteral("AT+CGMM"));
    QString sim;
    if (!unlockSim(c, task, io, &sim))
        return kExitModem;
    const Asked creg = ask(task, QStringLiteral("AT+CREG?"));
    const Asked cops = ask(task, QStringLiteral("AT+COPS?"));
    const Asked csq = ask(task, QStringLiteral("AT+CSQ"));
    io.out << QStringLiteral("Gerät: ") << link.comm().device() << '\n'
           << QStringLiteral("Hersteller: ") << maker << '\n'
           << QStringLiteral("Modell: ") << model << '\n'
           << QStringLiteral("SIM: ") << sim << '\n'
           << QStringLiteral("Netz: ") << CregCaption(CregState(creg.answer)) << '\n'
           << QStringLiteral("Betreiber: ") << CopsOperatorName(cops.answer) << '\n'
           << QStringLiteral("Feldstärke: ") << CsqSignalValue(csq.answer) << '\n';
    return kExitOk;
}

int receive(const CommandLine &c, ConsoleLink &link, ConsoleIo &io)
{
    const QString folder = folderOf(c);
    ModemTask task(link, nullptr, kTaskTitle, ModemTask::Busy::Quiet);
    QString sim;
    if (!unlockSim(c, task, io, &sim))
        return kExitModem;
    // The window's cycle runs after a registration has set text mode; here nobody has.
    if (ask(task, QStringLiteral("AT+CMGF=1")).status != kStatusOk) {
        io.err << QStringLiteral("Das Modem an %1 nimmt den Textmodus nicht an (AT+CMGF=1).\n").arg(link.comm().device());
        return kExitModem;
    }
    const QString command = c.hook.isEmpty() ? platform::settings().get(keys::ReceiveHook) : c.hook;
    ReceiveHook hook(command, folder);
    const PhoneNames names = PhoneNames::fromFolder(folder);
    ReceivedList rows([folder] { return LoadSmsArchive(folder).messages; });
    ReadCycle cycle(task, folder, SmsFileList(folder));
    int filed = 0;
    cycle.onFiled = [&](const ReadCycle::Filed &message) {
        ++filed;
        const int at = rows.add(message.sms);
        if (at < 0)
            return;
        const ReceivedList::Row &row = rows.rows().at(at);
        const QString name = names.nameFor(row.first.number);
        io.out << row.first.date << ' ' << row.first.time << ' ' << row.first.number;
        if (!name.isEmpty())
            io.out << " (" << name << ')';
        io.out << ": " << oneLine(row.text) << '\n';
        io.out.flush();
        if (row.complete)
            hook.run({row.first.number, name, row.first.date, row.first.time, row.text, smsrun::currentFile()});
    };
    const ReadCycle::End end = cycle.run();
    hook.waitForAll();
    if (filed > 0)
        io.err << QStringLiteral("%1 SMS in %2 abgelegt\n").arg(filed).arg(QFileInfo(smsrun::currentFile()).fileName());
    switch (end) {
    case ReadCycle::End::Done:
    case ReadCycle::End::Cancelled:
        return kExitOk;
    case ReadCycle::End::PortGone:
        io.err << link.comm().lastError() << '\n';
        return kExitPort;
    case ReadCycle::End::Silent:
        io.err << QStringLiteral("Das Modem hat aufgehört zu antworten.\n");
        return kExitModem;
    case ReadCycle::End::Told:
        io.err << QString(cycle.failure()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << '\n';
        return kExitModem;
    case ReadCycle::End::Failed:
        io.err << cycle.failure() << '\n';
        // A refused deletion is the modem's; everything else is a file that cannot be written.
        return cycle.failure().contains(QLatin1String("Löschen")) ? kExitModem : kExitFile;
    }
    return kExitModem;
}

// A recipient as given: a number, or a name of the phone list (letter case aside).
struct Recipient {
    QString given;
    QString number;
    QString name;
};

QList<Recipient> recipients(const CommandLine &c)
{
    QStringList lines;
    PhoneListReadFile(QDir(folderOf(c)).filePath(kPhoneListFileName), lines);
    QList<PhoneRow> rows;
    for (const QString &line : PhoneListUsableSorted(lines))
        rows.append(PhoneListSplit(line));
    QList<Recipient> out;
    for (const QString &given : c.numbers) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const PhoneRow &r) {
            return r.name.trimmed().compare(given.trimmed(), Qt::CaseInsensitive) == 0;
        });
        out.append(row != rows.end() ? Recipient{given, row->number.trimmed(), row->name.trimmed()}
                                     : Recipient{given, given, QString()});
    }
    return out;
}

int maxParts()
{
    bool ok = false;
    const int n = platform::settings().get(keys::MaxParts).toInt(&ok);
    return ok ? std::clamp(n, 1, kMostParts) : kDefaultMaxParts;
}

// Everything is checked before anything goes to the modem: the text, then every number.
bool sendable(const CommandLine &c, const QString &text, const OutgoingPlan &plan, QList<Recipient> &to, ConsoleIo &io)
{
    if (!IsSafeMessageBody(text)) {
        io.err << kUnsafeBodyMessage << '\n';
        return false;
    }
    if (const QString why = TextRefusal(text, plan); !why.isEmpty()) {
        io.err << why << '\n';
        return false;
    }
    to = recipients(c);
    for (Recipient &r : to) {
        const QString dialled = IsSafeQuotedParameter(r.number) ? DialledNumber(r.number) : QString();
        if (dialled.isEmpty()) {
            io.err << QStringLiteral("„%1“ ist keine Telefonnummer und kein Name der Telefonliste. Es wurde nichts gesendet.\n")
                          .arg(r.given);
            return false;
        }
        r.number = dialled;
    }
    return true;
}

int send(const CommandLine &c, ConsoleLink &link, ConsoleIo &io, const OutgoingPlan &plan, const QList<Recipient> &to)
{
    ModemTask task(link, nullptr, kTaskTitle, ModemTask::Busy::Quiet);
    QString sim;
    if (!unlockSim(c, task, io, &sim))
        return kExitModem;
    // A plain text goes in text mode, and the PDU route comes back to it.
    if (ask(task, QStringLiteral("AT+CMGF=1")).status != kStatusOk) {
        io.err << QStringLiteral("Das Modem an %1 nimmt den Textmodus nicht an (AT+CMGF=1).\n").arg(link.comm().device());
        return kExitModem;
    }
    SentStore store(folderOf(c));
    int rc = kExitOk;
    for (const Recipient &r : to) {
        const SendResult result = SendMessage(task, store, SendJob{r.number, r.name, plan, c.report});
        io.out << r.number << (r.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(r.name)) << ": "
               << SendResultText(result, c.report) << '\n';
        io.out.flush();
        if (!result.recordError.isEmpty())
            io.err << result.recordError << '\n';
        if (!result.ok())
            rc = kExitModem;
        // A modem that has stopped answering takes no more.
        if (result.timedOut || !link.comm().portOpen())
            break;
    }
    return rc;
}

} // namespace

int RunCommand(const CommandLine &c, std::unique_ptr<SerialBackend> backend, ConsoleIo &io)
{
    ConsoleLink link(std::move(backend), c.device);
    return RunCommand(c, link, io);
}

int RunCommand(const CommandLine &c, ConsoleLink &link, ConsoleIo &io)
{
    using Command = CommandLine::Command;
    if (!c.error.isEmpty()) {
        io.err << c.error << '\n';
        return kExitUsage;
    }
    switch (c.command) {
    case Command::Help:
        io.out << CommandLineHelp();
        return kExitOk;
    case Command::Version:
        io.out << kAppTitle << ' ' << QStringLiteral(VARNIX_VERSION) << '\n';
        return kExitOk;
    case Command::List:
        return list(c, io);
    case Command::Export:
        return exportArchive(c, io);
    default:
        break;
    }
    // A text or number that cannot go is refused before the port is even opened.
    QString text;
    OutgoingPlan plan;
    QList<Recipient> to;
    if (c.command == Command::Send) {
        text = c.text;
        if (text == u"-") {
            text = QString::fromUtf8(io.readInput ? io.readInput() : QByteArray());
            // The line end an echo or a here-document puts behind the text is not the text's.
            if (text.endsWith(u'\n'))
                text.chop(1);
        }
        plan = PlanOutgoing(text, c.report, maxParts());
        if (!sendable(c, text, plan, to, io))
            return kExitInput;
    }
    if (!openPort(c, link, io))
        return kExitPort;
    switch (c.command) {
    case Command::Modem:
        return modem(c, link, io);
    case Command::Receive:
        return receive(c, link, io);
    case Command::Send:
        return send(c, link, io, plan, to);
    default:
        return kExitUsage;
    }
}
