#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kAppTitle);
    QCoreApplication::setApplicationName(kAppTitle);
    QApplication::setQuitOnLastWindowClosed(false);

    // Standard buttons and file dialogs in German: Ja, Nein, Abbrechen.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtGerman);

    SystemClock clock;
    WidgetDialogs dialogs;
    QtSettingsStore settings;
    platform::install(&clock, &dialogs, &settings);

    frmAnfang main(std::make_unique<QtSerialBackend>());
    main.show();
    const int rc = QApplication::exec();
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}
