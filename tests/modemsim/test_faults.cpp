// Line speed and the fault modes: garbled bytes, silence, split and slow answers, noise.

#include "SimTest.h"
#include "core/Uart.h"

#include <QtTest>

using namespace modemsim;
using simtest::joined;
using simtest::talk;

namespace {

// "[delay]bytes" for each chunk, to compare the timing of an answer as one text.
QByteArray timeline(const QList<Chunk> &chunks)
{
    QByteArray out;
    for (const Chunk &c : chunks)
        out += '[' + QByteArray::number(c.delayMs) + ']' + c.bytes;
    return out;
}

bool isNoise(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (c != 0 && quint8(c) < 0x80)
            return false;
    }
    return true;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void garbleBits_data();
    void garbleBits();
    void garbleKeepsEqualSpeeds();
    void baudScan_data();
    void baudScan();
    void wrongSpeedChangesNothing();
    void autobaud();
    void speedChangeByIpr();
    void silent();
    void timing_data();
    void timing();
    void splitKeepsTheBytes();
    void garbage();
    void unsolicitedLines();
};

void TestFaults::garbleBits_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("sendBaud");
    QTest::addColumn<int>("receiveBaud");
    QTest::addColumn<QByteArray>("received");

    // 0x00 is nine bit times low. A receiver at double speed sees a long low frame (0x00 with
    // a framing error); at half speed its fourth data bit already falls on the stop bit.
    QTest::newRow("00 read twice as fast") << QByteArray(1, '\0') << 9600 << 19200 << QByteArray(1, '\0');
    QTest::newRow("00 read half as fast") << QByteArray(1, '\0') << 9600 << 4800 << QByteArray("\xF8");
    // 0xFF is only its start bit low: read twice as fast, data bit 0 still falls into it.
    QTest::newRow("FF read twice as fast") << QByteArray("\xFF") << 9600 << 19200 << QByteArray("\xFE");
    QTest::newRow("nothing") << QByteArray() << 9600 << 19200 << QByteArray();
}

void TestFaults::garbleBits()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, sendBaud);
    QFETCH(int, receiveBaud);
    QFETCH(QByteArray, received);
    QCOMPARE(garble(sent, sendBaud, receiveBaud), received);
}

void TestFaults::garbleKeepsEqualSpeeds()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    QCOMPARE(garble(all, 9600, 9600), all);
    QCOMPARE(garble(all, 0, 9600), all); // unknown speed: nothing to garble
    QVERIFY(garble(all, 9600, 19200) != all);
    QVERIFY(garble(all, 115200, 9600) != all);
}

// The speeds the program's baud-rate scan tries, against a modem at 9600.
void TestFaults::baudScan_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("answers");
    for (int speed : {56000, 38400, 28800, 19200, 14400, 9600, 4800, 2400, 1200, 600, 300, 110})
        QTest::newRow(QByteArray::number(speed).constData()) << speed << (speed == 9600);
}

void TestFaults::baudScan()
{
    QFETCH(int, speed);
    QFETCH(bool, answers);
    Modem m;
    m.setHostBaud(speed);
    const QByteArray out = talk(m, "AT\r");
    QCOMPARE(out == "AT\r\r\nOK\r\n", answers);
    QCOMPARE(out.contains("OK"), answers);
    // What comes back at a wrong speed is the echo as the host mishears it, never an answer.
    if (!answers)
        QCOMPARE(out, garble(garble("AT\r", speed, 9600), 9600, speed));
}

