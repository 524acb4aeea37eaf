#include "platform/CodePage.h"
#include "text/UmlautTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
        QTest::newRow("DEL (the Delete key) ignored") << "" << 0 << QList<int>{127} << "" << ignored;
        QTest::newRow("unused place 0x81 ignored") << "" << 0 << QList<int>{0x81} << "" << ignored;
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

    // The rows a file fills and the lines it passes over, one box for all of them.
    void loadLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Pairs>("filled"); // the first rows, up to the last one filled
        QTest::addColumn<QList<int>>("bad");
        QTest::addColumn<QString>("box");
        QTest::newRow("one pair") << QStringList{"UÄ;" + ch(219)} << Pairs{{"Ä", ch(219)}} << QList<int>{} << "";
        QTest::newRow("empty and bare lines") << QStringList{"", "U"} << Pairs{} << QList<int>{} << "";
        QTest::newRow("one refused line") << QStringList{"", "XÄ;a"} << Pairs{} << QList<int>{2}
                                          << "String nicht interpretierbar\n\nZeile 2 der Datei wurde übergangen.";
        QTest::newRow("DEL as a PC character: that pair is left out")
            << QStringList{"Ua;1;" + ch(127) + ";2;c;3"} << Pairs{{"a", "1"}, {}, {"c", "3"}} << QList<int>{1}
            << "String nicht interpretierbar\n\nZeile 1 der Datei wurde übergangen.";
        QTest::newRow("a control substitute is a GSM character")
            << QStringList{"Uß;" + ch(30)} << Pairs{{"ß", ch(30)}} << QList<int>{} << "";
        QStringList forty;
        QList<int> numbers;
        for (int i = 1; i <= 40; ++i) {
            forty << QStringLiteral("x%1").arg(i);
            numbers << i;
        }
        forty << "Ua;1";
        QTest::newRow("40 bad lines, one box")
            << forty << Pairs{{"a", "1"}} << numbers
            << "String nicht interpretierbar\n\n40 Zeilen der Datei wurden übergangen: 1, 2, 3, 4, 5 …";
        QTest::newRow("three bad lines") << QStringList{"a", "Ub;2", "c", "d"} << Pairs{{"b", "2"}}
                                         << QList<int>{1, 3, 4}
                                         << "String nicht interpretierbar\n\n3 Zeilen der Datei wurden übergangen: 1, "
                                            "3, 4.";
    }
    void loadLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(Pairs, filled);
        const UmlautLoaded loaded = UmlautLoadLines(lines);
        QCOMPARE(loaded.rows.size(), kUmlautRows);
        Pairs rows = loaded.rows;
        while (!rows.isEmpty() && rows.last() == UmlautPair{})
            rows.removeLast();
        QCOMPARE(rows, filled);
        QTEST(loaded.badLines, "bad");
        QTEST(UmlautBadLinesText(loaded.badLines), "box");
    }

    // What is read of the file, and what is refused before a byte of it is read.
    void readFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("refusal"); // how the message goes on after the path
        const QString notAFile = "wird nicht gelesen: sie ist keine gewöhnliche Datei.";
        QTest::newRow("the table") << "table" << QStringList{"UÄ;" + ch(219)} << "";
        QTest::newRow("at the bound") << "bound" << QStringList{"U" + QString(kUmlautFileBound - 3, u'a')} << "";
        QTest::newRow("one byte more") << "bound+1" << QStringList{}
                                       << "wird nicht gelesen: sie ist größer als 64 KB und kann keine "
                                          "Ersetzungstabelle sein.";
        QTest::newRow("missing: empty, no message") << "missing" << QStringList{} << "";
        QTest::newRow("a link to /dev/zero") << "zero" << QStringList{} << notAFile;
        QTest::newRow("a pipe nobody writes") << "fifo" << QStringList{} << notAFile;
        QTest::newRow("a folder") << "folder" << QStringList{} << notAFile;
    }
    void readFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Umlaut.ini"));
        const auto write = [&](const QByteArray &bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        };
        if (kind == "table")
            write("U\xC4;\xDB\r\n");
        else if (kind == "bound")
            write("U" + QByteArray(kUmlautFileBound - 3, 'a') + "\r\n");
        else if (kind == "bound+1")
            write(QByteArray(kUmlautFileBound + 1, 'U'));
        else if (kind == "zero")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        QStringList lines{"stale"};
        QString message;
        QCOMPARE(UmlautReadFile(path, lines, &message), kind == "table" || kind == "bound");
        QTEST(lines, "lines");
        if (refusal.isEmpty())
            QCOMPARE(message, QString());
        else
            QCOMPARE(message, QStringLiteral("Die Ersetzungstabelle %1 %2\n\nDie Tabelle beginnt leer; „Save data“ "
                                             "ersetzt die Datei.")
                                  .arg(path, refusal));
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
        QTest::newRow("a control character is no PC character")
            << Pairs{{ch(127), "x"}, {"Ä", "y"}} << Pairs{{"Ä", "y"}} << QList<int>{};
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
