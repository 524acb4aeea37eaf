// Real time against varnix-modemsim on a pseudo-terminal: read the card, change a name, write
// the list back, read the card again.
#include "../support/SimProcess.h"

#include "simbook/frmSimList.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {
constexpr int kCount = 4; // locations 3 and 4 empty
} // namespace

class TestSimBookE2e : public QObject {
    Q_OBJECT
private slots:
    void readEditWriteReadAgain_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::newRow("quiet second") << false;
        QTest::newRow("final result code") << true;
    }
    void readEditWriteReadAgain()
    {
        QFETCH(bool, fast);
        QTemporaryDir books;
        const QString book = books.filePath(QStringLiteral("book.txt"));
        {
            QFile f(book);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("1\t+4917012345678\t145\tAnna\n2\t0301234567\t129\tPraxis\n");
        }
        SimProcess s({QStringLiteral("--no-pin"), QStringLiteral("--phonebook"), book});
        s.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
        frmAnfang &main = s.startMain();
        frmSimList w(main);
        w.show(); // the modem's echo stays on: every answer begins with the command line

        const auto cell = [&w](int r, int c) { return w.tabTelefon->item(r, c)->text(); };
        w.edTZahl->setText(QString::number(kCount));
        w.cmdReadOut->click();
        QCOMPARE(w.tabTelefon->rowCount(), kCount + 1);
        QCOMPARE(cell(2, 1), QStringLiteral("Praxis"));
        QCOMPARE(cell(2, 2), QStringLiteral("0301234567"));

        // Only the changed row goes to the card, into its own location; nothing is added.
        w.tabTelefon->setCurrentCell(2, 1);
        w.cmdEdit->click();
        w.edName->setText(QStringLiteral("Dr. Müller, HNO"));
        w.cmdOK->click();
        w.cmdWrite->click();
        QCOMPARE(s.dialogs.texts(),
                 QStringList(QStringLiteral("Auf die SIM-Karte schreiben: 1 Eintrag ändern, 0 neu, 0 löschen?")));
        w.cmdReadOut->click();
        QCOMPARE(cell(1, 1), QStringLiteral("Anna"));
        QCOMPARE(cell(2, 1), QStringLiteral("Dr. Müller, HNO"));
        QCOMPARE(cell(2, 3), QStringLiteral("2"));
        QCOMPARE(cell(3, 1) + cell(4, 1), QString());
    }
};

QTEST_MAIN(TestSimBookE2e)
#include "test_e2e.moc"
