// The modem search ("Modem suchen") in real time over pseudo-terminals, through the real port
// backend: how long it takes, what it finds, and that it leaves no port open.
//  1. three varnix-modemsim modems (Siemens at 9600, Huawei at any speed, Quectel at 115200)
//     and two pseudo-terminals with nothing behind them;
//  2. eight devices of which six are no good: a modem that answers 20 s late, one that is
//     silent, one pseudo-terminal of line noise, one that echoes every byte back, one that
//     goes away during the search, one with nothing behind it; and two good modems.
// Goal for both: at most 10 s, every modem found, no descriptor left open.
#include "BenchReport.h"
#include "support/MemorySettingsStore.h"
#include "support/ScriptedDialogs.h"

#include "comm/QtSerialBackend.h"
#include "config/ModemProbe.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

namespace {

struct Sim {
    QProcess process;
    QString link;
    Sim(const QString &dir, const QString &name, const QStringList &options)
    {
        link = dir + u'/' + name;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(VARNIX_MODEMSIM), QStringList{QStringLiteral("--link"), link} + options);
        process.waitForStarted();
        for (int i = 0; i < 100 && !QFile::exists(link); ++i)
            QThread::msleep(20);
    }
    ~Sim()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

// A pseudo-terminal whose far end this program plays.
struct Pty {
    int master = -1;
    QString slave;
    std::unique_ptr<QSocketNotifier> reader;
    std::unique_ptr<QTimer> timer;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty() { hangUp(); }
    void hangUp()
    {
        reader.reset();
        timer.reset();
        if (master >= 0)
            ::close(std::exchange(master, -1));
    }
    // Every byte comes back, as a line looped back on itself does.
    void echo()
    {
        reader = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
        QObject::connect(reader.get(), &QSocketNotifier::activated, [this] {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                (void)!::write(master, buf, size_t(n));
        });
    }
    // Line noise without end.
    void noise()
    {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this] {
            QByteArray junk(64, '\0');
            for (char &c : junk)
                c = char(QRandomGenerator::global()->bounded(256));
            (void)!::write(master, junk.constData(), size_t(junk.size()));
            char drain[256];
            while (::read(master, drain, sizeof drain) > 0) {
            }
        });
        timer->start(10);
    }
    void vanishAfter(int ms)
    {
        timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, [this] { QTimer::singleShot(0, [this] { hangUp(); }); });
        timer->start(ms);
    }
};

ProbeCandidate candidate(const QString &path)
{
    return {path, QFileInfo(path).canonicalFilePath(), {}, false, 0, 0};
}

// Descriptors of this process open on one of the devices.
int openOn(const QList<ProbeCandidate> &devices)
{
    QStringList targets;
    for (const ProbeCandidate &c : devices)
        targets << c.device;
    int n = 0;
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        n += targets.contains(fd.symLinkTarget());
    return n;
}

struct Run {
    double seconds = 0;
    int modems = 0;
    int leaked = 0;
    QStringList outcomes;
};

Run search(const QList<ProbeCandidate> &devices)
{
    Run run;
    const double start = bench::monotonicSeconds();
    {
        ModemProbe probe(devices, [](const QString &) { return std::make_unique<QtSerialBackend>(); });
        probe.run();
        run.seconds = bench::monotonicSeconds() - start;
        for (const ProbeResult &r : probe.results()) {
            run.modems += r.outcome == ProbeOutcome::Modem;
            run.outcomes << QStringLiteral("%1: %2 %3 %4")
                                .arg(QFileInfo(r.candidate.path).fileName(), ProbeOutcomeText(r), r.maker, r.model);
        }
    }
    run.leaked = openOn(devices);
    return run;
}

void add(bench::Report &report, const QString &what, const Run &run, int modems)
{
    for (const QString &o : run.outcomes)
        std::printf("  %s\n", qPrintable(o));
    report.add(what + QStringLiteral(": Dauer"), run.seconds, QStringLiteral("s"), QStringLiteral("<= 10"),
               run.seconds <= 10.0);
    report.add(what + QStringLiteral(": Modems gefunden"), run.modems, {}, QStringLiteral("= %1").arg(modems),
               run.modems == modems, 0);
    report.add(what + QStringLiteral(": offene Deskriptoren danach"), run.leaked, {}, QStringLiteral("= 0"),
               run.leaked == 0, 0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SystemClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    platform::install(&clock, &dialogs, &settings);
    QTemporaryDir dir;
    bench::Report report(QStringLiteral("probe"));

    {
        Sim siemens(dir.path(), QStringLiteral("siemens"), {QStringLiteral("--profile"), QStringLiteral("siemens")});
        Sim huawei(
            dir.path(), QStringLiteral("huawei"),
            {QStringLiteral("--profile"), QStringLiteral("huawei"), QStringLiteral("--baud"), QStringLiteral("0")});
        Sim quectel(dir.path(), QStringLiteral("quectel"),
                    {QStringLiteral("--profile"), QStringLiteral("quectel"), QStringLiteral("--baud"),
                     QStringLiteral("115200")});
        Pty a, b;
        std::printf("3 modems, 2 empty pseudo-terminals\n");
        add(report, QStringLiteral("3 Modems, 2 leere Ptys"),
            search({candidate(siemens.link), candidate(huawei.link), candidate(quectel.link), candidate(a.slave),
                    candidate(b.slave)}),
            3);
    }
    {
        Sim siemens(dir.path(), QStringLiteral("siemens2"), {QStringLiteral("--profile"), QStringLiteral("siemens")});
        Sim simcom(dir.path(), QStringLiteral("simcom2"),
                   {QStringLiteral("--profile"), QStringLiteral("simcom"), QStringLiteral("--baud"),
                    QStringLiteral("115200")});
        Sim late(dir.path(), QStringLiteral("late"), {QStringLiteral("--delay"), QStringLiteral("20000")});
        Sim silent(dir.path(), QStringLiteral("silent"), {QStringLiteral("--silent")});
        Pty noise, echo, vanishing, empty;
        noise.noise();
        echo.echo();
        vanishing.vanishAfter(1000);
        std::printf("8 devices, 6 of them no good\n");
        add(report, QStringLiteral("8 Geräte, 6 ohne brauchbare Antwort"),
            search({candidate(siemens.link), candidate(late.link), candidate(noise.slave), candidate(echo.slave),
                    candidate(simcom.link), candidate(vanishing.slave), candidate(silent.link),
                    candidate(empty.slave)}),
            2);
    }
    platform::install(nullptr, nullptr, nullptr);
    return report.finish();
}
