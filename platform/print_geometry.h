// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace huesift {

// Printer pixels per picture pixel: full size, and "Print 1/3 Size" (not a third of it).
inline constexpr double kPrintScale = 4.33;
inline constexpr double kSmallPrintScale = 3.33;

// Where a raster lands on the page, in printer device pixels from the printable area's
// top-left corner: its size times the scale, rounded down.
inline QRect PrintRectangle(QSize raster, double scale) {
  return QRect(0, 0, static_cast<int>(std::floor(raster.width() * scale)),
               static_cast<int>(std::floor(raster.height() * scale)));
}

}  // namespace huesift
