// The SIM's message storage, sending with +CMGS (text and PDU mode) and the phonebooks.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::bringUp;
using simtest::joined;
using simtest::talk;

namespace {

StoredSms sms(const QByteArray &number, const QByteArray &text)
{
    return {"REC UNREAD", number, "24/05/01,12:30:05+08", text};
}

QByteArray okAnswer(const QByteArray &info)
{
    return "\r\n" + info + "\r\n\r\nOK\r\n";
}

const QByteArray kOk = "\r\nOK\r\n";
const QByteArray kInvalidIndex = "\r\n+CMS ERROR: invalid memory index\r\n";

QList<int> usedSlots(const Modem &m)
{
    QList<int> used;
    for (int i = 1; i <= m.storageSize(); ++i) {
        if (m.slot(i))
            used << i;
    }
    return used;
}

// Phonebook entries 1 and 2 taken, the rest of 250 free.
Modem withPhonebook(Config cfg = {})
{
    cfg.ownNumber = "+491701234567";
    Modem m(cfg);
    bringUp(m);
    m.writePhoneEntry("SM", {"+4915100001", 145, "Anna"}, 1);
    m.writePhoneEntry("SM", {"0301234", 129, "Bernd"}, 2);
    return m;
}

} // namespace

class TestStorage : public QObject {
    Q_OBJECT

private slots:
    void storageRoundTrip()
    {
        Modem m;
        bringUp(m);
        // Text bytes pass unchanged: high bytes, line breaks, quotes.
        const QByteArray text = "Gr\xfc\xdf" "e \x80 5,00\r\nzweite Zeile \"zitiert\"";
        QCOMPARE(joined(m.injectSms(sms("+4917011111", text))), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
        QCOMPARE(joined(m.injectSms(sms("+4917022222", "Zweite"))), QByteArray("\r\n+CMTI: \"SM\",2\r\n"));
        QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",2,30,\"SM\",2,30,\"SM\",2,30"));

        QCOMPARE(talk(m, "AT+CMGR= 1\r"), okAnswer("+CMGR: \"REC UNREAD\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\n" + text));
        QCOMPARE(talk(m, "AT+CMGR=1\r"), okAnswer("+CMGR: \"REC READ\",\"+4917011111\",,\"24/05/01,12:30:05+08\"\r\n" + text));

