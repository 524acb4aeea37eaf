#include "sms/SmsText.h"

#include <QTest>

// Expected texts worked out by hand from the GSM alphabet and the packing rules: "hellohello"
// packed is E8329BFD4697D9EC37; behind a six-octet header (one fill bit) D06536FB8D2EB3D96F,
// behind a seven-octet header (no fill bits) the same as without one.

namespace {

constexpr int kFo = 4;      // SMS-DELIVER
constexpr int kFoUdhi = 68; // with a user data header
const QString kRest = QStringLiteral(" [Rest nicht lesbar]");

void row(const char *name, int fo, int dcs, int length, const char *charset, const QString &data, const QString &shown,
         const char *facts = "")
{
    QTest::newRow(name) << fo << dcs << length << QString(charset) << data << shown << QString(facts);
}

// What the shown text does not tell: the concatenation element as "ref/total/seq" ("w" behind
// a 16-bit reference) and the class as "c<n>".
QString facts(const DecodedSms &sms)
{
    QStringList f;
    if (sms.concat)
        f << QStringLiteral("%1/%2/%3%4")
                 .arg(sms.concat->reference)
                 .arg(sms.concat->total)
                 .arg(sms.concat->sequence)
                 .arg(sms.concat->wide ? QStringLiteral("w") : QString());
    if (sms.messageClass >= 0)
        f << QStringLiteral("c%1").arg(sms.messageClass);
    return f.join(u' ');
}

} // namespace

