// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/working_state.h"

#include <gtest/gtest.h>

namespace huesift {
namespace {

TEST(WorkingState, StartsWithBlackRetainedAndNoCandidates) {
  const WorkingState s;
  EXPECT_EQ(s.runState, RunState::NoPicture);
  EXPECT_FALSE(s.stopRequested);
  EXPECT_EQ(s.maxColors, 64);
  EXPECT_EQ(s.processColor, kBlack);
  EXPECT_EQ(s.fillColor, kWhite);
  EXPECT_EQ(s.deleteIndex + s.pictureWidth + s.pictureHeight + s.workAreaWidth + s.workAreaHeight +
                s.bandStartX + s.bandStartY + s.bandEndX + s.bandEndY,
            0);
  EXPECT_EQ(s.toolCursorFile, "boxb.cur");
  EXPECT_EQ(s.retainedColors[0], kBlack);
  for (int i = 1; i < 64; ++i) EXPECT_EQ(s.retainedColors[i], kNoColour) << i;
  for (int i = 0; i < 64; ++i) EXPECT_EQ(s.candidateColors[i], kNoColour) << i;
  EXPECT_TRUE(IsRetainedColour(s, kBlack));
  EXPECT_FALSE(IsRetainedColour(s, kWhite));
}

TEST(WorkingState, EmptySlotsMatchNoPixelColour) {
  WorkingState s;
  ClearColourTable(s.retainedColors);
  for (Colour c = 0; c <= kWhite; c += 0x010101) EXPECT_FALSE(IsRetainedColour(s, c)) << c;
  EXPECT_FALSE(IsRetainedColour(s, kWhite));
  EXPECT_FALSE(IsCandidateColour(s, kBlack));
}

TEST(WorkingState, ReloadMirrorsTheListExactly) {
  WorkingState s;
  ReloadRetainedColours(s, {"16777215", "255", "0", "65280"});
  EXPECT_EQ(s.retainedColors[0], kWhite);
  EXPECT_EQ(s.retainedColors[1], 0x0000FF);
  EXPECT_EQ(s.retainedColors[3], 0x00FF00);
  EXPECT_EQ(s.retainedColors[4], kNoColour);
  for (Colour near : {0x0000FE, 0x000100, 0x0001FF, 0x00FF01, 0xFFFFFE, 0x000001})
    EXPECT_FALSE(IsRetainedColour(s, near)) << near;

  // Deleting the first entry: the reload shifts the others down and forgets it.
  ReloadRetainedColours(s, {"255", "0", "65280"});
  EXPECT_FALSE(IsRetainedColour(s, kWhite));
  EXPECT_TRUE(IsRetainedColour(s, 0x00FF00));
  EXPECT_EQ(s.retainedColors[3], kNoColour);
}

TEST(WorkingState, SixtyFourSlotsAreSearchedAndNoMore) {
  WorkingState s;
  std::vector<std::string> entries;
  for (Colour c = 1; c <= 65; ++c) entries.push_back(ColourText(c * 1000));
  ReloadRetainedColours(s, entries);
  for (Colour c = 1; c <= 64; ++c) EXPECT_TRUE(IsRetainedColour(s, c * 1000)) << c;
  EXPECT_FALSE(IsRetainedColour(s, 65000));
  EXPECT_FALSE(IsRetainedColour(s, kBlack));
}

TEST(WorkingState, ResetLeavesBlackAloneAndOtherFieldsAlone) {
  WorkingState s;
  ReloadRetainedColours(s, {"255", "65280"});
  s.candidateColors[0] = 0x123456;
  s.processColor = 0x0000FF;
  ResetRetainedColours(s);
  EXPECT_EQ(s.retainedColors, WorkingState().retainedColors);
  EXPECT_FALSE(IsCandidateColour(s, 0x123456));
  EXPECT_EQ(s.processColor, 0x0000FF);
}

TEST(ColourText, DecimalWithoutSignOrPadding) {
  EXPECT_EQ(ColourText(kBlack), "0");
  EXPECT_EQ(ColourText(kWhite), "16777215");
  EXPECT_EQ(ColourText(0x0000FF), "255");
  for (Colour c : {0, 1, 255, 0x123456, kWhite}) EXPECT_EQ(ColourFromText(ColourText(c)), c);
  for (const char* bad : {"", "12x", "x", " 5", "99999999999"})
    EXPECT_EQ(ColourFromText(bad), kNoColour) << bad;
}

}  // namespace
}  // namespace huesift
