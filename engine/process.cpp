// SPDX-License-Identifier: GPL-3.0-or-later
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

// Hash and displace: keys are grouped into buckets by one part of the product, and each
// bucket, largest first, gets the first displacement that puts all its keys into free
// slots. With 32 buckets for at most 64 keys a multiplier almost always works at once.
bool FindDisplacement(RetainedSet& set) {
  std::uint64_t seed = 0xD1B54A32D192ED03ull;
  for (int attempt = 0; attempt < 256; ++attempt) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    set.displacedMultiplier = static_cast<std::uint32_t>(seed >> 32) | 1u;
    std::array<std::vector<int>, 32> buckets;
    for (int i = 0; i < set.count; ++i)
      buckets[(set.colours[i] * set.displacedMultiplier) >> RetainedSet::kBucketShift].push_back(i);
    std::array<int, 32> order;
    for (int b = 0; b < 32; ++b) order[b] = b;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return buckets[a].size() > buckets[b].size(); });
    set.displacedSlots.fill(0);
    set.displacement.fill(0);
    bool placedAll = true;
    for (const int b : order) {
      const std::vector<int>& keys = buckets[b];
      bool placed = keys.empty();
      for (std::uint32_t d = 0; d < 64 && !placed; ++d) {
        set.displacement[b] = d;
        std::size_t k = 0;
        for (; k < keys.size(); ++k) {
          std::uint32_t& slot = set.displacedSlots[set.displacedSlotOf(set.colours[keys[k]])];
          if (slot != 0) break;
          slot = set.colours[keys[k]];
        }
        placed = k == keys.size();
        for (std::size_t u = 0; !placed && u < k; ++u)  // take this displacement's keys back
          set.displacedSlots[set.displacedSlotOf(set.colours[keys[u]])] = 0;
      }
      if (!placed) {
        placedAll = false;
        break;
      }
    }
    if (placedAll) return set.displaced = true;
  }
  set.displacedSlots.fill(0);
  return set.displaced = false;
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
  if (allowHash && set.count >= kMinDisplaced) FindDisplacement(set);
  return set;
}

RetainedSet CompileSimilarSet(const ColourTable& table, int distance) {
  RetainedSet set = CompileRetainedSet(table, false);
  set.distance = distance;
  std::array<std::array<std::uint64_t, 256>, 3> byByte{};
  for (int i = 0; i < set.count; ++i) {
    for (int c = 0; c < 3; ++c) {
      const int centre = static_cast<int>((set.colours[i] >> (8 * c)) & 0xFFu);
      const int last = std::min(centre + distance, 255);
      for (int v = std::max(centre - distance, 0); v <= last; ++v)
        byByte[c][v] |= std::uint64_t{1} << i;
    }
  }
  set.near.resize(RetainedSet::kNearHigh + 256);
  for (std::uint32_t v = 0; v < RetainedSet::kNearHigh; ++v)
    set.near[v] = byByte[0][v & 0xFFu] & byByte[1][v >> 8];
  std::copy(byByte[2].begin(), byByte[2].end(), set.near.begin() + RetainedSet::kNearHigh);
  return set;
}

// Elsewhere than on x86 the x86 kernels are not even built; the portable one is all there is.
bool Avx2Supported() {
#ifdef HUESIFT_X86_KERNELS
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

bool Avx512Supported() {
#ifdef HUESIFT_X86_KERNELS
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f");
#else
  return false;
#endif
}

RowKernel RowKernelOf(ProcessKernel kind) {
  switch (kind) {
    case ProcessKernel::Portable:
      return ProcessRowPortable;
#ifdef HUESIFT_X86_KERNELS
    case ProcessKernel::Avx2:
      return ProcessRowAvx2;
    case ProcessKernel::Avx512:
      return ProcessRowAvx512;
#endif
    default:
      return nullptr;
  }
}

CountKernel CountKernelOf(ProcessKernel kind) {
  switch (kind) {
    case ProcessKernel::Portable:
      return CountRowPortable;
#ifdef HUESIFT_X86_KERNELS
    case ProcessKernel::Avx2:
      return CountRowAvx2;
    case ProcessKernel::Avx512:
      return CountRowAvx512;
#endif
    default:
      return nullptr;
  }
}

}  // namespace detail

