#include "comm/QtSerialBackend.h"

#include "comm/PortErrorText.h"
#include "platform/PortHolder.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cmath>
#include <utility>

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// While data flows, reads are held back a little so that pieces gather in the driver instead of
// waking the program one by one (a UART driver hands on about 100 a second). The line
// discipline's input buffer holds 4 KB and one read takes at most that much; what it cannot take
// waits in the driver's flip buffers (64 KB), and past those a real line loses it. So the hold
// follows the rate data comes at: long enough for 2 KB, half the buffer, to gather. That is
// 80 ms at 256000 bit/s and 5 ms at 4,000,000. The rate is taken from the reads themselves,
// not from the speed set: a USB modem keeps no nominal speed (it delivers as fast as the bus).
// A read that found the buffer full says only that the line is faster than the hold: the next
// read comes at once, and what it finds sets the hold.
// An exchange reads the port itself and never waits for the hold.
constexpr double kReadHoldMaxMs = 80;
constexpr double kReadHoldMinMs = 2;
constexpr qint64 kLineBuffer = 4096;
// How long after a write reads are not held: an answer's pieces come within it.
constexpr qint64 kAnswerWatchMs = 1000;

QString openFailureText(const QString &device, const QSerialPort &port, OpenFailure &kind)
{
    kind = OpenFailure::Other;
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError: kind = OpenFailure::Missing; return QStringLiteral("nicht vorhanden");
    case QSerialPort::PermissionError:
#ifndef Q_OS_WIN
        // Qt reports a lock held by another program and a missing right alike.
        // Both messages say what to do: which process holds the port, or how to join the
        // device's group.
        if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0) {
            kind = OpenFailure::Busy;
            const QString holder = PortHolderHint(device);
            return holder.isEmpty() ? QStringLiteral("wird bereits benutzt")
                                    : QStringLiteral("wird bereits benutzt. ") + holder;
        }
        kind = OpenFailure::Denied;
        return QStringLiteral("Zugriff verweigert – ist der Benutzer in der Gruppe dialout? %1")
            .arg(PortAccessHint(device))
            .trimmed();
#else
        Q_UNUSED(device);
        kind = OpenFailure::Busy;
        return QStringLiteral("wird bereits benutzt");
#endif
    case QSerialPort::OpenError: kind = OpenFailure::Busy; return QStringLiteral("ist bereits geöffnet");
    default:
        return QStringLiteral("kann nicht geöffnet werden: %1").arg(PortErrorText(port.error(), port.errorString()));
    }
}

} // namespace

QtSerialBackend::QtSerialBackend()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
    m_readHold.setSingleShot(true);
    m_readHold.setInterval(int(kReadHoldMaxMs));
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] { holdReads(); });
    QObject::connect(&m_readHold, &QTimer::timeout, &m_port, [this] { resumeReads(); });
}

QSocketNotifier *QtSerialBackend::readNotifier()
{
    // QSerialPort watches its descriptor with a read notifier of its own, a child of the port,
    // and has no call to pause it. Where there is none (Windows) reads are simply not held.
    if (!m_readNotifier) {
        for (QSocketNotifier *n : m_port.findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly)) {
            if (n->type() == QSocketNotifier::Read)
                m_readNotifier = n;
        }
    }
    return m_readNotifier;
}

void QtSerialBackend::holdReads()
{
    if (m_sinceWrite.isValid() && m_sinceWrite.elapsed() < kAnswerWatchMs)
        return;
    if (QSocketNotifier *n = readNotifier()) {
        n->setEnabled(false);
        if (!m_readHold.isActive()) {
            m_sinceRead.start();
            m_readHold.start();
        }
    }
}

void QtSerialBackend::resumeReads()
{
    // What gathered meanwhile comes in now, and the timer reads again after the next pause;
    // with nothing there the notifier watches for the next character. Reading the port also
    // turns the notifier on again, so an exchange never waits for the hold.
    const qint64 before = isOpen() ? m_port.bytesAvailable() : 0;
    const double elapsedMs = m_sinceRead.isValid() ? m_sinceRead.nsecsElapsed() / 1e6 : kReadHoldMaxMs;
    if (!isOpen() || !m_port.waitForReadyRead(0)) {
        // Nothing came within the hold: the next piece wakes the program, and the next hold is
        // longer, so that pieces a slower line hands over gather again.
        m_readHold.setInterval(int(std::min(kReadHoldMaxMs, 2.0 * m_readHold.interval())));
        if (QSocketNotifier *n = isOpen() ? readNotifier() : nullptr)
            n->setEnabled(true);
        return;
    }
    const qint64 got = m_port.bytesAvailable() - before;
    if (got > 0) {
        double hold = double(kLineBuffer / 2) * std::max(elapsedMs, 0.1) / double(got);
        if (got >= kLineBuffer - 1)
            hold = kReadHoldMinMs;
        m_readHold.setInterval(int(std::lround(std::clamp(hold, kReadHoldMinMs, kReadHoldMaxMs))));
    }
    if (QSocketNotifier *n = readNotifier())
        n->setEnabled(false); // reading turned it on
    m_sinceRead.start();
    m_readHold.start();
}

bool QtSerialBackend::hungUp() const
{
#ifndef Q_OS_WIN
    // A pseudo-terminal whose far end has closed, or a tty whose modem dropped the line,
    // polls as hung up; a passing read error does not.
    pollfd p{static_cast<int>(m_port.handle()), 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
    return false;
#endif
}

void QtSerialBackend::onError(QSerialPort::SerialPortError error)
{
    if (m_lost || !m_port.isOpen())
        return;
    // A USB adapter pulled out gives a resource error. A hung-up tty reads end of file instead,
    // which Qt reports as a read error with a stale system text, and its read notifier fires
    // again at once: thousands of times a second until the port is closed.
    const bool gone = error == QSerialPort::ResourceError
                      || ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) && hungUp());
    if (!gone)
        return;
    m_lost = true;
    m_lossReason =
        PortErrorText(QSerialPort::ResourceError, error == QSerialPort::ResourceError ? m_port.errorString() : QString());
    // Closed and reported from the event loop or from this backend's next call, not from
    // inside the notification that reported it.
    QMetaObject::invokeMethod(&m_port, [this] { finishLoss(); }, Qt::QueuedConnection);
}

