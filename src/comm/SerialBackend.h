#pragma once
#include "comm/LineSettings.h"

#include <QByteArray>
#include <QString>

// What the port object needs from a serial device. Failures return false and put a German
// description into *error.
class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    virtual bool open(const QString &device, const LineSettings &settings, int handshaking, QString *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool apply(const LineSettings &settings, int handshaking, QString *error) = 0;
    virtual bool write(const QByteArray &bytes, QString *error) = 0;
    virtual qint64 bytesAvailable() = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual void clearInput() = 0;
    virtual void clearOutput() = 0;
};
