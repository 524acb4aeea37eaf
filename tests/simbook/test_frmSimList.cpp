// The SIM list window against the in-process simulated modem on the virtual clock.
#include "../support/MainRig.h"

#include "comm/ComProcs.h"
#include "simbook/frmSimList.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

using modemsim::PhoneEntry;
const PhoneEntry kAnna{"+491701234567", 145, "Anna"};
const PhoneEntry kHans{"0123", 129, "Hans"};

struct SimRig : MainRig {
    QTemporaryDir dir;
    QString before = QDir::currentPath();
    std::unique_ptr<frmSimList> w;

    explicit SimRig(const QList<PhoneEntry> &book = {}, int bookSize = 250)
    {
        QDir::setCurrent(dir.path());
        modemsim::Config cfg;
        cfg.pin.clear();
        cfg.phonebookSize = bookSize;
        modemsim::Modem &m = attachModem(cfg);
        m.receive("ATE0\r");
        for (const PhoneEntry &e : book)
            m.writePhoneEntry("SM", e);
        w = std::make_unique<frmSimList>(*main);
        w->show();
        fake->takeWritten();
    }
    ~SimRig() { QDir::setCurrent(before); }
    QStringList lines() { return sent().split(u'\r', Qt::SkipEmptyParts); }
    QStringList row(int r)
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << (w->tabTelefon->item(r, c) ? w->tabTelefon->item(r, c)->text() : QString());
        return cells;
    }
    void add(const QString &name, const QString &number)
    {
        w->cmdNew->click();
        w->edName->setText(name);
        w->edNr->setText(number);
        w->cmdOK->click();
    }
    QString path(const QString &name) { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray read(const QString &name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void open(const QString &name, const QByteArray &bytes)
    {
        write(name, bytes);
        p.dialogs.fileAnswers << path(name);
        w->cmdOpen->click();
    }
};

} // namespace

class TestSimList : public QObject {
    Q_OBJECT
private slots:
    void readOutWithTheDefaultCount()
    {
        SimRig r({kAnna});
        r.sim->modem().writePhoneEntry("SM", kHans, 3); // location 2 stays empty
        QString during;
        bool startable = true;
        r.p.clock.scheduleIn(40, [&] {
            during = r.w->lblPlatz->text();
            startable = r.w->cmdReadOut->isEnabled() || r.w->cmdWrite->isEnabled() || r.w->cmdOpen->isEnabled();
            r.w->SimReadOut(); // refused while one runs
            r.w->SimWrite();
        });
        r.w->cmdReadOut->click();

        const QStringList lines = r.lines();
        QCOMPARE(lines.size(), 102);
        QCOMPARE(lines.mid(0, 3), (QStringList{R"(AT+CPBS="SM")", "AT+CPBR=?", "AT+CPBR= 1, 1"}));
        QCOMPARE(lines.last(), QStringLiteral("AT+CPBR= 100, 100"));
        QVERIFY2(QRegularExpression(QStringLiteral("^Platz [1-9][0-9] von 100$")).match(during).hasMatch(),
                 qPrintable(during));
        QVERIFY(!startable);
        QCOMPARE(r.w->tabTelefon->rowCount(), 101);
        QCOMPARE(r.row(1), (QStringList{"1", "Anna", "+491701234567", "1"}));
        QCOMPARE(r.row(2), (QStringList{"2", "", "", ""}));
        QCOMPARE(r.row(3), (QStringList{"3", "Hans", "0123", "3"}));
        QVERIFY(!r.w->DataChanged);
        QVERIFY(!r.main->receiveTimer());
        QVERIFY(r.w->cmdReadOut->isEnabled() && r.w->cmdWrite->isEnabled() && r.w->cmdOpen->isEnabled());
        // No fixed accessible name: a screen reader hears the label's current text.
        QCOMPARE(QAccessible::queryAccessibleInterface(r.w->lblPlatz)->text(QAccessible::Name),
                 QStringLiteral("Platz 100 von 100 – fertig"));
    }

