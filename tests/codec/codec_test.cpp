// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG codec without Qt: every unfilter kernel against the portable one, and our writer's
// files read back exactly by our reader and by libpng, an independent one.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/png_chunks.h"
#include "codec/png_read.h"
#include "codec/png_write.h"
#include "codec/unfilter.h"

namespace huesift {
namespace {

std::string KernelName(UnfilterKernel kind) {
  return kind == UnfilterKernel::Portable ? "Portable" : "Sse2";
}

struct KernelCase {
  UnfilterKernel kernel;
  int channels;
};

void PrintTo(const KernelCase& c, std::ostream* os) {
  *os << KernelName(c.kernel) << " kernel, " << c.channels << " channels";
}

class Unfilter : public ::testing::TestWithParam<KernelCase> {};

// Random filtered rows of every filter type and width 1 to 70, the first row with no row
// above, and pairs of Paeth rows: each kernel's words equal the portable kernel's.
TEST_P(Unfilter, EveryFilterAndWidthAsThePortableKernel) {
  const UnfilterKernels wide = UnfilterKernelsOf(GetParam().kernel);
  const UnfilterKernels portable = UnfilterKernelsOf(UnfilterKernel::Portable);
  const int channels = GetParam().channels;
  std::mt19937 random(static_cast<unsigned>(channels));
  for (std::uint32_t width = 1; width <= 70; ++width) {
    const std::size_t rowBytes = std::size_t{width} * static_cast<unsigned>(channels) + 1;
    for (int round = 0; round < 8; ++round) {
      std::vector<std::uint8_t> filtered(3 * rowBytes);
      for (auto& b : filtered) b = static_cast<std::uint8_t>(random());
      std::vector<std::uint32_t> expected(3 * width), actual(3 * width);
      for (int filter = 0; filter <= 4; ++filter) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", filter " << filter);
        for (int r = 0; r < 3; ++r) filtered[r * rowBytes] = static_cast<std::uint8_t>(filter);
        auto run = [&](const UnfilterKernels& k, std::vector<std::uint32_t>& out) {
          auto* rows = reinterpret_cast<std::uint8_t*>(out.data());
          ASSERT_TRUE(k.row(filtered.data(), rows, nullptr, width, channels));
          if (filter == 4 && k.paethPair) {
            k.paethPair(filtered.data() + rowBytes, rows + 4 * width, rows,
                        filtered.data() + 2 * rowBytes, rows + 8 * width, width, channels);
            return;
          }
          for (int r = 1; r < 3; ++r)
            ASSERT_TRUE(k.row(filtered.data() + r * rowBytes, rows + 4 * width * r,
                              rows + 4 * width * (r - 1), width, channels));
        };
        run(portable, expected);
        run(wide, actual);
        ASSERT_EQ(actual, expected);
      }
      filtered[0] = 5;
      EXPECT_FALSE(wide.row(filtered.data(), reinterpret_cast<std::uint8_t*>(actual.data()),
                            nullptr, width, channels));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, Unfilter,
                         ::testing::Values(KernelCase{UnfilterKernel::Portable, 3},
                                           KernelCase{UnfilterKernel::Portable, 4},
                                           KernelCase{UnfilterKernel::Sse2, 3},
                                           KernelCase{UnfilterKernel::Sse2, 4}),
                         [](const auto& info) {
                           return KernelName(info.param.kernel) +
                                  (info.param.channels == 3 ? "Rgb" : "Rgba");
                         });

// The portable kernel's Paeth against the predictor as the PNG standard states it, byte by
// byte: the reference the other kernels are held to is itself right.
TEST(Unfilter, PortablePaethIsTheStandardsPredictor) {
  std::mt19937 random(3);
  const std::uint32_t width = 19;
  std::vector<std::uint8_t> above(4 * width), filtered(1 + 3 * width), row(4 * width);
  for (auto& b : above) b = static_cast<std::uint8_t>(random());
  for (auto& b : filtered) b = static_cast<std::uint8_t>(random());
  filtered[0] = 4;
  ASSERT_TRUE(UnfilterKernelsOf(UnfilterKernel::Portable)
                  .row(filtered.data(), row.data(), above.data(), width, 3));
  // Words are 0xAARRGGBB: byte 2 is red, 1 green, 0 blue; the file has R, G, B.
  for (std::uint32_t x = 0; x < width; ++x)
    for (int c = 0; c < 3; ++c) {
      const int byte = 2 - c;
      const int a = x ? row[4 * (x - 1) + byte] : 0;
      const int b = above[4 * x + byte];
      const int cc = x ? above[4 * (x - 1) + byte] : 0;
      const int p = a + b - cc;
      const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - cc);
      const int predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : cc;
      EXPECT_EQ(row[4 * x + byte], (filtered[1 + 3 * x + c] + predicted) & 0xFF) << x << "/" << c;
    }
}

// A screen-like picture with colours of its own: flat boxes, text-like specks and, when
// photo is set, grain over shading.
std::vector<std::uint32_t> ScreenLike(std::mt19937& random, int width, int height, int colours,
                                      bool photo) {
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

std::vector<std::uint32_t> OurReading(const std::vector<std::uint8_t>& png, PngRead& result) {
  std::vector<std::uint32_t> raster;
  result = ReadCommonPng(png, [&](std::uint32_t w, std::uint32_t h) {
    raster.assign(std::size_t{w} * h, 0);
    return raster.data();
  });
  return raster;
}

// libpng's simplified reader: every PNG as 8-bit BGRA, the CPU's words 0xAARRGGBB.
std::vector<std::uint32_t> LibpngReading(const std::vector<std::uint8_t>& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> pixels(std::size_t{image.width} * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

struct WriteCase {
  const char* name;
  int colours;  // 0: full colour
  bool photo;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
  *os << c.name;
}

class PngWriter : public ::testing::TestWithParam<WriteCase> {};

// Written by us, read back by our reader and by libpng to exactly
// the pixels given, at every size from one pixel to a 4K screen's; a file cut anywhere is
// declined by our reader.
TEST_P(PngWriter, ReadsBackExactlyByUsAndByLibpng) {
  std::mt19937 random(11);
  const int colours = GetParam().colours;
  for (const auto& [width, height] :
       {std::pair{1, 1}, {1, 9}, {13, 1}, {7, 5}, {301, 97}, {3840, 2160}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const std::vector<std::uint32_t> pixels =
        ScreenLike(random, width, height, colours ? colours : 300, GetParam().photo);
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
    PngPixels in;
    in.width = static_cast<std::uint32_t>(width);
    in.height = static_cast<std::uint32_t>(height);
    if (colours) {
      for (const std::uint32_t p : pixels) {
        const auto at = std::find(palette.begin(), palette.end(), p);
        if (at == palette.end()) palette.push_back(p);
        indices.push_back(static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), p) -
                                                    palette.begin()));
      }
      ASSERT_LE(palette.size(), std::size_t(colours));
      in.palette = palette;
      in.rows = indices.data();
      in.stride = static_cast<std::size_t>(width);
    } else {
      in.rows = reinterpret_cast<const std::uint8_t*>(pixels.data());
      in.stride = static_cast<std::size_t>(width) * 4;
    }
    const std::vector<std::uint8_t> png = WritePng(in);
    ASSERT_FALSE(png.empty());
    if (colours) {  // an index past the palette is refused, not packed into its neighbours
      std::vector<std::uint32_t> shorter(palette.begin(), palette.end() - 1);
      if (!shorter.empty()) {
        PngPixels wrong = in;
        wrong.palette = shorter;
        EXPECT_TRUE(WritePng(wrong).empty());
      }
    }
    ASSERT_EQ(LibpngReading(png), pixels);
    PngRead result;
    const std::vector<std::uint32_t> ours = OurReading(png, result);
    ASSERT_EQ(result, PngRead::Read) << PngReadName(result);
    ASSERT_EQ(ours, pixels);
    if (width * height > 100000) continue;
    for (std::size_t keep = 0; keep < png.size(); keep += 1 + keep / 16) {
      const std::vector<std::uint8_t> cut(png.begin(), png.begin() + static_cast<long>(keep));
      OurReading(cut, result);
      EXPECT_NE(result, PngRead::Read) << keep << " bytes kept";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PngWriter,
    ::testing::Values(WriteCase{"FullColour", 0, false}, WriteCase{"FullColourPhoto", 0, true},
                      WriteCase{"TwoColours", 2, false}, WriteCase{"FourColours", 4, false},
                      WriteCase{"SixteenColours", 16, false}, WriteCase{"Palette", 256, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The PNG with its palette cut to its first entries, the checksum made right again.
std::vector<std::uint8_t> WithPaletteOf(const std::vector<std::uint8_t>& png, int entries) {
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

// indices (one a byte) as libpng writes a palette picture with every filter tried on each row,
// packed to depth bits; empty if libpng fails.
std::vector<std::uint8_t> LibpngPalettePng(int width, int height, int depth,
                                           std::vector<png_color>& palette,
                                           const std::vector<std::uint8_t>& indices) {
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
  png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(writer, info, palette.data(), static_cast<int>(palette.size()));
  png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_write_info(writer, info);
  png_set_packing(writer);  // one index a byte in, packed to the depth in the file
  for (int y = 0; y < height; ++y)
    png_write_row(writer, indices.data() + static_cast<std::size_t>(y) * width);
  png_write_end(writer, nullptr);
  png_destroy_write_struct(&writer, &info);
  return png;
}

// A palette picture as libpng writes it with every filter tried on each row (which no
// palette writer of ours does), packed 1, 2, 4 or 8 bits: read as libpng reads it, down to
// the last pixel of rows that end inside a byte.
TEST(PngReader, PaletteFilesOfEveryDepthAsLibpngWritesThem) {
  std::mt19937 random(17);
  for (const int depth : {1, 2, 4, 8}) {
    for (const auto& [width, height] : {std::pair{1, 1}, {3, 7}, {13, 5}, {67, 41}, {1023, 300}}) {
      SCOPED_TRACE(testing::Message() << depth << " bits, " << width << "x" << height);
      const int entries = 1 << depth;
      std::vector<png_color> palette(static_cast<std::size_t>(entries));
      for (auto& c : palette)
        c = {static_cast<png_byte>(random()), static_cast<png_byte>(random()),
             static_cast<png_byte>(random())};
      // Runs of an index, as a screenshot's flat areas make, broken by single pixels.
      std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
      std::uint8_t run = 0;
      for (auto& i : indices) {
        if (random() % 7 == 0) run = static_cast<std::uint8_t>(random() % entries);
        i = random() % 5 ? run : static_cast<std::uint8_t>(random() % entries);
      }
      const std::vector<std::uint8_t> png =
          LibpngPalettePng(width, height, depth, palette, indices);
      ASSERT_FALSE(png.empty());
      // Every index used within the palette: a palette a few entries short of them is left to
      // libpng, which reads such a file with a warning.
      const int highest = *std::max_element(indices.begin(), indices.end());
      if (highest > 0) {
        PngRead shortResult;
        OurReading(WithPaletteOf(png, highest), shortResult);
        EXPECT_EQ(shortResult, PngRead::LeftToFullReader) << PngReadName(shortResult);
      }
      PngRead result;
      const std::vector<std::uint32_t> ours = OurReading(png, result);
      ASSERT_EQ(result, PngRead::Read) << PngReadName(result);
      ASSERT_EQ(ours, LibpngReading(png));
    }
  }
}

// Image data that inflates far past its picture is refused before a full reader would spend
// seconds inflating it; a little extra is left to one, which reads it.
TEST(PngReader, DataFarPastThePictureIsRefusedALittleIsLeftToAFullReader) {
  std::mt19937 random(5);
  const std::vector<std::uint32_t> pixels = ScreenLike(random, 64, 48, 300, false);
  PngPixels in{64, 48, {}, reinterpret_cast<const std::uint8_t*>(pixels.data()), 64 * 4};
  const std::vector<std::uint8_t> png = WritePng(in, 0);  // level 0: stored, easy to extend
  PngRead result;
  ASSERT_EQ((OurReading(png, result), result), PngRead::Read);
  // The same rows followed by extra: a new picture of more rows, with the old header.
  for (const auto& [rows, expected] :
       {std::pair{60, PngRead::DamagedData}, {200, PngRead::DataPastPicture}}) {
    std::vector<std::uint32_t> more = pixels;
    more.resize(std::size_t{64} * rows, 0xFF123456u);
    const std::vector<std::uint8_t> longer =
        WritePng({64,
                  static_cast<std::uint32_t>(rows),
                  {},
                  reinterpret_cast<const std::uint8_t*>(more.data()),
                  64 * 4});
    std::vector<std::uint8_t> spliced = longer;
    StoreBigEndian(spliced.data() + 8 + 8 + 4, 48);  // the header's height back to 48
    StoreBigEndian(spliced.data() + 8 + 8 + 13, PngChunkCrc(spliced.data() + 8 + 4, 17));
    OurReading(spliced, result);
    EXPECT_EQ(result, expected) << rows << " rows: " << PngReadName(result);
  }
}

}  // namespace
}  // namespace huesift
