#include "phonelist/PhoneListFormat.h"
#include "phonelist/frmTelNr.h"
#include "support/TestPlatform.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using Rows = QList<QPair<QString, QString>>;

namespace {

// The test doubles, and a temporary working folder that is also "MyDir" and holds phone.lst.
// The old working folder comes back at the end.
struct Rig : TestPlatform {
    Rig()
    {
        QDir::setCurrent(dir.path());
        settings.set(keys::MyDir, dir.path());
    }
    ~Rig() { QDir::setCurrent(oldCurrent); }
    void write(const QByteArray &bytes, const QString &name = QStringLiteral("phone.lst")) const
    {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray read() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString oldCurrent = QDir::currentPath();
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("phone.lst"));
};

Rows gridRows(const frmTelNr &w)
{
    Rows rows;
    for (int r = 1; r < w.tabTelefon->rowCount(); ++r)
        rows.append({w.tabTelefon->item(r, 1)->text(), w.tabTelefon->item(r, 2)->text()});
    return rows;
}

void addEntry(frmTelNr &w, const QString &name, const QString &number)
{
    w.cmdNew->click();
    w.edName->setText(name);
    w.edNr->setText(number);
    w.cmdOK->click();
}

// Shows the dialog and runs `inside` in its modal loop. True when the dialog was still open
// afterwards; it is then ended without its own closing logic, so a test never hangs.
bool whileShown(frmTelNr &w, const std::function<void()> &inside)
{
    bool stillOpen = false;
    QTimer::singleShot(0, &w, [&] {
        inside();
        if ((stillOpen = w.isVisible()))
            w.QDialog::done(QDialog::Rejected);
    });
    w.ShowModal();
    return stillOpen;
}

} // namespace

class TestFrmTelNr : public QObject {
    Q_OBJECT
private slots:
    void readingAndSavingBack()
    {
        Rig r;
        frmTelNr w;
        r.write("Anton;1111\r\nBerta;2222\r\n");
        w.PhListOpen();
        // A line without ";" used to keep the old name of its row, beside somebody else's number.
        r.write("0171 555\r\nMeier;0171;privat\r\nA;1\r\n\r\nJ\xFCrgen Gro\xDF;4\r\n");
        w.PhListOpen();
        const Rows entries{{"", "0171 555"}, {"A", "1"}, {"Jürgen Groß", "4"}, {"Meier", "0171;privat"}};
        QCOMPARE(gridRows(w), entries);
        r.write("AB;\r\n\r\nabc\n"); // no usable line: the grid stays as it was
        w.PhListOpen();
        QVERIFY(QFile::remove(r.file));
        w.PhListOpen();
        QCOMPARE(gridRows(w), entries);
        QCOMPARE(r.dialogs.texts(), (QStringList{"Telefonliste leer", "Keine Telefonliste gefunden!"}));

        // The old reader stopped at 101 lines, and the next save dropped the rest of the file.
        QByteArray file, sorted;
        for (int i = 0; i < 150; ++i) {
            const QByteArray line = QStringLiteral("Name%1;0171%1\r\n").arg(i, 3, 10, QChar(u'0')).toLatin1();
            file.prepend(line + "\r\n");
            sorted += line;
        }
        r.write(file);
        w.PhListOpen();
        w.PhListSave();
        QCOMPARE(r.read(), sorted);
    }

    // Grid order; "A" without a number could not be read back and is refused, ";12" is kept;
    // one byte per umlaut.
    void savingWritesGridAndStoresFolder()
    {
        Rig r;
        frmTelNr w;
        for (const auto &[name, number] : Rows{{"zorro", "1"}, {"A", ""}, {"", "12"}, {" Jürgen Groß ", "0171"}})
            addEntry(w, name, number);
        // A ";" in a name used to be saved as it stood and read back cut in two.
        addEntry(w, "Meier;Karl", "0171");
        QCOMPARE(r.dialogs.texts(),
                 (QStringList{"Der Eintrag ist zu kurz, um gespeichert zu werden: bitte eine Nummer eingeben. ",
                              "Der Name darf kein Semikolon (;) enthalten. "}));
        QCOMPARE(w.edName->text(), "Meier;Karl");
        r.settings.set(keys::MyDir, QString());
        w.PhListSave();
        QCOMPARE(r.read(), QByteArray("zorro;1\r\n;12\r\n J\xFCrgen Gro\xDF ;0171\r\n"));
        QCOMPARE(r.settings.get(keys::MyDir), QDir::currentPath());
    }

