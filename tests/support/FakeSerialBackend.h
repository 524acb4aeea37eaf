#pragma once
#include "comm/SerialBackend.h"

#include <QSet>
#include <functional>
#include <vector>

class Clock;

// In-process stand-in for a serial device. What the program writes is recorded and handed
// to a responder (a script or the simulated modem); what the far end sends is scheduled on
// the clock and becomes readable when its time has come.
class FakeSerialBackend final : public SerialBackend {
public:
    explicit FakeSerialBackend(Clock &clock);

    bool open(const QString &device, const LineSettings &settings, int handshaking, QString *error) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool apply(const LineSettings &settings, int handshaking, QString *error) override;
    bool write(const QByteArray &bytes, QString *error) override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override { return 0; }
    void clearInput() override;
    void clearOutput() override {}

    // Far end.
    void deliver(const QByteArray &bytes, double delaySeconds = 0.0);
    QByteArray written() const { return m_written; }
    QByteArray takeWritten();
    void setResponder(std::function<void(const QByteArray &)> responder) { m_responder = std::move(responder); }
    void setSpeedListener(std::function<void(int)> listener) { m_speedListener = std::move(listener); }
    QList<QByteArray> writes() const { return m_writes; }
    // The device goes away (a USB modem pulled out): the port closes and says so once.
    void hangUp();

    // Devices that fail to open, with the reason the real port would give.
    QSet<QString> missing;
    QSet<QString> busy;
    QSet<QString> denied;
    QString lastDevice;
    LineSettings lineSettings;
    int handshaking = 0;

private:
    void takeDue();
    Clock &m_clock;
    bool m_open = false;
    QByteArray m_input;
    QByteArray m_written;
    QList<QByteArray> m_writes;
    struct Pending {
        double at;
        QByteArray bytes;
    };
    std::vector<Pending> m_pending;
    std::function<void(const QByteArray &)> m_responder;
    std::function<void(int)> m_speedListener;
};
