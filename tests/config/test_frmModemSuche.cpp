// "Modem suchen" in the main window, on in-process ports: what it lists, the mapping of a
// modem to a COM number, and the ways out it offers for ModemManager and the device's group,
// with a made-up /proc and a stand-in pkexec that records what it would run.
#include "../support/MainRig.h"

#include "config/frmModemSuche.h"
#include "platform/PortMap.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

Q_DECLARE_METATYPE(RootResult)
Q_DECLARE_METATYPE(MsgAnswer)

namespace {

const QString kQuectel = QStringLiteral("/dev/serial/by-id/usb-Quectel_EC25-if02-port0");

// A process of a made-up /proc holding the given devices.
void addProcess(const QString &proc, qint64 pid, const QByteArray &comm, const QStringList &fds)
{
    const QString dir = proc + QStringLiteral("/%1").arg(pid);
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/fd")));
    QFile f(dir + QStringLiteral("/comm"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(comm + '\n');
    for (int i = 0; i < fds.size(); ++i)
        QVERIFY(QFile::link(fds[i], dir + QStringLiteral("/fd/%1").arg(i)));
}

struct SearchRig : MainRig {
    QTemporaryDir root;
    QList<ProbeCandidate> candidates;
    // What sits behind each device: a simulated modem of this profile (empty: nothing), or
    // an open failure.
    std::map<QString, QByteArray> profiles;
    // The ports the search made, by path; they live only as long as the search.
    std::map<QString, FakeSerialBackend *> ports;
    std::vector<std::unique_ptr<SimulatedModem>> modems;
    QSet<QString> busy, denied;
    DeviceAccess access{QStringLiteral("dialout"), QStringLiteral("anna"), false, false};

    SearchRig()
    {
        QDir().mkpath(procRoot());
        main->modemSearch.devices = [this] { return candidates; };
        main->modemSearch.makePort = [this](const QString &path) {
            auto port = std::make_unique<FakeSerialBackend>(p.clock);
            port->busy = busy;
            port->denied = denied;
            ports[path] = port.get();
            if (const QByteArray profile = profiles[path]; !profile.isEmpty()) {
                modemsim::Config cfg;
                cfg.profile = profile;
                cfg.baud = 0;
                if (profile == "quectel")
                    cfg.pin.clear();
                modems.push_back(std::make_unique<SimulatedModem>(*port, cfg));
            }
            return std::unique_ptr<SerialBackend>(std::move(port));
        };
        main->modemSearch.procRoot = procRoot();
        main->modemSearch.access = [this](const QString &) { return access; };
    }
    QString procRoot() const { return root.filePath(QStringLiteral("proc")); }
    void device(const QString &path, const QString &device, const QByteArray &profile = {}, quint16 vid = 0,
                quint16 pid = 0)
    {
        candidates << ProbeCandidate{path, device, {}, vid != 0, vid, pid};
        profiles[path] = profile;
    }
    frmModemSuche *searched()
    {
        main->openModemSearch();
        frmModemSuche *w = main->modemSearchWindow();
        w->searchOnShow = false;
        w->search();
        return w;
    }
    QStringList row(frmModemSuche *w, int r)
    {
        QStringList cells;
        for (int c = 0; c < w->grdGeraete->columnCount(); ++c)
            cells << w->grdGeraete->item(r, c)->text();
        return cells;
    }
};

} // namespace

class TestFrmModemSuche : public QObject {
    Q_OBJECT
private slots:
    void theMenuOffersIt()
    {
        MainRig r;
        const QList<QAction *> tools = r.main->findChild<QMenu *>(QStringLiteral("mnuTools"))->actions();
        QCOMPARE(tools.value(0), r.main->mnuToolsModemSuche);
        QCOMPARE(r.main->mnuToolsModemSuche->text(), QStringLiteral("&Modem suchen"));
        QCOMPARE(tools.value(1), r.main->mnuToolsBaudscan);
    }

    // Three devices: two modems, one plain port. The list names maker, model and SIM; the
    // chosen modem goes to the chosen COM number by its stable path and is opened.
    void listsTheModemsAndMapsOne()
    {
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), "huawei");
        r.device(kQuectel, QStringLiteral("/dev/ttyUSB2"), "quectel");
        r.device(QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS1"));
        r.main->comm().setPortOpen(false);
        frmModemSuche *w = r.searched();
        QCOMPARE(w->grdGeraete->rowCount(), 3);
        QCOMPARE(r.row(w, 0), (QStringList{"ttyUSB0", "huawei", "E173", "PIN nötig", "Modem, 115200 Baud"}));
        QCOMPARE(r.row(w, 1), (QStringList{"ttyUSB2", "Quectel", "EC25", "bereit", "Modem, 115200 Baud"}));
        QCOMPARE(r.row(w, 2), (QStringList{"ttyS1", "", "", "", "keine Antwort"}));
        QCOMPARE(w->grdGeraete->item(1, 0)->toolTip(), kQuectel);
        QCOMPARE(w->lblStatus->text(), QStringLiteral("2 Modems gefunden (3 Geräte gefragt)."));
        QCOMPARE(w->prgSuche->value(), 3);
        // The first modem is chosen; what the program knows about it is said.
        QCOMPARE(w->grdGeraete->currentRow(), 0);
        QVERIFY(w->txtHinweis->toPlainText().contains(QLatin1String("^RSSI")));
        QVERIFY(w->cmdZuordnen->isEnabled());

        w->grdGeraete->selectRow(2);
        QVERIFY(!w->cmdZuordnen->isEnabled());
        QVERIFY(w->txtHinweis->toPlainText().startsWith(QStringLiteral("/dev/ttyS1\nAuf „AT“ kam")));
        w->grdGeraete->selectRow(1);
        QVERIFY(w->txtHinweis->toPlainText().startsWith(kQuectel + QStringLiteral(" (/dev/ttyUSB2)\n")));
        QVERIFY(w->txtHinweis->toPlainText().contains(QLatin1String("+QIND: SMS DONE")));
        w->cboCom->setCurrentIndex(2);
        w->cmdZuordnen->click();
        QCOMPARE(r.p.settings.value(QStringLiteral("Ports"), QStringLiteral("COM3"), {}), kQuectel);
        QCOMPARE(r.p.settings.get(keys::PortNumber), QStringLiteral("3"));
        QCOMPARE(r.p.settings.get(keys::PortSettings), QStringLiteral("115200,n,8,1"));
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.fake->lastDevice, kQuectel);
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM3,115200,n,8,1 active"));
        QVERIFY(w->isHidden());
        QCOMPARE(r.p.dialogs.texts(), QStringList());
    }

