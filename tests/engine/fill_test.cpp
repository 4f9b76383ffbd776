// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <tuple>

#include "engine/fill_kernels.h"
#include "tests/engine/naive_fill.h"

namespace huesift {
namespace {

struct RandomCase {
  int width, height;
  int colours;     // how many colours the noise uses
  double density;  // share of pixels that are not colour 0
};

void PrintTo(const RandomCase& c, std::ostream* os) {
  *os << c.width << "x" << c.height << ", " << c.colours << " colours, "
      << std::lround(c.density * 100) << "% not white";
}

// The flag says whether the AVX-512 row kernels may be used.
void PrintTo(const std::tuple<RandomCase, bool>& p, std::ostream* os) {
  PrintTo(std::get<0>(p), os);
  *os << (std::get<1>(p) ? ", AVX-512 kernels where the CPU has them" : ", portable kernels");
}

class FillMatchesNaive : public ::testing::TestWithParam<std::tuple<RandomCase, bool>> {
 protected:
  void SetUp() override { detail::UseFillAvx512(std::get<1>(GetParam())); }
  void TearDown() override { detail::UseFillAvx512(true); }
};

// Random noise near the percolation threshold gives ragged regions with holes, overhangs and
// one-pixel necks; widths around multiples of 64 put runs across the fill's word boundaries.
// Each case runs with the portable and (where the CPU has it) the AVX-512 row kernels.
TEST_P(FillMatchesNaive, OnRandomPictures) {
  const RandomCase c = std::get<0>(GetParam());
  std::mt19937 rng(c.width * 7919 + c.height * 31 + c.colours);
  const Colour palette[] = {kWhite, kBlack, 0x0000FF, 0x00FF00, 0x123456};
  for (int round = 0; round < 40; ++round) {
    Picture picture(c.width, c.height);
    std::bernoulli_distribution other(c.density);
    std::uniform_int_distribution<int> pick(1, c.colours - 1);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        picture.setPixel(x, y, other(rng) ? palette[pick(rng)] : palette[0]);
    const int x = std::uniform_int_distribution<int>(0, c.width - 1)(rng);
    const int y = std::uniform_int_distribution<int>(0, c.height - 1)(rng);
    const Colour fill = palette[std::uniform_int_distribution<int>(0, 4)(rng)];

    Picture expected = picture;
    const std::size_t expectedCount = test::NaiveFloodFill(expected, x, y, fill);
    const std::size_t count = FloodFill(picture, x, y, fill);
    ASSERT_EQ(count, expectedCount) << "round " << round << " at " << x << "," << y;
    ASSERT_TRUE(picture == expected) << "round " << round << " at " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FillMatchesNaive,
    ::testing::Combine(::testing::Values(RandomCase{1, 1, 2, 0.5}, RandomCase{1, 57, 2, 0.3},
                                         RandomCase{61, 1, 2, 0.3}, RandomCase{3, 5, 2, 0.4},
                                         RandomCase{17, 13, 2, 0.41}, RandomCase{64, 48, 2, 0.41},
                                         RandomCase{63, 40, 2, 0.1}, RandomCase{65, 40, 2, 0.41},
                                         RandomCase{129, 30, 2, 0.05}, RandomCase{101, 77, 3, 0.45},
                                         RandomCase{203, 150, 2, 0.2}, RandomCase{97, 211, 5, 0.6}),
                       ::testing::Bool()),
    [](const auto& info) {
      const RandomCase& c = std::get<0>(info.param);
      return std::to_string(c.width) + "x" + std::to_string(c.height) + "_" +
             std::to_string(c.colours) + "colours" +
             (std::get<1>(info.param) ? "_Avx512" : "_Portable");
    });

TEST(FloodFill, LeavesPictureAloneWhenNothingToDo) {
  Picture picture(5, 4, 0x00FF00);
  picture.setPixel(2, 2, kBlack);
  const Picture before = picture;
  EXPECT_EQ(FloodFill(picture, 1, 1, 0x00FF00), 0u);  // fill colour equals clicked colour
  EXPECT_EQ(FloodFill(picture, 5, 0, kBlack), 0u);    // outside the raster
  EXPECT_EQ(FloodFill(picture, -1, 2, kBlack), 0u);
  EXPECT_TRUE(picture == before);
  Picture none;
  EXPECT_EQ(FloodFill(none, 0, 0, kBlack), 0u);
}

// A serpentine corridor forces the fill to turn back on itself row after row, which a
// recursive fill would pay for with stack depth and a span fill with its leak segments.
TEST(FloodFill, FollowsSerpentineCorridorToTheEnd) {
  const int w = 41, h = 2001;
  Picture picture(w, h, kWhite);
  for (int y = 1; y < h; y += 2) {
    for (int x = 0; x < w; ++x) picture.setPixel(x, y, kBlack);
    picture.setPixel((y / 2) % 2 ? 0 : w - 1, y, kWhite);  // the gap alternates sides
  }
  Picture expected = picture;
  const std::size_t n = test::NaiveFloodFill(expected, w / 2, 0, 0x0000FF);
  EXPECT_EQ(FloodFill(picture, w / 2, 0, 0x0000FF), n);
  EXPECT_EQ(n, static_cast<std::size_t>(w * (h / 2 + 1) + h / 2));
  EXPECT_TRUE(picture == expected);
}

// The same corridor turned on its side: every turn sends the fill back up or down the whole
// picture, so it takes many sweeps, each of which must stay about the corridor's width.
TEST(FloodFill, FollowsUpAndDownCorridorToTheEnd) {
  const int w = 401, h = 300;
  Picture picture(w, h, kWhite);
  for (int x = 1; x < w; x += 2) {
    for (int y = 0; y < h; ++y) picture.setPixel(x, y, kBlack);
    picture.setPixel(x, (x / 2) % 2 ? 0 : h - 1, kWhite);
  }
  Picture expected = picture;
  const std::size_t n = test::NaiveFloodFill(expected, 0, h / 2, 0x00FF00);
  EXPECT_EQ(FloodFill(picture, 0, h / 2, 0x00FF00), n);
  EXPECT_EQ(n, static_cast<std::size_t>(h * (w / 2 + 1) + w / 2));
  EXPECT_TRUE(picture == expected);
}

}  // namespace
}  // namespace huesift
