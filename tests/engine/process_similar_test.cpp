// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/engine/harness.h"

namespace huesift::test {
namespace {

// The similar-colour rule written out once more, channel by channel on the table's own
// entries: none of the kernels' near sets, and nothing shared with the reference walk.
bool Near(Colour pixel, const ColourTable& table, int distance) {
  for (const Colour r : table) {
    if (r < 0 || r > 0xFFFFFF) continue;
    const int dr = (pixel & 0xFF) - (r & 0xFF);
    const int dg = ((pixel >> 8) & 0xFF) - ((r >> 8) & 0xFF);
    const int db = ((pixel >> 16) & 0xFF) - ((r >> 16) & 0xFF);
    if (dr * dr <= distance * distance && dg * dg <= distance * distance &&
        db * db <= distance * distance)
      return true;
  }
  return false;
}

// What one stored word becomes. Words whose top byte is not 0xFF are the colour of their
// other bytes; a pixel left alone keeps its word.
std::uint32_t Expected(std::uint32_t word, ProcessPass pass, bool convert, Colour pen,
                       const ColourTable& table, int distance) {
  const Colour c =
      static_cast<Colour>(((word & 0xFF) << 16) | (word & 0xFF00) | ((word >> 16) & 0xFF));
  const std::uint32_t white = 0xFFFFFFFFu;
  const std::uint32_t penWord =
      0xFF000000u | ((pen & 0xFF) << 16) | (pen & 0xFF00) | ((pen >> 16) & 0xFF);
  const std::uint32_t kept = convert ? penWord : word;
  switch (pass) {
    case ProcessPass::White:
      return c == kWhite ? penWord : word;
    case ProcessPass::Strip:
      return Near(c, table, distance) ? kept : white;
    case ProcessPass::Reverse:
      return c == kWhite || Near(c, table, distance) ? white : kept;
  }
  return word;
}

struct Case {
  ColourTable table;
  int distance;
  Picture picture;
};

// Every distance is possible, the ends and their neighbours often.
int RandomDistance(std::mt19937& rng) {
  const int ends[] = {0, 1, 254, 255};
  return rng() % 3 == 0 ? ends[rng() % 4]
         : rng() % 2    ? static_cast<int>(rng() % 12)
                        : static_cast<int>(rng() % 256);
}

// 1 to 64 slots of pixel colours, repeats, empty slots and values no pixel has.
ColourTable RandomTable(std::mt19937& rng) {
  std::vector<Colour> colours;
  for (int i = 0, n = 1 + rng() % 64; i < n; ++i) {
    const int kind = rng() % 12;
    colours.push_back(kind == 0                       ? kNoColour
                      : kind == 1 && !colours.empty() ? colours[rng() % colours.size()]
                      : kind == 2                     ? static_cast<Colour>(rng() | 0x01000000)
                                                      : static_cast<Colour>(rng() & 0xFFFFFF));
  }
  return Table(colours);
}

// A colour moved from a retained one channel by channel: to exactly the distance or one past
// it, either way, kept inside 0..255, or somewhere within, or not at all.
Colour Around(std::mt19937& rng, Colour r, int distance) {
  Colour c = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int offsets[] = {
        -distance - 1, -distance,    0,
        distance,      distance + 1, static_cast<int>(rng() % (2 * distance + 1)) - distance};
    const int v = std::clamp(((r >> shift) & 0xFF) + offsets[rng() % 6], 0, 255);
    c |= v << shift;
  }
  return c;
}

// Runs long enough to cover whole blocks of the widest kernel, single pixels, noise, white,
// colours at and just past the distance from retained ones, and words whose top byte is
// not set.
Case RandomCase(std::mt19937& rng) {
  Case k;
  k.table = RandomTable(rng);
  k.distance = RandomDistance(rng);
  std::vector<Colour> pixelColours;
  for (const Colour r : k.table)
    if (r >= 0 && r <= 0xFFFFFF) pixelColours.push_back(r);
  const int w = 1 + rng() % (rng() % 4 ? 140 : 300);
  const int h = 1 + rng() % 10;
  k.picture = Picture(w, h);
  std::uint32_t* d = k.picture.data();
  const std::size_t n = static_cast<std::size_t>(w) * h;
  for (std::size_t i = 0; i < n;) {
    const int kind = rng() % 10;
    Colour c = static_cast<Colour>(rng() & 0xFFFFFF);
    if (kind == 0) c = kWhite;
    if (kind >= 4 && !pixelColours.empty()) {
      const Colour r = pixelColours[rng() % pixelColours.size()];
      c = kind == 4 ? r : Around(rng, r, k.distance);
    }
    const std::size_t run = rng() % 3 == 0 ? 20 + rng() % 140 : 1 + rng() % 4;
    const bool noise = rng() % 6 == 0;
    const std::uint32_t top = rng() % 8 == 0 ? (rng() & 0xFEu) << 24 : 0xFF000000u;
    for (std::size_t r = 0; r < run && i < n; ++r, ++i) {
      const Colour colour = noise ? static_cast<Colour>(rng() & 0xFFFFFF) : c;
      d[i] = (ToStored(colour) & 0xFFFFFFu) | (noise ? (rng() & 0xFFu) << 24 : top);
    }
  }
  return k;
}

using SimilarParam = std::tuple<Walker, ProcessPass, bool>;

class SimilarPass : public ::testing::TestWithParam<SimilarParam> {};

TEST_P(SimilarPass, EveryPixelFollowsTheDistanceRule) {
  const auto& [walker, pass, convert] = GetParam();
  if (!Runs(walker)) GTEST_SKIP() << WalkerName(walker) << " not on this CPU";
  std::mt19937 rng(977 + 7 * static_cast<int>(pass) + convert);
  for (int round = 0; round < 600; ++round) {
    const Case k = RandomCase(rng);
    Harness h;
    h.first = k.picture;
    h.width = k.picture.width() + static_cast<int>(rng() % 9) - 4;  // displayed wider or narrower
    h.convert = convert;
    h.pen = static_cast<Colour>(rng() & 0xFFFFFF);
    const int height = k.picture.height();
    ASSERT_EQ(h.Run(walker, pass, height, k.table, k.distance), height);

    Picture whole = k.picture;
    if (walker != Walker::Reference) {
      LimitProcessKernel(KernelOf(walker));
      ProcessWholePicture(pass, whole, k.table, convert, h.pen, k.distance);
      LimitProcessKernel(ProcessKernel::Avx512);
    }
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < k.picture.width(); ++x) {
        const std::uint32_t before = k.picture.row(y)[x];
        const std::uint32_t want = Expected(before, pass, convert, h.pen, k.table, k.distance);
        ASSERT_EQ(h.first.row(y)[x], x < h.width ? want : before)
            << "round " << round << " distance " << k.distance << " pixel " << std::hex << before
            << " at " << std::dec << x << "," << y;
        if (walker != Walker::Reference) {
          ASSERT_EQ(whole.row(y)[x], want) << "whole picture, round " << round;
        }
      }
    }
  }
}

