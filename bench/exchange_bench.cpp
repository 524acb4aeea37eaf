// 100 exchanges against varnix-modemsim on a pseudo-terminal in real time. Prints how much
// CPU the waiting side used per second of wall time (goal: at most 0.02; a busy loop is
// about 1.0) and the quiet wait per exchange after the last character (goal: 1.0 +- 0.1 s).
#include "support/SimProcess.h"

#include "modem/ModemCommand.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

namespace {
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 100;
    SimProcess s({QStringLiteral("--no-pin")});
    frmAnfang &main = s.startMain();
    main.setReceiveTimer(false);
    CommPort &comm = main.comm();

    double quietTotal = 0, quietMin = 1e9, quietMax = 0;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    for (int i = 0; i < runs; ++i) {
        comm.output(QStringLiteral("AT\r"));
        // The simulator answers within a millisecond or two, so the time to return is the
        // quiet wait plus that latency.
        QElapsedTimer t;
        t.start();
        QString answer;
        qint16 status = 0;
        ModemCommand(comm, answer, status);
        const double total = t.nsecsElapsed() / 1e9;
        if (status != kStatusOk) {
            std::fprintf(stderr, "exchange %d: status %d\n", i, status);
            return 1;
        }
        quietTotal += total;
        quietMin = std::min(quietMin, total);
        quietMax = std::max(quietMax, total);
    }
    const double cpu = cpuSeconds() - cpu0;
    const double secs = wall.nsecsElapsed() / 1e9;
    std::printf("exchanges: %d in %.1f s wall, %.3f s CPU\n", runs, secs, cpu);
    std::printf("cpu/wall: %.4f (goal <= 0.02)\n", cpu / secs);
    std::printf("answer time per exchange (first byte latency + quiet wait): mean %.3f s, min %.3f, max %.3f "
                "(goal 1.0 +- 0.1)\n",
                quietTotal / runs, quietMin, quietMax);
    return cpu / secs <= 0.02 && std::abs(quietTotal / runs - 1.0) <= 0.1 ? 0 : 2;
}