    // The program's own open port is listed, never opened: asking it would take its answers.
    void theProgramsOwnPortIsLeftAlone()
    {
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS0"), "siemens");
        QVERIFY(r.comm().portOpen()); // COM1, /dev/ttyS0
        frmModemSuche *w = r.searched();
        QCOMPARE(r.row(w, 0).last(), QStringLiteral("in Benutzung durch Varnix"));
        QVERIFY(r.ports.empty());
        QVERIFY(!w->cmdZuordnen->isEnabled());
        QCOMPARE(w->lblStatus->text(), QStringLiteral("Kein Modem gefunden (1 Gerät gefragt)."));
    }

    // A device another program has open is not asked at all: a login prompt on a serial
    // console would take the AT for a user name. The far end of a pseudo-terminal (a simulated
    // modem) is the device itself, not a user of it.
    void aDeviceInUseIsNotAsked()
    {
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS1"), "siemens");
        r.device(QStringLiteral("/dev/pts/7"), QStringLiteral("/dev/pts/7"), "quectel");
        addProcess(r.procRoot(), 612, "agetty", {"/dev/ttyS1"});
        addProcess(r.procRoot(), 613, "varnix-modemsim", {"/dev/ptmx"});
        frmModemSuche *w = r.searched();
        QCOMPARE(r.row(w, 0).last(), QStringLiteral("belegt"));
        QVERIFY(!r.ports.count(QStringLiteral("/dev/ttyS1")));
        w->grdGeraete->selectRow(0);
        QCOMPARE(w->txtHinweis->toPlainText(),
                 QStringLiteral("/dev/ttyS1\nDas Gerät wird von Prozess 612 (agetty) benutzt – das Programm beenden, "
                                "z. B. mit „kill 612“."));
        QCOMPARE(r.row(w, 1).last(), QStringLiteral("Modem, 115200 Baud"));
    }

