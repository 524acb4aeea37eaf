#include "sms/LongMessages.h"

#include "../support/CpuTime.h"

#include <QTest>

Q_DECLARE_METATYPE(FiledSms)

namespace {

const QString kAnna = QStringLiteral("+4917012345678");
const QString kBernd = QStringLiteral("+4915198765432");
const QChar kHigh(0xD83D); // U+1F600 as a UTF-16 pair
const QChar kLow(0xDE00);

FiledSms single(const QString &sender, const QString &text)
{
    FiledSms f;
    f.sender = sender;
    f.sms.text = text;
    return f;
}

FiledSms part(const QString &sender, int reference, int total, int sequence, const QString &text, bool wide = false)
{
    FiledSms f = single(sender, text);
    f.sms.concat = ConcatInfo{reference, total, sequence, wide};
    return f;
}

FiledSms marked(FiledSms f, bool data, int messageClass, bool damaged)
{
    f.sms.data = data;
    f.sms.messageClass = messageClass;
    f.sms.damaged = damaged;
    return f;
}

// A part as the read cycle files it: UCS2 with an 8-bit reference in its header.
FiledSms decoded(const QString &sender, const QString &hex)
{
    FiledSms f;
    f.sender = sender;
    f.sms = DecodeTextModeData(68, 8, int(hex.size() / 2), QStringLiteral("UCS2"), hex);
    return f;
}

// A row as "<pieces> <+ complete | - incomplete> <text>".
QStringList rowLines(const QList<MessageRow> &rows)
{
    QStringList lines;
    for (const MessageRow &row : rows) {
        QStringList pieces;
        for (int i : row.pieces)
            pieces << QString::number(i);
        lines << pieces.join(u',') + (row.complete ? " + " : " - ") + row.text;
    }
    return lines;
}

} // namespace

class TestLongMessages : public QObject {
    Q_OBJECT
private slots:
    void join_data()
    {
        QTest::addColumn<QList<FiledSms>>("filed");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("nothing filed") << QList<FiledSms>{} << QStringList{};
        QTest::newRow("single messages") << QList<FiledSms>{single(kAnna, "eins"), single(kAnna, "zwei")}
                                         << QStringList{"0 + eins", "1 + zwei"};
        QTest::newRow("parts in order") << QList<FiledSms>{part(kAnna, 7, 2, 1, "Hal"), part(kAnna, 7, 2, 2, "lo")}
                                        << QStringList{"0,1 + Hallo"};
        QTest::newRow("parts out of order")
            << QList<FiledSms>{part(kAnna, 7, 3, 3, "c"), part(kAnna, 7, 3, 1, "a"), part(kAnna, 7, 3, 2, "b")}
            << QStringList{"0,1,2 + abc"};
        QTest::newRow("a part of one") << QList<FiledSms>{part(kAnna, 7, 1, 1, "allein")} << QStringList{"0 + allein"};
        QTest::newRow("a part missing") << QList<FiledSms>{part(kAnna, 7, 3, 1, "a"), part(kAnna, 7, 3, 3, "c")}
                                        << QStringList{"0,1 - a[Teil 2 von 3 fehlt]c"};
        QTest::newRow("the missing part comes later")
            << QList<FiledSms>{part(kAnna, 7, 3, 1, "a"), part(kAnna, 7, 3, 3, "c"), single(kBernd, "x"),
                               part(kAnna, 7, 3, 2, "b")}
            << QStringList{"0,1,3 + abc", "2 + x"};
        QTest::newRow("first and last missing")
            << QList<FiledSms>{part(kAnna, 7, 5, 3, "c")}
            << QStringList{"0 - [Teile 1 bis 2 von 5 fehlen]c[Teile 4 bis 5 von 5 fehlen]"};
        QTest::newRow("255 parts claimed")
            << QList<FiledSms>{part(kAnna, 9, 255, 1, "x")} << QStringList{"0 - x[Teile 2 bis 255 von 255 fehlen]"};

        QTest::newRow("same reference, another sender")
            << QList<FiledSms>{part(kAnna, 7, 2, 1, "a1"), part(kBernd, 7, 2, 1, "b1"), part(kAnna, 7, 2, 2, "a2"),
                               part(kBernd, 7, 2, 2, "b2")}
            << QStringList{"0,2 + a1a2", "1,3 + b1b2"};
        QTest::newRow("one sender, two references interleaved")
            << QList<FiledSms>{part(kAnna, 5, 2, 1, "a"), part(kAnna, 6, 2, 1, "b"), part(kAnna, 5, 2, 2, "c"),
                               part(kAnna, 6, 2, 2, "d")}
            << QStringList{"0,2 + ac", "1,3 + bd"};
        QTest::newRow("same reference, another total")
            << QList<FiledSms>{part(kAnna, 7, 2, 1, "a"), part(kAnna, 7, 3, 2, "b")}
            << QStringList{"0 - a[Teil 2 von 2 fehlt]", "1 - [Teil 1 von 3 fehlt]b[Teil 3 von 3 fehlt]"};
        QTest::newRow("same value, 8- and 16-bit reference")
            << QList<FiledSms>{part(kAnna, 7, 2, 1, "a"), part(kAnna, 7, 2, 2, "b", true)}
            << QStringList{"0 - a[Teil 2 von 2 fehlt]", "1 - [Teil 1 von 2 fehlt]b"};
        QTest::newRow("reference used again") << QList<FiledSms>{part(kAnna, 7, 2, 1, "x1"), part(kAnna, 7, 2, 2, "x2"),
                                                                 part(kAnna, 7, 2, 2, "y2"), part(kAnna, 7, 2, 1, "y1")}
                                              << QStringList{"0,1 + x1x2", "2,3 + y1y2"};
        QTest::newRow("reference used again before the first was whole")
            << QList<FiledSms>{part(kAnna, 7, 2, 1, "x1"), part(kAnna, 7, 2, 1, "y1"), part(kAnna, 7, 2, 2, "y2")}
            << QStringList{"0 - x1[Teil 2 von 2 fehlt]", "1,2 + y1y2"};

        QTest::newRow("surrogate pair across parts")
            << QList<FiledSms>{part(kAnna, 7, 2, 1, QString("x") + kHigh), part(kAnna, 7, 2, 2, kLow + QString("y"))}
            << QStringList{"0,1 + x😀y"};
        QTest::newRow("surrogate pair across parts, second first")
            << QList<FiledSms>{part(kAnna, 7, 2, 2, kLow + QString("y")), part(kAnna, 7, 2, 1, QString("x") + kHigh)}
            << QStringList{"0,1 + x😀y"};
        QTest::newRow("half a pair before a missing part")
            << QList<FiledSms>{part(kAnna, 7, 3, 1, QString("x") + kHigh), part(kAnna, 7, 3, 3, "z")}
            << QStringList{"0,1 - x\uFFFD[Teil 2 von 3 fehlt]z"};
        QTest::newRow("split pair as the modem hands it over")
            << QList<FiledSms>{decoded(kAnna, "0500033C0202DE000021"), decoded(kAnna, "0500033C02010048D83D")}
            << QStringList{"0,1 + H😀!"};

        QTest::newRow("data parts") << QList<FiledSms>{marked(part(kAnna, 7, 2, 1, "CAFE"), true, -1, false),
                                                       marked(part(kAnna, 7, 2, 2, "BABE"), true, -1, false)}
                                    << QStringList{"0,1 + [Daten] CAFEBABE"};
        QTest::newRow("flash parts") << QList<FiledSms>{marked(part(kAnna, 7, 2, 1, "Al"), false, 0, false),
                                                        marked(part(kAnna, 7, 2, 2, "arm"), false, 0, false)}
                                     << QStringList{"0,1 + [Flash-SMS] Alarm"};
        QTest::newRow("a damaged part") << QList<FiledSms>{marked(part(kAnna, 7, 2, 1, "ab"), false, -1, true),
                                                           part(kAnna, 7, 2, 2, "cd")}
                                        << QStringList{"0,1 + ab [Rest nicht lesbar]cd"};
        QTest::newRow("marks on single messages")
            << QList<FiledSms>{marked(single(kAnna, "hi"), false, 0, false), marked(single(kAnna, "00"), true, 1, true)}
            << QStringList{"0 + [Flash-SMS] hi", "1 + [Daten] 00 [Rest nicht lesbar]"};
        QTest::newRow("element made elsewhere, part 5 of 3")
            << QList<FiledSms>{part(kAnna, 7, 3, 5, "x"), part(kAnna, 7, 0, 0, "y")} << QStringList{"0 + x", "1 + y"};
    }
    void join()
    {
        QFETCH(QList<FiledSms>, filed);
        QFETCH(QStringList, rows);
        QCOMPARE(rowLines(JoinLongMessages(filed)), rows);
    }

