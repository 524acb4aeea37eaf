#include "modem/ModemAnswers.h"

#include <QTest>

// Answers are written as the terminal hands them over: every line end CR LF.
class TestModemAnswers : public QObject {
    Q_OBJECT
private slots:
    void gmm_data();
    void gmm();
    void csq_data();
    void csq();
    void creg_data();
    void creg();
    void cops_data();
    void cops();
    void cpbr_data();
    void cpbr();
};

void TestModemAnswers::gmm_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("model");
    QTest::newRow("siemens") << "\r\nMC35i\r\n\r\nOK\r\n" << "MC35i";
    QTest::newRow("no line end after OK") << "\r\nTC35\r\n\r\nOK" << "TC35";
    QTest::newRow("two info lines") << "\r\nSIEMENS\r\nMC35i\r\n\r\nOK\r\n" << "SIEMENS\r\nMC35i";
    QTest::newRow("OK inside the name") << "\r\nNOKIA 30\r\n\r\nOK\r\n" << "NOKIA 30";
    QTest::newRow("name starting with OK") << "\r\nOKI 7020\r\n\r\nOK\r\n" << "OKI 7020";
    QTest::newRow("echo still on") << "AT+GMM\r\n\r\nMC35i\r\n\r\nOK\r\n" << "+GMM\r\n\r\nMC35i";
    QTest::newRow("extra blank line") << "\r\n\r\nMC35i\r\n\r\nOK\r\n" << "\r\nMC35i";
    QTest::newRow("only OK") << "\r\nOK\r\n" << "";
    QTest::newRow("OK at position 5") << "\r\n\r\nOK\r\n" << "";
    QTest::newRow("one char before") << "x\r\n\r\nOK\r\n" << "x";
    QTest::newRow("error") << "\r\n+CME ERROR: operation not supported\r\n" << "";
    QTest::newRow("OK never a line") << "\r\nOKAY\r\n" << "";
    QTest::newRow("empty") << "" << "";
}

void TestModemAnswers::gmm()
{
    QFETCH(QString, answer);
    QFETCH(QString, model);
    QCOMPARE(GmmModelName(answer), model);
}

void TestModemAnswers::csq_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("value");
    QTest::newRow("two digits") << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n" << "21";
    QTest::newRow("one digit keeps blank") << "\r\n+CSQ: 7,99\r\n\r\nOK\r\n" << " 7";
    QTest::newRow("unknown 99") << "\r\n+CSQ: 99,99\r\n\r\nOK\r\n" << "99";
    QTest::newRow("echo still on") << "AT+CSQ\r\n\r\n+CSQ: 15,0\r\n\r\nOK\r\n" << "15";
    QTest::newRow("no comma") << "\r\n+CSQ: 21\r\n\r\nOK\r\n" << "";
    QTest::newRow("error") << "\r\nERROR\r\n" << "";
    QTest::newRow("comma at position 2") << "5,99" << "";
    QTest::newRow("comma at position 3") << "15,99" << "15";
    QTest::newRow("empty") << "" << "";
}

void TestModemAnswers::csq()
{
    QFETCH(QString, answer);
    QFETCH(QString, value);
    QCOMPARE(CsqSignalValue(answer), value);
}

void TestModemAnswers::creg_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("caption");
    QTest::newRow("home") << "\r\n+CREG: 0,1\r\n\r\nOK\r\n" << 1 << "angemeldet";
    QTest::newRow("searching") << "\r\n+CREG: 0,2\r\n\r\nOK\r\n" << 2 << "Anmeldung wird versucht";
    QTest::newRow("denied") << "\r\n+CREG: 0,3\r\n\r\nOK\r\n" << 3 << "abgelehnt";
    QTest::newRow("unknown") << "\r\n+CREG: 0,4\r\n\r\nOK\r\n" << 4 << "Anmeldung nicht korrekt";
    QTest::newRow("roaming") << "\r\n+CREG: 0,5\r\n\r\nOK\r\n" << 5 << "roaming";
    QTest::newRow("not searching") << "\r\n+CREG: 0,0\r\n\r\nOK\r\n" << 0 << "Anmeldung nicht korrekt";
    QTest::newRow("with cell info") << "\r\n+CREG: 2,1,\"00C3\",\"1A2B\"\r\n\r\nOK\r\n" << 1 << "angemeldet";
    QTest::newRow("echo still on") << "AT+CREG?\r\n\r\n+CREG: 0,5\r\n\r\nOK\r\n" << 5 << "roaming";
    QTest::newRow("no comma") << "\r\n+CREG: 1\r\n\r\nOK\r\n" << 0 << "Anmeldung nicht korrekt";
    QTest::newRow("no comma, digit first") << "1" << 1 << "angemeldet";
    QTest::newRow("blank after comma") << "\r\n+CREG: 0, 1\r\n" << 0 << "Anmeldung nicht korrekt";
    QTest::newRow("comma at the end") << "+CREG: 0," << 0 << "Anmeldung nicht korrekt";
    QTest::newRow("pin error") << "\r\n+CME ERROR: SIM PIN required\r\n" << 0 << "Anmeldung nicht korrekt";
    QTest::newRow("empty") << "" << 0 << "Anmeldung nicht korrekt";
}

