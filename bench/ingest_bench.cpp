// Terminal ingest: the real program (build/bin/bench_varnix, which is varnix with the benchmark
// switches) takes a stream on COM1, a pseudo-terminal whose other end this program writes, with
// the traffic log open, once per display mode and line speed: 256000 baud (25.6 KB/s) for a
// minute, and the speeds of USB modems, 460800, 921600 and 4,000,000 baud (400 KB/s), for half
// a minute each. The program's port is set to the speed (a pseudo-terminal takes any). Measured
// from outside: the program's CPU share (run time of all its threads, /proc/<pid>/task/*/schedstat)
// and at the faster speeds its CPU time per MiB against the same view at 256000 baud, its peak
// and resting memory (VmHWM, VmRSS), the log against the bytes sent, the most the terminal pane
// held, and how far the pseudo-terminal held the writer back: it makes a writer wait when the
// reader falls behind, where a real line loses the bytes instead (its driver holds 68 KB, 170 ms
// at 400 KB/s). At the faster speeds the stream then goes on for 8 s more with a click on the
// window every 25 ms, each timed from its posting to its handling; the CPU figures are those of
// the time before.
//   bench_ingest [--seconds N] [--fast-seconds N] [--speeds 256000,921600,...]
//                [--mode normal|ascii|both] [--program PATH]
// --seconds is the length of the 256000-baud runs, --fast-seconds that of the faster ones.
// PATH must take the switches of bench_varnix.
#include "BenchReport.h"
#include "ProgramProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <fcntl.h>

namespace {

constexpr int kBaseBaud = 256000;
constexpr int kWritesPerSecond = 100; // a UART driver hands data on in pieces this often
constexpr int kTerminalLimit = 16000;
constexpr double kTickSeconds = 1.999;
// The longest a click may wait for the window, and how long the clicks go on.
constexpr double kClickMs = 100;
constexpr int kClickSeconds = 8;
// How long the writer may be held up: scheduling on a busy machine, far below what a real
// line's driver buffers.
constexpr double kHeldSeconds = 0.1;

// 10 bits a character: start bit, 8 data bits, stop bit.
int bytesPerSecond(int baud) { return baud / 10; }

// The CPU share allowed at a speed: the 0.4 % of a core at 256000 baud, and for the faster
// lines the goals of the terminal at USB speeds; a speed between is held to the CPU per byte
// allowed at 256000.
double cpuGoal(int baud)
{
    switch (baud) {
    case kBaseBaud: return 0.4;
    case 921600: return 1.2;
    case 4000000: return 5.0;
    default: return 0.4 * baud / kBaseBaud;
    }
}

// Lines as a modem or a device under test might send them; Windows-1252 umlauts included.
// CR LF line ends stay as they are, so the normal view logs exactly these bytes.
QByteArray streamBytes(qsizetype size)
{
    QByteArray out;
    out.reserve(size + 128);
    for (int line = 1; out.size() < size; ++line) {
        out += "Zeile " + QByteArray::number(line).rightJustified(7, '0')
               + " \xC4\xD6\xDC\xE4\xF6\xFC\xDF ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789\r\n";
    }
    out.truncate(size);
    return out;
}

// What the log holds in the ASCII view: every byte as its code between angle brackets.
QByteArray asciiView(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 5);
    for (const char c : bytes)
        out += '<' + QByteArray::number(uchar(c)) + '>';
    return out;
}

struct ModeResult {
    double cpuShare = 0; // percent of one core
    double cpuPerMiB = 0; // CPU seconds per MiB sent
    double peakMiB = 0;
    double growthMiB = 0;
    double restMiB = 0;
    bool logIdentical = false;
    qsizetype differing = 0;
    qsizetype logBytes = 0;
    qsizetype expectedBytes = 0;
    qsizetype paneMax = 0;
    qsizetype paneBound = 0;
    double worstLateness = 0;
    double clickMs = -1;
    int clicks = 0;
    bool ok = false;
};

// Run time of all the program's threads: exact, where /proc/<pid>/stat counts 10 ms ticks.
double cpuOf(pid_t pid)
{
    const double run = bench::schedTimesOf(pid).run;
    return run > 0 ? run : bench::cpuSecondsOf(pid);
}

