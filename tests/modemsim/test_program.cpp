// varnix-modemsim itself: started as a process, talked to through its pty link with plain
// POSIX termios, the way a serial program would.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool setSpeed(int fd, speed_t speed)
{
    struct termios t {};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

// Writes the bytes, then reads until what came back ends with `until` or the time is up.
QByteArray exchange(int fd, const QByteArray &bytes, const QByteArray &until, int timeoutMs = 2000)
{
    if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        return "(write failed)";
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && (until.isEmpty() || !got.endsWith(until))) {
        struct pollfd p {fd, POLLIN, 0};
        char buf[512];
        const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::read(fd, buf, sizeof buf) : 0;
        if (n > 0)
            got.append(buf, int(n));
    }
    return got;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeTo(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void servesThePty()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("modem");
        const QString outbox = dir.filePath("outbox.txt");
        const QString control = dir.filePath("control");
        QProcess sim; // killed by its destructor should the test fail
        sim.start(VARNIX_MODEMSIM_BINARY, {"--link", link, "--outbox", outbox, "--control", control, "--creg-search", "0"});
        // The banner comes once the link is in place.
        QByteArray banner;
        while (!banner.contains('\n') && sim.waitForReadyRead(3000))
            banner += sim.readAllStandardOutput();
        const QString target = QFileInfo(link).symLinkTarget();
        QVERIFY2(target.startsWith("/dev/pts/"), sim.readAllStandardError().constData());
        QCOMPARE(banner, "varnix-modemsim: " + QFile::encodeName(link) + " -> " + QFile::encodeName(target) + ", PIN 1234\n");

        // Nobody has the port open: the announcement is lost, as on a real line, and does not
        // wait in the pty for the next program that opens it.
        QVERIFY(writeTo(control, "+4915100001\tVorher\n"));
        QTest::qWait(200);
        const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0 && setSpeed(fd, B9600));
        QCOMPARE(exchange(fd, "AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));

        // A message submitted the way the program does it; the text bytes reach the outbox as
        // sent, and before the answer.
        const QByteArray threeOks = "AT E0\r\r\nOK\r\n\r\nOK\r\n\r\nOK\r\n";
        QCOMPARE(exchange(fd, "AT E0\rAT+CPIN=\"1234\"\rAT+CMGF=1\r", threeOks), threeOks);
        QCOMPARE(exchange(fd, "AT+CMGS=\"+4917012345\"\r", "> "), QByteArray("\r\n> "));
        QCOMPARE(exchange(fd, "Gr\xfc\xdf" "e \x80\x1a", "OK\r\n"), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
        QCOMPARE(contents(outbox), QByteArray("+4917012345\tGr\xfc\xdf" "e \x80\n"));

        // Now the call and the message reach the port; a bad line between them is skipped.
        QVERIFY(writeTo(control, "ring\nthis line is wrong\n+4915100002\tDanach\n"));
        const QByteArray expected = "\r\nRING\r\n\r\n+CMTI: \"SM\",2\r\n";
        QCOMPARE(exchange(fd, {}, expected), expected);

        // At another speed the modem hears noise and answers nothing that makes sense.
        QVERIFY(setSpeed(fd, B19200));
        const QByteArray noise = exchange(fd, "AT\r", {}, 300);
        QVERIFY2(!noise.contains("OK"), noise.toHex().constData());
        QVERIFY(setSpeed(fd, B9600));
        QCOMPARE(exchange(fd, "AT\r", "OK\r\n"), QByteArray("\r\nOK\r\n"));
        ::close(fd);

        // SIGTERM: the program ends cleanly and takes its link away.
        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
