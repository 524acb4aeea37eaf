#include "sms/ReceiveAnswers.h"

#include <QTest>

// Answers are written as the terminal hands them over: every line end CR LF.
class TestReceiveAnswers : public QObject {
    Q_OBJECT
private slots:
    void storageCounts_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("used"); // -1: no counts
        QTest::addColumn<int>("max");
        QTest::newRow("three storages") << "\r\n+CPMS: \"SM\",3,10,\"SM\",3,10,\"SM\",3,10\r\n\r\nOK\r\n" << 3 << 10;
        QTest::newRow("echo on") << "AT+CPMS?\r\n\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n" << 0 << 30;
        QTest::newRow("other storages differ") << "\r\n+CPMS: \"SM\",2,20,\"ME\",7,100\r\n\r\nOK\r\n" << 2 << 20;
        QTest::newRow("blanks after commas") << "\r\n+CPMS: \"SM\", 4, 25\r\n\r\nOK\r\n" << 4 << 25;
        QTest::newRow("tail of an earlier answer first") << "+CMGD\r\n\r\nOK\r\n\r\n+CPMS: \"SM\",1,10\r\n\r\nOK\r\n" << 1 << 10;
        QTest::newRow("no counts") << "\r\n+CPMS: \"SM\"\r\n\r\nOK\r\n" << 0 << 0;
        QTest::newRow("OK only") << "\r\nOK\r\n" << -1 << -1;
        QTest::newRow("error") << "\r\n+CMS ERROR: 310\r\n" << -1 << -1;
        QTest::newRow("negative") << "\r\n+CPMS: \"SM\",-1,10\r\n" << -1 << -1;
        QTest::newRow("beyond 16 bits") << "\r\n+CPMS: \"SM\",1,40000\r\n" << -1 << -1;
    }
    void storageCounts()
    {
        QFETCH(QString, answer);
        QFETCH(int, used);
        QFETCH(int, max);
        const auto counts = CpmsStorageCounts(answer);
        QCOMPARE(counts.has_value(), used >= 0);
        if (counts) {
            QCOMPARE(int(counts->used), used);
            QCOMPARE(int(counts->max), max);
        }
    }

    void slotMessage_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("textStatus");
        const int msg = int(SlotKind::Message);
        const QString hdr = "\"+4917012345678\",,\"02/11/19,09:57:28+04\"";
        QTest::newRow("echo on") << "AT+CMGR= 3\r\n\r\n+CMGR: \"REC UNREAD\"," + hdr + "\r\nHallo\r\n\r\nOK\r\n" << msg
                                 << hdr + "\r\nHallo\r\n\r\nOK\r\n" << hdr << "Hallo" << 0;
        QTest::newRow("quotes become blanks") << "\r\n+CMGR: \"REC READ\"," + hdr + "\r\nSag \"ja\"\r\n\r\nOK\r\n"
                                              << msg << hdr + "\r\nSag \"ja\"\r\n\r\nOK\r\n" << hdr << "Sag  ja" << 0;
        QTest::newRow("comma in a leftover before the marker")
            << "x,y\r\n+CMGR: \"REC READ\"," + hdr + "\r\nHallo\r\n\r\nOK\r\n" << msg
            << hdr + "\r\nHallo\r\n\r\nOK\r\n" << hdr << "Hallo" << 0;
        QTest::newRow("cut in the text") << "\r\n+CMGR: \"REC UNREAD\"," + hdr + "\r\nDies ist der Anf"
                                         << int(SlotKind::Incomplete) << "" << "" << "" << 0;
        QTest::newRow("cut before the OK") << "\r\n+CMGR: \"REC UNREAD\"," + hdr + "\r\nOK\r\n"
                                           << int(SlotKind::Incomplete) << ""
                                           << ""
                                           << "" << 0;
        // The notice is shown in the terminal; in the record it would read as a second message.
        QTest::newRow("unsolicited line after OK")
            << "\r\n+CMGR: \"REC READ\"," + hdr + "\r\nHallo\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",4\r\n"
            << msg << hdr + "\r\nHallo\r\n\r\nOK\r\n"
            << hdr << "Hallo" << 0;
        QTest::newRow("no empty line before OK") << "\r\n+CMGR: \"REC READ\"," + hdr + "\r\nHallo\r\nOK\r\n"
                                                 << msg << hdr + "\r\nHallo\r\nOK\r\n"
                                                 << hdr << "Hallo" << 0;
        QTest::newRow("empty text, no empty line before OK") << "\r\n+CMGR: \"REC READ\"," + hdr + "\r\n\r\nOK\r\n"
                                                             << msg << hdr + "\r\n\r\nOK\r\n"
                                                             << hdr << "" << 0;
        QTest::newRow("state field 0 in the text")
            << "\r\n+CMGR: \"REC UNREAD\"," + hdr + "\r\n+CMGR: 0 sagt das Modem\r\n\r\nOK\r\n"
            << msg << hdr + "\r\n+CMGR: 0 sagt das Modem\r\n\r\nOK\r\n"
            << hdr << "+CMGR: 0 sagt das Modem" << 0;
        QTest::newRow("state 0 in PDU mode") << "\r\n+CMGR: 0,,24\r\n0791947106004034040C91\r\n\r\nOK\r\n"
                                             << int(SlotKind::StateZero) << ""
                                             << ""
                                             << "" << 0;
        // With AT+CSDH=1 the length says where the data ends: a text that reads like the modem's
        // own lines stays, and the lines the modem put around it go.
        const QString det = hdr + ",145,4,0,0,\"+491710760000\",145,";
        QTest::newRow("details: a text like a notice stays") << "\r\n+CMGR: \"REC UNREAD\"," + det + "4\r\nRING\r\n\r\nOK\r\n"
                                                              << msg << det + "4\r\nRING\r\n\r\nOK\r\n"
                                                              << det + "4" << "RING" << 0;
        QTest::newRow("details: a notice before the text goes")
            << "\r\n+CMGR: \"REC UNREAD\"," + det + "4\r\n^RSSI:17\r\nRING\r\n\r\nOK\r\n" << msg
            << det + "4\r\nRING\r\n\r\nOK\r\n" << det + "4" << "RING" << 0;
        QTest::newRow("details: a notice before OK goes")
            << "\r\n+CMGR: \"REC UNREAD\"," + det + "5\r\nHallo\r\n\r\n^BOOT:1,0,0,0\r\n\r\nOK\r\n" << msg
            << det + "5\r\nHallo\r\n\r\n\r\nOK\r\n" << det + "5" << "Hallo" << 0;
        QTest::newRow("details: a CR inside the text is text") << "\r\n+CMGR: \"REC UNREAD\"," + det + "3\r\na\rb\r\n\r\nOK\r\n"
                                                                << msg << det + "3\r\na\rb\r\n\r\nOK\r\n"
                                                                << det + "3" << "a\rb" << 0;
        // UCS2 "Hi": four octets, eight hex digits.
        const QString ucs = hdr + ",145,4,0,8,\"+491710760000\",145,4";
        QTest::newRow("details: hex by octets") << "\r\n+CMGR: \"REC UNREAD\"," + ucs + "\r\n^RSSI:3\r\n00480069\r\n\r\nOK\r\n"
                                                 << msg << ucs + "\r\n00480069\r\n\r\nOK\r\n" << ucs << "00480069" << 0;
        // A length that lies (or a set of other widths): cut by lines, as without details.
        QTest::newRow("details: length that lies") << "\r\n+CMGR: \"REC UNREAD\"," + det + "9\r\n^RSSI:17\r\nHallo\r\n\r\nOK\r\n"
                                                    << msg << det + "9\r\nHallo\r\n\r\nOK\r\n" << det + "9" << "Hallo" << 0;
        // An OK line inside the text is no end when more text follows it.
        QTest::newRow("cut behind an OK in the text")
            << "\r\n+CMGR: \"REC UNREAD\"," + hdr + "\r\nA\r\n\r\nOK\r\n\r\nB" << int(SlotKind::Incomplete) << ""
            << ""
            << "" << 0;
    }
    void slotMessage()
    {
        QFETCH(QString, answer);
        QFETCH(int, kind);
        QFETCH(QString, record);
        QFETCH(QString, header);
        QFETCH(QString, firstLine);
        QFETCH(int, textStatus);
        const SlotMessage slot = CmgrSlotMessage(answer);
        QCOMPARE(int(slot.kind), kind);
        QCOMPARE(slot.record, record);
        QCOMPARE(slot.header, header);
        QCOMPARE(slot.firstLine, firstLine);
        QCOMPARE(int(slot.textStatus), textStatus);
    }

    void storageList()
    {
        const QList<NamedStorage> s = CpmsStorages("\r\n+CPMS: \"SM\",0,30,\"ME\",3,100,\"MT\",-1,130\r\n\r\nOK\r\n");
        QCOMPARE(s.size(), 2); // MT's count cannot be read
        QCOMPARE(s[1].name, QStringLiteral("ME"));
        QCOMPARE(int(s[1].counts.used), 3);
        QCOMPARE(StorageStatusText({9, 10}), QStringLiteral("SMS vorhanden:  9   SMS maximal:  10 – fast voll"));
        QCOMPARE(StorageStatusText({8, 10}), QStringLiteral("SMS vorhanden:  8   SMS maximal:  10"));
    }

    void notices_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("newMessage");
        QTest::addColumn<bool>("unsolicited");
        QTest::newRow("SM") << "+CMTI: \"SM\",3" << true << true;
        QTest::newRow("ME index 0") << "+CMTI: \"ME\",0" << true << true;
        QTest::newRow("MT with blank") << "+CMTI: \"MT\", 12" << true << true;
        QTest::newRow("report") << "+CDSI: \"SR\",1" << false << true;
        QTest::newRow("Huawei") << "^RSSI:17" << false << true;
        QTest::newRow("Quectel") << "+QIND: SMS DONE" << false << true;
        QTest::newRow("SIMCom") << "SMS Ready" << false << true;
        QTest::newRow("no index") << "+CMTI: \"SM\"," << false << false;
        QTest::newRow("text") << "Hallo +CMTI: \"SM\",3" << false << false;
        QTest::newRow("ring") << "RING" << false << true;
    }
    void notices()
    {
        QFETCH(QString, line);
        QFETCH(bool, newMessage);
        QFETCH(bool, unsolicited);
        QCOMPARE(IsNewMessageNotice(line), newMessage);
        QCOMPARE(IsNoticeLine(line), unsolicited);
    }

    void details()
    {
        const DeliverDetails d = CmgrDeliverDetails("\"+4930\",\"Meier, Anna\",\"24/05/01,12:30:05+08\",145,68,0,8,\"+4917\",145,140");
        QVERIFY(d.present);
        QVERIFY(d.hasHeader());
        QCOMPARE(d.dcs, 8);
        QCOMPARE(d.length, 140);
        QCOMPARE(CsdhDataChars(d), 280);
        QVERIFY(!CmgrDeliverDetails("\"+4930\",,\"24/05/01,12:30:05+08\"").present);
        QVERIFY(!CmgrDeliverDetails("\"+4930\",,\"24/05/01,12:30:05+08\",145,x,0,0,,,5").present);
        QVERIFY(!CmgrDeliverDetails("\"+4930\",,\"24/05/01,12:30:05+08\",145,4,0,0,,,999").present);
        // 7-bit with a header: 160 septets packed into 140 octets.
        QCOMPARE(CsdhDataChars(CmgrDeliverDetails("\"+4930\",,\"24/05/01,12:30:05+08\",145,68,0,0,,,160")), 280);
        QCOMPARE(CscsCharset("\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n"), QStringLiteral("IRA"));
        QCOMPARE(CscsCharset("\r\nERROR\r\n"), QString());
        QCOMPARE(NoticeStorage(u"+CMTI: \"ME\",5"), QStringLiteral("ME"));
        QCOMPARE(NoticeStorage(u"+CMTI: \"me\",5"), QString());
        QCOMPARE(NoticeStorage(u"+CDSI: \"SR\",1"), QString());
    }

    // Where a +CMGR answer ends when answers end at their final result code: the text's
    // +CSDH=1 length says where it ends, whatever lines it holds. `answer` is empty when the
    // answer is not whole (the quiet second then decides).
    void cmgrAnswerEnd_data()
    {
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("answer");
        const auto header = [](int dcs, int length) {
            return QStringLiteral("\r\n+CMGR: \"REC UNREAD\",\"+4917012345678\",,\"24/05/01,12:30:05+08\",145,4,0,%1,"
                                  "\"+491710760000\",145,%2\r\n")
                .arg(dcs)
                .arg(length);
        };
        const QString ok = QStringLiteral("\r\n\r\nOK\r\n");
        const QString hallo = header(0, 5) + "Hallo" + ok;
        QTest::newRow("plain text") << hallo << hallo;
        const QString lines = QStringLiteral("Treffen?\r\nOK\r\nBis dann");
        QTest::newRow("a line OK in the text") << header(0, 22) + lines + ok << header(0, 22) + lines + ok;
        QTest::newRow("cut behind the text's OK") << header(0, 22) + "Treffen?\r\nOK\r\n" << "";
        QTest::newRow("the text is OK") << header(0, 2) + "OK" + ok << header(0, 2) + "OK" + ok;
        QTest::newRow("the text is OK, final OK yet to come") << header(0, 2) + "OK\r\n" << "";
        QTest::newRow("the text is OK, final OK split") << header(0, 2) + "OK\r\n\r\nO" << "";
        QTest::newRow("the text looks like a notice") << header(0, 4) + "RING" + ok << header(0, 4) + "RING" + ok;
        QTest::newRow("no empty line before OK") << header(0, 5) + "Hallo\r\nOK\r\n" << header(0, 5) + "Hallo\r\nOK\r\n";
        QTest::newRow("notice behind the header") << header(0, 5) + "^RSSI:17\r\nHallo" + ok
                                                  << header(0, 5) + "^RSSI:17\r\nHallo" + ok;
        QTest::newRow("notice before OK") << header(0, 5) + "Hallo\r\n^RSSI:17" + ok
                                          << header(0, 5) + "Hallo\r\n^RSSI:17" + ok;
        QTest::newRow("notice behind OK") << hallo + "\r\n+CMTI: \"SM\",2\r\n" << hallo;
        QTest::newRow("information behind OK") << hallo + "\r\n+CPMS: \"SM\",1,30\r\n" << "";
        QTest::newRow("UCS2 as hex") << header(8, 4) + "00480069" + ok << header(8, 4) + "00480069" + ok;
        QTest::newRow("data longer than its length (another set)") << header(0, 5) + "48616C6C6F" + ok << "";
        QTest::newRow("data shorter than its length") << header(0, 9) + "Hallo" + ok << "";
        QTest::newRow("without details (+CSDH=0)")
            << "\r\n+CMGR: \"REC READ\",\"+4917012345678\",,\"24/05/01,12:30:05+08\"\r\nHallo" + ok << "";
        QTest::newRow("PDU mode") << "\r\n+CMGR: 1,,24\r\n07919471" + ok << "";
        QTest::newRow("header cut short") << "\r\n+CMGR: \"REC UNREAD\",\"+4917" << "";
        QTest::newRow("text split in a read") << header(0, 22) + "Treffen?\r\nO" << "";
        QTest::newRow("empty slot") << "\r\nOK\r\n" << "\r\nOK\r\n";
        QTest::newRow("empty slot, error") << "\r\n+CMS ERROR: 321\r\n" << "\r\n+CMS ERROR: 321\r\n";
        QTest::newRow("with the echo") << "AT+CMGR=1\r" + hallo << "AT+CMGR=1\r" + hallo;
        QTest::newRow("+CMGR: inside the echo's line is no header") << "AT+CMGR=1\r\r\nOK\r\n" << "AT+CMGR=1\r\r\nOK\r\n";
    }
    void cmgrAnswerEnd()
    {
        QFETCH(QString, received);
        QFETCH(QString, answer);
        const AnswerEnd end = CmgrAnswerEnd(u"AT+CMGR=1\r", received);
        QCOMPARE(end.whole, !answer.isEmpty());
        if (end.whole)
            QCOMPARE(received.left(end.length), answer);
        // What the read cycle files from an answer so cut is the message whole.
        if (end.whole && received.contains(QLatin1String("+CMGR:")))
            QCOMPARE(CmgrSlotMessage(received.left(end.length)).kind, SlotKind::Message);
    }

    void headerFields_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("no alias") << "\"+4917012345678\",,\"02/11/19,09:57:28+04\"" << "+4917012345678" << "19.11.02"
                                  << "09:57:28";
        QTest::newRow("alias") << "\"0301234\",\"Anna\",\"24/05/01,23:59:59-08\"" << "0301234" << "01.05.24"
                               << "23:59:59";
        // A comma in the alias used to shift the fields: the list showed "na.a.An" as the date.
        QTest::newRow("comma in alias") << "\"+4930\",\"Meier, Anna\",\"24/05/01,12:30:05+08\"" << "+4930"
                                        << "01.05.24" << "12:30:05";
        QTest::newRow("fields behind the stamp") << "\"+4930\",,\"24/05/01,12:30:05+08\",145,4" << "+4930"
                                                 << "01.05.24" << "12:30:05";
        QTest::newRow("number only") << "\"+4930\"" << "+4930" << "" << "";
    }
    void headerFields()
    {
        QFETCH(QString, header);
        QFETCH(QString, number);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const MessageHeader h = CmgrHeaderFields(header);
        QCOMPARE(h.number, number);
        QCOMPARE(h.date, date);
        QCOMPARE(h.time, time);
    }
};

QTEST_APPLESS_MAIN(TestReceiveAnswers)
#include "test_receive_answers.moc"
