// Real time against varnix-modemsim: a message to a name from the phone list reaches the
// simulator's outbox, and the modem's +CMGS answer shows at the terminal's next tick.
#include "../support/SimProcess.h"

#include "phonelist/frmTelNr.h"
#include "sms/frmSendSM.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestSendE2e : public QObject {
    Q_OBJECT
private slots:
    void messageLandsInTheOutbox_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::newRow("quiet second") << false;
        QTest::newRow("final result code") << true;
    }
    void messageLandsInTheOutbox()
    {
        QFETCH(bool, fast);
        SimProcess s({QStringLiteral("--no-pin")});
        s.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
        const QString before = QDir::currentPath();
        QDir::setCurrent(s.dir.path());
        {
            QFile f(QStringLiteral("phone.lst"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Erika M\xFCller;+4917012345678\r\nHans;+4915111122233\r\n");
        }
        frmAnfang &main = s.startMain();
        main.setReceiveTimer(false);
        QString line = QStringLiteral("AT+CMGF=1\r");
        main.comm().output(line);
        QTest::qWait(300);
        main.comm().input();
        main.setReceiveTimer(true);

        frmSendSM w(main, &main);
        const auto items = w.lstEmpf->findItems(QStringLiteral("Erika Müller"), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        w.lstEmpf->setCurrentItem(items.first());
        w.Eingabe->setPlainText(QStringLiteral("Schöne Grüße"));
        w.cmdSend->click();
        QVERIFY(s.dialogs.shown.isEmpty());
        QVERIFY(main.receiveTimer());

        QTRY_VERIFY_WITH_TIMEOUT(main.terminalText().contains(QLatin1String("+CMGS:")), 4000);
        QFile out(s.outbox());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("+4917012345678\tSch\xFCne Gr\xFE\xFD" "e\n"));
        delete frmTelNr::Loaded();
        QDir::setCurrent(before);
    }
};

QTEST_MAIN(TestSendE2e)
#include "test_send_e2e.moc"
