// Message lines of today: UTF-8 (or Windows-1252) text, escapes for any character, options in
// square brackets; a line that cannot be read is named, the others count.

#include "SimTest.h"
#include "core/DataFiles.h"

#include <QtTest>

using namespace modemsim;

class TestMessageLines : public QObject {
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QString>("text");

        QTest::newRow("UTF-8 with an emoji") << QByteArray("+49170\tGr\xc3\xbc\xc3\x9f"
                                                           "e \xf0\x9f\x98\x80")
                                             << QByteArray("+49170") << QStringLiteral("Grüße 😀");
        // A file that is not UTF-8 reads as Windows-1252, as before.
        QTest::newRow("Windows-1252") << QByteArray("+49170\tGr\xfc\xdf"
                                                    "e \x80")
                                      << QByteArray("+49170") << QStringLiteral("Grüße €");
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf+49170\tHallo") << QByteArray("+49170")
                                         << QStringLiteral("Hallo");
        QTest::newRow("escapes") << QByteArray("+49170\t\\u201Eja\\u201C \\U0001F600 \\x80\\t\\\\")
                                 << QByteArray("+49170") << QStringLiteral("„ja“ 😀 €\t\\");
        QTest::newRow("8-bit octets") << QByteArray("[8bit]\t+49170\t\\x80\\xff\\x00") << QByteArray("+49170")
                                      << QString::fromLatin1("\x80\xff\x00", 3);
        QTest::newRow("a bank's name") << QByteArray("Sparkasse\tIhr Code: 1234") << QByteArray("Sparkasse")
                                       << QStringLiteral("Ihr Code: 1234");
        QTest::newRow("five fields") << QByteArray("4\tREC READ\t0171\t24/05/01,12:00:00+08\t\xd0\xb6")
                                     << QByteArray("0171") << QStringLiteral("ж");
    }

    void lines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, number);
        QFETCH(QString, text);
        QList<LineProblem> problems;
        const QList<FileEntry> entries = readMessageFile(file, &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.value(0).text));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].message.number, number);
        QCOMPARE(entries[0].message.text, text);
    }

    void options()
    {
        QList<LineProblem> problems;
        const QList<FileEntry> entries =
            readControlFile("\n\n[ucs2 ref16 ref=300 parts=3,1 later=3:120,1:0.5]\t2\t\t+49170\t\tText\n", &problems);
        QVERIFY(problems.isEmpty());
        QCOMPARE(entries.size(), 1);
        const Incoming &in = entries[0].message;
        QCOMPARE(entries[0].line, 3);
        QCOMPARE(in.slot, 2);
        QCOMPARE(in.alphabet, std::optional(coding::Alphabet::Ucs2));
        QCOMPARE(in.wideReference, std::optional(true));
        QCOMPARE(in.reference, 300);
        QCOMPARE(in.parts, (QList<int>{3, 1}));
        QCOMPARE(in.laterMs, (QMap<int, int>{{3, 120000}, {1, 500}}));
        // Without options: the network decides.
        const Incoming plain = readControlFile("+49170\tText", &problems).value(0).message;
        QVERIFY(!plain.alphabet && !plain.wideReference && plain.reference == -1 && plain.parts.isEmpty());
    }

    void problems_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("problem"); // of the last line; the first line is good

        const QByteArray good = "+49170\tGr\xc3\xbc\xc3\x9f"
                                "e\n";
        QTest::newRow("not UTF-8 in a UTF-8 file")
            << good + "+49170\tkaputt \xff" << QStringLiteral("line 2: not UTF-8: byte 0xff at column 15");
        QTest::newRow("an encoded surrogate")
            << good + "+49170\t\xed\xa0\x80" << QStringLiteral("line 2: not UTF-8: byte 0xed at column 8");
        QTest::newRow("cut short") << good + "+49170\t\xc3"
                                   << QStringLiteral("line 2: not UTF-8: byte 0xc3 at column 8");
        QTest::newRow("fields") << good + "+49170" << QStringLiteral("line 2: 1 fields, expected 5");
        QTest::newRow("unknown option") << good + "[utf8]\t+49170\tx"
                                        << QStringLiteral("line 2: unknown option \"utf8\"");
        QTest::newRow("reference too big")
            << good + "[ref=256]\t+49170\tx" << QStringLiteral("line 2: ref=256 needs ref16");
        QTest::newRow("no parts") << good + "[parts=]\t+49170\tx" << QStringLiteral("line 2: bad option \"parts=\"");
        QTest::newRow("part 0") << good + "[parts=0]\t+49170\tx" << QStringLiteral("line 2: bad option \"parts=0\"");
        QTest::newRow("number with a quote") << good + "+49\"170\tx" << QStringLiteral("line 2: bad number");
        QTest::newRow("name too long") << good + "Sparkasse Köln\tx" << QStringLiteral("line 2: bad number");
        QTest::newRow("8-bit beyond octets")
            << good + "[8bit]\t+49170\t€" << QStringLiteral("line 2: 8-bit data holds only octets");
        QTest::newRow("bad \\u") << good + "+49170\t\\u12" << QStringLiteral("line 2: bad escape sequence");
        QTest::newRow("\\U beyond Unicode")
            << good + "+49170\t\\U00110000" << QStringLiteral("line 2: bad escape sequence");
        QTest::newRow("a lone surrogate") << good + "+49170\t\\uD83D" << QStringLiteral("line 2: bad escape sequence");
        QTest::newRow("ring is no message") << good + "ring" << QStringLiteral("line 2: 1 fields");
    }

    void problems()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, problem);
        QList<LineProblem> problems;
        const QList<FileEntry> entries = readMessageFile(file, &problems);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].message.text, QStringLiteral("Grüße"));
        QCOMPARE(problems.size(), 1);
        const QString text = problemText(QStringLiteral("m.txt"), problems[0]);
        QVERIFY2(text.startsWith(QStringLiteral("m.txt, ") + problem), qPrintable(text));
    }

    void controlLines()
    {
        QList<LineProblem> problems;
        const QList<FileEntry> entries = readControlFile("ring\nurc +CIEV: 7,\\x31\nurc \\q\n+49170\tx\n", &problems);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].urc, QByteArray("RING"));
        QCOMPARE(entries[1].urc, QByteArray("+CIEV: 7,1"));
        QCOMPARE(entries[2].kind, FileEntry::Message);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0].line, 3);
    }

    // The messages file into the storage: what fits is stored, what does not is named.
    void loadIntoTheStorage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("m.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[ucs2]\t+49170\t" + QByteArray("\xd0\xb6").repeated(71) + "\nfalsch\n+49171\tpasst nicht\n");
        f.close();
        Config cfg;
        cfg.storageSize = 2;
        Modem m(cfg);
        QList<LineProblem> problems;
        QString error;
        QVERIFY(loadMessageFile(path, m, &problems, &error));
        QCOMPARE(m.storageUsed(), 2); // both parts of the long one
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems[0].line, 2);
        QCOMPARE(problems[1].line, 3);
        QVERIFY(problems[1].text.startsWith(QStringLiteral("the storage \"SM\" has 0 free slots")));
        QVERIFY(!loadMessageFile(dir.filePath("missing.txt"), m, &problems, &error));
        QVERIFY(error.contains(QStringLiteral("missing.txt")));
    }
};

QTEST_GUILESS_MAIN(TestMessageLines)
#include "test_message_lines.moc"
