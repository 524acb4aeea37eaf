#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"
#include "platform/Translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kAppTitle);
    QCoreApplication::setApplicationName(kAppTitle);
    QApplication::setQuitOnLastWindowClosed(false);

    LoadGermanQtTranslations();

    SystemClock clock;
    WidgetDialogs dialogs;
    QtSettingsStore settings;
    platform::install(&clock, &dialogs, &settings);

    frmAnfang main(std::make_unique<QtSerialBackend>());
    main.endProgram = [&clock] { clock.quit(); };
    main.show();
    const int rc = QApplication::exec();
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}
