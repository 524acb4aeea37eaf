// Real time against varnix-modemsim: an exchange and the registration sequence, with answers
// ending after the quiet second and at their final result code.
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

    // At the final result code: the same answer, with no quiet second behind it, and a notice
    // the modem sends behind it is the terminal's, not the next answer's.
    void oneExchangeEndsAtItsResultCode()
    {
        SimProcess s({QStringLiteral("--no-pin")});
        s.settings.set(keys::FastAnswers, QStringLiteral("True"));
        frmAnfang &main = s.startMain();
        main.setReceiveTimer(false);
        QElapsedTimer t;
        t.start();
        QString answer;
        QCOMPARE(Exchange(main, QStringLiteral("AT"), answer), qint16(kStatusOk));
        const qint64 ms = t.elapsed();
        QCOMPARE(answer, QStringLiteral("AT\r\n\r\nOK\r\n"));
        QVERIFY2(ms < 500, qPrintable(QString::number(ms)));
        QCOMPARE(Exchange(main, QStringLiteral("AT+CSQ"), answer), qint16(kStatusOk));
        QCOMPARE(answer, QStringLiteral("AT+CSQ\r\n\r\n+CSQ: 21,99\r\n\r\nOK\r\n"));
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    void registrationAgainstTheSimulator_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("quiet second") << false << QStringList{};
        QTest::newRow("final result code") << true << QStringList{};
        // Every line alone and cut in the middle, 40 ms apart: longer than the settle time.
        QTest::newRow("final result code, split answers") << true << QStringList{"--split-pause", "40"};
        QTest::newRow("final result code, line noise") << true << QStringList{"--garbage"};
    }
    void registrationAgainstTheSimulator()
    {
        QFETCH(bool, fast);
        QFETCH(QStringList, faults);
        SimProcess s(QStringList{QStringLiteral("--operator"), QStringLiteral("Testnetz"), QStringLiteral("--signal"),
                                 QStringLiteral("17")}
                     + faults);
        s.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
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
        // Line noise comes between the echo and the answer.
        if (!faults.contains(QLatin1String("--garbage")))
            QVERIFY(main.terminalText().contains(QLatin1String("AT+CSCA=\"+491722270333\"\r\n\r\nOK\r\n")));
        // A quiet second for each of about 17 commands; at the result code far less.
        if (fast)
            QVERIFY2(ms < 8000, qPrintable(QString::number(ms)));
        else
            QVERIFY2(ms > 10000 && ms < 20000, qPrintable(QString::number(ms)));
        QVERIFY(main.receiveTimer());
    }
};

QTEST_MAIN(TestExchangeE2e)
#include "test_exchange_e2e.moc"
