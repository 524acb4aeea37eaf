#include "text/AtInput.h"

#include <QTest>

class TestAtInput : public QObject {
    Q_OBJECT
private slots:
    // The same text checked as a quoted parameter of a command and as the body of a message.
    void safe_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parameter");
        QTest::addColumn<bool>("body");
        QTest::newRow("international number") << "+491711234567" << true << true;
        QTest::newRow("umlauts and blanks") << "Jürgen Groß" << true << true;
        QTest::newRow("code page 0x80..0x9F") << "€ „Büro“ – ‚x‘ …" << true << true;
        QTest::newRow("latin-1 top") << QString(QChar(0xFF)) << true << true;
        QTest::newRow("double quote ends string") << "0171\",129,\"x" << false << true;
        QTest::newRow("semicolon chains command") << "0171;D0190" << false << true;
        QTest::newRow("line end") << "0171\r\nATD110" << false << true;
        QTest::newRow("DEL") << QString(QChar(127)) << false << true;
        QTest::newRow("C1 control 0x80") << QString(QChar(0x80)) << false << true;
        QTest::newRow("not in code page") << "Łódź" << false << true;
        QTest::newRow("emoji surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << false << true;
        QTest::newRow("ctrl-z would send early") << QString("Teil 1") + QChar(26) + "AT+CMGD=1" << false << false;
        QTest::newRow("esc would cancel") << QString(QChar(27)) + "x" << false << false;
    }
    void safe()
    {
        QFETCH(QString, text);
        QFETCH(bool, parameter);
        QFETCH(bool, body);
        QCOMPARE(IsSafeQuotedParameter(text), parameter);
        QCOMPARE(IsSafeMessageBody(text), body);
    }
};

QTEST_APPLESS_MAIN(TestAtInput)
#include "test_at_input.moc"
