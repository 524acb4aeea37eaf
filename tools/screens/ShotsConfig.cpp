#include "Shots.h"
#include "support/MainRig.h"

#include "config/frmComScan.h"
#include "config/frmProperties.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

void shotsConfig(MainRig &rig, const QString &out)
{
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
