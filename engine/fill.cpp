// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/fill_kernels.h"
#include "engine/process_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The fill works on rows as bit masks, 64 pixels to a word: one mask per row tells which
// pixels have the clicked colour, another which of them the fill has reached. A row is
// looked at again whenever a row next to it gained pixels; its new seeds are its unfilled
// pixels of the clicked colour under or over filled ones, and the runs holding those seeds
// are found with word arithmetic (a carry runs right through a run, a shift cascade left)
// instead of a branch per pixel or per run. Rows are visited in alternating downward and
// upward sweeps, in memory order, until no row is left to look at.
//
// A span fill that pushes and pops one segment per run spends most of its time on the
// unpredictable ends of short runs, and screenshots of text are made of short runs; this
// keeps the cost per row word, not per run.

namespace huesift {
namespace detail {

void BuildFillMaskPortable(const std::uint32_t* row, int width, std::uint32_t old, FillWord* mask) {
  const int full = width / 64;
  for (int w = 0; w < full; ++w) {
    const std::uint32_t* p = row + 64 * w;
    FillWord bits = 0;
#if defined(__SSE2__)
    // Sixteen compares narrowed to bytes, so one movemask gives sixteen pixels' bits.
    const __m128i vo = _mm_set1_epi32(static_cast<int>(old));
    auto equal = [&](int i) {
      return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i)), vo);
    };
    for (int i = 0; i < 16; i += 4) {
      const __m128i lo = _mm_packs_epi32(equal(i), equal(i + 1));
      const __m128i hi = _mm_packs_epi32(equal(i + 2), equal(i + 3));
      const auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lo, hi)));
      bits |= static_cast<FillWord>(m) << (4 * i);
    }
#else
    for (int i = 0; i < 64; ++i) bits |= FillWord{p[i] == old} << i;
#endif
    mask[w] = bits;
  }
  if (width % 64 != 0) {
    FillWord bits = 0;
    for (int x = 64 * full; x < width; ++x) bits |= FillWord{row[x] == old} << (x - 64 * full);
    mask[full] = bits;
  }
}

#if defined(__SSE2__)
// All-ones lanes for the set bits of four.
alignas(16) const std::int32_t kLaneBits[16][4] = {
    {0, 0, 0, 0},   {-1, 0, 0, 0},   {0, -1, 0, 0},   {-1, -1, 0, 0},
    {0, 0, -1, 0},  {-1, 0, -1, 0},  {0, -1, -1, 0},  {-1, -1, -1, 0},
    {0, 0, 0, -1},  {-1, 0, 0, -1},  {0, -1, 0, -1},  {-1, -1, 0, -1},
    {0, 0, -1, -1}, {-1, 0, -1, -1}, {0, -1, -1, -1}, {-1, -1, -1, -1}};
const __m128i* const kLanes = reinterpret_cast<const __m128i*>(kLaneBits);
#endif

void PaintFillBitsPortable(std::uint32_t* row, int width, const FillWord* bits, int first, int last,
                           std::uint32_t value) {
#if defined(__SSE2__)
  const int full = width / 64;
#else
  (void)width;
#endif
  for (int w = first; w <= last; ++w) {
    FillWord b = bits[w];
    std::uint32_t* p = row + 64 * w;
    if (b == ~FillWord{0}) {
      std::fill_n(p, 64, value);
      continue;
    }
#if defined(__SSE2__)
    if (w < full) {
      // Four pixels at a time: the set bits pick the new value, the rest keep theirs.
      const __m128i vn = _mm_set1_epi32(static_cast<int>(value));
      for (int i = 0; i < 64; i += 16, b >>= 16) {
        if ((b & 0xFFFF) == 0) continue;
        for (int j = 0; j < 4; ++j) {
          auto* q = reinterpret_cast<__m128i*>(p + i + 4 * j);
          const __m128i pick = kLanes[(b >> (4 * j)) & 0xF];
          _mm_storeu_si128(
              q, _mm_or_si128(_mm_and_si128(pick, vn), _mm_andnot_si128(pick, _mm_loadu_si128(q))));
        }
      }
      continue;
    }
#endif
    for (; b != 0; b &= b - 1) p[__builtin_ctzll(b)] = value;
  }
}

}  // namespace detail

