// Command lines and the exact bytes a 27.007 modem sends back for them.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::talk;

class TestAtInterpreter : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void registrationSession();
    void errorForms_data();
    void errorForms();
    void errorFor_data();
    void errorFor();
    void failedCommandStopsTheLine();
    void bytesArriveOneByOne();
    void survivesRandomLines();
};

void TestAtInterpreter::answers_data()
{
    QTest::addColumn<QByteArray>("setup"); // sent first, its answer ignored
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    // Echo is on at power-up: the command line comes back before the answer.
    QTest::newRow("AT, echo") << QByteArray() << QByteArray("AT\r") << QByteArray("AT\r\r\nOK\r\n");
    QTest::newRow("lower case") << QByteArray() << QByteArray("at\r") << QByteArray("at\r\r\nOK\r\n");
    QTest::newRow("AT E0 with blank") << QByteArray() << QByteArray("AT E0\r") << QByteArray("AT E0\r\r\nOK\r\n");
    QTest::newRow("AT, echo off") << QByteArray("ATE0\r") << QByteArray("AT\r") << QByteArray("\r\nOK\r\n");
    // The echo of ATE1 itself is not sent: echo was still off while it came in.
    QTest::newRow("ATE1 not echoed") << QByteArray("ATE0\r") << QByteArray("ATE1\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("echo back on") << QByteArray("ATE0\rATE1\r") << QByteArray("AT\r") << QByteArray("AT\r\r\nOK\r\n");
    // CR ends the line; an LF after it belongs to nothing and is not echoed.
    QTest::newRow("CR LF, echo") << QByteArray() << QByteArray("AT\r\n") << QByteArray("AT\r\r\nOK\r\n");

    const QByteArray off = "ATE0\r";
    QTest::newRow("GMM") << off << QByteArray("AT+GMM\r") << QByteArray("\r\nVXM-900\r\n\r\nOK\r\n");
    QTest::newRow("CGMM") << off << QByteArray("AT+CGMM\r") << QByteArray("\r\nVXM-900\r\n\r\nOK\r\n");
    QTest::newRow("CGMI") << off << QByteArray("AT+CGMI\r") << QByteArray("\r\nVarnix\r\n\r\nOK\r\n");
    QTest::newRow("CGMR") << off << QByteArray("AT+CGMR\r") << QByteArray("\r\nVXM-900 R01.04\r\n\r\nOK\r\n");
    QTest::newRow("CGSN") << off << QByteArray("AT+CGSN\r") << QByteArray("\r\n356938035643809\r\n\r\nOK\r\n");
    QTest::newRow("ATI") << off << QByteArray("ATI\r")
                         << QByteArray("\r\nVarnix VXM-900\r\nRevision: VXM-900 R01.04\r\n\r\nOK\r\n");
    QTest::newRow("CSQ") << off << QByteArray("AT+CSQ\r") << QByteArray("\r\n+CSQ: 21,99\r\n\r\nOK\r\n");
    QTest::newRow("CSQ test") << off << QByteArray("AT+CSQ=?\r") << QByteArray("\r\n+CSQ: (0-31,99),(0-7,99)\r\n\r\nOK\r\n");
    QTest::newRow("CMEE read") << off << QByteArray("AT+CMEE?\r") << QByteArray("\r\n+CMEE: 0\r\n\r\nOK\r\n");
    QTest::newRow("CMEE=2 read") << off + "AT+CMEE=2\r" << QByteArray("AT+CMEE?\r") << QByteArray("\r\n+CMEE: 2\r\n\r\nOK\r\n");
    QTest::newRow("CMEE=3 refused") << off << QByteArray("AT+CMEE=3\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("CMGF power-up PDU") << off << QByteArray("AT+CMGF?\r") << QByteArray("\r\n+CMGF: 0\r\n\r\nOK\r\n");
    QTest::newRow("CMGF=1") << off + "AT+CMGF=1\r" << QByteArray("AT+CMGF?\r") << QByteArray("\r\n+CMGF: 1\r\n\r\nOK\r\n");
    QTest::newRow("CMGF test") << off << QByteArray("AT+CMGF=?\r") << QByteArray("\r\n+CMGF: (0,1)\r\n\r\nOK\r\n");
    QTest::newRow("CPIN locked") << off << QByteArray("AT+CPIN?\r") << QByteArray("\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n");
    QTest::newRow("CREG locked") << off << QByteArray("AT+CREG?\r") << QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n");
    QTest::newRow("COPS no network") << off << QByteArray("AT+COPS?\r") << QByteArray("\r\n+COPS: 0\r\n\r\nOK\r\n");
    QTest::newRow("S3 read") << off << QByteArray("ATS3?\r") << QByteArray("\r\n013\r\n\r\nOK\r\n");

    // Several commands on one line: information of each, one final result.
    QTest::newRow("two commands") << off << QByteArray("AT+CMGF=1;+CMGF?\r") << QByteArray("\r\n+CMGF: 1\r\n\r\nOK\r\n");
    QTest::newRow("two infos") << off << QByteArray("AT+CGMI;+CGMM\r")
                               << QByteArray("\r\nVarnix\r\n\r\nVXM-900\r\n\r\nOK\r\n");
    QTest::newRow("basic commands run together") << off << QByteArray("ATE0V1Q0\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("blanks everywhere") << off << QByteArray("AT + CMGF = 1 ; + CMGF ?\r")
                                       << QByteArray("\r\n+CMGF: 1\r\n\r\nOK\r\n");

    // Line framing.
    QTest::newRow("noise before AT ignored") << off << QByteArray("\xff\x00" "AT\r", 5) << QByteArray("\r\nOK\r\n");
    QTest::newRow("line without AT") << off << QByteArray("hello\r") << QByteArray();
    QTest::newRow("empty line") << off << QByteArray("\r") << QByteArray();
    QTest::newRow("backspace edits") << off << QByteArray("AT+CSX\bQ\r") << QByteArray("\r\n+CSQ: 21,99\r\n\r\nOK\r\n");
    QTest::newRow("A/ repeats") << off + "AT+CSQ\r" << QByteArray("A/") << QByteArray("\r\n+CSQ: 21,99\r\n\r\nOK\r\n");
    QTest::newRow("overlong line") << off << QByteArray("AT") + QByteArray(2000, 'A') + "\r" << QByteArray("\r\nERROR\r\n");

    // Unknown commands and syntax errors get plain ERROR, whatever +CMEE says.
    QTest::newRow("unknown") << off << QByteArray("AT+FOO\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("unknown, CMEE=2") << off + "AT+CMEE=2\r" << QByteArray("AT+FOO\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("junk after command") << off << QByteArray("AT+CSQ?x\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("unknown basic") << off << QByteArray("ATY\r") << QByteArray("\r\nERROR\r\n");

    // Numeric and quiet result codes.
    QTest::newRow("V0 OK") << off << QByteArray("ATV0\r") << QByteArray("0\r");
    QTest::newRow("V0 info") << off + "ATV0\r" << QByteArray("AT+CSQ\r") << QByteArray("+CSQ: 21,99\r\n0\r");
    QTest::newRow("V0 ERROR") << off + "ATV0\r" << QByteArray("AT+FOO\r") << QByteArray("4\r");
    QTest::newRow("Q1 no result") << off << QByteArray("ATQ1\r") << QByteArray();
    QTest::newRow("Q1 info kept") << off + "ATQ1\r" << QByteArray("AT+CSQ\r") << QByteArray("\r\n+CSQ: 21,99\r\n");
    QTest::newRow("ATZ restores echo") << off + "ATZ\r" << QByteArray("AT\r") << QByteArray("AT\r\r\nOK\r\n");
}

void TestAtInterpreter::answers()
{
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Modem m;
    talk(m, setup);
    QCOMPARE(talk(m, line), answer);
}

// The registration sequence of the program, line for line as it sends them.
void TestAtInterpreter::registrationSession()
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
    QVERIFY(m.registered());
}

void TestAtInterpreter::errorForms_data()
{
    QTest::addColumn<int>("cmee");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    // The SIM is still locked: phonebook commands fail with +CME, message commands with +CMS.
    QTest::newRow("CME 0") << 0 << QByteArray("AT+CPBR=1\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("CME 1") << 1 << QByteArray("AT+CPBR=1\r") << QByteArray("\r\n+CME ERROR: 11\r\n");
    QTest::newRow("CME 2") << 2 << QByteArray("AT+CPBR=1\r") << QByteArray("\r\n+CME ERROR: SIM PIN required\r\n");
    QTest::newRow("CMS 0") << 0 << QByteArray("AT+CPMS?\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("CMS 1") << 1 << QByteArray("AT+CPMS?\r") << QByteArray("\r\n+CMS ERROR: 311\r\n");
    QTest::newRow("CMS 2") << 2 << QByteArray("AT+CPMS?\r") << QByteArray("\r\n+CMS ERROR: SIM PIN required\r\n");
    QTest::newRow("IMSI 1") << 1 << QByteArray("AT+CIMI\r") << QByteArray("\r\n+CME ERROR: 11\r\n");
    QTest::newRow("CMGS 2") << 2 << QByteArray("AT+CMGS=\"+4917012345\"\r") << QByteArray("\r\n+CMS ERROR: SIM PIN required\r\n");
    QTest::newRow("CSCA 1") << 1 << QByteArray("AT+CSCA?\r") << QByteArray("\r\n+CMS ERROR: 311\r\n");
    QTest::newRow("wrong PIN 2") << 2 << QByteArray("AT+CPIN=\"0000\"\r") << QByteArray("\r\n+CME ERROR: incorrect password\r\n");
    QTest::newRow("wrong PIN 1") << 1 << QByteArray("AT+CPIN=\"0000\"\r") << QByteArray("\r\n+CME ERROR: 16\r\n");
}

void TestAtInterpreter::errorForms()
{
    QFETCH(int, cmee);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Modem m;
    talk(m, "ATE0\r");
    QCOMPARE(talk(m, "AT+CMEE=" + QByteArray::number(cmee) + "\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(talk(m, line), answer);
}

void TestAtInterpreter::errorFor_data()
{
    QTest::addColumn<QByteArray>("errorFor");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("refused");

    QTest::newRow("exact") << QByteArray("AT+CSQ") << QByteArray("AT+CSQ\r") << true;
    QTest::newRow("test form too") << QByteArray("AT+CSQ") << QByteArray("AT+CSQ=?\r") << true;
    QTest::newRow("other command") << QByteArray("AT+CSQ") << QByteArray("AT+CGMI\r") << false;
    QTest::newRow("lower case, blanks") << QByteArray("at + csq") << QByteArray("AT+CSQ\r") << true;
    QTest::newRow("without AT") << QByteArray("+CPIN") << QByteArray("AT+CPIN=\"1234\"\r") << true;
    QTest::newRow("blank in line") << QByteArray("ATE0") << QByteArray("AT E0\r") << true;
    QTest::newRow("second of two") << QByteArray("AT+CSQ") << QByteArray("AT+CGMI;+CSQ\r") << true;
    QTest::newRow("parameter decides") << QByteArray("AT+CMGF=1") << QByteArray("AT+CMGF=0\r") << false;
    QTest::newRow("prefix of name") << QByteArray("AT+CMG") << QByteArray("AT+CMGF=1\r") << true;
}

void TestAtInterpreter::errorFor()
{
    QFETCH(QByteArray, errorFor);
    QFETCH(QByteArray, line);
    QFETCH(bool, refused);
    Config cfg;
    cfg.errorFor = errorFor;
    Modem m(cfg);
    talk(m, "ATE0\r");
    talk(m, "AT+CMEE=2\r");
    const QByteArray answer = talk(m, line);
    QCOMPARE(answer.endsWith("\r\nERROR\r\n"), refused);
    // The fault is a plain ERROR, not an extended one.
    QVERIFY(!answer.contains("+CME"));
}

void TestAtInterpreter::failedCommandStopsTheLine()
{
    Modem m;
    talk(m, "ATE0\r");
    QCOMPARE(talk(m, "AT+CMGF=1;+FOO;+CMGF=0\r"), QByteArray("\r\nERROR\r\n"));
    QVERIFY(m.textMode()); // the first ran, the third did not
}

// A serial line hands bytes over in whatever pieces it likes.
void TestAtInterpreter::bytesArriveOneByOne()
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

// Whatever arrives on the line, the modem keeps answering and keeps its state in bounds.
void TestAtInterpreter::survivesRandomLines()
{
    static const QByteArrayList pieces = {
        "AT", "at", "+CMGR=", "+CMGS=", "+CPBW=", "+CPBR=", "+CPIN=", "+CMGD=", "+CPMS", "+CMGL=",
        "+CSCS=\"UCS2\"", "+CMGF=0", "+CMGF=1", "E0", "V0", "Q1", "Z", "S3=", "A/", "?", "=?",
        ",", ";", "\"", " ", "1", "250", "999999999999", "-1", "\"+49170\"", "ALL", "\r", "\n",
        "\x1a", "\x1b", "\b", "\xff", QByteArray(1, '\0'), "0011000B916407281553F80000AA0AE8",
    };
    QRandomGenerator random(4711);
    Config cfg;
    cfg.pin.clear();
    cfg.storageSize = 5;
    cfg.phonebookSize = 5;
    Modem m(cfg);
    for (int i = 0; i < 20000; ++i) {
        QByteArray in;
        const int n = int(random.bounded(1, 12));
        for (int k = 0; k < n; ++k)
            in += pieces[int(random.bounded(pieces.size()))];
        if (random.bounded(50) == 0)
            m.injectSms({"REC UNREAD", "+49170", "24/05/01,12:00:00+08", in});
        const QByteArray out = talk(m, in);
        QVERIFY(out.size() < 64 * 1024);
    }
    QVERIFY(m.storageUsed() <= 5);
    QVERIFY(m.phonebookUsed("SM") <= 5);
    // Still a modem: out of any state, ESC and a fresh line get an answer.
    talk(m, "\x1b\rATZ\r");
    QCOMPARE(talk(m, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
}

QTEST_GUILESS_MAIN(TestAtInterpreter)
#include "test_at_interpreter.moc"
