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
