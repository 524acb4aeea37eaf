// The port object on a real pseudo-terminal through QSerialPort, in real time.
#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/QtSerialBackend.h"
#include "platform/CodePage.h"
#include "platform/Platform.h"
#include "platform/PortMap.h"
#include "support/MemorySettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    QString slave;
    Pty()
    {
        grantpt(master);
        unlockpt(master);
        slave = QString::fromLocal8Bit(ptsname(master));
        // Raw from the start: no echo, no CR/LF translation.
        const int fd = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
    }
    ~Pty() { hangUp(); }
    // The far end goes away, as a USB modem pulled out.
    void hangUp()
    {
        if (master >= 0)
            ::close(std::exchange(master, -1));
    }
    void write(const QByteArray &b) { QCOMPARE(::write(master, b.constData(), b.size()), b.size()); }
    QByteArray read(int expected, int timeoutMs = 2000)
    {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (out.size() < expected && t.elapsed() < timeoutMs) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buf[256];
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0)
                    out.append(buf, n);
            }
        }
        return out;
    }
};

struct Real {
    SystemClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    Real() { platform::install(&clock, &dialogs, &settings); }
    ~Real() { platform::install(nullptr, nullptr, nullptr); }
};

// Waits in real time until n characters have arrived or a second has passed.
int waitFor(CommPort &comm, int n)
{
    QElapsedTimer t;
    t.start();
    while (comm.inBufferCount() < n && t.elapsed() < 1000)
        platform::clock().yield();
    return comm.inBufferCount();
}

// The flow-control flags the line carries now, read from a descriptor of its own on the device.
struct LineFlags {
    bool rtsCts = false;
    bool xon = false;
    bool xoff = false;
    bool xany = false;
};
LineFlags lineFlags(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    const bool read = fd >= 0 && ::tcgetattr(fd, &t) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!read)
        return {};
    return {(t.c_cflag & CRTSCTS) != 0, (t.c_iflag & IXON) != 0, (t.c_iflag & IXOFF) != 0, (t.c_iflag & IXANY) != 0};
}

} // namespace

