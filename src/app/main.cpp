#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTextDocument>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <utility>
#include <unistd.h>

namespace {

// Switches for the programs in bench/ only; the program as users start it takes none.
//   --bench-log FILE  the traffic log is open on FILE from the start, as if chosen in its dialog
//   --bench-ascii     "ASCII-Darstellung" is selected
//   --bench-shown     prints "shown <seconds on CLOCK_MONOTONIC>" once the window is drawn
// With any of them the program ends when its standard input closes, and prints
// "pane-max <characters>": the most the terminal pane held after a receive tick.
struct BenchSwitches {
    QString log;
    bool ascii = false;
    bool shown = false;
    bool any() const { return !log.isEmpty() || ascii || shown; }
};

BenchSwitches benchSwitches()
{
    BenchSwitches b;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--bench-log") && i + 1 < args.size())
            b.log = args[++i];
        b.ascii = b.ascii || args[i] == QLatin1String("--bench-ascii");
        b.shown = b.shown || args[i] == QLatin1String("--bench-shown");
    }
    return b;
}

// Answers the log's file dialog once with the benchmark's file; everything else is real.
class BenchDialogs final : public Dialogs {
public:
    BenchDialogs(Dialogs &real, const QString &logName) : m_real(real), m_logName(logName) {}
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
    Dialogs &m_real;
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
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kAppTitle);
    QCoreApplication::setApplicationName(kAppTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("de.varnix.Varnix")); // the desktop entry, for the icon
    QApplication::setQuitOnLastWindowClosed(false);

    LoadGermanQtTranslations();

    const BenchSwitches bench = benchSwitches();
    SystemClock clock;
    WidgetDialogs dialogs;
    BenchDialogs benchDialogs(dialogs, bench.log);
    QtSettingsStore settings;
    platform::install(&clock, bench.log.isEmpty() ? static_cast<Dialogs *>(&dialogs) : &benchDialogs, &settings);

    qsizetype paneMax = 0;
    int rc = 0;
    {
        frmAnfang main(std::make_unique<QtSerialBackend>());
        main.endProgram = [&clock] { clock.quit(); };
        main.show();
        if (bench.any())
            startBench(bench, main, paneMax);
        rc = QApplication::exec();
    }
    if (bench.any())
        std::printf("pane-max %lld\n", static_cast<long long>(paneMax));
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}