std::string ParamName(const ::testing::TestParamInfo<SimilarParam>& info) {
  const char* passes[] = {"White", "Strip", "Reverse"};
  return WalkerName(std::get<0>(info.param)) + "_" +
         passes[static_cast<int>(std::get<1>(info.param))] +
         (std::get<2>(info.param) ? "_Converting" : "");
}

INSTANTIATE_TEST_SUITE_P(Kernels, SimilarPass,
                         ::testing::Combine(::testing::ValuesIn(kAllWalkers),
                                            ::testing::Values(ProcessPass::White,
                                                              ProcessPass::Strip,
                                                              ProcessPass::Reverse),
                                            ::testing::Bool()),
                         ParamName);

class RetainedCount : public ::testing::TestWithParam<Walker> {};

// The count over the first columns and rows, asked also past the picture's edges.
TEST_P(RetainedCount, CountsWhatTheRuleKeeps) {
  const Walker walker = GetParam();
  if (!Runs(walker)) GTEST_SKIP() << WalkerName(walker) << " not on this CPU";
  std::mt19937 rng(4111);
  LimitProcessKernel(KernelOf(walker));
  for (int round = 0; round < 1500; ++round) {
    const Case k = RandomCase(rng);
    const int width = static_cast<int>(rng() % (k.picture.width() + 40)) - 4;
    const int height = static_cast<int>(rng() % (k.picture.height() + 4)) - 1;
    std::int64_t want = 0;
    for (int y = 0; y < std::min(height, k.picture.height()); ++y)
      for (int x = 0; x < std::min(width, k.picture.width()); ++x)
        want += Near(k.picture.pixel(x, y), k.table, k.distance) ? 1 : 0;
    ASSERT_EQ(CountRetainedPixels(k.picture, width, height, k.table, k.distance), want)
        << "round " << round << " distance " << k.distance << " " << width << "x" << height;
  }
  LimitProcessKernel(ProcessKernel::Avx512);
}

INSTANTIATE_TEST_SUITE_P(Kernels, RetainedCount,
                         ::testing::Values(Walker::Avx512, Walker::Avx2, Walker::Portable),
                         [](const auto& info) { return WalkerName(info.param); });

}  // namespace
}  // namespace huesift::test
