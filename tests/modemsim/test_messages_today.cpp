// Messages of today through the AT interface: how text and PDU mode show them, +CNMI's
// indications, the storages of +CPMS, status reports, long messages in parts and what the
// outbox records of a send.

#include "SimTest.h"
#include "core/DataFiles.h"

#include <QtTest>

using namespace modemsim;
using simtest::bringUp;
using simtest::joined;
using simtest::talk;

Q_DECLARE_METATYPE(modemsim::Incoming)

namespace {

const QByteArray kStamp = "24/05/01,12:30:05+08";
const QByteArray kOk = "\r\nOK\r\n";
// The SMS-DELIVER's fixed head for +4917012345 at kStamp: its service centre, first octet 04 or
// 44, originator, PID 00.
const QByteArray kCentre = "07919471016700 00";

Config fixedTime(Config cfg = {})
{
    cfg.networkTime = kStamp;
    return cfg;
}

Incoming message(const QString &text, const QByteArray &number = "+4917012345")
{
    Incoming in;
    in.number = number;
    in.text = text;
    return in;
}

Incoming coded(const QString &text, coding::Alphabet alphabet, int reference = -1)
{
    Incoming in = message(text);
    in.alphabet = alphabet;
    in.reference = reference;
    return in;
}

QByteArray okAnswer(const QByteArray &info)
{
    return "\r\n" + info + "\r\n\r\nOK\r\n";
}

QByteArray urc(const QByteArray &line)
{
    return "\r\n" + line + "\r\n";
}

QByteArray spaceless(QByteArray hex)
{
    return hex.replace(' ', "");
}

} // namespace

