// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/png_chunks.h"

#include <libdeflate.h>

#include <cstring>

namespace huesift {

bool HasPngSignature(std::span<const std::uint8_t> file) {
  return file.size() >= sizeof kPngSignature &&
         std::memcmp(file.data(), kPngSignature, sizeof kPngSignature) == 0;
}

std::uint32_t PngChunkCrc(const std::uint8_t* typeAndData, std::size_t size) {
  return libdeflate_crc32(0, typeAndData, size);
}

bool PngChunkRunsPastEnd(std::span<const std::uint8_t> file) {
  if (!HasPngSignature(file)) return false;
  bool runsPast = false;
  WalkPngChunks(file, [&](const PngChunk& chunk) {
    // Nothing is read into memory from IEND on, and libpng has the picture by then: a file
    // whose last checksum is cut is still read.
    if (chunk.type == PngChunkType("IEND")) return false;
    // Compressed pixels are read as they come, a piece at a time: a cut IDAT costs nothing.
    runsPast = !chunk.whole && chunk.type != PngChunkType("IDAT");
    return true;
  });
  return runsPast;
}

std::uint64_t PngFilteredSize(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                              std::uint8_t colourType, std::uint8_t interlace) {
  int channels = 0;
  switch (colourType) {
    case 0:
      channels = 1;
      break;
    case 2:
      channels = 3;
      break;
    case 3:
      channels = 1;
      break;
    case 4:
      channels = 2;
      break;
    case 6:
      channels = 4;
      break;
    default:
      return 0;
  }
  const bool depthAllowed =
      depth == 8 || depth == 16 ||
      ((colourType == 0 || colourType == 3) && (depth == 1 || depth == 2 || depth == 4));
  if (!depthAllowed || (colourType == 3 && depth == 16) || width == 0 || height == 0 ||
      interlace > 1)
    return 0;
  const std::uint64_t bitsPerPixel = std::uint64_t{depth} * static_cast<unsigned>(channels);
  auto passBytes = [&](std::uint64_t w, std::uint64_t h) -> std::uint64_t {
    if (w == 0 || h == 0) return 0;
    return h * (1 + (w * bitsPerPixel + 7) / 8);
  };
  if (interlace == 0) return passBytes(width, height);
  // Adam7: each pass takes every n-th pixel from an offset, across and down.
  constexpr int kStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
  constexpr int kStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
  std::uint64_t total = 0;
  for (int pass = 0; pass < 7; ++pass) {
    const std::uint64_t w = (width + kStep[pass][0] - 1 - kStart[pass][0]) / kStep[pass][0];
    const std::uint64_t h = (height + kStep[pass][1] - 1 - kStart[pass][1]) / kStep[pass][1];
    if (width > static_cast<std::uint32_t>(kStart[pass][0]) &&
        height > static_cast<std::uint32_t>(kStart[pass][1]))
      total += passBytes(w, h);
  }
  return total;
}

}  // namespace huesift
