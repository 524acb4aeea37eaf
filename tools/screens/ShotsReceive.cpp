#include "Shots.h"
#include "support/MainRig.h"

#include "sms/frmListe.h"
#include "sms/frmZyklus.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

// The received-messages window after a cycle that filed four messages, one of them a long one
// with a part missing, and the interval dialog.
void shotsReceive(MainRig &rig, const QString &out)
{
    modemsim::Modem &modem = rig.sim->modem();
    modem.storeSms({"REC UNREAD", "+4917012345678", "24/05/01,12:30:05+08", "Hallo, bist du schon da?"}, 2);
    modem.storeSms({"REC UNREAD", "+4915198765432", "24/05/01,18:02:41+08",
                    "Gr\xFC\xDF" "e aus K\xF6ln!\r\nZweite Zeile"},
                   5);
    // Messages of today: Turkish letters in UCS2, and a long message with an emoji whose second
    // part has not come yet.
    modemsim::Incoming turkish;
    turkish.number = "+905321234567";
    turkish.text = QStringLiteral("Merhaba! İyi günler, şimdi geliyorum.");
    turkish.timestamp = "24/05/01,19:10:00+12";
    modemsim::Incoming longOne;
    longOne.number = "+4916012345678";
    longOne.text = QStringLiteral("Wir kommen am Samstag gegen 15 Uhr 🚗 und bringen Kuchen mit. ") + QString(60, u'·') +
                   QStringLiteral(" Bis dann, Anna und Jürgen 😀 ") + QString(60, u'·');
    longOne.timestamp = "24/05/01,20:45:12+08";
    longOne.parts = {1, 3};
    modem.preload(turkish);
    modem.preload(longOne);
    // As the main window shows it: a child window of the work area, with its caption.
    auto *list = new frmListe(*rig.main, rig.main.get());
    const QSize mainSize = rig.main->size();
    rig.main->resize(1000, 900);
    QMdiSubWindow *sub = rig.main->mdiArea->addSubWindow(list);
    sub->show();
    list->cmdLes->click();
    saveShot(list, out, QStringLiteral("frmListe"));
    saveShot(sub, out, QStringLiteral("frmListe-frame"));

    frmZyklus dialog(list->pollInterval(), rig.main.get());
    saveShot(&dialog, out, QStringLiteral("frmZyklus"));
    list->close();
    rig.main->resize(mainSize);
}