class TestMessagesToday : public QObject {
    Q_OBJECT

private slots:
    // AT+CMGR in text mode: 27.005 3.1 shows 7-bit text in the host's character set, and
    // everything else (UCS2, 8-bit, a header) as hex of the user data.
    void textMode_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<Incoming>("incoming");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray head = "+CMGR: \"REC UNREAD\",\"+4917012345\",,\"24/05/01,12:30:05+08\"";
        const QByteArray csdh = "AT+CSDH=1\r";
        const QByteArray centre = ",\"+491710760000\",145,";
        const Incoming greeting = message(QStringLiteral("Grüße €"));
        // The same bytes as a message stored as bytes always showed.
        QTest::newRow("7-bit, IRA") << QByteArray() << greeting << 1
                                    << okAnswer(head + "\r\nGr\xfc\xdf"
                                                       "e \x80");
        // <length> counts septets: the euro sign takes two.
        QTest::newRow("7-bit, +CSDH=1") << csdh << greeting << 1
                                        << okAnswer(head + ",145,4,0,0" + centre +
                                                    "8\r\nGr\xfc\xdf"
                                                    "e \x80");
        QTest::newRow("7-bit, GSM") << QByteArray("AT+CSCS=\"GSM\"\r") << greeting << 1
                                    << okAnswer(head + "\r\nGr\x7e\x1e"
                                                       "e \x1b\x65");
        // The address is converted as well: HEX and UCS2 show it in hex.
        QTest::newRow("7-bit, HEX") << QByteArray("AT+CSCS=\"HEX\"\r") << greeting << 1
                                    << okAnswer("+CMGR: \"REC UNREAD\",\"2B34393137303132333435\",,"
                                                "\"24/05/01,12:30:05+08\"\r\n47727E1E65201B65");
        QTest::newRow("7-bit, UCS2") << QByteArray("AT+CSCS=\"UCS2\"\r") << greeting << 1
                                     << okAnswer(
                                            "+CMGR: \"REC UNREAD\",\"002B0034003900310037003000310032003300340035\",,"
                                            "\"24/05/01,12:30:05+08\"\r\n0047007200FC00DF0065002020AC");
        QTest::newRow("UCS2 emoji, IRA") << csdh << message(QStringLiteral("H😀")) << 1
                                         << okAnswer(head + ",145,4,0,8" + centre + "6\r\n0048D83DDE00");
        QTest::newRow("UCS2 typographic quotes")
            << QByteArray() << message(QStringLiteral("„a“")) << 1 << okAnswer(head + "\r\n201E0061201C");
        QTest::newRow("8-bit") << csdh << coded(QStringLiteral("\x01\xff"), coding::Alphabet::Data8) << 1
                               << okAnswer(head + ",145,4,0,4" + centre + "2\r\n01FF");
        // Part 2 of 71 Cyrillic letters: 6 octets of header (reference 1, 2 parts, part 2) and
        // four characters; first octet 68 (TP-UDHI).
        QTest::newRow("UCS2, part 2") << csdh << coded(QString(71, u'ж'), coding::Alphabet::Ucs2, 1) << 2
                                      << okAnswer(head + ",145,68,0,8" + centre +
                                                  "14\r\n050003010202"
                                                  "0436043604360436");
        // 7-bit with a header: the packed octets in hex, the length in septets (7 of header).
        QTest::newRow("7-bit, part 2") << csdh
                                       << coded(QString(153, u'a') + QString(8, u'b'), coding::Alphabet::Gsm7, 0xA7)
                                       << 2
                                       << okAnswer(head + ",145,68,0,0" + centre +
                                                   "15\r\n050003A70202"
                                                   "C462B1582C168B01");
        QTest::newRow("7-bit, part 2, 16-bit reference") << csdh <<
            [] {
                Incoming in = coded(QString(152, u'a') + QString(9, u'b'), coding::Alphabet::Gsm7, 0x1234);
                in.wideReference = true;
                return in;
            }() << 2
                                                         << okAnswer(head + ",145,68,0,0" + centre +
                                                                     "17\r\n06080412340202"
                                                                     "62B1582C168BC562");
        QTest::newRow("alphanumeric sender")
            << csdh << message(QStringLiteral("Hallo"), "Bank") << 1
            << okAnswer("+CMGR: \"REC UNREAD\",\"Bank\",,\"24/05/01,12:30:05+08\",208,4,0,0" + centre + "5\r\nHallo");
    }

    void textMode()
    {
        QFETCH(QByteArray, setup);
        QFETCH(Incoming, incoming);
        QFETCH(int, slot);
        QFETCH(QByteArray, answer);
        Modem m(fixedTime());
        bringUp(m);
        talk(m, setup);
        QVERIFY(m.preload(incoming));
        QCOMPARE(talk(m, "AT+CMGR=" + QByteArray::number(slot) + "\r"), answer);
        // Read: listed as such, the same way.
        const QByteArray listed = talk(m, "AT+CMGL=\"REC READ\"\r");
        QVERIFY2(listed.contains(answer.mid(answer.indexOf("\r\n", 2) + 2, 10)), listed.constData());
    }

    void pduMode_data()
    {
        QTest::addColumn<Incoming>("incoming");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QByteArray>("answer");

        QTest::newRow("7-bit") << message(QStringLiteral("Hallo")) << 1
                               << okAnswer("+CMGR: 0,,23\r\n" +
                                           spaceless(kCentre + "040A919471103254 00 00 42501021035080"
                                                               "05C8309BFD06"));
        QTest::newRow("UCS2 emoji") << message(QStringLiteral("H😀")) << 1
                                    << okAnswer("+CMGR: 0,,24\r\n" +
                                                spaceless(kCentre + "040A919471103254 00 08 42501021035080"
                                                                    "06 0048D83DDE00"));
        QTest::newRow("UCS2, part 2") << coded(QString(71, u'ж'), coding::Alphabet::Ucs2, 1) << 2
                                      << okAnswer("+CMGR: 0,,32\r\n" +
                                                  spaceless(kCentre + "440A919471103254 00 08 42501021035080"
                                                                      "0E 050003010202 0436043604360436"));
    }

    void pduMode()
    {
        QFETCH(Incoming, incoming);
        QFETCH(int, slot);
        QFETCH(QByteArray, answer);
        Modem m(fixedTime());
        bringUp(m);
        talk(m, "AT+CMGF=0\r");
        QVERIFY(m.preload(incoming));
        QCOMPARE(talk(m, "AT+CMGR=" + QByteArray::number(slot) + "\r"), answer);
    }

    // How a new message is indicated (27.005 +CNMI <mode>,<mt>), also while the host types a
    // message after the "> " prompt: 1 drops, 2 holds, 3 sends regardless.
    void indications_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<bool>("typing");
        QTest::addColumn<QByteArray>("onArrival");
        QTest::addColumn<QByteArray>("afterwards"); // the answer to the command (or the Ctrl-Z) after
        QTest::addColumn<int>("stored");

        const QByteArray cmti = urc("+CMTI: \"SM\",1");
        const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
        QTest::newRow("power-up: +CMTI") << QByteArray() << false << cmti << kOk << 1;
        QTest::newRow("<mt> 0: stored only") << QByteArray("AT+CNMI=2,0\r") << false << QByteArray() << kOk << 1;
        QTest::newRow("<mt> 2: +CMT, not stored")
            << QByteArray("AT+CNMI=1,2,0,0,0\r") << false
            << urc("+CMT: \"+4917012345\",,\"24/05/01,12:30:05+08\"\r\nHallo") << kOk << 0;
        QTest::newRow("<mt> 2, +CSDH=1") << QByteArray("AT+CSDH=1;+CNMI=1,2\r") << false
                                         << urc("+CMT: \"+4917012345\",,\"24/05/01,12:30:05+08\",145,4,0,0,"
                                                "\"+491710760000\",145,5\r\nHallo")
                                         << kOk << 0;
        QTest::newRow("<mt> 2, PDU mode") << QByteArray("AT+CMGF=0;+CNMI=1,2\r") << false
                                          << urc("+CMT: ,23\r\n" + spaceless(kCentre + "040A919471103254 00 00 "
                                                                                       "42501021035080 05C8309BFD06"))
                                          << kOk << 0;
        // <mode> 0 holds everything; entering <mode> 2 with <bfr> 0 hands it out after the OK,
        // with <bfr> 1 drops it.
        QTest::newRow("<mode> 0, then 2") << QByteArray("AT+CNMI=0,1\r") << false << QByteArray() << kOk + cmti << 1;
        QTest::newRow("<mode> 0, then 2 with <bfr> 1")
            << QByteArray("AT+CNMI=0,1,0,0,1\r") << false << QByteArray() << kOk << 1;
        QTest::newRow("typing, <mode> 2 holds") << QByteArray() << true << QByteArray() << sent + cmti << 1;
        QTest::newRow("typing, <mode> 1 drops") << QByteArray("AT+CNMI=1,1\r") << true << QByteArray() << sent << 1;
        QTest::newRow("typing, <mode> 3 sends") << QByteArray("AT+CNMI=3,1\r") << true << cmti << sent << 1;
    }

    void indications()
    {
        QFETCH(QByteArray, setup);
        QFETCH(bool, typing);
        QFETCH(QByteArray, onArrival);
        QFETCH(QByteArray, afterwards);
        QFETCH(int, stored);
        Modem m(fixedTime());
        bringUp(m);
        QCOMPARE(talk(m, setup), setup.isEmpty() ? QByteArray() : kOk);
        if (typing)
            QCOMPARE(talk(m, "AT+CMGF=1;+CMGS=\"+4917099\"\rHi"), QByteArray("\r\n> "));
        QCOMPARE(joined(m.deliver(message(QStringLiteral("Hallo")))), onArrival);
        const QByteArray next = typing ? QByteArray("\x1a") : QByteArray("AT+CNMI=2,1\r");
        QCOMPARE(talk(m, next), afterwards);
        QCOMPARE(m.storageUsed(), stored);
    }

    // +CPMS: the storage read and deleted from and the one received into.
    void storages_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArray>("lastAnswer");

        QTest::newRow("three storages") << QByteArrayList{"AT+CPMS=?"}
                                        << okAnswer("+CPMS: (\"SM\",\"ME\",\"SR\"),(\"SM\",\"ME\"),(\"SM\",\"ME\")");
        QTest::newRow("ME chosen") << QByteArrayList{"AT+CPMS=\"ME\",\"ME\",\"ME\""}
                                   << okAnswer("+CPMS: 0,100,0,100,0,100");
        QTest::newRow("ME read back") << QByteArrayList{"AT+CPMS=\"ME\",\"ME\",\"ME\"", "AT+CPMS?"}
                                      << okAnswer("+CPMS: \"ME\",0,100,\"ME\",0,100,\"ME\",0,100");
        QTest::newRow("reports only to read") << QByteArrayList{"AT+CPMS=\"SR\""} << okAnswer("+CPMS: 0,10,0,30,0,30");
        QTest::newRow("no reports to receive into") << QByteArrayList{"AT+CPMS=\"SM\",\"SM\",\"SR\""}
                                                    << QByteArray("\r\n+CMS ERROR: operation not allowed\r\n");
        QTest::newRow("no such storage") << QByteArrayList{"AT+CPMS=\"MT\""}
                                         << QByteArray("\r\n+CMS ERROR: operation not allowed\r\n");
    }

    void storages()
    {
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArray, lastAnswer);
        Modem m;
        bringUp(m);
        QByteArray answer;
        for (const QByteArray &line : lines)
            answer = talk(m, line + "\r");
        QCOMPARE(answer, lastAnswer);
    }

    void receiveIntoMe()
    {
        Modem m(fixedTime());
        bringUp(m);
        talk(m, "AT+CPMS=\"SM\",\"SM\",\"ME\"\r");
        QCOMPARE(joined(m.deliver(message(QStringLiteral("Hallo")))), urc("+CMTI: \"ME\",1"));
        QCOMPARE(m.storageUsed("ME"), 1);
        QCOMPARE(talk(m, "AT+CMGR=1\r"), kOk); // still reading "SM"
        talk(m, "AT+CPMS=\"ME\"\r");
        QVERIFY(talk(m, "AT+CMGR=1\r").endsWith("\r\nHallo\r\n\r\nOK\r\n"));
        QCOMPARE(talk(m, "AT+CMGD=1\r"), kOk);
        QCOMPARE(m.storageUsed("ME"), 0);
    }

    // A full storage: the network keeps the message and brings it once a slot is free; with
    // +CMER indicator reporting the "smsfull" indicator (7) tells.
    void fullStorage()
    {
        Config cfg = fixedTime();
        cfg.storageSize = 1;
        Modem m(cfg);
        bringUp(m);
        QCOMPARE(talk(m, "AT+CMER=3,0,0,1\r"), kOk);
        QCOMPARE(joined(m.deliver(message(QStringLiteral("eins")))), urc("+CMTI: \"SM\",1"));
        QCOMPARE(joined(m.deliver(message(QStringLiteral("zwei")))), urc("+CIEV: 7,1"));
        QCOMPARE(joined(m.deliver(message(QStringLiteral("drei")))), QByteArray());
        QCOMPARE(talk(m, "AT+CIND?\r"), okAnswer("+CIND: 5,4,0,0,0,0,1"));
        QCOMPARE(talk(m, "AT+CPMS?\r"), okAnswer("+CPMS: \"SM\",1,1,\"SM\",1,1,\"SM\",1,1"));
        QCOMPARE(talk(m, "AT+CMGD=1\r"), kOk + urc("+CMTI: \"SM\",1"));
        QCOMPARE(m.slot(1)->text, QByteArray("zwei"));
        // Full again with the last one: the indicator stays.
        QCOMPARE(talk(m, "AT+CMGD=1\r"), kOk + urc("+CMTI: \"SM\",1"));
        QCOMPARE(m.slot(1)->text, QByteArray("drei"));
        QCOMPARE(talk(m, "AT+CMGD=1\r"), kOk + urc("+CIEV: 7,0"));
    }

    // A long message arrives in parts, each in its own slot, in the order and with the gaps a
    // test asks for; parts of two messages may interleave; a part may come later.
    void partsArrive_data()
    {
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QList<int>>("sequences"); // of slots 1, 2, ...
        QTest::newRow("in order") << QList<int>{} << QList<int>{1, 2, 3};
        QTest::newRow("out of order") << QList<int>{3, 1, 2} << QList<int>{3, 1, 2};
        QTest::newRow("one missing") << QList<int>{1, 3} << QList<int>{1, 3};
    }

    void partsArrive()
    {
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, sequences);
        Modem m(fixedTime());
        bringUp(m);
        Incoming in = coded(QString(400, u'x'), coding::Alphabet::Gsm7, 9);
        in.parts = order;
        QByteArray expected;
        for (int i = 1; i <= sequences.size(); ++i)
            expected += urc("+CMTI: \"SM\"," + QByteArray::number(i));
        QCOMPARE(joined(m.deliver(in)), expected);
        QList<int> got;
        for (int i = 1; i <= m.storageUsed(); ++i) {
            const auto c = coding::findConcat(m.slot(i)->ud->header);
            QCOMPARE(c->reference, 9);
            QCOMPARE(c->total, 3);
            got << c->sequence;
        }
        QCOMPARE(got, sequences);
    }

    void partsInterleaved()
    {
        Modem m(fixedTime());
        bringUp(m);
        const QString first(200, u'a');
        const QString second(200, u'ж');
        auto part = [](const QString &text, int reference, int seq) {
            Incoming in;
            in.number = "+4917012345";
            in.text = text;
            in.reference = reference;
            in.parts = {seq};
            return in;
        };
        // Coding a message again with its reference gives the same parts: so its parts can be
        // delivered one by one, between another's.
        for (const Incoming &in :
             {part(first, 1, 1), part(second, 2, 1), part(first, 1, 2), part(second, 2, 2), part(second, 2, 3)})
            QVERIFY(!m.deliver(in).isEmpty());
        QList<int> refs;
        for (int i = 1; i <= 5; ++i)
            refs << coding::findConcat(m.slot(i)->ud->header)->reference;
        QCOMPARE(refs, (QList<int>{1, 2, 1, 2, 2}));
    }

    void partComesLater()
    {
        Modem m(fixedTime());
        bringUp(m);
        Incoming in = coded(QString(200, u'a'), coding::Alphabet::Gsm7, 3);
        in.laterMs = {{2, 120000}};
        QCOMPARE(joined(m.deliver(in)), urc("+CMTI: \"SM\",1"));
        QCOMPARE(m.nextDue(), qint64(120000));
        QCOMPARE(joined(m.advanceTo(119999)), QByteArray());
        QCOMPARE(joined(m.advanceTo(120000)), urc("+CMTI: \"SM\",2"));
        QCOMPARE(m.nextDue(), qint64(-1));
    }

    void refusedDeliveries_data()
    {
        QTest::addColumn<Incoming>("incoming");
        QTest::addColumn<QString>("error");
        Incoming cyrillic7 = coded(QStringLiteral("ж"), coding::Alphabet::Gsm7);
        QTest::newRow("not in the alphabet") << cyrillic7 << QStringLiteral("the text does not fit");
        Incoming nothere = message(QString(200, u'a'));
        nothere.parts = {3};
        QTest::newRow("no such part") << nothere << QStringLiteral("there is no part 3 of 2");
        Incoming taken = message(QStringLiteral("x"));
        taken.slot = 1;
        QTest::newRow("slot taken") << taken << QStringLiteral("slot 1 of \"SM\" is taken");
    }

    void refusedDeliveries()
    {
        QFETCH(Incoming, incoming);
        QFETCH(QString, error);
        Modem m(fixedTime());
        bringUp(m);
        m.storeSms({"REC READ", "+49", kStamp, "old"}, 1);
        QString why;
        QVERIFY(m.deliver(incoming, &why).isEmpty());
        QVERIFY2(why.startsWith(error), qPrintable(why));
        QCOMPARE(m.storageUsed(), 1);
    }

    // AT+CSMP's first octet asks for a status report (TP-SRR); it comes after the set delay as
    // +CDS (<ds> 1) or into "SR" with +CDSI (<ds> 2), with the reference +CMGS answered.
    void statusReports_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("report");

        const QByteArray fields = "\"+4917012345\",145,\"24/05/01,12:30:05+08\",\"24/05/01,12:30:05+08\",";
        QTest::newRow("+CDS, delivered") << QByteArray("AT+CNMI=2,1,0,1,0\r") << 0 << urc("+CDS: 6,2," + fields + "0");
        QTest::newRow("+CDS, pending") << QByteArray("AT+CNMI=2,1,0,1,0\r") << 0x20
                                       << urc("+CDS: 6,2," + fields + "32");
        QTest::newRow("+CDS, failed") << QByteArray("AT+CNMI=2,1,0,1,0\r") << 0x40 << urc("+CDS: 6,2," + fields + "64");
        QTest::newRow("stored, +CDSI") << QByteArray("AT+CNMI=2,1,0,2,0\r") << 0 << urc("+CDSI: \"SR\",1");
        QTest::newRow("<ds> 0: none") << QByteArray("AT+CNMI=2,1,0,0,0\r") << 0 << QByteArray();
        QTest::newRow("PDU mode") << QByteArray("AT+CNMI=2,1,0,1,0;+CMGF=0\r") << 0
                                  << urc("+CDS: 24\r\n" +
                                         spaceless(kCentre + "06020A919471103254 42501021035080 42501021035080 00"));
    }

    void statusReports()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, status);
        QFETCH(QByteArray, report);
        Config cfg = fixedTime();
        cfg.reportDelayMs = 3000;
        cfg.reportStatus = quint8(status);
        Modem m(cfg);
        bringUp(m);
        // A first message without a report: the reference counts on all the same.
        QCOMPARE(talk(m, "AT+CMGS=\"+4917012345\"\rerste\x1a"), QByteArray("\r\n> \r\n+CMGS: 1\r\n\r\nOK\r\n"));
        QCOMPARE(talk(m, "AT+CSMP=49,167,0,0\r"), kOk);
        QCOMPARE(talk(m, setup), kOk);
        if (setup.contains("CMGF=0")) // SMS-SUBMIT with TP-SRR (31), reference 0, 7-bit "Hallo"
            talk(m, "AT+CMGS=18\r" + spaceless("00 31000A9194711032540000FF05C8309BFD06") + "\x1a");
        else
            talk(m, "AT+CMGS=\"+4917012345\"\rzweite\x1a");
        QCOMPARE(m.outbox().last().reference, 2);
        QCOMPARE(joined(m.advanceTo(2999)), QByteArray());
        QCOMPARE(joined(m.advanceTo(3000)), report);
        if (report.contains("CDSI")) {
            talk(m, "AT+CPMS=\"SR\"\r");
            QCOMPARE(talk(m, "AT+CMGR=1\r"), okAnswer("+CMGR: \"REC UNREAD\",6,2,\"+4917012345\",145,"
                                                      "\"24/05/01,12:30:05+08\",\"24/05/01,12:30:05+08\",0"));
            QCOMPARE(talk(m, "AT+CMGF=0;+CMGR=1\r"),
                     okAnswer("+CMGR: 1,,24\r\n" + spaceless(kCentre + "06020A919471103254 42501021035080 "
                                                                       "42501021035080 00")));
        }
    }

    // A report that falls due while a message is typed waits for the end of it (<mode> 2).
    void reportHeldWhileTyping()
    {
        Config cfg = fixedTime();
        cfg.reportDelayMs = 100;
        Modem m(cfg);
        bringUp(m);
        talk(m, "AT+CSMP=49,167,0,0;+CNMI=2,1,0,1,0\r");
        talk(m, "AT+CMGS=\"+4917012345\"\rA\x1a");
        QCOMPARE(talk(m, "AT+CMGS=\"+4917012345\"\rB"), QByteArray("\r\n> "));
        QCOMPARE(joined(m.advanceTo(100)), QByteArray());
        const QByteArray answer = talk(m, "\x1b");
        QVERIFY2(answer.startsWith(kOk + "\r\n+CDS: 6,1,"), answer.constData());
    }

    // What reached the recipient: text-mode sends byte for byte; PDU-mode sends decoded, the
    // parts of a long one joined once all are in.
    void arrivals()
    {
        Modem m;
        bringUp(m);
        talk(m, "AT+CMGS=\"+4917012345\"\rGr\xfc\xdf"
                "e\x1a");
        talk(m, "AT+CMGF=0\r");
        // UCS2 "ж😀" in one message.
        talk(m, "AT+CMGS=19\r" + spaceless("00 11000A9194711032540008FF06 0436D83DDE00") + "\x1a");
        // Part 2 of 2 first, then part 1 (reference 7): "ab" and "c".
        const QByteArray part2 = spaceless("00 51010A9194711032540008FF08 050003070202 0063");
        const QByteArray part1 = spaceless("00 51020A919471103254 0008FF0A 050003070201 00610062");
        QCOMPARE(talk(m, "AT+CMGS=21\r" + part2 + "\x1a"), QByteArray("\r\n> \r\n+CMGS: 3\r\n\r\nOK\r\n"));
        QCOMPARE(m.arrivals().size(), 2);
        talk(m, "AT+CMGS=23\r" + part1 + "\x1a");
        // 8-bit data.
        talk(m, "AT+CMGS=16\r" + spaceless("00 11000A9194711032540004FF03 C0FFEE") + "\x1a");
        const QList<Arrival> expected = {
            {"+4917012345",
             "Gr\xfc\xdf"
             "e",
             {},
             0,
             false},
            {"+4917012345", {}, QStringLiteral("ж😀"), 1, false},
            {"+4917012345", {}, QStringLiteral("abc"), 2, false},
            {"+4917012345", {}, QStringLiteral("C0FFEE"), 1, true},
        };
        QCOMPARE(m.arrivals(), expected);
        QCOMPARE(m.outbox().size(), 5); // every +CMGS, each part on its own
        QByteArrayList lines;
        for (const Arrival &a : expected)
            lines << outboxLine(a);
        QCOMPARE(lines, (QByteArrayList{"+4917012345\tGr\xfc\xdf"
                                        "e\n",
                                        "+4917012345\t\xd0\xb6\xf0\x9f\x98\x80\tpdu 1\n", "+4917012345\tabc\tpdu 2\n",
                                        "+4917012345\tC0FFEE\tpdu 1 8-bit\n"}));
    }

    // Text-mode sends with another character set or coding: the address and text come in it.
    void textModeSends_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray sent = "\r\n> \r\n+CMGS: 1\r\n\r\nOK\r\n";
        const QByteArray refused = "\r\n> \r\n+CMS ERROR: invalid text mode parameter\r\n";
        const QByteArray ucs2 = "AT+CSCS=\"UCS2\"\r";
        const QByteArray number = "AT+CMGS=\"002B0034003900310037\"\r";
        QTest::newRow("UCS2 address and text") << ucs2 << number << QByteArray("00480069") << sent;
        QTest::newRow("UCS2 text, 160 septets") << ucs2 << number << QByteArray("0061").repeated(160) << sent;
        QTest::newRow("UCS2 text, 161 septets") << ucs2 << number << QByteArray("0061").repeated(161) << refused;
        QTest::newRow("UCS2 text, bad hex") << ucs2 << number << QByteArray("00G1") << refused;
        // +CSMP <dcs> 8: the text is the hex of the UCS2 octets, at most 140.
        const QByteArray dcs8 = "AT+CSMP=17,167,0,8\r";
        const QByteArray plain = "AT+CMGS=\"+4917\"\r";
        QTest::newRow("UCS2 coding, hex") << dcs8 << plain << QByteArray("0436D83DDE00") << sent;
        QTest::newRow("UCS2 coding, 141 octets") << dcs8 << plain << QByteArray("00").repeated(141) << refused;
        QTest::newRow("UCS2 coding, not hex") << dcs8 << plain << QByteArray("Hallo") << refused;
    }

    void textModeSends()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, answer);
        Modem m;
        bringUp(m);
        QCOMPARE(talk(m, setup), kOk);
        QCOMPARE(talk(m, command + text + "\x1a"), answer);
        if (answer.contains("+CMGS")) {
            QCOMPARE(m.arrivals().last().number, QByteArray("+4917"));
            QCOMPARE(m.arrivals().last().bytes, text);
        }
    }
};

QTEST_GUILESS_MAIN(TestMessagesToday)
#include "test_messages_today.moc"
