#pragma once
// varnix-modemsim started as a process for one test, its link in a temporary folder, and the
// pty opened the way a serial program opens it (plain POSIX termios).

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

struct SimPty {
    QTemporaryDir dir;
    QProcess sim; // killed by its destructor should a test fail
    QString link;
    int fd = -1;

    // Starts the simulator; true once its banner says the link is in place.
    bool start(const QStringList &arguments)
    {
        link = dir.filePath(QStringLiteral("modem"));
        sim.start(QStringLiteral(VARNIX_MODEMSIM_BINARY), QStringList{QStringLiteral("--link"), link} + arguments);
        QByteArray banner;
        while (!banner.contains('\n') && sim.waitForReadyRead(3000))
            banner += sim.readAllStandardOutput();
        return QFileInfo(link).isSymLink();
    }

    bool open()
    {
        fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        struct termios t {};
        if (fd < 0 || ::tcgetattr(fd, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        return ::tcsetattr(fd, TCSANOW, &t) == 0;
    }

    // Writes the bytes, then reads until what came back ends with `until` or the time is up.
    QByteArray exchange(const QByteArray &bytes, const QByteArray &until, int timeoutMs = 3000)
    {
        if (!bytes.isEmpty() && ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            return "(write failed)";
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs && (until.isEmpty() || !got.endsWith(until))) {
            struct pollfd p {
                fd, POLLIN, 0
            };
            char buf[512];
            const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::read(fd, buf, sizeof buf) : 0;
            if (n > 0)
                got.append(buf, int(n));
        }
        return got;
    }

    // Waits until the simulator has written `text` to stderr; returns all it wrote so far.
    QByteArray errorsWith(const QByteArray &text)
    {
        const bool seen = QTest::qWaitFor(
            [&] {
                stderrSeen += sim.readAllStandardError();
                return stderrSeen.contains(text);
            },
            3000);
        Q_UNUSED(seen); // the caller checks what it needs in all that came
        return stderrSeen;
    }
    QByteArray stderrSeen;

    QString file(const QString &name) const { return dir.filePath(name); }

    ~SimPty()
    {
        if (fd >= 0)
            ::close(fd);
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace simtest
