// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/colour.h"

namespace huesift {

// Where the window stands: no picture yet, a Process run under way, or idle with a picture.
enum class RunState { NoPicture, Running, Idle };

// The one set of working state the main window carries for the whole run.
// The pictures themselves live in the picture controls that own them.
struct WorkingState {
  WorkingState();

  RunState runState = RunState::NoPicture;
  // Stop was pressed during the run; the run polls it after each pump.
  bool stopRequested = false;
  const std::int32_t maxColors = kMaxColours;
  Colour processColor = kBlack;
  // "Similar Colors...": how near a colour must come to a retained one to count as retained.
  std::int32_t similarDistance = 0;
  Colour fillColor = kWhite;
  std::int32_t deleteIndex = 0;
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;
  std::int32_t workAreaWidth = 0;
  std::int32_t workAreaHeight = 0;
  // The band's corners, in picture pixels (screen pixels over the capture overlay's still).
  std::int32_t bandStartX = 0;
  std::int32_t bandStartY = 0;
  std::int32_t bandEndX = 0;
  std::int32_t bandEndY = 0;
  std::string toolCursorFile = "boxb.cur";

  ColourTable retainedColors;
  ColourTable candidateColors;
};

void ClearColourTable(ColourTable& table);

// The start-up content of both tables: black alone retained, no candidates. The list that
// the retained table mirrors is the caller's to reset.
void ResetRetainedColours(WorkingState& state);

// Rewrites the retained table from the list's entries (decimal colour texts), entry i into
// slot i; slots past the last entry are empty. Entries past the 64th are not mirrored, and
// a text that is not a number gives an empty slot.
void ReloadRetainedColours(WorkingState& state, const std::vector<std::string>& entries);

// Exact 32-bit equality with any of the 64 slots. Empty slots hold kNoColour, which no pixel
// has, so they never match a pixel's colour.
bool IsRetainedColour(const WorkingState& state, Colour c);
bool IsCandidateColour(const WorkingState& state, Colour c);

// The text a colour list shows for a colour ("0", "16777215") and its value read back.
std::string ColourText(Colour c);
Colour ColourFromText(const std::string& text);

}  // namespace huesift
