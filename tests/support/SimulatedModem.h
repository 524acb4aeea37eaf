#pragma once
#include "support/FakeSerialBackend.h"

#include "core/Modem.h"

#include <memory>

class VirtualClock;

// The simulated GSM modem behind the in-process fake port: what the program writes goes
// to the interpreter, its answers come back on the clock with their pauses.
class SimulatedModem {
public:
    explicit SimulatedModem(FakeSerialBackend &port, modemsim::Config config = {});
    modemsim::Modem &modem() { return m_modem; }
    void send(const QList<modemsim::Chunk> &chunks);
    // The modem's own clock follows the virtual clock in steps of `step` seconds, so what a
    // profile sends by itself (a module's start-up lines) comes as time passes.
    void followClock(VirtualClock &clock, double step = 0.1);
    // Moves the modem's own clock on by `ms` and sends what fell due then (status reports,
    // parts that come later): nothing here moves it otherwise.
    void advance(qint64 ms) { send(m_modem.advanceTo(m_modem.now() + ms)); }

private:
    FakeSerialBackend &m_port;
    modemsim::Modem m_modem;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