    // A list is written back in the encoding it was read in, and what that encoding cannot carry is
    // refused when typed; a new list is Windows-1252.
    void listKeepsItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("UTF-8") << QByteArray("J\xC3\xBCrgen;0171\n") << "Łukasz" << false
                               << QByteArray("J\xC3\xBCrgen;0171\r\n\xC5\x81ukasz;0172\r\n");
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBFJ\xC3\xBCrgen;0171\r\n") << "Åsa" << false
            << QByteArray("\xEF\xBB\xBFJ\xC3\xBCrgen;0171\r\n\xC3\x85sa;0172\r\n");
        QTest::newRow("Windows-1252") << QByteArray("J\xFCrgen;0171\r\n") << "Åsa" << false
                                      << QByteArray("J\xFCrgen;0171\r\n\xC5sa;0172\r\n");
        QTest::newRow("Windows-1252 cannot carry Ł")
            << QByteArray("J\xFCrgen;0171\r\n") << "Łukasz" << true << QByteArray("J\xFCrgen;0171\r\n");
        QTest::newRow("plain ASCII stays Windows-1252")
            << QByteArray("J.;0171\r\n") << "Jürgen" << false << QByteArray("J.;0171\r\nJ\xFCrgen;0172\r\n");
    }
    void listKeepsItsEncoding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(bool, refused);
        QFETCH(QByteArray, saved);
        Rig r;
        r.write(file);
        frmTelNr w;
        w.PhListOpen();
        QVERIFY(w.tabTelefon->item(1, 1)->text() == "Jürgen" || w.tabTelefon->item(1, 1)->text() == "J.");
        addEntry(w, name, "0172");
        QCOMPARE(r.dialogs.texts(),
                 refused ? QStringList{"Name und Nummer dürfen keine Zeilenumbrüche, Steuerzeichen oder Zeichen "
                                       "enthalten, die in der Telefonliste nicht gespeichert werden können. "}
                         : QStringList());
        w.PhListSave();
        QCOMPARE(r.read(), saved);
    }

    // A file out of bounds gets one box with the reason, and the grid keeps what it held.
    void oversizedListIsNotRead()
    {
        Rig r;
        r.write("Anna;1\r\n");
        frmTelNr w;
        w.PhListOpen();
        QFile f(r.file);
        QVERIFY(f.resize(kTextFileMaxBytes + 1)); // sparse: takes no room
        w.PhListOpen();
        QCOMPARE(r.dialogs.texts(),
                 QStringList("Die Datei \"" + r.file + "\" ist zu groß: gelesen werden höchstens 32 MB. "));
        QCOMPARE(gridRows(w), (Rows{{"Anna", "1"}}));
    }

    // No keeps the entry; Yes moves the rows below up and the save leaves out the emptied last row.
    void deleteThenSave()
    {
        Rig r;
        r.write("Berta;2\r\nCleo;3\r\nAnna;1\r\n");
        frmTelNr w;
        w.PhListOpen();
        w.tabTelefon->setCurrentCell(2, 1);
        r.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
        w.cmdDel->click();
        w.cmdDel->click();
        QCOMPARE(r.dialogs.texts(), QStringList(2, "Eintrag Berta wirklich löschen?"));
        // A confirmed delete counts as a change, or closing would drop it without asking.
        QVERIFY(w.DataChanged);
        w.PhListSave();
        QCOMPARE(r.read(), QByteArray("Anna;1\r\nCleo;3\r\n"));
    }

    void closing()
    {
        Rig r;
        frmTelNr &w = frmTelNr::Instance();
        QVERIFY(!whileShown(w, [&] {
            addEntry(w, "zorro", "0171");
            w.cmdNew->click();
            QTest::keyClicks(w.edName, "Anton");
            QTest::keyClick(w.edNr, Qt::Key_Return); // the default button, OK
            QTest::keyClick(w.tabTelefon, Qt::Key_Escape);
        }));
        QCOMPARE(r.dialogs.texts(), (QStringList{"Keine Handynummern gespeichert!", "Daten geändert. Abspeichern?"}));
        const QByteArray saved("zorro;0171\r\nAnton;\r\n");
        QCOMPARE(r.read(), saved);

        // A click on a row alone makes closing ask. No leaves the file, the grid keeps the change.
        r.dialogs.clear();
        r.dialogs.answers = {MsgAnswer::No};
        whileShown(w, [&] {
            QTest::mouseClick(w.tabTelefon->viewport(), Qt::LeftButton, {},
                              w.tabTelefon->visualItemRect(w.tabTelefon->item(2, 1)).center());
            QVERIFY(w.DataChanged);
            w.edNr->setText("0999");
            w.cmdOK->click();
            w.cmdEsc->click();
        });
        QCOMPARE(r.dialogs.texts(), QStringList{"Daten geändert. Abspeichern?"});
        QCOMPARE(r.read(), saved);
        QCOMPARE(gridRows(w), (Rows{{"Anton", ""}, {"zorro", "0999"}}));

        // The next showing reads the file again, and with nothing changed nothing is asked.
        r.dialogs.clear();
        whileShown(w, [&] { w.cmdEsc->click(); });
        QCOMPARE(gridRows(w), (Rows{{"Anton", ""}, {"zorro", "0171"}}));
        QCOMPARE(frmTelNr::Loaded(), &w); // closing by button or Esc only hides
        QVERIFY(r.dialogs.shown.isEmpty());

        // The close box asks too: Cancel keeps the window open, Yes saves and unloads it.
        r.dialogs.answers = {MsgAnswer::Cancel, MsgAnswer::Yes};
        QVERIFY(!whileShown(w, [&] {
            addEntry(w, "Berta", "2");
            w.close();
            QVERIFY(w.isVisible());
            w.close();
        }));
        QCOMPARE(r.dialogs.texts(), QStringList(2, "Daten geändert. Abspeichern?"));
        QCOMPARE(r.read(), QByteArray("Anton;\r\nzorro;0171\r\nBerta;2\r\n"));
        QVERIFY(!frmTelNr::Loaded());
        std::unique_ptr<frmTelNr> again(&frmTelNr::Instance());
        QCOMPARE(gridRows(*again), (Rows{{"", ""}}));
    }

    // A file dialog elsewhere (the traffic log's) moves the current folder; the list is still
    // read from and saved into the working folder.
    void theListStaysInTheWorkingFolder()
    {
        Rig r;
        r.write("Anna;1\r\n");
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path());
        frmTelNr w;
        w.PhListOpen();
        QCOMPARE(gridRows(w), (Rows{{"Anna", "1"}}));
        addEntry(w, "Berta", "2");
        w.PhListSave();
        QCOMPARE(r.read(), QByteArray("Anna;1\r\nBerta;2\r\n"));
        QVERIFY(!QFileInfo::exists(QDir(elsewhere.path()).filePath("phone.lst")));
        QCOMPARE(QDir(r.settings.get(keys::MyDir)).canonicalPath(), QDir(r.dir.path()).canonicalPath());
    }

    void failedSaveKeepsOldFile()
    {
        Rig r;
        const QByteArray old("Anna;1\r\n");
        r.write(old);
        frmTelNr w;
        // Still open afterwards: hidden, the next showing would read the file again and lose the entry.
        QVERIFY(whileShown(w, [&] {
            addEntry(w, "Berta", "0171 1234567");
            // A full disk: writes beyond the old file's size fail with EFBIG, for root as well.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit normal{};
            getrlimit(RLIMIT_FSIZE, &normal);
            const rlimit full{rlim_t(old.size()), normal.rlim_max};
            setrlimit(RLIMIT_FSIZE, &full);
            w.cmdEsc->click();
            setrlimit(RLIMIT_FSIZE, &normal);
        }));
        const QString message = r.dialogs.shown.last().text;
        QVERIFY(message.startsWith("Die Telefonliste konnte nicht gespeichert werden.") && message.contains(r.file));
        QCOMPARE(r.read(), old);
    }

    // "S&uchen" stores the working folder: unchanged when cancelled, the file's folder when one is chosen.
    void searchStoresFolder()
    {
        Rig r;
        QVERIFY(QDir(r.dir.path()).mkdir("dort"));
        r.write("Hier;1\r\n");
        r.write("Dort;2\r\n", "dort/phone.lst");
        r.dialogs.fileAnswers = {QString(), r.dir.filePath("dort/phone.lst")};
        frmTelNr w;
        for (const QString &stored : {r.dir.path(), r.dir.filePath("dort")}) {
            whileShown(w, [&] {
                w.cmdInfo->click();
                w.cmdEsc->click();
            });
            QCOMPARE(QDir(r.settings.get(keys::MyDir)).canonicalPath(), QDir(stored).canonicalPath());
            QCOMPARE(gridRows(w), (Rows{{"Hier", "1"}})); // not read again until shown again
        }
        QDir::setCurrent(r.dir.path()); // the next showing looks in the stored folder
        whileShown(w, [&] { w.cmdEsc->click(); });
        QCOMPARE(gridRows(w), (Rows{{"Dort", "2"}}));
    }
};

QTEST_MAIN(TestFrmTelNr)
#include "test_frmTelNr.moc"
