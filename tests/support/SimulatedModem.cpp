#include "support/SimulatedModem.h"

#include "support/VirtualClock.h"

namespace {
// A few milliseconds on the wire before the first byte of an answer comes back.
constexpr double kTurnaround = 0.02;
} // namespace

SimulatedModem::SimulatedModem(FakeSerialBackend &port, modemsim::Config config)
    : m_port(port), m_modem(std::move(config))
{
    m_port.setResponder([this](const QByteArray &bytes) { send(m_modem.receive(bytes)); });
    m_port.setSpeedListener([this](int speed) { m_modem.setHostBaud(speed); });
    m_modem.setHostBaud(m_port.lineSettings.speed);
}

void SimulatedModem::send(const QList<modemsim::Chunk> &chunks)
{
    double at = kTurnaround;
    for (const modemsim::Chunk &c : chunks) {
        at += c.delayMs / 1000.0;
        m_port.deliver(c.bytes, at);
    }
}

void SimulatedModem::followClock(VirtualClock &clock, double step)
{
    // Scheduled again at every step for as long as this modem lives.
    clock.scheduleIn(step, [this, alive = std::weak_ptr<bool>(m_alive), &clock, step] {
        if (alive.expired())
            return;
        send(m_modem.advanceTo(qint64(clock.monotonic() * 1000)));
        followClock(clock, step);
    });
}
