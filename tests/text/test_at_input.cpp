#include "text/AtInput.h"

#include <QTest>

class TestAtInput : public QObject {
    Q_OBJECT
private slots:
    void quotedParameter_data();
    void quotedParameter();
    void messageBody_data();
    void messageBody();
};

void TestAtInput::quotedParameter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("safe");
    QTest::newRow("international number") << "+491711234567" << true;
    QTest::newRow("pin") << "1234" << true;
    QTest::newRow("name with umlauts and blanks") << "Jürgen Groß" << true;
    QTest::newRow("euro and typographic quotes") << "€ „Büro“ – ‚x‘ …" << true;
    QTest::newRow("latin-1 top") << QString(QChar(0xFF)) << true;
    QTest::newRow("nbsp") << QString(QChar(0xA0)) << true;
    QTest::newRow("tilde and backslash") << "~\\" << true;
    QTest::newRow("empty") << "" << true;

    QTest::newRow("double quote ends string") << "0171\";+CMGD=1" << false;
    QTest::newRow("semicolon chains command") << "0171;D0190" << false;
    QTest::newRow("CR ends line") << "0171\rATD110" << false;
    QTest::newRow("LF") << "0171\n" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("ctrl-z") << QString("12") + QChar(26) << false;
    QTest::newRow("NUL") << QString(QChar(0)) << false;
    QTest::newRow("DEL") << QString(QChar(127)) << false;
    QTest::newRow("C1 control 0x80") << QString(QChar(0x80)) << false;
    QTest::newRow("C1 0x9D unassigned") << QString(QChar(0x9D)) << false;
    QTest::newRow("polish L not in code page") << "Łódź" << false;
    QTest::newRow("greek") << "Ω" << false;
    QTest::newRow("emoji surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << false;
}

void TestAtInput::quotedParameter()
{
    QFETCH(QString, text);
    QFETCH(bool, safe);
    QCOMPARE(IsSafeQuotedParameter(text), safe);
}

void TestAtInput::messageBody_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "Bin gleich da." << true;
    QTest::newRow("line breaks allowed") << "Zeile 1\r\nZeile 2\nZeile 3" << true;
    QTest::newRow("quotes and semicolon allowed") << "Er sagte \"ja\"; gut" << true;
    QTest::newRow("substituted umlauts") << QString("K") + QChar(0xFC) + "che" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("ctrl-z would send early") << QString("Teil 1") + QChar(26) + "AT+CMGD=1" << false;
    QTest::newRow("esc would cancel") << QString(QChar(27)) + "x" << false;
    QTest::newRow("ctrl-z at end") << QString("x") + QChar(26) << false;
}

void TestAtInput::messageBody()
{
    QFETCH(QString, text);
    QFETCH(bool, safe);
    QCOMPARE(IsSafeMessageBody(text), safe);
}

QTEST_APPLESS_MAIN(TestAtInput)
#include "test_at_input.moc"
