// The message storage (received messages, +CPMS/+CMGR/+CMGL/+CMGD) and sending with +CMGS.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::bringUp;
using simtest::talk;

namespace {

StoredSms sms(const QByteArray &number, const QByteArray &text, const QByteArray &status = "REC UNREAD")
{
    return {status, number, "24/05/01,12:30:05+08", text};
}

QByteArray okAnswer(const QByteArray &info)
{
    return "\r\n" + info + "\r\n\r\nOK\r\n";
}

} // namespace

class TestSms : public QObject {
    Q_OBJECT

private slots:
    void storageRoundTrip();
    void textBytesPassUnchanged();
    void readSlot_data();
    void readSlot();
    void listByState_data();
    void listByState();
    void deleteFlags_data();
    void deleteFlags();
    void storageFull();
    void send_data();
    void send();
    void sendEchoesText();
    void referencesCount();
    void readCycleOfTheProgram();
};

void TestSms::storageRoundTrip()
{
    Modem m;
    bringUp(m);
    QCOMPARE(simtest::joined(m.injectSms(sms("+4917011111", "Erste"))), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
    QCOMPARE(simtest::joined(m.injectSms(sms("+4917022222", "Zweite"))), QByteArray("\r\n+CMTI: \"SM\",2\r\n"));
    QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",2,30,\"SM\",2,30,\"SM\",2,30"));

    const QByteArray unread = okAnswer("+CMGR: \"REC UNREAD\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\nErste");
    QCOMPARE(talk(m, "AT+CMGR= 1\r"), unread);
    QCOMPARE(m.slot(1)->status, QByteArray("REC READ"));
    QCOMPARE(talk(m, "AT+CMGR=1\r"), okAnswer("+CMGR: \"REC READ\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\nErste"));

    QCOMPARE(talk(m, "AT+CMGD= 1\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",1,30,\"SM\",1,30,\"SM\",1,30"));
    QCOMPARE(talk(m, "AT+CMGR= 1\r"), QByteArray("\r\nOK\r\n"));
    // The freed slot is the first free one again.
    QCOMPARE(simtest::joined(m.injectSms(sms("+4917033333", "Dritte"))), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
    QCOMPARE(m.slot(2)->text, QByteArray("Zweite"));
}

void TestSms::textBytesPassUnchanged()
{
    Modem m;
    bringUp(m);
    QByteArray text = "Gr\xfc\xdf" "e \x80 5,00\r\nzweite Zeile \"zitiert\"";
    text += '\0';
    text += '!';
    m.storeSms(sms("+4917011111", text), 4);
    QCOMPARE(talk(m, "AT+CMGR= 4\r"),
             okAnswer("+CMGR: \"REC UNREAD\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\n" + text));
}

void TestSms::readSlot_data()
{
    QTest::addColumn<bool>("emptySlotError");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    const QByteArray e321 = "\r\n+CMS ERROR: invalid memory index\r\n";
    QTest::newRow("empty slot, OK") << false << QByteArray("AT+CMGR= 2") << QByteArray("\r\nOK\r\n");
    QTest::newRow("empty slot, error") << true << QByteArray("AT+CMGR= 2") << e321;
    QTest::newRow("slot 0") << false << QByteArray("AT+CMGR=0") << e321;
    QTest::newRow("beyond the storage") << false << QByteArray("AT+CMGR= 31") << e321;
    QTest::newRow("last slot") << false << QByteArray("AT+CMGR=30") << QByteArray("\r\nOK\r\n");
    QTest::newRow("not a number") << false << QByteArray("AT+CMGR=x") << QByteArray("\r\n+CMS ERROR: invalid text mode parameter\r\n");
    QTest::newRow("taken slot") << true << QByteArray("AT+CMGR=3")
                                << okAnswer("+CMGR: \"REC UNREAD\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\nHallo");
    QTest::newRow("header details") << false << QByteArray("AT+CSDH=1;+CMGR=3")
                                    << okAnswer("+CMGR: \"REC UNREAD\",\"+4917011111\",,\"24/05/01,12:30:05+08\",145,4,0,0,\"+491710760000\",145,5\r\nHallo");
    QTest::newRow("delete beyond") << false << QByteArray("AT+CMGD= 31") << e321;
    QTest::newRow("delete empty") << false << QByteArray("AT+CMGD= 2") << QByteArray("\r\nOK\r\n");
}

void TestSms::readSlot()
{
    QFETCH(bool, emptySlotError);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Config cfg;
    cfg.emptySlotCmsError = emptySlotError;
    Modem m(cfg);
    bringUp(m);
    m.storeSms(sms("+4917011111", "Hallo"), 3);
    QCOMPARE(talk(m, line + "\r"), answer);
}

