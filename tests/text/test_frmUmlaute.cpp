#include "platform/CodePage.h"
#include "support/TestPlatform.h"
#include "text/UmlautTable.h"
#include "text/frmUmlaute.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QString ch(int code)
{
    return codepage::decode(QByteArray(1, static_cast<char>(code)));
}

// The test doubles and a folder for Umlaut.ini.
struct Rig : TestPlatform {
    void write(const QByteArray &bytes) const
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray read() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Umlaut.ini"));
};

QList<QPair<QString, QString>> pairsShown(const frmUmlaute &w)
{
    QList<QPair<QString, QString>> rows;
    for (int r = 1; r < w.grdUmlaute->rowCount(); ++r)
        if (!w.grdUmlaute->cell(r, 0).isEmpty() || !w.grdUmlaute->cell(r, 1).isEmpty())
            rows.append({w.grdUmlaute->cell(r, 0), w.grdUmlaute->cell(r, 1)});
    return rows;
}

void typeInto(frmUmlaute &w, int row, int column, const QString &keys)
{
    w.grdUmlaute->setCurrentCell(row, column);
    // One key event a character, as a keyboard layout with that key sends it (QTest's own
    // helpers know only ASCII).
    for (const QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.grdUmlaute, &press);
    }
}

} // namespace

