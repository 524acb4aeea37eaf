#pragma once
#include <cmath>

// Geometry is stored in twips (1440 per inch) so it moves between systems; on screen we use
// Qt's logical pixels, which are 96 per inch: 15 twips to the pixel.
namespace twips {
constexpr double kPerPixel = 15.0;
inline int toPx(double tw) { return static_cast<int>(std::lround(tw / kPerPixel)); }
inline double fromPx(int px) { return px * kPerPixel; }
} // namespace twips
