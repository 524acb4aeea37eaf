// The SIM phonebook's commands, answers and list-file lines, in the odd cases; the plain ones
// go through the window in test_frmSimList.
#include "simbook/SimBookAnswers.h"
#include "simbook/SimListFormat.h"
#include "simbook/SimWritePlan.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimBookEntry)
Q_DECLARE_METATYPE(SimListRow)
Q_DECLARE_METATYPE(SimCardState)
Q_DECLARE_METATYPE(TextEncoding)

using Rows = QList<SimListRow>;

namespace {

// A card read out at locations 1 to 4: Anna in 1, Hans in 2, 3 and 4 free.
SimCardState readCard()
{
    SimCardState card;
    card.known = 4;
    card.entries = {{1, {"Anna", "+491701234567", "1"}}, {2, {"Hans", "0123", "2"}}};
    return card;
}

const SimListRow kAnnaRow{"Anna", "+491701234567", "1"};
const SimListRow kHansRow{"Hans", "0123", "2"};

} // namespace

class TestSimBookFormat : public QObject {
    Q_OBJECT
private slots:
    void cpbrEntry_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<SimBookEntry>("entry");
        const QString ok = QStringLiteral("\r\n\r\nOK\r\n");
        const auto row = [](const char *name, const QString &answer, const SimBookEntry &entry) {
            QTest::newRow(name) << answer << entry;
        };
        row("comma in name", "\r\n+CPBR: 7,\"0171\",129,\"Meier, Hans\"" + ok, {"7", "0171", "Meier, Hans"});
        row("umlauts", QStringLiteral("\r\n+CPBR: 12,\"0301234\",129,\"Jürgen Weiß\"") + ok,
            {"12", "0301234", QStringLiteral("Jürgen Weiß")});
        row("empty location", "\r\nOK\r\n", {});
        row("empty fields", "\r\n+CPBR: 6,\"\",129,\"\"" + ok, {"6", "", ""});
        row("blanks around fields", "\r\n+CPBR:  10 , \"0123\" ,129, \"Eva\" " + ok, {"10", "0123", "Eva"});
        row("extra blank lines", "\r\n\r\n\r\n+CPBR: 9,\"112\",129,\"Notruf\"\r\n\r\n\r\n\r\nOK\r\n", {"9", "112", "Notruf"});
        row("echo on", "AT+CPBR= 4, 4\r\n\r\n+CPBR: 4,\"0301\",129,\"Büro\"" + ok, {"4", "0301", QStringLiteral("Büro")});
        row("unsolicited line first", "\r\n+CMTI: \"SM\",3\r\n\r\n+CPBR: 2,\"0123\",129,\"Ute\"" + ok, {"2", "0123", "Ute"});
        row("number missing its closing quote", "\r\n+CPBR: 2,\"0123,129,\"Hans\"" + ok, {"2", "0123", "Hans"});
        row("quote inside the name", "\r\n+CPBR: 8,\"0123\",129,\"Ha\"ns\"" + ok, {"8", "0123", "Ha ns"});
        row("no comma after +CPBR", "\r\n+CPBR: 5" + ok, {});
        row("error", "\r\n+CME ERROR: invalid index\r\n", {});
    }
    void cpbrEntry()
    {
        QFETCH(QString, answer);
        QFETCH(SimBookEntry, entry);
        QCOMPARE(CpbrEntry(answer), entry);
    }

    void readCount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("default") << "100" << 100;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("3.5 to even") << "3.5" << 4;
        QTest::newRow("0.6") << "0.6" << 1;
        QTest::newRow("leading blanks, trailing text") << "  12 Stück" << 12;
        QTest::newRow("largest") << "32766" << 32766;
        QTest::newRow("above the largest") << "32767" << 32766;
        QTest::newRow("far above") << "999999999999999999999999" << 32766;
    }
    void readCount()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(SimReadCount(text), count);
    }

    void commands_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::newRow("empty number") << "" << "Notiz" << R"(AT+CPBW=,"",129,"Notiz")";
        QTest::newRow("plus later") << "0049+1" << "X" << R"(AT+CPBW=,"0049+1",129,"X")";
        QTest::newRow("percent signs") << "%2" << "%1 %3" << R"(AT+CPBW=,"%2",129,"%1 %3")";
    }
    void commands()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QString, line);
        QCOMPARE(CpbwCommand(number, name), line);
    }

    // What writing the grid back sends: rows with a location go there, new rows to a free one,
    // deleted and emptied rows clear theirs; nothing is sent for what the card already holds.
    void writePlan_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<SimCardState>("card");
        QTest::addColumn<QList<int>>("deleted");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("counts"); // changed, added, cleared
        const SimCardState read = readCard();
        const QList<int> none;
        QTest::newRow("read out, unchanged")
            << Rows{kAnnaRow, kHansRow, {}, {}} << read << none << QStringList() << QList<int>{0, 0, 0};
        QTest::newRow("one changed") << Rows{kAnnaRow, {"Hans Meier", "0123", "2"}} << read << none
                                     << QStringList{R"(AT+CPBW= 2,"0123",129,"Hans Meier")"} << QList<int>{1, 0, 0};
        QTest::newRow("new row into the first free location")
            << Rows{kAnnaRow, kHansRow, {"Eva", "0171", ""}} << read << none
            << QStringList{R"(AT+CPBW= 3,"0171",129,"Eva")"} << QList<int>{0, 1, 0};
        // Two new rows never share a location: the second would overwrite the first on the card.
        QTest::newRow("new rows each into a free location, the rest placed by the modem")
            << Rows{kAnnaRow, kHansRow, {"Eva", "0171", ""}, {"Udo", "0172", ""}, {"Ina", "0173", ""}} << read << none
            << QStringList{R"(AT+CPBW= 3,"0171",129,"Eva")", R"(AT+CPBW= 4,"0172",129,"Udo")",
                           R"(AT+CPBW=,"0173",129,"Ina")"}
            << QList<int>{0, 3, 0};
        SimCardState full = read;
        full.known = 2;
        QTest::newRow("no free location known: the modem places it")
            << Rows{kAnnaRow, kHansRow, {"Eva", "0171", ""}} << full << none
            << QStringList{R"(AT+CPBW=,"0171",129,"Eva")"} << QList<int>{0, 1, 0};
        QTest::newRow("deleted row: cleared first")
            << Rows{kAnnaRow, {"Eva", "0171", ""}} << read << QList<int>{2}
            << QStringList{"AT+CPBW= 2", R"(AT+CPBW= 3,"0171",129,"Eva")"} << QList<int>{0, 1, 1};
        QTest::newRow("deleted, but another row has the location")
            << Rows{kAnnaRow, kHansRow} << read << QList<int>{2, 2} << QStringList() << QList<int>{0, 0, 0};
        QTest::newRow("deleted, location known free")
            << Rows{kAnnaRow} << read << QList<int>{4} << QStringList() << QList<int>{0, 0, 0};
        QTest::newRow("emptied row keeps its location: cleared")
            << Rows{kAnnaRow, {"", "", "2"}} << read << none << QStringList{"AT+CPBW= 2"} << QList<int>{0, 0, 1};
        QTest::newRow("one location twice: the second row is added")
            << Rows{kAnnaRow, kHansRow, {"Otto", "0999", "2"}} << read << none
            << QStringList{R"(AT+CPBW= 3,"0999",129,"Otto")"} << QList<int>{0, 1, 0};
        QTest::newRow("own location, known free: new")
            << Rows{kAnnaRow, kHansRow, {"Udo", "0", "4"}} << read << none << QStringList{R"(AT+CPBW= 4,"0",129,"Udo")"}
            << QList<int>{0, 1, 0};
        QTest::newRow("card not read: written where the rows say")
            << Rows{kAnnaRow, {"Eva", "0171", ""}} << SimCardState() << QList<int>{9}
            << QStringList{"AT+CPBW= 9", R"(AT+CPBW= 1,"+491701234567",145,"Anna")", R"(AT+CPBW=,"0171",129,"Eva")"}
            << QList<int>{1, 1, 1};
        QTest::newRow("a number in the location column is no location")
            << Rows{{"Hans", "", "0171"}, {"Eva", "", "112345"}} << SimCardState() << none
            << QStringList{R"(AT+CPBW=,"",129,"Hans")", R"(AT+CPBW=,"",129,"Eva")"} << QList<int>{0, 2, 0};
        SimCardState placed;
        placed.placed = {{"Eva", "0171", ""}};
        QTest::newRow("placed by the modem before: not again")
            << Rows{{"Eva", "0171", ""}, {"Eva", "0171", ""}} << placed << none
            << QStringList{R"(AT+CPBW=,"0171",129,"Eva")"} << QList<int>{0, 1, 0};
    }
    void writePlan()
    {
        QFETCH(Rows, rows);
        QFETCH(SimCardState, card);
        QFETCH(QList<int>, deleted);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, counts);
        const SimWritePlan plan = PlanSimWrite(rows, card, deleted);
        QStringList sent;
        for (const SimWriteStep &step : plan.steps)
            sent << CpbwStepCommand(step);
        QCOMPARE(sent, lines);
        QCOMPARE((QList<int>{plan.changed, plan.added, plan.cleared}), counts);
    }

    void writeQuestion()
    {
        SimWritePlan plan;
        plan.changed = 1;
        plan.added = 2;
        QCOMPARE(SimWriteQuestion(plan),
                 QStringLiteral("Auf die SIM-Karte schreiben: 1 Eintrag ändern, 2 neu, 0 löschen?"));
        plan.changed = 0;
        QCOMPARE(SimWriteQuestion(plan),
                 QStringLiteral("Auf die SIM-Karte schreiben: 0 Einträge ändern, 2 neu, 0 löschen?"));
    }

    void locationOf_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<int>("location");
        QTest::newRow("read out") << "7" << 7;
        QTest::newRow("largest") << "32766" << 32766;
        QTest::newRow("above") << "32767" << 0;
        QTest::newRow("a phone number") << "0171" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("blank in front") << " 7" << 0;
        QTest::newRow("text after") << "7a" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void locationOf()
    {
        QFETCH(QString, index);
        QFETCH(int, location);
        QCOMPARE(SimLocationOf(index), location);
    }

    // Rows that would not come back in their columns are named, and nothing is saved.
    void saveRefusal_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("named"); // empty: nothing refused
        const TextEncoding cp = TextEncoding::Windows1252;
        QTest::newRow("ordinary") << Rows{{"Jürgen", "0171", "1"}, {}, {"", "", "7"}} << cp << "";
        QTest::newRow("semicolon in a name from the card")
            << Rows{{"Anna", "1", "1"}, {"Meier;Ernst", "0171", "2"}} << cp << "Eintrag 2 (Meier;Ernst)";
        QTest::newRow("semicolon in a number") << Rows{{"Meier", "01;71", ""}} << cp << "Eintrag 1 (Meier)";
        QTest::newRow("tab in a name") << Rows{{"Ha\tns", "0171", "3"}} << cp << "Eintrag 1 (Ha\tns)";
        QTest::newRow("Polish L, Windows-1252") << Rows{{"Łukasz", "0171", ""}} << cp << "Eintrag 1 (Łukasz)";
        QTest::newRow("Polish L, UTF-8") << Rows{{"Łukasz", "0171", ""}} << TextEncoding::Utf8 << "";
        Rows many(12, {"a;b", "1", ""});
        QTest::newRow("many") << many << cp
                              << "Eintrag 1 (a;b), Eintrag 2 (a;b), Eintrag 3 (a;b), Eintrag 4 (a;b), Eintrag 5 (a;b), "
                                 "Eintrag 6 (a;b), Eintrag 7 (a;b), Eintrag 8 (a;b), Eintrag 9 (a;b), Eintrag 10 (a;b) "
                                 "und 2 weitere";
    }
    void saveRefusal()
    {
        QFETCH(Rows, rows);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, named);
        const QString refusal = SimListSaveRefusal(rows, encoding);
        QCOMPARE(refusal.isEmpty(), named.isEmpty());
        if (!named.isEmpty())
            QVERIFY2(refusal.endsWith("Bitte ändern: " + named + ". "), qPrintable(refusal));
    }

    void listSplit_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<SimListRow>("row");
        QTest::newRow("phone.lst, one-digit number") << "Hans;1" << SimListRow{"Hans", "", ""};
        QTest::newRow("empty name") << ";0123;4" << SimListRow{"", "0123", "4"};
        QTest::newRow("blanks: first two trimmed") << "  Anna  ;  0123  ; 3 " << SimListRow{"Anna", "0123", " 3 "};
        QTest::newRow("more semicolons") << "Meier;0171;privat;x" << SimListRow{"Meier", "0171", "privat;x"};
        QTest::newRow("empty index") << "Berta;0123;" << SimListRow{"Berta", "0123", ""};
    }
    void listSplit()
    {
        QFETCH(QString, line);
        QFETCH(SimListRow, row);
        QCOMPARE(SimListSplit(line), row);
    }

    void linesForSave()
    {
        const QList<SimListRow> rows = {
            {"Anna", "+49170", "1"}, {"", "", ""}, {"", "", "7"}, {"Berta", "", ""}, {"Zoë", "0123", ""}};
        QCOMPARE(SimListLinesForSave(rows),
                 (QStringList{"Anna;+49170;1", ";;7", "Berta;;", QStringLiteral("Zoë;0123;")}));
    }
};

QTEST_GUILESS_MAIN(TestSimBookFormat)
#include "test_format.moc"
