#include "Shots.h"
#include "support/MainRig.h"

#include "modem/frmPuk.h"
#include "phonelist/frmTelNr.h"
#include "platform/WorkFolder.h"
#include "sms/frmArchiv.h"
#include "sms/frmSendSM.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Two SMS files of earlier runs beside whatever the received-messages pictures filed.
void writeEarlierRuns()
{
    const QByteArray head = "Datei angelegt am: 03-14-2024, 08:12:40\r\n";
    const auto rec = [](const char *number, const char *stamp, const char *text) {
        return "\"" + QByteArray(number) + "\",,\"" + stamp + "+04\"\r\n" + text + "\r\n\r\nOK\r\n\r\n";
    };
    QFile a(platform::workFile(QStringLiteral("SMS00007.DAT")));
    if (a.open(QIODevice::WriteOnly))
        a.write(head + rec("+4917012345678", "24/03/14,08:15:02", "Guten Morgen! Kommst du heute zum Essen?")
                + rec("+4916055501234", "24/03/14,12:40:55", "Paket ist angekommen, danke!")
                + rec("01761234567", "24/03/15,19:03:11",
                      "Treffen verschoben auf Samstag.\r\nGleiche Zeit, gleicher Ort.")
                + rec("+4930123456", "24/03/16,09:00:00", "Ihr Termin am 18.03. um 10:30 Uhr ist best\xE4tigt."));
    QFile b(platform::workFile(QStringLiteral("SMS00008.DAT")));
    if (b.open(QIODevice::WriteOnly))
        b.write(head + rec("+4915198765432", "24/04/02,17:45:30", "Sch\xF6ne Gr\xFC\xDF" "e aus K\xF6ln!")
                + rec("+4917012345678", "24/04/03,07:30:00", "Bin in 10 Minuten da."));
    // A file someone else put under an SMS name: named in the status line, never read.
    QFile c(platform::workFile(QStringLiteral("SMS00009.DAT")));
    if (c.open(QIODevice::WriteOnly))
        c.write("Dies ist keine SMS-Datei.\r\n");
}

void shotArchive(MainRig &rig, const QString &out)
{
    writeEarlierRuns();
    rig.main->openArchive();
    auto *w = rig.main->findChild<frmArchiv *>();
    saveShot(w, out, QStringLiteral("frmArchiv"));
    saveShot(w->parentWidget(), out, QStringLiteral("frmArchiv-frame"));
    w->txtSuche->setText(QStringLiteral("köln"));
    saveShot(w, out, QStringLiteral("frmArchiv-search"));
    w->close();
}

void shotSendToSeveral(MainRig &rig, const QString &out)
{
    auto *send = new frmSendSM(*rig.main, rig.main.get());
    send->Eingabe->setPlainText(QStringLiteral("Die Probe am Freitag fällt aus. Nächster Termin: Dienstag, 19 Uhr."));
    send->cmdNext->click();
    send->lstEmpf->clearSelection();
    for (int i = 0; i < send->lstEmpf->count() && i < 3; ++i)
        send->lstEmpf->item(i)->setSelected(true);
    saveShot(send, out, QStringLiteral("frmSendSM-several"));
    int cmgs = 0;
    rig.fake->setResponder([&](const QByteArray &b) {
        if (b.startsWith("AT+CMGS") && ++cmgs == 2)
            saveShot(send, out, QStringLiteral("frmSendSM-several-running"));
        rig.sim->send(rig.sim->modem().receive(b));
    });
    send->cmdSend->click();
    rig.fake->setResponder([&rig](const QByteArray &b) { rig.sim->send(rig.sim->modem().receive(b)); });

    // The closing summary as the user sees it.
    const QString summary = rig.p.dialogs.shown.isEmpty() ? QString() : rig.p.dialogs.shown.last().text;
    QTimer::singleShot(300, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->grab().save(QDir(out).filePath(QStringLiteral("frmSendSM-several-summary.png")));
            box->close();
        }
    });
    WidgetDialogs widgets;
    static_cast<Dialogs &>(widgets).message(summary, MsgButtons::Ok, MsgIcon::Information);
    delete send;
}

void shotPuk(MainRig &rig, const QString &out)
{
    frmPuk dialog(QStringLiteral("Noch 10 Versuche. Nach dem letzten falschen Versuch ist die SIM-Karte unbrauchbar."),
                  rig.main.get());
    saveShot(&dialog, out, QStringLiteral("frmPuk"));
    dialog.txtPUK->setText(QStringLiteral("12345678"));
    dialog.txtNeuePIN->setText(QStringLiteral("4321"));
    dialog.txtNeuePIN2->setText(QStringLiteral("4321"));
    saveShot(&dialog, out, QStringLiteral("frmPuk-filled"));
}

} // namespace

// The message archive over three earlier runs and a foreign file, a text going to three names
// (before, during and after), and the PUK dialog.
void shotsBeyond(MainRig &rig, const QString &out)
{
    shotArchive(rig, out);
    shotSendToSeveral(rig, out);
    shotPuk(rig, out);
}
