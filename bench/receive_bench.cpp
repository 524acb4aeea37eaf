// Receiving today's messages in real time against varnix-modemsim on a pseudo-terminal:
//  - 255 stored parts of 85 long messages (GSM and UCS2 with emoji, parts out of order) read in
//    one cycle, timed against the floor of its exchanges (as bench_longops does);
//  - a new message announced by +CMTI while the received-messages window is open: the time from
//    the message reaching the modem to its row on screen, beyond the exchanges the read needs.
//   bench_receive [--only parts|notice]
#include "BenchReport.h"
#include "LongOps.h"
#include "support/SimProcess.h"

#include "modem/frmSMS1.h"
#include "platform/HeaderGrid.h"
#include "sms/frmListe.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace longops;

namespace {

constexpr int kLongMessages = 85;

QString longText(int i)
{
    // Three parts each: 400 septets of the GSM alphabet, or 180 UCS2 units with an emoji.
    if (i % 2)
        return QStringLiteral("Nachricht %1: ").arg(i) + QString(400 - 16, u'x').replace(50, 5, QStringLiteral("[€]{}"));
    return QStringLiteral("Grüße %1 😀 ").arg(i) + QString(180 - 14, u'ж');
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
    const auto runs = [&](const char *name) { return only.isEmpty() || only == QLatin1String(name); };

    QTemporaryDir files;
    files.setAutoRemove(qEnvironmentVariableIsEmpty("VARNIX_BENCH_KEEP"));
    QByteArray messages;
    if (runs("parts")) {
        const char *const orders[] = {"1,2,3", "3,1,2", "2,3,1"};
        for (int i = 0; i < kLongMessages; ++i)
            messages += QByteArray("[parts=") + orders[i % 3] + "]\t+49151" + QByteArray::number(2000000 + i) + '\t' +
                        longText(i).toUtf8() + '\n';
    }
    const QString transcript = files.filePath(QStringLiteral("transcript.txt"));
    const QString inject = files.filePath(QStringLiteral("inject"));
    SimProcess s({QStringLiteral("--pin"), QStringLiteral("1234"), QStringLiteral("--storage"), QStringLiteral("255"),
                  QStringLiteral("--messages"), writeLines(files.filePath(QStringLiteral("messages.tsv")), messages),
                  QStringLiteral("--transcript"), transcript, QStringLiteral("--inject-dir"), inject});
    WholeSecondClock clock(s.clock);
    platform::install(&clock, &s.dialogs, &s.settings);
    const QString before = QDir::currentPath();
    QDir::setCurrent(files.path()); // the read cycle files its messages here
    frmAnfang &main = s.startMain();
    std::printf("receiving against varnix-modemsim, %d cores\n", bench::cores());
    bench::Report r(QStringLiteral("receive"));

    // The PIN, and the notices asked for.
    {
        frmSMS1 w(main, &main);
        w.txtPIN->setText(QStringLiteral("1234"));
        w.txtSMSC->setText(QStringLiteral("+491710760000"));
        w.cmdModemOn->click();
    }
    auto *w = new frmListe(main, &main);
    w->setPollInterval(0);
    if (runs("parts")) {
        const qint64 at = sizeOf(transcript);
        const Measured m = measure([&] { w->SMSLesen(); });
        bool ok = s.dialogs.shown.isEmpty() && w->grSMSListe->rowCount() == kLongMessages + 1;
        for (int i = 0; ok && i < kLongMessages; ++i)
            ok = w->grSMSListe->cell(i + 1, 4) == longText(i);
        // A pause of one second follows every storage query: the first and one per part.
        report(r, QStringLiteral("read cycle, 255 parts of 85 long messages"), m, modemTime(readFrom(transcript, at)),
               3 * kLongMessages + 1, ok);
    }
    if (runs("notice")) {
        const QString text = QStringLiteral("Bin gleich da 🚲");
        const int row = w->grSMSListe->rowCount() > 2 ? w->grSMSListe->rowCount() : 1;
        double shownAt = -1;
        qint64 transcriptAtRow = 0;
        QEventLoop loop;
        QObject::connect(w->grSMSListe->model(), &QAbstractItemModel::dataChanged, &loop, [&] {
            if (shownAt < 0 && w->grSMSListe->cell(row, 4) == text) {
                shownAt = bench::monotonicSeconds();
                transcriptAtRow = sizeOf(transcript);
            }
        });
        const qint64 at = sizeOf(transcript);
        QDir().mkpath(inject);
        const double start = bench::monotonicSeconds();
        writeLines(QDir(inject).filePath(QStringLiteral("neu.tsv")), "+4917012345678\t" + text.toUtf8() + '\n');
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if ((shownAt >= 0 && !w->cycleRunning()) || bench::monotonicSeconds() - start > 60)
                loop.quit();
        });
        poll.start(50);
        loop.exec();
        const bool ok = shownAt >= 0 && s.dialogs.shown.isEmpty();
        const ModemTime modem = modemTime(readFrom(transcript, at).left(transcriptAtRow - at));
        // The read before the row: its exchanges, each ended by a quiet second, and the pause
        // behind the storage query.
        const double floor = modem.exchanges + 1.0 + modem.seconds;
        const double beyond = ok ? shownAt - start - floor : 99;
        std::printf("notice to row: %.2f s, of it %d exchanges and one pause (floor %.2f s), beyond %.2f s%s\n",
                    ok ? shownAt - start : -1.0, modem.exchanges, floor, beyond, ok ? "" : ", FAILED");
        r.add(QStringLiteral("new-message notice to its row, beyond the read's exchanges"), beyond, QStringLiteral("s"),
              QStringLiteral("<= 2"), ok && beyond <= 2.0, 2);
    }
    delete w;
    QDir::setCurrent(before);
    platform::install(&s.clock, &s.dialogs, &s.settings);
    return r.finish();
}
