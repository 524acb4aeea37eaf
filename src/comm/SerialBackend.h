#pragma once
#include "comm/LineSettings.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Why the last open() failed, for whoever must offer a way out rather than only say it.
enum class OpenFailure {
    None,
    Missing, // no such device
    Busy,    // another program holds it
    Denied,  // the user may not open it
    Other,
};

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

    // The device went away under the open port (a USB modem pulled out, the far end of a
    // pseudo-terminal closed). The backend closes itself and calls this once, with the reason
    // in German, from the event loop and never from inside one of its own calls.
    void setLostHandler(std::function<void(const QString &reason)> handler) { m_onLost = std::move(handler); }
    OpenFailure openFailure() const { return m_openFailure; }

protected:
    void setOpenFailure(OpenFailure failure) { m_openFailure = failure; }
    void reportLost(const QString &reason) const
    {
        if (m_onLost)
            m_onLost(reason);
    }

private:
    std::function<void(const QString &)> m_onLost;
    OpenFailure m_openFailure = OpenFailure::None;
};
