// Start-up: from exec of the real program (build/bin/bench_varnix, which is varnix with the
// benchmark switches) to its main window drawn, the median of ten starts after one that warms
// the caches; then the memory of a program that has been at rest for a few seconds. COM1 is a
// pseudo-terminal, so the port opens.
//   bench_startup [--runs N] [--program PATH]        PATH must take the switches of bench_varnix
// The platform is offscreen unless QT_QPA_PLATFORM says otherwise (e.g. xcb under xvfb-run).
#include "BenchReport.h"
#include "ProgramProcess.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>

namespace {

// Seconds from exec to the window drawn, or a negative value when the program failed.
double oneStart(const QString &program, const QString &folder, const QString &device, double restSeconds,
                double *cpuSeconds = nullptr, double *queuedSeconds = nullptr, double *peakMiB = nullptr, double *restMiB = nullptr)
{
    bench::ProgramProcess varnix(program, folder, device);
    const double t0 = bench::monotonicSeconds();
    if (!varnix.start({QStringLiteral("--bench-shown")}))
        return -1;
    const QByteArray line = varnix.readLine(20);
    if (!line.startsWith("shown "))
        return -1;
    const double shown = line.mid(6).toDouble() - t0;
    // What the start cost the processor, and how long it waited for one: on a busy machine
    // the wall time holds both.
    const bench::SchedTimes sched = bench::schedTimesOf(varnix.pid());
    if (cpuSeconds)
        *cpuSeconds = sched.run;
    if (queuedSeconds)
        *queuedSeconds = sched.queued;
    if (restSeconds > 0) {
        ::usleep(useconds_t(restSeconds * 1e6));
        if (peakMiB)
            *peakMiB = bench::statusMiB(varnix.pid(), "VmHWM");
        if (restMiB)
            *restMiB = bench::statusMiB(varnix.pid(), "VmRSS");
    }
    varnix.finish();
    return varnix.status() == 0 ? shown : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString program = QStringLiteral(VARNIX_PROGRAM);
    int runs = 10;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--program"))
            program = args[++i];
    }
    const QByteArray platform = qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qgetenv("QT_QPA_PLATFORM") : "offscreen";
    std::printf("start-up of %s, platform %s, median of %d, %d cores\n", qPrintable(program), platform.constData(), runs,
                bench::cores());

    QTemporaryDir dir;
    bench::Pty pty;
    if (!dir.isValid() || !pty.open()) {
        std::fprintf(stderr, "no temporary folder or pseudo-terminal\n");
        return 1;
    }
    bool ok = oneStart(program, dir.path(), pty.slave, 0) >= 0; // warms the caches
    QList<double> times, cpus, queued;
    for (int i = 0; ok && i < runs; ++i) {
        double cpu = 0, wait = 0;
        const double t = oneStart(program, dir.path(), pty.slave, 0, &cpu, &wait);
        ok = t >= 0;
        times.append(t * 1000);
        cpus.append(cpu * 1000);
        queued.append(wait * 1000);
        std::printf("  start %2d: %6.1f ms, of which %5.1f ms on a processor and %5.1f ms waiting for one\n", i + 1,
                    t * 1000, cpu * 1000, wait * 1000);
    }
    double peak = -1, rest = -1;
    ok = ok && oneStart(program, dir.path(), pty.slave, 3.0, nullptr, nullptr, &peak, &rest) >= 0;
    if (!ok) {
        std::fprintf(stderr, "the program did not start, draw its window or end cleanly\n");
        times.append(1e9);
    }
    const double median = bench::median(times);
    const double cpuMedian = cpus.isEmpty() ? -1 : bench::median(cpus);
    std::printf("  at rest: peak %.1f MiB, resident %.1f MiB\n", peak, rest);

    bench::Report report(QStringLiteral("startup"));
    const QString where = QString::fromLatin1(platform);
    report.add(QStringLiteral("start-up to window drawn, median (%1)").arg(where), median, QStringLiteral("ms"),
               QStringLiteral("<= 60"), ok && median <= 60, 1);
    report.add(QStringLiteral("start-up: of it on a processor, median"), cpuMedian, QStringLiteral("ms"),
               QStringLiteral("(information)"), true, 1);
    report.add(QStringLiteral("start-up: of it waiting for a processor, median"), bench::median(queued),
               QStringLiteral("ms"), QStringLiteral("(information)"), true, 1);
    report.add(QStringLiteral("start-up: peak memory at rest (%1)").arg(where), peak, QStringLiteral("MiB"),
               QStringLiteral("<= 40"), ok && peak > 0 && peak <= 40, 1);
    return report.finish();
}
