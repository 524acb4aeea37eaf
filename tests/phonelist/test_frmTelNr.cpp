#include "phonelist/PhoneListFormat.h"
#include "phonelist/frmTelNr.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>

using Rows = QList<QPair<QString, QString>>;

namespace {

// A temporary working folder that is also "MyDir"; the old current folder comes back at the end.
struct Folder {
    explicit Folder(TestPlatform &p)
    {
        QDir::setCurrent(dir.path());
        p.settings.set(keys::MyDir, dir.path());
    }
    ~Folder() { QDir::setCurrent(oldCurrent); }
    QString file() const { return dir.filePath(QStringLiteral("phone.lst")); }
    void write(const QByteArray &bytes) const
    {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString oldCurrent = QDir::currentPath();
    QTemporaryDir dir;
};

// Writes to regular files beyond `bytes` fail with EFBIG, for root as well.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit low{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};

Rows gridRows(const frmTelNr &w)
{
    Rows rows;
    for (int r = 1; r < w.tabTelefon->rowCount(); ++r) {
        const auto text = [&](int c) {
            return w.tabTelefon->item(r, c) ? w.tabTelefon->item(r, c)->text() : QString();
        };
        rows.append({text(1), text(2)});
    }
    return rows;
}

void addEntry(frmTelNr &w, const QString &name, const QString &number)
{
    w.cmdNew->click();
    w.edName->setText(name);
    w.edNr->setText(number);
    w.cmdOK->click();
}

void clickRow(frmTelNr &w, int row)
{
    const QRect cell = w.tabTelefon->visualItemRect(w.tabTelefon->item(row, 1));
    QTest::mouseClick(w.tabTelefon->viewport(), Qt::LeftButton, {}, cell.center());
}

// Shows the dialog and runs `inside` in its modal loop. True when the dialog was still open
// afterwards; it is then ended without its own closing logic, so a test never hangs.
bool whileShown(frmTelNr &w, const std::function<void()> &inside)
{
    bool stillOpen = false;
    QTimer::singleShot(0, &w, [&] {
        inside();
        if (w.isVisible()) {
            stillOpen = true;
            w.QDialog::done(QDialog::Rejected);
        }
    });
    w.ShowModal();
    return stillOpen;
}

} // namespace

class TestFrmTelNr : public QObject {
    Q_OBJECT
private slots:
    void freshWindow();
    void reading_data();
    void reading();
    void lineWithoutSemicolonGetsNoStaleName();
    void saveRule_data();
    void saveRule();
    void deleteThenSave_data();
    void deleteThenSave();
    void moreThan101LinesRoundTrip();
    void semicolonInNameRefused();
    void enterAddsEscAsksAndSaves();
    void clickMarksChangedAndNoKeepsFile();
    void closeBoxUnloads();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void searchStoresFolder_data();
    void searchStoresFolder();
};

void TestFrmTelNr::freshWindow()
{
    TestPlatform p;
    frmTelNr w;
    QCOMPARE(w.size(), QSize(463, 296));
    QCOMPARE(gridRows(w), (Rows{{"", ""}}));
    QCOMPARE(w.tabTelefon->item(0, 2)->text(), "Handynummer");
    QCOMPARE(w.tabTelefon->columnWidth(2), 187);
    QVERIFY(w.edName->isHidden() && w.edNr->isHidden() && w.cmdOK->isHidden() && w.cmdOK->isDefault());
    for (const char *name : {"Frame3D1", "tabTelefon", "edName", "edNr", "cmdOK", "cmdNew", "cmdEdit",
                             "cmdDel", "cmdInfo", "cmdEsc", "lstTelNr"}) {
        const QWidget *c = w.findChild<QWidget *>(QLatin1String(name));
        QVERIFY2(c && c->accessibleDescription() == QLatin1String(name), name);
        QVERIFY2(qobject_cast<const QPushButton *>(c) || !c->accessibleName().isEmpty(), name);
    }
}

void TestFrmTelNr::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("semicolons") << QByteArray("Meier;0171;privat\r\nHans;0123\r\n")
                                << Rows{{"Hans", "0123"}, {"Meier", "0171;privat"}} << QStringList{};
    QTest::newRow("spaces kept") << QByteArray(" Hans ; 0123 \r\n") << Rows{{" Hans ", " 0123 "}}
                                 << QStringList{};
    QTest::newRow("short lines ignored")
        << QByteArray("A;1\r\n\r\nAb;1\r\nabc\n") << Rows{{"Ab", "1"}} << QStringList{};
    QTest::newRow("case ignored") << QByteArray("zorro;3\r\nAnton;1\r\nberta;2\r\n")
                                  << Rows{{"Anton", "1"}, {"berta", "2"}, {"zorro", "3"}} << QStringList{};
    QTest::newRow("umlauts") << QByteArray("J\xFCrgen Gro\xDF;0171\r\n") << Rows{{"Jürgen Groß", "0171"}}
                             << QStringList{};
    QTest::newRow("no semicolon") << QByteArray("0171 5551234\r\n") << Rows{{"", "0171 5551234"}}
                                  << QStringList{};
    QTest::newRow("only short lines: grid kept")
        << QByteArray("A;1\r\n\r\n") << Rows{{"", ""}} << QStringList{"Telefonliste leer"};
    QTest::newRow("empty file") << QByteArray() << Rows{{"", ""}} << QStringList{"Telefonliste leer"};
    QTest::newRow("missing file") << QByteArray("<none>") << Rows{{"", ""}}
                                  << QStringList{"Keine Telefonliste gefunden!"};
}

