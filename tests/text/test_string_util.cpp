#include "text/StringUtil.h"

#include <QTest>

// The functions that work on their argument in place: what each returns, and what it leaves there.
using InPlace = QString (*)(QString &);
Q_DECLARE_METATYPE(InPlace)

class TestStringUtil : public QObject {
    Q_OBJECT
private slots:
    void inPlace_data()
    {
        QTest::addColumn<InPlace>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("left");
        const InPlace comma = &TokenComma, line = &TokenLine, strip = &StripQuotes, umlaut = &UmlautReplace;
        QTest::newRow("comma: csq") << comma << "+CSQ: 21,99" << "+CSQ: 21" << "99";
        QTest::newRow("comma: last field never returned") << comma << "99" << "" << "99";
        QTest::newRow("comma: only blank 32 trimmed") << comma << " \t12\r ,x" << "\t12\r" << "x";
        QTest::newRow("comma: separator first") << comma << ",5,6" << "" << "5,6";
        QTest::newRow("comma: one character emptied") << comma << "7" << "" << "";
        QTest::newRow("semicolon ignores comma") << InPlace(&TokenSemicolon) << "Ä,1;Ae" << "Ä,1" << "Ae";
        QTest::newRow("line: LF left at the front") << line << "text\r\nmore" << "text" << "\nmore";
        QTest::newRow("line: field keeps its LF") << line << "\n+CMGR: x\r\nHallo" << "\n+CMGR: x" << "\nHallo";
        QTest::newRow("line: one character emptied") << line << "\n" << "" << "";
        QTest::newRow("line: bare CR, bare LF: no separator") << line << "a\rb\nc" << "" << "a\rb\nc";

        QTest::newRow("strip: quoted name") << strip << "\"Anna\"" << "Anna" << "Anna";
        QTest::newRow("strip: LF then quote: blank stays") << strip << "\n\"Anna\"" << " Anna" << " Anna";
        QTest::newRow("strip: CR LF at the front") << strip << "\r\n\r\nx" << "x" << "x";
        QTest::newRow("strip: line ends at the back stay") << strip << "x\r\n" << "x\r\n" << "x\r\n";
        QTest::newRow("strip: blanks before LF") << strip << "  \nx " << "x" << "x";
        QTest::newRow("strip: inner quote becomes blank") << strip << "a\"b" << "a b" << "a b";
        QTest::newRow("strip: one quote only") << strip << "\"+49171" << "+49171" << "+49171";
        QTest::newRow("strip: only quotes") << strip << "\"\"" << "" << "";
        QTest::newRow("strip: empty") << strip << "" << "" << "";

        const QString seven = QString::fromLatin1("\xDB\xDC\xDE\xFB\xFC\xFE\xFD"), other = "éÉàÀ€ÿ ~\r\n";
        QTest::newRow("umlaut: all seven") << umlaut << "ÄÖÜäöüß" << seven << seven;
        QTest::newRow("umlaut: others untouched") << umlaut << other << other << other;
    }
    void inPlace()
    {
        QFETCH(InPlace, function);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QFETCH(QString, left);
        QCOMPARE(function(text), result);
        QCOMPARE(text, left);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("leading blanks, plus, comma stops") << "   +7,20" << 7.0;
        QTest::newRow("sign") << "-3x" << -3.0;
        QTest::newRow("second point stops") << "1.5.3" << 1.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("file name rest") << "00007.DAT" << 7.0;
        QTest::newRow("blank after sign stops") << "- 4" << 0.0;
        QTest::newRow("tab not skipped") << "\t5" << 0.0;
        QTest::newRow("exponent not read") << "1e3" << 1.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QTEST(LeadingNumber(text), "value");
    }

    void numberText()
    {
        QCOMPARE(NumberText(0), " 0");
        QCOMPARE(NumberText(-3), "-3");
        QCOMPARE(NumberText(1234567890123LL), " 1234567890123");
    }
};

QTEST_APPLESS_MAIN(TestStringUtil)
#include "test_string_util.moc"
