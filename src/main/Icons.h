#pragma once
#include <QPixmap>

// The pictures of the windows, from the SVG set in data/icons compiled into the program.
// Each is drawn at the size asked for (in logical pixels) and at the screen's pixel ratio,
// so it stays sharp on a high-resolution display.
namespace icons {
QPixmap modem(int size = 32);
QPixmap send(int size = 32);
QPixmap receive(int size = 32);
QPixmap terminal(int size = 32);
QPixmap reading(int size = 16);
QPixmap connected(int size = 16);
QPixmap notConnected(int size = 16);
QPixmap logOpen(int size = 20);
QPixmap logClose(int size = 20);
QPixmap plug(int size = 20);
QPixmap dial(int size = 20);
QPixmap simCard(int size = 20);
QPixmap properties(int size = 20);
QPixmap phoneList(int size = 20);
QPixmap exit(int size = 20);
QPixmap logo(int size = 48);
} // namespace icons