    void readCount()
    {
        SimRig r({kAnna});
        for (int i = 0; i < 5; ++i)
            r.add(QStringLiteral("Alt"), QStringLiteral("0"));
        r.w->edTZahl->setText(QStringLiteral("abc"));
        r.w->cmdReadOut->click();
        QCOMPARE(r.lines().size(), 2); // the storage and the range only
        QCOMPARE(r.w->tabTelefon->rowCount(), 7);
        r.w->edTZahl->setText(QStringLiteral("2.5"));
        r.w->cmdReadOut->click();
        QCOMPARE(r.lines().size(), 4);
        QCOMPARE(r.w->tabTelefon->rowCount(), 3);
        QCOMPARE(r.row(2), (QStringList{"2", "", "", ""})); // location 2 answers OK alone: an empty row
    }

    void readOutStopsAtTheFirstError()
    {
        SimRig r({kAnna, kHans, kAnna, kHans}, 4); // location 5: +CME ERROR (invalid index)
        QByteArray old;
        for (int i = 1; i <= 10; ++i)
            old += QStringLiteral("Alt %1;0;%1\r\n").arg(i, 2, 10, QLatin1Char('0')).toLatin1();
        r.open("alt.lst", old);
        r.w->edTZahl->setText(QStringLiteral("10"));
        r.w->cmdReadOut->click();
        QCOMPARE(r.lines().size(), 7);
        QCOMPARE(r.row(4), (QStringList{"4", "Hans", "0123", "4"}));
        QCOMPARE(r.row(5), (QStringList{"5", "Alt 05", "0", "05"}));
        QCOMPARE(r.row(10), (QStringList{"10", "Alt 10", "0", "10"}));
        QCOMPARE(r.w->lblPlatz->text(), QStringLiteral("Platz 5 von 10 – Abbruch"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void writeSendsQuotedEntries()
    {
        SimRig r;
        r.add(QStringLiteral("Anna"), QStringLiteral("+491701234567"));
        r.add(QStringLiteral("Hans"), QStringLiteral("0123"));
        r.add(QStringLiteral("Meier, Hans"), QStringLiteral("0171"));
        r.w->cmdWrite->click(); // row 1, the empty row the window starts with, is passed over
        QCOMPARE(r.lines(), (QStringList{R"(AT+CPBS="SM")", R"(AT+CPBW=,"+491701234567",145,"Anna")",
                                         R"(AT+CPBW=,"0123",129,"Hans")", R"(AT+CPBW=,"0171",129,"Meier, Hans")"}));
        QCOMPARE(r.sim->modem().phoneEntry("SM", 1), kAnna);
        QCOMPARE(r.sim->modem().phoneEntry("SM", 3), (PhoneEntry{"0171", 129, "Meier, Hans"}));
        QCOMPARE(r.w->lblPlatz->text(), QStringLiteral("Eintrag 3 von 3 – fertig"));
    }

    // Read, edit one row, delete one, add one, write: each location is changed in place, the
    // deleted one cleared, the new row goes to a free one; writing again adds nothing.
    void writeBackChangesInPlace()
    {
        SimRig r({kAnna, kHans, {"0171", 129, "Eva"}});
        r.w->edTZahl->setText(QStringLiteral("4"));
        r.w->cmdReadOut->click();
        r.w->tabTelefon->setCurrentCell(2, 1);
        r.w->cmdEdit->click();
        r.w->edName->setText(QStringLiteral("Hans Meier"));
        r.w->cmdOK->click();
        r.w->tabTelefon->setCurrentCell(3, 1);
        r.w->cmdDel->click();
        r.add(QStringLiteral("Udo"), QStringLiteral("0999"));
        r.p.dialogs.clear();
        r.sent();

        r.p.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
        r.w->cmdWrite->click(); // No: nothing is sent
        QCOMPARE(r.sent(), QString());
        r.w->cmdWrite->click();
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList(2, QStringLiteral("Auf die SIM-Karte schreiben: 1 Eintrag ändern, 1 neu, 1 löschen?")));
        QCOMPARE(r.lines(), (QStringList{R"(AT+CPBS="SM")", "AT+CPBW= 3", R"(AT+CPBW= 2,"0123",129,"Hans Meier")",
                                         R"(AT+CPBW= 4,"0999",129,"Udo")"}));
        const modemsim::Modem &m = r.sim->modem();
        QCOMPARE(m.phoneEntry("SM", 1), kAnna);
        QCOMPARE(m.phoneEntry("SM", 2), (PhoneEntry{"0123", 129, "Hans Meier"}));
        QCOMPARE(m.phoneEntry("SM", 4), (PhoneEntry{"0999", 129, "Udo"}));
        QCOMPARE(m.phonebookUsed("SM"), 3);
        QCOMPARE(r.row(5), (QStringList{"5", "Udo", "0999", "4"}));

        r.p.dialogs.clear();
        r.w->cmdWrite->click();
        QCOMPARE(r.sent(), QString());
        QCOMPARE(r.p.dialogs.texts(), QStringList(QStringLiteral("Es gibt nichts auf die SIM-Karte zu schreiben: kein "
                                                                 "Eintrag ist neu, geändert oder gelöscht. ")));
        QCOMPARE(m.phonebookUsed("SM"), 3);
    }

    void writeStopsAtTheFirstError()
    {
        SimRig r({kAnna}, 2);
        for (const char *name : {"Eva", "Ute", "Uwe"})
            r.add(QString::fromLatin1(name), QStringLiteral("0123"));
        r.w->cmdWrite->click();
        QCOMPARE(r.lines().size(), 3); // the storage, Eva, Ute (memory full); Uwe is not sent
        QCOMPARE(r.w->lblPlatz->text(), QStringLiteral("Eintrag 2 von 3 – Abbruch"));
    }

    void unsafeRowSendsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::newRow("quote") << "Hans \"Hansi\"" << "0123";
        QTest::newRow("semicolon") << "Hans;+CMGD=1,4" << "0123";
        QTest::newRow("CR") << "Hans" << "0123\r";
        QTest::newRow("tab") << "Ha\tns" << "0123";
    }
    void unsafeRowSendsNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        SimRig r;
        r.add(QStringLiteral("Anna"), QStringLiteral("0171"));
        r.w->tabTelefon->setRowCount(4); // as a read-out of such an entry would leave it
        r.w->tabTelefon->setItem(3, 1, new QTableWidgetItem(name));
        r.w->tabTelefon->setItem(3, 2, new QTableWidgetItem(number));
        r.w->cmdWrite->click();
        QCOMPARE(r.sent(), QString());
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList("Eintrag 3 (" + name +
                             QStringLiteral(") kann nicht auf die SIM-Karte geschrieben werden: Name und Nummer "
                                            "dürfen keine Anführungszeichen, Semikolons, Zeilenumbrüche, "
                                            "Steuerzeichen oder nicht übertragbaren Sonderzeichen enthalten. Es "
                                            "wurde nichts gesendet. ")));
    }

    // A name with ";" as the card may hold it: left alone by a write, and refused by a save, which
    // would read it back in the wrong columns.
    void semicolonNameFromTheCard()
    {
        SimRig r({{"0171", 129, "Meier;Ernst"}, kAnna});
        r.w->edTZahl->setText(QStringLiteral("2"));
        r.w->cmdReadOut->click();
        QCOMPARE(r.row(1), (QStringList{"1", "Meier;Ernst", "0171", "1"}));
        r.w->cmdWrite->click();
        QCOMPARE(r.lines().size(), 4); // the read-out only
        r.w->tabTelefon->cellClicked(2, 1);
        r.p.dialogs.fileAnswers << r.path(QStringLiteral("sim.lst"));
        r.w->cmdPcSave->click();
        QCOMPARE(r.p.dialogs.texts().last(),
                 QStringLiteral("Die Liste wurde nicht gespeichert: ein Semikolon (;), ein Zeilenumbruch oder ein "
                                "Steuerzeichen in Name oder Nummer, oder ein Zeichen, das die Datei nicht aufnehmen "
                                "kann, käme beim Öffnen nicht so zurück. Bitte ändern: Eintrag 1 (Meier;Ernst). "));
        QVERIFY(r.p.dialogs.fileRequests.isEmpty());
        QVERIFY(!QFileInfo::exists(r.path(QStringLiteral("sim.lst"))));
        QVERIFY(!r.w->SimListSave(r.path(QStringLiteral("sim.lst"))));
        QVERIFY(!QFileInfo::exists(r.path(QStringLiteral("sim.lst"))));
        QVERIFY(r.w->DataChanged);
    }

    // A list from a Linux editor in UTF-8 shows its umlauts and is saved back in UTF-8.
    void utf8ListKeepsItsEncoding()
    {
        SimRig r;
        const QByteArray bytes("J\xC3\xBCrgen;0171;3\r\n\xC5\x81ukasz;0172;\r\n");
        r.open("utf8.lst", bytes);
        QCOMPARE(r.row(1), (QStringList{"1", "Jürgen", "0171", "3"}));
        QVERIFY(r.w->SimListSave(r.path(QStringLiteral("again.lst"))));
        QCOMPARE(r.read(QStringLiteral("again.lst")), bytes);
    }

    // Something that is no file gets one box with the reason; nothing waits for a writer.
    void fifoChosenAsList()
    {
        SimRig r;
        r.open("alt.lst", "Alt;0;1\r\n");
        const QString fifo = r.path(QStringLiteral("fifo.lst"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        r.p.dialogs.fileAnswers << fifo;
        r.w->cmdOpen->click();
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList('"' + fifo + QStringLiteral("\" ist keine gewöhnliche Datei und wird nicht gelesen. ")));
        QCOMPARE(r.row(1), (QStringList{"1", "Alt", "0", "1"}));
    }

    void closedPortSendsNothing()
    {
        SimRig r;
        r.add(QStringLiteral("Hans"), QStringLiteral("0123"));
        ComClose(r.comm());
        r.w->cmdReadOut->click();
        r.w->cmdWrite->click();
        QCOMPARE(r.sent(), QString());
        QCOMPARE(r.p.dialogs.texts(), QStringList(2, QStringLiteral("  Com-Schnittstelle ist geschlossen!  ")));
    }

    void savedListOpensAgainSorted()
    {
        SimRig r({{"0171", 129, "Zorro"}, kAnna, {"", 129, "Berta"}});
        r.w->edTZahl->setText(QStringLiteral("3"));
        r.w->cmdReadOut->click();
        r.w->tabTelefon->cellClicked(1, 1);
        r.p.dialogs.fileAnswers << r.path(QStringLiteral("sim.lst"));
        r.w->cmdPcSave->click();
        QCOMPARE(r.read(QStringLiteral("sim.lst")), QByteArray("Zorro;0171;1\r\nAnna;+491701234567;2\r\nBerta;;3\r\n"));
        QVERIFY(!r.w->DataChanged);
        QCOMPARE(r.p.dialogs.fileRequests.at(0).title, QStringLiteral("Telefonliste speichern"));
        QCOMPARE(r.p.dialogs.fileRequests.at(0).filter, QStringLiteral("Telefonliste (*.LST)|*.lst|Alle Dateien (*.*)|*.*"));

        r.w = std::make_unique<frmSimList>(*r.main);
        r.p.dialogs.fileAnswers << r.path(QStringLiteral("sim.lst"));
        r.w->cmdOpen->click();
        QCOMPARE(r.w->tabTelefon->rowCount(), 4);
        QCOMPARE(r.row(1), (QStringList{"1", "Anna", "+491701234567", "2"}));
        QCOMPARE(r.row(2), (QStringList{"2", "Berta", "", "3"}));
        QCOMPARE(r.row(3), (QStringList{"3", "Zorro", "0171", "1"}));
        QVERIFY(!r.w->DataChanged);
    }

    void openReadsEveryLine()
    {
        SimRig r;
        QByteArray bytes = "Hans;0123\r\nab\r\n\r\n";
        for (int i = 0; i < 250; ++i)
            bytes += "Name " + QByteArray::number(1000 + i) + ";0;1\r\n";
        r.open("phone.lst", bytes);
        QCOMPARE(r.w->tabTelefon->rowCount(), 252);
        QCOMPARE(r.row(1), (QStringList{"1", "Hans", "", "0123"})); // a phone.lst line
        QCOMPARE(r.row(251).at(1), QStringLiteral("Name 1249"));

        r.open("empty.lst", "abc\r\n\r\n");
        QCOMPARE(r.p.dialogs.texts(), QStringList(QStringLiteral("Telefonliste leer")));
        QCOMPARE(r.w->tabTelefon->rowCount(), 252);
    }

    void deleteMovesRowsUp()
    {
        SimRig r;
        r.open("four.lst", "Anna;1;1\r\nBernd;2;2\r\nCarla;3;3\r\nDora;4;4\r\n");
        r.w->tabTelefon->setCurrentCell(2, 1);
        r.w->cmdDel->click();
        QCOMPARE(r.p.dialogs.shown.last().text, QStringLiteral("Eintrag Bernd wirklich löschen?"));
        QCOMPARE(r.row(2), (QStringList{"2", "Carla", "3", "3"}));
        QCOMPARE(r.row(4), (QStringList{"4", "", "", ""}));
        QVERIFY(r.w->SimListSave(r.path(QStringLiteral("three.lst"))));
        QCOMPARE(r.read(QStringLiteral("three.lst")), QByteArray("Anna;1;1\r\nCarla;3;3\r\nDora;4;4\r\n"));
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<QList<MsgAnswer>>("answers");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes") << QList<MsgAnswer>{MsgAnswer::Yes} << 1 << true;
        QTest::newRow("no") << QList<MsgAnswer>{MsgAnswer::No} << 1 << false;
        QTest::newRow("cancel, then the dialog is cancelled") << QList<MsgAnswer>{MsgAnswer::Cancel} << 2 << false;
        QTest::newRow("cancel, then yes") << QList<MsgAnswer>{MsgAnswer::Cancel, MsgAnswer::Yes} << 2 << true;
    }
    void replaceQuestion()
    {
        QFETCH(QList<MsgAnswer>, answers);
        QFETCH(int, dialogs);
        QFETCH(bool, replaced);
        SimRig r;
        r.add(QStringLiteral("Hans"), QStringLiteral("0123"));
        r.write("old.lst", "Alt;0;1\r\n");
        // The dialog chooses the old file once for every answer to the question, then is cancelled.
        r.p.dialogs.fileAnswers = QStringList(answers.size(), r.path(QStringLiteral("old.lst")));
        r.p.dialogs.answers = answers;
        r.w->cmdPcSave->click();
        QCOMPARE(r.p.dialogs.fileRequests.size(), dialogs);
        QCOMPARE(r.p.dialogs.shown.first().text, "Bestehende Datei ersetzen - " + r.path(QStringLiteral("old.lst")) + "?");
        QCOMPARE(r.read(QStringLiteral("old.lst")), replaced ? QByteArray("Hans;0123;\r\n") : QByteArray("Alt;0;1\r\n"));
        QCOMPARE(r.w->DataChanged, !replaced);
    }

    void editingRefusesSemicolons()
    {
        SimRig r;
        r.add(QStringLiteral("Hans;Eva"), QStringLiteral("0123"));
        r.w->edName->setText(QStringLiteral("Hans"));
        r.w->edNr->setText(QStringLiteral("01;23"));
        r.w->cmdOK->click();
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"Der Name darf kein Semikolon (;) enthalten. ",
                                                   "Die Nummer darf kein Semikolon (;) enthalten. "}));
        QCOMPARE(r.row(2), (QStringList{"2", "", "", ""}));
        r.w->edNr->setText(QStringLiteral("0123"));
        QTest::keyClick(r.w->edNr, Qt::Key_Return);
        QCOMPARE(r.row(2), (QStringList{"2", "Hans", "0123", ""}));
        QVERIFY(r.w->cmdOK->isHidden());
    }

    void closing_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QList<MsgAnswer>>("answers");
        QTest::addColumn<QString>("file"); // chosen in the save dialog; empty: cancelled
        QTest::addColumn<bool>("closed");
        QTest::newRow("unchanged: no question") << false << QList<MsgAnswer>{} << "" << true;
        QTest::newRow("no") << true << QList<MsgAnswer>{MsgAnswer::No} << "" << true;
        QTest::newRow("cancel") << true << QList<MsgAnswer>{MsgAnswer::Cancel} << "" << false;
        QTest::newRow("yes, saved") << true << QList<MsgAnswer>{MsgAnswer::Yes} << "neu.lst" << true;
        QTest::newRow("yes, save cancelled") << true << QList<MsgAnswer>{MsgAnswer::Yes} << "" << false;
    }
    void closing()
    {
        QFETCH(bool, changed);
        QFETCH(QList<MsgAnswer>, answers);
        QFETCH(QString, file);
        QFETCH(bool, closed);
        SimRig r({kAnna});
        r.w->edTZahl->setText(QStringLiteral("2"));
        r.w->cmdReadOut->click(); // a read-out changes nothing
        if (changed)
            r.w->tabTelefon->cellClicked(1, 1);
        r.p.dialogs.answers = answers;
        if (!file.isEmpty())
            r.p.dialogs.fileAnswers << r.path(file);
        r.w->cmdEsc->click();
        QCOMPARE(r.p.dialogs.texts(), changed ? QStringList(QStringLiteral("Daten geändert. Abspeichern?")) : QStringList());
        QCOMPARE(r.w->isHidden(), closed);
        QCOMPARE(r.main->receiveTimer(), closed);
        QCOMPARE(r.read(QStringLiteral("neu.lst")), file.isEmpty() ? QByteArray() : QByteArray("Anna;+491701234567;1\r\n"));
        if (!closed)
            return;
        r.w->show(); // shown again: its grid and count, and the timer off
        QVERIFY(!r.main->receiveTimer());
        QCOMPARE(r.row(1), (QStringList{"1", "Anna", "+491701234567", "1"}));
        QCOMPARE(r.w->edTZahl->text(), QStringLiteral("2"));
    }

    // However small the work area makes it (down to its minimum, which a 1024x768 screen holds),
    // every control shows whole and the status line holds its longest usual text.
    void fitsItsSize_data()
    {
        QTest::addColumn<QSize>("size"); // (0, 0): the minimum; (-1, -1): as opened
        QTest::newRow("minimum") << QSize(0, 0);
        QTest::newRow("as opened") << QSize(-1, -1);
        QTest::newRow("maximised at 1024x768") << QSize(1000, 420);
    }
    void fitsItsSize()
    {
        QFETCH(QSize, size);
        SimRig r;
        const QSize minimum = r.w->minimumSizeHint();
        QVERIFY2(minimum.width() <= 640 && minimum.height() <= 360,
                 qPrintable(QStringLiteral("%1x%2").arg(minimum.width()).arg(minimum.height())));
        QCOMPARE(r.w->minimumSize(), minimum);
        if (size.width() >= 0)
            r.w->resize(size.expandedTo(minimum));
        QApplication::processEvents();
        const QRect inside = r.w->rect();
        const QList<QWidget *> controls{r.w->lblAnzahl, r.w->edTZahl, r.w->tabTelefon, r.w->lblPlatz,
                                        r.w->edName,    r.w->edNr,    r.w->cmdOK,      r.w->cmdEsc,
                                        r.w->cmdNew,    r.w->cmdEdit, r.w->cmdDel,     r.w->cmdReadOut,
                                        r.w->cmdWrite,  r.w->cmdOpen, r.w->cmdPcSave};
        for (const QWidget *c : controls) {
            QVERIFY2(inside.contains(c->geometry()), qPrintable(c->objectName()));
            // The buttons below the grid show their captions whole; OK sits over the number column.
            if (auto *b = qobject_cast<const QPushButton *>(c); b && b != r.w->cmdOK)
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
        }
        QVERIFY(r.w->lblAnzahl->width() >= r.w->lblAnzahl->sizeHint().width());
        QVERIFY(r.w->cmdOK->width() >= r.w->cmdOK->fontMetrics().horizontalAdvance(QStringLiteral("OK")) + 8);
        QVERIFY(r.w->lblPlatz->width() >=
                r.w->lblPlatz->fontMetrics().horizontalAdvance(QStringLiteral("Eintrag 100 von 100 – angehalten")));
        QVERIFY(r.w->tabTelefon->height() >= 4 * r.w->tabTelefon->rowHeight(0));
    }

    void closedDuringReadOut()
    {
        SimRig r({kAnna});
        bool timerAtClose = true;
        r.p.clock.scheduleIn(20, [&] {
            r.w->close();
            timerAtClose = r.main->receiveTimer();
        });
        r.w->cmdReadOut->click();
        QVERIFY(!timerAtClose); // the run still waits for its answer
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.w->isHidden());
        QVERIFY(r.lines().size() < 30);
        QVERIFY(r.w->lblPlatz->text().endsWith(QStringLiteral(" von 100 – angehalten")));
    }
};

QTEST_MAIN(TestSimList)
#include "test_frmSimList.moc"
