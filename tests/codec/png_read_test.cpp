// SPDX-License-Identifier: GPL-3.0-or-later
// Our reader against libpng on files libpng writes, and on the files a reader must not take.
#include "codec/png_read.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "codec/png_write.h"
#include "codec/unfilter.h"
#include "tests/codec/png_samples.h"

namespace huesift::test {
namespace {

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

// The chunks of a sound file laid out again by change, each chunk given as (type, data).
using Chunk = std::pair<std::uint32_t, std::vector<std::uint8_t>>;
template <typename Change>
std::vector<std::uint8_t> Relaid(const std::vector<std::uint8_t>& png, Change&& change) {
  std::vector<Chunk> chunks;
  WalkPngChunks(png, [&](const PngChunk& chunk) {
    chunks.emplace_back(chunk.type,
                        std::vector<std::uint8_t>(chunk.data(), chunk.data() + chunk.length));
    return true;
  });
  change(chunks);
  std::vector<std::uint8_t> out(png.begin(), png.begin() + 8);
  for (const auto& [type, data] : chunks) {
    const std::size_t at = out.size();
    out.resize(at + 12 + data.size());
    StoreBigEndian(out.data() + at, static_cast<std::uint32_t>(data.size()));
    StoreBigEndian(out.data() + at + 4, type);
    std::copy(data.begin(), data.end(), out.begin() + static_cast<long>(at) + 8);
    StoreBigEndian(out.data() + at + 8 + data.size(),
                   PngChunkCrc(out.data() + at + 4, data.size() + 4));
  }
  return out;
}

// Files whose chunks libpng refuses although every byte of the picture is there: our reader
// must not take them either, whatever it makes of their pixels.
TEST(PngReader, ChunksLibpngRefusesAreNotRead) {
  std::mt19937 random(23);
  const std::vector<std::uint32_t> pixels = ScreenLike(random, 120, 80, 300, true);
  const std::vector<std::uint8_t> sound =
      WritePng({120, 80, {}, reinterpret_cast<const std::uint8_t*>(pixels.data()), 120 * 4});
  ASSERT_EQ(LibpngReading(sound), pixels);
  auto split = [](std::vector<Chunk>& chunks, std::uint32_t between) {
    auto idat = std::find_if(chunks.begin(), chunks.end(),
                             [](const Chunk& c) { return c.first == PngChunkType("IDAT"); });
    std::vector<std::uint8_t> second(idat->second.begin() + 100, idat->second.end());
    idat->second.resize(100);
    chunks.insert(chunks.insert(idat + 1, {between, {'a', 0, 'b'}}) + 1,
                  {PngChunkType("IDAT"), second});
  };
  std::vector<std::uint8_t> badCrc = sound;
  badCrc[badCrc.size() - 12 - 1] ^= 0x01;  // the last byte of IDAT's checksum
  const std::pair<const char*, std::vector<std::uint8_t>> files[] = {
      {"IDAT's checksum wrong", badCrc},
      {"IDATs not consecutive", Relaid(sound, [&](auto& c) { split(c, PngChunkType("tEXt")); })},
      {"an unknown critical chunk",
       Relaid(sound,
              [&](auto& c) {
                c.insert(c.begin() + 1, {PngChunkType("ABCD"), {1, 2}});
              })},
  };
  for (const auto& [name, png] : files) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(LibpngReading(png).empty());
    PngRead result;
    OurReading(png, result);
    EXPECT_EQ(result, PngRead::DamagedChunks) << PngReadName(result);
  }
  // An IDAT split in two, consecutive, is as sound as one.
  PngRead result;
  EXPECT_EQ(OurReading(Relaid(sound,
                              [&](auto& c) {
                                auto idat = c.begin() + 1;
                                std::vector<std::uint8_t> second(idat->second.begin() + 100,
                                                                 idat->second.end());
                                idat->second.resize(100);
                                c.insert(idat + 1, {PngChunkType("IDAT"), second});
                              }),
                       result),
            pixels);
  EXPECT_EQ(result, PngRead::Read);
}

// RGB rows all filtered with Paeth, which the reader undoes two rows at a time in the raster's
// own memory, and with libpng's own choice of filters: at every height up to a dozen rows (the
// last pairs are where the rows run nearest to the bytes not yet read) and narrow widths, read
// as libpng reads them, with each kernel.
TEST(PngReader, RowsInTheRastersOwnMemoryAsLibpngReadsThem) {
  std::mt19937 random(31);
  for (const int filters : {PNG_FILTER_PAETH, PNG_ALL_FILTERS})
    for (const int colourType : {2, 6})
      for (int height = 1; height <= 12; ++height)
        for (const int width : {1, 2, 5, 64}) {
          SCOPED_TRACE(testing::Message()
                       << (filters == PNG_FILTER_PAETH ? "Paeth" : "all") << ", colour type "
                       << colourType << ", " << width << "x" << height);
          const std::vector<std::uint8_t> png =
              LibpngRawPng(random, width, height, colourType, 8, 0, filters);
          std::vector<std::uint32_t> expected = LibpngReading(png);
          for (auto& word : expected) word |= 0xFF000000u;  // a picture is opaque
          for (const UnfilterKernel kernel : {UnfilterKernel::Portable, WidestUnfilterKernel()}) {
            LimitUnfilterKernel(kernel);
            PngRead result;
            const std::vector<std::uint32_t> ours = OurReading(png, result);
            LimitUnfilterKernel(WidestUnfilterKernel());
            ASSERT_EQ(result, PngRead::Read) << PngReadName(result);
            ASSERT_EQ(ours, expected);
          }
        }
}

// The size a header says its image data inflates to, against what libpng writes for it: every
// colour type and depth, interlaced or not, at sizes whose rows end inside a byte and whose
// interlace passes are short or empty.
TEST(PngReader, FilteredSizeIsWhatLibpngWrites) {
  struct Kind {
    int colourType;
    int depth;
  };
  const Kind kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                        {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  std::mt19937 random(29);
  for (const Kind kind : kinds)
    for (const int interlace : {0, 1})
      for (const auto& [width, height] : {std::pair{1, 1}, {3, 2}, {5, 9}, {13, 7}, {33, 17}}) {
        SCOPED_TRACE(testing::Message()
                     << "colour type " << kind.colourType << ", depth " << kind.depth
                     << ", interlace " << interlace << ", " << width << "x" << height);
        const std::vector<std::uint8_t> png =
            LibpngRawPng(random, width, height, kind.colourType, kind.depth, interlace);
        ASSERT_FALSE(png.empty());
        std::vector<std::uint8_t> data;
        WalkPngChunks(png, [&](const PngChunk& chunk) {
          if (chunk.type == PngChunkType("IDAT"))
            data.insert(data.end(), chunk.data(), chunk.data() + chunk.length);
          return true;
        });
        std::vector<std::uint8_t> inflated(1 << 16);
        std::size_t size = 0;
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ASSERT_EQ(libdeflate_zlib_decompress(d, data.data(), data.size(), inflated.data(),
                                             inflated.size(), &size),
                  LIBDEFLATE_SUCCESS);
        libdeflate_free_decompressor(d);
        EXPECT_EQ(
            PngFilteredSize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                            static_cast<std::uint8_t>(kind.depth),
                            static_cast<std::uint8_t>(kind.colourType),
                            static_cast<std::uint8_t>(interlace)),
            size);
      }
}

}  // namespace
}  // namespace huesift::test
