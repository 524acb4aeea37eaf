// Terminal ingest: the real program (build/bin/bench_varnix, which is varnix with the benchmark
// switches) takes a 256000-baud stream (25.6 KB/s) on COM1, a pseudo-terminal whose other end
// this program writes, for a minute with the traffic log open, once per display mode. Measured
// from outside: the program's CPU share (/proc/<pid>/stat), its peak and resting memory (VmHWM,
// VmRSS), the log against the bytes sent, and the most the terminal pane held.
//   bench_ingest [--seconds N] [--mode normal|ascii|both] [--program PATH]
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

constexpr int kBytesPerSecond = 25600; // 256000 bit/s, 10 bits a character
constexpr int kWritesPerSecond = 100;  // a UART driver hands data on in pieces this often
constexpr int kTerminalLimit = 16000;
constexpr double kTickSeconds = 1.999;

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
    bool ok = false;
};

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

ModeResult runMode(const QString &program, bool ascii, int seconds)
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
    QStringList args{QStringLiteral("--bench-log"), logName};
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

    const QByteArray sent = streamBytes(qsizetype(kBytesPerSecond) * seconds);
    const qsizetype piece = kBytesPerSecond / kWritesPerSecond;
    QList<double> rss;
    const double cpu0 = bench::cpuSecondsOf(varnix.pid());
    const double t0 = bench::monotonicSeconds();
    for (qsizetype at = 0, i = 0; at < sent.size(); at += piece, ++i) {
        const double due = t0 + double(i) / kWritesPerSecond;
        sleepUntil(due);
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
    sleepUntil(t0 + seconds);
    const double cpu1 = bench::cpuSecondsOf(varnix.pid());
    r.cpuShare = 100.0 * (cpu1 - cpu0) / seconds;
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
    const double perTick = double(expected.size()) / seconds * kTickSeconds * 1.25;
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
    QString mode = QStringLiteral("both");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = std::max(6, args[++i].toInt());
        else if (args[i] == QLatin1String("--mode"))
            mode = args[++i];
        else if (args[i] == QLatin1String("--program"))
            program = args[++i];
    }
    std::printf("terminal ingest: %d s at %d bytes/s into %s, %d cores\n", seconds, kBytesPerSecond,
                qPrintable(program), bench::cores());

    bench::Report report(QStringLiteral("ingest"));
    for (const bool ascii : {false, true}) {
        if (mode != QLatin1String("both") && (mode == QLatin1String("ascii")) != ascii)
            continue;
        const char *name = ascii ? "ASCII view" : "normal view";
        std::printf("%s ...\n", name);
        std::fflush(stdout);
        const ModeResult r = runMode(program, ascii, seconds);
        std::printf("  cpu %.3f %% of a core, peak %.1f MiB, at rest %.1f MiB, growth %.2f MiB, log %lld of %lld "
                    "bytes, pane max %lld chars, writer late by up to %.3f s\n",
                    r.cpuShare, r.peakMiB, r.restMiB, r.growthMiB, (long long)r.logBytes, (long long)r.expectedBytes,
                    (long long)r.paneMax, r.worstLateness);
        const QString m = QString::fromLatin1(name);
        report.add(QStringLiteral("ingest %1: CPU share").arg(m), r.cpuShare, QStringLiteral("% core"),
                   QStringLiteral("<= 0.4"), r.ok && r.cpuShare <= 0.4, 3);
        report.add(QStringLiteral("ingest %1: peak memory (VmHWM)").arg(m), r.peakMiB, QStringLiteral("MiB"),
                   QStringLiteral("<= 45"), r.ok && r.peakMiB > 0 && r.peakMiB <= 45, 1);
        report.add(QStringLiteral("ingest %1: memory growth, 2nd half").arg(m), r.growthMiB, QStringLiteral("MiB"),
                   QStringLiteral("<= 1 (flat)"), r.ok && r.growthMiB <= 1.0);
        report.add(QStringLiteral("ingest %1: log bytes unlike those sent").arg(m), double(r.differing),
                   QStringLiteral("bytes"), QStringLiteral("0"), r.ok && r.logBytes > 0 && r.logIdentical, 0);
        report.add(QStringLiteral("ingest %1: pane max after a tick").arg(m), double(r.paneMax), QStringLiteral("chars"),
                   QStringLiteral("<= %1").arg(r.paneBound), r.ok && r.paneMax > 0 && r.paneMax <= r.paneBound, 0);
    }
    return report.finish();
}
