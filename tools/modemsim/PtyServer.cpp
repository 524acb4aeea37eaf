#include "PtyServer.h"

#include "LineSpeed.h"
#include "core/DataFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace modemsim;

namespace {

// What a client may leave unread before further answers are lost, as a UART's buffer would.
constexpr qsizetype kMaxUnwritten = 64 * 1024;

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void warn(const QString &text)
{
    std::fprintf(stderr, "varnix-modemsim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

PtyServer::PtyServer(Modem &modem, QObject *parent) : QObject(parent), m_modem(modem)
{
    m_clock.start();
    m_chunkTimer.setSingleShot(true);
    m_chunkTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_chunkTimer, &QTimer::timeout, this, &PtyServer::sendDue);
    m_modemClock.setSingleShot(true);
    m_modemClock.setTimerType(Qt::PreciseTimer);
    connect(&m_modemClock, &QTimer::timeout, this, &PtyServer::serveClock);
    m_retryRead.setSingleShot(true);
    connect(&m_retryRead, &QTimer::timeout, this, [this] {
        if (m_readNotifier)
            m_readNotifier->setEnabled(true);
    });
}

PtyServer::~PtyServer()
{
    close();
}

bool PtyServer::open(const QString &link, QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(systemError());
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = QStringLiteral("ptsname: %1").arg(systemError());
        return false;
    }
    m_slaveName = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0) {
        *error = QStringLiteral("%1: %2").arg(m_slaveName, systemError());
        return false;
    }
    // A serial line carries bytes, not lines of a terminal: no echo, no CR/LF translation.
    struct termios t {};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(m_slave, TCSANOW, &t);
    const int baud = m_modem.baud() > 0 ? m_modem.baud() : 9600;
    if (!setLineSpeed(m_slave, baud))
        warn(QStringLiteral("cannot set %1 bit/s on %2").arg(baud).arg(m_slaveName));
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    // Who has the port open: bytes sent while nobody listens are lost, as on a real line,
    // instead of waiting in the pty for the next program that opens it.
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0 && ::inotify_add_watch(m_inotify, name, IN_OPEN | IN_CLOSE) >= 0) {
        m_clients = 0;
        m_clientNotifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_clientNotifier, &QSocketNotifier::activated, this, &PtyServer::readClientEvents);
    }

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::flushWrite);

    // Publish the slave under the requested name. An existing symbolic link is replaced (it is
    // most likely left from an earlier run); anything else there is somebody's file.
    const QByteArray path = QFile::encodeName(link);
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(link);
        return false;
    }
    const QByteArray temp = path + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temp.constData());
    if (::symlink(name, temp.constData()) != 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(QFile::decodeName(temp), systemError());
        return false;
    }
    if (::rename(temp.constData(), path.constData()) != 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(link, systemError());
        ::unlink(temp.constData());
        return false;
    }
    m_link = link;
    // The modem powers up: what it says then is lost unless a program has the port open already.
    enqueue(m_modem.powerOn());
    serveClock();
    return true;
}

// Moves the modem's clock to now, sends what fell due, and wakes up for the next.
void PtyServer::serveClock()
{
    syncHostBaud();
    enqueue(m_modem.advanceTo(m_clock.elapsed()));
    const qint64 due = m_modem.nextDue();
    if (due >= 0)
        m_modemClock.start(int(qBound<qint64>(0, due - m_clock.elapsed(), qint64(24) * 3600 * 1000)));
    else
        m_modemClock.stop();
}

