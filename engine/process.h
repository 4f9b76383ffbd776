// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

#include "engine/colour.h"
#include "engine/picture.h"

namespace huesift {

enum class ProcessPass { White, Strip, Reverse };

// How near a pixel must come to a retained colour to count as retained: with a distance N,
// each of its red, green and blue values differs from that colour's by at most N. At 0 (the
// default) only the retained colours themselves count, compared as they always were.
inline constexpr int kMaxSimilarDistance = 255;

// What a pass needs from its surroundings. Everything but the picture's pixels can change
// only inside pump(), so a pass may work on whole stretches of rows between two pumps.
struct ProcessHooks {
  std::function<void()> pump;             // let pending user-interface events run
  std::function<bool()> stopRequested;    // polled after each pump (and conceptually per pixel)
  std::function<Picture*()> picture;      // the working raster; may be replaced in a pump
  std::function<int()> displayedWidth;    // W, read again for every row
  std::function<bool()> convertToColour;  // "Convert to Color" tick
  std::function<Colour()> processColor;
  std::function<int()> progress;         // gauge progress
  std::function<void(int)> setProgress;  // gauge progress, never above gaugeMax
};

// Walks rows 0..height-1 of the working picture applying one pass's pixel rule, with the
// row walk's event pump and stop test. retained is the table as it stood when the run began.
// The result is exactly that of visiting every pixel one by one in row order (see
// RunProcessPassReference), only faster.
// Returns the number of rows walked to their end; a stop leaves the rest untouched.
int RunProcessPass(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                   const ProcessHooks& hooks, int similarDistance = 0);

// The same pass over every row of a picture that nothing else touches meanwhile: no events
// to let through, no stop, and the "Convert to Color" tick and the process colour fixed for
// the whole walk. Gives exactly the pixels RunProcessPass gives with hooks that answer so.
void ProcessWholePicture(ProcessPass pass, Picture& picture, const ColourTable& retained,
                         bool convertToColour, Colour processColor, int similarDistance = 0);

// How many pixels of the picture's first width columns and height rows (as far as it has
// them) count as retained at this distance: what a strip pass would keep. Fast enough to be
// asked again at every step of a slider on a 4K picture.
std::int64_t CountRetainedPixels(const Picture& picture, int width, int height,
                                 const ColourTable& retained, int similarDistance);

// The plain pixel-by-pixel walk: per pixel a stop test, a bounds-checked read, a search of
// all 64 slots and a bounds-checked write. It is the yardstick that RunProcessPass is tested
// and measured against, not something the program runs.
int RunProcessPassReference(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                            const ProcessHooks& hooks, int similarDistance = 0);

// Row kernels from the plainest to the widest. Runs use the widest that the CPU offers and
// the run's colour table suits; tests and benchmarks can cap it to compare them on one machine.
enum class ProcessKernel { Portable, Avx2, Avx512 };
ProcessKernel WidestProcessKernel();  // what this CPU can run
void LimitProcessKernel(ProcessKernel widest);

}  // namespace huesift