void TestModemAnswers::creg()
{
    QFETCH(QString, answer);
    QFETCH(int, state);
    QFETCH(QString, caption);
    QCOMPARE(CregState(answer), state);
    QCOMPARE(CregCaption(CregState(answer)), caption);
}

void TestModemAnswers::cops_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("name");
    QTest::newRow("long name") << "\r\n+COPS: 0,0,\"T-Mobile D\"\r\n\r\nOK\r\n" << "T-Mobile D";
    QTest::newRow("comma inside name") << "\r\n+COPS: 0,0,\"o2 - de, Test\"\r\n\r\nOK\r\n" << "o2 - de, Test";
    QTest::newRow("empty name") << "\r\n+COPS: 0,0,\"\"\r\n\r\nOK\r\n" << "";
    QTest::newRow("echo still on") << "AT+COPS?\r\n\r\n+COPS: 0,0,\"E-Plus\"\r\n\r\nOK\r\n" << "E-Plus";
    QTest::newRow("no operator") << "\r\n+COPS: 0\r\n\r\nOK\r\n" << "Kein Netzbetreiber";
    QTest::newRow("error text") << "\r\n+CME ERROR: no network service\r\n" << "Kein Netzbetreiber";
    QTest::newRow("empty") << "" << "Kein Netzbetreiber";
    QTest::newRow("one quote: rest after it") << "\r\n+COPS: 0,0,\"Vodafone.de\r\n\r\nOK\r\n"
                                              << "Vodafone.de\r\n\r\nOK\r\n";
    QTest::newRow("no quotes: whole answer") << "\r\n+COPS: 0,2,26202\r\n\r\nOK\r\n"
                                             << "\r\n+COPS: 0,2,26202\r\n\r\nOK\r\n";
}

void TestModemAnswers::cops()
{
    QFETCH(QString, answer);
    QFETCH(QString, name);
    QCOMPARE(CopsOperatorName(answer), name);
}

void TestModemAnswers::cpbr_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("number");
    QTest::newRow("13 chars, piece ends quote comma")
        << "\r\n+CPBR: 1,\"+491711234567\",145,\"Eigene\"\r\n\r\nOK\r\n" << "+491711234567";
    QTest::newRow("14 chars, piece ends in quote")
        << "\r\n+CPBR: 1,\"+4917112345678\",145,\"Eigene\"\r\n\r\nOK\r\n" << "+4917112345678";
    QTest::newRow("15 chars") << "\r\n+CPBR: 1,\"+49171123456789\",145,\"\"\r\n\r\nOK\r\n" << "+49171123456789";
    QTest::newRow("16 chars cut to 15") << "\r\n+CPBR: 1,\"+491711234567890\",145,\"\"\r\n" << "+49171123456789";
    QTest::newRow("national short") << "\r\n+CPBR: 1,\"0171123\",129,\"Ich\"\r\n\r\nOK\r\n" << "0171123";
    QTest::newRow("number only") << "\r\n+CPBR: 1,\"0171\"" << "0171";
    QTest::newRow("empty number") << "\r\n+CPBR: 1,\"\",129,\"\"\r\n\r\nOK\r\n" << "";
    QTest::newRow("echo still on") << "AT+CPBR=1\r\n\r\n+CPBR: 1,\"+491711234567\",145,\"x\"\r\n" << "+491711234567";
    QTest::newRow("no entry: rest of answer") << "\r\nOK\r\n" << "\nOK\r\n";
    QTest::newRow("no quotes loses first digit") << "\r\n+CPBR: 1,01711234567,129,\"x\"\r\n" << "171123456";
    QTest::newRow("comma right at front") << "+CPBR: 1,\",\"x" << ",\"x";
    QTest::newRow("comma at the end") << "+CPBR: 1," << "";
    QTest::newRow("empty") << "" << "";
}

void TestModemAnswers::cpbr()
{
    QFETCH(QString, answer);
    QFETCH(QString, number);
    QCOMPARE(CpbrOwnNumber(answer), number);
}

QTEST_APPLESS_MAIN(TestModemAnswers)
#include "test_modem_answers.moc"
