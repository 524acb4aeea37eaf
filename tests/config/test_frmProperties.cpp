#include "../support/MainRig.h"

#include "config/frmProperties.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

struct PropRig : MainRig {
    int statusRefreshes = 0;
    explicit PropRig(const QString &stored = QString())
    {
        if (!stored.isNull())
            p.settings.set(keys::PortSettings, stored);
    }
    std::unique_ptr<frmProperties> dialog()
    {
        auto refresh = [this] { ++statusRefreshes; main->ComStatus(); };
        auto w = std::make_unique<frmProperties>(*main, refresh, main.get());
        w->listDevices = [] { return QList<SerialDevice>(); };
        return w;
    }
    QString stored(const QString &section, const QString &key) { return p.settings.value(section, key, "<none>"); }
};

void choose(QComboBox *c, const QString &item)
{
    const int i = c->findText(item);
    QVERIFY2(i >= 0, qPrintable(item));
    c->setCurrentIndex(i);
}

} // namespace

class TestFrmProperties : public QObject {
    Q_OBJECT
private slots:
    void listsPreselectedFromTheStoredString_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("shown"); // speed, parity, data bits, stop bits
        const QStringList none{"", "", "", ""};
        QTest::newRow("19200,e,7,1.5") << "19200,e,7,1.5" << QStringList{"19200", "Even", "7", "1.5"};
        QTest::newRow("speed not offered") << "12345,s,8,1" << QStringList{"", "Space", "8", "1"};
        QTest::newRow("nothing stored") << QString() << none;
        QTest::newRow("garbage") << "n,8,1,9600,x" << none;
    }
    void listsPreselectedFromTheStoredString()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        PropRig r(stored);
        r.comm().setPortOpen(false);
        r.comm().setCommPort(4);
        r.comm().setHandshaking(3);
        auto w = r.dialog();
        w->show();
        QCOMPARE((QStringList{w->cboSpeed->currentText(), w->cboParity->currentText(), w->cboDataBits->currentText(),
                              w->cboStopBits->currentText()}),
                 shown);
        QCOMPARE(w->cboPort->currentText(), QStringLiteral("Com4"));
        QCOMPARE(w->cboDevice->currentText(), QStringLiteral("/dev/ttyS3"));
        QVERIFY(w->optFlow[3]->isChecked());
        QVERIFY(w->optEcho[0]->isChecked());
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void okAppliesStoresAndHides()
    {
        PropRig r("9600,n,8,1");
        auto w = r.dialog();
        w->show();
        choose(w->cboPort, "Com2");
        choose(w->cboSpeed, "19200");
        choose(w->cboParity, "Even");
        choose(w->cboDataBits, "7");
        choose(w->cboStopBits, "1");
        w->optFlow[2]->setChecked(true);
        w->cmdOK->click();

        QCOMPARE(r.comm().commPort(), 2);
        QCOMPARE(r.comm().settings(), QStringLiteral("19200,e,7,1"));
        QCOMPARE(r.comm().handshaking(), 2);
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.fake->lastDevice, QStringLiteral("/dev/ttyS1"));
        // The device of an untouched number stays unmapped.
        QCOMPARE((QStringList{r.stored("Einstellungen", "Einstellungen"), r.stored("Einstellungen", "COM-Anschluß"),
                              r.stored("Einstellungen", "Handshaking"), r.stored("Einstellungen", "Echo"),
                              r.stored("Ports", "COM2")}),
                 (QStringList{"19200,e,7,1", "2", "2", "False", "<none>"}));
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM2,19200,e,7,1 , RTS/CTS active"));
        QVERIFY(r.main->panel1ShowsOpen());
        QCOMPARE(r.statusRefreshes, 1);
        QVERIFY(w->isHidden());
        QVERIFY(!w->discarded());
        QVERIFY(r.p.dialogs.shown.isEmpty());

        // Shown again: the choices are kept and the port in use is selected.
        r.comm().setPortOpen(false);
        r.comm().setCommPort(5);
        w->show();
        QCOMPARE(w->cboPort->currentText(), QStringLiteral("Com5"));
        QCOMPARE(w->cboParity->currentText(), QStringLiteral("Even"));
        QVERIFY(w->optFlow[2]->isChecked());
    }

    void okMapsANumberToAnotherDevice()
    {
        PropRig r;
        auto w = r.dialog();
        w->listDevices = [] {
            return QList<SerialDevice>{{"/dev/ttyUSB0", "Huawei", "E3372"}, {"/dev/ttyS0", "", ""}};
        };
        w->show();
        QCOMPARE(w->cboDevice->currentText(), QStringLiteral("/dev/ttyS0"));
        choose(w->cboPort, "Com3");
        QCOMPARE(w->cboDevice->currentText(), QStringLiteral("/dev/ttyS2"));
        // Picking the entry with maker and product leaves the bare path in the field.
        w->cboDevice->setCurrentIndex(0);
        emit w->cboDevice->activated(0);
        QCOMPARE(w->cboDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
        // Another number and back: the choice for COM3 is remembered until OK.
        choose(w->cboPort, "Com1");
        w->cboDevice->setEditText(QStringLiteral("/dev/ttyACM0"));
        choose(w->cboPort, "Com3");
        QCOMPARE(w->cboDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
        w->cmdOK->click();

        QCOMPARE((QStringList{r.stored("Ports", "COM3"), r.stored("Ports", "COM1"), r.stored("Ports", "COM2")}),
                 (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0", "<none>"}));
        QCOMPARE(r.comm().commPort(), 3);
        QCOMPARE(r.fake->lastDevice, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(r.stored("Einstellungen", "COM-Anschluß"), QStringLiteral("3"));
    }

    void okOnAMissingDeviceStoresAndReports()
    {
        PropRig r;
        r.fake->missing << QStringLiteral("/dev/ttyUSB7");
        auto w = r.dialog();
        w->show();
        w->cboDevice->setEditText(QStringLiteral("/dev/ttyUSB7"));
        w->cmdOK->click();
        QCOMPARE(r.p.dialogs.texts(), QStringList{"Schnittstelle COM1 (/dev/ttyUSB7) nicht vorhanden"});
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QCOMPARE(r.stored("Ports", "COM1"), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(r.stored("Einstellungen", "Einstellungen"), QStringLiteral("9600,n,8,1"));
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
        QVERIFY(!r.main->panel1ShowsOpen());
        QVERIFY(w->isHidden());
    }

    void cancelDiscardsAndLeavesThePort()
    {
        PropRig r;
        QPointer<frmProperties> kept;
        QTimer::singleShot(0, r.main.get(), [&] {
            kept->cboDevice->setEditText(QStringLiteral("/dev/ttyUSB0"));
            kept->cmdCancel->click();
        });
        frmProperties::ShowModal(kept, *r.main, [] {}, r.main.get());
        QVERIFY(kept.isNull());
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.stored("Ports", "COM1"), QStringLiteral("<none>"));
        QCOMPARE(r.stored("Einstellungen", "Einstellungen"), QStringLiteral("<none>"));

        // OK keeps the one dialog for the next showing.
        QTimer::singleShot(0, r.main.get(), [&] { kept->cmdOK->click(); });
        frmProperties::ShowModal(kept, *r.main, [] {}, r.main.get());
        QPointer<frmProperties> first = kept;
        QVERIFY(!first.isNull());
        QTimer::singleShot(0, r.main.get(), [&] { kept->close(); });
        frmProperties::ShowModal(kept, *r.main, [] {}, r.main.get());
        QVERIFY(first.isNull());
        QVERIFY(kept.isNull());
    }

    void portTestReportsWhatOpens_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<QString>("report");
        QTest::newRow("none") << QList<int>{} << "Keine freie COM verfügbar ";
        QTest::newRow("1 and 3") << QList<int>{1, 3} << " COM 1 verfügbar!\r COM 3 verfügbar!\r";
        QTest::newRow("16 only") << QList<int>{16} << " COM 16 verfügbar!\r";
    }
    void portTestReportsWhatOpens()
    {
        QFETCH(QList<int>, present);
        QFETCH(QString, report);
        PropRig r;
        for (int n = 1; n <= 16; ++n)
            if (!present.contains(n))
                r.fake->busy << QStringLiteral("/dev/ttyS%1").arg(n - 1);
        auto w = r.dialog();
        w->show();
        bool busyDuringTest = false;
        r.p.dialogs.onMessage = [&](const ShownMessage &) { busyDuringTest = r.p.dialogs.busyNow; };
        w->cmdTest->click();
        QCOMPARE(r.p.dialogs.texts(), QStringList{report});
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Einstellungen"));
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Information);
        QVERIFY(busyDuringTest);
        QVERIFY(!r.p.dialogs.busyNow);
        QVERIFY(!r.comm().portOpen());
        QCOMPARE(r.comm().commPort(), 16);
        QVERIFY(w->lblComNr->isHidden());
        QVERIFY(w->cmdOK->isEnabled());
        // Cancel after the test leaves the port closed.
        w->cmdCancel->click();
        QVERIFY(!r.comm().portOpen());
    }
};

QTEST_MAIN(TestFrmProperties)
#include "test_frmProperties.moc"
