// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdlib>

#include "engine/process.h"

namespace huesift {

namespace {

bool Retained(const ColourTable& table, Colour c, int distance) {
  if (distance <= 0) {
    for (int i = 0; i < kMaxColours; ++i)
      if (table[i] == c) return true;
    return false;
  }
  distance = std::min(distance, kMaxSimilarDistance);
  for (int i = 0; i < kMaxColours; ++i) {
    const Colour r = table[i];
    if (r < 0 || r > kWhite) continue;  // empty slots and values no pixel has
    bool near = true;
    for (int shift = 0; shift < 24; shift += 8)
      near = near && std::abs(((c >> shift) & 0xFF) - ((r >> shift) & 0xFF)) <= distance;
    if (near) return true;
  }
  return false;
}

}  // namespace

// Deliberately naive: every question is asked where the row walk asks it, every pixel goes
// through the bounds-checked accessors.
int RunProcessPassReference(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                            const ProcessHooks& hooks, int similarDistance) {
  int rows = 0;
  for (int y = 0; y < height; ++y) {
    if (hooks.progress() % 50 == 0) {
      hooks.pump();
      if (hooks.stopRequested()) return rows;
    }
    hooks.setProgress(std::min(hooks.progress() + 1, gaugeMax));
    const int width = hooks.displayedWidth();
    for (int x = 0; x < width; ++x) {
      if (hooks.stopRequested()) return rows;
      Picture* picture = hooks.picture();
      if (picture == nullptr) continue;
      const Colour c = picture->pixel(x, y);
      switch (pass) {
        case ProcessPass::White:
          if (c == kWhite) picture->setPixel(x, y, hooks.processColor());
          break;
        case ProcessPass::Strip:
          if (!Retained(retained, c, similarDistance))
            picture->setPixel(x, y, kWhite);
          else if (hooks.convertToColour())
            picture->setPixel(x, y, hooks.processColor());
          break;
        case ProcessPass::Reverse:
          if (c == kWhite || Retained(retained, c, similarDistance))
            picture->setPixel(x, y, kWhite);
          else if (hooks.convertToColour())
            picture->setPixel(x, y, hooks.processColor());
          break;
      }
    }
    ++rows;
  }
  return rows;
}

}  // namespace huesift
