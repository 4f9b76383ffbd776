// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace huesift {

// A colour as the rest of the program speaks of it: 0x00BBGGRR, red in the low byte.
// -1 is never a pixel colour; it marks an empty table slot and an out-of-raster read.
using Colour = std::int32_t;

inline constexpr Colour kBlack = 0;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kNoColour = -1;
inline constexpr int kMaxColours = 64;

using ColourTable = std::array<Colour, kMaxColours>;

// Rasters keep pixels as 0xFFRRGGBB words, the order the display wants, so a picture can be
// painted without converting it. These two convert between that order and Colour.
inline constexpr std::uint32_t ToStored(Colour c) {
  const auto v = static_cast<std::uint32_t>(c);
  return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
inline constexpr Colour FromStored(std::uint32_t s) {
  return static_cast<Colour>(((s & 0xFFu) << 16) | (s & 0xFF00u) | ((s >> 16) & 0xFFu));
}

}  // namespace huesift
