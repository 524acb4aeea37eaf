// Where an answer ends when it ends at its final result code: real answers, and the ways a
// modem can make the end look like it is somewhere else.
#include "modem/AnswerEnd.h"

#include <QtTest>

class TestAnswerEnd : public QObject {
    Q_OBJECT
private slots:
    // `answer` is the part that is the answer when it is whole; empty when it is not whole yet.
    void finalResult_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("answer");

        const QString at = QStringLiteral("AT\r");
        const QString csq = QStringLiteral("AT+CSQ\r");
        const QString cmgs = QStringLiteral("AT+CMGS=\"+4917012345678\"\r");
        // Final result codes, with and without the echo.
        QTest::newRow("echo and OK") << at << "AT\r\r\nOK\r\n"
                                     << "AT\r\r\nOK\r\n";
        QTest::newRow("information and OK") << csq << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n"
                                            << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n";
        QTest::newRow("ERROR") << csq << "\r\nERROR\r\n"
                               << "\r\nERROR\r\n";
        QTest::newRow("+CME ERROR") << "AT+CPIN?\r"
                                    << "\r\n+CME ERROR: SIM PIN required\r\n"
                                    << "\r\n+CME ERROR: SIM PIN required\r\n";
        QTest::newRow("+CMS ERROR") << "AT+CMGR=3\r"
                                    << "\r\n+CMS ERROR: 321\r\n"
                                    << "\r\n+CMS ERROR: 321\r\n";
        QTest::newRow("NO CARRIER") << "ATD+4930123;\r"
                                    << "\r\nNO CARRIER\r\n"
                                    << "\r\nNO CARRIER\r\n";
        QTest::newRow("line noise before it") << at << "\x85\xff\r\nOK\r\n"
                                              << "\x85\xff\r\nOK\r\n";
        QTest::newRow("lower case is no code") << at << "\r\nok\r\n"
                                               << "";
        QTest::newRow("nothing yet") << at << ""
                                     << "";
        QTest::newRow("only the echo") << at << "AT\r"
                                       << "";

        // A final result code split across reads is not one until its line has ended; the LF
        // behind its CR is waited for by the settle time, not by the rule.
        QTest::newRow("split: O") << at << "\r\nO"
                                  << "";
        QTest::newRow("split: OK without line end") << at << "\r\nOK"
                                                    << "";
        QTest::newRow("split: OK and CR") << at << "\r\nOK\r"
                                          << "\r\nOK\r";
        QTest::newRow("split: +CMS ERROR cut") << "AT+CMGS=\"+49\"\r"
                                               << "\r\n+CMS ERROR: 3"
                                               << "";
        QTest::newRow("information, no code yet") << csq << "\r\n+CSQ: 21,99\r\n"
                                                  << "";

        // The modem's own lines: behind the code they are no part of the answer, before it they
        // are (as the quiet second takes them), and half sent they are waited for.
        QTest::newRow("notice behind OK") << csq << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\n"
                                          << "\r\n+CSQ: 21,99\r\n\r\nOK\r\n";
        QTest::newRow("two notices behind OK") << at << "\r\nOK\r\n^RSSI:17\r\n\r\nRING\r\n"
                                               << "\r\nOK\r\n";
        QTest::newRow("notice half sent behind OK") << at << "\r\nOK\r\n\r\n+CMTI: \"SM\","
                                                    << "";
        QTest::newRow("notice inside the answer") << csq << "\r\n^RSSI:17\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n"
                                                  << "\r\n^RSSI:17\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n";
        // Some modems send information behind the result code: it belongs to the answer, whose
        // end is then left to the quiet second.
        QTest::newRow("information behind the code") << "AT+CPMS?\r"
                                                     << "\r\nOK\r\n\r\n+CPMS: \"SM\",1,30\r\n"
                                                     << "";
        QTest::newRow("information, then a code again") << "AT+CPMS?\r"
                                                        << "\r\nOK\r\n\r\n+CPMS: \"SM\",1,30\r\n\r\nOK\r\n"
                                                        << "\r\nOK\r\n\r\n+CPMS: \"SM\",1,30\r\n\r\nOK\r\n";

        // The prompt, for the commands that ask for one.
        QTest::newRow("prompt after echo") << cmgs << cmgs + "\r\n> " << cmgs + "\r\n> ";
        QTest::newRow("prompt without the blank") << cmgs << "\r\n>"
                                                  << "\r\n>";
        QTest::newRow("prompt, AT+CMGW alone") << "AT+CMGW\r"
                                               << "\r\n> "
                                               << "\r\n> ";
        QTest::newRow("prompt, something behind it") << cmgs << "\r\n> x"
                                                     << "";
        QTest::newRow("prompt to a command without one") << csq << "\r\n> "
                                                         << "";
        QTest::newRow("prompt to the test form") << "AT+CMGS=?\r"
                                                 << "\r\n> "
                                                 << "";
        QTest::newRow("error instead of the prompt") << cmgs << "\r\n+CMS ERROR: 330\r\n"
                                                     << "\r\n+CMS ERROR: 330\r\n";

