// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "engine/process_kernels.h"
#include "tests/engine/harness.h"

namespace huesift {

// GoogleTest looks for a parameter's printer in the namespace of its type.
inline void PrintTo(ProcessKernel k, std::ostream* os) {
  const char* names[] = {"Portable", "Avx2", "Avx512"};
  *os << names[static_cast<int>(k)];
}

}  // namespace huesift

namespace huesift::test {
namespace {

// The pixel rule written out once more, on stored words and a plain list of colours, so the
// kernels' colour sets (compared, hashed, gathered, displaced, listed) are checked against
// something that shares none of them.
std::uint32_t Expected(std::uint32_t word, ProcessPass pass, bool convert, std::uint32_t pen,
                       const std::vector<std::uint32_t>& retained) {
  const std::uint32_t m = word | 0xFF000000u;
  const bool listed = std::find(retained.begin(), retained.end(), m) != retained.end();
  const std::uint32_t kept = convert ? pen : word;
  switch (pass) {
    case ProcessPass::White:
      return m == 0xFFFFFFFFu ? pen : word;
    case ProcessPass::Strip:
      return listed ? kept : 0xFFFFFFFFu;
    case ProcessPass::Reverse:
      return m == 0xFFFFFFFFu || listed ? 0xFFFFFFFFu : kept;
  }
  return word;
}

// Runs short and long (long ones reach past a whole block, so the kernels' run shortcuts
// are taken, with and without a change), of retained colours, white, colours one bit away
// from retained ones and words whose top byte is clear.
std::vector<std::uint32_t> RandomRow(std::mt19937& rng, const std::vector<std::uint32_t>& palette,
                                     int n) {
  std::vector<std::uint32_t> row;
  while (static_cast<int>(row.size()) < n) {
    std::uint32_t word = palette[rng() % palette.size()];
    if (rng() % 8 == 0) word &= 0x00FFFFFFu;
    const int run = rng() % 3 == 0 ? 40 + static_cast<int>(rng() % 200) : 1 + rng() % 6;
    row.insert(row.end(), std::min(run, n - static_cast<int>(row.size())), word);
  }
  return row;
}

Walker WalkerOf(ProcessKernel k) {
  return k == ProcessKernel::Avx512 ? Walker::Avx512
         : k == ProcessKernel::Avx2 ? Walker::Avx2
                                    : Walker::Portable;
}

class RowKernel : public ::testing::TestWithParam<ProcessKernel> {};

TEST_P(RowKernel, EveryColourSetMatchesThePixelRule) {
  const detail::RowKernel kernel = detail::RowKernelOf(GetParam());
  if (kernel == nullptr || GetParam() > WidestProcessKernel()) GTEST_SKIP() << "not on this CPU";
  std::mt19937 rng(20241208 + static_cast<int>(GetParam()));
  std::set<std::pair<int, bool>> shapesRun;
  for (const int size : {0, 1, 2, 3, 4, 5, 8, 9, 20, 64}) {
    for (const bool hashed : {true, false}) {
      std::vector<Colour> colours;
      for (int i = 0; i < size; ++i)
        colours.push_back(i == 3 ? kWhite : static_cast<Colour>(rng() & 0xFFFFFF));
      const detail::RetainedSet set = detail::CompileRetainedSet(Table(colours), hashed);
      // Each kernel's precondition on the sets it is given.
      if (GetParam() == ProcessKernel::Avx2 && set.count > detail::kMaxCompared &&
          set.multiplier == 0)
        continue;
      if (GetParam() == ProcessKernel::Avx512 && !set.displaced) continue;
      shapesRun.insert({size, hashed});

      std::vector<std::uint32_t> retained;
      std::vector<std::uint32_t> palette = {0xFFFFFFFFu, 0xFF000000u};
      for (const Colour c : colours) {
        retained.push_back(ToStored(c));
        palette.push_back(ToStored(c));
        palette.push_back(ToStored(c) ^ (1u << (rng() % 24)));
      }
      for (int round = 0; round < 60; ++round) {
        detail::RowJob job;
        job.pass = static_cast<ProcessPass>(rng() % 3);
        job.convert = rng() % 2;
        job.pen = palette[rng() % palette.size()];
        job.set = &set;
        std::vector<std::uint32_t> row = RandomRow(rng, palette, rng() % 420);
        std::vector<std::uint32_t> want = row;
        for (std::uint32_t& w : want) w = Expected(w, job.pass, job.convert, job.pen, retained);
        kernel(row.data(), static_cast<int>(row.size()), job);
        ASSERT_EQ(row, want) << "colours " << size << (hashed ? " hashed" : " listed") << " pass "
                             << static_cast<int>(job.pass) << " convert " << job.convert;
      }
    }
  }
  // None of the kernel's ways of holding colours may have been skipped: all twenty sets for
  // the portable kernel, all but the unhashed large ones for AVX2 (five sizes above four),
  // and for AVX-512 the displaced hash of every hashed set from three colours up.
  const std::size_t tried[] = {20, 15, 7};
  EXPECT_EQ(shapesRun.size(), tried[static_cast<int>(GetParam())]);
}

INSTANTIATE_TEST_SUITE_P(Kernels, RowKernel,
                         ::testing::Values(ProcessKernel::Portable, ProcessKernel::Avx2,
                                           ProcessKernel::Avx512),
                         [](const auto& info) { return WalkerName(WalkerOf(info.param)); });

}  // namespace
}  // namespace huesift::test
