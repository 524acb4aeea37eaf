#include "phonelist/PhoneListFormat.h"

#include <QTest>

using Rows = QList<QPair<QString, QString>>;

class TestPhoneListFormat : public QObject {
    Q_OBJECT
private slots:
    void usableSorted_data();
    void usableSorted();
    void readsBeyond101Lines();
    void split_data();
    void split();
    void linesForSave_data();
    void linesForSave();
    void saveThenReadKeepsEntries();
    void storable_data();
    void storable();
};

void TestPhoneListFormat::usableSorted_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("case ignored") << QStringList{"zorro;1", "Anton;2", "berta;3"}
                                  << QStringList{"Anton;2", "berta;3", "zorro;1"};
    QTest::newRow("short and empty lines dropped") << QStringList{"A;1", "", "abc", "Bo;1", "   "}
                                                   << QStringList{"Bo;1"};
    QTest::newRow("equal but case: file order kept") << QStringList{"anton;1", "ANTON;1", "Anton;1"}
                                                     << QStringList{"anton;1", "ANTON;1", "Anton;1"};
    QTest::newRow("whole line, so number decides") << QStringList{"Meier;0172", "Meier;0171"}
                                                   << QStringList{"Meier;0171", "Meier;0172"};
    QTest::newRow("shorter name first") << QStringList{"Hansi;2", "Hans;1"}
                                        << QStringList{"Hans;1", "Hansi;2"};
    QTest::newRow("umlaut with its vowel") << QStringList{"Zorro;1", "Özdemir;2", "Otto;3", "Ärger;4"}
                                           << QStringList{"Ärger;4", "Otto;3", "Özdemir;2", "Zorro;1"};
    QTest::newRow("line without semicolon kept") << QStringList{"0171 123"} << QStringList{"0171 123"};
    QTest::newRow("nothing") << QStringList{} << QStringList{};
}

void TestPhoneListFormat::usableSorted()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, sorted);
    QCOMPARE(PhoneListUsableSorted(lines), sorted);
}

// The old reader stopped at 101 lines, and the next save dropped the rest of the file.
void TestPhoneListFormat::readsBeyond101Lines()
{
    QStringList lines;
    for (int i = 0; i < 250; ++i)
        lines << QString("Name%1;0171%1").arg(i, 3, 10, QChar(u'0'));
    lines.insert(50, QString()); // blank lines count as lines but hold no entry
    const QStringList sorted = PhoneListUsableSorted(lines);
    QCOMPARE(sorted.size(), 250);
    QCOMPARE(sorted.last(), "Name249;0171249");
}

void TestPhoneListFormat::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("hasName");
    QTest::newRow("plain") << "Hans;0123" << "Hans" << "0123" << true;
    QTest::newRow("second semicolon in number") << "Meier;0171;privat" << "Meier" << "0171;privat" << true;
    QTest::newRow("blanks kept") << " Hans ; 0123 " << " Hans " << " 0123 " << true;
    QTest::newRow("empty name") << ";0171234" << "" << "0171234" << true;
    QTest::newRow("empty number") << "Hans;" << "Hans" << "" << true;
    QTest::newRow("no semicolon") << "Hans 0123" << "" << "Hans 0123" << false;
    QTest::newRow("comma is no separator") << "Meier, Karl;0171" << "Meier, Karl" << "0171" << true;
}

void TestPhoneListFormat::split()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(bool, hasName);
    const PhoneRow row = PhoneListSplit(line);
    QCOMPARE(row.name, name);
    QCOMPARE(row.number, number);
    QCOMPARE(row.hasName, hasName);
}

void TestPhoneListFormat::linesForSave_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("grid order, not sorted") << Rows{{"zorro", "1"}, {"Anton", "2"}}
                                            << QStringList{"zorro;1", "Anton;2"};
    QTest::newRow("deleted row leaves no line") << Rows{{"Anton", "2"}, {"", ""}}
                                                << QStringList{"Anton;2"};
    QTest::newRow("one letter, no number: 2 chars") << Rows{{"A", ""}} << QStringList{};
    QTest::newRow("no name, two digits: 3 chars") << Rows{{"", "12"}} << QStringList{";12"};
    QTest::newRow("blanks count and stay") << Rows{{" ", " "}} << QStringList{" ; "};
}

void TestPhoneListFormat::linesForSave()
{
    QFETCH(Rows, rows);
    QFETCH(QStringList, lines);
    QCOMPARE(PhoneListLinesForSave(rows), lines);
}

void TestPhoneListFormat::saveThenReadKeepsEntries()
{
    const Rows rows{{"Meier", "0171;privat"}, {" Jürgen Groß ", "+49 171 1234567"}, {"anna", "€"}};
    QStringList names;
    for (const QString &line : PhoneListUsableSorted(PhoneListLinesForSave(rows))) {
        const PhoneRow row = PhoneListSplit(line);
        QVERIFY(rows.contains({row.name, row.number}));
        names << row.name;
    }
    QCOMPARE(names, (QStringList{" Jürgen Groß ", "anna", "Meier"}));
}

void TestPhoneListFormat::storable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("nameOk");
    QTest::addColumn<bool>("numberOk");
    QTest::addColumn<QString>("refusal");
    const QString none;
    const QString semi = kPhoneNameSemicolonMessage;
    const QString ctrl = kPhoneControlCharMessage;
    QTest::newRow("ordinary") << "Jürgen Groß" << "+491711234567" << true << true << none;
    QTest::newRow("semicolon in number is read back") << "Meier" << "0171;privat" << true << true << none;
    QTest::newRow("empty") << "" << "" << true << true << none;
    QTest::newRow("semicolon in name") << "Meier;Karl" << "0171" << false << true << semi;
    QTest::newRow("semicolon and LF: semicolon first") << "a;\nb" << "0171" << false << true << semi;
    QTest::newRow("LF in name") << "Meier\nKarl" << "0171" << false << true << ctrl;
    QTest::newRow("CR in number") << "Meier" << "0171\r0172" << true << false << ctrl;
    QTest::newRow("tab in name") << "a\tb" << "1" << false << true << ctrl;
    QTest::newRow("ctrl-z in number") << "a" << QString("1") + QChar(26) << true << false << ctrl;
    QTest::newRow("not in code page") << "Łukasz" << "0171" << false << true << ctrl;
    QTest::newRow("emoji in number") << "a" << QString::fromUtf8("\xF0\x9F\x93\x9E") << true << false << ctrl;
}

void TestPhoneListFormat::storable()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(bool, nameOk);
    QFETCH(bool, numberOk);
    QFETCH(QString, refusal);
    QCOMPARE(PhoneListNameIsStorable(name), nameOk);
    QCOMPARE(PhoneListNumberIsStorable(number), numberOk);
    QCOMPARE(PhoneListEntryRefusal(name, number), refusal);
}

QTEST_APPLESS_MAIN(TestPhoneListFormat)
#include "test_phonelist_format.moc"
