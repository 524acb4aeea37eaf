// The SIM's PIN and PUK, and what a locked SIM lets through.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::talk;

Q_DECLARE_METATYPE(modemsim::SimState)

class TestSimPin : public QObject {
    Q_OBJECT

private slots:
    void pinSequences_data();
    void pinSequences();
    void lockedSimRefuses_data();
    void lockedSimRefuses();
    void registrationStartsWithThePin();
    void simWithoutPin();
};

void TestSimPin::pinSequences_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("lastAnswer");
    QTest::addColumn<SimState>("state");
    QTest::addColumn<int>("pinTries");
    QTest::addColumn<QByteArray>("pin");

    const QByteArray ok = "\r\nOK\r\n";
    const QByteArray wrong = "\r\n+CME ERROR: incorrect password\r\n";
    const QByteArray bad = "AT+CPIN=\"0000\"";

    QTest::newRow("right PIN") << QByteArrayList{"AT+CPIN=\"1234\""} << ok << SimState::Ready << 3 << QByteArray("1234");
    QTest::newRow("unquoted PIN") << QByteArrayList{"AT+CPIN=1234"} << ok << SimState::Ready << 3 << QByteArray("1234");
    QTest::newRow("wrong once") << QByteArrayList{bad} << wrong << SimState::PinRequired << 2 << QByteArray("1234");
    QTest::newRow("wrong, then right") << QByteArrayList{bad, "AT+CPIN=\"1234\""} << ok << SimState::Ready << 3 << QByteArray("1234");
    QTest::newRow("wrong twice") << QByteArrayList{bad, bad} << wrong << SimState::PinRequired << 1 << QByteArray("1234");
    QTest::newRow("wrong thrice locks") << QByteArrayList{bad, bad, bad} << wrong << SimState::PukRequired << 0 << QByteArray("1234");
    QTest::newRow("PUK state reported") << QByteArrayList{bad, bad, bad, "AT+CPIN?"}
                                        << QByteArray("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n") << SimState::PukRequired << 0 << QByteArray("1234");
    QTest::newRow("right PIN too late") << QByteArrayList{bad, bad, bad, "AT+CPIN=\"1234\""}
                                        << QByteArray("\r\n+CME ERROR: SIM PUK required\r\n") << SimState::PukRequired << 0 << QByteArray("1234");
    QTest::newRow("PUK and new PIN") << QByteArrayList{bad, bad, bad, "AT+CPIN=\"12345678\",\"4321\""}
                                     << ok << SimState::Ready << 3 << QByteArray("4321");
    QTest::newRow("wrong PUK") << QByteArrayList{bad, bad, bad, "AT+CPIN=\"87654321\",\"4321\""}
                               << wrong << SimState::PukRequired << 0 << QByteArray("1234");
    QByteArrayList tenWrongPuks{bad, bad, bad};
    for (int i = 0; i < 10; ++i)
        tenWrongPuks << "AT+CPIN=\"87654321\",\"4321\"";
    QTest::newRow("ten wrong PUKs block") << tenWrongPuks << wrong << SimState::Blocked << 0 << QByteArray("1234");
    QTest::newRow("blocked SIM") << (tenWrongPuks << "AT+CPIN?") << QByteArray("\r\n+CME ERROR: SIM failure\r\n")
                                 << SimState::Blocked << 0 << QByteArray("1234");
    // A malformed PIN never reaches the SIM, so it costs no try.
    QTest::newRow("letters") << QByteArrayList{"AT+CPIN=\"12a4\""} << QByteArray("\r\n+CME ERROR: Incorrect parameters\r\n")
                             << SimState::PinRequired << 3 << QByteArray("1234");
    QTest::newRow("too short") << QByteArrayList{"AT+CPIN=\"12\""} << QByteArray("\r\n+CME ERROR: Incorrect parameters\r\n")
                               << SimState::PinRequired << 3 << QByteArray("1234");
    QTest::newRow("already open") << QByteArrayList{"AT+CPIN=\"1234\"", "AT+CPIN=\"1234\""}
                                  << QByteArray("\r\n+CME ERROR: operation not allowed\r\n") << SimState::Ready << 3 << QByteArray("1234");
    QTest::newRow("new PIN works") << QByteArrayList{bad, bad, bad, "AT+CPIN=\"12345678\",\"4321\"", "AT+CPIN?"}
                                   << QByteArray("\r\n+CPIN: READY\r\n\r\nOK\r\n") << SimState::Ready << 3 << QByteArray("4321");
}

