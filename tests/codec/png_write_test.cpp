// SPDX-License-Identifier: GPL-3.0-or-later
// Our writer's files read back exactly by our reader and by libpng.
#include "codec/png_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/unfilter.h"
#include "tests/codec/png_samples.h"

namespace huesift::test {
namespace {

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
    // Read with each kernel, in the raster's own memory as the program reads.
    PngRead result;
    for (const UnfilterKernel kernel : {UnfilterKernel::Portable, WidestUnfilterKernel()}) {
      LimitUnfilterKernel(kernel);
      const std::vector<std::uint32_t> ours = OurReading(png, result);
      LimitUnfilterKernel(WidestUnfilterKernel());
      ASSERT_EQ(result, PngRead::Read) << PngReadName(result);
      ASSERT_EQ(ours, pixels);
    }
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

}  // namespace
}  // namespace huesift::test
