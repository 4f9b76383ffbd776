// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "tests/engine/harness.h"

namespace huesift::test {
namespace {

constexpr Colour kGrey = 0x808080;

class RowWalk : public ::testing::TestWithParam<Walker> {
 protected:
  void SetUp() override {
    if (!Runs(GetParam())) GTEST_SKIP() << WalkerName(GetParam()) << " not on this CPU";
  }
  // A grey picture: the strip pass with black retained turns every visited pixel white.
  void Grey(int w, int h) {
    hr.first = Picture(w, h, kGrey);
    hr.width = w;
  }
  int Strip(int height) { return hr.Run(GetParam(), ProcessPass::Strip, height, Table({0})); }
  // Rows [0, rows) white over the displayed width, everything else still grey.
  void ExpectRowsDone(const Picture& p, int rows, int width) {
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x)
        ASSERT_EQ(p.pixel(x, y), y < rows && x < width ? kWhite : kGrey) << x << "," << y;
  }
  Harness hr;
};

TEST_P(RowWalk, GaugeAndPumpsForSixtyRows) {
  Grey(5, 60);
  EXPECT_EQ(Strip(60), 60);
  EXPECT_EQ(hr.pumps, 2);
  ASSERT_EQ(hr.log.size(), 62u);
  EXPECT_EQ(hr.log[0], std::make_pair('P', 0));
  EXPECT_EQ(hr.log[51], std::make_pair('P', 50));
  EXPECT_EQ(hr.log[50], std::make_pair('S', 50));
  EXPECT_EQ(hr.log.back(), std::make_pair('S', 59));  // held at the maximum H-1
  EXPECT_EQ(hr.progress, 59);
  ExpectRowsDone(hr.first, 60, 5);
}

TEST_P(RowWalk, OneRowKeepsGaugeAtZero) {
  Grey(7, 1);
  EXPECT_EQ(Strip(1), 1);
  EXPECT_EQ(hr.log, (std::vector<std::pair<char, int>>{{'P', 0}, {'S', 0}}));
  ExpectRowsDone(hr.first, 1, 7);
}

TEST_P(RowWalk, NoRowsNoPump) {
  Grey(4, 4);
  EXPECT_EQ(Strip(0), 0);
  EXPECT_TRUE(hr.log.empty());
  ExpectRowsDone(hr.first, 0, 4);
}

TEST_P(RowWalk, StopSeenAfterPumpLeavesEarlierRowsDone) {
  Grey(33, 170);
  hr.onPump = [](Harness& h) { h.stop = h.pumps == 3; };  // the pump before row 100
  EXPECT_EQ(Strip(170), 100);
  EXPECT_EQ(hr.progress, 100);
  ExpectRowsDone(hr.first, 100, 33);
}

TEST_P(RowWalk, StopInFirstPumpChangesNothing) {
  Grey(9, 20);
  hr.onPump = [](Harness& h) { h.stop = true; };
  EXPECT_EQ(Strip(20), 0);
  EXPECT_EQ(hr.progress, 0);
  ExpectRowsDone(hr.first, 0, 9);
}

TEST_P(RowWalk, DisplayedAreaLargerThanRaster) {
  Grey(13, 30);
  hr.width = 40;
  EXPECT_EQ(Strip(75), 75);  // rows and columns past the raster are walked, never touched
  ExpectRowsDone(hr.first, 30, 13);
}

TEST_P(RowWalk, DisplayedAreaSmallerThanRaster) {
  Grey(31, 40);
  hr.width = 17;
  EXPECT_EQ(Strip(25), 25);
  ExpectRowsDone(hr.first, 25, 17);
}

TEST_P(RowWalk, PictureReplacedInPump) {
  Grey(21, 120);
  hr.second = Picture(11, 90, kGrey);
  hr.onPump = [](Harness& h) {
    if (h.pumps == 2) h.which = 1;
  };
  EXPECT_EQ(Strip(120), 120);
  ExpectRowsDone(hr.first, 50, 21);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 11; ++x)
      ASSERT_EQ(hr.second.pixel(x, y), y >= 50 ? kWhite : kGrey) << x << "," << y;
}

TEST_P(RowWalk, OptionsChangedInPumpApplyFromThatRow) {
  hr.first = Picture(19, 110, kBlack);
  hr.width = 19;
  hr.convert = true;
  hr.pen = 0x0000FF;
  hr.onPump = [](Harness& h) {
    if (h.pumps == 2) h.pen = 0x00FF00;
    if (h.pumps == 3) h.convert = false, h.width = 6;
  };
  EXPECT_EQ(Strip(110), 110);
  for (int y = 0; y < 110; ++y)
    for (int x = 0; x < 19; ++x) {
      const Colour want = y < 50 ? 0x0000FF : y < 100 ? 0x00FF00 : kBlack;
      ASSERT_EQ(hr.first.pixel(x, y), want) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(AllWalkers, RowWalk, ::testing::ValuesIn(kAllWalkers),
                         [](const auto& info) { return WalkerName(info.param); });

}  // namespace
}  // namespace huesift::test