class TestSmsText : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<int>("fo");
        QTest::addColumn<int>("dcs");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("facts");

        // 7-bit text without a header, in the character set the modem was told to use.
        row("GSM @, umlauts, Greek", kFo, 0, 10, "GSM", QChar(0) + QString("Gr\x7E\x1E\x65 \x02\x10\x12"),
            "@Grüße $ΔΦ");
        row("GSM extension table", kFo, 0, 18, "GSM",
            "\x1B\x65\x1B\x3C\x1B\x3E\x1B\x28\x1B\x29\x1B\x3D\x1B\x2F\x1B\x14\x1B\x40", "€[]{}~\\^|");
        row("GSM lone escape at the end", kFo, 0, 3, "GSM", "ab\x1B", "ab" + kRest);
        // Codes the extension table lacks show as the default alphabet's; escape, escape as a space.
        row("GSM unknown extension codes", kFo, 0, 5, "GSM", "\x1B\x41\x1B\x1B\x62", "A b");
        // The line is read as Windows-1252: 0x80 arrives as the euro sign, no septet at all.
        row("GSM code beyond 7 bits", kFo, 0, 3, "GSM", "a€b", "a\uFFFDb" + kRest);
        row("GSM length too long", kFo, 0, 7, "GSM", "Hallo", "Hallo" + kRest);
        row("GSM length too short", kFo, 0, 3, "GSM", "Hallo", "Hallo" + kRest);
        // The terminal puts an LF behind every CR: a CR LF was one septet or two.
        row("GSM CR, LF added", kFo, 0, 3, "GSM", "a\r\nb", "a\r\nb");
        row("GSM CR LF", kFo, 0, 4, "GSM", "a\r\nb", "a\r\nb");
        row("HEX septets", kFo, 0, 5, "HEX", "48617b1B65", "Haä€");
        row("HEX packed instead", kFo, 0, 10, "HEX", "E8329BFD4697D9EC37", "hellohello");
        row("HEX octet beyond 7 bits", kFo, 0, 2, "HEX", "48E9", "H\uFFFD" + kRest);
        row("UCS2 set, euro took two septets", kFo, 0, 3, "UCS2", "00e420AC", "ä€");
        row("UCS2 set, half a character", kFo, 0, 1, "UCS2", "004800", "H" + kRest);
        row("IRA as it came", kFo, 0, 9, "IRA", "Hallo {x}", "Hallo {x}");

        // The hex of TP-UD: UCS2, 8-bit data, and everything with a header.
        // Half a pair shows as U+FFFD (the joiner gets the halves themselves).
        row("UCS2 part ending in half a pair", kFoUdhi, 8, 10, "GSM", "0500030702010041D83D", "A\uFFFD", "7/2/1");
        row("UCS2 pair turned round", kFo, 8, 4, "GSM", "DE00D83D", "\uFFFD\uFFFD");
        row("UCS2 pair, lower case", kFo, 8, 6, "GSM", "d83dde000021", "😀!");
        row("UCS2 odd octet count", kFo, 8, 5, "GSM", "0048006100", "Ha" + kRest);
        row("odd hex", kFo, 8, 4, "GSM", "0048006", "H" + kRest);
        row("not hex", kFo, 8, 4, "GSM", "0048zz61", "H" + kRest);
        row("length not the octet count", kFo, 8, 6, "GSM", "00480061", "Ha" + kRest);
        row("8-bit data", kFo, 4, 4, "GSM", "0102FEff", "[Daten] 0102FEFF");
        row("7-bit, 8-bit ref, fill bit", kFoUdhi, 0, 17, "GSM", "0500032A0201D06536FB8D2EB3D96F", "hellohello",
            "42/2/1");
        row("7-bit, 16-bit ref", kFoUdhi, 0, 18, "GSM", "06080412340302E8329BFD4697D9EC37", "hellohello", "4660/3/2w");
        row("7-bit, extension behind header", kFoUdhi, 0, 11, "GSM", "0500032A020136E50D0F", "€[", "42/2/1");
        // A modem that hands over TP-UD one septet per octet: 17 octets for TP-UDL 17.
        row("7-bit, septet per octet", kFoUdhi, 0, 17, "GSM", "05000C5022200068656C6C6F68656C6C6F", "hellohello",
            "42/2/1");
        // "abcdefg" leaves seven spare bits, which a sender fills with a CR.
        row("7-bit, CR in spare bits", kFoUdhi, 0, 15, "GSM", "0608041234030261F1985C369F1B", "abcdefg", "4660/3/2w");
        row("7-bit, CR counted", kFoUdhi, 0, 16, "GSM", "0608041234030261F1985C369F1B", "abcdefg\r", "4660/3/2w");
        row("7-bit, no length", kFoUdhi, 0, -1, "GSM", "0608041234030261F1985C369F1B", "abcdefg", "4660/3/2w");
        row("7-bit, cut short", kFoUdhi, 0, 17, "GSM", "0500032A0201D06536", "hel" + kRest, "42/2/1");
        row("UCS2, 8-bit ref", kFoUdhi, 8, 10, "GSM", "05000307020100480069", "Hi", "7/2/1");
        row("port element passed over", kFoUdhi, 4, 13, "GSM", "0B05040B8423F000033C0201AB", "[Daten] AB", "60/2/1");
        row("repeated element", kFoUdhi, 8, 13, "GSM", "0A000301020100030503020041", "A", "5/3/2");
        row("255 parts claimed", kFoUdhi, 8, 8, "GSM", "050003FFFF010041", "A", "255/255/1");
        // Unsound elements make a single message; the header tells no lie.
        row("total 0", kFoUdhi, 8, 8, "GSM", "0500030700010041", "A");
        row("part 0", kFoUdhi, 8, 8, "GSM", "0500030702000041", "A");
        row("part 4 of 3", kFoUdhi, 8, 8, "GSM", "0500030703040041", "A");
        row("header runs past the data", kFoUdhi, 8, 11, "GSM", "0A000307", kRest);
        row("element runs past the header", kFoUdhi, 8, 8, "GSM", "0500042A02010041", "A" + kRest);
        row("header flag, no data", kFoUdhi, 8, 0, "GSM", "", kRest);

        // The coding groups and their classes.
        row("class 0", kFo, 0x10, 2, "GSM", "Hi", "[Flash-SMS] Hi", "c0");
        row("class 1", kFo, 0x11, 2, "GSM", "Hi", "Hi", "c1");
        row("class 2, 8-bit", kFo, 0x16, 2, "GSM", "4869", "[Daten] 4869", "c2");
        row("class 3", kFo, 0x13, 2, "GSM", "Hi", "Hi", "c3");
        row("class 0, UCS2", kFo, 0x18, 4, "GSM", "00480069", "[Flash-SMS] Hi", "c0");
        row("compressed", kFo, 0x39, 2, "GSM", "4869", "[Daten] 4869", "c1");
        row("reserved alphabet", kFo, 0x0C, 2, "GSM", "4869", "[Daten] 4869");
        row("reserved group read as 7-bit", kFo, 0x80, 5, "GSM", "Hallo", "Hallo");
        row("waiting message, UCS2", kFo, 0xE0, 4, "GSM", "00480069", "Hi");
        row("group F, 8-bit class 1", kFo, 0xF5, 2, "GSM", "4869", "[Daten] 4869", "c1");
        row("automatic deletion group, class 0", kFo, 0x50, 2, "GSM", "Hi", "[Flash-SMS] Hi", "c0");
        row("no dcs field", kFo, -1, 2, "GSM", "Hi", "Hi");
    }
    void decode()
    {
        QFETCH(int, fo);
        QFETCH(int, dcs);
        QFETCH(int, length);
        QFETCH(QString, charset);
        QFETCH(QString, data);
        QFETCH(QString, shown);
        QFETCH(QString, facts);
        const DecodedSms sms = DecodeTextModeData(fo, dcs, length, charset, data);
        QCOMPARE(ShownText(sms), shown);
        QCOMPARE(::facts(sms), facts);
        // Hex user data reads the same whatever the character set.
        if ((fo & 0x40) || dcs == 4 || dcs == 8)
            QCOMPARE(ShownText(DecodeTextModeData(fo, dcs, length, "IRA", data)), shown);
    }
};

QTEST_APPLESS_MAIN(TestSmsText)
#include "test_sms_text.moc"