void QtSerialBackend::finishLoss()
{
    if (!m_lost || m_lossReason.isEmpty())
        return;
    const QString reason = std::exchange(m_lossReason, QString());
    m_port.close();
    reportLost(reason);
}

bool QtSerialBackend::open(const QString &device, const LineSettings &settings, int handshaking, QString *error)
{
    setOpenFailure(OpenFailure::None);
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(device)) {
        setOpenFailure(OpenFailure::Missing);
        *error = QStringLiteral("nicht vorhanden");
        return false;
    }
#endif
    if (m_port.isOpen())
        m_port.close(); // what is left of a lost device
    m_lost = false;
    m_lossReason.clear();
    // The path may be a link (/dev/serial/by-id/..., a simulator's link): the lock file that
    // tells other programs the device is taken is named after the device itself.
    const QString real = QFileInfo(device).canonicalFilePath();
    m_port.setPortName(real.isEmpty() ? device : real);
    if (!m_port.open(QIODevice::ReadWrite)) {
        OpenFailure kind = OpenFailure::Other;
        *error = openFailureText(device, m_port, kind);
        setOpenFailure(kind);
        return false;
    }
#ifndef Q_OS_WIN
    // Lock files go by name and root passes the exclusive-use flag: a lock on the open device
    // holds against a second program whatever path it took to the same device. Two read
    // cycles on one modem take each other's answers and lose messages.
    if (::flock(static_cast<int>(m_port.handle()), LOCK_EX | LOCK_NB) != 0) {
        m_port.close();
        setOpenFailure(OpenFailure::Busy);
        const QString holder = PortHolderHint(device);
        *error = holder.isEmpty() ? QStringLiteral("wird bereits benutzt")
                                  : QStringLiteral("wird bereits benutzt. ") + holder;
        return false;
    }
#endif
    if (!apply(settings, handshaking, error)) {
        m_port.close();
        setOpenFailure(OpenFailure::Other);
        return false;
    }
    m_port.clear();
    return true;
}

void QtSerialBackend::close()
{
    m_readHold.stop();
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialBackend::apply(const LineSettings &s, int handshaking, QString *error)
{
    if (!m_port.isOpen())
        return true; // applied when the port opens
    QSerialPort::DataBits bits;
    switch (s.dataBits) {
    case 5: bits = QSerialPort::Data5; break;
    case 6: bits = QSerialPort::Data6; break;
    case 7: bits = QSerialPort::Data7; break;
    case 8: bits = QSerialPort::Data8; break;
    default:
        *error = QStringLiteral("ungültige Einstellungen (%1 Datenbits werden nicht unterstützt)").arg(s.dataBits);
        return false;
    }
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity) {
    case 'e': parity = QSerialPort::EvenParity; break;
    case 'o': parity = QSerialPort::OddParity; break;
    case 'm': parity = QSerialPort::MarkParity; break;
    case 's': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    const QSerialPort::StopBits stop = s.stopBits == QLatin1String("2")     ? QSerialPort::TwoStop
                                       : s.stopBits == QLatin1String("1.5") ? QSerialPort::OneAndHalfStop
                                                                            : QSerialPort::OneStop;
    // Both XON/XOFF and RTS/CTS: the hardware lines are the stronger guarantee.
    const QSerialPort::FlowControl flow = handshaking == 1   ? QSerialPort::SoftwareControl
                                          : handshaking >= 2 ? QSerialPort::HardwareControl
                                                             : QSerialPort::NoFlowControl;
    const bool ok = m_port.setBaudRate(s.speed) && m_port.setDataBits(bits) && m_port.setParity(parity)
                    && m_port.setStopBits(stop) && m_port.setFlowControl(flow);
    if (!ok) {
        *error = QStringLiteral("ungültige Einstellungen (%1)").arg(PortErrorText(m_port.error(), m_port.errorString()));
        m_port.clearError();
        return false;
    }
    return true;
}

bool QtSerialBackend::write(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty())
        return true;
    if (m_lost) {
        *error = PortErrorText(QSerialPort::ResourceError, {});
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        *error = PortErrorText(m_port.error() == QSerialPort::NoError ? QSerialPort::WriteError : m_port.error(),
                               m_port.errorString());
        return false;
    }
    m_port.flush();
    // A command written expects its answer, which comes in a few pieces (the echo first): for
    // a while each piece wakes the waiting exchange at once instead of at the end of a hold.
    m_sinceWrite.start();
    m_readHold.stop();
    if (QSocketNotifier *n = readNotifier())
        n->setEnabled(true);
    return true;
}

qint64 QtSerialBackend::bytesAvailable()
{
    if (!isOpen())
        return 0;
    // Take in what the driver already holds, even when no event has been served since.
    m_port.waitForReadyRead(0);
    if (m_lost) {
        finishLoss();
        return 0;
    }
    return m_port.bytesAvailable();
}

QByteArray QtSerialBackend::readAll()
{
    if (!bytesAvailable())
        return {};
    return m_port.readAll();
}

void QtSerialBackend::clearInput()
{
    if (isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
    }
}

void QtSerialBackend::clearOutput()
{
    if (isOpen())
        m_port.clear(QSerialPort::Output);
}
