#include "app/Program.h"

#include "cli/Commands.h"
#include "cli/ConsoleLink.h"
#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include <memory>

namespace {

// A command from a script: no window, no display needed.
int runCommand(int &argc, char **argv, const CommandLine &command)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kAppTitle);
    QCoreApplication::setApplicationName(kAppTitle);
    QTextStream out(stdout);
    QTextStream err(stderr);
    SystemClock clock;
    ConsoleDialogs dialogs(err);
    QtSettingsStore settings;
    platform::install(&clock, &dialogs, &settings);
    QFile in;
    ConsoleIo io{out, err, [&in] {
                     in.open(stdin, QIODevice::ReadOnly);
                     return in.readAll();
                 }};
    const int rc = RunCommand(command, std::make_unique<QtSerialBackend>(), io);
    out.flush();
    err.flush();
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}

} // namespace

int runProgram(int &argc, char **argv, const ProgramHooks &hooks)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = ParseCommandLine(args);
    if (command.command != CommandLine::Command::Window || !command.error.isEmpty())
        return runCommand(argc, argv, command);

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kAppTitle);
    QCoreApplication::setApplicationName(kAppTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("de.varnix.Varnix")); // the desktop entry, for the icon
    QApplication::setQuitOnLastWindowClosed(false);

    LoadGermanQtTranslations();

    SystemClock clock;
    WidgetDialogs dialogs;
    QtSettingsStore settings;
    platform::install(&clock, hooks.dialogs ? hooks.dialogs : &dialogs, &settings);

    int rc = 0;
    {
        frmAnfang main(std::make_unique<QtSerialBackend>());
        main.endProgram = [&clock] { clock.quit(); };
        main.show();
        if (hooks.shown)
            hooks.shown(main);
        rc = QApplication::exec();
    }
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}