class TestFrmUmlaute : public QObject {
    Q_OBJECT
private slots:
    // First, before anything asks the settings store where it lives.
    void defaultTableLivesInTheSettingsFolder()
    {
        Rig r;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(r.dir.path()));
        // The real store lives in XDG_CONFIG_HOME; the table goes beside it.
        QCOMPARE(QtSettingsStore().folder(), r.dir.filePath(QStringLiteral("Varnix")));
        r.settings.folderPath = r.dir.filePath(QStringLiteral("Varnix"));
        const QString expected = r.dir.filePath(QStringLiteral("Varnix/Umlaut.ini"));
        QCOMPARE(UmlautFilePath(), expected);
        frmUmlaute w; // the folder does not exist yet: an empty table
        typeInto(w, 1, 0, QStringLiteral("Ä"));
        typeInto(w, 1, 1, QStringLiteral("219"));
        w.cmdSave->click(); // the store's own folder is made for it
        QFile f(expected);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("U\xC4;\xDB\r\n"));
        QVERIFY(r.dialogs.shown.isEmpty());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("label4");
        QTest::addColumn<int>("filledRows");
        QTest::newRow("one pair") << QByteArray("U\xC4;\xDB\r\n") << QStringList{} << "Ä" << 1;
        QTest::newRow("U alone") << QByteArray("U\r\n") << QStringList{} << "" << 0;
        QTest::newRow("other first letter refused, rest read")
            << QByteArray("X\xC4;\xDB\r\n\r\nU\xDF;\xFD;\xF6;\xFC\r\n")
            << QStringList{"String nicht interpretierbar\n\nZeile 1 der Datei wurde übergangen."} << "ßö" << 2;
        QByteArray fortyBad;
        for (int i = 0; i < 40; ++i)
            fortyBad += "X\r\n";
        QTest::newRow("40 bad lines, one box")
            << fortyBad + "Ua;1\r\n"
            << QStringList{"String nicht interpretierbar\n\n40 Zeilen der Datei wurden übergangen: 1, 2, 3, 4, 5 …"}
            << "a" << 1;
        // A binary file has no end of bad lines; it is refused whole, unread.
        QByteArray binary(1024 * 1024, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char(i * 7 % 251);
        QTest::newRow("1 MB binary file") << binary << QStringList{"<refused>"} << "" << 0;
        QTest::newRow("DEL saved by the Delete key") << QByteArray("U\x7F;\xDB;\xDF;\xFD\r\n")
                                                     << QStringList{"String nicht interpretierbar\n\nZeile 1 der "
                                                                    "Datei wurde übergangen."}
                                                     << "" << 1;
        QTest::newRow("later line overwrites earlier rows")
            << QByteArray("Ua;1;b;2;c;3\r\nUx;9\r\n") << QStringList{} << "xbc" << 3;
        QTest::newRow("bare LF line ends") << QByteArray("Ua;1\nUb;2;c;3") << QStringList{} << "bc" << 2;
        QTest::newRow("no file, no folder") << QByteArray() << QStringList{} << "" << 0;
    }
    void loading()
    {
        QFETCH(QByteArray, file);
        Rig r;
        if (!file.isNull())
            r.write(file);
        frmUmlaute w(nullptr, file.isNull() ? r.dir.filePath(QStringLiteral("gone/deeper/Umlaut.ini")) : r.file);
        QFETCH(QStringList, messages);
        if (messages == QStringList{"<refused>"}) {
            QCOMPARE(r.dialogs.shown.size(), 1);
            QVERIFY2(r.dialogs.shown[0].text.contains(QStringLiteral("größer als 64 KB")),
                     qPrintable(r.dialogs.shown[0].text));
        } else {
            QCOMPARE(r.dialogs.texts(), messages);
        }
        QTEST(w.Label4->text(), "label4");
        QTEST(int(pairsShown(w).size()), "filledRows");
        QCOMPARE(w.grdUmlaute->cell(0, 0), "Character");
        QCOMPARE(w.grdUmlaute->cell(0, 1), "Substitution");
        QCOMPARE(w.grdUmlaute->rowCount(), 25);
    }

    void backspaceAndRefusedKeysInTheGrid()
    {
        Rig r;
        frmUmlaute w(nullptr, r.file);
        typeInto(w, 2, 0, QStringLiteral("ß"));
        QTest::keyClick(w.grdUmlaute, Qt::Key_Backspace);
        QCOMPARE(w.grdUmlaute->cell(2, 0), "");
        typeInto(w, 2, 0, QStringLiteral(";"));
        QCOMPARE(w.grdUmlaute->cell(2, 0), "");
        typeInto(w, 2, 1, QStringLiteral("059"));
        QCOMPARE(w.grdUmlaute->cell(2, 1), "");
        QCOMPARE(
            r.dialogs.texts(),
            (QStringList{"\";\" trennt die Einträge der Tabellendatei und kann nicht als Zeichen eingetragen werden.",
                         "Die Codes 010, 013, 032 und 059 (Zeilenumbruch, Leerzeichen und \";\") lassen sich in der "
                         "Tabelle nicht speichern."}));
        // The heading row takes no keys.
        typeInto(w, 0, 0, QStringLiteral("Q"));
        QCOMPARE(w.grdUmlaute->cell(0, 0), "Character");
    }

    // Delete empties the cell and never types DEL (127), which would be saved unseen.
    void deleteEmptiesTheCell()
    {
        Rig r;
        frmUmlaute w(nullptr, r.file);
        typeInto(w, 1, 0, QStringLiteral("Ä"));
        typeInto(w, 1, 1, QStringLiteral("219"));
        for (int column : {0, 1}) {
            w.grdUmlaute->setCurrentCell(1, column);
            QTest::keyClick(w.grdUmlaute, Qt::Key_Delete);
            QCOMPARE(w.grdUmlaute->cell(1, column), "");
        }
        // On an empty cell too.
        QTest::keyClick(w.grdUmlaute, Qt::Key_Delete);
        w.grdUmlaute->setCurrentCell(2, 0);
        QTest::keyClick(w.grdUmlaute, Qt::Key_Delete);
        typeInto(w, 2, 1, QStringLiteral("200"));
        w.cmdSave->click();
        QCOMPARE(r.read(), QByteArray("U\r\n"));
        QVERIFY(r.dialogs.shown.isEmpty());
    }

    void typedPairsAreSavedWithoutGapsAndReadBack()
    {
        Rig r;
        {
            frmUmlaute w(nullptr, r.file);
            typeInto(w, 1, 0, QStringLiteral("Ää"));   // the second letter does not go in
            typeInto(w, 1, 1, QStringLiteral("x219")); // the letter is ignored
            QCOMPARE(w.grdUmlaute->cell(1, 0), "Ä");
            QCOMPARE(w.grdUmlaute->cell(1, 1), ch(219));
            typeInto(w, 2, 0, QStringLiteral("ö")); // half a pair
            typeInto(w, 3, 0, QStringLiteral("ß"));
            typeInto(w, 3, 1, QStringLiteral("253"));
            QCOMPARE(w.UmlautCollect(), 2);
            w.cmdSave->click();
        }
        QCOMPARE(r.read(), QByteArray("U\xC4;\xDB;\xDF;\xFD\r\n"));
        frmUmlaute again(nullptr, r.file);
        QCOMPARE(pairsShown(again), (QList<QPair<QString, QString>>{{"Ä", ch(219)}, {"ß", ch(253)}}));
        QCOMPARE(again.Label4->text(), "Äß");
        QVERIFY(r.dialogs.shown.isEmpty());
    }

    void twelvePairsSaveElevenAndNameTheRest()
    {
        Rig r;
        frmUmlaute w(nullptr, r.file);
        QByteArray expected("U");
        for (int i = 0; i < 12; ++i) {
            typeInto(w, i + 1, 0, QString(QChar(char16_t(u'A' + i))));
            typeInto(w, i + 1, 1, QStringLiteral("200"));
            if (i < 11)
                expected += QByteArray(1, char('A' + i)) + ";\xC8;";
        }
        expected.chop(1);
        w.cmdSave->click();
        QCOMPARE(r.read(), expected + "\r\n");
        QCOMPARE(r.dialogs.texts(),
                 QStringList{"Die Tabelle nimmt höchstens 11 Zeichenpaare auf.\nNicht gespeichert: Zeile 12."});
        QCOMPARE(r.dialogs.shown.first().icon, MsgIcon::Exclamation);
    }

    void failedSaveIsReported()
    {
        // A folder that cannot be made: its name is taken by a file.
        Rig r;
        r.write("U\xC4;\xDB\r\n");
        frmUmlaute w(nullptr, r.file + QStringLiteral("/Umlaut.ini"));
        typeInto(w, 1, 0, QStringLiteral("ß"));
        typeInto(w, 1, 1, QStringLiteral("253"));
        w.cmdSave->click();
        QCOMPARE(r.read(), QByteArray("U\xC4;\xDB\r\n"));
        QCOMPARE(r.dialogs.shown.size(), 1);
        const QString text = r.dialogs.shown.first().text;
        QVERIFY2(text.startsWith("Die Tabelle konnte nicht gespeichert werden.\n\n"), qPrintable(text));
        QVERIFY(text.endsWith("\n\nDie bisherige Datei ist unverändert geblieben."));
        QCOMPARE(w.grdUmlaute->cell(1, 0), "ß"); // still there, to be saved elsewhere or again
    }

    void closingOnlyHides()
    {
        Rig r;
        frmUmlaute w(nullptr, r.file);
        QTimer::singleShot(0, &w, [&] {
            typeInto(w, 1, 0, QStringLiteral("Ü"));
            w.cmdClose->click();
        });
        QCOMPARE(w.ShowModal(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
        QCOMPARE(w.grdUmlaute->cell(1, 0), "Ü");
        QCOMPARE(r.read(), QByteArray("<missing>")); // nothing saved without the button
    }
};

QTEST_MAIN(TestFrmUmlaute)
#include "test_frmUmlaute.moc"
