// What sending reads from the modem: the reference of +CMGS, the refusals in German, status
// reports in text and PDU mode (the PDU as varnix-modemsim sent it, the fields worked out by
// hand from 23.040 9.2.2.3), and whether two numbers reach the same phone.
#include "sms/SendAnswers.h"

#include <QtTest>

namespace {

// The simulator's report of message 1 to +4917099999999: SCA 07 91 947101670000, then
// 06 (STATUS-REPORT, SRQ), MR 01, RA 0D 91 947190999999F9, SCTS, DT, ST 00.
const QString kSca = QStringLiteral("0791947101670000");
const QString kReport = QStringLiteral("06010D91947190999999F9622160329270006221603292800000");

StatusReport report(int mr, const QString &to, int type, const QString &scts, const QString &dt, int st, int fo = 6)
{
    StatusReport r;
    r.firstOctet = fo;
    r.reference = mr;
    r.recipient = to;
    r.typeOfNumber = type;
    r.scts = scts;
    r.dischargeTime = dt;
    r.status = st;
    return r;
}

} // namespace

class TestSendAnswers : public QObject {
    Q_OBJECT
private slots:
    void cmgsReference_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("reference"); // -1: none
        QTest::newRow("text mode") << "\r\n+CMGS: 7\r\n\r\nOK\r\n" << 7;
        QTest::newRow("behind the echoed PDU") << "AT+CMGS=20\r\r\n> 0011\r\n+CMGS: 255\r\n\r\nOK\r\n" << 255;
        QTest::newRow("with the centre's time") << "\r\n+CMGS: 12,\"24/05/01,12:30:05+08\"\r\n\r\nOK\r\n" << 12;
        QTest::newRow("blank after the colon missing") << "\r\n+CMGS:3\r\n\r\nOK\r\n" << 3;
        QTest::newRow("beyond one octet") << "\r\n+CMGS: 256\r\n\r\nOK\r\n" << -1;
        QTest::newRow("no number") << "\r\n+CMGS: \r\n\r\nOK\r\n" << -1;
        QTest::newRow("not a number") << "\r\n+CMGS: 3x\r\n\r\nOK\r\n" << -1;
        QTest::newRow("inside a line of text") << "\r\nHallo +CMGS: 5\r\n\r\nOK\r\n" << -1;
        QTest::newRow("refused") << "\r\n+CMS ERROR: 42\r\n" << -1;
    }
    void cmgsReference()
    {
        QFETCH(QString, answer);
        QFETCH(int, reference);
        const std::optional<int> got = CmgsReference(answer);
        QCOMPARE(got.value_or(-1), reference);
    }

    void sendErrorText_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("text");
        QTest::newRow("number") << "\r\n+CMS ERROR: 42\r\n"
                                << "Netz überlastet (+CMS ERROR: 42)";
        QTest::newRow("verbose") << "\r\n+CMS ERROR: invalid text mode parameter\r\n"
                                 << "ungültige Angabe im Textmodus, Text zu lang oder Zeichen nicht erlaubt (+CMS "
                                    "ERROR: invalid text mode parameter)";
        QTest::newRow("verbose, other case and blanks") << "\r\n+CMS ERROR: SMSC  Address unknown \r\n"
                                                        << "Nummer der Kurzmitteilungszentrale unbekannt (+CMS ERROR: "
                                                           "SMSC  Address unknown)";
        QTest::newRow("unknown number") << "\r\n+CMS ERROR: 4711\r\n"
                                        << "+CMS ERROR: 4711";
        QTest::newRow("plain ERROR") << "\r\nERROR\r\n"
                                     << "ERROR";
        QTest::newRow("+CME ERROR as it is") << "\r\n+CME ERROR: 11\r\n"
                                             << "+CME ERROR: 11";
        QTest::newRow("no error") << "\r\n+CMGS: 1\r\n\r\nOK\r\n"
                                  << "";
    }
    void sendErrorText()
    {
        QFETCH(QString, answer);
        QFETCH(QString, text);
        QCOMPARE(SendErrorText(answer), text);
    }

    void textReports_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("stored"); // read from "SR" rather than announced
        QTest::addColumn<bool>("valid");
        QTest::addColumn<StatusReport>("report");
        const QString scts = QStringLiteral("26/12/06,23:29:15+00"), dt = QStringLiteral("26/12/06,23:29:16+00");
        const StatusReport sim = report(2, QStringLiteral("+4917099999999"), 145, scts, dt, 0);
        QTest::newRow("+CDS as the simulator sends it")
            << "+CDS: 6,2,\"+4917099999999\",145,\"26/12/06,23:29:15+00\",\"26/12/06,23:29:16+00\",0" << false << true
            << sim;
        QTest::newRow("+CDS with blanks") << "+CDS: 6, 2, \"+4917099999999\", 145, \"26/12/06,23:29:15+00\", "
                                             "\"26/12/06,23:29:16+00\", 0"
                                          << false << true << sim;
        QTest::newRow("type 145 without the plus") << "+CDS: 6,2,\"4917099999999\",145,\"26/12/06,23:29:15+00\","
                                                      "\"26/12/06,23:29:16+00\",0"
                                                   << false << true << sim;
        QTest::newRow("national, failed")
            << "+CDS: 6,17,\"01701234567\",129,\"24/05/01,12:00:00+08\","
               "\"24/05/01,12:00:05+08\",64"
            << false << true << report(17, "01701234567", 129, "24/05/01,12:00:00+08", "24/05/01,12:00:05+08", 64);
        QTest::newRow("no recipient") << "+CDS: 6,17,,,\"24/05/01,12:00:00+08\",\"24/05/01,12:00:05+08\",0" << false
                                      << true << report(17, "", 0, "24/05/01,12:00:00+08", "24/05/01,12:00:05+08", 0);
        QTest::newRow("+CMGR from SR") << "+CMGR: \"REC UNREAD\",6,2,\"+4917099999999\",145,\"26/12/06,23:29:15+00\","
                                          "\"26/12/06,23:29:16+00\",0"
                                       << true << true << sim;
        QTest::newRow("+CMGL from SR") << "+CMGL: 1,\"REC READ\",6,2,\"+4917099999999\",145,\"26/12/06,23:29:15+00\","
                                          "\"26/12/06,23:29:16+00\",0"
                                       << true << true << sim;
        QTest::newRow("a received message is none")
            << "+CMGR: \"REC UNREAD\",\"+4917012345678\",,\"24/05/01,12:30:05+08\"" << true << false << StatusReport{};
        QTest::newRow("the PDU form is none") << "+CDS: 26" << false << false << StatusReport{};
        QTest::newRow("reference beyond an octet") << "+CDS: 6,300,\"+49\",145,\"26/12/06,23:29:15+00\","
                                                      "\"26/12/06,23:29:16+00\",0"
                                                   << false << false << StatusReport{};
        QTest::newRow("no status") << "+CDS: 6,2,\"+49\",145,\"26/12/06,23:29:15+00\",\"26/12/06,23:29:16+00\","
                                   << false << false << StatusReport{};
        QTest::newRow("time stamp without time")
            << "+CDS: 6,2,\"+49\",145,\"26/12/06\",\"26/12/06,23:29:16+00\",0" << false << false << StatusReport{};
        QTest::newRow("unclosed quote") << "+CDS: 6,2,\"+49,145,\"26/12/06,23:29:15+00\",\"26/12/06,23:29:16+00\",0"
                                        << false << false << StatusReport{};
        QTest::newRow("in the middle of a text") << "Hallo +CDS: 6,2,\"+4917099999999\",145,\"26/12/06,23:29:15+00\","
                                                    "\"26/12/06,23:29:16+00\",0"
                                                 << false << false << StatusReport{};
    }
    void textReports()
    {
        QFETCH(QString, line);
        QFETCH(bool, stored);
        QFETCH(bool, valid);
        QFETCH(StatusReport, report);
        const std::optional<StatusReport> got = stored ? StoredReport(line) : CdsTextReport(line);
        QCOMPARE(got.has_value(), valid);
        if (valid)
            QCOMPARE(*got, report);
    }

    void pduLength_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("length");
        QTest::newRow("+CDS: 26") << "+CDS: 26" << 26;
        QTest::newRow("without the blank") << "+CDS:26" << 26;
        QTest::newRow("zero") << "+CDS: 0" << -1;
        QTest::newRow("text form") << "+CDS: 6,2,\"+49\",145,\"26/12/06,23:29:15+00\",\"26/12/06,23:29:16+00\",0" << -1;
        QTest::newRow("other line") << "+CDSI: \"SR\",1" << -1;
    }
    void pduLength()
    {
        QFETCH(QString, line);
        QFETCH(int, length);
        QCOMPARE(CdsPduLength(line).value_or(-1), length);
    }

    void pduReports_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<StatusReport>("report");
        const StatusReport sim =
            report(1, QStringLiteral("+4917099999999"), 0x91, "26/12/06,23:29:07+00", "26/12/06,23:29:08+00", 0);
        QTest::newRow("with the centre") << kSca + kReport << 26 << true << sim;
        QTest::newRow("lower case") << (kSca + kReport).toLower() << 26 << true << sim;
        QTest::newRow("length not known") << kSca + kReport << -1 << true << sim;
        QTest::newRow("without the centre") << kReport << 26 << true << sim;
        QTest::newRow("empty centre field") << "00" + kReport << 26 << true << sim;
        // Status 46 (validity period expired); a zone of minus two hours (8 quarters, sign bit).
        QTest::newRow("failed, zone west")
            << "0006250A8110325476986221603292700062216032928088" + QStringLiteral("46") << 24 << true
            << report(0x25, "0123456789", 0x81, "26/12/06,23:29:07+00", "26/12/06,23:29:08-08", 0x46);
        QTest::newRow("a DELIVER is no report")
            << "0004010D91947190999999F9622160329270006221603292800000" << 26 << false << StatusReport{};
        QTest::newRow("cut short") << kSca + kReport.left(40) << 26 << false << StatusReport{};
        QTest::newRow("odd digit count") << kSca + kReport + "0" << 26 << false << StatusReport{};
        QTest::newRow("not hex") << kSca + kReport.left(20) + "ZZ" + kReport.mid(22) << 26 << false << StatusReport{};
        QTest::newRow("centre runs past the end") << "FF" + kReport << 26 << false << StatusReport{};
        QTest::newRow("empty") << "" << 26 << false << StatusReport{};
    }
    void pduReports()
    {
        QFETCH(QString, hex);
        QFETCH(int, length);
        QFETCH(bool, valid);
        QFETCH(StatusReport, report);
        const std::optional<StatusReport> got = StatusReportPdu(hex, length);
        QCOMPARE(got.has_value(), valid);
        if (valid)
            QCOMPARE(*got, report);
    }

    void reportStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("text");
        QTest::newRow("delivered") << 0x00 << int(ReportOutcome::Delivered) << "zugestellt";
        QTest::newRow("forwarded") << 0x01 << int(ReportOutcome::Delivered)
                                   << "zugestellt (weitergegeben, Zustellung unbestätigt)";
        QTest::newRow("centre specific, completed") << 0x1F << int(ReportOutcome::Delivered) << "zugestellt";
        QTest::newRow("congestion, still trying")
            << 0x20 << int(ReportOutcome::Pending) << "ausstehend (Netz überlastet)";
        QTest::newRow("busy, still trying")
            << 0x21 << int(ReportOutcome::Pending) << "ausstehend (Empfänger beschäftigt)";
        QTest::newRow("reserved, still trying") << 0x30 << int(ReportOutcome::Pending) << "ausstehend";
        QTest::newRow("incompatible destination")
            << 0x41 << int(ReportOutcome::Failed) << "fehlgeschlagen (Empfänger kann die Nachricht nicht annehmen)";
        QTest::newRow("validity expired")
            << 0x46 << int(ReportOutcome::Failed) << "fehlgeschlagen (Gültigkeitsdauer abgelaufen)";
        QTest::newRow("no response, given up")
            << 0x62 << int(ReportOutcome::Failed) << "fehlgeschlagen (Empfänger antwortet nicht)";
        QTest::newRow("last of the range") << 0x7F << int(ReportOutcome::Failed) << "fehlgeschlagen";
        QTest::newRow("beyond the ranges") << 0x80 << int(ReportOutcome::Failed) << "fehlgeschlagen";
    }
    void reportStatus()
    {
        QFETCH(int, status);
        QFETCH(int, outcome);
        QFETCH(QString, text);
        QCOMPARE(int(ReportOutcomeOf(status)), outcome);
        QCOMPARE(ReportStatusText(status), text);
    }

    void sameRecipient_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("equal") << "+4917012345678"
                               << "+4917012345678" << true;
        QTest::newRow("+ and 00") << "+4917012345678"
                                  << "004917012345678" << true;
        QTest::newRow("international and national") << "+4917012345678"
                                                    << "017012345678" << true;
        QTest::newRow("national and international") << "017012345678"
                                                    << "+4917012345678" << true;
        QTest::newRow("one digit apart") << "+4917012345678"
                                         << "+4917012345679" << false;
        QTest::newRow("other country") << "+4917012345678"
                                       << "+3317012345678" << false;
        QTest::newRow("national too short to tell") << "01234"
                                                    << "+491234" << false;
        QTest::newRow("no trunk prefix") << "17012345678"
                                         << "+4917012345678" << false;
        QTest::newRow("empty") << ""
                               << "+49" << false;
        QTest::newRow("both empty") << ""
                                    << "" << false;
    }
    void sameRecipient()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(SameRecipient(a, b), same);
    }

    void shownStamp()
    {
        QCOMPARE(ShownStamp(QStringLiteral("24/05/01,12:30:05+08")), QStringLiteral("01.05.24 12:30:05"));
        QCOMPARE(ShownStamp(QStringLiteral("24/05/01,12:30:05")), QStringLiteral("01.05.24 12:30:05"));
        QCOMPARE(ShownStamp(QStringLiteral("24/05/01")), QString());
        QCOMPARE(ShownStamp(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestSendAnswers)
#include "test_send_answers.moc"
