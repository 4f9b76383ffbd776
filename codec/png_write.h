// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// libdeflate's levels (1 fastest, 12 smallest) for full colour and for a palette: a 4K
// screenshot is written several times as fast as by zlib's default level and no more than a
// tenth larger (bench/codec_bench). A palette's rows are a quarter as many bytes and afford a
// higher level.
inline constexpr int kPngWriteLevel = 2;
inline constexpr int kPngPaletteWriteLevel = 4;

// The PNG file of the pixels, at level when given; empty when the pixels are no picture (no
// rows, a palette of more than 256, an index past the palette) or there is no memory for them.
std::vector<std::uint8_t> WritePng(const PngPixels& pixels, std::optional<int> level = {});

}  // namespace huesift
