#include "main/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace icons {
namespace {

// Draws on a 32 x 32 grid scaled to the requested size.
template <typename Fn> QPixmap draw(int size, Fn fn)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    fn(p);
    return pm;
}

void envelope(QPainter &p, const QColor &fill)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(fill);
    p.drawRect(QRectF(3, 9, 26, 18));
    p.drawPolyline(QPolygonF({QPointF(3, 9), QPointF(16, 20), QPointF(29, 9)}));
}

void arrow(QPainter &p, bool down, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPolygonF poly;
    if (down)
        poly << QPointF(20, 0) << QPointF(28, 0) << QPointF(28, 6) << QPointF(32, 6) << QPointF(24, 13)
             << QPointF(16, 6) << QPointF(20, 6);
    else
        poly << QPointF(16, 7) << QPointF(24, 0) << QPointF(32, 7) << QPointF(28, 7) << QPointF(28, 13)
             << QPointF(20, 13) << QPointF(20, 7);
    p.drawPolygon(poly);
}

} // namespace

QPixmap modem(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(50, 50, 50), 1.5));
        p.setBrush(QColor(200, 205, 215));
        p.drawRoundedRect(QRectF(2, 14, 28, 12), 3, 3);
        p.drawLine(QPointF(24, 14), QPointF(27, 3));
        p.setPen(Qt::NoPen);
        const QColor leds[] = {QColor(0, 170, 0), QColor(0, 170, 0), QColor(230, 160, 0), QColor(200, 0, 0)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(leds[i]);
            p.drawEllipse(QRectF(6 + i * 5, 19, 3, 3));
        }
    });
}

QPixmap send(int size)
{
    return draw(size, [](QPainter &p) {
        envelope(p, QColor(255, 250, 220));
        arrow(p, false, QColor(0, 140, 0));
    });
}

QPixmap receive(int size)
{
    return draw(size, [](QPainter &p) {
        envelope(p, QColor(230, 240, 255));
        arrow(p, true, QColor(0, 90, 200));
    });
}

QPixmap terminal(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(50, 50, 50), 1.5));
        p.setBrush(QColor(25, 25, 25));
        p.drawRoundedRect(QRectF(2, 4, 28, 20), 2, 2);
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(11, 25, 10, 3));
        p.setPen(QPen(QColor(0, 220, 0), 2));
        p.drawPolyline(QPolygonF({QPointF(6, 9), QPointF(10, 13), QPointF(6, 17)}));
        p.drawLine(QPointF(12, 18), QPointF(19, 18));
    });
}

QPixmap reading(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 120, 215));
        p.drawPolygon(QPolygonF({QPointF(4, 6), QPointF(28, 16), QPointF(4, 26)}));
    });
}

static QPixmap lamp(int size, const QColor &c)
{
    return draw(size, [c](QPainter &p) {
        QRadialGradient g(QPointF(13, 12), 16);
        g.setColorAt(0, c.lighter(170));
        g.setColorAt(1, c);
        p.setPen(QPen(c.darker(160), 2));
        p.setBrush(g);
        p.drawEllipse(QRectF(3, 3, 26, 26));
    });
}

QPixmap connected(int size) { return lamp(size, QColor(0, 170, 0)); }
QPixmap notConnected(int size) { return lamp(size, QColor(200, 0, 0)); }

static QPixmap page(int size, const QColor &mark, bool cross)
{
    return draw(size, [mark, cross](QPainter &p) {
        p.setPen(QPen(QColor(70, 70, 70), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 2, 18, 26));
        p.setPen(QPen(QColor(150, 150, 150), 1.2));
        for (int y = 8; y <= 22; y += 4)
            p.drawLine(QPointF(9, y), QPointF(21, y));
        p.setPen(QPen(mark, 3));
        if (cross) {
            p.drawLine(QPointF(18, 18), QPointF(29, 29));
            p.drawLine(QPointF(29, 18), QPointF(18, 29));
        } else {
            p.drawLine(QPointF(23, 19), QPointF(23, 30));
            p.drawLine(QPointF(18, 24), QPointF(28, 24));
        }
    });
}

QPixmap logOpen(int size) { return page(size, QColor(0, 140, 0), false); }
QPixmap logClose(int size) { return page(size, QColor(200, 0, 0), true); }

QPixmap plug(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(QColor(90, 110, 140));
        p.drawRoundedRect(QRectF(6, 10, 20, 12), 2, 2);
        p.setBrush(QColor(220, 220, 220));
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QRectF(9 + i * 4, 13, 2.5, 2.5));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QRectF(11 + i * 4, 17, 2.5, 2.5));
    });
}

QPixmap dial(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(QColor(60, 60, 60));
        QPainterPath h;
        h.moveTo(4, 12);
        h.cubicTo(10, 2, 22, 2, 28, 12);
        h.lineTo(23, 15);
        h.lineTo(20, 10);
        h.cubicTo(17, 9, 15, 9, 12, 10);
        h.lineTo(9, 15);
        h.closeSubpath();
        p.drawPath(h);
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(8, 17, 16, 11), 2, 2);
    });
}

QPixmap simCard(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(QColor(240, 240, 240));
        p.drawPolygon(QPolygonF({QPointF(6, 2), QPointF(20, 2), QPointF(26, 8), QPointF(26, 30), QPointF(6, 30)}));
        p.setBrush(QColor(215, 180, 60));
        p.drawRoundedRect(QRectF(10, 13, 12, 11), 2, 2);
    });
}

QPixmap properties(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(70, 70, 70), 2));
        p.setBrush(QColor(170, 170, 180));
        p.drawEllipse(QRectF(7, 7, 18, 18));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(16, 16);
            p.rotate(i * 45);
            p.drawRect(QRectF(-2, -14, 4, 5));
            p.restore();
        }
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(12.5, 12.5, 7, 7));
    });
}

QPixmap phoneList(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(70, 50, 30), 1.5));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(6, 3, 20, 26));
        p.setBrush(QColor(250, 245, 230));
        p.drawRect(QRectF(9, 6, 14, 20));
        p.setPen(QPen(QColor(120, 120, 120), 1.2));
        for (int y = 10; y <= 22; y += 4)
            p.drawLine(QPointF(11, y), QPointF(21, y));
    });
}

QPixmap exit(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(70, 70, 70), 1.5));
        p.setBrush(QColor(160, 110, 60));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(QPointF(15, 16), QPointF(29, 16));
        p.drawPolyline(QPolygonF({QPointF(24, 11), QPointF(29, 16), QPointF(24, 21)}));
    });
}

QPixmap logo(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(QPen(QColor(30, 30, 30), 1.5));
        p.setBrush(QColor(40, 70, 120));
        p.drawRoundedRect(QRectF(9, 2, 14, 28), 3, 3);
        p.setBrush(QColor(180, 220, 255));
        p.drawRect(QRectF(11, 6, 10, 10));
        p.setPen(QPen(QColor(220, 220, 220), 1));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawPoint(QPointF(13 + c * 3, 19 + r * 3));
    });
}

} // namespace icons
