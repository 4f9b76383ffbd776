// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "bench/synthetic.h"
#include "engine/process_kernels.h"
#include "tests/engine/harness.h"

namespace huesift::test {
namespace {

// Pictures made of runs from a small palette, like screen content, with occasional words
// whose top byte is not set (pixel() ignores it, so the walks must too).
Picture RandomPicture(std::mt19937& rng, const std::vector<Colour>& palette, int w, int h) {
  Picture p(w, h);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(palette.size()) - 1);
  std::uniform_int_distribution<int> runLength(1, 40);
  std::uint32_t* d = p.data();
  const std::size_t n = static_cast<std::size_t>(w) * h;
  for (std::size_t i = 0; i < n;) {
    const std::uint32_t word = ToStored(palette[pick(rng)]) & (rng() % 16 ? ~0u : 0xFFFFFFu);
    for (int r = runLength(rng); r > 0 && i < n; --r) d[i++] = word;
  }
  return p;
}

struct Scenario {
  ProcessPass pass;
  int height;
  ColourTable table;
  Harness start;
};

Scenario RandomScenario(std::mt19937& rng) {
  std::vector<Colour> palette = {kBlack, kWhite, 0xFFFFFE, 0x000001};
  for (int i = 0, n = 2 + rng() % 90; i < n; ++i) palette.push_back(rng() & 0xFFFFFF);

  Scenario s;
  s.pass = static_cast<ProcessPass>(rng() % 3);
  std::vector<Colour> retained;
  for (int i = 0, n = rng() % 65; i < n; ++i) {
    const int kind = rng() % 10;
    retained.push_back(kind == 0   ? kNoColour
                       : kind == 1 ? static_cast<Colour>(rng() | 0x01000000)
                                   : palette[rng() % palette.size()]);
  }
  s.table = Table(retained);

  const int w = 1 + 2 * (rng() % 70);  // odd widths leave a tail after every 8-pixel block
  const int h = 1 + rng() % 160;
  s.start.first = RandomPicture(rng, palette, w, h);
  s.start.second = RandomPicture(rng, palette, 1 + 2 * (rng() % 50), 1 + rng() % 160);
  s.start.width = w + static_cast<int>(rng() % 21) - 10;  // displayed wider or narrower
  s.height = h + static_cast<int>(rng() % 41) - 20;
  s.start.convert = rng() % 2;
  // The gauge is the clock of the pumps; a run normally finds it at 0, but the walks must
  // agree from anywhere.
  s.start.progress = rng() % 4 ? 0 : static_cast<int>(rng() % 120);
  s.start.pen = palette[rng() % palette.size()];

  // What the pumps do: one event per pump, drawn once so all walkers see the same script.
  std::vector<int> script;
  for (int i = 0; i < 5; ++i) script.push_back(rng() % 12);
  const Colour newPen = rng() & 0xFFFFFF;
  const int newWidth = static_cast<int>(rng() % 150);
  s.start.onPump = [script, newPen, newWidth](Harness& h) {
    switch (h.pumps <= 5 ? script[h.pumps - 1] : 99) {
      case 0:
        h.stop = true;
        break;
      case 1:
        h.which = 1 - h.which;
        break;
      case 2:
        h.width = newWidth;
        break;
      case 3:
        h.convert = !h.convert;
        break;
      case 4:
        h.pen = newPen;
        break;
      case 5:
        h.which = 2;
        break;
      default:
        break;
    }
  };
  return s;
}

TEST(ChunkedWalk, MatchesReferenceOnRandomPictures) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 400; ++round) {
    Scenario s = RandomScenario(rng);
    Harness ref = s.start;
    const int refRows = ref.Run(Walker::Reference, s.pass, s.height, s.table);
    for (Walker walker : {Walker::Avx512, Walker::Avx2, Walker::Portable}) {
      if (!Runs(walker)) continue;
      Harness h = s.start;
      const int rows = h.Run(walker, s.pass, s.height, s.table);
      SCOPED_TRACE("round " + std::to_string(round) + " " + WalkerName(walker));
      ASSERT_EQ(rows, refRows);
      ASSERT_EQ(h.log, ref.log);
      ASSERT_TRUE(h.first == ref.first);
      ASSERT_TRUE(h.second == ref.second);
    }
  }
}

TEST(ChunkedWalk, MatchesReferenceOnScreenshot) {
  const ColourTable table = Table({kBlack, 0x2B579A, 0xF0F0F0, 0x1E1E1E, 0xD4D4D4, 0x444444,
                                   0xCE9178, 0xAD4506, 0x1C2BC4, 0x569CD6, 0x6A9955, 0xCEF4FF});
  for (ProcessPass pass : {ProcessPass::Strip, ProcessPass::Reverse, ProcessPass::White}) {
    Harness ref;
    ref.first = bench::MakeScreenshot(961, 407);
    ref.width = 961;
    ref.convert = pass == ProcessPass::Reverse;
    ref.pen = 0x3377AA;
    const Harness start = ref;
    ref.Run(Walker::Reference, pass, 407, table);
    for (Walker walker : {Walker::Avx512, Walker::Avx2, Walker::Portable}) {
      if (!Runs(walker)) continue;
      Harness fast = start;
      fast.Run(walker, pass, 407, table);
      EXPECT_TRUE(fast.first == ref.first) << WalkerName(walker);
    }
  }
}

// Every way of searching a run's colours must find exactly the table's pixel colours: the
// hash, the displaced hash of the 512-bit kernel, and the one-by-one search taken when no
// hash turns up. Colours confined to one channel crowd the hashes with near keys.
TEST(RetainedSet, EverySearchFindsExactlyTheTable) {
  std::mt19937 rng(7);
  for (int round = 0; round < 60; ++round) {
    std::vector<Colour> colours;
    for (int i = 0, n = 9 + round % 56; i < n; ++i)
      colours.push_back(rng() & (round % 2 ? 0xFF0000 : 0xFFFFFF));
    const ColourTable table = Table(colours);
    const detail::RetainedSet set = detail::CompileRetainedSet(table);
    const detail::RetainedSet plain = detail::CompileRetainedSet(table, false);
    ASSERT_NE(set.multiplier, 0u);
    ASSERT_TRUE(set.displaced);
    ASSERT_EQ(plain.multiplier, 0u);
    for (int i = 0; i < 2000; ++i) {
      const Colour c =
          i % 3 ? colours[rng() % colours.size()] : static_cast<Colour>(rng() & 0xFFFFFF);
      const std::uint32_t word = ToStored(c);
      const bool listed = std::find(colours.begin(), colours.end(), c) != colours.end();
      ASSERT_EQ(set.contains(word), listed) << std::hex << word;
      ASSERT_EQ(set.displacedSlots[set.displacedSlotOf(word)] == word, listed) << std::hex << word;
      ASSERT_EQ(plain.contains(word), listed) << std::hex << word;
    }
  }
}

}  // namespace
}  // namespace huesift::test