        // After ATV0: numeric codes behind which a CR alone ends the line; information lines
        // still end in CR LF.
        QTest::newRow("ATV0: 0") << at << "AT\r0\r"
                                 << "AT\r0\r";
        QTest::newRow("ATV0: 4") << csq << "4\r"
                                 << "4\r";
        QTest::newRow("ATV0: information and 0") << csq << "+CSQ: 21,99\r\n0\r"
                                                 << "+CSQ: 21,99\r\n0\r";
        QTest::newRow("ATV0: 2 is RING") << at << "2\r"
                                         << "";
        QTest::newRow("ATV0: 1 is CONNECT") << "ATD+4930;\r"
                                            << "1\r"
                                            << "";
        QTest::newRow("a digit line with CR LF") << "AT+CGMR\r"
                                                 << "\r\n0\r\n"
                                                 << "";

        // A message's text: any line of it may read "OK".
        QTest::newRow("+CMGR text holding OK")
            << "AT+CMGR=1\r"
            << "\r\n+CMGR: \"REC READ\",\"+4917012345678\",,\"24/05/01,12:30:05+08\"\r\nTreffen?\r\nOK\r\nBis "
               "dann\r\n\r\nOK\r\n"
            << "";
        QTest::newRow("+CMGL list") << "AT+CMGL=\"ALL\"\r"
                                    << "\r\n+CMGL: 1,\"REC READ\",\"+49\",,\"x\"\r\nHi\r\n\r\nOK\r\n"
                                    << "";

        // A quoted parameter with a line break in it.
        QTest::newRow("OK inside a quoted name") << "AT+CPBR=1\r"
                                                 << "\r\n+CPBR: 1,\"+4930\",145,\"Eins\r\nOK\r\n"
                                                 << "";
        QTest::newRow("quotes closed again") << "AT+CPBR=1\r"
                                             << "\r\n+CPBR: 1,\"+4930\",145,\"Eins\r\nZwei\"\r\n\r\nOK\r\n"
                                             << "\r\n+CPBR: 1,\"+4930\",145,\"Eins\r\nZwei\"\r\n\r\nOK\r\n";
        QTest::newRow("odd quote in the echo") << "AT+CSCA=\"+49\r"
                                               << "AT+CSCA=\"+49\r\r\nERROR\r\n"
                                               << "AT+CSCA=\"+49\r\r\nERROR\r\n";

        // The text behind the prompt comes back as its echo, with whatever lines it holds.
        const QString text = QStringLiteral("Gruss\rOK\x1a");
        QTest::newRow("echoed text with a line OK") << text << "Gruss\r\nOK\r\n"
                                                    << "";
        QTest::newRow("echoed text, then the answer") << text << "Gruss\r\nOK\r\n\r\n+CMGS: 7\r\n\r\nOK\r\n"
                                                      << "Gruss\r\nOK\r\n\r\n+CMGS: 7\r\n\r\nOK\r\n";
        QTest::newRow("echoed text ending in OK, no Ctrl-Z echo") << QStringLiteral("OK\x1a") << "OK\r\n"
                                                                  << "";
        QTest::newRow("text without such a line") << QStringLiteral("Hallo\x1a") << "Hallo\r\n+CMGS: 8\r\n\r\nOK\r\n"
                                                  << "Hallo\r\n+CMGS: 8\r\n\r\nOK\r\n";
    }
    void finalResult()
    {
        QFETCH(QString, sent);
        QFETCH(QString, received);
        QFETCH(QString, answer);
        const AnswerEnd end = FinalResultEnd(sent, received);
        QCOMPARE(end.whole, !answer.isEmpty());
        if (!end.whole)
            return;
        QCOMPARE(received.left(end.length), answer);
        // What lies behind the answer is the modem's own.
        if (end.finalAt >= 0)
            QVERIFY(IsFinalResultCode(QStringView(received).mid(end.finalAt, end.length - end.finalAt).trimmed(),
                                      received.at(end.length - 1) == u'\r'));
    }

    void settleTime_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<double>("seconds");
        QTest::newRow("4000000") << 4000000 << 0.015;
        QTest::newRow("9600") << 9600 << 0.015;
        QTest::newRow("4800: 10 characters") << 4800 << 100.0 / 4800;
        QTest::newRow("2400") << 2400 << 100.0 / 2400;
        QTest::newRow("110") << 110 << 100.0 / 110;
        QTest::newRow("50: at most the quiet second") << 50 << 1.0;
        QTest::newRow("unknown") << 0 << 0.015;
    }
    void settleTime()
    {
        QFETCH(int, baud);
        QFETCH(double, seconds);
        QCOMPARE(FinalResultSettleSeconds(baud), seconds);
    }
};

QTEST_APPLESS_MAIN(TestAnswerEnd)
#include "test_answer_end.moc"
