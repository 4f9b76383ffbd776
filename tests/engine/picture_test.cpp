// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace huesift {
namespace {

// Every pixel gets its own colour, so a misplaced copy shows.
Picture Numbered(int w, int h, int base) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.setPixel(x, y, base + y * 256 + x);
  return p;
}

TEST(Picture, StoresDisplayOrderAndReadsBackColours) {
  Picture p(2, 1);
  p.setPixel(0, 0, 0x0000FF);  // red in the low byte
  p.setPixel(1, 0, 0x123456);
  EXPECT_EQ(p.row(0)[0], 0xFFFF0000u);
  EXPECT_EQ(p.row(0)[1], 0xFF563412u);
  EXPECT_EQ(p.pixel(1, 0), 0x123456);
  p.row(0)[1] &= 0x00FFFFFFu;  // a cleared top byte does not change the colour
  EXPECT_EQ(p.pixel(1, 0), 0x123456);
  EXPECT_EQ(Picture(0, 5), Picture());
  EXPECT_TRUE(Picture(-3, 5).empty());
  EXPECT_EQ(Picture(3, -1).width(), 0);
}

TEST(Picture, OutsideTheRasterReadsNoColourAndIgnoresWrites) {
  Picture p = Numbered(5, 4, 0);
  const Picture before = p;
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {-1, 0}, {0, -1}, {5, 0}, {0, 4}, {5, 4}, {-1, -1}, {4, 4}, {5, 3}, {INT32_MIN, 0}}) {
    EXPECT_EQ(p.pixel(x, y), kNoColour) << x << "," << y;
    p.setPixel(x, y, kBlack);
  }
  EXPECT_EQ(p, before);
  EXPECT_EQ(Picture().pixel(0, 0), kNoColour);
}

TEST(Picture, CopyIsWholeAndIndependent) {
  Picture working = Numbered(7, 3, 0);
  Picture undo(2, 9, kBlack);
  undo = working;
  EXPECT_EQ(undo.width(), 7);
  EXPECT_EQ(undo.height(), 3);
  EXPECT_EQ(undo, working);
  working.setPixel(1, 1, kWhite);
  EXPECT_NE(undo.pixel(1, 1), kWhite);
  working = undo;  // the restore
  EXPECT_EQ(working.pixel(1, 1), 257);
  undo = Picture();
  EXPECT_TRUE(undo.empty());
  EXPECT_EQ(working.width(), 7);
}

struct RectCase {
  int sx, sy, w, h, dx, dy;
};

void PrintTo(const RectCase& c, std::ostream* os) {
  *os << c.w << "x" << c.h << " from (" << c.sx << "," << c.sy << ") to (" << c.dx << "," << c.dy
      << ")";
}

// Test names allow letters, digits and underscores only.
std::string NameOf(int v) {
  return v == INT32_MAX   ? "Max"
         : v == INT32_MIN ? "Min"
         : v < 0          ? "Minus" + std::to_string(-v)
                          : std::to_string(v);
}

class CopyRect : public ::testing::TestWithParam<RectCase> {};

// Against the definition, walked over the destination: a pixel takes the source pixel the
// block puts there, if that one exists; nothing else changes. Overlapping copies within one
// picture read the picture as it was before the copy.
TEST_P(CopyRect, CopiesOnlyPixelsInsideBothPictures) {
  const RectCase c = GetParam();
  const Picture src = Numbered(9, 6, 0x100000);
  for (bool self : {false, true}) {
    Picture dst = self ? src : Numbered(8, 7, 0x200000);
    Picture want = dst;
    const Picture& from = self ? dst : src;
    for (int y = 0; y < want.height(); ++y)
      for (int x = 0; x < want.width(); ++x) {
        const std::int64_t i = std::int64_t{x} - c.dx, j = std::int64_t{y} - c.dy;
        const std::int64_t fx = c.sx + i, fy = c.sy + j;
        if (i >= 0 && j >= 0 && i < c.w && j < c.h && fx >= 0 && fy >= 0 && fx < src.width() &&
            fy < src.height())
          want.setPixel(x, y, src.pixel(static_cast<int>(fx), static_cast<int>(fy)));
      }
    dst.copyRect(from, c.sx, c.sy, c.w, c.h, c.dx, c.dy);
    EXPECT_EQ(dst, want) << (self ? "within one picture" : "between pictures");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Clipping, CopyRect,
    ::testing::Values(RectCase{0, 0, 9, 6, 0, 0}, RectCase{2, 1, 3, 3, 4, 2},
                      RectCase{-3, -2, 6, 5, 1, 1}, RectCase{5, 3, 10, 10, 0, 0},
                      RectCase{0, 0, 4, 4, -2, -3}, RectCase{1, 1, 5, 4, 6, 5},
                      RectCase{0, 0, 0, 5, 0, 0}, RectCase{0, 0, -4, 5, 0, 0},
                      RectCase{20, 0, 3, 3, 0, 0}, RectCase{0, 0, 3, 3, 0, 30},
                      RectCase{1, 0, 5, 6, 2, 0}, RectCase{2, 2, 5, 4, 0, 1},
                      RectCase{0, 0, INT32_MAX, INT32_MAX, 0, 0},
                      RectCase{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0}),
    [](const auto& info) {
      const RectCase& c = info.param;
      return NameOf(c.w) + "by" + NameOf(c.h) + "_From" + NameOf(c.sx) + "_" + NameOf(c.sy) +
             "_To" + NameOf(c.dx) + "_" + NameOf(c.dy);
    });

}  // namespace
}  // namespace huesift
