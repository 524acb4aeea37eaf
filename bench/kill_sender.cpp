// "SM senden" with a message of five parts on a real serial port, for bench/kill_send_test.sh,
// which kills this process at random moments; and the check afterwards that the file of sent
// messages and the simulated modem agree on which parts went out.
//   bench_kill_sender --link PATH --folder DIR --mark N     send the five parts of message N
//   bench_kill_sender --folder DIR --check TRANSCRIPT OUTBOX compare the record with the modem
#include "support/MemorySettingsStore.h"
#include "support/ScriptedDialogs.h"
#include "support/TaskExchange.h"

#include "comm/CommPort.h"
#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "phonelist/frmTelNr.h"
#include "platform/Platform.h"
#include "platform/WorkFolder.h"
#include "sms/SentLog.h"
#include "sms/frmSendSM.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>
#include <memory>

namespace {

QString option(const QStringList &args, const QString &name, int after = 1)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + after < args.size() ? args.at(i + after) : QString();
}

// Message N: its mark first, five parts of the GSM alphabet (4 x 153 septets and 60).
QString markedText(int n)
{
    QString text = QStringLiteral("Kill-%1 ").arg(n, 4, 10, QLatin1Char('0'));
    while (text.size() < 4 * 153 + 60)
        text += QStringLiteral("Teil um Teil, bis der Strom ausfällt. ");
    text.truncate(4 * 153 + 60);
    return text;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray unescaped(const QByteArray &s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char e = s[++i];
        if (e == 'r')
            out += '\r';
        else if (e == 'n')
            out += '\n';
        else if (e == 't')
            out += '\t';
        else if (e == 'x' && i + 2 < s.size()) {
            out += char(s.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else
            out += e;
    }
    return out;
}

// The parts the modem took: (concatenation reference, sequence) of every PDU that got a +CMGS
// answer, and of every PDU it received at all. From the transcript: the bytes it read (<<) up
// to a PDU's Ctrl-Z, then what it wrote (>>) before it read again.
struct ModemParts {
    QSet<QPair<int, int>> received;
    QSet<QPair<int, int>> accepted;
};

QPair<int, int> partOf(const QByteArray &hex)
{
    // 00 SCA, first octet, MR, DA length (digits) and type, DA, PID, DCS, VP, UDL, then the
    // header 05 00 03 <ref> <total> <seq>.
    const QByteArray pdu = QByteArray::fromHex(hex);
    if (pdu.size() < 4)
        return {-1, -1};
    const int da = (uchar(pdu[3]) + 1) / 2;
    const qsizetype udh = 1 + 3 + 1 + da + 4;
    if (pdu.size() < udh + 6 || uchar(pdu[udh]) != 5)
        return {-1, -1};
    return {uchar(pdu[udh + 3]), uchar(pdu[udh + 5])};
}

ModemParts modemParts(const QByteArray &transcript)
{
    ModemParts parts;
    static const QRegularExpression line(QStringLiteral("^\\s*[0-9.]+ (<<|>>|--) \"(.*)\"$"));
    static const QRegularExpression pdu(QStringLiteral("AT\\+CMGS=\\d+\\r([0-9A-F]+)\\x1A"));
    QByteArray in, out;
    QPair<int, int> waiting{-1, -1};
    const auto settle = [&] {
        if (waiting.first >= 0 && out.contains("+CMGS:"))
            parts.accepted.insert(waiting);
        waiting = {-1, -1};
        out.clear();
    };
    for (const QByteArray &l : transcript.split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(l));
        if (!m.hasMatch())
            continue;
        const QByteArray bytes = unescaped(m.captured(2).toLatin1());
        if (m.captured(1) == QLatin1String(">>")) {
            out += bytes;
            continue;
        }
        if (m.captured(1) != QLatin1String("<<"))
            continue;
        settle();
        in += bytes;
        const QRegularExpressionMatch p = pdu.match(QString::fromLatin1(in));
        if (p.hasMatch()) {
            waiting = partOf(p.captured(1).toLatin1());
            parts.received.insert(waiting);
            in = in.mid(p.capturedEnd());
        } else if (in.size() > 4096) {
            in = in.right(2048);
        }
    }
    settle();
    return parts;
}

int check(const QString &folder, const QString &transcript, const QString &outbox)
{
    const SentLog log = ParseSentLog(readAll(QDir(folder).filePath(kSentLogName)));
    const ModemParts modem = modemParts(readAll(transcript));
    const QByteArray joined = readAll(outbox);
    int disagree = 0, messages = 0, whole = 0, cut = 0, unsure = 0, unsureOut = 0;
    for (const SentMessage &m : log.messages) {
        ++messages;
        const int ref = m.id & 0xFF;
        bool anyMissing = false, allSent = true;
        for (int i = 0; i < m.parts.size(); ++i) {
            const PartState s = m.parts[i].state;
            const QPair<int, int> key{ref, i + 1};
            const bool out = modem.accepted.contains(key);
            allSent = allSent && s == PartState::Sent;
            anyMissing = anyMissing || s == PartState::NotSent || s == PartState::Refused;
            if (s == PartState::Sent && !out) {
                std::printf("DISAGREE: %s part %d on record as sent, the modem never took it\n",
                            qPrintable(m.text.left(9)), i + 1);
                ++disagree;
            }
            if ((s == PartState::NotSent || s == PartState::Refused) && out) {
                std::printf("DISAGREE: %s part %d on record as not sent, the modem took it\n",
                            qPrintable(m.text.left(9)), i + 1);
                ++disagree;
            }
            if (s == PartState::Submitting || s == PartState::Uncertain) {
                ++unsure;
                unsureOut += out ? 1 : 0;
            }
        }
        // The outbox holds a long message once all its parts are in.
        const bool inOutbox = joined.contains("\t" + m.text.toUtf8() + "\tpdu 5\n");
        if ((inOutbox && anyMissing) || (allSent && !inOutbox)) {
            std::printf("DISAGREE: %s %s, but %s the outbox\n", qPrintable(m.text.left(9)),
                        allSent ? "wholly sent on record" : "not wholly sent on record", inOutbox ? "in" : "not in");
            ++disagree;
        }
        whole += allSent ? 1 : 0;
        cut += allSent ? 0 : 1;
    }
    std::printf("messages on record: %d, wholly sent: %d, cut off: %d; parts on record as uncertain: %d (%d of them "
                "went out); lines not read: %d\n",
                messages, whole, cut, unsure, unsureOut, log.badLines);
    std::printf("disagreements: %d\n", disagree);
    return disagree == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder = option(args, QStringLiteral("--folder"));
    if (args.contains(QStringLiteral("--check")))
        return check(folder, option(args, QStringLiteral("--check")), option(args, QStringLiteral("--check"), 2));
    const QString link = option(args, QStringLiteral("--link"));
    const int mark = option(args, QStringLiteral("--mark")).toInt();
    if (link.isEmpty() || folder.isEmpty() || mark <= 0) {
        std::fprintf(stderr, "usage: %s --link PATH --folder DIR --mark N | --folder DIR --check TRANSCRIPT OUTBOX\n",
                     argv[0]);
        return 2;
    }
    SystemClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    platform::install(&clock, &dialogs, &settings);
    settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM1"), link);
    settings.set(keys::MyDir, folder);
    QDir::setCurrent(folder);
    platform::setStartFolder(folder);
    auto main = std::make_unique<frmAnfang>(std::make_unique<QtSerialBackend>());
    main->endProgram = [] {};
    {
        // A run killed at the prompt leaves the modem waiting for its PDU: cancelled, and text
        // mode, as after "Modem anmelden".
        main->setReceiveTimer(false);
        main->comm().output(QStringLiteral("\x1B"));
        QString answer;
        Exchange(*main, QStringLiteral("AT+CMGF=1"), answer);
        main->setReceiveTimer(true);
        frmSendSM w(*main, main.get());
        w.txtZielNr->setText(QStringLiteral("+4917099999999"));
        w.Eingabe->setPlainText(markedText(mark));
        std::printf("sending %d\n", mark);
        std::fflush(stdout);
        w.cmdSend->click();
        std::printf("%s\n", qPrintable(w.lblFortschritt->text()));
    }
    for (const QString &text : dialogs.texts())
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    delete frmTelNr::Loaded();
    main.reset();
    platform::install(nullptr, nullptr, nullptr);
    return 0;
}
