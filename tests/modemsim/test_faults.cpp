// Line speed and the fault modes: garbled bytes, silence, refused commands, split and slow
// answers, noise.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::talk;

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    // The speeds the program's baud-rate scan tries, against a modem at 9600.
    void baudScan_data()
    {
        QTest::addColumn<int>("speed");
        for (int speed : {56000, 38400, 28800, 19200, 14400, 9600, 4800, 2400, 1200, 600, 300, 110})
            QTest::newRow(QByteArray::number(speed).constData()) << speed;
    }

    void baudScan()
    {
        QFETCH(int, speed);
        const bool right = speed == 9600;
        Modem m;
        m.setHostBaud(speed);
        const QByteArray out = talk(m, "AT\r");
        // At a wrong speed the host hears its echo garbled and no answer ...
        QVERIFY2(right ? out == "AT\r\r\nOK\r\n" : !out.contains("OK") && !out.startsWith("AT"), out.toHex().constData());
        // ... and what the modem heard takes no effect.
        talk(m, "ATE0\r");
        QCOMPARE(m.echo(), !right);
        // A modem set to any speed understands them all.
        Config any;
        any.baud = 0;
        Modem autobaud(any);
        autobaud.setHostBaud(speed);
        QCOMPARE(talk(autobaud, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }

    void silent()
    {
        Config cfg;
        cfg.silent = true;
        Modem m(cfg);
        QVERIFY(m.receive("AT\r").isEmpty());
        QVERIFY(m.receive("AT+CPIN=\"1234\"\r").isEmpty());
        QCOMPARE(m.simState(), SimState::PinRequired);
        QVERIFY(m.injectSms({"REC UNREAD", "+49170", "24/05/01,12:00:00+08", "x"}).isEmpty());
        QVERIFY(m.unsolicited("RING").isEmpty());
    }

    void errorFor_data()
    {
        QTest::addColumn<QByteArray>("errorFor");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("refused");

        QTest::newRow("exact") << QByteArray("AT+CSQ") << QByteArray("AT+CSQ\r") << true;
        QTest::newRow("other command") << QByteArray("AT+CSQ") << QByteArray("AT+CGMI\r") << false;
        QTest::newRow("lower case, blanks") << QByteArray("at + csq") << QByteArray("AT+CSQ\r") << true;
        QTest::newRow("without AT") << QByteArray("+CPIN") << QByteArray("AT+CPIN=\"1234\"\r") << true;
        QTest::newRow("blank in line") << QByteArray("ATE0") << QByteArray("AT E0\r") << true;
        QTest::newRow("second of two") << QByteArray("AT+CSQ") << QByteArray("AT+CGMI;+CSQ\r") << true;
        QTest::newRow("parameter decides") << QByteArray("AT+CMGF=1") << QByteArray("AT+CMGF=0\r") << false;
    }

    void errorFor()
    {
        QFETCH(QByteArray, errorFor);
        QFETCH(QByteArray, line);
        QFETCH(bool, refused);
        Config cfg;
        cfg.errorFor = errorFor;
        Modem m(cfg);
        talk(m, "ATE0\rAT+CMEE=2\r");
        const QByteArray answer = talk(m, line);
        QCOMPARE(answer.endsWith("\r\nERROR\r\n"), refused);
        // The fault is a plain ERROR, not an extended one.
        QVERIFY(!answer.contains("+CME"));
    }

    void timing_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("split");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("timeline"); // "[delay]bytes" for each chunk

        QTest::newRow("no faults") << 0 << 0 << QByteArray("AT\r") << QByteArray("[0]AT\r\r\nOK\r\n");
        // The echo is immediate, the answer slow.
        QTest::newRow("slow answer") << 1500 << 0 << QByteArray("AT\r") << QByteArray("[0]AT\r[1500]\r\nOK\r\n");
        // Each line on its own, each line cut in the middle of its text. (Bytes due at once are
        // handed out together, so the next answer's first piece joins the last one.)
        QTest::newRow("split info") << 0 << 300 << QByteArray("ATE0\rAT+CSQ\r")
                                    << QByteArray("[0]ATE0\r\r\n[300]O[300]K\r\n\r\n[300]+CSQ:[300] 21,99\r\n[300]\r\n[300]O[300]K\r\n");
        QTest::newRow("split prompt") << 0 << 300 << QByteArray("ATE0\rAT+CPIN=\"1234\";+CMGF=1;+CMGS=\"+49170\"\r")
                                      << QByteArray("[0]ATE0\r\r\n[300]O[300]K\r\n\r\n[300]>[300] ");
        QTest::newRow("slow and split") << 1000 << 300 << QByteArray("AT\r") << QByteArray("[0]AT\r[1000]\r\n[300]O[300]K\r\n");
    }

    void timing()
    {
        QFETCH(int, delay);
        QFETCH(int, split);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, timeline);
        Config cfg;
        cfg.answerDelayMs = delay;
        cfg.splitPauseMs = split;
        Modem m(cfg);
        QByteArray got;
        for (const Chunk &c : m.receive(input))
            got += '[' + QByteArray::number(c.delayMs) + ']' + c.bytes;
        QCOMPARE(got, timeline);
    }

    // Before every answer a burst of 3 to 8 bytes that are NUL or have the high bit set.
    void garbage()
    {
        Config cfg;
        cfg.garbage = true;
        Modem m(cfg);
        talk(m, "ATE0\r");
        const QRegularExpression noiseThenOk(R"(^[\x00\x80-\xff]{3,8}\r\nOK\r\n$)");
        for (int i = 0; i < 20; ++i) {
            const QByteArray out = talk(m, "AT\r");
            QVERIFY2(noiseThenOk.match(QString::fromLatin1(out)).hasMatch(), out.toHex().constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
