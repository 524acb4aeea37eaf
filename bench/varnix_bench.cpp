// bench_varnix: the program users start (the same runProgram() as build/bin/varnix, so the
// same windows, libraries and start-up), plus switches through which the benchmarks that
// measure it from outside (bench_ingest, bench_startup) drive it:
//   --bench-log FILE  the traffic log is open on FILE from the start, as if chosen in its dialog
//   --bench-ascii     "ASCII-Darstellung" is selected
//   --bench-shown     prints "shown <seconds on CLOCK_MONOTONIC>" once the window is drawn
//   --bench-settings S  the port runs with the line settings S ("921600,n,8,1") from the start,
//                     as if chosen in the port settings
//   --bench-clicks    a mouse click on the terminal panel every 25 ms once a line "c" comes on
//                     standard input, posted from a thread of its own, so a busy window delays
//                     it as it would delay the user's
// It ends when its standard input closes, and prints "pane-max <characters>": the most the
// terminal pane held after a receive tick, and with --bench-clicks "click-max <ms>" and
// "clicks <count>": the longest a click waited to be handled. Without a switch it differs from
// varnix in nothing but the standard-input watch and that line.
#include "app/Program.h"
#include "main/frmAnfang.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

struct BenchSwitches {
    QString log;
    QString settings;
    bool ascii = false;
    bool shown = false;
    bool clicks = false;
};

double monotonicNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Clicks on the terminal panel from a thread of their own at a steady pace, whatever the
// window is doing; each is timed from its posting to its handling in the window's thread. It
// starts when told, so that a benchmark can measure the CPU the program takes without it.
class ClickProbe final : public QObject {
public:
    // Outlives the window: its figures are printed after the program has ended.
    explicit ClickProbe(QWidget *target) : m_target(target) { target->installEventFilter(this); }
    void start()
    {
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    ~ClickProbe() override { stop(); }
    void stop()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    double worstMs() const { return m_worst * 1000; }
    int handled() const { return m_handled; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched != m_target || e->type() != QEvent::MouseButtonPress)
            return false;
        double posted = 0;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_posted.empty())
                return false;
            posted = m_posted.front();
            m_posted.pop_front();
        }
        m_worst = std::max(m_worst, monotonicNow() - posted);
        ++m_handled;
        return true;
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(25), [this] { return m_stopping; })) {
            const QPointF at(5, 5);
            m_posted.push_back(monotonicNow());
            QCoreApplication::postEvent(m_target, new QMouseEvent(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton,
                                                                  Qt::LeftButton, Qt::NoModifier));
        }
    }

    QWidget *m_target;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<double> m_posted;
    bool m_stopping = false;
    double m_worst = 0;
    int m_handled = 0;
};

BenchSwitches benchSwitches(int argc, char **argv)
{
    BenchSwitches b;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bench-log") == 0 && i + 1 < argc)
            b.log = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--bench-settings") == 0 && i + 1 < argc)
            b.settings = QString::fromLocal8Bit(argv[++i]);
        b.ascii = b.ascii || std::strcmp(argv[i], "--bench-ascii") == 0;
        b.shown = b.shown || std::strcmp(argv[i], "--bench-shown") == 0;
        b.clicks = b.clicks || std::strcmp(argv[i], "--bench-clicks") == 0;
    }
    return b;
}

// Answers the log's file dialog once with the benchmark's file; everything else is real.
class BenchDialogs final : public Dialogs {
public:
    explicit BenchDialogs(const QString &logName) : m_logName(logName) {}
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title) override
    {
        return m_real.message(text, buttons, icon, title);
    }
    void notice(const QString &text, MsgIcon icon, const QString &title) override { m_real.notice(text, icon, title); }
    void beep() override { m_real.beep(); }
    void setBusy(bool busy) override { m_real.setBusy(busy); }

protected:
    QString askFile(const FileRequest &request) override
    {
        return m_logName.isEmpty() ? m_real.chooseFile(request) : std::exchange(m_logName, QString());
    }

private:
    WidgetDialogs m_real;
    QString m_logName;
};

class ShownProbe final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            // The expose paints the window before control returns to the event loop.
            QTimer::singleShot(0, this, [] {
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                std::printf("shown %.6f\n", double(ts.tv_sec) + double(ts.tv_nsec) / 1e9);
                std::fflush(stdout);
            });
        }
        return false;
    }
};

void startBench(const BenchSwitches &b, frmAnfang &main, qsizetype &paneMax, std::unique_ptr<ClickProbe> &clicks)
{
    if (!b.settings.isEmpty() && !main.comm().setSettings(b.settings)) {
        std::fprintf(stderr, "the port refused %s: %s\n", qPrintable(b.settings), qPrintable(main.comm().lastError()));
        std::exit(3);
    }
    if (b.clicks)
        clicks = std::make_unique<ClickProbe>(main.picTerminal);
    if (b.ascii)
        main.optDisplay[1]->setChecked(true);
    if (!b.log.isEmpty())
        main.LogOpen();
    QObject::connect(&main.Timer1, &QTimer::timeout, &main, [&main, &paneMax] {
        paneMax = std::max<qsizetype>(paneMax, main.txtTerm->document()->characterCount());
    });
    if (b.shown)
        main.windowHandle()->installEventFilter(new ShownProbe(&main));
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &main);
    ClickProbe *probe = clicks.get();
    QObject::connect(input, &QSocketNotifier::activated, &main, [&main, input, probe] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input->setEnabled(false);
            main.endProgram();
        } else if (probe && std::memchr(buf, 'c', size_t(n))) {
            probe->start();
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    const BenchSwitches bench = benchSwitches(argc, argv);
    BenchDialogs dialogs(bench.log);
    qsizetype paneMax = 0;
    std::unique_ptr<ClickProbe> clicks;
    ProgramHooks hooks;
    if (!bench.log.isEmpty())
        hooks.dialogs = &dialogs;
    hooks.shown = [&](frmAnfang &main) {
        startBench(bench, main, paneMax, clicks);
        // The probe's thread ends before the window (and the probe with it) goes.
        if (clicks)
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, clicks.get(), [&clicks] { clicks->stop(); });
    };
    const int rc = runProgram(argc, argv, hooks);
    std::printf("pane-max %lld\n", static_cast<long long>(paneMax));
    if (clicks)
        std::printf("click-max %.1f\nclicks %d\n", clicks->worstMs(), clicks->handled());
    return rc;
}
