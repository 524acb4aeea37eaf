#include "modem/ModemAnswers.h"
#include "modem/Unsolicited.h"

#include <QTest>

using Parser = QString (*)(const QString &);
Q_DECLARE_METATYPE(Parser)

namespace {
// The state and the caption the status line shows for it.
QString creg(const QString &answer)
{
    return QString::number(CregState(answer)) + u' ' + CregCaption(CregState(answer));
}
QString bare(const QString &answer)
{
    return WithoutUnsolicited(answer);
}
// The information lines of an AT+CGMI answer as it came from the line, joined by "|".
QString info(const QString &answer)
{
    return InformationLines(answer, QStringLiteral("AT+CGMI")).join(u'|');
}
} // namespace

// Answers are written as the terminal hands them over: every line end CR LF.
class TestModemAnswers : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<Parser>("parser");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("result");
        const Parser gmm = &GmmModelName, csq = &CsqSignalValue, cops = &CopsOperatorName, cpbr = &CpbrOwnNumber;
        const QString none = "Anmeldung nicht korrekt";

        QTest::newRow("gmm") << gmm << "\r\nMC35i\r\n\r\nOK\r\n" << "MC35i";
        QTest::newRow("gmm: no line end after OK") << gmm << "\r\nTC35\r\n\r\nOK" << "TC35";
        QTest::newRow("gmm: two info lines") << gmm << "\r\nSIEMENS\r\nMC35i\r\n\r\nOK\r\n" << "SIEMENS\r\nMC35i";
        QTest::newRow("gmm: OK inside the name") << gmm << "\r\nNOKIA 30\r\n\r\nOK\r\n" << "NOKIA 30";
        QTest::newRow("gmm: name starting with OK") << gmm << "\r\nOKI 7020\r\n\r\nOK\r\n" << "OKI 7020";
        QTest::newRow("gmm: echo on") << gmm << "AT+GMM\r\n\r\nMC35i\r\n\r\nOK\r\n" << "+GMM\r\n\r\nMC35i";
        QTest::newRow("gmm: only OK") << gmm << "\r\nOK\r\n" << "";
        QTest::newRow("gmm: one char before") << gmm << "x\r\n\r\nOK\r\n" << "x";
        QTest::newRow("gmm: error") << gmm << "\r\n+CME ERROR: operation not supported\r\n" << "";
        // A Huawei stick's reports fall anywhere between the lines of an answer.
        QTest::newRow("gmm: ^RSSI after the name") << gmm << "\r\nE173\r\n\r\n^RSSI:21\r\n\r\nOK\r\n" << "E173";
        QTest::newRow("gmm: ^MODE before the name") << gmm << "\r\n^MODE:5,4\r\n\r\nE173\r\n\r\nOK\r\n" << "E173";
        QTest::newRow("gmm: two reports") << gmm << "\r\n^BOOT:20952548,0,0,0,72\r\n\r\nE173\r\n\r\n^RSSI:9\r\n\r\nOK\r\n"
                                          << "E173";
        QTest::newRow("gmm: +QIND after the name") << gmm << "\r\nEC25\r\n\r\n+QIND: SMS DONE\r\n\r\nOK\r\n" << "EC25";
        QTest::newRow("gmm: echo, report right behind it")
            << gmm << "AT+GMM\r\n\r\n^RSSI:21\r\n\r\nMC35i\r\n\r\nOK\r\n" << "+GMM\r\n\r\nMC35i";
        QTest::newRow("gmm: start words") << gmm << "\r\nRDY\r\n\r\nSIM800\r\n\r\nSMS Ready\r\n\r\nOK\r\n" << "SIM800";
        QTest::newRow("gmm: own prefix kept") << gmm << "\r\n+CGMM: EC25\r\n\r\nOK\r\n" << "+CGMM: EC25";

        QTest::newRow("csq") << csq << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n" << "21";
        QTest::newRow("csq: one digit keeps blank") << csq << "\r\n+CSQ: 7,99\r\n\r\nOK\r\n" << " 7";
        QTest::newRow("csq: echo on") << csq << "AT+CSQ\r\n\r\n+CSQ: 15,0\r\n\r\nOK\r\n" << "15";
        QTest::newRow("csq: no comma") << csq << "\r\n+CSQ: 21\r\n\r\nOK\r\n" << "";
        QTest::newRow("csq: comma at position 2") << csq << "5,99" << "";
        QTest::newRow("csq: ^BOOT before, commas and all")
            << csq << "\r\n^BOOT:20952548,0,0,0,72\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n" << "17";
        QTest::newRow("csq: ^RSSI after") << csq << "\r\n+CSQ: 17,99\r\n\r\n^RSSI:17\r\n\r\nOK\r\n" << "17";
        QTest::newRow("csq: +CIEV before") << csq << "\r\n+CIEV: 1,4\r\n\r\n+CSQ: 9,99\r\n\r\nOK\r\n" << " 9";

        QTest::newRow("creg 1") << &creg << "\r\n+CREG: 0,1\r\n\r\nOK\r\n" << "1 angemeldet";
        QTest::newRow("creg 2") << &creg << "\r\n+CREG: 0,2\r\n\r\nOK\r\n" << "2 Anmeldung wird versucht";
        QTest::newRow("creg 3") << &creg << "\r\n+CREG: 0,3\r\n\r\nOK\r\n" << "3 abgelehnt";
        QTest::newRow("creg 4") << &creg << "\r\n+CREG: 0,4\r\n\r\nOK\r\n" << "4 " + none;
        QTest::newRow("creg 5") << &creg << "\r\n+CREG: 0,5\r\n\r\nOK\r\n" << "5 roaming";
        QTest::newRow("creg 0") << &creg << "\r\n+CREG: 0,0\r\n\r\nOK\r\n" << "0 " + none;
        QTest::newRow("creg: cell info") << &creg << "\r\n+CREG: 2,1,\"00C3\",\"1A2B\"\r\n\r\nOK\r\n" << "1 angemeldet";
        QTest::newRow("creg: echo on") << &creg << "AT+CREG?\r\n\r\n+CREG: 0,5\r\n\r\nOK\r\n" << "5 roaming";
        QTest::newRow("creg: no comma") << &creg << "\r\n+CREG: 1\r\n\r\nOK\r\n" << "0 " + none;
        QTest::newRow("creg: no comma, digit first") << &creg << "1" << "1 angemeldet";
        QTest::newRow("creg: blank after comma") << &creg << "\r\n+CREG: 0, 1\r\n" << "0 " + none;
        QTest::newRow("creg: comma at the end") << &creg << "+CREG: 0," << "0 " + none;
        QTest::newRow("creg: ^MODE before is no roaming")
            << &creg << "\r\n^MODE:5,4\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n" << "1 angemeldet";
        QTest::newRow("creg: +QIND before") << &creg << "\r\n+QIND: \"csq\",5,99\r\n\r\n+CREG: 0,2\r\n\r\nOK\r\n"
                                            << "2 Anmeldung wird versucht";

        QTest::newRow("cops") << cops << "\r\n+COPS: 0,0,\"T-Mobile D\"\r\n\r\nOK\r\n" << "T-Mobile D";
        QTest::newRow("cops: comma in name") << cops << "\r\n+COPS: 0,0,\"o2 - de, Test\"\r\n" << "o2 - de, Test";
        QTest::newRow("cops: empty name") << cops << "\r\n+COPS: 0,0,\"\"\r\n\r\nOK\r\n" << "";
        QTest::newRow("cops: echo on") << cops << "AT+COPS?\r\n\r\n+COPS: 0,0,\"E-Plus\"\r\n\r\nOK\r\n" << "E-Plus";
        QTest::newRow("cops: no comma") << cops << "\r\n+CME ERROR: no network service\r\n" << "Kein Netzbetreiber";
        QTest::newRow("cops: one quote") << cops << "\r\n+COPS: 0,0,\"Vodafone.de\r\nOK\r\n" << "Vodafone.de\r\nOK\r\n";
        QTest::newRow("cops: no quotes") << cops << "\r\n+COPS: 0,2,26202\r\n" << "\r\n+COPS: 0,2,26202\r\n";
        QTest::newRow("cops: ^MODE before") << cops << "\r\n^MODE:5,4\r\n\r\n+COPS: 0,0,\"E-Plus\"\r\n\r\nOK\r\n"
                                            << "E-Plus";
        QTest::newRow("cops: no operator, report with commas")
            << cops << "\r\n+COPS: 0\r\n\r\n^BOOT:20952548,0,0,0,72\r\n\r\nOK\r\n" << "Kein Netzbetreiber";
        QTest::newRow("cops: quoted report before") << cops << "\r\n+QIND: \"FOTA\",\"START\"\r\n\r\n+COPS: 0,0,\"o2\"\r\n"
                                                    << "o2";

        QTest::newRow("cpbr: 13 chars") << cpbr << "\r\n+CPBR: 1,\"+491711234567\",145,\"Ich\"\r\n" << "+491711234567";
        QTest::newRow("cpbr: 14 chars") << cpbr << "\r\n+CPBR: 1,\"+4917112345678\",145\r\n" << "+4917112345678";
        QTest::newRow("cpbr: 15 chars") << cpbr << "\r\n+CPBR: 1,\"+49171123456789\",145,\"\"\r\n" << "+49171123456789";
        QTest::newRow("cpbr: 16 cut") << cpbr << "\r\n+CPBR: 1,\"+491711234567890\",145\r\n" << "+49171123456789";
        QTest::newRow("cpbr: empty number") << cpbr << "\r\n+CPBR: 1,\"\",129,\"\"\r\n\r\nOK\r\n" << "";
        QTest::newRow("cpbr: echo") << cpbr << "AT+CPBR=1\r\n\r\n+CPBR: 1,\"+491711234567\",145\r\n" << "+491711234567";
        QTest::newRow("cpbr: no entry") << cpbr << "\r\nOK\r\n" << "\nOK\r\n";
        QTest::newRow("cpbr: no quotes") << cpbr << "\r\n+CPBR: 1,01711234567,129,\"x\"\r\n" << "171123456";
        QTest::newRow("cpbr: comma right at front") << cpbr << "+CPBR: 1,\",\"x" << ",\"x";
        QTest::newRow("cpbr: ^BOOT before") << cpbr << "\r\n^BOOT:1,2\r\n\r\n+CPBR: 1,\"+491711234567\",145\r\n"
                                            << "+491711234567";

        // Taking the reports out leaves the answer as the modem framed it; nothing else goes.
        QTest::newRow("bare: nothing to take") << &bare << "\r\nE173\r\n\r\nOK\r\n" << "\r\nE173\r\n\r\nOK\r\n";
        QTest::newRow("bare: error codes stay") << &bare << "\r\n+CME ERROR: 10\r\n" << "\r\n+CME ERROR: 10\r\n";
        QTest::newRow("bare: +CMS ERROR stays") << &bare << "\r\n+CMS ERROR: 500\r\n" << "\r\n+CMS ERROR: 500\r\n";
        QTest::newRow("bare: only a report") << &bare << "\r\n^RSSI:3\r\n" << "";
        QTest::newRow("bare: a report right behind an echo")
            << &bare << "AT+CSQ\r\n^RSSI:3\r\n\r\nOK\r\n" << "AT+CSQ\r\n\r\nOK\r\n";
        QTest::newRow("bare: report at the very end") << &bare << "\r\nOK\r\n\r\n+CMTI: \"SM\",3" << "\r\nOK\r\n";
        QTest::newRow("bare: a word that only looks like one") << &bare << "\r\nRDY2\r\n" << "\r\nRDY2\r\n";
        QTest::newRow("bare: '+' with no prefix") << &bare << "\r\n+4917012345\r\n" << "\r\n+4917012345\r\n";

        // AT+CGMI as it comes from the line: echo on (nothing turned it off), lone CRs.
        QTest::newRow("cgmi: echo") << &info << "AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n" << "SIEMENS";
        QTest::newRow("cgmi: no echo") << &info << "\r\nhuawei\r\n\r\nOK\r\n" << "huawei";
        QTest::newRow("cgmi: own prefix") << &info << "\r\n+CGMI: Quectel\r\n\r\nOK\r\n" << "Quectel";
        QTest::newRow("cgmi: reports around") << &info << "AT+CGMI\r\r\n^RSSI:14\r\n\r\nhuawei\r\n\r\n^MODE:5,4\r\nOK\r\n"
                                              << "huawei";
        QTest::newRow("cgmi: two lines") << &info << "\r\nSIMCOM_Ltd\r\nSIM800\r\n\r\nOK\r\n" << "SIMCOM_Ltd|SIM800";
        QTest::newRow("cgmi: error") << &info << "AT+CGMI\r\r\nERROR\r\n" << "";
        QTest::newRow("cgmi: CME error") << &info << "\r\n+CME ERROR: 4\r\n" << "";
        QTest::newRow("cgmi: after the result") << &info << "\r\nOK\r\nlate\r\n" << "";
        QTest::newRow("cgmi: LF only") << &info << "\nFoo Modems Inc.\n\nOK\n" << "Foo Modems Inc.";
        QTest::newRow("cgmi: nothing") << &info << "" << "";

        // AT+CNMI=? as real modems answer it: the notice setting chosen from what is offered.
        const Parser cnmi = &CnmiNoticeCommand;
        // Status reports come as +CDS (<ds> 1) where the modem offers it.
        QTest::newRow("cnmi: all offered") << cnmi << "\r\n+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)\r\n\r\nOK\r\n"
                                           << "AT+CNMI=2,1,0,1,0";
        QTest::newRow("cnmi: lists by commas, spaces") << cnmi << "+CNMI: (0,1,2), (0,1,2,3), (0,2), (0,1,2), (0,1)\r\n"
                                                      << "AT+CNMI=2,1,0,1,0";
        QTest::newRow("cnmi: reports only stored") << cnmi << "+CNMI: (0-2),(0-3),(0),(0,2),(0,1)\r\n"
                                                   << "AT+CNMI=2,1,0,0,0";
        QTest::newRow("cnmi: ds 1 only") << cnmi << "+CNMI: (0-2),(0-3),(0),(1),(0,1)\r\n" << "AT+CNMI=2,1,0,1,0";
        QTest::newRow("cnmi: no mode 2, no bfr") << cnmi << "+CNMI: (0,1,3),(0,1),(0),(0,1)\r\n" << "AT+CNMI=1,1,0,1";
        QTest::newRow("cnmi: only mode 3") << cnmi << "+CNMI: (3),(1),(0),(0),(0)\r\n" << "AT+CNMI=3,1,0,0,0";
        QTest::newRow("cnmi: bm without 0 stops the fields") << cnmi << "+CNMI: (1-2),(1),(2),(0),(0)\r\n" << "AT+CNMI=2,1";
        QTest::newRow("cnmi: two lists only") << cnmi << "+CNMI: (0-2),(0-2)\r\n" << "AT+CNMI=2,1";
        QTest::newRow("cnmi: no mt 1: polling only") << cnmi << "+CNMI: (0-3),(0,2),(0),(0),(0)\r\n" << "";
        QTest::newRow("cnmi: only mode 0") << cnmi << "+CNMI: (0),(0-3),(0),(0),(0)\r\n" << "";
        QTest::newRow("cnmi: error") << cnmi << "\r\nERROR\r\n" << "";
        QTest::newRow("cnmi: garbage in a list") << cnmi << "+CNMI: (x-y,2),(1-),(0)\r\n" << "";
        QTest::newRow("cnmi: huge range ignored") << cnmi << "+CNMI: (0-99999),(1)\r\n" << "";
    }

    void parse()
    {
        QFETCH(Parser, parser);
        QFETCH(QString, answer);
        QFETCH(QString, result);
        QCOMPARE(parser(answer), result);
    }
};

QTEST_APPLESS_MAIN(TestModemAnswers)
#include "test_modem_answers.moc"
