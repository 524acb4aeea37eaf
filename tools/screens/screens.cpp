// varnix-screens OUTDIR: shows each window against the in-process simulated modem and saves
// a picture of it, so a layout can be looked at without a display or hardware.
#include "support/MainRig.h"

#include "modem/frmSMS1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
void save(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    MainRig r;
    r.attachModem();
    r.main->show();
    auto *reg = new frmSMS1(*r.main, r.main.get());
    reg->txtPIN->setText(QStringLiteral("1234"));
    reg->cmdD1->click();
    reg->cmdModemOn->click();
    reg->cmdEigene->click();
    r.main->ReceiveLoop();
    save(r.main.get(), out, QStringLiteral("frmAnfang"));
    save(reg, out, QStringLiteral("frmSMS1"));
    return 0;
}
