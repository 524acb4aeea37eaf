// Long operations in real time against varnix-modemsim on a pseudo-terminal, through the
// windows that run them and the real port backend: a full registration ("Modem anmelden"),
// a read-out of 100 SIM phonebook locations, and a read cycle that files 20 messages.
// Each is timed against its floor: one quiet second per exchange (an answer ends after a
// second without a character), each designed pause, and the time the modem itself took
// from a command to the last byte of its answer (from the simulator's transcript).
//   bench_longops [--only registration|simbook|readcycle]
#include "BenchReport.h"
#include "LongOps.h"
#include "support/SimProcess.h"

#include "modem/frmSMS1.h"
#include "simbook/frmSimList.h"
#include "sms/frmListe.h"

#include <QPushButton>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>

using namespace longops;

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
    WholeSecondClock clock(s.clock);
    platform::install(&clock, &s.dialogs, &s.settings);
    const QString before = QDir::currentPath();
    QDir::setCurrent(files.path()); // the read cycle files its messages here
    frmAnfang &main = s.startMain();
    std::printf("long operations against varnix-modemsim, %d cores\n", bench::cores());
    bench::Report r(QStringLiteral("longops"));

    // The PIN is needed by the others, so the registration always runs.
    {
        frmSMS1 w(main, &main);
        w.txtPIN->setText(QStringLiteral("1234"));
        w.txtSMSC->setText(QStringLiteral("+491710760000"));
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w.cmdModemOn->click(); });
        const bool ok = s.dialogs.shown.isEmpty() && main.panelText(2) == QLatin1String("Varnix Mobil");
        if (runs("registration"))
            report(r, QStringLiteral("registration"), m, modemTime(readFrom(transcript, at)), 0, ok);
    }
    if (runs("simbook")) {
        frmSimList w(main, &main);
        main.setReceiveTimer(false); // as when the window is shown
        w.edTZahl->setText(QStringLiteral("100"));
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w.SimReadOut(); });
        const bool ok = s.dialogs.shown.isEmpty() && w.tabTelefon->rowCount() == 101;
        report(r, QStringLiteral("SIM read-out, 100 locations"), m, modemTime(readFrom(transcript, at)), 0, ok);
        main.setReceiveTimer(true);
    }
    if (runs("readcycle")) {
        auto *w = new frmListe(main, &main);
        w->setPollInterval(0);
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w->SMSLesen(); });
        const bool ok = s.dialogs.shown.isEmpty() && w->grSMSListe->rowCount() == 21;
        // A pause of one second follows every storage query: the first and one per message.
        report(r, QStringLiteral("read cycle, 20 messages"), m, modemTime(readFrom(transcript, at)), 21, ok);
        delete w;
    }
    QDir::setCurrent(before);
    platform::install(&s.clock, &s.dialogs, &s.settings);
    return r.finish();
}
