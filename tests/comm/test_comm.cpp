#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/PortErrorText.h"
#include "support/FakeSerialBackend.h"
#include "support/TestPlatform.h"

#include <QtTest>

#include <cstring>

namespace {
struct Rig {
    TestPlatform p;
    FakeSerialBackend *fake = nullptr;
    std::unique_ptr<CommPort> comm;
    Rig()
    {
        auto b = std::make_unique<FakeSerialBackend>(p.clock);
        fake = b.get();
        comm = std::make_unique<CommPort>(std::move(b), [](int n) { return QStringLiteral("/dev/ttyS%1").arg(n - 1); });
    }
};
} // namespace

class TestComm : public QObject {
    Q_OBJECT
private slots:
    // The toolkit's English reaches the user only as a detail, in German where it is a usual one.
    void portErrorsReadInGerman_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("text");
        QTest::newRow("pulled cable") << int(QSerialPort::ResourceError) << "Input/output error"
                                      << "nicht mehr erreichbar – Kabel oder Gerät entfernt? (Ein-/Ausgabefehler)";
        QTest::newRow("write") << int(QSerialPort::WriteError) << "Input/output error"
                               << "Schreibfehler (Ein-/Ausgabefehler)";
        QTest::newRow("not a serial device") << int(QSerialPort::UnsupportedOperationError)
                                             << "Inappropriate ioctl for device"
                                             << "Einstellung vom Gerät nicht unterstützt (das Gerät ist keine serielle Schnittstelle)";
        QTest::newRow("a folder for a device") << int(QSerialPort::UnknownError) << "Is a directory"
                                               << "Fehler (ist ein Ordner)";
        QTest::newRow("a system error without a German name") << int(QSerialPort::UnknownError) << "Bad message"
                                                              << "Fehler (Systemfehler Nr. 74)";
        QTest::newRow("a number the C library cannot name") << int(QSerialPort::UnknownError) << "Unknown error 531"
                                                            << "Fehler (Systemfehler Nr. 531)";
        QTest::newRow("Qt's own wording") << int(QSerialPort::OpenError) << "Permission error while locking the device"
                                          << "ist bereits geöffnet (keine Berechtigung zum Sperren des Geräts)";
        QTest::newRow("a text nobody knows") << int(QSerialPort::UnknownError) << "Flux capacitor drained"
                                             << "Fehler (unbekannter Fehler)";
        QTest::newRow("no detail") << int(QSerialPort::TimeoutError) << "" << "Zeitüberschreitung";
        QTest::newRow("detail says the same") << int(QSerialPort::TimeoutError) << "Operation timed out"
                                              << "Zeitüberschreitung";
    }
    void portErrorsReadInGerman()
    {
        QFETCH(int, error);
        QFETCH(QString, system);
        QTEST(PortErrorText(QSerialPort::SerialPortError(error), system), "text");
    }

    // Whatever error the system names, the user reads German: no system text comes through.
    void everySystemErrorReadsInGerman()
    {
        for (int e = 1; e <= 133; ++e) {
            const QString english = QString::fromLocal8Bit(std::strerror(e));
            const QString german = GermanSystemText(english);
            QVERIFY2(!german.isEmpty() && german.compare(english, Qt::CaseInsensitive) != 0,
                     qPrintable(QStringLiteral("%1: %2").arg(e).arg(english)));
        }
    }

    void settingsReadBackCanonical_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("upper-case parity") << "9600,N,8,1" << "9600,n,8,1";
        QTest::newRow("even, 1.5 stop bits") << "19200,E,7,1.5" << "19200,e,7,1.5";
        QTest::newRow("odd speed") << "256000,s,4,1" << "256000,s,4,1";
        QTest::newRow("bad parity keeps old") << "9600,x,8,1" << "9600,n,8,1";
        QTest::newRow("bad data bits keeps old") << "9600,n,9,1" << "9600,n,8,1";
        QTest::newRow("blank inside keeps old") << "9600, n,8,1" << "9600,n,8,1";
        QTest::newRow("missing field keeps old") << "9600,n,8" << "9600,n,8,1";
    }
    void settingsReadBackCanonical()
    {
        QFETCH(QString, written);
        Rig r;
        r.comm->setSettings(written);
        QTEST(r.comm->settings(), "readBack");
    }

    void statusText_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("text");
        QTest::newRow("open, none") << 1 << "9600,n,8,1" << 0 << true << "COM1,9600,n,8,1 active";
        QTest::newRow("xon/xoff") << 1 << "9600,n,8,1" << 1 << false << "COM1,9600,n,8,1 , XON/XOFF not active";
        QTest::newRow("rts/cts") << 2 << "19200,n,8,1" << 2 << false << "COM2,19200,n,8,1 , RTS/CTS not active";
        QTest::newRow("both, open") << 4 << "2400,e,7,2" << 3 << true << "COM4,2400,e,7,2 , XON-RTS active";
    }
    void statusText()
    {
        QFETCH(int, port);
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(bool, open);
        Rig r;
        QVERIFY(r.comm->setCommPort(port) && r.comm->setSettings(settings) && r.comm->setHandshaking(handshaking));
        if (open)
            QVERIFY(r.comm->setPortOpen(true));
        QTEST(ComStatusText(*r.comm), "text");
    }

    void openFailuresNameTheReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << "missing" << "Schnittstelle COM3 (/dev/ttyS2) nicht vorhanden";
        QTest::newRow("busy") << "busy" << "Schnittstelle COM3 (/dev/ttyS2) wird bereits benutzt";
        QTest::newRow("denied") << "denied"
                                << "Schnittstelle COM3 (/dev/ttyS2) Zugriff verweigert – ist der Benutzer in der "
                                   "Gruppe dialout?";
    }
    void openFailuresNameTheReason()
    {
        QFETCH(QString, kind);
        Rig r;
        (kind == "missing" ? r.fake->missing : kind == "busy" ? r.fake->busy : r.fake->denied) << "/dev/ttyS2";
        QVERIFY(r.comm->setCommPort(3));
        int fehler = 0;
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 1);
        QVERIFY(!r.comm->portOpen());
        QTEST(r.p.dialogs.texts().value(0), "text");
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::None);
        QVERIFY(ComStatusText(*r.comm).endsWith(QLatin1String(" not active")));
    }

    void comOpenOnAnOpenPortEmptiesTheBuffersAndStaysOpen()
    {
        Rig r;
        int fehler = 1;
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 0);
        r.fake->deliver("OK\r\n");
        QCOMPARE(r.comm->inBufferCount(), 4);
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 0);
        QVERIFY(r.comm->portOpen());
        QCOMPARE(r.comm->inBufferCount(), 0);
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void comClearDiscardsAHalfReceivedAnswer()
    {
        Rig r;
        QVERIFY(r.comm->setPortOpen(true));
        r.fake->deliver("\r\n+CSQ: 2");
        r.fake->deliver("1,99\r\n\r\nOK\r\n", 5.0);
        QCOMPARE(r.comm->inBufferCount(), 9);
        ComClear(*r.comm);
        QCOMPARE(r.comm->input(), QString());
        r.p.clock.advance(5.0);
        QCOMPARE(r.comm->input(), QStringLiteral("1,99\r\n\r\nOK\r\n"));
    }

    // Closed: nothing goes out, ComSend only beeps, closing again is silent.
    void sendingAndPortNumberFollowTheOpenState()
    {
        Rig r;
        ComClose(*r.comm);
        QVERIFY(!r.comm->portOpen());
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QCOMPARE(r.p.dialogs.beeps, 0);
        QVERIFY(!r.comm->output(QStringLiteral("AT\r")));
        QVERIFY(r.comm->lastError().contains(QLatin1String("COM1")));
        QCOMPARE(r.comm->inBufferCount(), 0);
        QCOMPARE(r.comm->input(), QString());
        ComSend(*r.comm, QStringLiteral("AT"));
        ComSend(*r.comm, QString());
        QCOMPARE(r.p.dialogs.beeps, 2);
        QCOMPARE(r.fake->written(), QByteArray());

        QVERIFY(r.comm->setPortOpen(true));
        ComSend(*r.comm, QString());
        ComSend(*r.comm, QStringLiteral("ä\r"));
        QCOMPARE(r.p.dialogs.beeps, 2);
        QCOMPARE(r.fake->written(), QByteArray("\xE4\r"));
        // The port number changes only while closed, and only to 1..16.
        QVERIFY(!r.comm->setCommPort(2));
        QCOMPARE(r.comm->commPort(), 1);
        r.comm->setPortOpen(false);
        QVERIFY(r.comm->setCommPort(2));
        QVERIFY(!r.comm->setCommPort(17));
        QCOMPARE(r.comm->commPort(), 2);
    }

    void aPulledModemClosesThePortAndIsReportedOnce()
    {
        Rig r;
        int reported = 0;
        r.comm->setLostHandler([&] { ++reported; });
        QVERIFY(r.comm->setPortOpen(true));
        r.fake->deliver("\r\nOK");
        r.fake->hangUp();
        r.fake->hangUp();
        QCOMPARE(reported, 1);
        QVERIFY(!r.comm->portOpen());
        QCOMPARE(r.comm->lastError(),
                 QStringLiteral("Schnittstelle COM1 (/dev/ttyS0) nicht mehr erreichbar – Kabel oder Gerät entfernt?"));
        QCOMPARE(ComStatusText(*r.comm), QStringLiteral("COM1,9600,n,8,1 not active"));
        QCOMPARE(r.comm->input(), QString());
        // Plugged in again: the port opens as before.
        int fehler = 1;
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 0);
        QVERIFY(r.comm->output(QStringLiteral("AT\r")));
        QCOMPARE(reported, 1);
    }
};

QTEST_MAIN(TestComm)
#include "test_comm.moc"
