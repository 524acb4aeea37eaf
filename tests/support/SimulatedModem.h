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

private:
    FakeSerialBackend &m_port;
    modemsim::Modem m_modem;
};
