// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>

namespace huesift {

// PNG's Paeth predictor of one byte from its left, above and upper-left neighbours: whichever
// is nearest to left + above - upper-left, ties going to left, then above.
inline int PaethPredictor(int left, int above, int corner) {
  const int toLeft = std::abs(above - corner);
  const int toAbove = std::abs(left - corner);
  const int toCorner = std::abs(left + above - 2 * corner);
  return toLeft <= toAbove && toLeft <= toCorner ? left : toAbove <= toCorner ? above : corner;
}

}  // namespace huesift
