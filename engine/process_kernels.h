// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: the per-row pixel kernels behind RunProcessPass.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/colour.h"
#include "engine/process.h"

namespace huesift::detail {

inline constexpr std::uint32_t kStoredWhite = 0xFFFFFFFFu;
// Pixel words are compared with their top byte forced on, so a word whose top byte was
// cleared by whoever wrote it still reads as the colour pixel() reports.
inline constexpr std::uint32_t kAlphaBits = 0xFF000000u;

// The retained colours of one run in stored form, distinct, with a collision-free
// multiplicative hash when one was found. Table values that no pixel can have (empty
// slots, anything outside 0..0xFFFFFF) are left out: they could never match.
struct RetainedSet {
  int count = 0;
  std::array<std::uint32_t, kMaxColours> colours{};
  std::uint32_t multiplier = 0;      // 0: no hash, search colours one by one
  int shift = 32;                    // slot = (word * multiplier) >> shift
  std::vector<std::uint32_t> slots;  // the colour hashed there, or 0 (never a pixel word)

  // A second hash for the 512-bit kernel, whose table must fit in four registers: 32
  // buckets each shift their keys by a displacement into 64 slots. Found for most sets.
  bool displaced = false;
  std::uint32_t displacedMultiplier = 0;
  std::array<std::uint32_t, 32> displacement{};
  std::array<std::uint32_t, 64> displacedSlots{};  // the colour placed there, or 0
  static constexpr int kBucketShift = 27;
  static constexpr int kDisplacedShift = 21;

  std::uint32_t slotOf(std::uint32_t word) const { return (word * multiplier) >> shift; }
  std::uint32_t displacedSlotOf(std::uint32_t word) const {
    const std::uint32_t p = word * displacedMultiplier;
    return ((p >> kDisplacedShift) + displacement[p >> kBucketShift]) & 63u;
  }
  // word must have its top byte set.
  bool contains(std::uint32_t word) const {
    if (multiplier != 0) return slots[slotOf(word)] == word;
    for (int i = 0; i < count; ++i)
      if (colours[i] == word) return true;
    return false;
  }

  // Similar colours, when distance > 0: sets of colours as 64-bit masks, bit i for
  // colours[i]. near[v] for the word's low two bytes v holds the colours whose bytes 0 and 1
  // both lie within the distance of v's; near[kNearHigh + b] those whose byte 2 lies within
  // it of b. A word is near some colour exactly when its two sets share a bit: two loads
  // whatever the distance and however many colours, where comparing with each colour would
  // take 64 tests a pixel. A table per byte (6 KiB, three loads) measured a fifth to a third
  // slower on a screenshot, by kernel, and an eighth slower on noise, although this one is
  // 512 KiB: a screenshot's few thousand colours touch little of it.
  static constexpr std::uint32_t kNearHigh = 1u << 16;
  int distance = 0;
  std::vector<std::uint64_t> near;  // kNearHigh + 256 sets; empty at distance 0

  bool isNear(std::uint32_t word) const {
    return (near[word & 0xFFFFu] & near[kNearHigh + ((word >> 16) & 0xFFu)]) != 0;
  }
};

// allowHash false keeps the one-by-one search, the path taken when no hash is found.
RetainedSet CompileRetainedSet(const ColourTable& table, bool allowHash = true);
// The set for a distance of 1 to kMaxSimilarDistance: colours and near sets, no hashes (no
// kernel looks them up at a distance).
RetainedSet CompileSimilarSet(const ColourTable& table, int distance);

// The kernels compare up to kMaxCompared colours directly and look larger sets up in the
// hash: on a screenshot the lookup already beat comparing eight colours, both with AVX2's
// gather and with the portable kernel's load per pixel. The 512-bit kernel's table lookup
// beats comparing from kMinDisplaced colours on.
inline constexpr int kMaxCompared = 4;
inline constexpr int kMinDisplaced = 3;

// How far ahead of the pixels being processed the kernels ask for memory.
inline constexpr int kPrefetchBytes = 8192;

struct RowJob {
  ProcessPass pass = ProcessPass::Strip;
  bool convert = false;              // "Convert to Color"
  std::uint32_t pen = 0;             // processColor, stored form
  const RetainedSet* set = nullptr;  // with near sets when set->distance > 0
};

// Applies the pass's pixel rule to the first n words of a row, left to right.
using RowKernel = void (*)(std::uint32_t* row, int n, const RowJob& job);
// The kernel of that kind, or nullptr where it is not built (the x86 ones elsewhere).
RowKernel RowKernelOf(ProcessKernel kind);

// How many of the first n words of a row count as retained: what the strip pass keeps.
using CountKernel = std::int64_t (*)(const std::uint32_t* row, int n, const RetainedSet& set);
CountKernel CountKernelOf(ProcessKernel kind);

// Every kernel takes a similar set (distance > 0) of any size.
void ProcessRowPortable(std::uint32_t* row, int n, const RowJob& job);
std::int64_t CountRowPortable(const std::uint32_t* row, int n, const RetainedSet& set);

bool Avx2Supported();
// Requires Avx2Supported() and, for more than kMaxCompared colours, a hashed set.
void ProcessRowAvx2(std::uint32_t* row, int n, const RowJob& job);
std::int64_t CountRowAvx2(const std::uint32_t* row, int n, const RetainedSet& set);

bool Avx512Supported();
// Requires Avx512Supported() and, but for the white pass, a displaced set.
void ProcessRowAvx512(std::uint32_t* row, int n, const RowJob& job);
std::int64_t CountRowAvx512(const std::uint32_t* row, int n, const RetainedSet& set);

// The rule for one word given how its colour is looked up; every kernel and its tail agree
// with it.
template <class Retains>
inline std::uint32_t ApplyRuleWith(std::uint32_t word, const RowJob& job, Retains retains) {
  const std::uint32_t m = word | kAlphaBits;
  switch (job.pass) {
    case ProcessPass::White:
      return m == kStoredWhite ? job.pen : word;
    case ProcessPass::Strip:
      return retains(m) ? (job.convert ? job.pen : word) : kStoredWhite;
    case ProcessPass::Reverse:
      return (m == kStoredWhite || retains(m)) ? kStoredWhite : (job.convert ? job.pen : word);
  }
  return word;
}

inline std::uint32_t ApplyRule(std::uint32_t word, const RowJob& job) {
  return ApplyRuleWith(word, job, [&](std::uint32_t m) { return job.set->contains(m); });
}

// The same at a distance: job.set must be a similar set.
inline std::uint32_t ApplySimilarRule(std::uint32_t word, const RowJob& job) {
  return ApplyRuleWith(word, job, [&](std::uint32_t m) { return job.set->isNear(m); });
}

}  // namespace huesift::detail
