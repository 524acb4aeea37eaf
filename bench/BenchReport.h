#pragma once
// What every benchmark shares: one row per figure with its goal, printed as a table and, when
// the environment names a file in VARNIX_BENCH_ROWS, appended to it for bench/run-all.
// Rows in that file are tab-separated: benchmark, figure, value, unit, goal text, met (1/0).
// Linux only: figures come from /proc.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/types.h>
#include <unistd.h>

namespace bench {

struct Row {
    QString figure;
    double value = 0;
    QString unit;
    QString goal; // as read in the table, e.g. "<= 0.4"
    bool met = false;
    int decimals = 2;
};

class Report {
public:
    explicit Report(QString benchmark) : m_benchmark(std::move(benchmark)) {}

    void add(const QString &figure, double value, const QString &unit, const QString &goal, bool met,
             int decimals = 2)
    {
        m_rows.append({figure, value, unit, goal, met, decimals});
    }

    bool allMet() const
    {
        for (const Row &r : m_rows)
            if (!r.met)
                return false;
        return true;
    }

    // Prints the table and hands the rows on; the exit code for main.
    int finish() const
    {
        std::printf("\n%-52s %14s  %-14s %s\n", "figure", "value", "goal", "met");
        for (const Row &r : m_rows) {
            const QString value = QString::number(r.value, 'f', r.decimals) + (r.unit.isEmpty() ? QString() : u' ' + r.unit);
            std::printf("%-52s %14s  %-14s %s\n", qPrintable(r.figure), qPrintable(value), qPrintable(r.goal),
                        r.met ? "yes" : "NO");
        }
        std::fflush(stdout);
        const QByteArray rowsFile = qgetenv("VARNIX_BENCH_ROWS");
        if (!rowsFile.isEmpty()) {
            QFile f(QString::fromLocal8Bit(rowsFile));
            if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
                for (const Row &r : m_rows) {
                    const QString line = QStringList{m_benchmark, r.figure, QString::number(r.value, 'f', r.decimals),
                                                      r.unit, r.goal, r.met ? QStringLiteral("1") : QStringLiteral("0")}
                                             .join(u'\t');
                    f.write(line.toUtf8() + '\n');
                }
            }
        }
        return allMet() ? 0 : 2;
    }

private:
    QString m_benchmark;
    QList<Row> m_rows;
};

inline double monotonicSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// User and system time of a whole process (all its threads), from /proc/<pid>/stat.
inline double cpuSecondsOf(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The command name in parentheses may hold blanks; the fields after it are fixed.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    // utime and stime are fields 14 and 15 of the line, 11 and 12 after the name.
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// Time all threads of a process ran and waited for a processor, from schedstat: exact to the
// nanosecond, where /proc/<pid>/stat counts in clock ticks.
struct SchedTimes {
    double run = 0;
    double queued = 0;
};
inline SchedTimes schedTimesOf(pid_t pid)
{
    SchedTimes t;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + u'/' + task + QStringLiteral("/schedstat"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = f.readAll().trimmed().split(' ');
        t.run += fields.value(0).toDouble() / 1e9;
        t.queued += fields.value(1).toDouble() / 1e9;
    }
    return t;
}

// A "VmRSS"/"VmHWM" line of /proc/<pid>/status, in MiB.
inline double statusMiB(pid_t pid, const char *key)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray want = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(want))
            return line.mid(want.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline int cores() { return int(sysconf(_SC_NPROCESSORS_ONLN)); }

} // namespace bench