        QCOMPARE(talk(m, "AT+CMGD= 1\r"), kOk);
        QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",1,30,\"SM\",1,30,\"SM\",1,30"));
        QCOMPARE(talk(m, "AT+CMGR= 1\r"), kOk);
        QCOMPARE(talk(m, "AT+CMGR= 31\r"), kInvalidIndex);
        QCOMPARE(talk(m, "AT+CMGD= 31\r"), kInvalidIndex);
        // The freed slot is the first free one again.
        QCOMPARE(joined(m.injectSms(sms("+4917033333", "Dritte"))), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
        QCOMPARE(m.slot(2)->text, QByteArray("Zweite"));
    }

    // A modem set to refuse reading an empty slot; a full SIM.
    void emptyAndFull()
    {
        Config cfg;
        cfg.storageSize = 2;
        cfg.emptySlotCmsError = true;
        Modem m(cfg);
        bringUp(m);
        QVERIFY(!m.injectSms(sms("+491", "A")).isEmpty());
        QCOMPARE(talk(m, "AT+CMGR= 2\r"), kInvalidIndex);
        QVERIFY(!m.injectSms(sms("+492", "B")).isEmpty());
        // A full SIM takes no message and announces none.
        QVERIFY(m.injectSms(sms("+493", "C")).isEmpty());
        QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",2,2,\"SM\",2,2,\"SM\",2,2"));
    }

    // A storage of three slots, filled by three received messages: the third lands in the last
    // slot, which every message command reaches like any other.
    void lastSlot_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<int>>("used");

        const QByteArray third = "+CMGR: \"REC UNREAD\",\"+493\",,\"24/05/01,12:30:05+08\"\r\nC";
        QTest::newRow("read") << QByteArray("AT+CMGR= 3") << okAnswer(third) << QList<int>{1, 2, 3};
        QTest::newRow("delete") << QByteArray("AT+CMGD= 3") << kOk << QList<int>{1, 2};
        QTest::newRow("listed") << QByteArray("AT+CMGL=\"REC UNREAD\"")
                                << okAnswer("+CMGL: 1,\"REC UNREAD\",\"+491\",,\"24/05/01,12:30:05+08\"\r\nA\r\n"
                                            "+CMGL: 2,\"REC UNREAD\",\"+492\",,\"24/05/01,12:30:05+08\"\r\nB\r\n"
                                            "+CMGL: 3,\"REC UNREAD\",\"+493\",,\"24/05/01,12:30:05+08\"\r\nC")
                                << QList<int>{1, 2, 3};
        QTest::newRow("deletable") << QByteArray("AT+CMGD=?") << okAnswer("+CMGD: (1,2,3),(0-4)")
                                   << QList<int>{1, 2, 3};
        QTest::newRow("read past the end") << QByteArray("AT+CMGR= 4") << kInvalidIndex << QList<int>{1, 2, 3};
        QTest::newRow("delete past the end") << QByteArray("AT+CMGD= 4") << kInvalidIndex << QList<int>{1, 2, 3};
        QTest::newRow("read slot 0") << QByteArray("AT+CMGR= 0") << kInvalidIndex << QList<int>{1, 2, 3};
    }

    void lastSlot()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        QFETCH(QList<int>, used);
        Config cfg;
        cfg.storageSize = 3;
        Modem m(cfg);
        bringUp(m);
        m.injectSms(sms("+491", "A"));
        m.injectSms(sms("+492", "B"));
        QCOMPARE(joined(m.injectSms(sms("+493", "C"))), QByteArray("\r\n+CMTI: \"SM\",3\r\n"));
        QCOMPARE(talk(m, line + "\r"), answer);
        QCOMPARE(usedSlots(m), used);
    }

    // AT+CMGD=<index>,<delflag>: 0 deletes the message at the index; 1 to 4 ignore the index and
    // delete by state, each taking more: read ones, then also sent, then also unsent, then all.
    void deleteByState_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<int>>("used");

        // Slots 1 to 5: REC UNREAD, REC READ, STO UNSENT, STO SENT, REC READ.
        QTest::newRow("0: the index") << QByteArray("AT+CMGD=2,0") << kOk << QList<int>{1, 3, 4, 5};
        QTest::newRow("1: read") << QByteArray("AT+CMGD=1,1") << kOk << QList<int>{1, 3, 4};
        QTest::newRow("2: read, sent") << QByteArray("AT+CMGD=1,2") << kOk << QList<int>{1, 3};
        QTest::newRow("3: read, sent, unsent") << QByteArray("AT+CMGD=1,3") << kOk << QList<int>{1};
        QTest::newRow("4: all") << QByteArray("AT+CMGD=1,4") << kOk << QList<int>{};
        QTest::newRow("4, index past the end") << QByteArray("AT+CMGD=31,4") << kOk << QList<int>{};
        QTest::newRow("5: no such flag") << QByteArray("AT+CMGD=1,5")
                                         << QByteArray("\r\n+CMS ERROR: invalid text mode parameter\r\n")
                                         << QList<int>{1, 2, 3, 4, 5};
    }

    void deleteByState()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        QFETCH(QList<int>, used);
        Modem m;
        bringUp(m);
        const QByteArrayList states = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "REC READ"};
        for (const QByteArray &state : states)
            m.storeSms({state, "+49170", "24/05/01,12:30:05+08", state});
        QCOMPARE(talk(m, line + "\r"), answer);
        QCOMPARE(usedSlots(m), used);
    }

    void send_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("commandAnswer");
        QTest::addColumn<QByteArray>("text");    // written after the prompt, with its Ctrl-Z or ESC
        QTest::addColumn<QByteArray>("answer");  // to the text
        QTest::addColumn<QByteArrayList>("outbox"); // number, text

        const QByteArray cmd = "AT+CMGS=\"+49170\"\r";
        const QByteArray prompt = "\r\n> ";
        const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
        const QByteArray refused = "\r\n+CMS ERROR: invalid text mode parameter\r\n";

        QTest::newRow("plain") << cmd << prompt << QByteArray("Hallo\x1a") << sent << QByteArrayList{"+49170", "Hallo"};
        // Text entry begins at the CR: an LF sent after the command line opens the text.
        QTest::newRow("command with CR LF") << QByteArray("AT+CMGS=\"+4917012345\"\r\n") << prompt << QByteArray("Hallo\x1a")
                                            << sent << QByteArrayList{"+4917012345", "\nHallo"};
        // Every CR in the text gets a fresh prompt; the text keeps its line breaks.
        QTest::newRow("two lines") << cmd << prompt << QByteArray("eins\r\nzwei\x1a") << prompt + sent
                                   << QByteArrayList{"+49170", "eins\r\nzwei"};
        QTest::newRow("ESC cancels") << cmd << prompt << QByteArray("Hallo\x1b") << kOk << QByteArrayList{};
        QTest::newRow("160 characters") << cmd << prompt << QByteArray(160, 'a') + "\x1a" << sent
                                        << QByteArrayList{"+49170", QByteArray(160, 'a')};
        QTest::newRow("161 characters") << cmd << prompt << QByteArray(161, 'a') + "\x1a" << refused << QByteArrayList{};
        // The euro sign takes two septets in the GSM alphabet.
        QTest::newRow("81 euro signs") << cmd << prompt << QByteArray(81, '\x80') + "\x1a" << refused << QByteArrayList{};
        QTest::newRow("letters in number") << QByteArray("AT+CMGS=\"Hans\"\r") << refused << QByteArray() << QByteArray()
                                           << QByteArrayList{};
    }

    void send()
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
        QByteArrayList got;
        for (const SentSms &s : m.outbox())
            got << s.number << s.text;
        QCOMPARE(got, outbox);
        // Back in command mode.
        QCOMPARE(talk(m, "AT\r"), kOk);
    }

    void sendEchoesText()
    {
        Modem m;
        talk(m, "AT+CPIN=\"1234\"\rAT+CMGF=1\r");
        QCOMPARE(talk(m, "AT+CMGS=\"+49170\"\r"), QByteArray("AT+CMGS=\"+49170\"\r\r\n> "));
        QCOMPARE(talk(m, "Hi\x1a"), QByteArray("Hi\r\n+CMGS: 1\r\n\r\nOK\r\n"));
    }

    void pduMode()
    {
        Modem m;
        bringUp(m);
        talk(m, "AT+CMGF=0\r");
        m.storeSms(sms("+4917012345", "hellohello"), 2);
        const QByteArray deliver = "0791947101670000040A91947110325400004250102103508" "00AE8329BFD4697D9EC37";
        QCOMPARE(talk(m, "AT+CMGR=2\r"), "\r\n+CMGR: 0,,27\r\n" + deliver + "\r\n\r\nOK\r\n");

        // The classic SMS-SUBMIT of "hellohello" to +46708251358.
        const QByteArray submit = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";
        QCOMPARE(talk(m, "AT+CMGS=23\r"), QByteArray("\r\n> "));
        QCOMPARE(talk(m, submit + "\x1a"), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
        QCOMPARE(m.outbox().last(), (SentSms{"+46708251358", "hellohello", 1}));
        QCOMPARE(talk(m, "AT+CMGS=22\r"), QByteArray("\r\n> "));
        QCOMPARE(talk(m, submit + "\x1a"), QByteArray("\r\n+CMS ERROR: invalid PDU mode parameter\r\n"));
        QCOMPARE(m.outbox().size(), 1);
    }

    void phonebookWrite_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("index");         // location to look at afterwards
        QTest::addColumn<QByteArray>("entry");  // its +CPBR line, empty: free

        const QByteArray badParameters = "\r\n+CME ERROR: Incorrect parameters\r\n";
        // The program's form: no index, nothing quoted, blanks inside the name kept.
        QTest::newRow("program's form") << QByteArray("AT+CPBW=,+4917012345,145,Hans Meier") << kOk
                                        << 3 << QByteArray("+CPBR: 3,\"+4917012345\",145,\"Hans Meier\"");
        QTest::newRow("quoted, with index") << QByteArray("AT+CPBW=5,\"0171\",129,\"M\xfcller Gr\xf6\xdf\"") << kOk
                                            << 5 << QByteArray("+CPBR: 5,\"0171\",129,\"M\xfcller Gr\xf6\xdf\"");
        QTest::newRow("semicolon in name") << QByteArray("AT+CPBW=,0171,129,Meier;Ernst") << kOk
                                           << 3 << QByteArray("+CPBR: 3,\"0171\",129,\"Meier;Ernst\"");
        QTest::newRow("delete") << QByteArray("AT+CPBW= 2") << kOk << 2 << QByteArray();
        // Refused, nothing written.
        QTest::newRow("comma in unquoted name") << QByteArray("AT+CPBW=,0171,129,Meier, Ernst") << badParameters << 3 << QByteArray();
        QTest::newRow("name too long") << QByteArray("AT+CPBW=,0171,129,") + QByteArray(19, 'n')
                                       << QByteArray("\r\n+CME ERROR: text string too long\r\n") << 3 << QByteArray();
        QTest::newRow("index 251") << QByteArray("AT+CPBW=251,0171,129,X") << QByteArray("\r\n+CME ERROR: invalid index\r\n")
                                   << 3 << QByteArray();
    }

    void phonebookWrite()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        QFETCH(int, index);
        QFETCH(QByteArray, entry);
        Modem m = withPhonebook();
        QCOMPARE(talk(m, "AT+CPBS=\"SM\"\r"), kOk);
        QCOMPARE(talk(m, line + "\r"), answer);
        const QByteArray read = "AT+CPBR= " + QByteArray::number(index) + ", " + QByteArray::number(index) + "\r";
        QCOMPARE(talk(m, read), entry.isEmpty() ? kOk : okAnswer(entry));
    }

    void phonebookRead_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray anna = "+CPBR: 1,\"+4915100001\",145,\"Anna\"";
        const QByteArray bernd = "+CPBR: 2,\"0301234\",129,\"Bernd\"";
        QTest::newRow("range") << QByteArray("AT+CPBR=?") << okAnswer("+CPBR: (1-250),40,18");
        QTest::newRow("one") << QByteArray("AT+CPBR= 2, 2") << okAnswer(bernd);
        QTest::newRow("span") << QByteArray("AT+CPBR= 1, 250") << okAnswer(anna + "\r\n" + bernd);
        QTest::newRow("free location") << QByteArray("AT+CPBR= 3, 3") << kOk;
        QTest::newRow("index 251") << QByteArray("AT+CPBR=251") << QByteArray("\r\n+CME ERROR: invalid index\r\n");
        QTest::newRow("storage state") << QByteArray("AT+CPBS?") << okAnswer("+CPBS: \"SM\",2,250");
        // The program's own-number query.
        QTest::newRow("own number") << QByteArray("AT+CPBS=\"ON\";+CPBR=1") << okAnswer("+CPBR: 1,\"+491701234567\",145,\"\"");
    }

    void phonebookRead()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        Modem m = withPhonebook();
        QCOMPARE(talk(m, line + "\r"), answer);
    }

    void phonebookFull()
    {
        Config cfg;
        cfg.phonebookSize = 3;
        Modem m = withPhonebook(cfg);
        QCOMPARE(talk(m, "AT+CPBW=,0171,129,C\r"), kOk);
        QCOMPARE(talk(m, "AT+CPBW=,0172,129,D\r"), QByteArray("\r\n+CME ERROR: memory full\r\n"));
        QCOMPARE(m.phonebookUsed("SM"), 3);
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "test_storage.moc"
