// Real time against varnix-modemsim on a pseudo-terminal: read the card, change a name, write
// the list back, read the card again.
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
    void readEditWriteReadAgain()
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

        // Every row goes to the card as a new entry: Anna lands in 3, the changed one in 4.
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
    }
};

QTEST_MAIN(TestSimBookE2e)
#include "test_e2e.moc"
