#include "main/IconLabel.h"

#include "platform/ControlName.h"

#include <QMouseEvent>

IconLabel::IconLabel(const QString &name, const QString &spokenName, const QPixmap &pm, QWidget *parent)
    : QLabel(parent)
{
    Named(this, name, spokenName);
    // What the icon opens, for the mouse as for the screen reader.
    setToolTip(spokenName);
    setPixmap(pm);
    const QSize size = pm.deviceIndependentSize().toSize(); // a 2x picture has twice the pixels
    setFixedSize(size.width() + 4, size.height() + 4);
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
}

void IconLabel::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(e);
}

void IconLabel::mouseMoveEvent(QMouseEvent *e)
{
    setBordered(false);
    e->accept();
}
