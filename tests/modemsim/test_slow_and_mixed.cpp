// A modem that answers some commands slowly, and one that mixes unsolicited lines into its
// answers: what a reliable host has to cope with.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;

namespace {

QByteArray timeline(const QList<Chunk> &chunks)
{
    QByteArray got;
    for (const Chunk &c : chunks)
        got += '[' + QByteArray::number(c.delayMs) + ']' + c.bytes;
    return got;
}

} // namespace

class TestSlowAndMixed : public QObject {
    Q_OBJECT

private slots:
    void commandDelays_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("timeline");

        // AT+CMGR is slow (800 ms), AT+CSQ a little (100); the echo is at once.
        QTest::newRow("slow command") << QByteArray("AT+CMGR=1\r") << QByteArray("[0]AT+CMGR=1\r[800]\r\nOK\r\n");
        QTest::newRow("other command") << QByteArray("AT+CMGF?\r")
                                       << QByteArray("[0]AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n");
        QTest::newRow("blanks, lower case")
            << QByteArray("at + csq\r") << QByteArray("[0]at + csq\r[100]\r\n+CSQ: 21,99\r\n\r\nOK\r\n");
        // Two slow commands on one line: their delays add up.
        QTest::newRow("both on one line")
            << QByteArray("AT+CSQ;+CMGR=1\r") << QByteArray("[0]AT+CSQ;+CMGR=1\r[900]\r\n+CSQ: 21,99\r\n\r\nOK\r\n");
    }

    void commandDelays()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, timeline);
        Config cfg;
        cfg.pin.clear();
        cfg.commandDelays = {{"AT+CMGR", 800}, {"+csq", 100}};
        Modem m(cfg);
        QCOMPARE(::timeline(m.receive(input)), timeline);
    }

    // Where a mixed line goes: after the first information line, or before the result code.
    void mixedLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");

        QTest::newRow("before OK") << QByteArray("AT\r") << QByteArray("\r\n+X: 1\r\n\r\nOK\r\n");
        QTest::newRow("after the first line")
            << QByteArray("AT+CPINR\r")
            << QByteArray("\r\n+CPINR: SIM PIN,3,3\r\n\r\n+X: 1\r\n+CPINR: SIM PUK,10,10\r\n\r\nOK\r\n");
        QTest::newRow("before the prompt")
            << QByteArray("AT+CMGF=1;+CMGS=\"+49\"\r") << QByteArray("\r\n+X: 1\r\n\r\n> ");
        QTest::newRow("before an error") << QByteArray("AT+FOO\r") << QByteArray("\r\n+X: 1\r\n\r\nERROR\r\n");
    }

    void mixedLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        Config cfg;
        cfg.pin.clear();
        cfg.mixLines = {"+X: 1", "+X: 2"};
        cfg.mixEvery = 2;
        Modem m(cfg);
        QCOMPARE(simtest::talk(m, "ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n")); // answer 1: none
        QCOMPARE(simtest::talk(m, line), answer);                             // answer 2: the first line
        simtest::talk(m, "\x1b");
        simtest::talk(m, "AT\r");
        QCOMPARE(simtest::talk(m, "AT\r"), QByteArray("\r\n+X: 2\r\n\r\nOK\r\n")); // answer 4: the next, in turn
    }
};

QTEST_GUILESS_MAIN(TestSlowAndMixed)
#include "test_slow_and_mixed.moc"
