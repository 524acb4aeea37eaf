#include "sms/LongMessages.h"

#include "../support/CpuTime.h"

#include <QTest>

Q_DECLARE_METATYPE(FiledSms)

namespace {

const QString kA = QStringLiteral("+4917012345678");
const QString kB = QStringLiteral("+4915198765432");
const QChar kHigh(0xD83D); // U+1F600 as a UTF-16 pair
const QChar kLow(0xDE00);

FiledSms single(const QString &sender, const QString &text)
{
    FiledSms f;
    f.sender = sender;
    f.sms.text = text;
    return f;
}

FiledSms part(const QString &sender, int ref, int total, int seq, const QString &text, bool wide = false)
{
    FiledSms f = single(sender, text);
    f.sms.concat = ConcatInfo{ref, total, seq, wide};
    return f;
}

FiledSms marked(FiledSms f, bool data, int cls, bool damaged)
{
    f.sms.data = data;
    f.sms.messageClass = cls;
    f.sms.damaged = damaged;
    return f;
}

// A part as the read cycle files it: UCS2 with an 8-bit reference in its header.
FiledSms decoded(const QString &hex)
{
    return FiledSms{kA, DecodeTextModeData(68, 8, int(hex.size() / 2), "UCS2", hex)};
}

void row(const char *name, const QList<FiledSms> &filed, const QStringList &rows)
{
    QTest::newRow(name) << filed << rows;
}

} // namespace

class TestLongMessages : public QObject {
    Q_OBJECT
private slots:
    // Each row as "<records> <+ complete, - not> <text>".
    void join_data()
    {
        QTest::addColumn<QList<FiledSms>>("filed");
        QTest::addColumn<QStringList>("rows");
        row("single messages", {single(kA, "eins"), single(kA, "zwei")}, {"0 + eins", "1 + zwei"});
        row("out of order", {part(kA, 7, 3, 3, "c"), part(kA, 7, 3, 1, "a"), part(kA, 7, 3, 2, "b")}, {"0,1,2 + abc"});
        row("a part missing", {part(kA, 7, 3, 1, "a"), part(kA, 7, 3, 3, "c")}, {"0,1 - a[Teil 2 von 3 fehlt]c"});
        row("the missing part comes later",
            {part(kA, 7, 3, 1, "a"), part(kA, 7, 3, 3, "c"), single(kB, "x"), part(kA, 7, 3, 2, "b")},
            {"0,1,3 + abc", "2 + x"});
        row("first and last missing", {part(kA, 7, 5, 3, "c")},
            {"0 - [Teile 1 bis 2 von 5 fehlen]c[Teile 4 bis 5 von 5 fehlen]"});
        row("255 parts claimed", {part(kA, 9, 255, 1, "x")}, {"0 - x[Teile 2 bis 255 von 255 fehlen]"});
        row("same reference, other sender",
            {part(kA, 7, 2, 1, "a1"), part(kB, 7, 2, 1, "b1"), part(kA, 7, 2, 2, "a2"), part(kB, 7, 2, 2, "b2")},
            {"0,2 + a1a2", "1,3 + b1b2"});
        row("one sender, two references interleaved",
            {part(kA, 5, 2, 1, "a"), part(kA, 6, 2, 1, "b"), part(kA, 5, 2, 2, "c"), part(kA, 6, 2, 2, "d")},
            {"0,2 + ac", "1,3 + bd"});
        row("same reference, other total", {part(kA, 7, 2, 1, "a"), part(kA, 7, 3, 2, "b")},
            {"0 - a[Teil 2 von 2 fehlt]", "1 - [Teil 1 von 3 fehlt]b[Teil 3 von 3 fehlt]"});
        row("same value, 8- and 16-bit", {part(kA, 7, 2, 1, "a"), part(kA, 7, 2, 2, "b", true)},
            {"0 - a[Teil 2 von 2 fehlt]", "1 - [Teil 1 von 2 fehlt]b"});
        row("reference used again",
            {part(kA, 7, 2, 1, "x1"), part(kA, 7, 2, 2, "x2"), part(kA, 7, 2, 2, "y2"), part(kA, 7, 2, 1, "y1")},
            {"0,1 + x1x2", "2,3 + y1y2"});
        row("used again before the first was whole",
            {part(kA, 7, 2, 1, "x1"), part(kA, 7, 2, 1, "y1"), part(kA, 7, 2, 2, "y2")},
            {"0 - x1[Teil 2 von 2 fehlt]", "1,2 + y1y2"});
        row("surrogate pair across parts",
            {part(kA, 7, 2, 2, kLow + QString("y")), part(kA, 7, 2, 1, QString("x") + kHigh)}, {"0,1 + x😀y"});
        row("half a pair before a missing part", {part(kA, 7, 3, 1, QString("x") + kHigh), part(kA, 7, 3, 3, "z")},
            {"0,1 - x\uFFFD[Teil 2 von 3 fehlt]z"});
        row("split pair from the modem", {decoded("0500033C0202DE000021"), decoded("0500033C02010048D83D")},
            {"0,1 + H😀!"});
        row("data parts",
            {marked(part(kA, 7, 2, 1, "CA"), true, -1, false), marked(part(kA, 7, 2, 2, "FE"), true, -1, false)},
            {"0,1 + [Daten] CAFE"});
        row("flash parts",
            {marked(part(kA, 7, 2, 1, "Al"), false, 0, false), marked(part(kA, 7, 2, 2, "arm"), false, 0, false)},
            {"0,1 + [Flash-SMS] Alarm"});
        row("a damaged part", {marked(part(kA, 7, 2, 1, "ab"), false, -1, true), part(kA, 7, 2, 2, "cd")},
            {"0,1 + ab [Rest nicht lesbar]cd"});
        row("marks on single messages",
            {marked(single(kA, "hi"), false, 0, false), marked(single(kA, "00"), true, 1, true)},
            {"0 + [Flash-SMS] hi", "1 + [Daten] 00 [Rest nicht lesbar]"});
        row("element made elsewhere, part 5 of 3", {part(kA, 7, 3, 5, "x"), part(kA, 7, 0, 0, "y")},
            {"0 + x", "1 + y"});
    }
    void join()
    {
        QFETCH(QList<FiledSms>, filed);
        QFETCH(QStringList, rows);
        QStringList lines;
        for (const MessageRow &r : JoinLongMessages(filed)) {
            QStringList pieces;
            for (int i : r.pieces)
                pieces << QString::number(i);
            lines << pieces.join(u',') + (r.complete ? " + " : " - ") + r.text;
        }
        QCOMPARE(lines, rows);
    }

