// The coding of outgoing texts: which alphabet, how many septets or units, where a long text is
// cut, which route it takes, what the counter says, what is refused, and the PDUs themselves
// (worked out by hand from 23.038 and 23.040; the 7-bit "hello" is the textbook example).
#include "sms/OutgoingText.h"
#include "sms/SmsText.h"
#include "sms/SubmitPdu.h"

#include <QtTest>

namespace {

const QString kEmoji = QStringLiteral("😀"); // U+1F600, the surrogate pair D83D DE00

QList<int> lengths(const QStringList &parts, SmsCoding coding)
{
    QList<int> out;
    for (const QString &p : parts)
        out << CodedLength(p, coding);
    return out;
}

} // namespace

class TestOutgoingText : public QObject {
    Q_OBJECT
private slots:
    void codingAndLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gsm");
        QTest::addColumn<int>("length"); // septets, or UTF-16 units when not GSM
        QTest::newRow("plain") << "Hallo Welt" << true << 10;
        QTest::newRow("umlauts and ß are one septet each") << "Grüße aus Köln" << true << 14;
        QTest::newRow("extension characters take two") << "€[]{}\\^~|" << true << 18;
        QTest::newRow("form feed is in the extension table") << "a\fb" << true << 4;
        QTest::newRow("Greek capitals of the alphabet") << "ΔΦΓΛΩΠΨΣΘΞ" << true << 10;
        QTest::newRow("@ $ and line ends") << "@$\r\n" << true << 4;
        QTest::newRow("backquote is not in the alphabet") << "`" << false << 1;
        QTest::newRow("é is, ê is not") << "éê" << false << 2;
        QTest::newRow("an emoji is two units") << kEmoji << false << 2;
        QTest::newRow("Cyrillic") << "Привет" << false << 6;
        QTest::newRow("empty") << "" << true << 0;
    }
    void codingAndLength()
    {
        QFETCH(QString, text);
        QFETCH(bool, gsm);
        QFETCH(int, length);
        const SmsCoding coding = ChooseCoding(text);
        QCOMPARE(coding == SmsCoding::Gsm7, gsm);
        QCOMPARE(CodedLength(text, coding), length);
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("parts"); // coded length of each
        QTest::addColumn<QString>("secondStarts");
        const QString a(1, u'a');
        QTest::newRow("160 septets: one") << QString(160, u'a') << QList<int>{160} << "";
        QTest::newRow("161 septets: two") << QString(161, u'a') << QList<int>{153, 8} << "a";
        QTest::newRow("three parts, the last one septet") << QString(307, u'a') << QList<int>{153, 153, 1} << "a";
        QTest::newRow("an escape pair is never cut")
            << QString(152, u'a') + "€" + QString(10, u'b') << QList<int>{152, 12} << "€";
        QTest::newRow("extension character fills the part")
            << QString(151, u'a') + "€" + QString(10, u'b') << QList<int>{153, 10} << "b";
        QTest::newRow("70 units: one") << QString(70, u'ж') << QList<int>{70} << "";
        QTest::newRow("71 units: two") << QString(71, u'ж') << QList<int>{67, 4} << "ж";
        QTest::newRow("a surrogate pair is never cut")
            << QString(66, u'ж') + kEmoji + QString(10, u'ж') << QList<int>{66, 12} << kEmoji;
        QTest::newRow("emoji fills the part")
            << QString(65, u'ж') + kEmoji + QString(10, u'ж') << QList<int>{67, 10} << "ж";
        QTest::newRow("empty: one empty piece") << "" << QList<int>{0} << "";
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, parts);
        QFETCH(QString, secondStarts);
        const SmsCoding coding = ChooseCoding(text);
        const QStringList pieces = SplitForSms(text, coding);
        QCOMPARE(lengths(pieces, coding), parts);
        QCOMPARE(pieces.join(QString()), text);
        if (pieces.size() > 1)
            QVERIFY(pieces[1].startsWith(secondStarts));
    }

    void plan_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("textMode");
        QTest::addColumn<bool>("gsm");
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("used");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain: text mode") << "Hallo" << false << true << true << 1 << 5 << 155 << "Hallo";
        QTest::newRow("the seven letters: text mode")
            << "Grüße aus Köln" << false << true << true << 1 << 14 << 146 << "Grüße aus Köln";
        QTest::newRow("blanks trimmed, line break CR LF")
            << "  Zeile 1\nZeile 2  " << false << true << true << 1 << 16 << 144 << "Zeile 1\r\nZeile 2";
        QTest::newRow("brackets: text mode, two septets each")
            << "a[b]" << false << true << true << 1 << 6 << 154 << "a[b]";
        QTest::newRow("a report: PDU mode") << "Hallo" << true << false << true << 1 << 5 << 155 << "Hallo";
        QTest::newRow("é: coded here") << "Café" << false << false << true << 1 << 4 << 156 << "Café";
        QTest::newRow("€: coded here") << "Preis 5 €" << false << false << true << 1 << 10 << 150 << "Preis 5 €";
        QTest::newRow("emoji: UCS2") << "Grüße aus Köln " + kEmoji << false << false << false << 1 << 17 << 53
                                     << "Grüße aus Köln " + kEmoji;
        QTest::newRow("backquote: UCS2") << "`" << false << false << false << 1 << 1 << 69 << "`";
        QTest::newRow("161: two parts") << QString(161, u'x') << false << false << true << 2 << 161 << 145
                                        << QString(161, u'x');
        // CR LF would make it 162 septets in text mode; coded, the line break is one LF.
        QTest::newRow("line break decides the route")
            << QString(159, u'a') + "\nb" << false << false << true << 2 << 161 << 145 << QString(159, u'a') + "\nb";
        QTest::newRow("empty: text mode") << "" << false << true << true << 1 << 0 << 160 << "";
    }
    void plan()
    {
        QFETCH(QString, typed);
        QFETCH(bool, report);
        QFETCH(bool, textMode);
        QFETCH(bool, gsm);
        QFETCH(int, parts);
        QFETCH(int, used);
        QFETCH(int, left);
        QFETCH(QString, text);
        const OutgoingPlan p = PlanOutgoing(typed, report);
        QCOMPARE(p.route == SendRoute::TextMode, textMode);
        QCOMPARE(p.coding == SmsCoding::Gsm7, gsm);
        QCOMPARE(p.parts.size(), parts);
        QCOMPARE(p.used, used);
        QCOMPARE(p.left, left);
        QCOMPARE(p.text, text);
        QVERIFY(!p.tooLong());
    }

    void counter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("maxParts");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("one part") << "Hallo" << 10 << "5 Zeichen, 155 frei\n1 Teil, GSM"
                                  << "Länge: 5 Zeichen, noch 155 frei, 1 Teil, Kodierung GSM" << false;
        QTest::newRow("Unicode") << kEmoji << 10 << "2 Zeichen, 68 frei\n1 Teil, Unicode"
                                 << "Länge: 2 Zeichen, noch 68 frei, 1 Teil, Kodierung Unicode" << false;
        QTest::newRow("ten parts full") << QString(1530, u'a') << 10 << "1530 Zeichen, 0 frei\n10 Teile, GSM"
                                        << "Länge: 1530 Zeichen, noch 0 frei, 10 Teile, Kodierung GSM" << false;
        QTest::newRow("eleven parts") << QString(1531, u'a') << 10 << "1531 Zeichen, 11 Teile\nGSM, höchstens 10 Teile"
                                      << "Länge: 1531 Zeichen, 11 Teile, Kodierung GSM, zu lang, höchstens 10 Teile"
                                      << true;
        QTest::newRow("one part allowed")
            << QString(161, u'a') << 1 << "161 Zeichen, 2 Teile\nGSM, höchstens 1 Teil"
            << "Länge: 161 Zeichen, 2 Teile, Kodierung GSM, zu lang, höchstens 1 Teil" << true;
    }
    void counter()
    {
        QFETCH(QString, typed);
        QFETCH(int, maxParts);
        QFETCH(QString, shown);
        QFETCH(QString, spoken);
        QFETCH(bool, tooLong);
        const OutgoingPlan p = PlanOutgoing(typed, false, maxParts);
        QCOMPARE(CounterText(p), shown);
        QCOMPARE(CounterSpoken(p), spoken);
        QCOMPARE(p.tooLong(), tooLong);
    }

    void refusedTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("why");
        const QString nothing = QStringLiteral(" Es wurde nichts gesendet.");
        QTest::newRow("fine") << "Hallo " + kEmoji << "";
        QTest::newRow("line breaks are fine") << "a\r\nb\nc"
                                              << "";
        QTest::newRow("TAB") << "Hallo\tWelt"
                             << "Der Text enthält einen Tabulator an Stelle 6; so ein Zeichen "
                                "überträgt keine SMS." +
                                    nothing;
        QTest::newRow("bell") << "\aHallo"
                              << "Der Text enthält ein Steuerzeichen (Code 7) an Stelle 1; so ein Zeichen "
                                 "überträgt keine SMS." +
                                     nothing;
        QTest::newRow("C1 control") << QString("ab") + QChar(0x85)
                                    << "Der Text enthält ein Steuerzeichen (Code 133) an "
                                       "Stelle 3; so ein Zeichen überträgt keine SMS." +
                                           nothing;
        const QString half = QStringLiteral("Der Text enthält an Stelle 3 ein halbes Unicode-Zeichen (ein Teil eines "
                                            "Zeichenpaars ohne den anderen). Bitte dieses Zeichen löschen.") +
                             nothing;
        QTest::newRow("lone high surrogate") << QString("ab") + QChar(0xD83D) + "c" << half;
        QTest::newRow("lone high surrogate at the end") << QString("ab") + QChar(0xD83D) << half;
        QTest::newRow("lone low surrogate") << QString("ab") + QChar(0xDE00) << half;
        QTest::newRow("pair the wrong way round") << QString("ab") + QChar(0xDE00) + QChar(0xD83D) << half;
        QTest::newRow("10,000 characters") << QString(10000, u'a')
                                           << "Der Text ist zu lang: 10000 Zeichen ergäben 66 Teile, möglich sind "
                                              "höchstens 10 Teile (1530 Zeichen im GSM-Alphabet, 670 mit "
                                              "Unicode-Zeichen)." +
                                                  nothing;
    }
    void refusedTexts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, why);
        QCOMPARE(TextRefusal(typed, PlanOutgoing(typed, false)), why);
    }

    void dialledNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::newRow("international") << "+4917012345678"
                                       << "+4917012345678";
        QTest::newRow("as people write it") << "+49 (170) 123-45/67"
                                            << "+491701234567";
        QTest::newRow("00 stays") << "0049 151 999"
                                  << "0049151999";
        QTest::newRow("national") << "01761234567"
                                  << "01761234567";
        QTest::newRow("20 digits") << "+" + QString(20, u'1') << "+" + QString(20, u'1');
        QTest::newRow("21 digits") << QString(21, u'1') << "";
        QTest::newRow("letters") << "+49abc"
                                 << "";
        QTest::newRow("plus alone") << "+"
                                    << "";
        QTest::newRow("plus inside") << "49+170"
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("other digits") << "٠١٧٠"
                                      << "";
    }
    void dialledNumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, number);
        QCOMPARE(DialledNumber(typed), number);
    }

    void submitPdus_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("report");
        QTest::addColumn<QStringList>("hex");
        QTest::addColumn<QList<int>>("lengths");
        // 23.040 9.2.2.2: SCA 00, first octet (31: SUBMIT, relative validity, status report),
        // MR 00, DA 0D 91 (13 digits, international), PID 00, DCS 00, VP A7, UDL 05, the septets.
        QTest::newRow("hello, report asked")
            << "+4917099999999"
            << "hello" << true << QStringList{"0031000D91947190999999F90000A705E8329BFD06"} << QList<int>{20};
        QTest::newRow("hello") << "+4917099999999"
                               << "hello" << false << QStringList{"0011000D91947190999999F90000A705E8329BFD06"}
                               << QList<int>{20};
        // A national number (type 129), UCS2 (DCS 08): the emoji's two units.
        QTest::newRow("emoji to a national number")
            << "0171234" << kEmoji << false << QStringList{"0011000781101732F40008A704D83DDE00"} << QList<int>{16};
        // € is the escape 1B and 65, packed 9B 32; an odd count of digits ends in F.
        QTest::newRow("euro sign") << "+491"
                                   << "€" << false << QStringList{"001100039194F10000A7029B32"} << QList<int>{12};
    }
    void submitPdus()
    {
        QFETCH(QString, number);
        QFETCH(QString, text);
        QFETCH(bool, report);
        QFETCH(QStringList, hex);
        QFETCH(QList<int>, lengths);
        const QList<SubmitPdu> pdus = BuildSubmitPdus(number, ChooseCoding(text), {text}, report, 0);
        QStringList gotHex;
        QList<int> gotLengths;
        for (const SubmitPdu &p : pdus) {
            gotHex << p.hex;
            gotLengths << p.length;
            QCOMPARE(p.hex.size(), 2 + 2 * p.length);
        }
        QCOMPARE(gotHex, hex);
        QCOMPARE(gotLengths, lengths);
    }

    // Parts of long messages: the header with the reference and the part numbers, first octet
    // 51 (or 71 with a report), and the program's own decoder reads every part back.
    void longMessageParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("firstPartStart"); // first octet ... UDL UDH and the first octet behind
        QTest::newRow("7-bit: UDL 160, one fill bit, 'a' as C2")
            << QString(200, u'a') << "0051000D91947190999999F90000A7A00500032A0201C2";
        QTest::newRow("UCS2: UDL 140") << QString(100, u'ж') + kEmoji
                                       << "0051000D91947190999999F90008A78C0500032A02010436";
        // The first part holds 152 septets: UDL 7 + 152 = 9F.
        QTest::newRow("escape pairs across the parts") << QString(152, u'x') + "€" + QString(200, u'y') + "[]"
                                                       << "0051000D91947190999999F90000A79F0500032A0301F0";
    }
    void longMessageParts()
    {
        QFETCH(QString, text);
        QFETCH(QString, firstPartStart);
        const SmsCoding coding = ChooseCoding(text);
        const QStringList pieces = SplitForSms(text, coding);
        const QList<SubmitPdu> pdus = BuildSubmitPdus(QStringLiteral("+4917099999999"), coding, pieces, false, 0x2A);
        QCOMPARE(pdus.size(), pieces.size());
        QVERIFY2(pdus[0].hex.startsWith(firstPartStart), qPrintable(pdus[0].hex));
        QString joined;
        for (int i = 0; i < pieces.size(); ++i) {
            const UserData ud = PartUserData(coding, pieces[i], 0x2A, int(pieces.size()), i + 1);
            QVERIFY(ud.octets.size() <= 140);
            const DecodedSms d = DecodeTextModeData(0x41, coding == SmsCoding::Gsm7 ? 0 : 8, ud.length, QString(),
                                                    QString::fromLatin1(ud.octets.toHex()));
            QVERIFY(!d.damaged);
            QVERIFY(d.concat);
            QCOMPARE(d.concat->reference, 0x2A);
            QCOMPARE(d.concat->total, pieces.size());
            QCOMPARE(d.concat->sequence, i + 1);
            joined += d.text;
        }
        QCOMPARE(joined, text);
    }
};

QTEST_GUILESS_MAIN(TestOutgoingText)
#include "test_outgoing_text.moc"
