#include "Shots.h"
#include "modem/ModemTask.h"
#include "support/MainRig.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

namespace {

// Shows a message box as the program does and saves its picture.
void saveBox(const QString &out, const QString &name, const QString &text, MsgIcon icon)
{
    QTimer::singleShot(300, [out, name] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->grab().save(QDir(out).filePath(name + QStringLiteral(".png")));
            box->close();
        }
    });
    WidgetDialogs widgets;
    static_cast<Dialogs &>(widgets).message(text, MsgButtons::Ok, icon);
}

} // namespace

// The main window after a burst without line breaks (with a NUL in it) and a pulled-out
// modem: the pane holds the burst's end, the status bar shows the port closed; and the
// message the user gets for the lost connection.
void shotsRobust(MainRig &rig, const QString &out)
{
    frmAnfang &main = *rig.main;
    for (QMdiSubWindow *sub : main.mdiArea->subWindowList())
        sub->hide();
    QByteArray burst;
    for (int i = 0; burst.size() < 200000; ++i)
        burst += "+CIEV: \"signal\"," + QByteArray::number(i % 6) + ' ';
    burst += QByteArray("NUL:\0:", 6) + "\r\nOK\r\n";
    rig.fake->deliver(burst);
    main.ReceiveLoop();
    rig.fake->hangUp();
    saveShot(&main, out, QStringLiteral("frmAnfang-lost"));

    saveBox(out, QStringLiteral("link-lost"), rig.p.dialogs.shown.last().text, MsgIcon::Exclamation);
    main.ComToggle();

    // "Lesen" pressed while a message goes out: the box names the window that has the modem.
    saveBox(out, QStringLiteral("modem-busy"), ModemBusyMessage(QStringLiteral("SM senden")), MsgIcon::Information);
}
