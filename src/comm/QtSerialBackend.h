#pragma once
#include "comm/SerialBackend.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

class QSocketNotifier;

// A real serial device (or pseudo-terminal) through QSerialPort.
class QtSerialBackend final : public SerialBackend {
public:
    QtSerialBackend();
    bool open(const QString &device, const LineSettings &settings, int handshaking, QString *error) override;
    void close() override;
    // A port whose device has gone reads as closed at once, before it is really closed.
    bool isOpen() const override { return m_port.isOpen() && !m_lost; }
    bool apply(const LineSettings &settings, int handshaking, QString *error) override;
    bool write(const QByteArray &bytes, QString *error) override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    void clearInput() override;
    void clearOutput() override;

private:
    void onError(QSerialPort::SerialPortError error);
    bool hungUp() const;
    void finishLoss();
    // While data flows, pieces gather in the driver between reads instead of waking the
    // program one by one.
    void holdReads();
    void resumeReads();
    QSocketNotifier *readNotifier();
    QSerialPort m_port;
    QTimer m_readHold;
    QElapsedTimer m_sinceRead;
    QElapsedTimer m_sinceWrite;
    QPointer<QSocketNotifier> m_readNotifier;
    bool m_lost = false;
    QString m_lossReason; // not yet reported
};
