// The received-messages window's read cycle on a real serial port, for bench/kill_test.sh, which
// kills this process at random moments. Run with the simulator on a pseudo-terminal:
//   bench_kill_reader --link PATH --folder DIR            read the SIM into SMS files in DIR
//   bench_kill_reader --link PATH --folder DIR --prepare  put the modem into text mode
//   bench_kill_reader --link PATH --folder DIR --list     print every message left on the SIM
//   bench_kill_reader --folder DIR --marks                 print every record of the SMS files,
//                                                          decoded, one line each
#include "support/TaskExchange.h"
#include "comm/QtSerialBackend.h"
#include "main/IconLabel.h"
#include "main/frmAnfang.h"
#include "modem/ModemCommand.h"
#include "platform/Platform.h"
#include "platform/WorkFolder.h"
#include "sms/SmsArchive.h"
#include "sms/SmsText.h"
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
    if (args.contains(QStringLiteral("--marks")) && !folder.isEmpty()) {
        for (const ArchivedSms &sms : LoadSmsArchive(folder).messages)
            std::printf("%s\n", qPrintable(DecodeArchived(sms).text.replace(u'\r', u' ').replace(u'\n', u' ')));
        return 0;
    }
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
        // In the "GSM" set with the lengths: a plain text shows as it is; a part comes as hex,
        // printed decoded both as 7-bit and as UCS2 (the list names no coding), so that its
        // mark is found whichever it is.
        rc = exchange(*main, QStringLiteral("AT+CSCS=\"GSM\""), &answer) &&
                     exchange(*main, QStringLiteral("AT+CSDH=1"), &answer) &&
                     exchange(*main, QStringLiteral("AT+CMGL=\"ALL\""), &answer)
                 ? 0
                 : 1;
        const QStringList lines = answer.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            if (!lines.at(i).startsWith(QLatin1String("+CMGL:")))
                continue;
            const QString data = lines.at(i + 1);
            const int length = lines.at(i).section(u',', -1).toInt();
            std::printf("%s\n%s\n%s\n", qPrintable(lines.at(i)), qPrintable(data),
                        qPrintable(DecodeTextModeData(0x40, 0x00, length, QStringLiteral("GSM"), data).text + u' ' +
                                   DecodeTextModeData(0x40, 0x08, length, QStringLiteral("GSM"), data).text));
        }
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
