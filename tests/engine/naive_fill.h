// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "engine/picture.h"

namespace huesift::test {

// The literal fill: one pixel at a time off an explicit stack, every access bounds-checked.
// Slow and obviously right; the span fill is measured and checked against it.
inline std::size_t NaiveFloodFill(Picture& picture, int x, int y, Colour fill) {
  const Colour old = picture.pixel(x, y);
  if (old == kNoColour || old == fill) return 0;
  std::size_t changed = 0;
  std::vector<std::pair<int, int>> stack{{x, y}};
  while (!stack.empty()) {
    const auto [px, py] = stack.back();
    stack.pop_back();
    if (picture.pixel(px, py) != old) continue;
    picture.setPixel(px, py, fill);
    ++changed;
    stack.push_back({px + 1, py});
    stack.push_back({px - 1, py});
    stack.push_back({px, py + 1});
    stack.push_back({px, py - 1});
  }
  return changed;
}

}  // namespace huesift::test
