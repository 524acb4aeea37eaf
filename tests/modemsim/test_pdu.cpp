// PDU mode: SMS-DELIVER/SMS-SUBMIT coding and AT+CMGR/+CMGL/+CMGS with AT+CMGF=0.

#include "SimTest.h"
#include "core/Pdu.h"

#include <QtTest>

using namespace modemsim;
using simtest::talk;

namespace {

// The classic SMS-SUBMIT of "hellohello" to +46708251358 with a relative validity period.
const QByteArray kHelloSubmit = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";

} // namespace

class TestPdu : public QObject {
    Q_OBJECT

private slots:
    void packing_data();
    void packing();
    void packingRoundTrip();
    void alphabet_data();
    void alphabet();
    void encode_data();
    void encode();
    void decodeSubmit_data();
    void decodeSubmit();
    void submitRoundTrip_data();
    void submitRoundTrip();
    void modemInPduMode();
};

void TestPdu::packing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("packed");
    QTest::newRow("hellohello") << QByteArray("hellohello") << QByteArray("E8329BFD4697D9EC37");
    QTest::newRow("one") << QByteArray("A") << QByteArray("41");
    QTest::newRow("eight fill the seventh octet") << QByteArray("12345678") << QByteArray("31D98C56B3DD70");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestPdu::packing()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, packed);
    QByteArray septets;
    QVERIFY(pdu::toGsm7(QString::fromLatin1(text), &septets));
    QCOMPARE(pdu::pack7(septets).toHex().toUpper(), packed);
    QCOMPARE(pdu::unpack7(QByteArray::fromHex(packed), int(septets.size())), septets);
}

void TestPdu::packingRoundTrip()
{
    for (int fill = 0; fill < 7; ++fill) {
        for (int n = 0; n <= 20; ++n) {
            QByteArray septets;
            for (int i = 0; i < n; ++i)
                septets += char((i * 37 + fill * 11) & 0x7F);
            QCOMPARE(pdu::unpack7(pdu::pack7(septets, fill), n, fill), septets);
        }
    }
}

void TestPdu::alphabet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QByteArray>("septets"); // hex

    QTest::newRow("letters") << QString("Az") << true << QByteArray("417a");
    QTest::newRow("umlauts") << QString::fromUtf8("ÄÖÜäöüß") << true << QByteArray("5b5c5e7b7c7e1e");
    QTest::newRow("at and pound") << QString::fromUtf8("@£$¥") << true << QByteArray("00010203");
    QTest::newRow("extension") << QString::fromUtf8("€[]{}\\^~|") << true << QByteArray("1b651b3c1b3e1b281b291b2f1b141b3d1b40");
    QTest::newRow("line breaks") << QString("a\r\nb") << true << QByteArray("610d0a62");
    QTest::newRow("not in the alphabet") << QString::fromUtf8("ô") << false << QByteArray();
    QTest::newRow("backquote") << QString("`") << false << QByteArray();
}

void TestPdu::alphabet()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(QByteArray, septets);
    QByteArray got;
    QCOMPARE(pdu::toGsm7(text, &got), fits);
    if (fits) {
        QCOMPARE(got.toHex(), septets);
        QCOMPARE(pdu::fromGsm7(got), text);
    }
}

void TestPdu::encode_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("length");

    const QByteArray sca = "0791947101670000"; // +491710760000
    QTest::newRow("deliver") << QByteArray("REC UNREAD") << QByteArray("+4917012345") << QByteArray("hellohello")
                             << sca + "040A91947110325400004250102103508" "00AE8329BFD4697D9EC37" << 27;
    QTest::newRow("national sender") << QByteArray("REC READ") << QByteArray("0171") << QByteArray("A")
                                     << sca + "0404811017000042501021035080" "0141" << 16;
    // Not in the 7-bit alphabet: UCS-2.
    QTest::newRow("UCS-2") << QByteArray("REC UNREAD") << QByteArray("+4917012345") << QByteArray("\xf4")
                           << sca + "040A91947110325400084250102103508002" "00F4" << 20;
    QTest::newRow("alphanumeric sender") << QByteArray("REC UNREAD") << QByteArray("Bank") << QByteArray("A")
                                         << sca + "0407D0C2B07B0D000042501021035080" "0141" << 18;
    QTest::newRow("stored unsent") << QByteArray("STO UNSENT") << QByteArray("+4917012345") << QByteArray("A")
                                   << sca + "01000A9194711032540000" "0141" << 13;
}

void TestPdu::encode()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, hex);
    QFETCH(int, length);
    const pdu::Encoded e = pdu::encode({status, number, "24/05/01,12:30:05+08", text}, "+491710760000");
    QCOMPARE(e.hex, hex);
    QCOMPARE(e.length, length);
}