namespace {

ProcessKernel kernelLimit = ProcessKernel::Avx512;

ProcessKernel ChooseKernel(ProcessPass pass, const detail::RetainedSet& set) {
  const ProcessKernel widest = std::min(kernelLimit, WidestProcessKernel());
  if (set.distance > 0) return widest;  // near sets suit every kernel
  const bool tableless = pass == ProcessPass::White || set.count == 0;
  if (widest >= ProcessKernel::Avx512 && !tableless && set.displaced) return ProcessKernel::Avx512;
  if (widest >= ProcessKernel::Avx2 &&
      (tableless || set.count <= detail::kMaxCompared || set.multiplier != 0))
    return ProcessKernel::Avx2;
  return ProcessKernel::Portable;
}

// Distances outside 0..kMaxSimilarDistance are taken as the nearest end. At 0, and in the
// white pass, which has no use for a distance, the set is the exact one of old, so the
// exact kernels run just as they did.
detail::RetainedSet CompileSet(ProcessPass pass, const ColourTable& retained, int distance) {
  distance = std::clamp(distance, 0, kMaxSimilarDistance);
  if (distance == 0 || pass == ProcessPass::White) return detail::CompileRetainedSet(retained);
  return detail::CompileSimilarSet(retained, distance);
}

// A pass ready to run row by row: the retained colours compiled once, and the widest kernel
// that handles them on this CPU chosen for the whole pass.
class CompiledPass {
 public:
  CompiledPass(ProcessPass pass, const ColourTable& retained, int distance)
      : set_(CompileSet(pass, retained, distance)),
        kernel_(detail::RowKernelOf(ChooseKernel(pass, set_))) {
    job_.pass = pass;
    job_.set = &set_;
  }
  CompiledPass(const CompiledPass&) = delete;  // the job points at the set
  CompiledPass& operator=(const CompiledPass&) = delete;

  void processRow(std::uint32_t* row, int width, bool convertToColour, Colour processColor) {
    // The white pass has no "Convert to Color": it paints white itself in the colour.
    job_.convert = job_.pass != ProcessPass::White && convertToColour;
    job_.pen = ToStored(processColor);
    kernel_(row, width, job_);
  }

 private:
  const detail::RetainedSet set_;
  const detail::RowKernel kernel_;
  detail::RowJob job_;
};

}  // namespace

ProcessKernel WidestProcessKernel() {
  static const ProcessKernel widest = detail::Avx512Supported() ? ProcessKernel::Avx512
                                      : detail::Avx2Supported() ? ProcessKernel::Avx2
                                                                : ProcessKernel::Portable;
  return widest;
}

void LimitProcessKernel(ProcessKernel widest) {
  kernelLimit = widest;
}

int RunProcessPass(ProcessPass pass, int height, int gaugeMax, const ColourTable& retained,
                   const ProcessHooks& hooks, int similarDistance) {
  CompiledPass compiled(pass, retained, similarDistance);

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
        // Asked in the walk's order, and the tick not at all for the white pass.
        const bool convert = pass != ProcessPass::White && hooks.convertToColour();
        compiled.processRow(picture->row(y), std::min(width, picture->width()), convert,
                            hooks.processColor());
      }
    }
    ++rows;
  }
  return rows;
}

void ProcessWholePicture(ProcessPass pass, Picture& picture, const ColourTable& retained,
                         bool convertToColour, Colour processColor, int similarDistance) {
  if (picture.empty()) return;
  CompiledPass compiled(pass, retained, similarDistance);
  for (int y = 0; y < picture.height(); ++y)
    compiled.processRow(picture.row(y), picture.width(), convertToColour, processColor);
}

std::int64_t CountRetainedPixels(const Picture& picture, int width, int height,
                                 const ColourTable& retained, int similarDistance) {
  width = std::min(width, picture.width());
  height = std::min(height, picture.height());
  if (width <= 0 || height <= 0) return 0;
  const detail::RetainedSet set = CompileSet(ProcessPass::Strip, retained, similarDistance);
  if (set.count == 0) return 0;
  const detail::CountKernel count = detail::CountKernelOf(ChooseKernel(ProcessPass::Strip, set));
  std::int64_t total = 0;
  for (int y = 0; y < height; ++y) total += count(picture.row(y), width, set);
  return total;
}

}  // namespace huesift
