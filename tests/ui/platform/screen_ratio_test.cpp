// SPDX-License-Identifier: GPL-3.0-or-later
// The screen's real scale from an output's mode and its logical size, as a Wayland
// compositor tells them, and the units its layout counts in.
#include "platform/screen_ratio.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace huesift::test {
namespace {

TEST(OutputRatio, WholeAndFractionalScalesComeOutExact) {
  EXPECT_EQ(OutputRatio({1280, 800}, {1280, 800}), 1.0);
  EXPECT_EQ(OutputRatio({2560, 1600}, {2048, 1280}), 1.25);
  EXPECT_EQ(OutputRatio({1920, 1200}, {1280, 800}), 1.5);
  EXPECT_EQ(OutputRatio({1920, 1080}, {960, 540}), 2.0);
}

TEST(OutputRatio, ARoundedLogicalSizeGivesTheScaleItWasRoundedFrom) {
  // 1920 / 1.75 = 1097.14, which the compositor tells as 1097.
  EXPECT_EQ(OutputRatio({1920, 1080}, {1097, 617}), 1.75);
  // A scale between the steps of 1/120 is kept as measured, not moved to the nearest step.
  const qreal odd = OutputRatio({1920, 1080}, {1444, 812});
  EXPECT_NEAR(odd, 1920.0 / 1444, 1e-9);
}

TEST(OutputRatio, AnOutputOnItsSideAndNothingMeasurable) {
  EXPECT_EQ(OutputRatio({1920, 1200}, {800, 1280}), 1.5);
  EXPECT_EQ(OutputRatio({0, 0}, {1280, 800}), 1.0);
  EXPECT_EQ(OutputRatio({1920, 1200}, {0, 0}), 1.0);
}

// Mutter at whole scales tells an output's logical size as its mode: Qt's screen is then
// measured in screen pixels, and a window's logical pixels are that many times larger. A
// compositor that lays out in logical pixels tells a smaller size; at scale 1 they agree.
struct Layout {
  const char* name;
  QSize logical;
  QSize pixels;
  int scale;
  int expected;
};

void PrintTo(const Layout& c, std::ostream* os) {
  *os << c.name;
}

class LayoutScaleOf : public testing::TestWithParam<Layout> {};

TEST_P(LayoutScaleOf, AnOutput) {
  const Layout& c = GetParam();
  EXPECT_EQ(LayoutScale({QString(), QRect(QPoint(), c.logical), c.pixels, c.scale}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, LayoutScaleOf,
    testing::Values(Layout{"MutterAt2", {1920, 1080}, {1920, 1080}, 2, 2},
                    Layout{"MutterAt3OnItsSide", {1080, 1920}, {1920, 1080}, 3, 3},
                    Layout{"SwayAt2", {960, 540}, {1920, 1080}, 2, 1},
                    Layout{"MutterFractional1_5", {1280, 720}, {1920, 1080}, 2, 1},
                    Layout{"At1", {1920, 1080}, {1920, 1080}, 1, 1}),
    [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace huesift::test
