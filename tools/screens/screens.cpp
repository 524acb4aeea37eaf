// varnix-screens OUTDIR: shows each window against the in-process simulated modem and saves
// a picture of it, so a layout can be looked at without a display or hardware.
#include "Shots.h"
#include "support/MainRig.h"

#include "modem/frmSMS1.h"
#include "phonelist/frmTelNr.h"
#include "platform/Translations.h"
#include "sms/frmSendSM.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void saveShot(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

int main(int argc, char *argv[])
{
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
    frmTelNr &tel = frmTelNr::Instance(r.main.get());
    QTimer::singleShot(300, [&] {
        tel.grab().save(QDir(out).filePath(QStringLiteral("frmTelNr.png")));
        tel.cmdEsc->click();
    });
    tel.ShowModal();

    shotsReceive(r, out);
    shotsSimBook(r, out);
    shotsConfig(r, out);
    shotsText(r, out);

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
