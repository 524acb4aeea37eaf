#include "sms/SmsText.h"

#include <QTest>

// The expected texts are worked out by hand from the GSM alphabet and the packing rules:
// "hellohello" packed is E8329BFD4697D9EC37; behind a six-octet header (one fill bit) it is
// D06536FB8D2EB3D96F, behind a seven-octet header (no fill bits) the same as without one.

namespace {

constexpr int kFo = 4;      // SMS-DELIVER, no header
constexpr int kFoUdhi = 68; // with TP-UDHI
const QChar kHigh(0xD83D);  // U+1F600 as a UTF-16 pair
const QChar kLow(0xDE00);

// A concatenation element as "ref/total/seq", " w" behind it for a 16-bit reference; "" for none.
QString concatText(const DecodedSms &sms)
{
    if (!sms.concat)
        return QString();
    return QStringLiteral("%1/%2/%3%4")
        .arg(sms.concat->reference)
        .arg(sms.concat->total)
        .arg(sms.concat->sequence)
        .arg(sms.concat->wide ? QStringLiteral(" w") : QString());
}

} // namespace

class TestSmsText : public QObject {
    Q_OBJECT
private slots:
    // 7-bit text without a header, in the character set the modem was told to use.
    void textInCharset_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("damaged");

        QTest::newRow("GSM plain") << "GSM"
                                   << "Hallo" << 5 << "Hallo" << false;
        QTest::newRow("GSM umlauts and sharp s") << "GSM"
                                                 << "Gr\x7E\x1E"
                                                    "e"
                                                 << 5 << "Grüße" << false;
        QTest::newRow("GSM @ is septet 0") << "GSM" << QString(QChar(0)) + "home" << 5 << "@home" << false;
        QTest::newRow("GSM $ and Greek") << "GSM"
                                         << "\x02\x10\x12\x13\x18" << 5 << "$ΔΦΓΣ" << false;
        QTest::newRow("GSM extension table")
            << "GSM"
            << "\x1B\x65\x1B\x3C\x1B\x3E\x1B\x28\x1B\x29\x1B\x3D\x1B\x2F\x1B\x14\x1B\x40" << 18 << "€[]{}~\\^|"
            << false;
        QTest::newRow("GSM extension amid text") << "GSM"
                                                 << "5 \x1B"
                                                    "e"
                                                 << 4 << "5 €" << false;
        // An escape with nothing behind it is a character cut off.
        QTest::newRow("GSM lone escape at the end") << "GSM"
                                                    << "ab\x1B" << 3 << "ab" << true;
        // Codes the extension table lacks show as the default alphabet's character; an escape
        // after an escape as a space.
        QTest::newRow("GSM escape before an unknown code") << "GSM"
                                                           << "\x1B"
                                                              "A"
                                                           << 2 << "A" << false;
        QTest::newRow("GSM two escapes") << "GSM"
                                         << "a\x1B\x1B"
                                            "b"
                                         << 4 << "a b" << false;
        // The line is read as Windows-1252: 0x80 arrives as the euro sign, no septet at all.
        QTest::newRow("GSM code beyond 7 bits") << "GSM"
                                                << "a€b" << 3 << "a\uFFFDb" << true;
        QTest::newRow("GSM shorter than its length") << "GSM"
                                                     << "Hallo" << 7 << "Hallo" << true;
        QTest::newRow("GSM longer than its length") << "GSM"
                                                    << "Hallo" << 3 << "Hallo" << true;
        QTest::newRow("GSM length not given") << "GSM"
                                              << "Hallo" << -1 << "Hallo" << false;
        // The terminal puts an LF behind every CR: a CR septet shows as CR LF.
        QTest::newRow("GSM CR then LF added") << "GSM"
                                              << "a\r\nb" << 3 << "a\r\nb" << false;
        QTest::newRow("GSM CR LF both sent") << "GSM"
                                             << "a\r\nb" << 4 << "a\r\nb" << false;
        QTest::newRow("GSM CR LF, length short") << "GSM"
                                                 << "a\r\nb" << 2 << "a\r\nb" << true;
        QTest::newRow("gsm in lower case") << "gsm"
                                           << "\x7B" << 1 << "ä" << false;

        QTest::newRow("HEX one septet per octet") << "HEX"
                                                  << "48616C6C6F" << 5 << "Hallo" << false;
        QTest::newRow("HEX extension") << "HEX"
                                       << "1B65" << 2 << "€" << false;
        QTest::newRow("HEX packed instead") << "HEX"
                                            << "E8329BFD4697D9EC37" << 10 << "hellohello" << false;
        QTest::newRow("HEX lower case") << "HEX"
                                        << "7b7c" << 2 << "äö" << false;
        QTest::newRow("HEX octet beyond 7 bits") << "HEX"
                                                 << "48E9" << 2 << "H\uFFFD" << true;
        QTest::newRow("HEX odd digit") << "HEX"
                                       << "48616" << 3 << "Ha" << true;

