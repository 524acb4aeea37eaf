#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/FakeSerialBackend.h"
#include "platform/Platform.h"

#include "comm/PortErrorText.h"

#include <QtTest>

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
    // The toolkit's English reaches the user only as a detail, and in German where it is a
    // usual one.
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
        QTest::newRow("unknown system text kept") << int(QSerialPort::UnknownError) << "Protocol error"
                                                  << "Fehler (Protocol error)";
        QTest::newRow("no detail") << int(QSerialPort::TimeoutError) << "" << "Zeitüberschreitung";
        QTest::newRow("detail says the same") << int(QSerialPort::TimeoutError) << "Operation timed out"
                                              << "Zeitüberschreitung";
    }
    void portErrorsReadInGerman()
    {
        QFETCH(int, error);
        QFETCH(QString, system);
        QFETCH(QString, text);
        QCOMPARE(PortErrorText(QSerialPort::SerialPortError(error), system), text);
    }

    void settingsReadBackCanonical_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("upper-case parity") << "9600,N,8,1" << "9600,n,8,1";
        QTest::newRow("even, 1.5 stop bits") << "19200,E,7,1.5" << "19200,e,7,1.5";
        QTest::newRow("mark") << "4800,m,8,2" << "4800,m,8,2";
        QTest::newRow("odd speed") << "256000,s,4,1" << "256000,s,4,1";
        QTest::newRow("bad parity keeps old") << "9600,x,8,1" << "9600,n,8,1";
        QTest::newRow("bad data bits keeps old") << "9600,n,9,1" << "9600,n,8,1";
        QTest::newRow("blank inside keeps old") << "9600, n,8,1" << "9600,n,8,1";
        QTest::newRow("missing field keeps old") << "9600,n,8" << "9600,n,8,1";
    }
    void settingsReadBackCanonical()
    {
        QFETCH(QString, written);
        QFETCH(QString, readBack);
        Rig r;
        r.comm->setSettings(written);
        QCOMPARE(r.comm->settings(), readBack);
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
        QTest::newRow("both") << 4 << "2400,e,7,2" << 3 << false << "COM4,2400,e,7,2 , XON-RTS not active";
        QTest::newRow("both, open") << 4 << "2400,e,7,2" << 3 << true << "COM4,2400,e,7,2 , XON-RTS active";
    }
    void statusText()
    {
        QFETCH(int, port);
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(bool, open);
        QFETCH(QString, text);
        Rig r;
        QVERIFY(r.comm->setCommPort(port));
        QVERIFY(r.comm->setSettings(settings));
        QVERIFY(r.comm->setHandshaking(handshaking));
        if (open)
            QVERIFY(r.comm->setPortOpen(true));
        QCOMPARE(ComStatusText(*r.comm), text);
    }

    void comOpenOnAMissingPortShowsComError()
    {
        Rig r;
        r.fake->missing << QStringLiteral("/dev/ttyS2");
        QVERIFY(r.comm->setCommPort(3));
        int fehler = 0;
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 1);
        QVERIFY(!r.comm->portOpen());
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QCOMPARE(r.p.dialogs.shown[0].text, QStringLiteral("Schnittstelle COM3 (/dev/ttyS2) nicht vorhanden"));
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::None);
        QVERIFY(ComStatusText(*r.comm).endsWith(QLatin1String(" not active")));
    }

    void openFailuresNameTheReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("busy") << "busy" << "Schnittstelle COM1 (/dev/ttyS0) wird bereits benutzt";
        QTest::newRow("denied") << "denied"
                                << "Schnittstelle COM1 (/dev/ttyS0) Zugriff verweigert – ist der Benutzer in der "
                                   "Gruppe dialout?";
    }
    void openFailuresNameTheReason()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        Rig r;
        (kind == QLatin1String("busy") ? r.fake->busy : r.fake->denied) << QStringLiteral("/dev/ttyS0");
        int fehler = 0;
        ComOpen(*r.comm, fehler);
        QCOMPARE(fehler, 1);
        QCOMPARE(r.p.dialogs.texts(), QStringList{text});
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

    void comCloseOnAClosedPortIsSilent()
    {
        Rig r;
        ComClose(*r.comm);
        QVERIFY(!r.comm->portOpen());
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QCOMPARE(r.p.dialogs.beeps, 0);
    }

    void comSend()
    {
        Rig r;
        ComSend(*r.comm, QStringLiteral("AT"));
        QCOMPARE(r.p.dialogs.beeps, 1);
        ComSend(*r.comm, QString());
        QCOMPARE(r.p.dialogs.beeps, 2);
        QCOMPARE(r.fake->written(), QByteArray());

        QVERIFY(r.comm->setPortOpen(true));
        ComSend(*r.comm, QString());
        ComSend(*r.comm, QStringLiteral("ä\r"));
        QCOMPARE(r.p.dialogs.beeps, 2);
        QCOMPARE(r.fake->written(), QByteArray("\xE4\r"));
    }

    void portNumberChangesOnlyWhileClosed()
    {
        Rig r;
        QVERIFY(r.comm->setPortOpen(true));
        QVERIFY(!r.comm->setCommPort(2));
        QCOMPARE(r.comm->commPort(), 1);
        r.comm->setPortOpen(false);
        QVERIFY(r.comm->setCommPort(2));
        QVERIFY(!r.comm->setCommPort(17));
        QCOMPARE(r.comm->commPort(), 2);
    }

    void outputOnAClosedPortFailsWithoutSending()
    {
        Rig r;
        QVERIFY(!r.comm->output(QStringLiteral("AT\r")));
        QVERIFY(r.comm->lastError().contains(QLatin1String("COM1")));
        QCOMPARE(r.comm->inBufferCount(), 0);
        QCOMPARE(r.comm->input(), QString());
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
