#include "../support/MainRig.h"

#include "config/frmProperties.h"
#include "modem/ModemTask.h"

#include <QCheckBox>
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

// A driver that takes every line setting but some speeds and flow controls; what it refuses
// leaves the line as it was. Everything else is the fake port's.
class PickyBackend final : public SerialBackend {
public:
    explicit PickyBackend(Clock &clock) : m_line(clock) {}
    bool open(const QString &device, const LineSettings &s, int hs, QString *error) override
    {
        return m_line.open(device, s, hs, error);
    }
    void close() override { m_line.close(); }
    bool isOpen() const override { return m_line.isOpen(); }
    bool apply(const LineSettings &s, int hs, QString *error) override
    {
        if (refusedSpeeds.contains(s.speed) || refusedFlow.contains(hs)) {
            *error = QStringLiteral("Einstellung vom Gerät nicht unterstützt");
            return false;
        }
        return m_line.apply(s, hs, error);
    }
    bool write(const QByteArray &bytes, QString *error) override { return m_line.write(bytes, error); }
    qint64 bytesAvailable() override { return m_line.bytesAvailable(); }
    QByteArray readAll() override { return m_line.readAll(); }
    qint64 bytesToWrite() const override { return m_line.bytesToWrite(); }
    void clearInput() override { m_line.clearInput(); }
    void clearOutput() override { m_line.clearOutput(); }

