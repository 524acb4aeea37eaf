#include "platform/CodePage.h"
#include "text/UmlautTable.h"

#include <QTest>

Q_DECLARE_METATYPE(UmlautPair)
using Pairs = QList<UmlautPair>;

namespace {

QString ch(int code)
{
    return codepage::decode(QByteArray(1, static_cast<char>(code)));
}

} // namespace

class TestUmlautTable : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("lastResult");
        const int changed = int(UmlautKey::Changed), ignored = int(UmlautKey::Ignored);
        const int refusedCode = int(UmlautKey::RefusedSubstitute), refusedSep = int(UmlautKey::RefusedSeparator);
        QTest::newRow("231 gives one character") << "" << 1 << QList<int>{'2', '3', '1'} << ch(231) << changed;
        QTest::newRow("253 still a character") << "" << 1 << QList<int>{'2', '5', '3'} << ch(253) << changed;
        QTest::newRow("254 empties") << "" << 1 << QList<int>{'2', '5', '4'} << "" << changed;
        QTest::newRow("two digits wait for a third") << "" << 1 << QList<int>{'2', '1'} << "21" << changed;
        QTest::newRow("128 is the euro of the code page") << "" << 1 << QList<int>{'1', '2', '8'} << "€" << changed;
        QTest::newRow("000 is NUL") << "" << 1 << QList<int>{'0', '0', '0'} << ch(0) << changed;
        QTest::newRow("digits after a character read as 0") << "Û" << 1 << QList<int>{'2', '3'} << ch(0) << changed;
        QTest::newRow("digit into a longer cell empties it") << "abcd" << 1 << QList<int>{'1'} << "" << changed;
        QTest::newRow("010 line feed refused") << "" << 1 << QList<int>{'0', '1', '0'} << "" << refusedCode;
        QTest::newRow("013 carriage return refused") << "" << 1 << QList<int>{'0', '1', '3'} << "" << refusedCode;
        QTest::newRow("032 blank refused") << "" << 1 << QList<int>{'0', '3', '2'} << "" << refusedCode;
        QTest::newRow("059 separator refused") << "" << 1 << QList<int>{'0', '5', '9'} << "" << refusedCode;
        QTest::newRow("digit in column 0 ignored") << "" << 0 << QList<int>{'5'} << "" << ignored;
        QTest::newRow("letter in column 1 ignored") << "" << 1 << QList<int>{'a'} << "" << ignored;
        QTest::newRow("letter into empty column 0") << "" << 0 << QList<int>{0xC4} << "Ä" << changed;
        QTest::newRow("second letter into filled cell ignored") << "Ä" << 0 << QList<int>{'b'} << "Ä" << ignored;
        QTest::newRow("ý (253) is a PC character") << "" << 0 << QList<int>{253} << "ý" << changed;
        QTest::newRow("þ (254) ignored") << "" << 0 << QList<int>{254} << "" << ignored;
        QTest::newRow("percent ignored") << "" << 0 << QList<int>{'%'} << "" << ignored;
        QTest::newRow("backslash ignored") << "" << 0 << QList<int>{'\\'} << "" << ignored;
        QTest::newRow("blank ignored") << "" << 0 << QList<int>{' '} << "" << ignored;
        QTest::newRow("not in the code page ignored") << "" << 0 << QList<int>{-1} << "" << ignored;
        QTest::newRow("semicolon as PC character refused") << "" << 0 << QList<int>{';'} << "" << refusedSep;
        QTest::newRow("backspace empties one character") << "Ä" << 0 << QList<int>{8} << "" << changed;
        QTest::newRow("backspace in column 1") << "23" << 1 << QList<int>{8} << "2" << changed;
        QTest::newRow("backspace on empty cell") << "" << 1 << QList<int>{8} << "" << ignored;
    }
    void keys()
    {
        QFETCH(QString, before);
        QFETCH(int, column);
        QFETCH(QList<int>, keys);
        UmlautKey last{};
        for (int k : keys)
            last = UmlautApplyKey(before, column, k);
        QTEST(before, "after");
        QTEST(int(last), "lastResult");
    }

    void pairsFromLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Pairs>("pairs");
        QTest::newRow("one pair") << "UÄ;" + ch(219) << Pairs{{"Ä", ch(219)}};
        QTest::newRow("two pairs") << "UÄ;" + ch(219) + ";ß;" + ch(253) << Pairs{{"Ä", ch(219)}, {"ß", ch(253)}};
        QTest::newRow("blanks trimmed, but not the last substitute") << "U a ; b ;c; " << Pairs{{"a", "b"}, {"c", " "}};
        QTest::newRow("no separator cannot loop") << "Uabcdef" << Pairs{{"", "abcdef"}};
        QTest::newRow("damaged middle") << "Ua;b;cdef" << Pairs{{"a", "b"}, {"", "cdef"}};
        QTest::newRow("a lone character") << "Ux" << Pairs{{"", ""}};
        QString many = QStringLiteral("U");
        Pairs first24;
        for (int i = 0; i < 30; ++i) {
            many += QStringLiteral("%1a;b;").arg(i);
            if (i < 24)
                first24.append({QStringLiteral("%1a").arg(i), QStringLiteral("b")});
        }
        many.chop(1);
        QTest::newRow("more than 24 pairs: surplus dropped") << many << first24;
    }
    void pairsFromLine()
    {
        QFETCH(QString, line);
        QTEST(UmlautPairsFromLine(line), "pairs");
    }

    void savedLineReadsBack()
    {
        const Pairs pairs{{"Ä", ch(219)}, {"ß", ch(253)}, {"€", ch(0)}, {"é", ch(9)}};
        const QString line = UmlautLineFromPairs(pairs);
        QCOMPARE(line, "UÄ;" + ch(219) + ";ß;" + ch(253) + ";€;" + ch(0) + ";é;" + ch(9));
        QCOMPARE(UmlautLineFromPairs({}), "U");
        QCOMPARE(UmlautPairsFromLine(line), pairs);
    }

    void collect_data()
    {
        QTest::addColumn<Pairs>("rows");
        QTest::addColumn<Pairs>("saved");
        QTest::addColumn<QList<int>>("leftOut");
        QTest::newRow("rows 1 and 3") << Pairs{{"Ä", "x"}, {"", ""}, {"ß", "y"}} << Pairs{{"Ä", "x"}, {"ß", "y"}}
                                      << QList<int>{};
        QTest::newRow("half rows left out")
            << Pairs{{"Ä", ""}, {"", "y"}, {" ö ", " z "}} << Pairs{{"ö", "z"}} << QList<int>{};
        QTest::newRow("blank only is empty") << Pairs{{"Ä", "  "}} << Pairs{} << QList<int>{};
        Pairs rows, eleven;
        for (int i = 0; i < 14; ++i) {
            rows.append({QString(QChar(char16_t(u'A' + i))), "x"});
            if (i == 12)
                rows.last().gsm.clear(); // row 13 is no pair
            if (i < 11)
                eleven.append(rows.last());
        }
        QTest::newRow("more than 11 pairs") << rows << eleven << QList<int>{12, 14};
    }
    void collect()
    {
        QFETCH(Pairs, rows);
        const UmlautCollection c = UmlautCollectPairs(rows);
        QTEST(c.pairs, "saved");
        QTEST(c.leftOut, "leftOut");
    }
};

QTEST_APPLESS_MAIN(TestUmlautTable)
#include "test_umlaut_table.moc"
