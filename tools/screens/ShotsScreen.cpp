#include "Shots.h"
#include "support/MainRig.h"

#include "simbook/frmSimList.h"
#include "sms/frmSendSM.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

void saveScreenShot(QWidget *window, const QString &dir, const QString &name)
{
    window->show();
    QApplication::processEvents();
    const QRect screen = window->screen()->geometry();
    QPixmap canvas(screen.size());
    canvas.fill(QColor(0x3b, 0x44, 0x52)); // the desktop
    QPainter p(&canvas);
    p.fillRect(window->frameGeometry().translated(-screen.topLeft()), QColor(0x58, 0x62, 0x70));
    p.drawPixmap(window->geometry().topLeft() - screen.topLeft(), window->grab());
    p.end();
    canvas.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// The second screen of the test display, 1024 x 768: a main window whose stored geometry is
// larger than that screen, with the send window, the SIM list and the received messages
// opened the way their icons open them.
void shotsSmallScreen(MainRig &rig, const QString &out)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        return;
    const QRect small = screens[1]->availableGeometry();
    const auto tw = [](int px) { return QString::number(px * 12); };
    rig.p.settings.set(keys::MainLeft, tw(small.x() - 40));
    rig.p.settings.set(keys::MainTop, tw(small.y()));
    rig.p.settings.set(keys::MainWidth, tw(1400));
    rig.p.settings.set(keys::MainHeight, tw(900));
    auto backend = std::make_unique<FakeSerialBackend>(rig.p.clock);
    FakeSerialBackend &fake = *backend;
    frmAnfang main(std::move(backend));
    main.endProgram = [] {};
    modemsim::Config config;
    config.pin.clear();
    SimulatedModem sim(fake, config);
    main.show();
    QApplication::processEvents();

    main.openSend();
    auto *send = qobject_cast<frmSendSM *>(main.mdiArea->activeSubWindow()->widget());
    send->Eingabe->setPlainText(QStringLiteral("Bin um 18 Uhr da."));
    main.openSimList();
    auto *book = qobject_cast<frmSimList *>(main.mdiArea->activeSubWindow()->widget());
    book->edTZahl->setText(QStringLiteral("12"));
    book->cmdReadOut->click();
    main.openArchive();
    saveScreenShot(&main, out, QStringLiteral("screen-1024x768"));
    for (QMdiSubWindow *sub : main.mdiArea->subWindowList())
        sub->close();
}