void sleepUntil(double t)
{
    timespec ts{};
    ts.tv_sec = time_t(t);
    ts.tv_nsec = long((t - double(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

ModeResult runMode(const QString &program, bool ascii, int baud, int seconds)
{
    ModeResult r;
    QTemporaryDir dir;
    bench::Pty pty;
    if (!dir.isValid() || !pty.open()) {
        std::fprintf(stderr, "no temporary folder or pseudo-terminal\n");
        return r;
    }
    bench::ProgramProcess varnix(program, dir.path(), pty.slave);
    const QString logName = varnix.workFolder() + QStringLiteral("/ingest.log");
    QStringList args{QStringLiteral("--bench-log"), logName, QStringLiteral("--bench-settings"),
                     QStringLiteral("%1,n,8,1").arg(baud)};
    if (baud != kBaseBaud)
        args << QStringLiteral("--bench-clicks"); // started after the CPU has been measured
    if (ascii)
        args << QStringLiteral("--bench-ascii");
    if (!varnix.start(args)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return r;
    }
    // The log opens during start-up, after the port.
    for (int i = 0; i < 500 && !QFile::exists(logName); ++i)
        ::usleep(20000);
    if (!QFile::exists(logName)) {
        std::fprintf(stderr, "the program did not open its log\n");
        return r;
    }
    ::usleep(1500000); // start-up settles

    const int clickSeconds = baud == kBaseBaud ? 0 : kClickSeconds;
    const QByteArray sent = streamBytes(qsizetype(bytesPerSecond(baud)) * (seconds + clickSeconds));
    const qsizetype measured = qsizetype(bytesPerSecond(baud)) * seconds;
    const qsizetype piece = bytesPerSecond(baud) / kWritesPerSecond;
    QList<double> rss;
    double cpu1 = -1;
    const double cpu0 = cpuOf(varnix.pid());
    const double t0 = bench::monotonicSeconds();
    for (qsizetype at = 0, i = 0; at < sent.size(); at += piece, ++i) {
        const double due = t0 + double(i) / kWritesPerSecond;
        sleepUntil(due);
        if (at >= measured && cpu1 < 0) {
            cpu1 = cpuOf(varnix.pid());
            varnix.say("c\n");
        }
        // A pseudo-terminal makes a writer wait when the reader falls behind; a real line
        // would lose the bytes instead.
        r.worstLateness = std::max(r.worstLateness, bench::monotonicSeconds() - due);
        if (!writeAll(pty.master, sent.constData() + at, std::min(piece, sent.size() - at))) {
            std::fprintf(stderr, "write to the pseudo-terminal failed: %s\n", std::strerror(errno));
            return r;
        }
        if (i % kWritesPerSecond == 0)
            rss.append(bench::statusMiB(varnix.pid(), "VmRSS"));
    }
    sleepUntil(t0 + seconds + clickSeconds);
    if (cpu1 < 0)
        cpu1 = cpuOf(varnix.pid());
    r.cpuShare = 100.0 * (cpu1 - cpu0) / seconds;
    r.cpuPerMiB = (cpu1 - cpu0) / (double(measured) / (1024.0 * 1024.0));
    // The last tick takes in the rest.
    ::usleep(useconds_t(2.6e6));
    r.peakMiB = bench::statusMiB(varnix.pid(), "VmHWM");
    r.restMiB = bench::statusMiB(varnix.pid(), "VmRSS");
    // Flat: the second half of the run holds no more than the first half did.
    const qsizetype half = rss.size() / 2;
    const double firstHalf = *std::max_element(rss.begin() + 1, rss.begin() + half);
    const double secondHalf = *std::max_element(rss.begin() + half, rss.end());
    r.growthMiB = std::max(0.0, secondHalf - firstHalf);

    const QByteArray printed = varnix.finish();
    for (const QByteArray &line : printed.split('\n')) {
        if (line.startsWith("pane-max "))
            r.paneMax = line.mid(9).toLongLong();
        else if (line.startsWith("click-max "))
            r.clickMs = line.mid(10).toDouble();
        else if (line.startsWith("clicks "))
            r.clicks = line.mid(7).toInt();
    }
    QFile log(logName);
    log.open(QIODevice::ReadOnly);
    const QByteArray logged = log.readAll();
    const QByteArray expected = ascii ? asciiView(sent) : sent;
    r.logBytes = logged.size();
    r.expectedBytes = expected.size();
    r.logIdentical = logged == expected;
    r.differing = std::abs(logged.size() - expected.size());
    for (qsizetype i = 0; i < std::min(logged.size(), expected.size()); ++i)
        r.differing += logged[i] != expected[i];
    if (!r.logIdentical) {
        qsizetype at = 0;
        while (at < logged.size() && at < expected.size() && logged[at] == expected[at])
            ++at;
        std::fprintf(stderr, "log differs from byte %lld on: got \"%s\", expected \"%s\"\n", (long long)at,
                     logged.mid(at, 40).toPercentEncoding(" <>").constData(),
                     expected.mid(at, 40).toPercentEncoding(" <>").constData());
    }
    // The pane is cut back to 16000 before each append, so it holds at most that plus what
    // one tick brings (a late tick a little more); a tick that brings more than 16000 shows
    // only its last 16000 in place of the pane's text. Line ends count once in the pane.
    const double perTick = double(expected.size()) / (seconds + clickSeconds) * kTickSeconds * 1.25;
    r.paneBound = kTerminalLimit + std::min(qsizetype(kTerminalLimit), qsizetype(perTick));
    r.ok = varnix.status() == 0;
    if (!r.ok)
        std::fprintf(stderr, "the program ended with status %d\n", varnix.status());
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString program = QStringLiteral(VARNIX_PROGRAM);
    int seconds = 60;
    int fastSeconds = 30;
    QList<int> speeds{kBaseBaud, 460800, 921600, 4000000};
    QString mode = QStringLiteral("both");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds")) {
            seconds = std::max(6, args[++i].toInt());
        } else if (args[i] == QLatin1String("--fast-seconds")) {
            fastSeconds = std::max(6, args[++i].toInt());
        } else if (args[i] == QLatin1String("--speeds")) {
            speeds.clear();
            for (const QString &speed : args[++i].split(u','))
                if (speed.toInt() > 0)
                    speeds.append(speed.toInt());
        } else if (args[i] == QLatin1String("--mode")) {
            mode = args[++i];
        } else if (args[i] == QLatin1String("--program")) {
            program = args[++i];
        }
    }
    std::printf("terminal ingest into %s, %d cores\n", qPrintable(program), bench::cores());

    bench::Report report(QStringLiteral("ingest"));
    for (const bool ascii : {false, true}) {
        if (mode != QLatin1String("both") && (mode == QLatin1String("ascii")) != ascii)
            continue;
        const char *name = ascii ? "ASCII view" : "normal view";
        double basePerMiB = -1; // CPU per MiB at 256000 baud in this view, when it ran
        for (const int baud : std::as_const(speeds)) {
            const int length = baud == kBaseBaud ? seconds : fastSeconds;
            std::printf("%s, %d baud: %d s at %d bytes/s ...\n", name, baud, length, bytesPerSecond(baud));
            std::fflush(stdout);
            const ModeResult r = runMode(program, ascii, baud, length);
            std::printf("  cpu %.3f %% of a core (%.3f s per MiB), peak %.1f MiB, at rest %.1f MiB, growth %.2f MiB, "
                        "log %lld of %lld bytes, pane max %lld chars, writer held up by up to %.3f s",
                        r.cpuShare, r.cpuPerMiB, r.peakMiB, r.restMiB, r.growthMiB, (long long)r.logBytes,
                        (long long)r.expectedBytes, (long long)r.paneMax, r.worstLateness);
            if (r.clicks > 0)
                std::printf(", a click waited up to %.1f ms (%d clicks)", r.clickMs, r.clicks);
            std::printf("\n");
            std::fflush(stdout);
            // The rows at 256000 baud keep the names they always had.
            const QString m = baud == kBaseBaud ? QString::fromLatin1(name)
                                                : QStringLiteral("%1 %2 baud").arg(QString::fromLatin1(name)).arg(baud);
            const double goal = cpuGoal(baud);
            report.add(QStringLiteral("ingest %1: CPU share").arg(m), r.cpuShare, QStringLiteral("% core"),
                       QStringLiteral("<= %1").arg(goal), r.ok && r.cpuShare <= goal, 3);
            if (baud == kBaseBaud) {
                basePerMiB = r.ok ? r.cpuPerMiB : -1;
            } else if (basePerMiB > 0) {
                report.add(QStringLiteral("ingest %1: CPU per MiB").arg(m), r.cpuPerMiB * 1000, QStringLiteral("ms"),
                           QStringLiteral("<= %1 (256000)").arg(basePerMiB * 1000, 0, 'f', 1),
                           r.ok && r.cpuPerMiB <= basePerMiB, 1);
            }
            report.add(QStringLiteral("ingest %1: peak memory (VmHWM)").arg(m), r.peakMiB, QStringLiteral("MiB"),
                       QStringLiteral("<= 45"), r.ok && r.peakMiB > 0 && r.peakMiB <= 45, 1);
            report.add(QStringLiteral("ingest %1: memory growth, 2nd half").arg(m), r.growthMiB, QStringLiteral("MiB"),
                       QStringLiteral("<= 1 (flat)"), r.ok && r.growthMiB <= 1.0);
            report.add(QStringLiteral("ingest %1: log bytes unlike those sent").arg(m), double(r.differing),
                       QStringLiteral("bytes"), QStringLiteral("0"), r.ok && r.logBytes > 0 && r.logIdentical, 0);
            report.add(QStringLiteral("ingest %1: pane max after a tick").arg(m), double(r.paneMax),
                       QStringLiteral("chars"), QStringLiteral("<= %1").arg(r.paneBound),
                       r.ok && r.paneMax > 0 && r.paneMax <= r.paneBound, 0);
            if (baud == kBaseBaud)
                continue;
            report.add(QStringLiteral("ingest %1: writer held up").arg(m), r.worstLateness, QStringLiteral("s"),
                       QStringLiteral("<= %1").arg(kHeldSeconds), r.ok && r.worstLateness <= kHeldSeconds, 3);
            report.add(QStringLiteral("ingest %1: longest wait of a click").arg(m), r.clickMs, QStringLiteral("ms"),
                       QStringLiteral("<= %1").arg(kClickMs), r.ok && r.clicks > 0 && r.clickMs <= kClickMs, 1);
        }
    }
    return report.finish();
}