    // The list is built again from all files: 30 % of the records parts of long messages of three
    // parts, the last parts first. 10,000 records well within 0.1 s (a few milliseconds in a
    // normal build, the rest is room for a sanitizer build); four times the records in less than
    // eight times the time, which a search through the earlier rows for each part does not manage.
    void manyRecords()
    {
        const QString text = QStringLiteral("Eine Nachricht von siebzig Zeichen, wie viele sie schreiben, ja genau.");
        const auto records = [&](int longOnes) {
            QList<FiledSms> filed;
            for (int i = 0; i < 10 * longOnes; ++i) {
                if (i % 10 < 7) {
                    filed << single(QStringLiteral("+49170%1").arg(i % 50), text);
                    continue;
                }
                // Behind every seven singles three parts: all last parts first, then the middle ones.
                const int k = i / 10 * 3 + i % 10 - 7;
                const int m = k % longOnes;
                const bool wide = m % 2; // references of both widths, the 16-bit ones beyond 255
                filed << part(QStringLiteral("+49170%1").arg(m % 50), m / 50 + (wide ? 256 : 0), 3, 3 - k / longOnes,
                              text, wide);
            }
            return filed;
        };
        // The best of three runs: what the machine's other work adds is no part of the cost.
        const auto cpuFor = [](const QList<FiledSms> &filed, QList<MessageRow> &rows) {
            double best = 1e9;
            for (int run = 0; run < 3; ++run) {
                const double cpu0 = processCpuSeconds();
                rows = JoinLongMessages(filed);
                best = std::min(best, processCpuSeconds() - cpu0);
            }
            return best;
        };
        QList<MessageRow> rows;
        const double cpu40k = cpuFor(records(4000), rows);
        const double cpu10k = cpuFor(records(1000), rows);
        QCOMPARE(rows.size(), 8000);
        QCOMPARE(std::count_if(rows.begin(), rows.end(),
                               [&](const MessageRow &r) { return r.complete && r.text == text + text + text; }),
                 1000);
        QVERIFY2(cpu10k < 0.1, qPrintable(QStringLiteral("%1 s").arg(cpu10k)));
        QVERIFY2(cpu40k < 8 * cpu10k, qPrintable(QStringLiteral("%1 s against %2 s").arg(cpu40k).arg(cpu10k)));
    }
};

QTEST_APPLESS_MAIN(TestLongMessages)
#include "test_long_messages.moc"
