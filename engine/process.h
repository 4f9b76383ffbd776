#pragma once

#include <functional>

#include "engine/colour.h"
#include "engine/picture.h"

namespace huesift {

enum class ProcessPass { White, Strip, Reverse };

// What a pass needs from its surroundings. Everything but the picture's pixels can change
// only inside pump(), so a pass may work on whole stretches of rows between two pumps.
struct ProcessHooks {
  std::function<void()> pump;            // let pending user-interface events run
  std::function<bool()> stopRequested;   // polled after each pump (and conceptually per pixel)
  std::function<Picture*()> picture;     // the working raster; may be replaced in a pump
  std::function<int()> displayedWidth;   // W, read again for every row
  std::function<bool()> convertToColor;  // "Convert to Color" tick
  std::function<Colour()> processColor;
  std::function<int()> progress;         // gauge progress
  std::function<void(int)> setProgress;  // gauge progress, never above gaugeMax
};

// Walks rows 0..height-1 of the working picture applying one pass's pixel rule, with the
// row walk's event pump and stop test. retained is the table as it stood when the run began.
// Returns the number of rows whose pixels were (at least partly) visited.
int RunProcessPass(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                   const ProcessHooks& hooks);

}  // namespace huesift
