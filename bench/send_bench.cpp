// Sending today's messages:
//  - the send window's live counter: keystrokes into a text of 1,600 characters with emoji, each
//    timed from the key event to the counter rewritten (text and spoken name), the text box's own
//    work on the key included, with the window shown; and the counter's own share of it;
//  - a message of five parts against varnix-modemsim on a pseudo-terminal, through the window
//    and the real port backend, timed against the floor of its exchanges as bench_longops does
//    (a quiet second per exchange and the modem's own time from its transcript).
//   bench_send [--only counter|send]
#include "BenchReport.h"
#include "LongOps.h"
#include "support/FakeSerialBackend.h"
#include "support/SimProcess.h"
#include "support/TaskExchange.h"
#include "support/TestPlatform.h"

#include "phonelist/frmTelNr.h"
#include "sms/frmSendSM.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>

using namespace longops;

namespace {

constexpr int kKeystrokes = 400;

// One key pressed in the text box: the milliseconds until the box has taken it and the counter
// is rewritten (the text box tells its change within the key event); then the key is let go and
// what it posted (the repaint) is served, outside the time.
double type(QWidget *box, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QElapsedTimer t;
    t.start();
    QApplication::sendEvent(box, &press);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QApplication::sendEvent(box, &release);
    QApplication::processEvents();
    return ms;
}

void counter(bench::Report &r, const QString &folder)
{
    TestPlatform p;
    p.settings.set(keys::MyDir, folder);
    QFile phones(QDir(folder).filePath(QStringLiteral("phone.lst")));
    if (phones.open(QIODevice::WriteOnly))
        phones.write("Anna;+4917099999999\r\n");
    phones.close();
    frmAnfang main(std::make_unique<FakeSerialBackend>(p.clock));
    main.endProgram = [] {};
    {
        frmSendSM w(main);
        w.show();
        // 1,600 UTF-16 units: umlauts, Cyrillic and emoji, so the text is Unicode in 24 parts.
        QString text;
        while (text.size() < 1599)
            text += QStringLiteral("Grüße aus Köln 😀 Привет! ");
        text.truncate(1599);
        if (text.back().isHighSurrogate())
            text.chop(1);
        w.Eingabe->setPlainText(text);
        w.Eingabe->moveCursor(QTextCursor::End);
        w.Eingabe->setFocus();
        QApplication::processEvents();
        QList<double> ms;
        for (int i = 0; i < kKeystrokes; ++i) {
            // Typing and taking back, an emoji every tenth key: the length stays near 1,600.
            if (i % 2)
                ms << type(w.Eingabe, Qt::Key_Backspace, QString());
            else
                ms << type(w.Eingabe, Qt::Key_unknown, i % 20 == 0 ? QStringLiteral("😀") : QStringLiteral("x"));
        }
        // The counter's own share: the plan of the text and the caption.
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kKeystrokes; ++i)
            CounterText(w.plan());
        const double own = double(t.nsecsElapsed()) / 1e6 / kKeystrokes;
        const bool ok = p.dialogs.shown.isEmpty() && w.lblTextLang->text().contains(QLatin1String("Unicode")) &&
                        w.lblTextLang->accessibleName().startsWith(QStringLiteral("Länge: 1"));
        std::printf("counter: %d keystrokes at about %lld characters, %s\n", kKeystrokes,
                    static_cast<long long>(w.Eingabe->toPlainText().size()), qPrintable(w.lblTextLang->text()));
        std::sort(ms.begin(), ms.end());
        const double median = ms.at(ms.size() / 2), p99 = ms.at(ms.size() * 99 / 100), worst = ms.last();
        // The slowest keys are the text box's own: every few keys it lays its paragraph out anew
        // (about 4.5 ms here, with or without the counter), and a busy machine adds to that.
        std::printf("counter: key to counter median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms; the counter's "
                    "own work %.3f ms a key\n",
                    median, p99, worst, own);
        r.add(QStringLiteral("counter, 1,600 chars with emoji: key, 99th pct."), p99, QStringLiteral("ms"),
              QStringLiteral("<= 5"), ok && p99 <= 5.0, 3);
        r.add(QStringLiteral("counter, 1,600 chars with emoji: counter's own"), own, QStringLiteral("ms"),
              QStringLiteral("<= 5"), ok && own <= 5.0, 3);
    }
    delete frmTelNr::Loaded();
}

void fiveParts(bench::Report &r, const QString &folder)
{
    const QString transcript = QDir(folder).filePath(QStringLiteral("transcript.txt"));
    SimProcess s({QStringLiteral("--no-pin"), QStringLiteral("--transcript"), transcript});
    WholeSecondClock clock(s.clock);
    platform::install(&clock, &s.dialogs, &s.settings);
    s.settings.set(keys::MyDir, folder);
    QFile phones(QDir(folder).filePath(QStringLiteral("phone.lst")));
    if (phones.open(QIODevice::WriteOnly))
        phones.write("Anna;+4917099999999\r\n");
    phones.close();
    frmAnfang &main = s.startMain();
    {
        QString answer;
        main.setReceiveTimer(false);
        Exchange(main, QStringLiteral("AT+CMGF=1"), answer);
        main.setReceiveTimer(true);
        frmSendSM w(main, &main);
        w.txtZielNr->setText(QStringLiteral("+4917099999999"));
        // Four full parts and one of 100 septets, umlauts and brackets among them.
        QString text = QStringLiteral("Fünf Teile [Bench] ");
        while (text.size() < 4 * 153 + 100)
            text += QStringLiteral("Treffen morgen um 10 Uhr am Bahnhof, Gleis 3. ");
        text.truncate(4 * 153 + 100 - 2); // the brackets take a septet more each
        w.Eingabe->setPlainText(text);
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w.cmdSend->click(); });
        const bool ok =
            s.dialogs.shown.isEmpty() && w.lblFortschritt->text().startsWith(QLatin1String("Gesendet in 5 Teilen"));
        if (!ok)
            std::printf("send: %s %s\n", qPrintable(w.lblFortschritt->text()),
                        qPrintable(s.dialogs.texts().join(u'|')));
        report(r, QStringLiteral("send, 5 parts"), m, modemTime(readFrom(transcript, at)), 0, ok);
    }
    delete frmTelNr::Loaded();
    platform::install(&s.clock, &s.dialogs, &s.settings);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString only;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--only"))
            only = args[++i];
    }
    QTemporaryDir files;
    files.setAutoRemove(qEnvironmentVariableIsEmpty("VARNIX_BENCH_KEEP"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(files.path());
    std::printf("sending today's messages, %d cores\n", bench::cores());
    bench::Report r(QStringLiteral("send"));
    if (only.isEmpty() || only == QLatin1String("counter"))
        counter(r, files.path());
    if (only.isEmpty() || only == QLatin1String("send"))
        fiveParts(r, files.path());
    QDir::setCurrent(before);
    return r.finish();
}