void PtyServer::close()
{
    if (!m_link.isEmpty()) {
        // Only our own link goes: another instance may have taken the name over meanwhile.
        const QByteArray path = QFile::encodeName(m_link);
        char target[4096];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
        if (n > 0 && QByteArray(target, int(n)) == QFile::encodeName(m_slaveName))
            ::unlink(path.constData());
        m_link.clear();
    }
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    delete m_clientNotifier;
    m_clientNotifier = nullptr;
    delete m_controlNotifier;
    m_controlNotifier = nullptr;
    for (int *fd : {&m_master, &m_slave, &m_inotify, &m_control}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void PtyServer::readClientEvents()
{
    alignas(struct inotify_event) char buf[4096];
    while (true) {
        const ssize_t n = ::read(m_inotify, buf, sizeof buf);
        if (n <= 0)
            break;
        for (ssize_t off = 0; off < n;) {
            const auto *ev = reinterpret_cast<const struct inotify_event *>(buf + off);
            if (ev->mask & IN_OPEN) {
                if (m_clients == 0) {
                    // A fresh client finds an empty line.
                    ::tcflush(m_slave, TCIFLUSH);
                    m_writeBuffer.clear();
                }
                ++m_clients;
            } else if (ev->mask & IN_CLOSE) {
                m_clients = qMax(0, m_clients - 1);
            }
            off += ssize_t(sizeof(struct inotify_event)) + ev->len;
        }
    }
}

void PtyServer::syncHostBaud()
{
    const int baud = lineSpeed(m_master);
    if (baud > 0 && baud != m_modem.hostBaud()) {
        m_modem.setHostBaud(baud);
        note("==", QByteArray::number(baud) + " bit/s");
    }
}

void PtyServer::readMaster()
{
    // The open that preceded these bytes is already queued; count it first.
    if (m_clientNotifier)
        readClientEvents();
    char buf[4096];
    while (true) {
        // The speed is read before every read: the client may have changed it after taking
        // the previous answer, which went out inside this loop.
        syncHostBaud();
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            const QByteArray data(buf, int(n));
            log("<<", data);
            enqueue(m_modem.advanceTo(m_clock.elapsed()));
            const QList<Chunk> answer = m_modem.receive(data);
            // On disk before the +CMGS answer goes out: whoever waits for the answer finds it.
            noteOutbox();
            enqueue(answer);
            serveClock();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO) {
            // No slave open (cannot happen while we hold one, but do not spin if it does).
            m_readNotifier->setEnabled(false);
            m_retryRead.start(200);
        }
        break;
    }
}

void PtyServer::enqueue(const QList<Chunk> &chunks)
{
    if (chunks.isEmpty())
        return;
    const qint64 now = m_clock.elapsed();
    qint64 due = m_queue.empty() ? now : qMax(now, m_queue.back().due);
    for (const Chunk &c : chunks) {
        due += qMax(0, c.delayMs);
        m_queue.push_back({due, c.bytes});
    }
    sendDue();
}

void PtyServer::sendDue()
{
    const qint64 now = m_clock.elapsed();
    while (!m_queue.empty() && m_queue.front().due <= now) {
        writeOut(m_queue.front().bytes);
        m_queue.pop_front();
    }
    if (!m_queue.empty())
        m_chunkTimer.start(int(qMax<qint64>(0, m_queue.front().due - now)));
}

void PtyServer::writeOut(const QByteArray &bytes)
{
    if (m_clientNotifier)
        readClientEvents();
    if (m_clients == 0) {
        log("--", bytes);
        return;
    }
    if (m_writeBuffer.size() + bytes.size() > kMaxUnwritten) {
        log("--", bytes);
        return;
    }
    m_writeBuffer += bytes;
    flushWrite();
}

void PtyServer::flushWrite()
{
    while (!m_writeBuffer.isEmpty()) {
        const ssize_t n = ::write(m_master, m_writeBuffer.constData(), size_t(m_writeBuffer.size()));
        if (n > 0) {
            log(">>", m_writeBuffer.left(n));
            m_writeBuffer.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        log("--", m_writeBuffer);
        m_writeBuffer.clear();
    }
    m_writeNotifier->setEnabled(false);
}

void PtyServer::log(const char *direction, const QByteArray &bytes)
{
    if (!m_transcript.isOpen())
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10.3f ", double(m_clock.elapsed()) / 1000.0);
    m_transcript.write(stamp);
    m_transcript.write(direction);
    m_transcript.write(" \"" + escapeField(bytes, Escape::Transcript) + "\"\n");
    m_transcript.flush();
}

void PtyServer::note(const char *marker, const QByteArray &text)
{
    if (!m_transcript.isOpen())
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10.3f ", double(m_clock.elapsed()) / 1000.0);
    m_transcript.write(stamp + QByteArray(marker) + ' ' + text + '\n');
    m_transcript.flush();
}

void PtyServer::noteOutbox()
{
    const QList<Arrival> &arrived = m_modem.arrivals();
    if (m_outbox.isOpen()) {
        for (qsizetype i = m_outboxSeen; i < arrived.size(); ++i)
            m_outbox.write(outboxLine(arrived[i]));
        m_outbox.flush();
    }
    m_outboxSeen = arrived.size();
}

bool PtyServer::setTranscript(const QString &file, QString *error)
{
    m_transcript.setFileName(file);
    if (!m_transcript.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("%1: %2").arg(file, m_transcript.errorString());
        return false;
    }
    m_transcript.write("# varnix-modemsim transcript: seconds since start, << bytes the modem received, "
                       ">> bytes it sent, -- bytes lost (no program had the port open), == the line's new speed\n");
    m_transcript.flush();
    return true;
}

bool PtyServer::setOutbox(const QString &file, QString *error)
{
    m_outbox.setFileName(file);
    if (!m_outbox.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("%1: %2").arg(file, m_outbox.errorString());
        return false;
    }
    return true;
}

bool PtyServer::inject(const Incoming &message, QString *error)
{
    syncHostBaud();
    enqueue(m_modem.advanceTo(m_clock.elapsed()));
    const QByteArray mem = m_modem.memory(3);
    const bool full = m_modem.storageUsed(mem) >= m_modem.storageSize(mem);
    const QList<Chunk> out = m_modem.deliver(message, error);
    if (out.isEmpty() && !error->isEmpty())
        return false;
    if (full)
        warn(
            QStringLiteral("the storage \"%1\" is full: the message from %2 waits at the network until a slot is freed")
                .arg(QString::fromLatin1(mem), QString::fromLatin1(message.number)));
    enqueue(out);
    serveClock();
    return true;
}

void PtyServer::sendUnsolicited(const QByteArray &line)
{
    syncHostBaud();
    enqueue(m_modem.unsolicited(line));
}

// Applies every line that can be read; each one that cannot is named with its line number.
void PtyServer::applyControl(const QByteArray &data, const QString &origin, int firstLine)
{
    QList<LineProblem> problems;
    const QList<FileEntry> entries = readControlFile(data, &problems);
    for (LineProblem p : problems) {
        p.line += firstLine - 1;
        warn(problemText(origin, p));
    }
    for (const FileEntry &e : entries) {
        QString error;
        if (e.kind == FileEntry::Unsolicited)
            sendUnsolicited(e.urc);
        else if (!inject(e.message, &error))
            warn(problemText(origin, {e.line + firstLine - 1, QStringLiteral("message not delivered: %1").arg(error)}));
    }
}

bool PtyServer::watchInjectDir(const QString &dir, QString *error)
{
    if (!QFileInfo(dir).isDir() && (QFileInfo::exists(dir) || !QDir().mkpath(dir))) {
        *error = QStringLiteral("%1 is not a directory and cannot be made one").arg(dir);
        return false;
    }
    m_injectDir = dir;
    m_watcher = new QFileSystemWatcher(this);
    if (!m_watcher->addPath(dir)) {
        *error = QStringLiteral("cannot watch %1").arg(dir);
        return false;
    }
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PtyServer::scanInjectDir);
    QTimer::singleShot(0, this, &PtyServer::scanInjectDir);
    return true;
}

// Files dropped into the directory: hidden names (write there, then rename) and *.bad are left
// alone; every other file is applied in name order and removed. A file with lines that cannot
// be read is applied all the same, those lines named, and kept as *.bad.
void PtyServer::scanInjectDir()
{
    const QStringList names = QDir(m_injectDir).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (name.endsWith(QLatin1String(".bad")))
            continue;
        const QString path = QDir(m_injectDir).filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = f.readAll();
        f.close();
        QList<LineProblem> problems;
        readControlFile(data, &problems);
        if (problems.isEmpty()) {
            QFile::remove(path);
        } else {
            QFile::remove(path + QLatin1String(".bad"));
            QFile::rename(path, path + QLatin1String(".bad"));
        }
        applyControl(data, path);
        if (!problems.isEmpty())
            warn(QStringLiteral("%1: kept as %1.bad for its %2 bad lines").arg(path).arg(problems.size()));
    }
}

