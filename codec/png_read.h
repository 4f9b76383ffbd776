// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The PNGs that screenshots and copied pictures nearly always are (8 bits a channel, RGB or
// RGBA, or a palette of up to 8 bits; not interlaced, no transparent colour, IEND at the end), read
// into exactly the opaque pixels a full reader (libpng, through Qt) makes of them, in a fraction of
// its time. Anything else, or anything not beyond doubt, is declined with its reason, for a full
// reader to decide.
namespace huesift {

enum class PngRead : std::uint8_t {
  Read,              // every pixel is in the raster
  NotPng,            // no PNG signature
  DamagedChunks,     // a chunk cut, misnamed, out of order, or a critical one's checksum wrong
  LeftToFullReader,  // sound chunks, but a kind of PNG (depth, colours, interlace, tRNS,
                     // eXIf, many ancillary chunks) that only a full reader reads exactly
  DamagedData,       // the image data is not one sound zlib stream of exactly the picture's
                     // filtered rows, or a row names an unknown filter
  DataPastPicture,   // the image data inflates to over twice the picture's rows: a full
                     // reader would inflate all of it (a 1 MB file can hold gigabytes)
  NoRaster,          // the caller gave no memory for a picture of the header's size
};
// A name for logs and test failures ("DamagedData").
const char* PngReadName(PngRead result);

struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t depth = 0;
  std::uint8_t colourType = 0;
  std::uint8_t interlace = 0;
};
// The header of a PNG whose first chunk is a whole IHDR with a right checksum.
std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> file);

// Memory for width x height 32-bit words, rows without padding; null when there is none.
using RasterFor = std::function<std::uint32_t*(std::uint32_t width, std::uint32_t height)>;

// Reads a common PNG into the raster rasterFor gives (asked once, only when the chunks and
// header are sound): each word 0xFFRRGGBB as the CPU stores it. On any other result the
// raster's contents are unspecified. For a PNG left to a full reader the raster is asked for
// too (the full reader will need it), and the image data inflated to tell DataPastPicture
// from LeftToFullReader.
PngRead ReadCommonPng(std::span<const std::uint8_t> file, const RasterFor& rasterFor);

}  // namespace huesift
