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
};

QTEST_MAIN(TestTerminalText)
#include "test_terminal_text.moc"
