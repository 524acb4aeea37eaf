// Real time against varnix-modemsim talking at 19200 baud: the scan finds the speed, and the
// settings dialog maps COM3 to the simulator's device.
#include "support/TaskExchange.h"
#include "../support/SimProcess.h"

#include "comm/ComProcs.h"
#include "config/frmComScan.h"
#include "config/frmProperties.h"
#include "modem/ModemCommand.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestScanE2e : public QObject {
    Q_OBJECT
private slots:
    void scanFindsTheModemSpeed()
    {
        SimProcess s({QStringLiteral("--baud"), QStringLiteral("19200")});
        frmAnfang &main = s.startMain();
        ComClose(main.comm());
        frmComScan w(
            main, [&main] { main.ReceiveLoop(); }, &main);
        w.show();
        QStringList answered;
        for (int step = 0; step < 5; ++step) {
            w.btnScan->click();
            const qsizetype before = main.terminalText().size();
            QMetaObject::invokeMethod(&w.TimerSchreib, "timeout");
            QTest::qWait(400);
            QMetaObject::invokeMethod(&w.TimerSchreib, "timeout");
            if (main.terminalText().mid(before).contains(QLatin1String("\r\nOK\r\n")))
                answered << w.lblBaudrate->text();
        }
        QCOMPARE(answered, QStringList{"19200"});
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    void dialogMapsCom3ToTheModem()
    {
        SimProcess s({QStringLiteral("--baud"), QStringLiteral("19200")});
        frmAnfang &main = s.startMain();
        frmProperties w(
            main, [&main] { main.ComStatus(); }, &main);
        w.show();
        w.cboPort->setCurrentIndex(2);
        w.cboDevice->setEditText(s.link);
        w.cboSpeed->setCurrentIndex(w.cboSpeed->findText(QStringLiteral("19200")));
        w.cboParity->setCurrentIndex(w.cboParity->findText(QStringLiteral("None")));
        w.cboDataBits->setCurrentIndex(w.cboDataBits->findText(QStringLiteral("8")));
        w.cboStopBits->setCurrentIndex(w.cboStopBits->findText(QStringLiteral("1")));
        w.cmdOK->click();
        QCOMPARE(main.panelText(1), QStringLiteral("COM3,19200,n,8,1 active"));
        QCOMPARE(s.settings.value(QStringLiteral("Ports"), QStringLiteral("COM3"), QString()), s.link);

        main.setReceiveTimer(false);
        QString answer;
        QCOMPARE(Exchange(main, QStringLiteral("AT"), answer), qint16(kStatusOk));
        QVERIFY(s.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestScanE2e)
#include "test_scan_e2e.moc"
