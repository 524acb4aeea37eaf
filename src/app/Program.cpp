#include "app/Program.h"

#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"
#include "platform/Translations.h"

#include <QApplication>

#include <memory>

int runProgram(int &argc, char **argv, const ProgramHooks &hooks)
{
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
