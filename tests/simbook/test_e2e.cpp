// Real time against varnix-modemsim on a pseudo-terminal: read the card, change a name, write
// it back, read the card again; the list saved on the PC opens as it was saved.
#include "../support/SimProcess.h"

#include "simbook/frmSimList.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {
constexpr int kCount = 4; // locations 3 and 4 empty: the write passes them over
} // namespace

class TestSimBookE2e : public QObject {
    Q_OBJECT
private slots:
    void readEditWriteAndSave()
    {
        QTemporaryDir books;
        const QString book = books.filePath(QStringLiteral("book.txt"));
        {
            QFile f(book);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("1\t+4917012345678\t145\tAnna\n2\t0301234567\t129\tPraxis\n");
        }
        SimProcess s({QStringLiteral("--no-pin"), QStringLiteral("--phonebook"), book});
        frmAnfang &main = s.startMain();
        frmSimList w(main);
        w.show(); // the modem's echo stays on: every answer begins with the command line

        const auto cell = [&w](int r, int c) { return w.tabTelefon->item(r, c)->text(); };
        w.edTZahl->setText(QString::number(kCount));
        w.cmdReadOut->click();
        QCOMPARE(w.tabTelefon->rowCount(), kCount + 1);
        QCOMPARE(cell(2, 1), QStringLiteral("Praxis"));
        QCOMPARE(cell(2, 2), QStringLiteral("0301234567"));

        // The changed entry is written as a new one, with the others after it.
        w.tabTelefon->setCurrentCell(2, 1);
        w.cmdEdit->click();
        w.edName->setText(QStringLiteral("Dr. Müller, HNO"));
        w.cmdOK->click();
        w.cmdWrite->click();
        QVERIFY(s.dialogs.shown.isEmpty());
        w.cmdReadOut->click();
        QCOMPARE(cell(3, 1), QStringLiteral("Anna"));
        QCOMPARE(cell(3, 2), QStringLiteral("+4917012345678"));
        QCOMPARE(cell(4, 1), QStringLiteral("Dr. Müller, HNO"));
        QCOMPARE(cell(4, 3), QStringLiteral("4"));

        const QString file = s.dir.filePath(QStringLiteral("sim.lst"));
        s.dialogs.fileAnswers << file << file;
        w.cmdPcSave->click();
        frmSimList again(main);
        again.cmdOpen->click();
        // Saved in grid order, opened sorted: the same rows as a set.
        QStringList saved, opened;
        for (int r = 1; r < w.tabTelefon->rowCount(); ++r) {
            if (!cell(r, 1).isEmpty())
                saved << cell(r, 1) + u'|' + cell(r, 2) + u'|' + cell(r, 3);
        }
        for (int r = 1; r < again.tabTelefon->rowCount(); ++r)
            opened << again.tabTelefon->item(r, 1)->text() + u'|' + again.tabTelefon->item(r, 2)->text() + u'|'
                          + again.tabTelefon->item(r, 3)->text();
        saved.sort();
        opened.sort();
        QCOMPARE(opened, saved);
    }
};

QTEST_MAIN(TestSimBookE2e)
#include "test_e2e.moc"