namespace {

using detail::FillWord;

struct Kernels {
  detail::BuildFillMask buildMask;
  detail::PaintFillBits paint;
};

Kernels KernelsFor(bool avx512) {
#ifdef HUESIFT_X86_KERNELS
  if (avx512) return Kernels{detail::BuildFillMaskAvx512, detail::PaintFillBitsAvx512};
#else
  (void)avx512;
#endif
  return Kernels{detail::BuildFillMaskPortable, detail::PaintFillBitsPortable};
}

Kernels& ChosenKernels() {
  static Kernels kernels = KernelsFor(detail::Avx512Supported());
  return kernels;
}

// Without a CPU-specific build the compiler's popcount is a library call; this is not.
inline std::size_t BitCount(FillWord v) {
  v -= (v >> 1) & 0x5555555555555555u;
  v = (v & 0x3333333333333333u) + ((v >> 2) & 0x3333333333333333u);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<std::size_t>((v * 0x0101010101010101u) >> 56);
}

// Runs of mask that hold a bit of seeds, for seeds in words [first, last]: written to runs
// over the words they reach, which are returned as [from, to].
std::pair<int, int> SeededRuns(const FillWord* mask, const FillWord* seeds, int first, int last,
                               int words, FillWord* runs) {
  // Rightwards: adding a seed to its run carries through the rest of the run.
  unsigned carry = 0;
  int w = first;
  for (; w < words && (w <= last || carry != 0); ++w) {
    const FillWord s = w <= last ? seeds[w] : 0;
    const unsigned __int128 sum = static_cast<unsigned __int128>(mask[w]) + s + carry;
    const auto added = static_cast<FillWord>(sum);
    carry = static_cast<unsigned>(sum >> 64);
    runs[w] = ((added ^ mask[w]) & mask[w]) | s;
  }
  const int to = w - 1;
  // Leftwards: a shift cascade, each step doubling the distance a seed has spread.
  FillWord fromAbove = 0;  // the run reaching down into this word's top bit
  for (w = last; w >= 0 && (w >= first || fromAbove != 0); --w) {
    FillWord spread = (w >= first ? seeds[w] : 0) | (fromAbove & mask[w]);
    if (mask[w] == ~FillWord{0}) {
      // A word wholly of the clicked colour: everything below its highest seed.
      spread = spread != 0 ? ~FillWord{0} >> __builtin_clzll(spread) : 0;
    } else if (spread != 0) {
      FillWord open = mask[w];
      for (int step = 1; step < 64; step *= 2) {
        spread |= (spread >> step) & open;
        open &= open >> step;
      }
    }
    fromAbove = (spread & 1) ? FillWord{1} << 63 : 0;
    runs[w] = w >= first ? runs[w] | spread : spread;
  }
  return {w + 1, to};
}

struct Scratch {
  std::vector<FillWord> masks, filled, seeds, runs;
  std::vector<std::uint8_t> known;         // the row's mask is built (and its filled bits cleared)
  std::vector<int> dirtyFirst, dirtyLast;  // words to look at again; first > last: clean
};

}  // namespace

void detail::UseFillAvx512(bool wanted) {
  ChosenKernels() = KernelsFor(wanted && Avx512Supported());
}

std::size_t FloodFill(Picture& picture, int x, int y, Colour fill) {
  if (!picture.contains(x, y)) return 0;
  const int width = picture.width();
  const int height = picture.height();
  const std::uint32_t old = picture.row(y)[x];
  const std::uint32_t value = ToStored(fill);
  if (old == value) return 0;
  const Kernels kernels = ChosenKernels();

  // Two bits per pixel of scratch, kept for the next fill: clearing what is used is cheap,
  // fresh pages from the system for every click are not.
  thread_local Scratch s;
  const int words = (width + 63) / 64;
  const std::size_t cells = static_cast<std::size_t>(height) * words;
  if (s.masks.size() < cells) {
    s.masks.resize(cells);
    s.filled.resize(cells);
  }
  s.seeds.assign(words, 0);
  s.runs.assign(words, 0);
  s.known.assign(height, 0);
  s.dirtyFirst.assign(height, words);
  s.dirtyLast.assign(height, -1);

  auto maskOf = [&](int r) {
    FillWord* m = s.masks.data() + static_cast<std::size_t>(r) * words;
    if (!s.known[r]) {
      kernels.buildMask(picture.row(r), width, old, m);
      std::fill_n(s.filled.data() + static_cast<std::size_t>(r) * words, words, 0);
      s.known[r] = 1;
    }
    return m;
  };
  auto filledOf = [&](int r) { return s.filled.data() + static_cast<std::size_t>(r) * words; };

  int lowest = height, highest = -1;  // bounds of the rows to look at again
  auto markDirty = [&](int r, int first, int last) {
    if (r < 0 || r >= height) return;
    s.dirtyFirst[r] = std::min(s.dirtyFirst[r], first);
    s.dirtyLast[r] = std::max(s.dirtyLast[r], last);
    lowest = std::min(lowest, r);
    highest = std::max(highest, r);
  };

  std::size_t changed = 0;
  // Fills the runs of row r holding its seeds in words [first, last].
  auto fillRow = [&](int r, int first, int last) {
    const auto [from, to] =
        SeededRuns(maskOf(r), s.seeds.data(), first, last, words, s.runs.data());
    kernels.paint(picture.row(r), width, s.runs.data(), from, to, value);
    FillWord* f = filledOf(r);
    for (int w = from; w <= to; ++w) {
      changed += BitCount(s.runs[w]);
      f[w] |= s.runs[w];
    }
    markDirty(r - 1, from, to);
    markDirty(r + 1, from, to);
  };

  maskOf(y);
  s.seeds[x / 64] = FillWord{1} << (x % 64);
  fillRow(y, x / 64, x / 64);

  for (int dir = 1; lowest <= highest; dir = -dir) {
    const int start = dir > 0 ? lowest : highest;
    for (int r = start; r >= lowest && r <= highest; r += dir) {
      const int first = s.dirtyFirst[r], last = s.dirtyLast[r];
      if (first > last) continue;
      s.dirtyFirst[r] = words;
      s.dirtyLast[r] = -1;
      const FillWord* m = maskOf(r);
      const FillWord* f = filledOf(r);
      const FillWord* above = r > 0 && s.known[r - 1] ? filledOf(r - 1) : nullptr;
      const FillWord* below = r + 1 < height && s.known[r + 1] ? filledOf(r + 1) : nullptr;
      FillWord any = 0;
      for (int w = first; w <= last; ++w) {
        const FillWord next = (above ? above[w] : 0) | (below ? below[w] : 0);
        s.seeds[w] = m[w] & ~f[w] & next;
        any |= s.seeds[w];
      }
      if (any != 0) fillRow(r, first, last);
    }
    // Rows marked behind the sweep wait for the next one, in the other direction.
    const int from = lowest, to = highest;
    lowest = height;
    highest = -1;
    for (int r = from; r <= to; ++r) {
      if (s.dirtyFirst[r] <= s.dirtyLast[r]) {
        lowest = std::min(lowest, r);
        highest = r;
      }
    }
  }
  return changed;
}

}  // namespace huesift
