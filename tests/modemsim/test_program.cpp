// varnix-modemsim itself: started as a process, talked to through its pty link with plain
// POSIX termios, the way a serial program would.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char *const kBinary = VARNIX_MODEMSIM_BINARY;

class Port {
public:
    ~Port() { close(); }

    bool open(const QString &path, speed_t speed = B9600)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return false;
        return setSpeed(speed);
    }

    bool setSpeed(speed_t speed)
    {
        struct termios t {};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }

    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool write(const QByteArray &bytes) { return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size(); }

    // Reads until the bytes end with `until` or the time is up; returns everything read.
    QByteArray read(const QByteArray &until, int timeoutMs)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs && (until.isEmpty() || !got.endsWith(until))) {
            struct pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(qMax<qint64>(1, timeoutMs - clock.elapsed()))) <= 0)
                continue;
            char buf[512];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
        }
        return got;
    }

private:
    int m_fd = -1;
};

QByteArray fileContents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void servesThePty();
    void controlFifo();
    void refusesToReplaceAFile();
    void replacesAStaleLink();
    void rejectsBadOptions_data();
    void rejectsBadOptions();

private:
    bool start(const QStringList &extra = {});
    QTemporaryDir *m_dir = nullptr;
    QProcess *m_sim = nullptr;
    QString m_link;
    QByteArray m_banner;
};

void TestProgram::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_link = m_dir->filePath("modem");
    m_banner.clear();
    m_sim = new QProcess;
    m_sim->setProcessChannelMode(QProcess::SeparateChannels);
}

void TestProgram::cleanup()
{
    if (m_sim->state() != QProcess::NotRunning) {
        m_sim->kill();
        m_sim->waitForFinished(2000);
    }
    delete m_sim;
    delete m_dir;
}

bool TestProgram::start(const QStringList &extra)
{
    m_sim->start(QString::fromLocal8Bit(kBinary), QStringList{"--link", m_link} + extra);
    if (!m_sim->waitForStarted(3000))
        return false;
    // The banner comes once the link is in place.
    QElapsedTimer clock;
    clock.start();
    while (!m_banner.contains('\n') && clock.elapsed() < 3000 && m_sim->state() == QProcess::Running) {
        m_sim->waitForReadyRead(100);
        m_banner += m_sim->readAllStandardOutput();
    }
    return m_banner.contains('\n');
}

