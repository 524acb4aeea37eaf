#pragma once
// What the benchmarks of long modem operations share: the wall clock in whole seconds, the
// simulator's own time from its transcript, and the report against the floor of the exchanges.
#include "BenchReport.h"
#include "platform/Clock.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>

namespace longops {

// The wall clock, with the time of day in whole seconds: a pause ("more than a second since
// the start, rounded to a whole second") then lasts exactly its second instead of anything
// from half a second to one and a half, so the floor holds no chance. Answer waits run on
// the monotonic clock and are untouched.
class WholeSecondClock final : public Clock {
public:
    explicit WholeSecondClock(SystemClock &real) : m_real(real) {}
    double now() const override { return std::floor(m_real.now()); }
    double monotonic() const override { return m_real.monotonic(); }
    void yield() override { m_real.yield(); }

private:
    SystemClock &m_real;
};

// The simulator's own time for the exchanges in a stretch of its transcript: from the first
// byte of each command received to the last byte of the answer sent before the next command.
struct ModemTime {
    int exchanges = 0;
    double seconds = 0;
};

inline ModemTime modemTime(const QByteArray &transcript)
{
    ModemTime t;
    double first = -1, last = -1;
    bool answered = true;
    const auto close = [&] {
        if (first >= 0 && last >= first)
            t.seconds += last - first;
    };
    for (const QByteArray &line : transcript.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 2)
            continue;
        const double at = f[0].toDouble();
        if (f[1] == "<<") {
            if (answered) { // a new command; a command read in two pieces is still one
                close();
                ++t.exchanges;
                first = at;
                last = at;
                answered = false;
            }
        } else if (f[1] == ">>") {
            last = at;
            answered = true;
        }
    }
    close();
    return t;
}

struct Measured {
    double wall = 0;
    double cpu = 0;
};

template<typename Fn>
inline Measured measure(Fn &&operation)
{
    const double w0 = bench::monotonicSeconds();
    const double c0 = bench::processCpuSeconds();
    operation();
    return {bench::monotonicSeconds() - w0, bench::processCpuSeconds() - c0};
}

inline QByteArray readFrom(const QString &name, qint64 offset)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(offset))
        return {};
    return f.readAll();
}

inline qint64 sizeOf(const QString &name) { return QFileInfo(name).size(); }

// `fast`: answers ended at their final result code; the wall time is held to `goal` seconds
// instead of the floor.
inline void report(bench::Report &r, const QString &what, const Measured &m, const ModemTime &modem, int pauses, bool ok,
                   bool fast = false, double goal = 0)
{
    if (fast) {
        std::printf("%s, fast mode: %d exchanges, modem %.3f s, wall %.2f s, CPU %.3f s (%.3f)%s\n", qPrintable(what),
                    modem.exchanges, modem.seconds, m.wall, m.cpu, m.cpu / m.wall, ok ? "" : ", FAILED");
        std::fflush(stdout);
        r.add(what + QStringLiteral(", fast mode: wall time"), m.wall, QStringLiteral("s"),
              QStringLiteral("<= %1").arg(goal), ok && m.wall <= goal, 2);
        return;
    }
    const double floor = modem.exchanges * 1.0 + pauses * 1.0 + modem.seconds;
    const double ratio = m.wall / floor;
    const double share = m.cpu / m.wall;
    std::printf("%s: %d exchanges, %d pauses, modem %.3f s, floor %.2f s, wall %.2f s (%.4fx), CPU %.3f s (%.4f)%s\n",
                qPrintable(what), modem.exchanges, pauses, modem.seconds, floor, m.wall, ratio, m.cpu, share,
                ok ? "" : ", FAILED");
    std::fflush(stdout);
    r.add(what + QStringLiteral(": wall time / floor"), ratio, QStringLiteral("x"), QStringLiteral("<= 1.03"),
          ok && ratio <= 1.03, 4);
    r.add(what + QStringLiteral(": CPU share"), share, QString(), QStringLiteral("<= 0.01"), ok && share <= 0.01, 4);
}

// Writes `text` to the file `name` and gives the name back, for the simulator's options.
inline QString writeLines(const QString &name, const QByteArray &text)
{
    QFile f(name);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return name;
}

} // namespace longops
