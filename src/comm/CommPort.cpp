#include "comm/CommPort.h"

#include "platform/CodePage.h"

CommPort::CommPort(std::unique_ptr<SerialBackend> backend, DeviceMap deviceFor)
    : m_backend(std::move(backend)), m_deviceFor(std::move(deviceFor))
{
    m_backend->setLostHandler([this](const QString &reason) {
        m_lost = true;
        fail(reason);
        if (m_onLost)
            m_onLost();
    });
}

bool CommPort::fail(const QString &reason)
{
    m_error = QStringLiteral("Schnittstelle COM%1 (%2) %3").arg(m_port).arg(device(), reason);
    return false;
}

bool CommPort::setCommPort(int number)
{
    if (portOpen())
        return fail(QStringLiteral("ist geöffnet: die Nummer kann nur bei geschlossener Schnittstelle geändert werden"));
    if (number < 1 || number > 16) {
        m_error = QStringLiteral("Ungültige Schnittstellennummer %1 (erlaubt sind 1 bis 16)").arg(number);
        return false;
    }
    m_port = number;
    return true;
}

bool CommPort::setSettings(const QString &text)
{
    const auto parsed = LineSettings::parse(text);
    if (!parsed)
        return fail(QStringLiteral("ungültige Einstellungen \"%1\"").arg(text));
    if (portOpen()) {
        QString why;
        if (!m_backend->apply(*parsed, m_handshaking, &why)) {
            // The driver refused: keep the old settings on the line.
            m_backend->apply(m_settings, m_handshaking, &why);
            return fail(why);
        }
    }
    m_settings = *parsed;
    return true;
}

bool CommPort::setHandshaking(int mode)
{
    if (mode < 0 || mode > 3) {
        m_error = QStringLiteral("Ungültiger Wert %1 für das Protokoll (erlaubt sind 0 bis 3)").arg(mode);
        return false;
    }
    if (portOpen()) {
        QString why;
        if (!m_backend->apply(m_settings, mode, &why))
            return fail(why);
    }
    m_handshaking = mode;
    return true;
}

bool CommPort::setPortOpen(bool open)
{
    if (open == portOpen())
        return true;
    if (!open) {
        m_backend->close();
        return true;
    }
    QString why;
    if (!m_backend->open(device(), m_settings, m_handshaking, &why))
        return fail(why);
    m_lost = false;
    return true;
}

int CommPort::inBufferCount()
{
    if (!portOpen())
        return 0;
    const qint64 n = m_backend->bytesAvailable();
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

void CommPort::clearInput()
{
    if (portOpen())
        m_backend->clearInput();
}

int CommPort::outBufferCount() const
{
    return portOpen() ? static_cast<int>(m_backend->bytesToWrite()) : 0;
}

void CommPort::clearOutput()
{
    if (portOpen())
        m_backend->clearOutput();
}

QString CommPort::input()
{
    if (!portOpen())
        return {};
    return codepage::decode(m_backend->readAll());
}

bool CommPort::output(const QString &text)
{
    if (!portOpen())
        return fail(QStringLiteral("ist nicht geöffnet"));
    QString why;
    if (!m_backend->write(codepage::encode(text), &why))
        return fail(why);
    return true;
}
