#pragma once
// A main window on the in-process fake port, with the platform test doubles installed.
#include "main/frmAnfang.h"
#include "support/FakeSerialBackend.h"
#include "support/SimulatedModem.h"
#include "support/TestPlatform.h"

#include <memory>

struct MainRig {
    TestPlatform p;
    FakeSerialBackend *fake = nullptr;
    std::unique_ptr<frmAnfang> main;
    int ended = 0;

    explicit MainRig(const QSet<QString> &missing = {})
    {
        auto backend = std::make_unique<FakeSerialBackend>(p.clock);
        fake = backend.get();
        fake->missing = missing;
        main = std::make_unique<frmAnfang>(std::move(backend));
        main->endProgram = [this] { ++ended; };
        // No test asks the machine's own serial devices: "Modem suchen" finds none here
        // unless a test gives it some.
        main->modemSearch.devices = [] { return QList<ProbeCandidate>(); };
        main->modemSearch.makePort = [](const QString &) { return std::unique_ptr<SerialBackend>(); };
    }
    CommPort &comm() { return main->comm(); }
    // Puts the simulated modem on the line.
    modemsim::Modem &attachModem(modemsim::Config config = {})
    {
        sim = std::make_unique<SimulatedModem>(*fake, std::move(config));
        return sim->modem();
    }
    // Everything the program wrote since the last call, as text.
    QString sent() { return QString::fromLatin1(fake->takeWritten()); }
    std::unique_ptr<SimulatedModem> sim;
};