void TestFrmTelNr::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(Rows, rows);
    QFETCH(QStringList, messages);
    TestPlatform p;
    Folder f(p);
    if (file != "<none>")
        f.write(file);
    frmTelNr w;
    w.PhListOpen();
    QCOMPARE(gridRows(w), rows);
    for (int r = 1; r < w.tabTelefon->rowCount(); ++r)
        QCOMPARE(w.tabTelefon->item(r, 0)->text(), QString::number(r));
    QCOMPARE(p.dialogs.texts(), messages);
    for (const ShownMessage &m : p.dialogs.shown) {
        QCOMPARE(m.title, "Varnix");
        QCOMPARE(m.icon, MsgIcon::None);
    }
}

// A row used to keep its old name when the line read into it had no ";", pairing a number
// with somebody else's name.
void TestFrmTelNr::lineWithoutSemicolonGetsNoStaleName()
{
    TestPlatform p;
    Folder f(p);
    frmTelNr w;
    f.write("Anton;1111\r\nBerta;2222\r\n");
    w.PhListOpen();
    f.write("0171 555\r\nZora;3333\r\n");
    w.PhListOpen();
    QCOMPARE(gridRows(w), (Rows{{"", "0171 555"}, {"Zora", "3333"}}));
}

void TestFrmTelNr::saveRule_data()
{
    QTest::addColumn<Rows>("entries");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("grid order") << Rows{{"zorro", "1"}, {"Anton", "2"}}
                                << QByteArray("zorro;1\r\nAnton;2\r\n");
    QTest::newRow("one letter, no number: 2 chars") << Rows{{"A", ""}} << QByteArray();
    QTest::newRow("no name, two digits: 3 chars") << Rows{{"", "12"}} << QByteArray(";12\r\n");
    QTest::newRow("umlauts one byte each")
        << Rows{{"Jürgen Groß", "0171"}} << QByteArray("J\xFCrgen Gro\xDF;0171\r\n");
}

void TestFrmTelNr::saveRule()
{
    QFETCH(Rows, entries);
    QFETCH(QByteArray, file);
    TestPlatform p;
    Folder f(p);
    frmTelNr w;
    for (const auto &e : entries)
        addEntry(w, e.first, e.second);
    p.settings.set(keys::MyDir, QString());
    w.PhListSave();
    QCOMPARE(f.read(), file);
    QCOMPARE(p.settings.get(keys::MyDir), QDir::currentPath());
}

void TestFrmTelNr::deleteThenSave_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("after");
    const QByteArray three("Berta;2\r\nCleo;3\r\nAnna;1\r\n");
    QTest::newRow("middle") << three << 2 << MsgAnswer::Yes << "Eintrag Berta wirklich löschen?"
                            << Rows{{"Anna", "1"}, {"Cleo", "3"}, {"", ""}}
                            << QByteArray("Anna;1\r\nCleo;3\r\n");
    QTest::newRow("last") << three << 3 << MsgAnswer::Yes << "Eintrag Cleo wirklich löschen?"
                          << Rows{{"Anna", "1"}, {"Berta", "2"}, {"", ""}}
                          << QByteArray("Anna;1\r\nBerta;2\r\n");
    QTest::newRow("No keeps it") << three << 2 << MsgAnswer::No << "Eintrag Berta wirklich löschen?"
                                 << Rows{{"Anna", "1"}, {"Berta", "2"}, {"Cleo", "3"}}
                                 << QByteArray("Anna;1\r\nBerta;2\r\nCleo;3\r\n");
    QTest::newRow("only row: empty file")
        << QByteArray("Solo;0171\r\n") << 1 << MsgAnswer::Yes << "Eintrag Solo wirklich löschen?"
        << Rows{{"", ""}} << QByteArray();
}

