// bench_varnix: the program users start (the same runProgram() as build/bin/varnix, so the
// same windows, libraries and start-up), plus switches through which the benchmarks that
// measure it from outside (bench_ingest, bench_startup) drive it:
//   --bench-log FILE  the traffic log is open on FILE from the start, as if chosen in its dialog
//   --bench-ascii     "ASCII-Darstellung" is selected
//   --bench-shown     prints "shown <seconds on CLOCK_MONOTONIC>" once the window is drawn
// It ends when its standard input closes, and prints "pane-max <characters>": the most the
// terminal pane held after a receive tick. Without a switch it differs from varnix in nothing
// but the standard-input watch and that line.
#include "app/Program.h"
#include "main/frmAnfang.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <utility>

namespace {

struct BenchSwitches {
    QString log;
    bool ascii = false;
    bool shown = false;
};

BenchSwitches benchSwitches(int argc, char **argv)
{
    BenchSwitches b;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bench-log") == 0 && i + 1 < argc)
            b.log = QString::fromLocal8Bit(argv[++i]);
        b.ascii = b.ascii || std::strcmp(argv[i], "--bench-ascii") == 0;
        b.shown = b.shown || std::strcmp(argv[i], "--bench-shown") == 0;
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

void startBench(const BenchSwitches &b, frmAnfang &main, qsizetype &paneMax)
{
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
    QObject::connect(input, &QSocketNotifier::activated, &main, [&main, input] {
        char buf[256];
        if (::read(STDIN_FILENO, buf, sizeof buf) <= 0) {
            input->setEnabled(false);
            main.endProgram();
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    const BenchSwitches bench = benchSwitches(argc, argv);
    BenchDialogs dialogs(bench.log);
    qsizetype paneMax = 0;
    ProgramHooks hooks;
    if (!bench.log.isEmpty())
        hooks.dialogs = &dialogs;
    hooks.shown = [&](frmAnfang &main) { startBench(bench, main, paneMax); };
    const int rc = runProgram(argc, argv, hooks);
    std::printf("pane-max %lld\n", static_cast<long long>(paneMax));
    return rc;
}