    // ModemManager holds the stick and the user is outside the group of the other device: the
    // advice says so with the exact commands, and each way out runs the command it showed,
    // through pkexec, only after a yes.
    void modemManagerAndGroupOffers()
    {
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), {}, 0x12d1, 0x1506);
        r.device(QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyACM0"), {}, 0x0681, 0x0041);
        r.busy << QStringLiteral("/dev/ttyUSB0");
        r.denied << QStringLiteral("/dev/ttyACM0");
        addProcess(r.procRoot(), 4711, "ModemManager", {"/dev/ttyUSB0"});
        addProcess(r.procRoot(), 900, "bash", {"/dev/pts/1"});
        frmModemSuche *w = r.searched();
        QCOMPARE(r.row(w, 0).last(), QStringLiteral("belegt"));
        QCOMPARE(r.row(w, 1).last(), QStringLiteral("kein Zugriff"));

        w->grdGeraete->selectRow(0);
        const QString rule = QStringLiteral("# Von Varnix angelegt: ModemManager übergeht das USB-Gerät 12d1:1506.\n"
                                            "ACTION!=\"remove\", ATTRS{idVendor}==\"12d1\", "
                                            "ATTRS{idProduct}==\"1506\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
        QCOMPARE(w->txtHinweis->toPlainText(),
                 QStringLiteral("/dev/ttyUSB0\n"
                                "ModemManager (Prozess 4711) hält das Gerät belegt.\n"
                                "Bis zum nächsten Systemstart beenden:\n"
                                "    pkexec systemctl stop ModemManager\n"
                                "Oder dieses Gerät (USB 12d1:1506) für immer übergehen lassen, mit der udev-Regel "
                                "/etc/udev/rules.d/99-varnix-12d1-1506.rules:\n"
                                "    pkexec tee /etc/udev/rules.d/99-varnix-12d1-1506.rules < Datei"));
        QVERIFY(w->cmdMMStop->isEnabled() && w->cmdMMIgnore->isEnabled());
        QVERIFY(!w->cmdGruppe->isEnabled() && !w->cmdZuordnen->isEnabled());

        // No: nothing runs. Yes: exactly the command shown, and what to do next.
        r.p.dialogs.answers = {MsgAnswer::No};
        w->cmdMMStop->click();
        QCOMPARE(r.p.root.ran, QList<RootCommand>());
        r.p.dialogs.clear();
        w->cmdMMStop->click();
        QCOMPARE(r.p.root.ran, (QList<RootCommand>{{{"systemctl", "stop", "ModemManager"}, {}}}));
        QCOMPARE(r.p.dialogs.texts(),
                 (QStringList{"ModemManager bis zum nächsten Systemstart beenden.\n\nVarnix führt dazu als "
                              "Administrator aus (pkexec fragt nach dem Passwort):\n\n"
                              "pkexec systemctl stop ModemManager\n\nJetzt ausführen?",
                              "ModemManager ist beendet, bis zum nächsten Systemstart. „Suchen“ fragt die Geräte "
                              "noch einmal."}));
        QCOMPARE(r.p.dialogs.shown[0].buttons, MsgButtons::YesNo);

        r.p.dialogs.clear();
        r.p.root.ran.clear();
        w->cmdMMIgnore->click();
        QCOMPARE(r.p.root.ran,
                 (QList<RootCommand>{{{"tee", "/etc/udev/rules.d/99-varnix-12d1-1506.rules"}, rule.toUtf8() + '\n'}}));
        QVERIFY(r.p.dialogs.texts().value(0).contains(rule));
        QVERIFY(r.p.dialogs.texts().value(0).contains(
            QStringLiteral("pkexec tee /etc/udev/rules.d/99-varnix-12d1-1506.rules < Datei\n\nJetzt ausführen?")));
        QCOMPARE(r.p.dialogs.texts().value(1), QStringLiteral("Die Regel ist angelegt. Das Modem einmal abziehen und "
                                                              "wieder einstecken; dann übergeht ModemManager es."));

        w->grdGeraete->selectRow(1);
        QCOMPARE(w->txtHinweis->toPlainText(),
                 QStringLiteral("/dev/ttyACM0\nDas Gerät gehört der Gruppe dialout, in der der Benutzer anna nicht "
                                "ist. In die Gruppe aufnehmen:\n    pkexec adduser anna dialout\nDanach abmelden und "
                                "wieder anmelden: erst dann gilt die Gruppe."));
        QVERIFY(w->cmdGruppe->isEnabled());
        r.p.dialogs.clear();
        r.p.root.ran.clear();
        w->cmdGruppe->click();
        QCOMPARE(r.p.root.ran, (QList<RootCommand>{{{"adduser", "anna", "dialout"}, {}}}));
        QCOMPARE(r.p.dialogs.texts(),
                 (QStringList{"Den Benutzer anna in die Gruppe dialout aufnehmen. Das gilt erst nach einer neuen "
                              "Anmeldung.\n\nVarnix führt dazu als Administrator aus (pkexec fragt nach dem "
                              "Passwort):\n\npkexec adduser anna dialout\n\nJetzt ausführen?",
                              "Der Benutzer anna ist jetzt in der Gruppe dialout. Das gilt erst nach einer neuen "
                              "Anmeldung: abmelden und wieder anmelden, dann Varnix neu starten."}));
    }

    // Without pkexec nothing runs: the box shows what to type in a terminal.
    void withoutPkexecTheCommandsAreShown()
    {
        SearchRig r;
        r.p.root.pkexec.clear();
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), {}, 0x12d1, 0x1506);
        r.busy << QStringLiteral("/dev/ttyUSB0");
        addProcess(r.procRoot(), 4711, "ModemManager", {"/dev/ttyUSB0"});
        frmModemSuche *w = r.searched();
        QVERIFY(w->txtHinweis->toPlainText().contains(QLatin1String("\n    sudo systemctl stop ModemManager\n")));
        QVERIFY(w->txtHinweis->toPlainText().contains(
            QStringLiteral("\n    printf '%s\\n' '# Von Varnix angelegt: ModemManager übergeht das USB-Gerät "
                           "12d1:1506.' 'ACTION!=\"remove\", ATTRS{idVendor}==\"12d1\", ATTRS{idProduct}==\"1506\", "
                           "ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee /etc/udev/rules.d/99-varnix-12d1-1506.rules")));
        w->cmdMMStop->click();
        QCOMPARE(r.p.root.ran, QList<RootCommand>());
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"Auf diesem System fehlt pkexec. In einem Terminal als "
                                                   "Administrator eingeben:\n\nsudo systemctl stop ModemManager"}));
    }

    // ModemManager runs as root, so its descriptors cannot be read: a busy device with no other
    // holder in sight is most likely its. Another program is named instead, with no root offer.
    void whoHoldsABusyDevice_data()
    {
        QTest::addColumn<QStringList>("processes"); // "pid name device"
        QTest::addColumn<QString>("advice");
        QTest::addColumn<bool>("offers");
        QTest::newRow("ModemManager, unseen")
            << QStringList{"4711 ModemManager /dev/null"}
            << "Wahrscheinlich hält ModemManager (Prozess 4711) das Gerät belegt: der Dienst öffnet jedes neue Modem, "
               "um es zu prüfen, und behält es oft."
            << true;
        QTest::newRow("minicom") << QStringList{"4711 ModemManager /dev/null", "812 minicom /dev/ttyUSB0"}
                                 << "Das Gerät wird von Prozess 812 (minicom) benutzt – das Programm beenden, z. B. "
                                    "mit „kill 812“."
                                 << false;
        QTest::newRow("nobody seen, no ModemManager")
            << QStringList{} << "Ein anderes Programm hält das Gerät belegt (wird bereits benutzt)." << false;
    }

    void whoHoldsABusyDevice()
    {
        QFETCH(QStringList, processes);
        QFETCH(QString, advice);
        QFETCH(bool, offers);
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), {}, 0x12d1, 0x1506);
        r.busy << QStringLiteral("/dev/ttyUSB0");
        for (const QString &p : processes) {
            const QStringList f = p.split(u' ');
            addProcess(r.procRoot(), f[0].toLongLong(), f[1].toUtf8(), {f[2]});
        }
        frmModemSuche *w = r.searched();
        QVERIFY2(w->txtHinweis->toPlainText().startsWith(QStringLiteral("/dev/ttyUSB0\n") + advice),
                 qPrintable(w->txtHinweis->toPlainText()));
        QCOMPARE(w->cmdMMStop->isEnabled(), offers);
        QCOMPARE(w->cmdMMIgnore->isEnabled(), offers);
    }

    // What pkexec's end tells is said in the box; nothing is taken for done that was not.
    void aCommandThatDidNotRunIsSaidSo_data()
    {
        QTest::addColumn<RootResult>("result");
        QTest::addColumn<QString>("box");
        QTest::newRow("password window closed")
            << RootResult{RootResult::Outcome::Cancelled, 126, {}}
            << "Nicht ausgeführt: die Passwortabfrage wurde geschlossen.\n\npkexec systemctl stop ModemManager";
        QTest::newRow("not allowed") << RootResult{RootResult::Outcome::Refused, 127, "Not authorized"}
                                     << "Nicht ausgeführt: pkexec hat es nicht erlaubt.\n\npkexec systemctl stop "
                                        "ModemManager\n\nNot authorized";
        QTest::newRow("failed") << RootResult{RootResult::Outcome::Failed, 5, "Unit ModemManager.service not loaded."}
                                << "Der Befehl ist fehlgeschlagen (Rückgabewert 5):\n\npkexec systemctl stop "
                                   "ModemManager\n\nUnit ModemManager.service not loaded.";
    }

    void aCommandThatDidNotRunIsSaidSo()
    {
        QFETCH(RootResult, result);
        QFETCH(QString, box);
        SearchRig r;
        r.p.root.answer = result;
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"));
        r.busy << QStringLiteral("/dev/ttyUSB0");
        addProcess(r.procRoot(), 4711, "ModemManager", {"/dev/ttyUSB0"});
        frmModemSuche *w = r.searched();
        w->cmdMMStop->click();
        QCOMPARE(r.p.dialogs.texts().value(1), box);
        QCOMPARE(r.p.dialogs.shown.value(1).icon, MsgIcon::Exclamation);
    }

    // COM1 does not open at start: the box offers the search, and a yes opens it.
    void theStartBoxOffersTheSearch_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::newRow("yes") << MsgAnswer::Yes;
        QTest::newRow("no") << MsgAnswer::No;
    }

    void theStartBoxOffersTheSearch()
    {
        QFETCH(MsgAnswer, answer);
        TestPlatform p;
        p.dialogs.answers = {answer};
        auto backend = std::make_unique<FakeSerialBackend>(p.clock);
        backend->missing << QStringLiteral("/dev/ttyS0");
        frmAnfang main(std::move(backend));
        main.endProgram = [] {};
        main.modemSearch.devices = [] { return QList<ProbeCandidate>(); };
        QCOMPARE(p.dialogs.shown.size(), 1);
        QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QCOMPARE(p.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(p.dialogs.shown[0].text,
                 QStringLiteral("Schnittstelle COM1 (/dev/ttyS0) nicht vorhanden\n\nVarnix kann alle seriellen Geräte "
                                "nach einem Modem absuchen und es einer COM-Nummer zuordnen. Jetzt „Modem suchen“?"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        frmModemSuche *w = main.modemSearchWindow();
        QCOMPARE(w != nullptr, answer == MsgAnswer::Yes);
        if (w) {
            QVERIFY(w->isVisible());
            QTRY_COMPARE(w->lblStatus->text(), QStringLiteral("Keine seriellen Geräte gefunden."));
            w->close();
        }
    }

    // Closed while it searches: the search stops at its next step (its ports closed, see
    // test_modem_probe), and only then does the window go.
    void closedDuringTheSearch()
    {
        SearchRig r;
        r.device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"));
        r.device(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyUSB1"));
        r.main->openModemSearch();
        frmModemSuche *w = r.main->modemSearchWindow();
        w->searchOnShow = false;
        QStringList progress;
        r.p.clock.scheduleIn(0.2, [&] {
            progress << w->prgSuche->accessibleName() << w->cmdSuchen->text();
            w->close();
        });
        w->search();
        QCOMPARE(progress, (QStringList{"Fortschritt der Suche: 0 von 2 Geräten gefragt", "Suche &abbrechen"}));
        QVERIFY(r.p.clock.monotonic() < 0.5);
        QVERIFY(w->isHidden());
        QCOMPARE(r.row(w, 0).last(), QStringLiteral("Suche abgebrochen"));
        QCOMPARE(w->cmdSuchen->text(), QStringLiteral("&Suchen"));
        // Opened again, it searches afresh in a new window.
        const QPointer<frmModemSuche> old = w;
        r.main->openModemSearch();
        QVERIFY(old.isNull());
        QVERIFY(r.main->modemSearchWindow());
    }

    // German captions, fits a 1366 x 768 screen, the changing texts heard with their text.
    void theWindowFitsAndSpeaks()
    {
        SearchRig r;
        frmModemSuche *w = r.searched();
        QVERIFY(w->width() <= 1366 && w->height() <= 700);
        QVERIFY(w->minimumSizeHint().width() <= 1366 && w->minimumSizeHint().height() <= 700);
        QCOMPARE(w->windowTitle(), QStringLiteral("Modem suchen"));
        // A label whose text changes is read with its text: no fixed name of its own.
        QCOMPARE(w->lblStatus->accessibleName(), QString());
        QCOMPARE(w->grdGeraete->accessibleName(), QStringLiteral("Gefundene Geräte"));
        QCOMPARE(w->txtHinweis->accessibleName(), QStringLiteral("Hinweis zum Gerät"));
        QCOMPARE(w->cboCom->accessibleName(), QStringLiteral("COM-Nummer für das Modem"));
        for (QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY2(b->sizeHint().width() <= b->width() || !b->isVisible(), qPrintable(b->objectName()));
    }
};

QTEST_MAIN(TestFrmModemSuche)
#include "test_frmModemSuche.moc"