void TestFaults::wrongSpeedChangesNothing()
{
    Modem m;
    talk(m, "AT");        // half a line at the right speed ...
    m.setHostBaud(19200);
    talk(m, "E0\r");      // ... the rest at the wrong one
    talk(m, "ATE0\r");
    QVERIFY(m.echo());
    m.setHostBaud(9600);
    QCOMPARE(talk(m, "\r"), QByteArray("\r")); // the half line is lost, not completed
    QCOMPARE(talk(m, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    // Unsolicited lines are garbled too.
    m.setHostBaud(38400);
    QVERIFY(!joined(m.unsolicited("RING")).contains("RING"));
}

void TestFaults::autobaud()
{
    Config cfg;
    cfg.baud = 0;
    Modem m(cfg);
    for (int speed : {2400, 9600, 115200}) {
        m.setHostBaud(speed);
        QCOMPARE(talk(m, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }
}

// AT+IPR: the OK still comes at the old speed, everything after at the new one.
void TestFaults::speedChangeByIpr()
{
    Modem m;
    talk(m, "ATE0\r");
    QCOMPARE(talk(m, "AT+IPR=19200\r"), QByteArray("\r\nOK\r\n"));
    QVERIFY(talk(m, "AT\r").isEmpty()); // echo off, and the modem does not understand
    m.setHostBaud(19200);
    QCOMPARE(talk(m, "AT+IPR?\r"), QByteArray("\r\n+IPR: 19200\r\n\r\nOK\r\n"));
}

void TestFaults::silent()
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

void TestFaults::timing_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("split");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("timeline");

    QTest::newRow("no faults") << 0 << 0 << QByteArray("AT\r") << QByteArray("[0]AT\r\r\nOK\r\n");
    // The echo is immediate, the answer slow.
    QTest::newRow("slow answer") << 1500 << 0 << QByteArray("AT\r") << QByteArray("[0]AT\r[1500]\r\nOK\r\n");
    QTest::newRow("slow, echo off") << 1500 << 0 << QByteArray("ATE0\r") << QByteArray("[0]ATE0\r[1500]\r\nOK\r\n");
    // Each line on its own, each line cut in the middle of its text. (Bytes due at once are
    // handed out together, so the next answer's first piece joins the last one.)
    QTest::newRow("split OK") << 0 << 300 << QByteArray("AT\r") << QByteArray("[0]AT\r\r\n[300]O[300]K\r\n");
    QTest::newRow("split info") << 0 << 300 << QByteArray("ATE0\rAT+CSQ\r")
                                << QByteArray("[0]ATE0\r\r\n[300]O[300]K\r\n\r\n[300]+CSQ:[300] 21,99\r\n[300]\r\n[300]O[300]K\r\n");
    QTest::newRow("split prompt") << 0 << 300 << QByteArray("ATE0\rAT+CPIN=\"1234\";+CMGF=1;+CMGS=\"+49170\"\r")
                                  << QByteArray("[0]ATE0\r\r\n[300]O[300]K\r\n\r\n[300]>[300] ");
    QTest::newRow("slow and split") << 1000 << 300 << QByteArray("AT\r") << QByteArray("[0]AT\r[1000]\r\n[300]O[300]K\r\n");
}

void TestFaults::timing()
{
    QFETCH(int, delay);
    QFETCH(int, split);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, timeline);
    Config cfg;
    cfg.answerDelayMs = delay;
    cfg.splitPauseMs = split;
    Modem m(cfg);
    QCOMPARE(::timeline(m.receive(input)), timeline);
}

void TestFaults::splitKeepsTheBytes()
{
    Config cfg;
    cfg.splitPauseMs = 50;
    Modem split(cfg);
    Modem whole;
    for (Modem *m : {&split, &whole}) {
        m->writePhoneEntry("SM", {"+4917012345", 145, "Anna"}, 1);
        m->storeSms({"REC UNREAD", "+4917012345", "24/05/01,12:00:00+08", "zwei\r\nZeilen"}, 1);
    }
    const QByteArray session = "ATE0\rAT+CMEE=2\rAT+CPIN=\"1234\"\rAT+CMGF=1\rAT+CMGR=1\rAT+CPBR=1,5\rAT+CPMS?\rAT+FOO\r";
    QCOMPARE(joined(split.receive(session)), joined(whole.receive(session)));
}

void TestFaults::garbage()
{
    Config cfg;
    cfg.garbage = true;
    Modem m(cfg);
    talk(m, "ATE0\r");
    for (int i = 0; i < 20; ++i) {
        const QList<Chunk> chunks = m.receive("AT\r");
        const QByteArray out = joined(chunks);
        QVERIFY(out.endsWith("\r\nOK\r\n"));
        const QByteArray noise = out.chopped(6);
        QVERIFY2(noise.size() >= 3 && noise.size() <= 8, noise.toHex().constData());
        QVERIFY2(isNoise(noise), noise.toHex().constData());
    }
}

void TestFaults::unsolicitedLines()
{
    Modem m;
    QCOMPARE(joined(m.unsolicited("RING")), QByteArray("\r\nRING\r\n"));
    talk(m, "ATV0\r");
    QCOMPARE(joined(m.unsolicited("RING")), QByteArray("RING\r\n"));
}

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
