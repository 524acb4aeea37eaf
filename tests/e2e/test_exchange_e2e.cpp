// Real time against varnix-modemsim: an exchange and the registration sequence.
#include "support/TaskExchange.h"
#include "../support/SimProcess.h"

#include "modem/ModemCommand.h"
#include "modem/frmSMS1.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestExchangeE2e : public QObject {
    Q_OBJECT
private slots:
    void oneExchangeEndsAfterAboutOneQuietSecond()
    {
        SimProcess s;
        frmAnfang &main = s.startMain();
        QVERIFY(main.comm().portOpen());
        main.setReceiveTimer(false);
        QElapsedTimer t;
        t.start();
        QString answer;
        const qint16 status = Exchange(main, QStringLiteral("AT"), answer);
        const qint64 ms = t.elapsed();
        QCOMPARE(status, qint16(kStatusOk));
        QCOMPARE(answer, QStringLiteral("AT\r\n\r\nOK\r\n"));
        QVERIFY2(ms >= 950 && ms < 1600, qPrintable(QString::number(ms)));
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    void registrationAgainstTheSimulator()
    {
        SimProcess s({QStringLiteral("--operator"), QStringLiteral("Testnetz"), QStringLiteral("--signal"),
                      QStringLiteral("17")});
        frmAnfang &main = s.startMain();
        frmSMS1 w(main);
        w.txtPIN->setText(QStringLiteral("1234"));
        w.txtSMSC->setText(QStringLiteral("+491722270333"));
        QElapsedTimer t;
        t.start();
        w.cmdModemOn->click();
        const qint64 ms = t.elapsed();
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(main.panelText(2), QStringLiteral("Testnetz"));
        QCOMPARE(main.panelText(4), QStringLiteral("Feldstärke: 17"));
        QVERIFY(!main.panelText(3).isEmpty());
        QCOMPARE(w.lblAngemeldet->text(), QStringLiteral("angemeldet"));
        QVERIFY(main.terminalText().contains(QLatin1String("AT+CSCA=\"+491722270333\"\r\n\r\nOK\r\n")));
        QVERIFY2(ms > 10000 && ms < 20000, qPrintable(QString::number(ms)));
        QVERIFY(main.receiveTimer());
    }
};

QTEST_MAIN(TestExchangeE2e)
#include "test_exchange_e2e.moc"