    // The list is built again from all files at each read: thousands of records, 30 % of them
    // parts of long messages of three parts from 50 senders. With four times the records, a
    // search through all rows for each part would no longer stay within the bound.
    void manyRecords_data()
    {
        QTest::addColumn<int>("singles");
        QTest::addColumn<int>("longOnes");
        QTest::newRow("10,000 records") << 7000 << 1000;
        QTest::newRow("40,000 records") << 28000 << 4000;
    }
    void manyRecords()
    {
        QFETCH(int, singles);
        QFETCH(int, longOnes);
        const QString text = QStringLiteral("Eine Nachricht von siebzig Zeichen, wie viele sie schreiben, ja genau.");
        // The last parts first, each message's parts a third of the list apart; 7 singles, then
        // 3 parts.
        QList<FiledSms> parts;
        for (int sequence = 3; sequence >= 1; --sequence) {
            for (int m = 0; m < longOnes; ++m) {
                // References of both widths; the 16-bit ones beyond 255.
                const bool wide = m % 2;
                const int reference = m / 50 + (wide ? 256 : 0);
                parts << part(QStringLiteral("+49170%1").arg(m % 50), reference, 3, sequence, text, wide);
            }
        }
        QList<FiledSms> filed;
        for (int i = 0, p = 0; i < singles; ++i) {
            filed << single(QStringLiteral("+49170%1").arg(i % 50), text);
            if (i % 7 == 6) {
                for (int k = 0; k < 3 && p < parts.size(); ++k)
                    filed << parts.at(p++);
            }
        }
        QCOMPARE(filed.size(), singles + 3 * longOnes);

        const double cpu0 = processCpuSeconds();
        const QList<MessageRow> rows = JoinLongMessages(filed);
        const double cpu = processCpuSeconds() - cpu0;

        QCOMPARE(rows.size(), singles + longOnes);
        int joined = 0;
        for (const MessageRow &row : rows) {
            QVERIFY(row.complete);
            if (row.pieces.size() == 3) {
                ++joined;
                QCOMPARE(row.text, text + text + text);
            }
        }
        QCOMPARE(joined, longOnes);
        // A few milliseconds in a normal build; the bound leaves room for a sanitizer build.
        QVERIFY2(cpu < 0.1, qPrintable(QStringLiteral("%1 s").arg(cpu)));
    }
};

QTEST_APPLESS_MAIN(TestLongMessages)
#include "test_long_messages.moc"
