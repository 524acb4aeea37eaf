#include "text/StringUtil.h"

#include <QTest>

#include <cmath>

using Cutter = QString (*)(QString &);
Q_DECLARE_METATYPE(Cutter)

class TestStringUtil : public QObject {
    Q_OBJECT
private slots:
    void cut_data();
    void cut();
    void cutLoopOverCmgrAnswer();
    void stripQuotes_data();
    void stripQuotes();
    void umlautReplace_data();
    void umlautReplace();
    void leadingNumber_data();
    void leadingNumber();
    void numberText_data();
    void numberText();
};

void TestStringUtil::cut_data()
{
    QTest::addColumn<Cutter>("cutter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("rest");

    const Cutter comma = &TokenComma;
    const Cutter semi = &TokenSemicolon;
    const Cutter line = &TokenLine;

    QTest::newRow("csq first field") << comma << "+CSQ: 21,99" << "+CSQ: 21" << "99";
    QTest::newRow("last field never returned") << comma << "99" << "" << "99";
    QTest::newRow("blanks around field") << comma << " 12 ,x" << "12" << "x";
    QTest::newRow("only blank 32 trimmed") << comma << "\t12\r,x" << "\t12\r" << "x";
    QTest::newRow("leading separator") << comma << ",5,6" << "" << "5,6";
    QTest::newRow("empty field between") << comma << ",,3" << "" << ",3";
    QTest::newRow("lone separator") << comma << "," << "" << "";
    QTest::newRow("single char emptied") << comma << "7" << "" << "";
    QTest::newRow("empty") << comma << "" << "" << "";
    QTest::newRow("separator at end") << comma << "ab," << "ab" << "";
    QTest::newRow("quoted field kept") << comma << "\"REC UNREAD\",\"+49171\"" << "\"REC UNREAD\""
                                       << "\"+49171\"";

    QTest::newRow("semicolon a;b") << semi << "a;b" << "a" << "b";
    QTest::newRow("semicolon single char") << semi << "a" << "" << "";
    QTest::newRow("semicolon ignores comma") << semi << "Ä,1;Ae" << "Ä,1" << "Ae";

    QTest::newRow("line keeps LF") << line << "text\r\nmore" << "text" << "\nmore";
    QTest::newRow("line starting CR LF") << line << "\r\nOK" << "" << "\nOK";
    QTest::newRow("line lone LF consumed") << line << "\n" << "" << "";
    QTest::newRow("line bare CR no separator") << line << "a\rb" << "" << "a\rb";
    QTest::newRow("line bare LF no separator") << line << "a\nb" << "" << "a\nb";
    QTest::newRow("line field with LF front") << line << "\n+CMGR: x\r\nHallo" << "\n+CMGR: x"
                                              << "\nHallo";
    QTest::newRow("line blank line") << line << "\n\r\nOK" << "\n" << "\nOK";
}

void TestStringUtil::cut()
{
    QFETCH(Cutter, cutter);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, rest);
    QCOMPARE(cutter(text), field);
    QCOMPARE(text, rest);
}

// How the read cycle walks an answer: lines first, then the header by commas.
void TestStringUtil::cutLoopOverCmgrAnswer()
{
    QString answer = "\r\n+CMGR: \"REC UNREAD\",\"+491711234567\",,\"07/05/01,12:30:00+08\"\r\n"
                     "Hallo Welt\r\n\r\nOK\r\n";
    QCOMPARE(TokenLine(answer), QString());
    QString header = TokenLine(answer);
    QCOMPARE(header, "\n+CMGR: \"REC UNREAD\",\"+491711234567\",,\"07/05/01,12:30:00+08\"");
    QString body = TokenLine(answer);
    QCOMPARE(StripQuotes(body), "Hallo Welt");

    QCOMPARE(TokenComma(header), "\n+CMGR: \"REC UNREAD\"");
    QString number = TokenComma(header);
    QCOMPARE(StripQuotes(number), "+491711234567");
    QCOMPARE(TokenComma(header), QString()); // empty alpha field
    QString date = TokenComma(header);
    QCOMPARE(StripQuotes(date), "07/05/01");
    QCOMPARE(TokenComma(header), QString()); // last field stays in the variable
    QCOMPARE(StripQuotes(header), "12:30:00+08");
}

