#pragma once
#include "support/FakeSerialBackend.h"

#include "core/Modem.h"

// The simulated GSM modem behind the in-process fake port: what the program writes goes
// to the interpreter, its answers come back on the clock with their pauses.
class SimulatedModem {
public:
    explicit SimulatedModem(FakeSerialBackend &port, modemsim::Config config = {});
    modemsim::Modem &modem() { return m_modem; }
    void send(const QList<modemsim::Chunk> &chunks);
    // Moves the modem's own clock on by `ms` and sends what fell due then (status reports,
    // parts that come later): nothing here moves it otherwise.
    void advance(qint64 ms) { send(m_modem.advanceTo(m_modem.now() + ms)); }

private:
    FakeSerialBackend &m_port;
    modemsim::Modem m_modem;
};