class TestPty : public QObject {
    Q_OBJECT
private slots:
    void bytesBothWaysAndClear()
    {
        Real real;
        Pty pty;
        real.settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM2"), QStringLiteral("/dev/varnix-none"));
        real.settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM5"), pty.slave);
        CommPort comm(std::make_unique<QtSerialBackend>(), [&](int n) { return PortDevice(n, real.settings); });
        QVERIFY(comm.setCommPort(2));
        int fehler = 0;
        ComOpen(comm, fehler);
        QCOMPARE(fehler, 1);
        QVERIFY(!comm.portOpen());
        QCOMPARE(real.dialogs.shown.size(), 1);
        QCOMPARE(real.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QCOMPARE(real.dialogs.shown[0].text, QStringLiteral("Schnittstelle COM2 (/dev/varnix-none) nicht vorhanden"));

        real.dialogs.shown.clear();
        QVERIFY(comm.setCommPort(5));
        ComOpen(comm, fehler);
        QCOMPARE(fehler, 0);
        QVERIFY(real.dialogs.shown.isEmpty());
        QCOMPARE(ComStatusText(comm), QStringLiteral("COM5,9600,n,8,1 active"));

        ComSend(comm, QStringLiteral("AT\r"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QVERIFY(comm.output(codepage::decode(all)));
        QCOMPARE(pty.read(3 + 256), QByteArray("AT\r") + all);

        pty.write(all);
        QCOMPARE(waitFor(comm, 256), 256);
        QCOMPARE(codepage::encode(comm.input()), all);
        QCOMPARE(comm.inBufferCount(), 0);

        // ComClear drops half an answer; what follows arrives whole.
        pty.write("\r\n+CSQ: 2");
        QCOMPARE(waitFor(comm, 9), 9);
        ComClear(comm);
        QCOMPARE(comm.input(), QString());
        pty.write("1,99\r\n");
        QCOMPARE(waitFor(comm, 6), 6);
        QCOMPARE(comm.input(), QStringLiteral("1,99\r\n"));
    }

    // What each handshake puts on the line, looked at on the device itself: RTS/CTS is the
    // control flag CRTSCTS, XON/XOFF the input flags IXON and IXOFF (the toolkit adds IXANY),
    // and "XON-RTS" takes the hardware lines. Set before the port opens, and changed while it
    // is open.
    void handshakingReachesTheLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");
        QTest::newRow("0 none") << 0 << false << false;
        QTest::newRow("1 XON/XOFF") << 1 << false << true;
        QTest::newRow("2 RTS/CTS") << 2 << true << false;
        QTest::newRow("3 XON-RTS") << 3 << true << false;
    }
    void handshakingReachesTheLine()
    {
        QFETCH(int, mode);
        QFETCH(bool, rtsCts);
        QFETCH(bool, xonXoff);
        Real real;
        Pty pty;
        CommPort comm(std::make_unique<QtSerialBackend>(), [&](int) { return pty.slave; });
        QVERIFY(comm.setHandshaking(mode));
        QVERIFY(comm.setPortOpen(true));
        for (int pass = 0; pass < 2; ++pass) {
            const LineFlags f = lineFlags(pty.slave);
            QCOMPARE(f.rtsCts, rtsCts);
            QCOMPARE(f.xon, xonXoff);
            QCOMPARE(f.xoff, xonXoff);
            QCOMPARE(f.xany, xonXoff);
            QVERIFY(comm.setHandshaking(3 - mode));
            QVERIFY(comm.setHandshaking(mode));
        }
        QCOMPARE(comm.handshaking(), mode);
    }

    void aHungUpLineClosesThePortOnce()
    {
        Real real;
        Pty pty;
        CommPort comm(std::make_unique<QtSerialBackend>(), [&](int) { return pty.slave; });
        int reported = 0;
        comm.setLostHandler([&] { ++reported; });
        QVERIFY(comm.setPortOpen(true));
        pty.write("\r\nOK\r\n");
        QCOMPARE(waitFor(comm, 6), 6);
        pty.hangUp();
        // The loss shows at the first look; then nothing more comes from the dead line.
        QElapsedTimer t;
        t.start();
        while (comm.portOpen() && t.elapsed() < 2000)
            platform::clock().yield();
        QVERIFY(!comm.portOpen());
        for (int i = 0; i < 20; ++i)
            platform::clock().yield();
        QCOMPARE(reported, 1);
        QVERIFY(comm.lost());
        QVERIFY2(comm.lastError().endsWith(QStringLiteral("nicht mehr erreichbar – Kabel oder Gerät entfernt?")),
                 qPrintable(comm.lastError()));
        QCOMPARE(comm.inBufferCount(), 0);
        QVERIFY(!comm.output(QStringLiteral("AT\r")));

        // A new device under the same name opens again.
        Pty again;
        pty.slave = again.slave;
        QVERIFY(comm.setPortOpen(true));
        QVERIFY(comm.output(QStringLiteral("AT\r")));
        QCOMPARE(again.read(3), QByteArray("AT\r"));
        QCOMPARE(reported, 1);
        QVERIFY(!comm.lost());
    }

    // Two programs on one modem take each other's answers: whatever path leads to the device,
    // the second open is refused while the first holds it.
    void oneDeviceIsOpenedOnceWhateverThePath()
    {
        Real real;
        Pty pty;
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("modem"));
        QVERIFY(QFile::link(pty.slave, link));
        CommPort first(std::make_unique<QtSerialBackend>(), [&](int) { return link; });
        CommPort second(std::make_unique<QtSerialBackend>(), [&](int) { return pty.slave; });
        QVERIFY(first.setPortOpen(true));
        QCOMPARE(first.backend().openFailure(), OpenFailure::None);
        QVERIFY(!second.setPortOpen(true));
        QCOMPARE(second.backend().openFailure(), OpenFailure::Busy);
        QVERIFY2(second.lastError().startsWith(
                     QStringLiteral("Schnittstelle COM1 (%1) wird bereits benutzt").arg(pty.slave)),
                 qPrintable(second.lastError()));
        // The refusal names who holds it.
        QVERIFY2(second.lastError().contains(QString::number(QCoreApplication::applicationPid())),
                 qPrintable(second.lastError()));
        first.setPortOpen(false);
        QVERIFY(second.setPortOpen(true));
        QCOMPARE(second.backend().openFailure(), OpenFailure::None);
        QVERIFY(!first.setPortOpen(true));

        // A device that is not there says so too.
        CommPort none(std::make_unique<QtSerialBackend>(), [&](int) { return dir.filePath(QStringLiteral("none")); });
        QVERIFY(!none.setPortOpen(true));
        QCOMPARE(none.backend().openFailure(), OpenFailure::Missing);
    }
};

QTEST_MAIN(TestPty)
#include "test_pty.moc"
