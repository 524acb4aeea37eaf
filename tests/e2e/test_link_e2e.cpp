// Real time against varnix-modemsim: the modem goes away (the simulator killed, as a USB modem
// is pulled out) and comes back.
#include "support/TaskExchange.h"
#include "../support/CpuTime.h"
#include "../support/SimProcess.h"

#include "modem/ModemCommand.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/stat.h>

namespace {

// Serves events for the given wall time, as the idle program does.
void idle(double seconds)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < seconds * 1000)
        platform::clock().yield();
}

ino_t linkInode(const QString &link)
{
    struct stat st{};
    return ::lstat(QFile::encodeName(link).constData(), &st) == 0 ? st.st_ino : 0;
}

// A second simulator on the same link, as a modem plugged in again.
struct Replug {
    QProcess sim;
    explicit Replug(const QString &link)
    {
        // The killed simulator left its link behind; the new one replaces it once its line is up.
        const ino_t old = linkInode(link);
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(VARNIX_MODEMSIM), {QStringLiteral("--link"), link, QStringLiteral("--no-pin")});
        sim.waitForStarted();
        for (int i = 0; i < 150 && linkInode(link) == old; ++i)
            QThread::msleep(20);
    }
    ~Replug()
    {
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

} // namespace

class TestLinkE2e : public QObject {
    Q_OBJECT
private slots:
    void aPulledModemClosesThePortQuietlyAndComesBack()
    {
        SimProcess s({QStringLiteral("--no-pin")});
        frmAnfang &main = s.startMain();
        QVERIFY(main.comm().portOpen());
        main.setReceiveTimer(false);
        QString answer;
        QCOMPARE(Exchange(main, QStringLiteral("AT"), answer), qint16(kStatusOk));
        main.setReceiveTimer(true);

        s.sim.kill();
        s.sim.waitForFinished(3000);
        // The first second after the loss: the port is found gone and closed, and the program
        // goes back to idling (a port left open reports the hang-up thousands of times a second).
        const double cpu0 = processCpuSeconds();
        idle(1.0);
        const double cpu = processCpuSeconds() - cpu0;
        qInfo("CPU in the second after the loss: %.3f s", cpu);
        QVERIFY2(cpu < 0.2, qPrintable(QStringLiteral("%1 s CPU").arg(cpu)));
        QVERIFY(!main.comm().portOpen());
        QVERIFY(main.panelText(1).endsWith(QLatin1String(" not active")));
        QVERIFY(!main.panel1ShowsOpen());
        QCOMPARE(s.dialogs.shown.size(), 1);
        QVERIFY2(s.dialogs.shown[0].text.startsWith(QStringLiteral("Die Verbindung zum Modem ist unterbrochen.")),
                 qPrintable(s.dialogs.shown[0].text));

        Replug again(s.link);
        main.ComToggle();
        QVERIFY(main.comm().portOpen());
        QVERIFY(main.panelText(1).endsWith(QLatin1String(" active")));
        main.setReceiveTimer(false);
        QCOMPARE(Exchange(main, QStringLiteral("AT"), answer), qint16(kStatusOk));
        main.ComToggle();
        main.ComToggle();
        QCOMPARE(Exchange(main, QStringLiteral("AT+CSQ"), answer), qint16(kStatusOk));
        QVERIFY(answer.contains(QLatin1String("+CSQ:")));
        QCOMPARE(s.dialogs.shown.size(), 1);
    }

    void aModemPulledDuringAnExchangeEndsItAtOnce()
    {
        SimProcess s({QStringLiteral("--silent")});
        frmAnfang &main = s.startMain();
        main.setReceiveTimer(false);
        QTimer::singleShot(300, &s.sim, [&] { s.sim.kill(); });
        QElapsedTimer t;
        t.start();
        QString answer;
        const qint16 status = Exchange(main, QStringLiteral("AT+CSQ"), answer);
        QCOMPARE(status, qint16(kStatusTimeout));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        // The loss is reported, not a time-out on top of it.
        idle(0.1);
        QCOMPARE(s.dialogs.shown.size(), 1);
        QVERIFY(s.dialogs.shown[0].text.startsWith(QStringLiteral("Die Verbindung zum Modem ist unterbrochen.")));
    }
};

QTEST_MAIN(TestLinkE2e)
#include "test_link_e2e.moc"
