#pragma once
#include <QRect>

#include <cmath>

// Geometry is stored and laid out in twips (1440 per inch). The window layouts were drawn
// for an 8-point system font; today's desktop fonts are wider, so every window is scaled by
// the same factor here and nowhere else: 15 twips to the logical pixel at 96 dpi, times 1.25.
namespace twips {
constexpr double kPerPixel = 15.0;
constexpr double kLayoutScale = 1.25;
inline int toPx(double tw) { return static_cast<int>(std::lround(tw * kLayoutScale / kPerPixel)); }
inline double fromPx(int px) { return px * kPerPixel / kLayoutScale; }
// Where a window's drawing in twips puts a control: the one way every window places a control
// from its twips.
inline QRect rect(double left, double top, double width, double height)
{
    return {toPx(left), toPx(top), toPx(width), toPx(height)};
}
} // namespace twips
