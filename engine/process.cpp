#include "engine/process.h"

#include <algorithm>

#include "engine/process_kernels.h"

namespace huesift {

namespace detail {

namespace {

bool IsPixelColour(Colour c) {
  return c >= 0 && c <= kWhite;
}

// Multiply-shift hashing with a random odd multiplier maps two distinct keys to one slot
// with probability at most 2 / slots, so for 64 colours in 8192 slots a try fails less than
// half the time; a fixed sequence of tries keeps runs reproducible.
bool FindHash(RetainedSet& set) {
  int bits = 4;
  while ((1 << bits) < 4 * set.count) ++bits;
  std::uint64_t seed = 0x9E3779B97F4A7C15ull;
  std::vector<std::uint8_t> used;
  for (; bits <= 13; ++bits) {
    for (int attempt = 0; attempt < 64; ++attempt) {
      seed += 0x9E3779B97F4A7C15ull;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      set.multiplier = static_cast<std::uint32_t>(z ^ (z >> 31)) | 1u;
      set.shift = 32 - bits;
      used.assign(std::size_t{1} << bits, 0);
      bool clash = false;
      for (int i = 0; i < set.count && !clash; ++i) clash = used[set.slotOf(set.colours[i])]++;
      if (clash) continue;
      set.slots.assign(std::size_t{1} << bits, 0);
      for (int i = 0; i < set.count; ++i) set.slots[set.slotOf(set.colours[i])] = set.colours[i];
      return true;
    }
  }
  set.multiplier = 0;
  set.shift = 32;
  return false;
}

}  // namespace

RetainedSet CompileRetainedSet(const ColourTable& table, bool allowHash) {
  RetainedSet set;
  for (const Colour c : table) {
    if (!IsPixelColour(c)) continue;
    const std::uint32_t stored = ToStored(c);
    const auto end = set.colours.begin() + set.count;
    if (std::find(set.colours.begin(), end, stored) == end) set.colours[set.count++] = stored;
  }
  if (allowHash && set.count > 0) FindHash(set);
  return set;
}

}  // namespace detail

namespace {

bool vectorAllowed = true;

using RowKernel = void (*)(std::uint32_t*, int, const detail::RowJob&);

RowKernel ChooseKernel(const detail::RetainedSet& set) {
  const bool vectorFits = set.count <= 8 || set.multiplier != 0;
  if (vectorAllowed && vectorFits && ProcessVectorKernelAvailable()) return detail::ProcessRowAvx2;
  return detail::ProcessRowScalar;
}

}  // namespace

bool ProcessVectorKernelAvailable() {
  static const bool available = detail::Avx2Supported();
  return available;
}

void SetProcessVectorKernelAllowed(bool allowed) {
  vectorAllowed = allowed;
}

int RunProcessPass(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                   const ProcessHooks& hooks) {
  const detail::RetainedSet set = detail::CompileRetainedSet(retained);
  const RowKernel kernel = ChooseKernel(set);
  detail::RowJob job;
  job.pass = pass;
  job.set = &set;

  // The hooks are asked in the same order and as often per row as the pixel-by-pixel walk
  // asks them, except the per-pixel questions: nothing can change them between two rows'
  // worth of pixels, because only a pump runs other code.
  int rows = 0;
  for (int y = 0; y < height; ++y) {
    if (hooks.progress() % 50 == 0) {
      hooks.pump();
      if (hooks.stopRequested()) return rows;
    }
    hooks.setProgress(std::min(hooks.progress() + 1, gaugeMax));
    const int width = hooks.displayedWidth();
    if (width > 0) {
      if (hooks.stopRequested()) return rows;
      Picture* picture = hooks.picture();
      if (picture != nullptr && y < picture->height()) {
        job.convert = pass != ProcessPass::White && hooks.convertToColor();
        job.pen = ToStored(hooks.processColor());
        kernel(picture->row(y), std::min(width, picture->width()), job);
      }
    }
    ++rows;
  }
  return rows;
}

}  // namespace huesift
