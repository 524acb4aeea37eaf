#include "phonelist/PhoneListFile.h"

#include <QTest>

class TestPhoneListFile : public QObject {
    Q_OBJECT
private slots:
    void linesFromBytes_data();
    void linesFromBytes();
};

void TestPhoneListFile::linesFromBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("Hans;0123\r\nAnna;0456\r\n")
                           << QStringList{"Hans;0123", "Anna;0456"};
    QTest::newRow("LF alone") << QByteArray("Hans;0123\nAnna;0456\n")
                              << QStringList{"Hans;0123", "Anna;0456"};
    QTest::newRow("no line end at the end")
        << QByteArray("Hans;0123\r\nAnna") << QStringList{"Hans;0123", "Anna"};
    // The CR belongs to the line end: "A;1" stays three characters and is later ignored.
    QTest::newRow("CR not counted") << QByteArray("A;1\r\n") << QStringList{"A;1"};
    QTest::newRow("blank lines are lines") << QByteArray("\r\n\r\nBo;1\r\n") << QStringList{"", "", "Bo;1"};
    QTest::newRow("CR inside a line kept") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
    QTest::newRow("one byte per umlaut")
        << QByteArray("J\xFCrgen Gro\xDF;\x80\r\n") << QStringList{"Jürgen Groß;€"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestPhoneListFile::linesFromBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(PhoneListLinesFromBytes(bytes), lines);
}

QTEST_APPLESS_MAIN(TestPhoneListFile)
#include "test_phonelist_file.moc"
