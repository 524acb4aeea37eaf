#include "Shots.h"
#include "support/MainRig.h"

#include "simbook/frmSimList.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>

// The SIM list window as a child of the work area: during a read-out of the card, after it,
// and with the input row open over the grid.
void shotsSimBook(MainRig &rig, const QString &out)
{
    const modemsim::PhoneEntry book[] = {
        {"+4917012345678", 145, "Anna Beispiel"}, {"+4915198765432", 145, "Bernd Muster"},
        {"01761234567", 129, "Carla Demo"},       {"+4916055501234", 145, "J\xFCrgen Wei\xDF"},
        {"0301234567", 129, "Praxis Dr. Meier"},  {"112", 129, "Notruf"},
        {"+4930987654", 145, "B\xFCro"},           {"017099887766", 129, "Oma & Opa"},
    };
    for (const auto &entry : book)
        rig.sim->modem().writePhoneEntry("SM", entry);

    // As the main window shows it: in a frame of the work area, sized to the window.
    auto *w = new frmSimList(*rig.main);
    const QSize inner = w->size();
    QMdiSubWindow *sub = rig.main->mdiArea->addSubWindow(w);
    sub->show();
    const QMargins m = sub->contentsMargins();
    sub->resize(inner.width() + m.left() + m.right(), inner.height() + m.top() + m.bottom());
    w->edTZahl->setText(QStringLiteral("12"));
    rig.p.clock.scheduleIn(7.5, [&] { saveShot(sub, out, QStringLiteral("frmSimList-reading")); });
    w->cmdReadOut->click();
    saveShot(sub, out, QStringLiteral("frmSimList"));

    w->tabTelefon->setCurrentCell(4, 1);
    w->cmdEdit->click();
    saveShot(sub, out, QStringLiteral("frmSimList-edit"));
    w->DataChanged = false;
    sub->close(); // the window hides itself; the frame goes with it
    sub->hide();
}
