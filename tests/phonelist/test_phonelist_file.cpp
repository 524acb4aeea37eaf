#include "phonelist/PhoneListFile.h"

#include <QTest>

class TestPhoneListFile : public QObject {
    Q_OBJECT
private slots:
    void linesFromBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, LF, none at the end")
            << QByteArray("Hans;0123\r\nAnna;0456\nBo") << QStringList{"Hans;0123", "Anna;0456", "Bo"};
        // The CR belongs to the line end: "A;1" stays three characters and is later ignored.
        QTest::newRow("CR not counted") << QByteArray("A;1\r\n") << QStringList{"A;1"};
        QTest::newRow("blank lines are lines") << QByteArray("\r\n\r\nBo;1\r\n") << QStringList{"", "", "Bo;1"};
        QTest::newRow("CR inside a line kept") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
        QTest::newRow("umlauts") << QByteArray("J\xFCrgen Gro\xDF;\x80\r\n") << QStringList{"Jürgen Groß;€"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void linesFromBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(PhoneListLinesFromBytes(bytes), lines);
    }
};

QTEST_APPLESS_MAIN(TestPhoneListFile)
#include "test_phonelist_file.moc"