void TestSimPin::pinSequences()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, lastAnswer);
    QFETCH(SimState, state);
    QFETCH(int, pinTries);
    QFETCH(QByteArray, pin);
    Modem m;
    talk(m, "ATE0\r");
    talk(m, "AT+CMEE=2\r");
    QByteArray answer;
    for (const QByteArray &line : lines)
        answer = talk(m, line + "\r");
    QCOMPARE(answer, lastAnswer);
    QCOMPARE(m.simState(), state);
    QCOMPARE(m.pinTriesLeft(), pinTries);
    QCOMPARE(m.pin(), pin);
}

void TestSimPin::lockedSimRefuses_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("pinLocked");
    QTest::addColumn<QByteArray>("pukLocked");

    QTest::newRow("CPBS") << QByteArray("AT+CPBS=\"SM\"") << QByteArray("+CME ERROR: SIM PIN required") << QByteArray("+CME ERROR: SIM PUK required");
    QTest::newRow("CPBR") << QByteArray("AT+CPBR= 1, 1") << QByteArray("+CME ERROR: SIM PIN required") << QByteArray("+CME ERROR: SIM PUK required");
    QTest::newRow("CPBW") << QByteArray("AT+CPBW=,123,129,A") << QByteArray("+CME ERROR: SIM PIN required") << QByteArray("+CME ERROR: SIM PUK required");
    QTest::newRow("CPMS") << QByteArray("AT+CPMS?") << QByteArray("+CMS ERROR: SIM PIN required") << QByteArray("+CMS ERROR: SIM PUK required");
    QTest::newRow("CMGR") << QByteArray("AT+CMGR= 1") << QByteArray("+CMS ERROR: SIM PIN required") << QByteArray("+CMS ERROR: SIM PUK required");
    QTest::newRow("CMGD") << QByteArray("AT+CMGD= 1") << QByteArray("+CMS ERROR: SIM PIN required") << QByteArray("+CMS ERROR: SIM PUK required");
    QTest::newRow("CMGS") << QByteArray("AT+CMGS=\"+49170\"") << QByteArray("+CMS ERROR: SIM PIN required") << QByteArray("+CMS ERROR: SIM PUK required");
    QTest::newRow("CSCA") << QByteArray("AT+CSCA=\"+491710760000\"") << QByteArray("+CMS ERROR: SIM PIN required") << QByteArray("+CMS ERROR: SIM PUK required");
    // What needs no SIM keeps working.
    QTest::newRow("CSQ") << QByteArray("AT+CSQ") << QByteArray("+CSQ: 21,99\r\n\r\nOK") << QByteArray("+CSQ: 21,99\r\n\r\nOK");
    QTest::newRow("CMGF") << QByteArray("AT+CMGF=1") << QByteArray("OK") << QByteArray("OK");
    QTest::newRow("GMM") << QByteArray("AT+GMM") << QByteArray("VXM-900\r\n\r\nOK") << QByteArray("VXM-900\r\n\r\nOK");
}

void TestSimPin::lockedSimRefuses()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, pinLocked);
    QFETCH(QByteArray, pukLocked);
    Modem m;
    talk(m, "ATE0\r");
    talk(m, "AT+CMEE=2\r");
    QCOMPARE(talk(m, line + "\r"), "\r\n" + pinLocked + "\r\n");
    for (int i = 0; i < 3; ++i)
        talk(m, "AT+CPIN=\"9999\"\r");
    QCOMPARE(talk(m, line + "\r"), "\r\n" + pukLocked + "\r\n");
}

void TestSimPin::registrationStartsWithThePin()
{
    Config cfg;
    cfg.cregSearchQueries = 1;
    Modem m(cfg);
    talk(m, "ATE0\r");
    // Without the PIN the modem does not even search.
    QCOMPARE(talk(m, "AT+CREG?\r"), QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+CREG?\r"), QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n"));
    talk(m, "AT+CPIN=\"1234\"\r");
    QCOMPARE(talk(m, "AT+CREG?\r"), QByteArray("\r\n+CREG: 0,2\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+COPS?\r"), QByteArray("\r\n+COPS: 0\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+CREG?\r"), QByteArray("\r\n+CREG: 0,1\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+COPS?\r"), QByteArray("\r\n+COPS: 0,0,\"Varnix Mobil\"\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+CREG=2;+CREG?\r"), QByteArray("\r\n+CREG: 2,1,\"1A2B\",\"3C4D\"\r\n\r\nOK\r\n"));
}

void TestSimPin::simWithoutPin()
{
    Config cfg;
    cfg.pin.clear();
    Modem m(cfg);
    talk(m, "ATE0\r");
    QCOMPARE(talk(m, "AT+CPIN?\r"), QByteArray("\r\n+CPIN: READY\r\n\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n"));
}

QTEST_GUILESS_MAIN(TestSimPin)
#include "test_sim_pin.moc"