void TestFrmTelNr::deleteThenSave()
{
    QFETCH(QByteArray, before);
    QFETCH(int, row);
    QFETCH(MsgAnswer, answer);
    QFETCH(QString, question);
    QFETCH(Rows, rows);
    QFETCH(QByteArray, after);
    TestPlatform p;
    Folder f(p);
    f.write(before);
    frmTelNr w;
    w.PhListOpen();
    w.tabTelefon->setCurrentCell(row, 1);
    p.dialogs.answers = {answer};
    w.cmdDel->click();
    QCOMPARE(p.dialogs.texts(), QStringList{question});
    QCOMPARE(p.dialogs.shown[0].buttons, MsgButtons::YesNo);
    QCOMPARE(p.dialogs.shown[0].icon, MsgIcon::Information);
    QCOMPARE(gridRows(w), rows);
    // A confirmed delete counts as a change, or closing would drop it without asking.
    QCOMPARE(w.DataChanged, answer == MsgAnswer::Yes);
    w.PhListSave();
    QCOMPARE(f.read(), after);
}

void TestFrmTelNr::moreThan101LinesRoundTrip()
{
    TestPlatform p;
    Folder f(p);
    QByteArray file, sorted;
    for (int i = 149; i >= 0; --i)
        file += QStringLiteral("Name%1;0171%1\r\n\r\n").arg(i, 3, 10, QChar(u'0')).toLatin1();
    for (int i = 0; i < 150; ++i)
        sorted += QStringLiteral("Name%1;0171%1\r\n").arg(i, 3, 10, QChar(u'0')).toLatin1();
    f.write(file);
    frmTelNr w;
    w.PhListOpen();
    QCOMPARE(w.tabTelefon->rowCount(), 151);
    QCOMPARE(w.tabTelefon->item(150, 0)->text(), "150");
    w.PhListSave();
    QCOMPARE(f.read(), sorted);
}

