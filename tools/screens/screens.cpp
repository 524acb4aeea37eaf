// varnix-screens OUTDIR: shows each window against the in-process simulated modem and saves
// a picture of it, so a layout can be looked at without a display or hardware. Without a
// display (QT_QPA_PLATFORM=offscreen) it draws on two screens of common laptops, 1366 x 768
// and 1024 x 768 beside it, so the pictures of the main window show that it fits there.
#include "Shots.h"
#include "support/MainRig.h"

#include "modem/frmSMS1.h"
#include "phonelist/frmTelNr.h"
#include "platform/Translations.h"
#include "simbook/frmSimList.h"
#include "sms/frmListe.h"
#include "sms/frmSendSM.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

void saveShot(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

namespace {

// Moves a window's frame in the work area.
void placeFrame(QWidget *w, int x, int y)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget()))
        sub->move(x, y);
}

// The main window as the user works in it on a 1366 x 768 screen, at the size of its first
// start: the registration window after a registration beside the send window, and the
// received messages beside the SIM list. These are the pictures the README starts with.
void shotsWorkArea(MainRig &r, const QString &out)
{
    frmAnfang &main = *r.main;
    // The baud-rate scan's pictures left the line at another speed.
    main.comm().setSettings(QStringLiteral("9600,n,8,1"));
    main.ComStatus();
    const auto active = [&main] { return main.mdiArea->activeSubWindow()->widget(); };
    main.openRegistration();
    auto *reg = qobject_cast<frmSMS1 *>(main.registrationWindow());
    reg->txtPIN->setText(QStringLiteral("1234"));
    reg->cmdD1->click();
    reg->cmdModemOn->click();
    main.openSend();
    auto *send = qobject_cast<frmSendSM *>(active());
    send->Eingabe->setPlainText(QStringLiteral("Hallo Bernd, das Paket ist angekommen. Danke!"));
    placeFrame(reg, 0, 0);
    placeFrame(send, reg->parentWidget()->width() + 8, 0);
    main.ReceiveLoop();
    saveScreenShot(&main, out, QStringLiteral("varnix"));

    for (QMdiSubWindow *sub : main.mdiArea->subWindowList())
        sub->hide();
    r.sim->modem().storeSms({"REC UNREAD", "+4917012345678", "24/05/02,08:15:10+08", "Guten Morgen! Heute um 10?"}, 1);
    r.sim->modem().storeSms({"REC UNREAD", "+4916055501234", "24/05/02,09:41:57+08", "Paket ist da."}, 3);
    main.openReceived();
    auto *list = qobject_cast<frmListe *>(active());
    list->cmdLes->click();
    main.openSimList();
    auto *sim = qobject_cast<frmSimList *>(active());
    sim->edTZahl->setText(QStringLiteral("12"));
    sim->cmdReadOut->click();
    placeFrame(list, 0, 0);
    placeFrame(sim, list->parentWidget()->width() + 8, 0);
    main.ReceiveLoop();
    saveScreenShot(&main, out, QStringLiteral("varnix-received"));
    for (QMdiSubWindow *sub : main.mdiArea->subWindowList())
        sub->hide();
}

// Two screens for the offscreen platform: a 1366 x 768 laptop and a 1024 x 768 one to its
// right. The file must outlive the application's start.
void describeScreens(QTemporaryDir &dir)
{
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen" || !dir.isValid())
        return;
    const QString name = dir.filePath(QStringLiteral("screens.json"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(R"({"screens": [
        {"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "dpr": 1},
        {"name": "small", "x": 1366, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "dpr": 1}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(name));
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir screens;
    describeScreens(screens);
    QApplication app(argc, argv);
    LoadGermanQtTranslations();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    {
        QFile f(QStringLiteral("phone.lst"));
        f.open(QIODevice::WriteOnly);
        f.write("Anna Beispiel;+4917012345678\r\nBernd Muster;+4915198765432\r\nCarla Demo;01761234567\r\n"
                "J\xFCrgen Wei\xDF;+4916055501234\r\n");
    }
    MainRig r;
    r.attachModem();
    r.main->show();
    auto *reg = new frmSMS1(*r.main, r.main.get());
    reg->txtPIN->setText(QStringLiteral("1234"));
    reg->cmdD1->click();
    reg->cmdModemOn->click();
    reg->cmdEigene->click();
    r.main->ReceiveLoop();
    saveShot(r.main.get(), out, QStringLiteral("frmAnfang"));
    saveShot(reg, out, QStringLiteral("frmSMS1"));
    auto *send = new frmSendSM(*r.main, r.main.get());
    send->Eingabe->setPlainText(QStringLiteral("Hallo Anna, wir treffen uns um 18 Uhr am Bahnhof. Bis später!"));
    saveShot(send, out, QStringLiteral("frmSendSM"));
    send->cmdNext->click();
    saveShot(send, out, QStringLiteral("frmSendSM-recipients"));
    send->Eingabe->setPlainText(QString(170, QLatin1Char('x')));
    saveShot(send, out, QStringLiteral("frmSendSM-long"));
    // A message of today: Unicode in three parts with a status report asked for, what the window
    // says after it went, and the reports that make it delivered in the archive.
    send->Eingabe->setPlainText(QStringLiteral("Grüße aus Köln 😀 Wir sind gut angekommen, das Hotel liegt direkt "
                                               "am Rhein. Morgen geht es weiter nach Bonn, am Sonntag sind wir "
                                               "zurück. Привет от Ани!"));
    send->chkBericht->setChecked(true);
    saveShot(send, out, QStringLiteral("frmSendSM-today"));
    send->cmdSend->click();
    saveShot(send, out, QStringLiteral("frmSendSM-today-sent"));
    send->chkBericht->setChecked(false);
    r.sim->advance(6000);
    r.main->ReceiveLoop();
    frmTelNr &tel = frmTelNr::Instance(r.main.get());
    QTimer::singleShot(300, [&] {
        tel.grab().save(QDir(out).filePath(QStringLiteral("frmTelNr.png")));
        tel.cmdEsc->click();
    });
    tel.ShowModal();

    reg->hide();
    send->hide();

    shotsReceive(r, out);
    shotsBeyond(r, out);
    shotsSimBook(r, out);
    shotsConfig(r, out);
    shotsText(r, out);
    shotsWorkArea(r, out);
    shotsSmallScreen(r, out);
    shotsRobust(r, out);

    // A question box as the user sees it, with the German standard buttons.
    QTimer::singleShot(300, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->grab().save(QDir(out).filePath(QStringLiteral("question.png")));
            box->close();
        }
    });
    WidgetDialogs widgets;
    static_cast<Dialogs &>(widgets).message(QStringLiteral("Bestehende Datei ersetzen - /home/anna/modem.log?"), MsgButtons::YesNoCancel,
                            MsgIcon::Question);
    return 0;
}
