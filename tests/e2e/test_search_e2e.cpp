// Real time: "Modem suchen" over three varnix-modemsim modems of different makes and speeds and
// two pseudo-terminals with nothing behind them. COM1 leads nowhere, so the start box offers
// the search; it lists the three with maker and model, and the one chosen is mapped and opened.
#include "../support/SimProcess.h"
#include "support/TaskExchange.h"

#include "config/frmModemSuche.h"
#include "modem/ModemCommand.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose far end is held open and never read: a serial port with nothing on it.
struct EmptyPty {
    int master = -1;
    QString slave;
    EmptyPty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~EmptyPty()
    {
        if (master >= 0)
            ::close(master);
    }
};

// One more simulated modem beside SimProcess's own.
struct OtherSim {
    QProcess process;
    QString link;
    OtherSim(const QString &dir, const QString &name, const QStringList &options)
    {
        link = dir + u'/' + name;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(VARNIX_MODEMSIM), QStringList{QStringLiteral("--link"), link} + options);
        process.waitForStarted();
        for (int i = 0; i < 100 && !QFile::exists(link); ++i)
            QThread::msleep(20);
    }
    ~OtherSim()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

ProbeCandidate candidate(const QString &path)
{
    return {path, QFileInfo(path).canonicalFilePath(), {}, false, 0, 0};
}

} // namespace

class TestSearchE2e : public QObject {
    Q_OBJECT
private slots:
    void findsThreeModemsAndOpensTheChosenOne()
    {
        SimProcess s({QStringLiteral("--profile"), QStringLiteral("siemens")}); // 9600 baud
        OtherSim huawei(
            s.dir.path(), QStringLiteral("huawei"),
            {QStringLiteral("--profile"), QStringLiteral("huawei"), QStringLiteral("--baud"), QStringLiteral("0")});
        OtherSim quectel(s.dir.path(), QStringLiteral("quectel"),
                         {QStringLiteral("--profile"), QStringLiteral("quectel"), QStringLiteral("--baud"),
                          QStringLiteral("115200"), QStringLiteral("--no-pin")});
        EmptyPty first, second;
        QVERIFY(!first.slave.isEmpty() && !second.slave.isEmpty());
        const QList<ProbeCandidate> devices{candidate(s.link), candidate(huawei.link), candidate(quectel.link),
                                            candidate(first.slave), candidate(second.slave)};

        s.settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM1"), s.dir.filePath(QStringLiteral("none")));
        s.dialogs.answers = {MsgAnswer::Yes};
        frmAnfang &main = s.startMain();
        main.modemSearch.devices = [devices] { return devices; };
        QCOMPARE(s.dialogs.shown.value(0).title, QStringLiteral("Com-Error"));

        // The yes opens the window, which searches as soon as it is on the screen.
        QTRY_VERIFY(main.modemSearchWindow());
        frmModemSuche *w = main.modemSearchWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!w->searching() && w->results().size() == 5, 20000);
        const auto row = [w](int r) {
            QStringList cells;
            for (int c = 1; c < w->grdGeraete->columnCount(); ++c)
                cells << w->grdGeraete->item(r, c)->text();
            return cells;
        };
        QCOMPARE(row(0), (QStringList{"SIEMENS", "MC35i", "PIN nötig", "Modem, 9600 Baud"}));
        QCOMPARE(row(1), (QStringList{"huawei", "E173", "PIN nötig", "Modem, 115200 Baud"}));
        QCOMPARE(row(2), (QStringList{"Quectel", "EC25", "bereit", "Modem, 115200 Baud"}));
        QCOMPARE(row(3), (QStringList{"", "", "", "keine Antwort"}));
        QCOMPARE(row(4), (QStringList{"", "", "", "keine Antwort"}));
        QCOMPARE(w->lblStatus->text(), QStringLiteral("3 Modems gefunden (5 Geräte gefragt)."));
        QCOMPARE(s.dialogs.shown.size(), 1);

        // The Quectel module to COM2: mapped by its path, opened at its speed, and it answers.
        w->grdGeraete->selectRow(2);
        w->cboCom->setCurrentIndex(1);
        w->cmdZuordnen->click();
        QVERIFY(main.comm().portOpen());
        QCOMPARE(main.comm().commPort(), 2);
        QCOMPARE(s.settings.value(QStringLiteral("Ports"), QStringLiteral("COM2"), QString()), quectel.link);
        QCOMPARE(main.panelText(1), QStringLiteral("COM2,115200,n,8,1 active"));
        QVERIFY(w->isHidden());
        main.setReceiveTimer(false);
        QString answer;
        QCOMPARE(Exchange(main, QStringLiteral("AT+CGMM"), answer), qint16(kStatusOk));
        QVERIFY2(answer.contains(QLatin1String("EC25")), qPrintable(answer));
        QCOMPARE(s.dialogs.shown.size(), 1);
    }
};

QTEST_MAIN(TestSearchE2e)
#include "test_search_e2e.moc"