    QSet<int> refusedSpeeds;
    QSet<int> refusedFlow;
    FakeSerialBackend m_line;
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
        // The port runs with 4800,o,7,2: what the stored string does not name comes from it.
        const QStringList inUse{"4800", "Odd", "7", "2"};
        QTest::newRow("19200,e,7,1.5") << "19200,e,7,1.5" << QStringList{"19200", "Even", "7", "1.5"};
        QTest::newRow("speed not offered") << "12345,s,8,1" << QStringList{"4800", "Space", "8", "1"};
        QTest::newRow("nothing stored") << QString() << inUse;
        QTest::newRow("garbage") << "n,8,1,9600,x" << inUse;
    }
    void listsPreselectedFromTheStoredString()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        PropRig r(stored);
        r.comm().setPortOpen(false);
        r.comm().setCommPort(4);
        r.comm().setHandshaking(3);
        r.comm().setSettings(QStringLiteral("4800,o,7,2"));
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

    // Nothing stored: the lists show what the port runs with. A setting the driver refuses is
    // named in a box, the old one stays and is stored, and the kept dialog shows it next time.
    void refusedSettingsAreNamedAndTheNextShowingShowsWhatIsInUse()
    {
        TestPlatform p;
        auto backend = std::make_unique<PickyBackend>(p.clock);
        PickyBackend &line = *backend;
        line.refusedSpeeds << 256000;
        line.refusedFlow << 2;
        frmAnfang main(std::move(backend));
        frmProperties w(
            main, [&main] { main.ComStatus(); }, &main);
        w.listDevices = [] { return QList<SerialDevice>(); };
        w.show();
        const auto lists = [&w] {
            return QStringList{w.cboSpeed->currentText(), w.cboParity->currentText(), w.cboDataBits->currentText(),
                               w.cboStopBits->currentText()};
        };
        QCOMPARE(lists(), (QStringList{"9600", "None", "8", "1"}));
        QVERIFY(w.optFlow[0]->isChecked());

        choose(w.cboSpeed, "256000");
        choose(w.cboParity, "Even");
        w.optFlow[2]->setChecked(true);
        w.cmdOK->click();
        const QString why = QStringLiteral("Schnittstelle COM1 (/dev/ttyS0) Einstellung vom Gerät nicht unterstützt");
        QCOMPARE(
            p.dialogs.texts(),
            (QStringList{"Die Schnittstelle nimmt die Einstellung „256000,e,8,1“ nicht an und bleibt bei "
                         "„9600,n,8,1“.\n\n" +
                             why,
                         "Die Schnittstelle nimmt das Protokoll „RTS“ nicht an und bleibt bei „Kein“.\n\n" + why}));
        QCOMPARE(p.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(main.comm().settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(line.m_line.lineSettings.speed, 9600);
        QCOMPARE(p.settings.get(keys::PortSettings), QStringLiteral("9600,n,8,1"));
        QCOMPARE(p.settings.get(keys::Handshaking), QStringLiteral("0"));
        QVERIFY(w.isHidden());

        w.show();
        QCOMPARE(lists(), (QStringList{"9600", "None", "8", "1"}));
        QVERIFY(w.optFlow[0]->isChecked());
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

    // "Schnelle Modemantworten": off unless stored, stored by OK only, and the modem work that
    // begins after OK ends its answers at the final result code.
    void fastAnswersAreStoredByOkAndUsedByTheNextTask()
    {
        PropRig r;
        r.attachModem();
        auto w = r.dialog();
        w->show();
        QVERIFY(!w->chkFastAnswers->isChecked());
        QCOMPARE(w->chkFastAnswers->text(), QStringLiteral("Schnelle &Modemantworten"));
        QVERIFY(w->width() <= 1366 && w->height() <= 768);
        w->chkFastAnswers->setChecked(true);
        w->cmdCancel->click();
        QCOMPARE(r.stored("Einstellungen", "SchnelleAntworten"), QStringLiteral("<none>"));

        w = r.dialog();
        w->show();
        QVERIFY(!w->chkFastAnswers->isChecked());
        {
            ModemTask before(*r.main, nullptr, QStringLiteral("Test"));
            QVERIFY(!before.fastAnswers());
        }
        w->chkFastAnswers->setChecked(true);
        w->cmdOK->click();
        QCOMPARE(r.stored("Einstellungen", "SchnelleAntworten"), QStringLiteral("True"));
        ModemTask task(*r.main, nullptr, QStringLiteral("Test"));
        QVERIFY(task.fastAnswers());
        const double start = r.p.clock.monotonic();
        QCOMPARE(task.exchange(QStringLiteral("AT")).answer, QStringLiteral("AT\r\n\r\nOK\r\n"));
        QVERIFY2(r.p.clock.monotonic() - start < 0.5, qPrintable(QString::number(r.p.clock.monotonic() - start)));

        // Shown again: the stored choice; unticked and OK stores it off.
        w->show();
        QVERIFY(w->chkFastAnswers->isChecked());
        w->chkFastAnswers->setChecked(false);
        w->cmdOK->click();
        QCOMPARE(r.stored("Einstellungen", "SchnelleAntworten"), QStringLiteral("False"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // The test tries every number and then puts the port in use back, open or closed as it was.
    void portTestReportsWhatOpens_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("inUse");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("report");
        QTest::newRow("none") << QList<int>{} << 1 << false << "Keine freie COM verfügbar ";
        QTest::newRow("1 and 3, on 3") << QList<int>{1, 3} << 3 << true << " COM 1 verfügbar!\r COM 3 verfügbar!\r";
        QTest::newRow("16 only, on 1 closed") << QList<int>{16} << 1 << false << " COM 16 verfügbar!\r";
        QTest::newRow("16 only, on 16") << QList<int>{16} << 16 << true << " COM 16 verfügbar!\r";
    }
    void portTestReportsWhatOpens()
    {
        QFETCH(QList<int>, present);
        QFETCH(int, inUse);
        QFETCH(bool, open);
        QFETCH(QString, report);
        PropRig r;
        r.comm().setPortOpen(false);
        r.comm().setCommPort(inUse);
        QVERIFY(r.comm().setPortOpen(open));
        r.main->ComStatus();
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
        QCOMPARE(r.comm().commPort(), inUse);
        QCOMPARE(r.comm().portOpen(), open);
        QCOMPARE(r.main->panel1ShowsOpen(), open);
        QVERIFY(w->lblComNr->isHidden());
        QVERIFY(w->cmdOK->isEnabled());
        // Cancel after the test leaves the port as it was before the test.
        w->cmdCancel->click();
        QCOMPARE(r.comm().commPort(), inUse);
        QCOMPARE(r.comm().portOpen(), open);
    }
};

QTEST_MAIN(TestFrmProperties)
#include "test_frmProperties.moc"
