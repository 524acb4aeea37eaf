// The coding of messages: the 7-bit alphabet and its packing, UCS2, user data headers, the
// parts of a long message, the TPDUs and the host's character sets. The vectors are worked out
// by hand from 3GPP TS 23.038 and 23.040.

#include "core/Charsets.h"
#include "core/Pdu.h"
#include "core/SmsCoding.h"

#include <QtTest>

using namespace modemsim;
using coding::Alphabet;
using coding::UserData;

Q_DECLARE_METATYPE(modemsim::coding::Alphabet)
Q_DECLARE_METATYPE(modemsim::te::Charset)

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

} // namespace

class TestCoding : public QObject {
    Q_OBJECT

private slots:
    void gsm7_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("septets");
        QTest::addColumn<QByteArray>("packed");

        // The classic example: eight septets fill seven octets.
        QTest::newRow("hellohello") << QStringLiteral("hellohello") << QByteArray("hellohello")
                                    << hex("E8329BFD4697D9EC37");
        // 0x1B 0x65: the euro sign from the extension table; its second septet starts with bit 7.
        QTest::newRow("euro") << QStringLiteral("€") << hex("1B65") << hex("9B32");
        QTest::newRow("braces") << QStringLiteral("{a}") << hex("1B28611B29") << hex("1B54789302");
        // German letters of the basic table: ü 0x7E, ß 0x1E; '@' is septet 0.
        QTest::newRow("umlauts") << QStringLiteral("Grüße") << hex("47727E1E65") << hex("47B9DF5306");
        QTest::newRow("at sign") << QStringLiteral("@") << hex("00") << hex("00");
        QTest::newRow("greek capital") << QStringLiteral("Ω") << hex("15") << hex("15");
    }

    void gsm7()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, septets);
        QFETCH(QByteArray, packed);
        QByteArray got;
        QVERIFY(coding::toGsm7(text, &got));
        QCOMPARE(got, septets);
        QCOMPARE(coding::pack7(got), packed);
        QCOMPARE(coding::unpack7(packed, int(septets.size())), septets);
        QCOMPARE(coding::fromGsm7(septets), text);
        QCOMPARE(coding::gsm7Length(text), int(septets.size()));
    }

    void notInTheAlphabet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("typographic quotes") << QStringLiteral("„Hallo“");
        QTest::newRow("cyrillic") << QStringLiteral("Привет");
        QTest::newRow("turkish dotless i") << QStringLiteral("ı");
        QTest::newRow("emoji") << QStringLiteral("😀");
        QTest::newRow("small c cedilla") << QStringLiteral("ç");
    }

    void notInTheAlphabet()
    {
        QFETCH(QString, text);
        QByteArray septets;
        QVERIFY(!coding::toGsm7(text, &septets));
        QCOMPARE(coding::gsm7Length(text), -1);
        QCOMPARE(coding::alphabetFor(text), Alphabet::Ucs2);
    }

    // What a receiver makes of escapes the table does not define.
    void unknownExtension()
    {
        QCOMPARE(coding::fromGsm7(hex("1B41")), QStringLiteral("A"));
        QCOMPARE(coding::fromGsm7(hex("411B")), QStringLiteral("A "));
        QCOMPARE(coding::fromGsm7(hex("1B1B")), QStringLiteral(" "));
    }

    void ucs2()
    {
        // An emoji beyond the basic plane travels as its surrogate pair D83D DE00.
        const QString text = QStringLiteral("Hi 😀");
        QCOMPARE(coding::toUcs2(text), hex("004800690020D83DDE00"));
        QCOMPARE(coding::fromUcs2(hex("004800690020D83DDE00")), text);
        QCOMPARE(coding::fromUcs2(hex("004800")), QStringLiteral("H"));
    }

    void alphabets_data()
    {
        QTest::addColumn<int>("dcs");
        QTest::addColumn<Alphabet>("alphabet");
        QTest::newRow("00 default") << 0x00 << Alphabet::Gsm7;
        QTest::newRow("04 8-bit") << 0x04 << Alphabet::Data8;
        QTest::newRow("08 UCS2") << 0x08 << Alphabet::Ucs2;
        QTest::newRow("10 class 0, 7-bit") << 0x10 << Alphabet::Gsm7;
        QTest::newRow("18 class 0, UCS2") << 0x18 << Alphabet::Ucs2;
        QTest::newRow("0C reserved") << 0x0C << Alphabet::Data8;
        QTest::newRow("20 compressed") << 0x20 << Alphabet::Data8;
        QTest::newRow("48 auto-delete UCS2") << 0x48 << Alphabet::Ucs2;
        QTest::newRow("C0 waiting, discard") << 0xC0 << Alphabet::Gsm7;
        QTest::newRow("E0 waiting, UCS2") << 0xE0 << Alphabet::Ucs2;
        QTest::newRow("F0 class 0, 7-bit") << 0xF0 << Alphabet::Gsm7;
        QTest::newRow("F4 class 0, 8-bit") << 0xF4 << Alphabet::Data8;
    }

    void alphabets()
    {
        QFETCH(int, dcs);
        QFETCH(Alphabet, alphabet);
        QCOMPARE(coding::alphabetOf(quint8(dcs)), alphabet);
    }

    void userData_data()
    {
        QTest::addColumn<int>("dcs");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("octets");

        QTest::newRow("7-bit") << 0x00 << QByteArray() << QByteArray("ab") << 2 << hex("6131");
        // A six-octet header (05 00 03 ...) takes 48 bits: the text starts after one fill bit,
        // and the header counts as seven septets.
        QTest::newRow("7-bit, 8-bit reference")
            << 0x00 << hex("0003A70201") << QByteArray("ab") << 9 << hex("050003A70201C262");
        // Seven octets are exactly eight septets: no fill.
        QTest::newRow("7-bit, 16-bit reference") << 0x00 << hex("080412340201") << QByteArray("ab") << 10
                                                 << hex("0608041234020161"
                                                        "31");
        QTest::newRow("UCS2, 8-bit reference")
            << 0x08 << hex("0003050202") << hex("D83DDE00") << 10 << hex("050003050202D83DDE00");
        QTest::newRow("8-bit data") << 0x04 << QByteArray() << hex("00FF7F") << 3 << hex("00FF7F");
    }

    void userData()
    {
        QFETCH(int, dcs);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, body);
        QFETCH(int, length);
        QFETCH(QByteArray, octets);
        const UserData ud{quint8(dcs), header, body};
        QCOMPARE(ud.length(), length);
        QCOMPARE(ud.octets(), octets);
        UserData back;
        QVERIFY(coding::decodeUserData(quint8(dcs), !header.isEmpty(), length, octets, &back));
        QCOMPARE(back, ud);
    }

    void badUserData_data()
    {
        QTest::addColumn<int>("dcs");
        QTest::addColumn<bool>("headerIndicated");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("octets");
        QTest::newRow("7-bit cut short") << 0x00 << false << 10 << hex("E8329BFD4697D9");
        QTest::newRow("more than 160 septets") << 0x00 << false << 161 << QByteArray(141, 'a');
        QTest::newRow("more than 140 octets") << 0x08 << false << 141 << QByteArray(141, 'a');
        QTest::newRow("header longer than the data") << 0x08 << true << 4 << hex("0700030502");
        QTest::newRow("header past the septets") << 0x00 << true << 3 << hex("050003A70201");
        QTest::newRow("header without octets") << 0x04 << true << 0 << QByteArray();
    }

    void badUserData()
    {
        QFETCH(int, dcs);
        QFETCH(bool, headerIndicated);
        QFETCH(int, length);
        QFETCH(QByteArray, octets);
        UserData ud;
        QVERIFY(!coding::decodeUserData(quint8(dcs), headerIndicated, length, octets, &ud));
    }

    void concatHeaders_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("reference");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("sequence");
        QTest::addColumn<bool>("wide");
        QTest::newRow("IEI 00") << hex("0003A70302") << true << 0xA7 << 3 << 2 << false;
        QTest::newRow("IEI 08") << hex("08041234FF01") << true << 0x1234 << 255 << 1 << true;
        // Another element first (a port address, IEI 05) is stepped over.
        QTest::newRow("after a port element") << hex("050400000000"
                                                     "0003070201")
                                              << true << 7 << 2 << 1 << false;
        QTest::newRow("none") << hex("050400000000") << false << 0 << 0 << 0 << false;
        QTest::newRow("element past the end") << hex("000507") << false << 0 << 0 << 0 << false;
        QTest::newRow("sequence 0") << hex("0003070200") << false << 0 << 0 << 0 << false;
    }

    void concatHeaders()
    {
        QFETCH(QByteArray, header);
        QFETCH(bool, found);
        const auto c = coding::findConcat(header);
        QCOMPARE(c.has_value(), found);
        if (!found)
            return;
        QTEST(c->reference, "reference");
        QTEST(c->total, "total");
        QTEST(c->sequence, "sequence");
        QTEST(c->wide, "wide");
        QCOMPARE(coding::concatElement(*c), header.right(c->wide ? 6 : 5));
    }

    // How many units (septets, UTF-16 units or octets) each part's body holds.
    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Alphabet>("alphabet");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<QList<int>>("sizes");

        const QString a(161, u'a');
        QTest::newRow("160 septets, one message") << QString(160, u'a') << Alphabet::Gsm7 << false << QList<int>{160};
        QTest::newRow("161 septets") << a << Alphabet::Gsm7 << false << QList<int>{153, 8};
        QTest::newRow("161 septets, 16-bit reference") << a << Alphabet::Gsm7 << true << QList<int>{152, 9};
        // The escape of a euro sign would be the 153rd septet: it moves to the next part.
        QTest::newRow("escape at the cut") << QString(152, u'a') + QStringLiteral("€") + QString(10, u'b')
                                           << Alphabet::Gsm7 << false << QList<int>{152, 12};
        QTest::newRow("70 UCS2 characters") << QString(70, u'ж') << Alphabet::Ucs2 << false << QList<int>{70};
        QTest::newRow("71 UCS2 characters") << QString(71, u'ж') << Alphabet::Ucs2 << false << QList<int>{67, 4};
        QTest::newRow("71, 16-bit reference") << QString(71, u'ж') << Alphabet::Ucs2 << true << QList<int>{66, 5};
        // An emoji whose pair would straddle the cut goes whole into the next part.
        QTest::newRow("surrogate pair at the cut")
            << QString(66, u'x') + QStringLiteral("😀yyy") << Alphabet::Ucs2 << false << QList<int>{66, 5};
        QTest::newRow("141 octets") << QString(141, u'\xff') << Alphabet::Data8 << false << QList<int>{134, 7};
        QTest::newRow("empty") << QString() << Alphabet::Gsm7 << false << QList<int>{0};
        QTest::newRow("no 7-bit for cyrillic") << QStringLiteral("ж") << Alphabet::Gsm7 << false << QList<int>{};
        QTest::newRow("more than 255 parts") << QString(153 * 255 + 1, u'a') << Alphabet::Gsm7 << false << QList<int>{};
    }

    void split()
    {
        QFETCH(QString, text);
        QFETCH(Alphabet, alphabet);
        QFETCH(bool, wide);
        QFETCH(QList<int>, sizes);
        const QList<UserData> parts = coding::split(text, alphabet, 0x1A2B, wide);
        QList<int> got;
        QString joined;
        for (int i = 0; i < parts.size(); ++i) {
            const UserData &ud = parts[i];
            got << int(ud.body.size()) / (alphabet == Alphabet::Ucs2 ? 2 : 1);
            joined += coding::textOf(ud);
            QVERIFY(ud.length() <= (alphabet == Alphabet::Gsm7 ? 160 : 140));
            if (parts.size() > 1) {
                const auto c = coding::findConcat(ud.header);
                QVERIFY(c);
                QCOMPARE(*c, (coding::Concat{wide ? 0x1A2B : 0x2B, int(parts.size()), i + 1, wide}));
            } else {
                QVERIFY(!ud.hasHeader());
            }
        }
        QCOMPARE(got, sizes);
        if (!sizes.isEmpty())
            QCOMPARE(joined, text);
    }

    void timestamps_data()
    {
        QTest::addColumn<QByteArray>("stamp");
        QTest::addColumn<QByteArray>("octets");
        // Semi-octets swapped; the zone in quarter hours, its sign in bit 3.
        QTest::newRow("CEST") << QByteArray("24/05/01,12:30:05+08") << hex("42501021035080");
        QTest::newRow("west of Greenwich") << QByteArray("99/12/31,23:59:59-20") << hex("9921133295950A");
        QTest::newRow("zero zone") << QByteArray("00/01/02,03:04:05+00") << hex("00102030405000");
    }

    void timestamps()
    {
        QFETCH(QByteArray, stamp);
        QFETCH(QByteArray, octets);
        QByteArray got;
        QVERIFY(pdu::encodeTimestamp(stamp, &got));
        QCOMPARE(got, octets);
        QByteArray back;
        QVERIFY(pdu::decodeTimestamp(octets, &back));
        QCOMPARE(back, stamp);
        QVERIFY(!pdu::encodeTimestamp("24/05/01 12:30:05+08", &got));
        QVERIFY(!pdu::encodeTimestamp("24/05/01,12:30:05", &got));
    }

    void addresses_data()
    {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<bool>("centre");
        QTest::addColumn<QByteArray>("octets");
        QTest::newRow("international") << QByteArray("+4917012345") << false << hex("0A919471103254");
        QTest::newRow("odd digits") << QByteArray("+491701234") << false << hex("099194711032F4");
        QTest::newRow("national") << QByteArray("0171") << false << hex("04811017");
        QTest::newRow("star and hash") << QByteArray("*100#") << false << hex("05811A00FB");
        // A bank's name: four septets, seven semi-octets, type D0.
        QTest::newRow("alphanumeric") << QByteArray("Bank") << false << hex("07D0C2B07B0D");
        QTest::newRow("service centre") << QByteArray("+491710760000") << true << hex("0791947101670000");
    }

    void addresses()
    {
        QFETCH(QByteArray, number);
        QFETCH(bool, centre);
        QFETCH(QByteArray, octets);
        QCOMPARE(pdu::encodeAddress(number, centre), octets);
        int pos = 0;
        QByteArray back;
        QVERIFY(pdu::decodeAddress(octets, &pos, centre, &back));
        QCOMPARE(back, number);
        QCOMPARE(pos, int(octets.size()));
    }

    void deliver_data()
    {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<int>("dcs");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("tpdu");

        // First octet 04: SMS-DELIVER, no more messages; 44 with a header.
        QTest::newRow("7-bit") << QByteArray("+4917012345") << 0x00 << QByteArray() << QByteArray("hellohello")
                               << hex("040A91947110325400004250102103508"
                                      "00AE8329BFD4697D9EC37");
        QTest::newRow("UCS2 with emoji") << QByteArray("+4917012345") << 0x08 << QByteArray() << hex("0048D83DDE00")
                                         << hex("040A9194711032540008"
                                                "42501021035080"
                                                "06"
                                                "0048D83DDE00");
        QTest::newRow("8-bit") << QByteArray("0171") << 0x04 << QByteArray() << hex("C0FFEE")
                               << hex("04048110170004"
                                      "42501021035080"
                                      "03C0FFEE");
        QTest::newRow("7-bit part 2 of 2") << QByteArray("+4917012345") << 0x00 << hex("0003A70202") << QByteArray("ab")
                                           << hex("440A91947110325400004250102103508009"
                                                  "050003A70202C262");
        QTest::newRow("UCS2, 16-bit reference")
            << QByteArray("+4917012345") << 0x08 << hex("080412340101") << hex("0041")
            << hex("440A91947110325400084250102103508009"
                   "060804123401010041");
    }

    void deliver()
    {
        QFETCH(QByteArray, number);
        QFETCH(int, dcs);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, tpdu);
        const pdu::Deliver d{number, 0, "24/05/01,12:30:05+08", UserData{quint8(dcs), header, body}};
        QCOMPARE(pdu::toHex(pdu::encodeDeliver(d)), pdu::toHex(tpdu));
        pdu::Deliver back;
        QVERIFY(pdu::decodeDeliver(tpdu, &back));
        QCOMPARE(back, d);
        QCOMPARE(pdu::messageType(tpdu), 0);
    }

    void submit()
    {
        // The classic SMS-SUBMIT: TP-MR 00, to +46708251358, relative validity AA, 7-bit.
        const QByteArray tpdu = hex("11000B916407281553F80000AA0AE8329BFD4697D9EC37");
        pdu::Submit s;
        QVERIFY(pdu::decodeSubmit(tpdu, &s));
        QCOMPARE(s.destination, QByteArray("+46708251358"));
        QCOMPARE(s.validityFormat, 2);
        QCOMPARE(s.validity, hex("AA"));
        QCOMPARE(coding::textOf(s.ud), QStringLiteral("hellohello"));
        QVERIFY(!s.reportRequest);
        QCOMPARE(pdu::encodeSubmit(s), tpdu);

        // 0x31: the same with TP-SRR, and a header (0x71): part 1 of 2, UCS2.
        const QByteArray withReport = hex("71050B916407281553F80008AA0A"
                                          "050003090201"
                                          "00E4004B");
        QVERIFY(pdu::decodeSubmit(withReport, &s));
        QVERIFY(s.reportRequest);
        QCOMPARE(s.reference, 5);
        QCOMPARE(*coding::findConcat(s.ud.header), (coding::Concat{9, 2, 1, false}));
        QCOMPARE(coding::textOf(s.ud), QStringLiteral("äK"));
        QCOMPARE(pdu::encodeSubmit(s), withReport);

        QVERIFY(!pdu::decodeSubmit(hex("11000B916407281553F80000AA0AE8329BFD4697D9"), &s)); // cut short
        QVERIFY(!pdu::decodeSubmit(hex("04000B916407281553F80000AA00"), &s));               // a DELIVER
    }

    void statusReport()
    {
        // 06: SMS-STATUS-REPORT, no more messages; MR 2A; recipient; SCTS; DT; ST 00.
        const QByteArray tpdu = hex("062A0A919471103254"
                                    "42501021035080"
                                    "42501021030180"
                                    "00");
        const pdu::StatusReport r{0x2A, "+4917012345", "24/05/01,12:30:05+08", "24/05/01,12:30:10+08", pdu::kDelivered};
        QCOMPARE(pdu::encodeStatusReport(r), tpdu);
        pdu::StatusReport back;
        QVERIFY(pdu::decodeStatusReport(tpdu, &back));
        QCOMPARE(back, r);
        QCOMPARE(pdu::messageType(tpdu), 2);
        // What TP-PI announces may follow and is ignored.
        QVERIFY(pdu::decodeStatusReport(tpdu + hex("00"), &back));
        QVERIFY(!pdu::decodeStatusReport(tpdu.left(tpdu.size() - 1), &back));
    }

    void centre()
    {
        QByteArray smsc, tpdu;
        QVERIFY(pdu::splitCentre(hex("0791947101670000"
                                     "0400"),
                                 &smsc, &tpdu));
        QCOMPARE(smsc, QByteArray("+491710760000"));
        QCOMPARE(tpdu, hex("0400"));
        QVERIFY(pdu::splitCentre(hex("00"
                                     "0100"),
                                 &smsc, &tpdu));
        QVERIFY(smsc.isEmpty());
        QCOMPARE(pdu::withCentre({}, hex("0100")), hex("000100"));
        QVERIFY(!pdu::splitCentre(hex("0791947101"), &smsc, &tpdu));
    }

    void charsets_data()
    {
        QTest::addColumn<te::Charset>("charset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("te");

        const QString text = QStringLiteral("Grüße €@");
        QTest::newRow("IRA: the line's code page") << te::Charset::Ira << text
                                                   << QByteArray("Gr\xfc\xdf"
                                                                 "e \x80@");
        QTest::newRow("8859-1 has no euro") << te::Charset::Latin1 << text
                                            << QByteArray("Gr\xfc\xdf"
                                                          "e ?@");
        QTest::newRow("PCCP437") << te::Charset::Pc437 << QStringLiteral("Grüße")
                                 << QByteArray("Gr\x81\xe1"
                                               "e");
        QTest::newRow("GSM septets") << te::Charset::Gsm << text
                                     << QByteArray("Gr\x7e\x1e"
                                                   "e \x1b\x65\x00",
                                                   9);
        QTest::newRow("UCS2") << te::Charset::Ucs2 << QStringLiteral("ü😀") << QByteArray("00FCD83DDE00");
        QTest::newRow("HEX of the septets") << te::Charset::Hex << QStringLiteral("A€") << QByteArray("411B65");
    }

    void charsets()
    {
        QFETCH(te::Charset, charset);
        QFETCH(QString, text);
        QFETCH(QByteArray, te);
        QCOMPARE(te::toTe(text, charset), te);
        QString back;
        QVERIFY(te::fromTe(te, charset, &back));
        QCOMPARE(back, charset == te::Charset::Latin1 ? QString(text).replace(u'€', u'?') : text);
    }

    void charsetNames()
    {
        QCOMPARE(te::charsetNamed("ucs2"), std::optional(te::Charset::Ucs2));
        QCOMPARE(te::charsetNamed("8859-1"), std::optional(te::Charset::Latin1));
        QVERIFY(!te::charsetNamed("UTF-8"));
        QString text;
        QVERIFY(!te::fromTe("004", te::Charset::Ucs2, &text));
        QVERIFY(!te::fromTe("00G1", te::Charset::Ucs2, &text));
        QVERIFY(!te::fromTe("4", te::Charset::Hex, &text));
    }
};

QTEST_GUILESS_MAIN(TestCoding)
#include "test_coding.moc"