// A ";" in a name used to be saved as it stood and read back cut in two.
void TestFrmTelNr::semicolonInNameRefused()
{
    TestPlatform p;
    frmTelNr w;
    w.cmdEdit->click();
    w.DataChanged = false;
    w.edName->setText("Meier;Karl");
    w.edNr->setText("0171");
    w.cmdOK->click();
    QCOMPARE(p.dialogs.texts(), QStringList{kPhoneNameSemicolonMessage});
    QCOMPARE(p.dialogs.shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(gridRows(w), (Rows{{"", ""}}));
    QVERIFY(w.edName->isVisibleTo(&w) && w.cmdOK->isVisibleTo(&w) && !w.DataChanged);
    QCOMPARE(w.edName->text(), "Meier;Karl");
}

void TestFrmTelNr::enterAddsEscAsksAndSaves()
{
    TestPlatform p;
    Folder f(p);
    frmTelNr w;
    const bool open = whileShown(w, [&] {
        for (const char *name : {"zorro", "Anton"}) {
            w.cmdNew->click();
            QTest::keyClicks(w.edName, QLatin1String(name));
            QTest::keyClicks(w.edNr, QStringLiteral("0171"));
            QTest::keyClick(w.edNr, Qt::Key_Return);
            QVERIFY(w.edName->isHidden());
        }
        QTest::keyClick(w.tabTelefon, Qt::Key_Escape);
    });
    QVERIFY(!open);
    QCOMPARE(p.dialogs.texts(),
             (QStringList{"Keine Handynummern gespeichert!", "Daten geändert. Abspeichern?"}));
    QCOMPARE(p.dialogs.shown[1].buttons, MsgButtons::YesNo);
    QCOMPARE(p.dialogs.shown[1].icon, MsgIcon::Question);
    QCOMPARE(f.read(), QByteArray("zorro;0171\r\nAnton;0171\r\n"));

    p.dialogs.clear();
    whileShown(w, [&] { w.cmdEsc->click(); });
    QCOMPARE(gridRows(w), (Rows{{"Anton", "0171"}, {"zorro", "0171"}}));
    QVERIFY(p.dialogs.shown.isEmpty()); // nothing read, nothing changed, nothing asked
}

// Only a click on a row already makes closing ask. Closing with No leaves the file, but the
// grid the send window copies from keeps the change until the next showing re-reads the file.
void TestFrmTelNr::clickMarksChangedAndNoKeepsFile()
{
    TestPlatform p;
    Folder f(p);
    f.write("Anna;1\r\nBerta;2\r\n");
    frmTelNr w;
    p.dialogs.answers = {MsgAnswer::No};
    whileShown(w, [&] {
        clickRow(w, 2);
        QVERIFY(w.DataChanged);
        QCOMPARE(w.edName->text(), "Berta");
        w.edNr->setText("0999");
        w.cmdOK->click();
        w.cmdEsc->click();
    });
    QCOMPARE(p.dialogs.texts(), QStringList{"Daten geändert. Abspeichern?"});
    QCOMPARE(f.read(), QByteArray("Anna;1\r\nBerta;2\r\n"));
    QCOMPARE(gridRows(w), (Rows{{"Anna", "1"}, {"Berta", "0999"}}));
    whileShown(w, [&] { w.cmdEsc->click(); });
    QCOMPARE(gridRows(w), (Rows{{"Anna", "1"}, {"Berta", "2"}}));
}

void TestFrmTelNr::closeBoxUnloads()
{
    TestPlatform p;
    Folder f(p);
    f.write("Anna;1\r\n");
    QVERIFY(!frmTelNr::Loaded());
    frmTelNr &w = frmTelNr::Instance();
    QCOMPARE(frmTelNr::Loaded(), &w);
    QCOMPARE(&frmTelNr::Instance(), &w);
    QPointer<frmTelNr> first = &w;
    const bool open = whileShown(w, [&] {
        addEntry(w, "Berta", "2");
        w.close();
    });
    QVERIFY(!open);
    QVERIFY(p.dialogs.shown.isEmpty());
    QCOMPARE(f.read(), QByteArray("Anna;1\r\n"));
    QVERIFY(!frmTelNr::Loaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    frmTelNr &again = frmTelNr::Instance();
    QCOMPARE(gridRows(again), (Rows{{"", ""}}));
    QCOMPARE(again.tabTelefon->item(1, 0)->text(), "1");
    delete &again;
    QVERIFY(!frmTelNr::Loaded());
}

void TestFrmTelNr::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("folderInTheWay");
    QTest::newRow("disk full") << false;
    QTest::newRow("phone.lst is a folder") << true;
}

void TestFrmTelNr::failedSaveKeepsOldFile()
{
    QFETCH(bool, folderInTheWay);
    TestPlatform p;
    Folder f(p);
    const QByteArray old("Anna;1\r\n");
    frmTelNr w;
    if (folderInTheWay)
        QVERIFY(QDir(f.dir.path()).mkdir("phone.lst"));
    else
        f.write(old);
    const bool open = whileShown(w, [&] {
        addEntry(w, "Berta", "0171 1234567");
        std::optional<FileSizeLimit> full;
        if (!folderInTheWay)
            full.emplace(old.size());
        w.cmdEsc->click();
    });
    QVERIFY(open); // hidden now, the next showing would re-read the file and lose the entry
    QVERIFY(w.DataChanged);
    QCOMPARE(p.dialogs.shown.last().icon, MsgIcon::Exclamation);
    QVERIFY(p.dialogs.shown.last().text.startsWith("Die Telefonliste konnte nicht gespeichert werden."));
    QVERIFY(p.dialogs.shown.last().text.contains(f.file()));
    if (folderInTheWay)
        QVERIFY(QFileInfo(f.file()).isDir());
    else
        QCOMPARE(f.read(), old);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"phone.lst"});
}

void TestFrmTelNr::searchStoresFolder_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("file chosen elsewhere") << true;
    QTest::newRow("cancelled") << false;
}

void TestFrmTelNr::searchStoresFolder()
{
    QFETCH(bool, confirmed);
    TestPlatform p;
    Folder there(p), here(p);
    here.write("Hier;1\r\n");
    there.write("Dort;2\r\n");
    if (confirmed)
        p.dialogs.fileAnswers = {there.file()};
    frmTelNr w;
    whileShown(w, [&] {
        w.cmdInfo->click();
        w.cmdEsc->click();
    });
    const QString chosen = QDir(confirmed ? there.dir.path() : here.dir.path()).canonicalPath();
    QCOMPARE(p.settings.get(keys::MyDir), chosen);
    QCOMPARE(p.dialogs.fileRequests.size(), 1);
    QVERIFY(p.dialogs.fileRequests[0].filter.contains("*.lst"));
    QCOMPARE(gridRows(w), (Rows{{"Hier", "1"}})); // not re-read until shown again
    whileShown(w, [&] { w.cmdEsc->click(); });
    QCOMPARE(gridRows(w), (Rows{{confirmed ? "Dort" : "Hier", confirmed ? "2" : "1"}}));
}

QTEST_MAIN(TestFrmTelNr)
#include "test_frmTelNr.moc"
