// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// PNG written as a screenshot tool needs it, quickly: 8-bit RGB rows, each with the filter
// that makes it smallest by libpng's measure, or a palette of 1, 2, 4 or 8 bits unfiltered;
// one IDAT deflated by libdeflate.
namespace huesift {

struct PngPixels {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Empty: rows of 32-bit words 0x??RRGGBB as the CPU stores them (alpha ignored). Otherwise
  // up to 256 colours in that form, and rows of 8-bit indices into them.
  std::span<const std::uint32_t> palette;
  const std::uint8_t* rows = nullptr;
  std::size_t stride = 0;  // bytes from one row to the next
};

// libdeflate's level: 1 fastest, 12 smallest. This one writes a 4K screenshot several times as
// fast as zlib's default level and no larger (bench/codec_bench).
inline constexpr int kPngWriteLevel = 2;

// The PNG file of the pixels; empty when the pixels are no picture (no rows, a palette of
// more than 256) or there is no memory for them.
std::vector<std::uint8_t> WritePng(const PngPixels& pixels, int level = kPngWriteLevel);

}  // namespace huesift
