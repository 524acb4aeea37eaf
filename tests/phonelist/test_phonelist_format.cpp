#include "phonelist/PhoneListFormat.h"

#include <QTest>

using Rows = QList<QPair<QString, QString>>;

namespace {
const QString kControlRefusal =
    QStringLiteral("Name und Nummer dürfen keine Zeilenumbrüche, Steuerzeichen oder Zeichen enthalten, "
                   "die in der Telefonliste nicht gespeichert werden können. ");
} // namespace

class TestPhoneListFormat : public QObject {
    Q_OBJECT
private slots:
    // The file's lines as the grid gets them: the usable ones sorted, each split into name and number.
    void read_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("case ignored") << QStringList{"zorro;1", "Anton;2", "berta;3"}
                                      << Rows{{"Anton", "2"}, {"berta", "3"}, {"zorro", "1"}};
        // A short line is read when it holds a ";" and a number: "A;1" was saved, so it must come back.
        QTest::newRow("short lines: entries kept, the rest dropped")
            << QStringList{"A;1", "", "abc", "Bo;1", "   ", "AB;"} << Rows{{"A", "1"}, {"Bo", "1"}};
        QTest::newRow("equal but case: file order kept")
            << QStringList{"anton;1", "ANTON;1", "Anton;1"} << Rows{{"anton", "1"}, {"ANTON", "1"}, {"Anton", "1"}};
        QTest::newRow("whole line, so number decides")
            << QStringList{"Meier;0172", "Meier;0171"} << Rows{{"Meier", "0171"}, {"Meier", "0172"}};
        QTest::newRow("umlaut with its vowel") << QStringList{"Zorro;1", "Özdemir;2", "Otto;3", "Ärger;4"}
                                               << Rows{{"Ärger", "4"}, {"Otto", "3"}, {"Özdemir", "2"}, {"Zorro", "1"}};
        QTest::newRow("later semicolons: number") << QStringList{"Meier;0171;privat"} << Rows{{"Meier", "0171;privat"}};
        QTest::newRow("blanks kept") << QStringList{" Hans ; 0123 "} << Rows{{" Hans ", " 0123 "}};
        QTest::newRow("no semicolon: all number") << QStringList{"0171 123"} << Rows{{"", "0171 123"}};
        // Four characters are enough without a ";": a short number stays in the list.
        QTest::newRow("four characters without a semicolon") << QStringList{"0171", "112", "Ab;"} << Rows{{"", "0171"}};
    }
    void read()
    {
        QFETCH(QStringList, lines);
        QFETCH(Rows, rows);
        Rows got;
        for (const QString &line : PhoneListUsableSorted(lines))
            got.append({PhoneListSplit(line).name, PhoneListSplit(line).number});
        QCOMPARE(got, rows);
    }

    void whatIsSavedIsReadBack()
    {
        const Rows grid{{"A", "1"}, {"", "7"}, {"", ""}, {"Anna", ""}, {"Zoe", "0171"}};
        const QStringList lines = PhoneListLinesForSave(grid);
        QCOMPARE(lines, (QStringList{"A;1", ";7", "Anna;", "Zoe;0171"}));
        QCOMPARE(PhoneListUsableSorted(lines).size(), lines.size());
    }

    void storable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("nameOk");
        QTest::addColumn<bool>("numberOk");
        QTest::addColumn<QString>("refusal");
        const QString semi = QStringLiteral("Der Name darf kein Semikolon (;) enthalten. ");
        const QString ctrl = kControlRefusal;
        QTest::newRow("ordinary") << "Jürgen Groß" << "+491711234567" << true << true << QString();
        QTest::newRow("semicolon in number is read back") << "Meier" << "0171;privat" << true << true << QString();
        QTest::newRow("semicolon in name") << "Meier;Karl" << "0171" << false << true << semi;
        QTest::newRow("semicolon and LF: semicolon first") << "a;\nb" << "0171" << false << true << semi;
        QTest::newRow("LF in name") << "Meier\nKarl" << "0171" << false << true << ctrl;
        QTest::newRow("CR in number") << "Meier" << "0171\r0172" << true << false << ctrl;
        QTest::newRow("not in code page") << "Łukasz" << "0171" << false << true << ctrl;
        QTest::newRow("name only, too short to read back")
            << "AB" << "" << true << true
            << "Der Eintrag ist zu kurz, um gespeichert zu werden: bitte eine Nummer eingeben. ";
        QTest::newRow("short entry with number") << "A" << "1" << true << true << QString();
        QTest::newRow("emoji in number") << "a" << QString::fromUtf8("\xF0\x9F\x93\x9E") << true << false << ctrl;
    }
    void storable()
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

    // A list read as UTF-8 carries every character; controls still do not belong in it.
    void storableInUtf8List_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("Polish L") << "Łukasz" << QString();
        QTest::newRow("emoji") << QString::fromUtf8("Oma \xF0\x9F\x93\x9E") << QString();
        QTest::newRow("DEL") << "Oma\x7F" << kControlRefusal;
        QTest::newRow("C1 control") << QStringLiteral("Oma\u0085") << kControlRefusal;
        QTest::newRow("semicolon") << "Meier;Karl" << QStringLiteral("Der Name darf kein Semikolon (;) enthalten. ");
    }
    void storableInUtf8List()
    {
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        QCOMPARE(PhoneListEntryRefusal(name, QStringLiteral("0171"), TextEncoding::Utf8), refusal);
    }
};

QTEST_APPLESS_MAIN(TestPhoneListFormat)
#include "test_phonelist_format.moc"
