// SPDX-License-Identifier: GPL-3.0-or-later
// Colours that read on a background, as the colour box's title picks them.
#include "platform/contrast.h"

#include <gtest/gtest.h>

namespace huesift::test {
namespace {

TEST(Contrast, ReadableOnKeepsAColourThatReadsAndLightensOneThatDoesNot) {
  EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_EQ(ReadableOn(Qt::blue, QColor(240, 240, 240), 4.5), QColor(Qt::blue));
  const QColor dark(60, 60, 60);
  const QColor lighter = ReadableOn(Qt::blue, dark, 4.5);
  EXPECT_GE(ContrastRatio(lighter, dark), 4.5);
  EXPECT_GT(lighter.blue(), lighter.red());  // still a blue
  EXPECT_EQ(ReadableOn(Qt::yellow, Qt::white, 4.5).lightness() < 128, true);
}

}  // namespace
}  // namespace huesift::test
