#include "main/TerminalText.h"
#include "platform/CodePage.h"

#include <QtTest>

class TestTerminalText : public QObject {
    Q_OBJECT
private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("CR LF stays") << "OK\r\n" << "OK\r\n";
        QTest::newRow("bare LF goes") << "a\nb" << "ab";
        QTest::newRow("bare CR gets LF") << "AT\r" << "AT\r\n";
        QTest::newRow("LF CR becomes CR LF") << "x\n\r" << "x\r\n";
        QTest::newRow("CR CR") << "\r\r" << "\r\n\r\n";
        QTest::newRow("text on both sides") << "ab\ncd\ref" << "abcd\r\nef";
        QTest::newRow("no line end") << "<65><84>" << "<65><84>";
        // Text whose first line ends are CR LF pairs and a later one is not.
        QTest::newRow("pairs, then a bare LF") << "a\r\nb\r\nc\nd" << "a\r\nb\r\ncd";
        QTest::newRow("pairs, then CR at the end") << "a\r\nb\r" << "a\r\nb\r\n";
        QTest::newRow("pair, then LF LF") << "\r\n\n\n" << "\r\n";
        QTest::newRow("LF at the start") << "\na\r\n" << "a\r\n";
        QTest::newRow("empty") << "" << "";
    }
    void lineEnds()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        NormaliseLineEnds(in);
        QCOMPARE(in, out);
    }

    void trimming_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("kept");
        QTest::newRow("at the limit") << 16000 << 16000;
        QTest::newRow("one over") << 16001 << 11905;
        QTest::newRow("one block over") << 20096 << 16000;
        QTest::newRow("one char more") << 20097 << 11905;
        QTest::newRow("a fast line's tick") << 16000 + 51000 << 16000 + 51000 - 13 * 4096;
    }
    void trimming()
    {
        QFETCH(int, length);
        QFETCH(int, kept);
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar('a' + i % 26);
        const QString tail = text.right(kept);
        TrimTerminalText(text);
        QCOMPARE(text.size(), kept);
        QCOMPARE(text, tail);
        QVERIFY(text.size() <= kTerminalLimit);
    }

    // What goes into the pane: the last part of a long text, without a lone LF at its front,
    // with LF line ends and a visible NUL.
    void paneText_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const QString tail = QString(kTerminalLimit - 2, QLatin1Char('x'));
        QTest::newRow("short") << "OK\r\n" << "OK\n";
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << "a<0>b";
        QTest::newRow("long line") << QString(50000, QLatin1Char('y')) + tail + "zz" << tail + "zz";
        QTest::newRow("cut between CR and LF") << "y\r\n" + tail + "\r\n" << tail + "\n";
        QTest::newRow("exactly the limit") << "\r\n" + tail << "\n" + tail;
    }
    void paneText()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(PaneText(in), out);
    }

    // How much the pane drops, counted as the pane counts (a CR LF is one character).
    void dropCount_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<int>("drop");
        const QString block = QString(kTerminalDropBlock, QLatin1Char('a'));
        const QString rest = QString(kTerminalLimit - kTerminalDropBlock + 1, QLatin1Char('b'));
        QTest::newRow("within the limit") << QString(kTerminalLimit, QLatin1Char('a')) << 0;
        QTest::newRow("one block, no line ends") << block + rest << kTerminalDropBlock;
        QTest::newRow("a CR LF inside the block") << "\r\n" + block.mid(2) + rest << kTerminalDropBlock - 1;
        QTest::newRow("cut between CR and LF") << block.mid(1) + "\r\n" + rest << kTerminalDropBlock;
    }
    void dropCount()
    {
        QFETCH(QString, pane);
        QFETCH(int, drop);
        QCOMPARE(TerminalDropCount(pane), qsizetype(drop));
    }

    void asciiView_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("AT CR LF") << QByteArray("AT\r\n") << "<65><84><13><10>";
        QTest::newRow("OK") << QByteArray("OK") << "<79><75>";
        QTest::newRow("umlaut and euro") << QByteArray("\xFC\x80") << "<252><128>";
        QTest::newRow("NUL and 255") << QByteArray("\x00\xFF", 2) << "<0><255>";
        QTest::newRow("undefined 0x81") << QByteArray("\x81") << "<129>";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void asciiView()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(AsciiView(codepage::decode(bytes)), shown);
    }

    void asciiViewOfTextTheCodePageCannotCarry()
    {
        // Typed or pasted text can hold such characters; they go out as "?".
        QCOMPARE(AsciiView(QStringLiteral("a\u20AC\u0100")), QStringLiteral("<97><128><63>"));
    }
};

QTEST_MAIN(TestTerminalText)
#include "test_terminal_text.moc"