void TestStringUtil::stripQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("quoted name") << "\"Anna\"" << "Anna";
    QTest::newRow("LF then quoted: blank stays") << "\n\"Anna\"" << " Anna";
    QTest::newRow("mixed CR LF at front") << "\r\n\r\nx" << "x";
    QTest::newRow("line ends at back stay") << "x\r\n" << "x\r\n";
    QTest::newRow("blanks before LF trimmed") << "  \nx " << "x";
    QTest::newRow("inner quote becomes blank") << "a\"b" << "a b";
    QTest::newRow("one quote only") << "\"+49171" << "+49171";
    QTest::newRow("only quotes") << "\"\"" << "";
    QTest::newRow("empty") << "" << "";
}

void TestStringUtil::stripQuotes()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(StripQuotes(text), result);
    QCOMPARE(text, result);
}

void TestStringUtil::umlautReplace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    const QString sentence = "Ein Jäger schießt öfters aus Übung durch Ösen bei der üblichen Äsung";
    QString expected = sentence;
    expected[5] = QChar(0xFB);  // ä
    expected[15] = QChar(0xFD); // ß
    expected[18] = QChar(0xFC); // ö
    expected[29] = QChar(0xDE); // Ü
    expected[41] = QChar(0xDC); // Ö
    expected[54] = QChar(0xFE); // ü
    expected[63] = QChar(0xDB); // Ä
    QTest::newRow("sentence") << sentence << expected;
    QTest::newRow("all seven") << "ÄÖÜäöüß"
                               << QString::fromLatin1("\xDB\xDC\xDE\xFB\xFC\xFE\xFD");
    QTest::newRow("others untouched") << "éÉàÀ€ÿ ~\r\n" << "éÉàÀ€ÿ ~\r\n";
    QTest::newRow("empty") << "" << "";
}

void TestStringUtil::umlautReplace()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(UmlautReplace(text), result);
    QCOMPARE(text, result);
}

void TestStringUtil::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "42" << 42.0;
    QTest::newRow("leading blanks") << "   7,20" << 7.0;
    QTest::newRow("sign") << "-3x" << -3.0;
    QTest::newRow("plus sign") << "+15" << 15.0;
    QTest::newRow("decimal") << "2.5s" << 2.5;
    QTest::newRow("second point stops") << "1.5.3" << 1.5;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("trailing point") << "8." << 8.0;
    QTest::newRow("file name rest") << "00007.DAT" << 7.0;
    QTest::newRow("blank after sign stops") << "- 4" << 0.0;
    QTest::newRow("inner blank stops") << "1 2" << 1.0;
    QTest::newRow("tab not skipped") << "\t5" << 0.0;
    QTest::newRow("no digits") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("exponent not read") << "1e3" << 1.0;
    QTest::newRow("decimal comma not read") << "2,5" << 2.0;
    QTest::newRow("empty") << "" << 0.0;
}

void TestStringUtil::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LeadingNumber(text), value);
}

void TestStringUtil::numberText_data()
{
    QTest::addColumn<qlonglong>("n");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0LL << " 0";
    QTest::newRow("slot") << 3LL << " 3";
    QTest::newRow("negative") << -3LL << "-3";
    QTest::newRow("large") << 1234567890123LL << " 1234567890123";
}

void TestStringUtil::numberText()
{
    QFETCH(qlonglong, n);
    QFETCH(QString, text);
    QCOMPARE(NumberText(n), text);
}

QTEST_APPLESS_MAIN(TestStringUtil)
#include "test_string_util.moc"
