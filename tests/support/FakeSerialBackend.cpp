#include "support/FakeSerialBackend.h"

#include "comm/PortErrorText.h"
#include "platform/Clock.h"

#include <algorithm>

FakeSerialBackend::FakeSerialBackend(Clock &clock) : m_clock(clock) {}

bool FakeSerialBackend::open(const QString &device, const LineSettings &settings, int hs, QString *error)
{
    lastDevice = device;
    setOpenFailure(OpenFailure::None);
    if (missing.contains(device)) {
        setOpenFailure(OpenFailure::Missing);
        *error = QStringLiteral("nicht vorhanden");
        return false;
    }
    if (busy.contains(device)) {
        setOpenFailure(OpenFailure::Busy);
        *error = QStringLiteral("wird bereits benutzt");
        return false;
    }
    if (denied.contains(device)) {
        setOpenFailure(OpenFailure::Denied);
        *error = QStringLiteral("Zugriff verweigert – ist der Benutzer in der Gruppe dialout?");
        return false;
    }
    m_open = true;
    return apply(settings, hs, error);
}

void FakeSerialBackend::close()
{
    m_open = false;
    m_input.clear();
}

void FakeSerialBackend::hangUp()
{
    if (!m_open)
        return;
    close();
    reportLost(PortErrorText(QSerialPort::ResourceError, {}));
}

bool FakeSerialBackend::apply(const LineSettings &settings, int hs, QString *)
{
    lineSettings = settings;
    handshaking = hs;
    if (m_speedListener)
        m_speedListener(settings.speed);
    return true;
}

bool FakeSerialBackend::write(const QByteArray &bytes, QString *)
{
    if (bytes.isEmpty())
        return true;
    m_written += bytes;
    m_writes << bytes;
    if (m_responder)
        m_responder(bytes);
    return true;
}

void FakeSerialBackend::deliver(const QByteArray &bytes, double delaySeconds)
{
    const double at = m_clock.monotonic() + delaySeconds;
    auto pos = std::upper_bound(m_pending.begin(), m_pending.end(), at,
                                [](double t, const Pending &p) { return t < p.at; });
    m_pending.insert(pos, {at, bytes});
}

void FakeSerialBackend::takeDue()
{
    const double now = m_clock.monotonic() + 1e-9;
    while (!m_pending.empty() && m_pending.front().at <= now) {
        // Bytes that arrive while the port is closed are lost, as on a real line.
        if (m_open)
            m_input += m_pending.front().bytes;
        m_pending.erase(m_pending.begin());
    }
}

qint64 FakeSerialBackend::bytesAvailable()
{
    takeDue();
    return m_input.size();
}

QByteArray FakeSerialBackend::readAll()
{
    takeDue();
    QByteArray out;
    out.swap(m_input);
    return out;
}

void FakeSerialBackend::clearInput()
{
    takeDue();
    m_input.clear();
}

QByteArray FakeSerialBackend::takeWritten()
{
    QByteArray out;
    out.swap(m_written);
    m_writes.clear();
    return out;
}
