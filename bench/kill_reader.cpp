// The received-messages window's read cycle on a real serial port, for bench/kill_test.sh, which
// kills this process at random moments. Run with the simulator on a pseudo-terminal:
//   bench_kill_reader --link PATH --folder DIR            read the SIM into SMS files in DIR
//   bench_kill_reader --link PATH --folder DIR --prepare  put the modem into text mode
//   bench_kill_reader --link PATH --folder DIR --list     print every message left on the SIM
#include "support/TaskExchange.h"
#include "comm/QtSerialBackend.h"
#include "main/IconLabel.h"
#include "main/frmAnfang.h"
#include "modem/ModemCommand.h"
#include "platform/Platform.h"
#include "platform/WorkFolder.h"
#include "sms/frmListe.h"
#include "support/MemorySettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>

namespace {

QString option(const QStringList &args, const QString &name)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
}

bool exchange(frmAnfang &main, const QString &command, QString *answer)
{
    const qint16 status = Exchange(main, command, *answer);
    if (status != 0)
        std::fprintf(stderr, "%s: status %d\n", qPrintable(command), status);
    return status == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString link = option(args, QStringLiteral("--link"));
    const QString folder = option(args, QStringLiteral("--folder"));
    if (link.isEmpty() || folder.isEmpty()) {
        std::fprintf(stderr, "usage: %s --link PATH --folder DIR [--prepare|--list]\n", argv[0]);
        return 2;
    }

    SystemClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    platform::install(&clock, &dialogs, &settings);
    settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM1"), link);
    settings.set(keys::MyDir, folder);
    QDir::setCurrent(folder);
    platform::setStartFolder(folder);

    auto main = std::make_unique<frmAnfang>(std::make_unique<QtSerialBackend>());
    main->endProgram = [] {};
    main->setReceiveTimer(false);
    int rc = 0;
    QString answer;
    if (args.contains(QStringLiteral("--prepare"))) {
        rc = exchange(*main, QStringLiteral("AT+CMGF=1"), &answer) ? 0 : 1;
    } else if (args.contains(QStringLiteral("--list"))) {
        rc = exchange(*main, QStringLiteral("AT+CMGL=\"ALL\""), &answer) ? 0 : 1;
        std::fputs(qPrintable(answer), stdout);
    } else {
        // As the user opens it: the receive icon of the main window.
        main->show();
        emit main->imgRec->clicked();
        auto *list = main->findChild<frmListe *>();
        if (!list) {
            std::fprintf(stderr, "the receive icon opened no frmListe\n");
            return 1;
        }
        std::printf("reading\n");
        std::fflush(stdout);
        // Until a cycle finds the SIM empty (or the kill comes).
        for (int cycle = 0; cycle < 10; ++cycle) {
            list->SMSLesen();
            if (!Exchange(*main, QStringLiteral("AT+CPMS?"), answer) && answer.contains(QLatin1String("\"SM\",0,")))
                break;
        }
    }
    for (const QString &text : dialogs.texts())
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    main.reset();
    platform::install(nullptr, nullptr, nullptr);
    return rc;
}
