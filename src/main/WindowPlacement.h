#pragma once
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where windows go on the screen and in the work area. A window is only of use when all of it
// can be seen: nothing here ever leaves a part of a window outside the room it is given.
namespace placement {

// The main window at its first start: room for the terminal and two child windows side by
// side, as far as the screen allows.
inline constexpr double kFirstRunWidthTwips = 14880;
inline constexpr double kFirstRunHeightTwips = 10320;
// A frame drawn by the window manager, as large as the usual desktops draw it, for the time
// before the window is on the screen and its real frame is known.
inline constexpr QMargins kFrameAllowance{4, 38, 4, 4};

// The main window's geometry as it is kept: the frame's top-left corner and the size inside
// the frame. Moves and shrinks `wanted` so that the whole frame lies within `available`.
QRect FitMainWindow(const QRect &wanted, const QRect &available, const QMargins &frame);

// A child window of the work area (frame and all): at most as large as the area, never
// smaller than its minimum, at `at` if it fits there, else moved back until it does.
QRect PlaceChild(const QSize &area, const QSize &wanted, const QSize &minimum, const QPoint &at);

// Where a newly opened child starts: below and right of the ones already open, one step
// for each.
inline QPoint CascadePoint(int openChildren, int step)
{
    return {openChildren * step, openChildren * step};
}

} // namespace placement
