#include "Shots.h"
#include "support/MainRig.h"

#include "config/frmComScan.h"
#include "config/frmModemSuche.h"
#include "config/frmProperties.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <vector>

namespace {

// "Modem suchen" over made-up devices: three simulated modems, a stick held by ModemManager, a
// device of a group the user is not in, and a port with nothing on it.
void shotsModemSearch(MainRig &rig, const QString &out)
{
    QTemporaryDir proc;
    const QString mm = proc.filePath(QStringLiteral("4711"));
    QDir().mkpath(mm + QStringLiteral("/fd"));
    QFile comm(mm + QStringLiteral("/comm"));
    if (comm.open(QIODevice::WriteOnly))
        comm.write("ModemManager\n");
    comm.close();
    QFile::link(QStringLiteral("/dev/ttyUSB4"), mm + QStringLiteral("/fd/7"));

    std::vector<std::unique_ptr<SimulatedModem>> modems;
    const std::map<QString, QByteArray> profiles{{QStringLiteral("/dev/serial/by-id/usb-HUAWEI_Mobile-if00-port0"), "huawei"},
                                                 {QStringLiteral("/dev/serial/by-id/usb-Quectel_EC25-if02-port0"), "quectel"},
                                                 {QStringLiteral("/dev/ttyS0"), "siemens"}};
    ModemSearchSetup setup;
    setup.devices = [] {
        return QList<ProbeCandidate>{
            {"/dev/serial/by-id/usb-HUAWEI_Mobile-if00-port0", "/dev/ttyUSB0", "HUAWEI Mobile", true, 0x12d1, 0x1506},
            {"/dev/serial/by-id/usb-Quectel_EC25-if02-port0", "/dev/ttyUSB2", "Quectel EC25", true, 0x2c7c, 0x0125},
            {"/dev/ttyUSB4", "/dev/ttyUSB4", "ZTE MF190", true, 0x19d2, 0x0117},
            {"/dev/ttyACM0", "/dev/ttyACM0", "u-blox GPS", true, 0x1546, 0x01a7},
            {"/dev/ttyS0", "/dev/ttyS0", "", false, 0, 0},
            {"/dev/ttyS1", "/dev/ttyS1", "", false, 0, 0}};
    };
    setup.makePort = [&rig, &modems, &profiles](const QString &path) {
        auto port = std::make_unique<FakeSerialBackend>(rig.p.clock);
        port->busy << QStringLiteral("/dev/ttyUSB4");
        port->denied << QStringLiteral("/dev/ttyACM0");
        if (const auto it = profiles.find(path); it != profiles.end()) {
            modemsim::Config cfg;
            cfg.profile = it->second;
            cfg.baud = it->second == "siemens" ? 9600 : 0;
            if (it->second == "quectel")
                cfg.pin.clear();
            modems.push_back(std::make_unique<SimulatedModem>(*port, cfg));
        }
        return std::unique_ptr<SerialBackend>(std::move(port));
    };
    setup.procRoot = proc.path();
    setup.access = [](const QString &) {
        return DeviceAccess{QStringLiteral("dialout"), QStringLiteral("anna"), false, false};
    };
    rig.main->comm().setPortOpen(false);
    frmModemSuche w(*rig.main, setup, [&rig] { rig.main->ComStatus(); }, rig.main.get());
    w.searchOnShow = false;
    w.show();
    w.search();
    saveShot(&w, out, QStringLiteral("frmModemSuche"));
    w.grdGeraete->selectRow(2);
    saveShot(&w, out, QStringLiteral("frmModemSuche-modemmanager"));
    w.grdGeraete->selectRow(3);
    saveShot(&w, out, QStringLiteral("frmModemSuche-group"));
    w.hide();
    rig.main->comm().setPortOpen(true);
}

} // namespace

void shotsConfig(MainRig &rig, const QString &out)
{
    shotsModemSearch(rig, out);

    rig.p.settings.set(keys::PortSettings, QStringLiteral("19200,e,7,1.5"));
    auto *props = new frmProperties(
        *rig.main, [&rig] { rig.main->ComStatus(); }, rig.main.get());
    props->listDevices = [] {
        return QList<SerialDevice>{{"/dev/ttyUSB0", "Huawei Technologies", "E3372 LTE USB Stick"},
                                   {"/dev/ttyACM0", "Siemens", "MC35i Terminal"},
                                   {"/dev/ttyS0", "", ""}};
    };
    saveShot(props, out, QStringLiteral("frmProperties"));
    // The drop-down list is a window of its own.
    props->cboDevice->showPopup();
    QApplication::processEvents();
    props->cboDevice->view()->window()->grab().save(QDir(out).filePath(QStringLiteral("frmProperties-devices.png")));
    props->cboDevice->hidePopup();
    props->lblComNr->setText(QStringLiteral("7"));
    props->lblComNr->show();
    saveShot(props, out, QStringLiteral("frmProperties-test"));
    props->hide();
    delete props;

    rig.main->comm().setPortOpen(false);
    frmComScan scan(
        *rig.main, [&rig] { rig.main->ReceiveLoop(); }, rig.main.get());
    saveShot(&scan, out, QStringLiteral("frmComScan"));
    for (int i = 0; i < 4; ++i)
        scan.btnScan->click();
    saveShot(&scan, out, QStringLiteral("frmComScan-19200"));
    scan.hide();
    rig.main->comm().setPortOpen(true);
}