void TestPdu::decodeSubmit_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("hellohello") << kHelloSubmit << 23 << true << QByteArray("+46708251358") << QByteArray("hellohello");
    QTest::newRow("lower-case hex") << kHelloSubmit.toLower() << 23 << true << QByteArray("+46708251358") << QByteArray("hellohello");
    QTest::newRow("with a service centre") << "0791947101670000" + kHelloSubmit.mid(2) << 23 << true
                                           << QByteArray("+46708251358") << QByteArray("hellohello");
    QTest::newRow("length wrong") << kHelloSubmit << 22 << false << QByteArray() << QByteArray();
    QTest::newRow("cut short") << kHelloSubmit.left(40) << 19 << false << QByteArray() << QByteArray();
    QTest::newRow("not hex") << QByteArray("00110G") << 2 << false << QByteArray() << QByteArray();
    QTest::newRow("odd digits") << kHelloSubmit.left(47) << 23 << false << QByteArray() << QByteArray();
    QTest::newRow("a deliver") << QByteArray("0004") + kHelloSubmit.mid(4) << 23 << false << QByteArray() << QByteArray();
    // UCS-2 "ä€", national number 0171.
    QTest::newRow("UCS-2") << QByteArray("000100048110170008" "0400E420AC") << 13 << true << QByteArray("0171")
                           << QByteArray("\xe4\x80");
    QTest::newRow("UCS-2 outside the code page") << QByteArray("000100048110170008" "0203A9") << 11 << true
                                                 << QByteArray("0171") << QByteArray("?");
    QTest::newRow("8-bit data") << QByteArray("000100048110170004" "02FF00") << 11 << true << QByteArray("0171")
                                << QByteArray("\xff\x00", 2);
    // A concatenation header (6 octets) before 7-bit text: one fill bit.
    QTest::newRow("user data header") << QByteArray("004100048110170000" "08" "050003010201" "82") << 16 << true
                                      << QByteArray("0171") << QByteArray("A");
}

void TestPdu::decodeSubmit()
{
    QFETCH(QByteArray, hex);
    QFETCH(int, length);
    QFETCH(bool, ok);
    pdu::Submit s;
    QCOMPARE(pdu::decodeSubmit(hex, length, &s), ok);
    if (ok) {
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, text);
        QCOMPARE(s.number, number);
        QCOMPARE(s.text, text);
    }
}

void TestPdu::submitRoundTrip_data()
{
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("plain") << QByteArray("+4917012345") << QByteArray("Hallo Welt");
    QTest::newRow("umlauts and euro") << QByteArray("0171*31#") << QByteArray("Gr\xfc\xdf" "e [\x80]");
    QTest::newRow("UCS-2") << QByteArray("+49") << QByteArray("S\xe3o Paulo \xf4");
    QTest::newRow("160 septets") << QByteArray("+49") << QByteArray(160, 'x');
    QTest::newRow("empty") << QByteArray("+49") << QByteArray();
}

void TestPdu::submitRoundTrip()
{
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, text);
    const pdu::Encoded e = pdu::encode({"STO UNSENT", number, {}, text}, {});
    pdu::Submit s;
    QVERIFY(pdu::decodeSubmit(e.hex, e.length, &s));
    QCOMPARE(s.number, number);
    QCOMPARE(s.text, text);
}

void TestPdu::modemInPduMode()
{
    Modem m;
    simtest::bringUp(m);
    talk(m, "AT+CMGF=0\r");
    m.storeSms({"REC UNREAD", "+4917012345", "24/05/01,12:30:05+08", "hellohello"}, 2);
    const QByteArray deliver = "0791947101670000040A91947110325400004250102103508" "00AE8329BFD4697D9EC37";
    QCOMPARE(talk(m, "AT+CMGR=2\r"), "\r\n+CMGR: 0,,27\r\n" + deliver + "\r\n\r\nOK\r\n");
    QCOMPARE(talk(m, "AT+CMGL=4\r"), "\r\n+CMGL: 2,1,,27\r\n" + deliver + "\r\n\r\nOK\r\n");
    QCOMPARE(talk(m, "AT+CMGL=0\r"), QByteArray("\r\nOK\r\n")); // read by now

    QCOMPARE(talk(m, "AT+CMGS=23\r"), QByteArray("\r\n> "));
    QCOMPARE(talk(m, kHelloSubmit + "\x1a"), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
    QCOMPARE(m.outbox().last(), (SentSms{"+46708251358", "hellohello", 1}));

    QCOMPARE(talk(m, "AT+CMGS=22\r"), QByteArray("\r\n> "));
    QCOMPARE(talk(m, kHelloSubmit + "\x1a"), QByteArray("\r\n+CMS ERROR: invalid PDU mode parameter\r\n"));
    QCOMPARE(m.outbox().size(), 1);
}

QTEST_GUILESS_MAIN(TestPdu)
#include "test_pdu.moc"
