#pragma once
#include "comm/LineSettings.h"
#include "comm/SerialBackend.h"

#include <QString>
#include <functional>
#include <memory>

// Comm1, the one serial port of the program. Reception is polled: received characters wait
// in the input buffer until somebody reads them. Operations that can fail return false and
// leave a German description in lastError(), naming the COM number and the device.
class CommPort {
public:
    using DeviceMap = std::function<QString(int)>;
    CommPort(std::unique_ptr<SerialBackend> backend, DeviceMap deviceFor);

    int commPort() const { return m_port; }
    bool setCommPort(int number);

    QString settings() const { return m_settings.toString(); }
    bool setSettings(const QString &text);

    bool portOpen() const { return m_backend->isOpen(); }
    bool setPortOpen(bool open);

    int handshaking() const { return m_handshaking; }
    bool setHandshaking(int mode);

    int inBufferCount();
    void clearInput();
    int outBufferCount() const;
    void clearOutput();

    // Every waiting character, removed from the buffer; "" on a closed port.
    QString input();
    bool output(const QString &text);

    QString device() const { return m_deviceFor(m_port); }
    QString lastError() const { return m_error; }
    // Called once when the device goes away under the open port; lastError() then says why.
    void setLostHandler(std::function<void()> handler) { m_onLost = std::move(handler); }
    // The device went away under the port and it has not been opened again since: the loss
    // has been reported, so a closed port need not be reported once more.
    bool lost() const { return m_lost && !portOpen(); }
    SerialBackend &backend() { return *m_backend; }

private:
    bool fail(const QString &reason);
    std::unique_ptr<SerialBackend> m_backend;
    DeviceMap m_deviceFor;
    int m_port = 1;
    LineSettings m_settings;
    int m_handshaking = 0;
    QString m_error;
    std::function<void()> m_onLost;
    bool m_lost = false;
};
