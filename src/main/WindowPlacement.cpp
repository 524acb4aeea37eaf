#include "main/WindowPlacement.h"

#include <algorithm>

namespace placement {

namespace {

// One axis: the frame's length cut to the room, then its start moved so that it ends inside.
void fitAxis(int wantedStart, int wantedLength, int roomStart, int roomLength, int &start, int &length)
{
    length = std::min(wantedLength, roomLength);
    start = std::clamp(wantedStart, roomStart, roomStart + roomLength - length);
}

} // namespace

QRect FitMainWindow(const QRect &wanted, const QRect &available, const QMargins &frame)
{
    const int sidesW = frame.left() + frame.right();
    const int sidesH = frame.top() + frame.bottom();
    int x = 0, y = 0, w = 0, h = 0;
    fitAxis(wanted.x(), wanted.width() + sidesW, available.x(), available.width(), x, w);
    fitAxis(wanted.y(), wanted.height() + sidesH, available.y(), available.height(), y, h);
    return {x, y, std::max(1, w - sidesW), std::max(1, h - sidesH)};
}

QRect PlaceChild(const QSize &area, const QSize &wanted, const QSize &minimum, const QPoint &at)
{
    // A child cannot be smaller than its minimum; where the area is smaller still, its
    // top-left corner stays in sight and the work area's scroll bars reach the rest.
    const int w = std::max(std::min(wanted.width(), area.width()), minimum.width());
    const int h = std::max(std::min(wanted.height(), area.height()), minimum.height());
    const int x = std::clamp(at.x(), 0, std::max(0, area.width() - w));
    const int y = std::clamp(at.y(), 0, std::max(0, area.height() - h));
    return {x, y, w, h};
}

} // namespace placement
