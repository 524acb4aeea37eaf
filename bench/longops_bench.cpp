// Long operations in real time against varnix-modemsim on a pseudo-terminal, through the
// windows that run them and the real port backend: a full registration ("Modem anmelden"),
// a read-out of 100 SIM phonebook locations, and a read cycle that files 20 messages.
// With answers ending after the quiet second (the normal mode) each is timed against its
// floor: one quiet second per exchange (an answer ends after a second without a character),
// each designed pause, and the time the modem itself took from a command to the last byte of
// its answer (from the simulator's transcript). With "Schnelle Modemantworten" (answers end at
// their final result code) the same three run against a simulator of their own, started
// afresh, and their wall time is held to its goal.
//   bench_longops [--only registration|simbook|readcycle] [--mode normal|fast|both]
#include "BenchReport.h"
#include "LongOps.h"
#include "support/SimProcess.h"

#include "modem/frmSMS1.h"
#include "simbook/frmSimList.h"
#include "sms/SmsDataFile.h"
#include "sms/frmListe.h"

#include <QPushButton>
#include <QApplication>
#include <QLineEdit>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>

using namespace longops;

// The goals with answers ending at their final result code.
constexpr double kFastRegistration = 1.5;
constexpr double kFastSimBook = 5.0;
constexpr double kFastReadCycle = 3.0;

// One pass of the three against a simulator of its own.
void runPass(bench::Report &r, const QString &only, bool fast)
{
    const auto runs = [&](const char *name) { return only.isEmpty() || only == QLatin1String(name); };
    QTemporaryDir files;
    files.setAutoRemove(qEnvironmentVariableIsEmpty("VARNIX_BENCH_KEEP"));
    QByteArray book, messages;
    for (int i = 1; i <= 100; ++i)
        book += "+49170" + QByteArray::number(1000000 + i) + "\tEintrag " + QByteArray::number(i) + '\n';
    for (int i = 1; i <= 20; ++i)
        messages += "+49151" + QByteArray::number(2000000 + i) + "\tNachricht " + QByteArray::number(i)
                    + ": Treffen morgen um 10 Uhr?\n";
    const QString transcript = files.filePath(QStringLiteral("transcript.txt"));
    SimProcess s({QStringLiteral("--pin"), QStringLiteral("1234"), QStringLiteral("--phonebook"),
                  writeLines(files.filePath(QStringLiteral("book.tsv")), book), QStringLiteral("--messages"),
                  writeLines(files.filePath(QStringLiteral("messages.tsv")), messages), QStringLiteral("--transcript"),
                  transcript});
    s.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
    smsrun::setCurrentFile({}); // the SMS file of an earlier pass is gone with its folder
    WholeSecondClock clock(s.clock);
    platform::install(&clock, &s.dialogs, &s.settings);
    const QString before = QDir::currentPath();
    QDir::setCurrent(files.path()); // the read cycle files its messages here
    frmAnfang &main = s.startMain();

    // The PIN is needed by the others, so the registration always runs.
    {
        frmSMS1 w(main, &main);
        w.txtPIN->setText(QStringLiteral("1234"));
        w.txtSMSC->setText(QStringLiteral("+491710760000"));
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w.cmdModemOn->click(); });
        const bool ok = s.dialogs.shown.isEmpty() && main.panelText(2) == QLatin1String("Varnix Mobil")
                        && w.lblAngemeldet->text() == QLatin1String("angemeldet");
        if (runs("registration"))
            report(r, QStringLiteral("registration"), m, modemTime(readFrom(transcript, at)), 0, ok, fast,
                   kFastRegistration);
    }
    if (runs("simbook")) {
        frmSimList w(main, &main);
        main.setReceiveTimer(false); // as when the window is shown
        w.edTZahl->setText(QStringLiteral("100"));
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w.SimReadOut(); });
        // Every entry read whole: the names of all hundred locations are in the list.
        QSet<QString> names;
        for (int row = 1; row < w.tabTelefon->rowCount(); ++row) {
            if (const QTableWidgetItem *item = w.tabTelefon->item(row, 1))
                names.insert(item->text());
        }
        bool all = true;
        for (int i = 1; i <= 100; ++i)
            all = all && names.contains(QStringLiteral("Eintrag %1").arg(i));
        const bool ok = s.dialogs.shown.isEmpty() && w.tabTelefon->rowCount() == 101 && all;
        report(r, QStringLiteral("SIM read-out, 100 locations"), m, modemTime(readFrom(transcript, at)), 0, ok, fast,
               kFastSimBook);
        main.setReceiveTimer(true);
    }
    if (runs("readcycle")) {
        auto *w = new frmListe(main, &main);
        w->setPollInterval(0);
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w->SMSLesen(); });
        const bool ok = s.dialogs.shown.isEmpty() && w->grSMSListe->rowCount() == 21;
        // A pause of one second follows every storage query: the first and one per message.
        report(r, QStringLiteral("read cycle, 20 messages"), m, modemTime(readFrom(transcript, at)), 21, ok, fast,
               kFastReadCycle);
        delete w;
    }
    QDir::setCurrent(before);
    platform::install(&s.clock, &s.dialogs, &s.settings);
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString only;
    QString mode = QStringLiteral("both");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--only"))
            only = args[++i];
        else if (args[i] == QLatin1String("--mode"))
            mode = args[++i];
    }
    std::printf("long operations against varnix-modemsim, %d cores\n", bench::cores());
    bench::Report r(QStringLiteral("longops"));
    if (mode != QLatin1String("fast"))
        runPass(r, only, false);
    if (mode != QLatin1String("normal"))
        runPass(r, only, true);
    return r.finish();
}
