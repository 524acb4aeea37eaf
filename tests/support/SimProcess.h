#pragma once
// varnix-modemsim started on a pseudo-terminal for one test, with the real clock and scripted
// message boxes installed.
#include "comm/QtSerialBackend.h"
#include "main/frmAnfang.h"
#include "platform/Platform.h"
#include "support/MemorySettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

struct SimProcess {
    SystemClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    QTemporaryDir dir;
    QProcess sim;
    QString link;
    std::unique_ptr<frmAnfang> main;

    explicit SimProcess(const QStringList &extra = {})
    {
        platform::install(&clock, &dialogs, &settings);
        link = dir.filePath(QStringLiteral("modem"));
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(VARNIX_MODEMSIM),
                  QStringList{QStringLiteral("--link"), link, QStringLiteral("--outbox"), outbox()} + extra);
        sim.waitForStarted();
        for (int i = 0; i < 100 && !QFile::exists(link); ++i)
            QThread::msleep(20);
        settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM1"), link);
    }
    ~SimProcess()
    {
        main.reset();
        sim.terminate();
        sim.waitForFinished(3000);
        platform::install(nullptr, nullptr, nullptr);
    }
    frmAnfang &startMain()
    {
        main = std::make_unique<frmAnfang>(std::make_unique<QtSerialBackend>());
        main->endProgram = [] {};
        // The machine's own serial devices are not asked: only the devices a test names.
        main->modemSearch.devices = [] { return QList<ProbeCandidate>(); };
        return *main;
    }
    QString outbox() const { return dir.filePath(QStringLiteral("outbox.txt")); }
};
