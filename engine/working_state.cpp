// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/working_state.h"

#include <algorithm>
#include <charconv>

namespace huesift {

WorkingState::WorkingState() {
  ResetRetainedColours(*this);
}

void ClearColourTable(ColourTable& table) {
  table.fill(kNoColour);
}

void ResetRetainedColours(WorkingState& state) {
  ClearColourTable(state.retainedColors);
  ClearColourTable(state.candidateColors);
  state.retainedColors[0] = kBlack;
}

void ReloadRetainedColours(WorkingState& state, const std::vector<std::string>& entries) {
  ClearColourTable(state.retainedColors);
  const std::size_t n = std::min<std::size_t>(entries.size(), kMaxColours);
  for (std::size_t i = n; i-- > 0;) state.retainedColors[i] = ColourFromText(entries[i]);
}

bool IsRetainedColour(const WorkingState& state, Colour c) {
  return std::find(state.retainedColors.begin(), state.retainedColors.end(), c) !=
         state.retainedColors.end();
}

bool IsCandidateColour(const WorkingState& state, Colour c) {
  return std::find(state.candidateColors.begin(), state.candidateColors.end(), c) !=
         state.candidateColors.end();
}

std::string ColourText(Colour c) {
  return std::to_string(c);
}

Colour ColourFromText(const std::string& text) {
  // The lists only ever hold texts made by ColourText, so a failure here means a damaged
  // entry; reading it as an empty slot keeps it from matching any pixel.
  Colour value = kNoColour;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return kNoColour;
  return value;
}

}  // namespace huesift
