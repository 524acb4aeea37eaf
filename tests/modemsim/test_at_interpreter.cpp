// Command lines, echo, result codes and the SIM's PIN and PUK.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::talk;

Q_DECLARE_METATYPE(modemsim::SimState)

class TestAtInterpreter : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("setup"); // sent first, its answer ignored
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");

        QTest::newRow("AT, echo off") << QByteArray("ATE0\r") << QByteArray("AT\r") << QByteArray("\r\nOK\r\n");
        // The echo of ATE1 itself is not sent: echo was still off while it came in.
        QTest::newRow("ATE1 not echoed") << QByteArray("ATE0\r") << QByteArray("ATE1\r") << QByteArray("\r\nOK\r\n");
        QTest::newRow("echo back on") << QByteArray("ATE0\rATE1\r") << QByteArray("AT\r") << QByteArray("AT\r\r\nOK\r\n");
        // CR ends the line; an LF after it belongs to nothing and is not echoed.
        QTest::newRow("CR LF, echo") << QByteArray() << QByteArray("AT\r\n") << QByteArray("AT\r\r\nOK\r\n");

        const QByteArray off = "ATE0\r";
        QTest::newRow("CREG before PIN") << off << QByteArray("AT+CREG?\r") << QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n");
        QTest::newRow("COPS no network") << off << QByteArray("AT+COPS?\r") << QByteArray("\r\n+COPS: 0\r\n\r\nOK\r\n");
        // Several commands on one line: information of each, one final result.
        QTest::newRow("two commands") << off << QByteArray("AT+CMGF=1;+CMGF?\r") << QByteArray("\r\n+CMGF: 1\r\n\r\nOK\r\n");
        // Line noise (as after a wrong-speed probe) before AT is skipped.
        QTest::newRow("noise before AT") << off << QByteArray("\xff\x00" "AT\r", 5) << QByteArray("\r\nOK\r\n");
        // Unknown commands get plain ERROR, whatever +CMEE says.
        QTest::newRow("unknown, CMEE=2") << off + "AT+CMEE=2\r" << QByteArray("AT+FOO\r") << QByteArray("\r\nERROR\r\n");
        // The SIM is still locked: phonebook commands fail with +CME, message commands with +CMS.
        QTest::newRow("CME, CMEE=0") << off << QByteArray("AT+CPBR=1\r") << QByteArray("\r\nERROR\r\n");
        QTest::newRow("CME, CMEE=1") << off + "AT+CMEE=1\r" << QByteArray("AT+CPBR=1\r") << QByteArray("\r\n+CME ERROR: 11\r\n");
        QTest::newRow("CMS, CMEE=1") << off + "AT+CMEE=1\r" << QByteArray("AT+CPMS?\r") << QByteArray("\r\n+CMS ERROR: 311\r\n");
        QTest::newRow("wrong PIN, CMEE=1") << off + "AT+CMEE=1\r" << QByteArray("AT+CPIN=\"0000\"\r")
                                           << QByteArray("\r\n+CME ERROR: 16\r\n");
    }

    void answers()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        Modem m;
        talk(m, setup);
        QCOMPARE(talk(m, line), answer);
    }

    // The program's registration, line for line; echo is on at power-up.
    void registrationSession()
    {
        Config cfg;
        cfg.cregSearchQueries = 2;
        Modem m(cfg);
        const QList<QPair<QByteArray, QByteArray>> session = {
            {"AT\r", "AT\r\r\nOK\r\n"},
            {"AT E0\r", "AT E0\r\r\nOK\r\n"},
            {"AT+GMM\r", "\r\nVXM-900\r\n\r\nOK\r\n"},
            {"AT+CGMI\r", "\r\nVarnix\r\n\r\nOK\r\n"},
            {"AT+CMEE=2\r", "\r\nOK\r\n"},
            {"AT+CSQ\r", "\r\n+CSQ: 21,99\r\n\r\nOK\r\n"},
            {"AT+CPIN=\"1234\"\r", "\r\nOK\r\n"},
            {"AT+CMGF=1\r", "\r\nOK\r\n"},
            {"AT+CREG?\r", "\r\n+CREG: 0,2\r\n\r\nOK\r\n"},
            {"AT+CREG?\r", "\r\n+CREG: 0,2\r\n\r\nOK\r\n"},
            {"AT+CREG?\r", "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
            {"AT+COPS?\r", "\r\n+COPS: 0,0,\"Varnix Mobil\"\r\n\r\nOK\r\n"},
            {"AT+CSCA=\"+491722270333\"\r", "\r\nOK\r\n"},
            {"AT+CSCA?\r", "\r\n+CSCA: \"+491722270333\",145\r\n\r\nOK\r\n"},
            // A second run: the SIM is open already.
            {"AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: operation not allowed\r\n"},
            {"AT+CREG?\r", "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
        };
        for (const auto &[line, answer] : session)
            QCOMPARE(talk(m, line), answer);
        QVERIFY(m.textMode());
    }

    // A serial line hands bytes over in whatever pieces it likes.
    void bytesArriveOneByOne()
    {
        Modem whole;
        Modem pieces;
        const QByteArray session = "AT\r\nAT E0\r\nAT+CSQ\r\nAT+CPIN=\"1234\"\r\nAT+CMGF=1;+CMGF?\r\n";
        QByteArray fromPieces;
        for (char c : session)
            fromPieces += talk(pieces, QByteArray(1, c));
        QCOMPARE(fromPieces, talk(whole, session));
        QVERIFY(pieces.textMode());
    }

    void pinSequences_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArray>("lastAnswer");
        QTest::addColumn<SimState>("state");
        QTest::addColumn<int>("pinTries");
        QTest::addColumn<QByteArray>("pin");

        const QByteArray ok = "\r\nOK\r\n";
        const QByteArray wrong = "\r\n+CME ERROR: incorrect password\r\n";
        const QByteArray bad = "AT+CPIN=\"0000\"";
        const QByteArray right = "AT+CPIN=\"1234\"";
        const QByteArray wrongPuk = "AT+CPIN=\"87654321\",\"4321\"";
        const QByteArrayList locked{bad, bad, bad};

        QTest::newRow("wrong once") << QByteArrayList{bad} << wrong << SimState::PinRequired << 2 << QByteArray("1234");
        QTest::newRow("wrong, then right") << QByteArrayList{bad, right} << ok << SimState::Ready << 3 << QByteArray("1234");
        QTest::newRow("wrong thrice locks") << locked << wrong << SimState::PukRequired << 0 << QByteArray("1234");
        QTest::newRow("PUK state reported") << locked + QByteArrayList{"AT+CPIN?"}
                                            << QByteArray("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n") << SimState::PukRequired << 0 << QByteArray("1234");
        QTest::newRow("right PIN too late") << locked + QByteArrayList{right}
                                            << QByteArray("\r\n+CME ERROR: SIM PUK required\r\n") << SimState::PukRequired << 0 << QByteArray("1234");
        QTest::newRow("PUK and new PIN") << locked + QByteArrayList{"AT+CPIN=\"12345678\",\"4321\""}
                                         << ok << SimState::Ready << 3 << QByteArray("4321");
        QTest::newRow("wrong PUK") << locked + QByteArrayList{wrongPuk} << wrong << SimState::PukRequired << 0 << QByteArray("1234");
        QByteArrayList tenWrongPuks = locked;
        for (int i = 0; i < 10; ++i)
            tenWrongPuks << wrongPuk;
        QTest::newRow("ten wrong PUKs block") << tenWrongPuks << wrong << SimState::Blocked << 0 << QByteArray("1234");
        // A malformed PIN never reaches the SIM, so it costs no try.
        QTest::newRow("letters") << QByteArrayList{"AT+CPIN=\"12a4\""} << QByteArray("\r\n+CME ERROR: Incorrect parameters\r\n")
                                 << SimState::PinRequired << 3 << QByteArray("1234");
    }

    void pinSequences()
    {
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArray, lastAnswer);
        QFETCH(SimState, state);
        QFETCH(int, pinTries);
        QFETCH(QByteArray, pin);
        Modem m;
        talk(m, "ATE0\rAT+CMEE=2\r");
        QByteArray answer;
        for (const QByteArray &line : lines)
            answer = talk(m, line + "\r");
        QCOMPARE(answer, lastAnswer);
        QCOMPARE(m.simState(), state);
        QCOMPARE(m.pinTriesLeft(), pinTries);
        QCOMPARE(m.pin(), pin);
    }

    void lockedSimRefuses_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("pinLocked"); // with the PUK asked for, "SIM PIN" reads "SIM PUK"

        const QByteArray cme = "+CME ERROR: SIM PIN required";
        const QByteArray cms = "+CMS ERROR: SIM PIN required";
        QTest::newRow("CPBS") << QByteArray("AT+CPBS=\"SM\"") << cme;
        QTest::newRow("CPBR") << QByteArray("AT+CPBR= 1, 1") << cme;
        QTest::newRow("CPBW") << QByteArray("AT+CPBW=,123,129,A") << cme;
        QTest::newRow("CPMS") << QByteArray("AT+CPMS?") << cms;
        QTest::newRow("CMGR") << QByteArray("AT+CMGR= 1") << cms;
        QTest::newRow("CMGD") << QByteArray("AT+CMGD= 1") << cms;
        QTest::newRow("CMGS") << QByteArray("AT+CMGS=\"+49170\"") << cms;
        QTest::newRow("CSCA") << QByteArray("AT+CSCA=\"+491710760000\"") << cms;
        // What needs no SIM keeps working.
        QTest::newRow("CSQ") << QByteArray("AT+CSQ") << QByteArray("+CSQ: 21,99\r\n\r\nOK");
    }

    void lockedSimRefuses()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, pinLocked);
        Modem m;
        talk(m, "ATE0\rAT+CMEE=2\r");
        QCOMPARE(talk(m, line + "\r"), "\r\n" + pinLocked + "\r\n");
        talk(m, "AT+CPIN=\"9999\"\rAT+CPIN=\"9999\"\rAT+CPIN=\"9999\"\r");
        QCOMPARE(talk(m, line + "\r"), "\r\n" + QByteArray(pinLocked).replace("SIM PIN", "SIM PUK") + "\r\n");
    }

    // Each command in each of its forms, before and after the PIN: a locked SIM refuses what
    // needs it in any form but "=?"; a form a command does not take gets plain ERROR.
    void formsAndSim_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("locked");
        QTest::addColumn<QByteArray>("open");

        const QByteArray error = "ERROR";
        const QByteArray cme = "+CME ERROR: SIM PIN required";
        const QByteArray cms = "+CMS ERROR: SIM PIN required";
        const QByteArray ok = "OK";
        QTest::newRow("CIMI") << QByteArray("AT+CIMI") << cme << QByteArray("262990123456789\r\n\r\nOK");
        QTest::newRow("CIMI=?") << QByteArray("AT+CIMI=?") << ok << ok;
        QTest::newRow("CNUM") << QByteArray("AT+CNUM") << cme
                              << QByteArray("+CNUM: \"\",\"+491701234567\",145\r\n\r\nOK");
        QTest::newRow("dial") << QByteArray("ATD0171;") << cme << QByteArray("+CME ERROR: no network service");
        QTest::newRow("CMGL") << QByteArray("AT+CMGL") << cms << ok;
        QTest::newRow("CMGL?") << QByteArray("AT+CMGL?") << cms << error;
        QTest::newRow("CMGD=?") << QByteArray("AT+CMGD=?") << QByteArray("+CMGD: (),(0-4)\r\n\r\nOK")
                                << QByteArray("+CMGD: (),(0-4)\r\n\r\nOK");
        QTest::newRow("CPMS") << QByteArray("AT+CPMS") << cms << error;
        QTest::newRow("CSCA=?") << QByteArray("AT+CSCA=?") << ok << ok;
        // The phonebook's ranges are the SIM's own.
        QTest::newRow("CPBR=?") << QByteArray("AT+CPBR=?") << cme << QByteArray("+CPBR: (1-250),40,18\r\n\r\nOK");
        QTest::newRow("CPBS=?") << QByteArray("AT+CPBS=?") << QByteArray("+CPBS: (\"SM\",\"ON\")\r\n\r\nOK")
                                << QByteArray("+CPBS: (\"SM\",\"ON\")\r\n\r\nOK");
        QTest::newRow("CPINR") << QByteArray("AT+CPINR")
                               << QByteArray("+CPINR: SIM PIN,3,3\r\n+CPINR: SIM PUK,10,10\r\n\r\nOK")
                               << QByteArray("+CPINR: SIM PIN,3,3\r\n+CPINR: SIM PUK,10,10\r\n\r\nOK");
        QTest::newRow("CMEE=?") << QByteArray("AT+CMEE=?") << QByteArray("+CMEE: (0-2)\r\n\r\nOK")
                                << QByteArray("+CMEE: (0-2)\r\n\r\nOK");
        QTest::newRow("CGATT=?") << QByteArray("AT+CGATT=?") << QByteArray("+CGATT: (0,1)\r\n\r\nOK")
                                 << QByteArray("+CGATT: (0,1)\r\n\r\nOK");
        QTest::newRow("CHUP") << QByteArray("AT+CHUP") << ok << ok;
        QTest::newRow("CSQ?") << QByteArray("AT+CSQ?") << error << error;
        QTest::newRow("CPAS?") << QByteArray("AT+CPAS?") << error << error;
        QTest::newRow("unknown") << QByteArray("AT+CXYZ") << error << error;
    }

    void formsAndSim()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, locked);
        QFETCH(QByteArray, open);
        Config cfg;
        cfg.ownNumber = "+491701234567";
        Modem m(cfg);
        talk(m, "ATE0\rAT+CMEE=2\r");
        QCOMPARE(talk(m, line + "\r"), "\r\n" + locked + "\r\n");
        talk(m, "AT+CPIN=\"1234\"\r");
        QCOMPARE(talk(m, line + "\r"), "\r\n" + open + "\r\n");
    }

    void simWithoutPin()
    {
        Config cfg;
        cfg.pin.clear();
        Modem m(cfg);
        talk(m, "ATE0\r");
        QCOMPARE(talk(m, "AT+CPIN?\r"), QByteArray("\r\n+CPIN: READY\r\n\r\nOK\r\n"));
        QCOMPARE(talk(m, "AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestAtInterpreter)
#include "test_at_interpreter.moc"