void TestSms::listByState_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("slot1After");

    const QByteArray l1 = "+CMGL: 1,\"REC UNREAD\",\"+491\",,\"24/05/01,12:30:05+08\"\r\nA";
    const QByteArray l2 = "+CMGL: 2,\"REC READ\",\"+492\",,\"24/05/01,12:30:05+08\"\r\nB";
    const QByteArray l4 = "+CMGL: 4,\"STO UNSENT\",\"+494\",,\r\nD";
    QTest::newRow("default unread") << QByteArray("AT+CMGL") << okAnswer(l1) << QByteArray("REC READ");
    QTest::newRow("all") << QByteArray("AT+CMGL=\"ALL\"") << okAnswer(l1 + "\r\n" + l2 + "\r\n" + l4) << QByteArray("REC READ");
    QTest::newRow("read only") << QByteArray("AT+CMGL=\"REC READ\"") << okAnswer(l2) << QByteArray("REC UNREAD");
    QTest::newRow("stored unsent") << QByteArray("AT+CMGL=\"STO UNSENT\"") << okAnswer(l4) << QByteArray("REC UNREAD");
    QTest::newRow("bad state") << QByteArray("AT+CMGL=\"NEW\"") << QByteArray("\r\n+CMS ERROR: invalid text mode parameter\r\n")
                               << QByteArray("REC UNREAD");
}

void TestSms::listByState()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, slot1After);
    Modem m;
    bringUp(m);
    m.storeSms(sms("+491", "A"));
    m.storeSms(sms("+492", "B", "REC READ"));
    m.storeSms(sms("+494", "D", "STO UNSENT"), 4);
    QCOMPARE(talk(m, line + "\r"), answer);
    QCOMPARE(m.slot(1)->status, slot1After);
}

void TestSms::deleteFlags_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("left");

    // Slots: 1 REC UNREAD, 2 REC READ, 3 STO SENT, 4 STO UNSENT.
    QTest::newRow("one slot") << QByteArray("AT+CMGD=2") << QList<int>{1, 3, 4};
    QTest::newRow("one slot, flag 0") << QByteArray("AT+CMGD=2,0") << QList<int>{1, 3, 4};
    QTest::newRow("read") << QByteArray("AT+CMGD=1,1") << QList<int>{1, 3, 4};
    QTest::newRow("read and sent") << QByteArray("AT+CMGD=1,2") << QList<int>{1, 4};
    QTest::newRow("all but unread") << QByteArray("AT+CMGD=1,3") << QList<int>{1};
    QTest::newRow("everything") << QByteArray("AT+CMGD=1,4") << QList<int>{};
}

void TestSms::deleteFlags()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, left);
    Modem m;
    bringUp(m);
    m.storeSms(sms("+491", "A"));
    m.storeSms(sms("+492", "B", "REC READ"));
    m.storeSms(sms("+493", "C", "STO SENT"));
    m.storeSms(sms("+494", "D", "STO UNSENT"));
    QCOMPARE(talk(m, line + "\r"), QByteArray("\r\nOK\r\n"));
    QList<int> taken;
    for (int i = 1; i <= m.storageSize(); ++i) {
        if (m.slot(i))
            taken << i;
    }
    QCOMPARE(taken, left);
}

void TestSms::storageFull()
{
    Config cfg;
    cfg.storageSize = 2;
    Modem m(cfg);
    bringUp(m);
    QVERIFY(!m.injectSms(sms("+491", "A")).isEmpty());
    QVERIFY(!m.injectSms(sms("+492", "B")).isEmpty());
    // A full SIM takes no message and announces none.
    QVERIFY(m.injectSms(sms("+493", "C")).isEmpty());
    QCOMPARE(m.storageUsed(), 2);
    QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",2,2,\"SM\",2,2,\"SM\",2,2"));
}

