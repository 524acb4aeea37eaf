#include "main/Icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace icons {
namespace {

// The sources are drawn on the grid of their usual size (16, 20, 32 or 48 units) with
// outlines on half units, so at 1x and 2x every edge lands on a whole pixel.
QPixmap render(const char *name, int size)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const int side = std::max(1, int(std::lround(size * ratio)));
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    if (svg.isValid()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
    }
    pm.setDevicePixelRatio(ratio);
    return pm;
}

} // namespace

QPixmap modem(int size) { return render("modem", size); }
QPixmap send(int size) { return render("send", size); }
QPixmap receive(int size) { return render("receive", size); }
QPixmap terminal(int size) { return render("terminal", size); }
QPixmap reading(int size) { return render("reading", size); }
QPixmap connected(int size) { return render("port-open", size); }
QPixmap notConnected(int size) { return render("port-closed", size); }
QPixmap logOpen(int size) { return render("log-open", size); }
QPixmap logClose(int size) { return render("log-close", size); }
QPixmap plug(int size) { return render("plug", size); }
QPixmap dial(int size) { return render("dial", size); }
QPixmap simCard(int size) { return render("sim-card", size); }
QPixmap properties(int size) { return render("properties", size); }
QPixmap phoneList(int size) { return render("phone-list", size); }
QPixmap exit(int size) { return render("exit", size); }
QPixmap logo(int size) { return render("logo", size); }

} // namespace icons
