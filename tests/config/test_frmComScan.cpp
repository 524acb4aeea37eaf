#include "../support/MainRig.h"

#include "comm/ComProcs.h"
#include "config/frmComScan.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct ScanRig : MainRig {
    std::unique_ptr<frmComScan> w;

    explicit ScanRig(int modemBaud = 19200)
    {
        modemsim::Config cfg;
        cfg.baud = modemBaud;
        attachModem(cfg);
        // As the main window opens the scan: port closed first.
        ComClose(comm());
        w = std::make_unique<frmComScan>(*main, [this] { main->ReceiveLoop(); }, main.get());
        w->show();
    }
    // One send tick and one fetch tick, with the modem's time to answer between them.
    void sendAndFetch()
    {
        QMetaObject::invokeMethod(&w->TimerSchreib, "timeout");
        p.clock.advance(2.0);
        QMetaObject::invokeMethod(&w->TimerSchreib, "timeout");
    }
};

} // namespace

class TestFrmComScan : public QObject {
    Q_OBJECT
private slots:
    // Loading stops the main receive timer; each press then tries the next lower speed.
    void pressesWalkDownTheSpeeds()
    {
        ScanRig r;
        QVERIFY(!r.main->receiveTimer());
        QVERIFY(!r.w->TimerSchreib.isActive());
        QCOMPARE(r.w->lblCounter->text(), QStringLiteral("12"));
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
        const QList<int> speeds{56000, 38400, 28800, 19200, 14400, 9600, 4800, 2400, 1200, 600, 300, 110};
        for (int i = 0; i < speeds.size(); ++i) {
            r.w->btnScan->click();
            const QString speed = QString::number(speeds[i]);
            QCOMPARE(r.w->lblCounter->text(), QString::number(11 - i));
            QCOMPARE(r.w->lblBaudrate->text(), speed);
            QCOMPARE(r.fake->lineSettings.speed, speeds[i]);
            QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,%1,n,8,1 active").arg(speed));
            QVERIFY(r.w->TimerSchreib.isActive());
        }
        // The thirteenth press only starts over; the fourteenth tries 56000 again.
        r.w->btnScan->click();
        QCOMPARE(r.w->lblCounter->text(), QStringLiteral("12"));
        QVERIFY(!r.w->TimerSchreib.isActive());
        QCOMPARE(r.comm().settings(), QStringLiteral("110,n,8,1"));
        QVERIFY(r.comm().portOpen());
        r.w->btnScan->click();
        QCOMPARE(r.w->lblCounter->text(), QStringLiteral("11"));
        QCOMPARE(r.comm().settings(), QStringLiteral("56000,n,8,1"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.p.settings.values.isEmpty());
    }

    void modemAnswersOnlyAtItsSpeed()
    {
        ScanRig r(19200);
        QStringList answered;
        for (const char *speed : {"56000", "38400", "28800", "19200", "14400"}) {
            r.w->btnScan->click();
            const qsizetype before = r.main->terminalText().size();
            const int beeps = r.p.dialogs.beeps;
            r.sendAndFetch();
            QCOMPARE(r.fake->writes().last(), QByteArray("AT\r"));
            QCOMPARE(r.p.dialogs.beeps, beeps + 1);
            const QString shown = r.main->terminalText().mid(before);
            QVERIFY2(shown.startsWith(QLatin1String("AT\r\n")), qPrintable(shown));
            if (shown.contains(QLatin1String("\r\nOK\r\n")))
                answered << speed;
        }
        QCOMPARE(answered, QStringList{"19200"});
        // Closing keeps the port open at the last speed and sends nothing more.
        r.w->close();
        QVERIFY(!r.w->TimerSchreib.isActive());
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.comm().settings(), QStringLiteral("14400,n,8,1"));
    }

    void portTakenStopsTheScan()
    {
        ScanRig r;
        r.fake->busy << QStringLiteral("/dev/ttyS0");
        r.w->btnScan->click();
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList{"Die Schnittstelle lässt sich mit 56000 Baud nicht öffnen:\n"
                             "Schnittstelle COM1 (/dev/ttyS0) wird bereits benutzt\n\n"
                             "Der Scan ist angehalten; \"Scan All\" versucht die nächste Baudrate."});
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QVERIFY(!r.w->TimerSchreib.isActive());
        QVERIFY(!r.comm().portOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,56000,n,8,1 not active"));

        // The next press goes on with the next speed once the port is free.
        r.fake->busy.clear();
        r.w->btnScan->click();
        QCOMPARE(r.w->lblBaudrate->text(), QStringLiteral("38400"));
        QVERIFY(r.comm().portOpen());
        QVERIFY(r.w->TimerSchreib.isActive());
    }
};

QTEST_MAIN(TestFrmComScan)
#include "test_frmComScan.moc"