        QTest::newRow("UCS2 set") << "UCS2"
                                  << "00480061006C006C006F" << 5 << "Hallo" << false;
        // The euro sign took two septets on the air.
        QTest::newRow("UCS2 set, extension character") << "UCS2"
                                                       << "20AC0031" << 3 << "€1" << false;
        QTest::newRow("UCS2 set, lower case") << "UCS2"
                                              << "00e4" << 1 << "ä" << false;
        QTest::newRow("UCS2 set, half a character") << "UCS2"
                                                    << "004800" << 1 << "H" << true;
        QTest::newRow("UCS2 set, not hex") << "UCS2"
                                           << "0048Hallo" << 5 << "H" << true;

        // Sets the modem converts into: the line as it came.
        QTest::newRow("IRA") << "IRA"
                             << "Hallo {x}" << 9 << "Hallo {x}" << false;
        QTest::newRow("8859-1") << "8859-1"
                                << "Grüße" << 5 << "Grüße" << false;
        QTest::newRow("no set named") << ""
                                      << "0048" << 4 << "0048" << false;
    }
    void textInCharset()
    {
        QFETCH(QString, charset);
        QFETCH(QString, data);
        QFETCH(int, length);
        QFETCH(QString, text);
        QFETCH(bool, damaged);
        const DecodedSms sms = DecodeTextModeData(kFo, 0, length, charset, data);
        QCOMPARE(sms.text, text);
        QCOMPARE(sms.damaged, damaged);
        QVERIFY(!sms.data);
        QVERIFY(!sms.concat);
    }

    // Hex of the TP-UD octets: UCS2, 8-bit data and everything with a header, whatever the set.
    void userData_data()
    {
        QTest::addColumn<int>("fo");
        QTest::addColumn<int>("dcs");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QString>("concat");

        QTest::newRow("UCS2") << kFo << 8 << 6 << "0048006100DF"
                              << "Haß" << false << "";
        QTest::newRow("UCS2 surrogate pair") << kFo << 8 << 4 << "D83DDE00"
                                             << "😀" << false << "";
        QTest::newRow("UCS2 lower case") << kFo << 8 << 4 << "d83dde00"
                                         << "😀" << false << "";
        QTest::newRow("UCS2 blanks around") << kFo << 8 << 2 << " 0041 "
                                            << "A" << false << "";
        QTest::newRow("UCS2 odd octet count") << kFo << 8 << 5 << "0048006100"
                                              << "Ha" << true << "";
        QTest::newRow("UCS2 odd hex") << kFo << 8 << 4 << "0048006"
                                      << "H" << true << "";
        QTest::newRow("UCS2 not hex") << kFo << 8 << 4 << "0048zz61"
                                      << "H" << true << "";
        QTest::newRow("UCS2 length too long") << kFo << 8 << 6 << "00480061"
                                              << "Ha" << true << "";
        QTest::newRow("UCS2 length too short") << kFo << 8 << 2 << "00480061"
                                               << "Ha" << true << "";
        QTest::newRow("8-bit data") << kFo << 4 << 4 << "0102FEff"
                                    << "0102FEFF" << false << "";
        QTest::newRow("8-bit data, odd hex") << kFo << 4 << 2 << "010"
                                             << "01" << true << "";
        QTest::newRow("8-bit data, empty") << kFo << 4 << 0 << ""
                                           << "" << false << "";

        QTest::newRow("7-bit, 8-bit reference, fill bit") << kFoUdhi << 0 << 17 << "0500032A0201D06536FB8D2EB3D96F"
                                                          << "hellohello" << false << "42/2/1";
        QTest::newRow("7-bit, 16-bit reference, no fill bits")
            << kFoUdhi << 0 << 18 << "06080412340302E8329BFD4697D9EC37"
            << "hellohello" << false << "4660/3/2 w";
        QTest::newRow("7-bit, extension characters behind the header") << kFoUdhi << 0 << 11 << "0500032A020136E50D0F"
                                                                       << "€[" << false << "42/2/1";
        // A modem that hands over TP-UD one septet per octet: 17 octets for TP-UDL 17.
        QTest::newRow("7-bit, one septet per octet") << kFoUdhi << 0 << 17 << "05000C5022200068656C6C6F68656C6C6F"
                                                     << "hellohello" << false << "42/2/1";
        // "abcdefg" leaves seven spare bits, which a sender fills with a CR.
        QTest::newRow("7-bit, CR in the spare bits") << kFoUdhi << 0 << 15 << "0608041234030261F1985C369F1B"
                                                     << "abcdefg" << false << "4660/3/2 w";
        QTest::newRow("7-bit, CR counted") << kFoUdhi << 0 << 16 << "0608041234030261F1985C369F1B"
                                           << "abcdefg\r" << false << "4660/3/2 w";
        QTest::newRow("7-bit, no length, CR filler dropped") << kFoUdhi << 0 << -1 << "0608041234030261F1985C369F1B"
                                                             << "abcdefg" << false << "4660/3/2 w";
        QTest::newRow("7-bit, length shorter than the header") << kFoUdhi << 0 << 5 << "0500032A0201"
                                                               << "" << true << "42/2/1";
        QTest::newRow("7-bit, data cut short") << kFoUdhi << 0 << 17 << "0500032A0201D06536"
                                               << "hel" << true << "42/2/1";

        QTest::newRow("UCS2, 8-bit reference") << kFoUdhi << 8 << 10 << "05000307020100480069"
                                               << "Hi" << false << "7/2/1";
        QTest::newRow("8-bit data with header") << kFoUdhi << 4 << 8 << "050003070202CAFE"
                                                << "CAFE" << false << "7/2/2";
        QTest::newRow("port element passed over") << kFoUdhi << 4 << 13 << "0B05040B8423F000033C0201AB"
                                                  << "AB" << false << "60/2/1";
        QTest::newRow("repeated element: the last counts") << kFoUdhi << 8 << 13
                                                           << "0A00030102010003050302"
                                                              "0041"
                                                           << "A" << false << "5/3/2";
        QTest::newRow("UCS2 part ending in half a pair")
            << kFoUdhi << 8 << 10 << "0500030702010041D83D" << QString("A") + kHigh << false << "7/2/1";
        QTest::newRow("UCS2 part beginning with half a pair")
            << kFoUdhi << 8 << 10 << "050003070202DE000042" << kLow + QString("B") << false << "7/2/2";

        // Unsound elements: a single message, whose header tells no lie.
        QTest::newRow("total 0") << kFoUdhi << 8 << 8 << "0500030700010041"
                                 << "A" << false << "";
        QTest::newRow("part 0") << kFoUdhi << 8 << 8 << "0500030702000041"
                                << "A" << false << "";
        QTest::newRow("part 4 of 3") << kFoUdhi << 8 << 8 << "0500030703040041"
                                     << "A" << false << "";
        QTest::newRow("element of the wrong size") << kFoUdhi << 8 << 7 << "04000207010041"
                                                   << "A" << false << "";
        QTest::newRow("255 parts claimed") << kFoUdhi << 8 << 8 << "050003FFFF010041"
                                           << "A" << false << "255/255/1";

        // Headers that lie about their lengths.
        QTest::newRow("header runs past the data") << kFoUdhi << 8 << 11 << "0A000307"
                                                   << "" << true << "";
        QTest::newRow("element runs past the header") << kFoUdhi << 8 << 8 << "0500042A02010041"
                                                      << "A" << true << "";
        QTest::newRow("element without its length") << kFoUdhi << 8 << 4 << "01000041"
                                                    << "A" << true << "";
        QTest::newRow("header flag, no data") << kFoUdhi << 8 << 0 << ""
                                              << "" << true << "";
        QTest::newRow("header flag, data not hex") << kFoUdhi << 0 << 5 << "Hallo"
                                                   << "" << true << "";
    }
    void userData()
    {
        QFETCH(int, fo);
        QFETCH(int, dcs);
        QFETCH(int, length);
        QFETCH(QString, data);
        QFETCH(QString, text);
        QFETCH(bool, damaged);
        QFETCH(QString, concat);
        // The character set does not matter for hex user data.
        for (const QString &charset : {QStringLiteral("GSM"), QStringLiteral("IRA"), QStringLiteral("UCS2")}) {
            const DecodedSms sms = DecodeTextModeData(fo, dcs, length, charset, data);
            QCOMPARE(sms.text, text);
            QCOMPARE(sms.damaged, damaged);
            QCOMPARE(concatText(sms), concat);
        }
    }

    // The coding groups: how the same kind of data reads, and the class they name.
    void codingScheme_data()
    {
        QTest::addColumn<int>("dcs");
        QTest::addColumn<QString>("data"); // "Hi" as the coding wants it
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isData");
        QTest::addColumn<int>("messageClass");

        const QString gsm = "Hi", ucs2 = "00480069", octets = "4869";
        QTest::newRow("00 default alphabet") << 0x00 << gsm << "Hi" << false << -1;
        QTest::newRow("04 8-bit") << 0x04 << octets << "4869" << true << -1;
        QTest::newRow("08 UCS2") << 0x08 << ucs2 << "Hi" << false << -1;
        QTest::newRow("0C reserved alphabet") << 0x0C << octets << "4869" << true << -1;
        QTest::newRow("10 class 0") << 0x10 << gsm << "Hi" << false << 0;
        QTest::newRow("11 class 1") << 0x11 << gsm << "Hi" << false << 1;
        QTest::newRow("12 class 2") << 0x12 << gsm << "Hi" << false << 2;
        QTest::newRow("13 class 3") << 0x13 << gsm << "Hi" << false << 3;
        QTest::newRow("16 8-bit class 2") << 0x16 << octets << "4869" << true << 2;
        QTest::newRow("18 UCS2 class 0") << 0x18 << ucs2 << "Hi" << false << 0;
        // Bits 1..0 name a class only with bit 4 set.
        QTest::newRow("03 no class bit") << 0x03 << gsm << "Hi" << false << -1;
        QTest::newRow("20 compressed") << 0x20 << octets << "4869" << true << -1;
        QTest::newRow("39 compressed UCS2, class 1") << 0x39 << octets << "4869" << true << 1;
        QTest::newRow("40 automatic deletion") << 0x40 << gsm << "Hi" << false << -1;
        QTest::newRow("58 automatic deletion, UCS2 class 0") << 0x58 << ucs2 << "Hi" << false << 0;
        QTest::newRow("80 reserved group") << 0x80 << octets << "4869" << true << -1;
        QTest::newRow("C8 waiting message, discard") << 0xC8 << gsm << "Hi" << false << -1;
        QTest::newRow("D0 waiting message, store") << 0xD0 << gsm << "Hi" << false << -1;
        QTest::newRow("E0 waiting message, store UCS2") << 0xE0 << ucs2 << "Hi" << false << -1;
        QTest::newRow("F0 class 0") << 0xF0 << gsm << "Hi" << false << 0;
        QTest::newRow("F3 class 3") << 0xF3 << gsm << "Hi" << false << 3;
        QTest::newRow("F5 8-bit class 1") << 0xF5 << octets << "4869" << true << 1;
        QTest::newRow("F6 8-bit class 2") << 0xF6 << octets << "4869" << true << 2;
        QTest::newRow("no dcs field") << -1 << gsm << "Hi" << false << -1;
    }
    void codingScheme()
    {
        QFETCH(int, dcs);
        QFETCH(QString, data);
        QFETCH(QString, text);
        QFETCH(bool, isData);
        QFETCH(int, messageClass);
        const DecodedSms sms = DecodeTextModeData(kFo, dcs, -1, QStringLiteral("GSM"), data);
        QCOMPARE(sms.text, text);
        QCOMPARE(sms.data, isData);
        QCOMPARE(sms.messageClass, messageClass);
        QVERIFY(!sms.damaged);
    }

    // A single message as the list shows it.
    void shown_data()
    {
        QTest::addColumn<int>("fo");
        QTest::addColumn<int>("dcs");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("shown");

        QTest::newRow("plain") << kFo << 0 << 5 << "Hallo"
                               << "Hallo";
        QTest::newRow("class 1 unmarked") << kFo << 0xF1 << 5 << "Hallo"
                                          << "Hallo";
        QTest::newRow("flash") << kFo << 0xF0 << 5 << "Hallo"
                               << "[Flash-SMS] Hallo";
        QTest::newRow("data") << kFo << 0xF5 << 2 << "CAFE"
                              << "[Daten] CAFE";
        QTest::newRow("flash data") << kFo << 0x14 << 2 << "CAFE"
                                    << "[Flash-SMS] [Daten] CAFE";
        QTest::newRow("damaged") << kFo << 8 << 4 << "0048006"
                                 << "H [Rest nicht lesbar]";
        QTest::newRow("emoji kept") << kFo << 8 << 6 << "D83DDE000021"
                                    << "😀!";
        QTest::newRow("half a pair at the end") << kFoUdhi << 8 << 10 << "0500030702010041D83D"
                                                << "A\uFFFD";
        QTest::newRow("half a pair at the start") << kFoUdhi << 8 << 10 << "050003070202DE000042"
                                                  << "\uFFFDB";
        QTest::newRow("pair turned round") << kFo << 8 << 4 << "DE00D83D"
                                           << "\uFFFD\uFFFD";
    }
    void shown()
    {
        QFETCH(int, fo);
        QFETCH(int, dcs);
        QFETCH(int, length);
        QFETCH(QString, data);
        QFETCH(QString, shown);
        QCOMPARE(ShownText(DecodeTextModeData(fo, dcs, length, QStringLiteral("GSM"), data)), shown);
    }
};

QTEST_APPLESS_MAIN(TestSmsText)
#include "test_sms_text.moc"
