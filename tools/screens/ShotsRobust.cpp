#include "Shots.h"
#include "support/MainRig.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

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

    QTimer::singleShot(300, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->grab().save(QDir(out).filePath(QStringLiteral("link-lost.png")));
            box->close();
        }
    });
    WidgetDialogs widgets;
    static_cast<Dialogs &>(widgets).message(rig.p.dialogs.shown.last().text, MsgButtons::Ok, MsgIcon::Exclamation);
    main.ComToggle();
}