bool PtyServer::openControl(const QString &fifo, QString *error)
{
    const QByteArray path = QFile::encodeName(fifo);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        if (::mkfifo(path.constData(), 0600) != 0) {
            *error = QStringLiteral("cannot create %1: %2").arg(fifo, systemError());
            return false;
        }
    } else if (!S_ISFIFO(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a FIFO").arg(fifo);
        return false;
    }
    // Opened for writing too, so that the FIFO never reports end-of-file between writers.
    m_control = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_control < 0) {
        *error = QStringLiteral("%1: %2").arg(fifo, systemError());
        return false;
    }
    m_controlPath = fifo;
    m_controlNotifier = new QSocketNotifier(m_control, QSocketNotifier::Read, this);
    connect(m_controlNotifier, &QSocketNotifier::activated, this, &PtyServer::readControl);
    return true;
}

void PtyServer::readControl()
{
    char buf[4096];
    ssize_t n;
    while ((n = ::read(m_control, buf, sizeof buf)) > 0)
        m_controlLine.append(buf, int(n));
    const int end = int(m_controlLine.lastIndexOf('\n'));
    if (end < 0) {
        if (m_controlLine.size() > 64 * 1024) {
            warn(QStringLiteral("%1, line %2: line too long, dropped").arg(m_controlPath).arg(++m_controlLines));
            m_controlLine.clear();
        }
        return;
    }
    const QByteArray lines = m_controlLine.left(end);
    m_controlLine.remove(0, end + 1);
    // Line by line, so that one bad line costs only itself.
    for (const QByteArray &line : lines.split('\n'))
        applyControl(line, m_controlPath, ++m_controlLines);
}
