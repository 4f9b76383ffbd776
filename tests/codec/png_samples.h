// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures and PNG files for the codec's tests, and the two readings they are held to: ours
// and libpng's, an independent one that nearly every other program reads PNG with.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "codec/png_chunks.h"
#include "codec/png_read.h"

namespace huesift::test {

// A screen-like picture with colours of its own: flat boxes, text-like specks and, when
// photo is set, grain over shading.
inline std::vector<std::uint32_t> ScreenLike(std::mt19937& random, int width, int height,
                                             int colours, bool photo) {
  std::vector<std::uint32_t> palette(static_cast<std::size_t>(colours));
  for (auto& c : palette) c = 0xFF000000u | (random() & 0xFFFFFF);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, palette[0]);
  for (int box = 0; box < 10; ++box) {
    const int x0 = static_cast<int>(random() % width), y0 = static_cast<int>(random() % height);
    const int w = 1 + static_cast<int>(random() % width),
              h = 1 + static_cast<int>(random() % height);
    const std::uint32_t c = palette[random() % palette.size()];
    for (int y = y0; y < std::min(height, y0 + h); ++y)
      for (int x = x0; x < std::min(width, x0 + w); ++x)
        pixels[static_cast<std::size_t>(y) * width + x] =
            random() % 9 ? c : palette[random() % palette.size()];
  }
  if (photo) {
    std::exponential_distribution<double> grain(0.5);
    for (int y = 0; y < height; ++y)
      for (int x = width / 4; x < width * 3 / 4; ++x) {
        std::uint32_t word = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          const double v = 128 + 90 * std::sin(x * 0.01 + c) * std::cos(y * 0.013 - c) +
                           (random() & 1 ? 1 : -1) * grain(random);
          word |= static_cast<std::uint32_t>(std::clamp(static_cast<int>(v), 0, 255)) << (8 * c);
        }
        pixels[static_cast<std::size_t>(y) * width + x] = word;
      }
  }
  return pixels;
}

inline std::vector<std::uint32_t> OurReading(const std::vector<std::uint8_t>& png,
                                             PngRead& result) {
  std::vector<std::uint32_t> raster;
  result = ReadCommonPng(png, [&](std::uint32_t w, std::uint32_t h) {
    raster.assign(std::size_t{w} * h, 0);
    return raster.data();
  });
  return raster;
}

// libpng's simplified reader: every PNG as 8-bit BGRA, the CPU's words 0xAARRGGBB.
inline std::vector<std::uint32_t> LibpngReading(const std::vector<std::uint8_t>& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> pixels(std::size_t{image.width} * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

// The PNG with its palette cut to its first entries, the checksum made right again.
inline std::vector<std::uint8_t> WithPaletteOf(const std::vector<std::uint8_t>& png, int entries) {
  std::vector<std::uint8_t> out(png.begin(), png.begin() + 8);
  WalkPngChunks(png, [&](const PngChunk& chunk) {
    const bool palette = chunk.type == PngChunkType("PLTE");
    const std::uint32_t length = palette ? static_cast<std::uint32_t>(3 * entries) : chunk.length;
    const std::size_t at = out.size();
    out.insert(out.end(), chunk.at, chunk.at + 8 + length);
    StoreBigEndian(out.data() + at, length);
    out.resize(out.size() + 4);
    StoreBigEndian(out.data() + at + 8 + length, PngChunkCrc(out.data() + at + 4, length + 4));
    return true;
  });
  return out;
}

// A PNG as libpng writes it: write sets the header up and writes the rows, the end of the
// file follows; empty if libpng fails.
template <typename Write>
std::vector<std::uint8_t> LibpngWrite(Write&& write) {
  std::vector<std::uint8_t> png;
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(writer);
  if (setjmp(png_jmpbuf(writer))) {
    png_destroy_write_struct(&writer, &info);
    return {};
  }
  png_set_write_fn(
      writer, &png,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + size);
      },
      nullptr);
  write(writer, info);
  png_write_end(writer, nullptr);
  png_destroy_write_struct(&writer, &info);
  return png;
}

// indices (one a byte) as libpng writes a palette picture with every filter tried on each row,
// packed to depth bits; empty if libpng fails.
inline std::vector<std::uint8_t> LibpngPalettePng(int width, int height, int depth,
                                                  std::vector<png_color>& palette,
                                                  const std::vector<std::uint8_t>& indices) {
  return LibpngWrite([&](png_structp writer, png_infop info) {
    png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(writer, info, palette.data(), static_cast<int>(palette.size()));
    png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_write_info(writer, info);
    png_set_packing(writer);  // one index a byte in, packed to the depth in the file
    for (int y = 0; y < height; ++y)
      png_write_row(writer, indices.data() + static_cast<std::size_t>(y) * width);
  });
}

// Random rows of any colour type, depth and interlacing as libpng writes them (a palette of
// every entry the depth can index), with the filters given (PNG_FILTER_PAETH, ...) or libpng's
// own choice; empty if libpng fails.
inline std::vector<std::uint8_t> LibpngRawPng(std::mt19937& random, int width, int height,
                                              int colourType, int depth, int interlace,
                                              int filters = 0) {
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * depth + 7) / 8;
  std::vector<std::uint8_t> pixels(rowBytes * height);
  for (auto& b : pixels) b = static_cast<std::uint8_t>(random());
  std::vector<png_bytep> rows;
  for (int y = 0; y < height; ++y) rows.push_back(pixels.data() + rowBytes * y);
  std::vector<png_color> palette(colourType == 3 ? std::size_t{1} << depth : 0);
  return LibpngWrite([&](png_structp writer, png_infop info) {
    png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 depth, colourType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (filters) png_set_filter(writer, PNG_FILTER_TYPE_BASE, filters);
    if (colourType == 3)
      png_set_PLTE(writer, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(writer, info);
    png_write_image(writer, rows.data());
  });
}

}  // namespace huesift::test
