// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace huesift {

// Windows cursor files (.cur): a directory of images, each with its hotspot in its directory
// entry, each image either a device-independent bitmap with an AND mask or a PNG stream.
// Nothing here trusts the file: every count, size and offset is checked against its length.

inline constexpr std::size_t kMaxCursorFileBytes = 1 << 20;

struct CursorImage {
  int width = 0;
  int height = 0;
  int hotspotX = 0;
  int hotspotY = 0;
  // Decoded pixels, 0xAARRGGBB, row-major from the top; empty when the image is a PNG.
  std::vector<std::uint32_t> argb;
  // The PNG stream of the image, when that is how it is stored; its size is checked against
  // width and height, its content is left to a PNG decoder.
  std::span<const std::uint8_t> png;
};

// The first image of a cursor file, or nothing when the file is not a cursor file whose
// header, sizes and offsets all fit inside it.
std::optional<CursorImage> ReadCursorFile(std::span<const std::uint8_t> file);

// A one-image cursor file holding argb (0xAARRGGBB, row-major from the top) as a 32-bit
// bitmap with its AND mask; fully transparent pixels are masked out.
std::vector<std::uint8_t> WriteCursorFile(int width, int height,
                                          const std::vector<std::uint32_t>& argb, int hotspotX,
                                          int hotspotY);

}  // namespace huesift