void TestSms::send_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("commandAnswer");
    QTest::addColumn<QByteArray>("text");    // written after the prompt, with its Ctrl-Z or ESC
    QTest::addColumn<QByteArray>("answer");  // to the text
    QTest::addColumn<QByteArrayList>("outbox"); // number, text

    const QByteArray prompt = "\r\n> ";
    const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
    const QByteArray tooLong = "\r\n+CMS ERROR: invalid text mode parameter\r\n";
    const QByteArray badParameter = tooLong;

    QTest::newRow("plain") << QByteArray("AT+CMGS=\"+4917012345\"\r") << prompt << QByteArray("Hallo\x1a")
                           << sent << QByteArrayList{"+4917012345", "Hallo"};
    // The program sends the command line with CR LF; the LF must not open the text.
    QTest::newRow("command with CR LF") << QByteArray("AT+CMGS=\"+4917012345\"\r\n") << prompt << QByteArray("Hallo\x1a")
                                        << sent << QByteArrayList{"+4917012345", "Hallo"};
    QTest::newRow("high bytes") << QByteArray("AT+CMGS=\"0171123\"\r") << prompt << QByteArray("\xe4\xf6\xfc\xdf \x80 \xff\x1a")
                                << sent << QByteArrayList{"0171123", "\xe4\xf6\xfc\xdf \x80 \xff"};
    QTest::newRow("unquoted number, type") << QByteArray("AT+CMGS=+4917012345,145\r") << prompt << QByteArray("x\x1a")
                                           << sent << QByteArrayList{"+4917012345", "x"};
    // Every CR in the text gets a fresh prompt; the text keeps its line breaks.
    QTest::newRow("two lines") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray("eins\r\nzwei\x1a")
                               << prompt + sent << QByteArrayList{"+49170", "eins\r\nzwei"};
    QTest::newRow("empty text") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray("\x1a")
                                << sent << QByteArrayList{"+49170", ""};
    QTest::newRow("backspace") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray("Hallp\bo\x1a")
                               << sent << QByteArrayList{"+49170", "Hallo"};
    QTest::newRow("ESC cancels") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray("Hallo\x1b")
                                 << QByteArray("\r\nOK\r\n") << QByteArrayList{};
    QTest::newRow("160 characters") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray(160, 'a') + "\x1a"
                                    << sent << QByteArrayList{"+49170", QByteArray(160, 'a')};
    QTest::newRow("161 characters") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray(161, 'a') + "\x1a"
                                    << tooLong << QByteArrayList{};
    // The euro sign and [ ] { } take two septets in the GSM alphabet.
    QTest::newRow("80 euro signs") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray(80, '\x80') + "\x1a"
                                   << sent << QByteArrayList{"+49170", QByteArray(80, '\x80')};
    QTest::newRow("81 euro signs") << QByteArray("AT+CMGS=\"+49170\"\r") << prompt << QByteArray(81, '\x80') + "\x1a"
                                   << tooLong << QByteArrayList{};
    QTest::newRow("no number") << QByteArray("AT+CMGS=\"\"\r") << badParameter << QByteArray() << QByteArray() << QByteArrayList{};
    QTest::newRow("letters in number") << QByteArray("AT+CMGS=\"Hans\"\r") << badParameter << QByteArray() << QByteArray() << QByteArrayList{};
    QTest::newRow("quote in number") << QByteArray("AT+CMGS=\"+49\"170\"\r") << badParameter << QByteArray() << QByteArray()
                                     << QByteArrayList{};
    // In PDU mode the parameter is the length of the PDU to come.
    QTest::newRow("number in PDU mode") << QByteArray("AT+CMGF=0;+CMGS=\"+49170\"\r") << QByteArray("\r\n+CMS ERROR: invalid PDU mode parameter\r\n")
                              << QByteArray() << QByteArray() << QByteArrayList{};
}

void TestSms::send()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, commandAnswer);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArrayList, outbox);
    Modem m;
    bringUp(m);
    QCOMPARE(talk(m, command), commandAnswer);
    QCOMPARE(talk(m, text), answer);
    QVERIFY(!m.inTextEntry());
    if (outbox.isEmpty()) {
        QVERIFY(m.outbox().isEmpty());
    } else {
        QCOMPARE(m.outbox().size(), 1);
        QCOMPARE(m.outbox().first().number, outbox[0]);
        QCOMPARE(m.outbox().first().text, outbox[1]);
    }
    // Back in command mode.
    QCOMPARE(talk(m, "AT\r"), QByteArray("\r\nOK\r\n"));
}

void TestSms::sendEchoesText()
{
    Modem m;
    talk(m, "AT+CPIN=\"1234\"\r");
    talk(m, "AT+CMGF=1\r");
    QCOMPARE(talk(m, "AT+CMGS=\"+49170\"\r"), QByteArray("AT+CMGS=\"+49170\"\r\r\n> "));
    QCOMPARE(talk(m, "Hi\x1a"), QByteArray("Hi\r\n+CMGS: 1\r\n\r\nOK\r\n"));
}

void TestSms::referencesCount()
{
    Modem m;
    bringUp(m);
    for (int i = 1; i <= 3; ++i) {
        talk(m, "AT+CMGS=\"+49170\"\r");
        QCOMPARE(talk(m, "x\x1a"), "\r\n+CMGS: " + QByteArray::number(i) + "\r\n\r\nOK\r\n");
    }
    QCOMPARE(m.outbox().size(), 3);
    QCOMPARE(m.outbox().last().reference, 3);
}

// Messages in slots 3 and 7 of 10, fetched the way the program does: query, read slot by slot,
// delete what was found, query again.
void TestSms::readCycleOfTheProgram()
{
    Config cfg;
    cfg.storageSize = 10;
    Modem m(cfg);
    bringUp(m);
    m.storeSms(sms("+4917033333", "drei"), 3);
    m.storeSms(sms("+4917077777", "sieben"), 7);
    QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",2,10,\"SM\",2,10,\"SM\",2,10"));
    QByteArrayList found;
    for (int i = 1; i <= 10; ++i) {
        const QByteArray answer = talk(m, "AT+CMGR= " + QByteArray::number(i) + "\r");
        if (!answer.contains("+CMGR:")) {
            QCOMPARE(answer, QByteArray("\r\nOK\r\n"));
            continue;
        }
        found << answer.split('\n').at(2).trimmed();
        QCOMPARE(talk(m, "AT+CMGD= " + QByteArray::number(i) + "\r"), QByteArray("\r\nOK\r\n"));
        if (talk(m, "AT+CPMS?\r").contains("\"SM\",0,10"))
            break;
    }
    QCOMPARE(found, (QByteArrayList{"drei", "sieben"}));
    QCOMPARE(m.storageUsed(), 0);
}

QTEST_GUILESS_MAIN(TestSms)
#include "test_sms.moc"