void TestProgram::servesThePty()
{
    const QString outbox = m_dir->filePath("outbox.txt");
    const QString transcript = m_dir->filePath("transcript.txt");
    const QString inject = m_dir->filePath("inject");
    QVERIFY(QDir().mkpath(inject));
    QVERIFY2(start({"--outbox", outbox, "--transcript", transcript, "--inject-dir", inject, "--creg-search", "0"}),
             m_sim->readAllStandardError().constData());
    const QFileInfo link(m_link);
    QVERIFY(link.isSymLink());
    QVERIFY(link.symLinkTarget().startsWith("/dev/pts/"));
    QCOMPARE(m_banner, "varnix-modemsim: " + QFile::encodeName(m_link) + " -> " + QFile::encodeName(link.symLinkTarget()) + ", PIN 1234\n");

    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(port.write("AT\r"));
    QCOMPARE(port.read("OK\r\n", 2000), QByteArray("AT\r\r\nOK\r\n"));

    // A message submitted the way the program does it; the text bytes reach the outbox as sent.
    QVERIFY(port.write("AT E0\rAT+CPIN=\"1234\"\rAT+CMGF=1\r"));
    const QByteArray threeOks = "AT E0\r\r\nOK\r\n\r\nOK\r\n\r\nOK\r\n";
    QCOMPARE(port.read(threeOks, 2000), threeOks);
    QVERIFY(port.write("AT+CMGS=\"+4917012345\"\r\n"));
    QCOMPARE(port.read("> ", 2000), QByteArray("\r\n> "));
    QVERIFY(port.write("Gr\xfc\xdf" "e \x80\x1a"));
    QCOMPARE(port.read("OK\r\n", 2000), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
    QCOMPARE(fileContents(outbox), QByteArray("+4917012345\tGr\xfc\xdf" "e \x80\n"));

    // A message dropped into the injection directory arrives with +CMTI.
    {
        QFile f(inject + "/.incoming");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("+4915100001\tHallo\n");
    }
    QVERIFY(QFile::rename(inject + "/.incoming", inject + "/incoming"));
    QCOMPARE(port.read("\r\n+CMTI: \"SM\",1\r\n", 3000), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
    QVERIFY(!QFile::exists(inject + "/incoming"));
    QVERIFY(port.write("AT+CMGR=1\r"));
    QVERIFY(port.read("OK\r\n", 2000).contains("\"+4915100001\""));

    // At another speed the modem hears noise and answers nothing that makes sense.
    QVERIFY(port.setSpeed(B19200));
    QVERIFY(port.write("AT\r"));
    const QByteArray noise = port.read({}, 300);
    QVERIFY2(!noise.contains("OK"), noise.toHex().constData());
    QVERIFY(port.setSpeed(B9600));
    QVERIFY(port.write("AT\r"));
    QCOMPARE(port.read("OK\r\n", 2000), QByteArray("\r\nOK\r\n"));
    port.close();

    const QByteArray log = fileContents(transcript);
    QVERIFY(log.contains("<< \"AT\\r\""));
    QVERIFY(log.contains(">> \"AT\\r\\r\\nOK\\r\\n\""));
    QVERIFY(log.contains("== 19200 bit/s"));

    // SIGTERM: the program ends cleanly and takes its link away.
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(3000));
    QCOMPARE(m_sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim->exitCode(), 0);
    QVERIFY(!QFileInfo(m_link).isSymLink());
}

void TestProgram::controlFifo()
{
    const QString fifo = m_dir->filePath("control");
    QVERIFY(start({"--control", fifo, "--no-pin"}));
    QVERIFY(m_banner.endsWith(", no PIN\n"));
    auto send = [&](const QByteArray &lines) {
        QFile f(fifo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(lines);
    };
    // Nobody has the port open: the announcement is lost, as on a real line, and does not
    // wait in the pty for the next program that opens it.
    send("+4915100001\tVorher\n");
    QTest::qWait(200);
    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(port.write("ATE0\r"));
    QCOMPARE(port.read("OK\r\n", 2000), QByteArray("ATE0\r\r\nOK\r\n"));

    send("ring\nthis line is wrong\n+4915100002\tDanach\n");
    const QByteArray expected = "\r\nRING\r\n\r\n+CMTI: \"SM\",2\r\n";
    QCOMPARE(port.read(expected, 2000), expected);
    QVERIFY(port.write("AT+CPMS?\r"));
    QVERIFY(port.read("OK\r\n", 2000).contains("+CPMS: \"SM\",2,30"));
}

void TestProgram::refusesToReplaceAFile()
{
    {
        QFile f(m_link);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    m_sim->start(QString::fromLocal8Bit(kBinary), {"--link", m_link});
    QVERIFY(m_sim->waitForFinished(3000));
    QCOMPARE(m_sim->exitCode(), 1);
    QVERIFY(m_sim->readAllStandardError().contains("not a symbolic link"));
    QCOMPARE(fileContents(m_link), QByteArray("precious"));
}

void TestProgram::replacesAStaleLink()
{
    QVERIFY(QFile::link("/nonexistent/pts", m_link));
    QVERIFY(start({"--pin", "4711"}));
    QVERIFY(m_banner.endsWith(", PIN 4711\n"));
    QVERIFY(QFileInfo(m_link).symLinkTarget().startsWith("/dev/pts/"));
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(3000));
    QVERIFY(!QFileInfo(m_link).isSymLink());
}

void TestProgram::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("complaint");

    QTest::newRow("no link") << QStringList{} << QByteArray("--link PATH is required");
    QTest::newRow("short PIN") << QStringList{"--link", "x", "--pin", "12"} << QByteArray("--pin");
    QTest::newRow("signal") << QStringList{"--link", "x", "--signal", "40"} << QByteArray("--signal");
    QTest::newRow("storage") << QStringList{"--link", "x", "--storage", "0"} << QByteArray("--storage");
    QTest::newRow("quote in operator") << QStringList{"--link", "x", "--operator", "A\"B"} << QByteArray("--operator");
    QTest::newRow("unknown option") << QStringList{"--link", "x", "--colour"} << QByteArray("colour");
}

void TestProgram::rejectsBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, complaint);
    m_sim->start(QString::fromLocal8Bit(kBinary), arguments);
    QVERIFY(m_sim->waitForFinished(3000));
    QCOMPARE(m_sim->exitCode(), 2);
    const QByteArray err = m_sim->readAllStandardError();
    QVERIFY2(err.contains(complaint), err.constData());
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
