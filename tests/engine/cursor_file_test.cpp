// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cursor_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>

namespace huesift {
namespace {

std::vector<std::uint32_t> TestPattern(int w, int h) {
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((x + 2 * y) % 3 != 0) argb[y * w + x] = 0xFF000000u | (x * 0x010203u) | (y << 16);
  argb[0] = 0x80102030u;  // a half-transparent corner survives as it is
  return argb;
}

void Set32(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = (v >> (8 * i)) & 0xFF;
}

TEST(CursorFile, ReadsBackWhatWasWritten) {
  for (const auto& [w, h] : {std::pair{32, 32}, std::pair{13, 7}, std::pair{1, 1}}) {
    const auto argb = TestPattern(w, h);
    const auto file = WriteCursorFile(w, h, argb, w - 1, h / 2);
    const auto image = ReadCursorFile(file);
    ASSERT_TRUE(image) << w << "x" << h;
    EXPECT_EQ(image->width, w);
    EXPECT_EQ(image->height, h);
    EXPECT_EQ(image->hotspotX, w - 1);
    EXPECT_EQ(image->hotspotY, h / 2);
    EXPECT_EQ(image->argb, argb);
  }
}

// The classic kind: 1 bit per pixel, two palette colours, the AND mask marks the holes.
TEST(CursorFile, ReadsPalettedBitmapWithMask) {
  std::vector<std::uint8_t> f = {0, 0, 2, 0, 1, 0,  // directory: a cursor with one image
                                 8, 2, 2, 0, 3, 0, 1, 0, 0, 0, 0, 0, 22, 0, 0, 0};
  std::vector<std::uint8_t> dib(40 + 8 + 2 * 4 + 2 * 4, 0);
  Set32(dib, 0, 40);
  Set32(dib, 4, 8);
  Set32(dib, 8, 4);
  dib[12] = 1;
  dib[14] = 1;
  Set32(dib, 44, 0x00FF8040);  // palette entry 1 (entry 0 stays black)
  dib[48] = 0b11110000;        // colour rows, bottom row first
  dib[52] = 0b00001111;
  dib[56] = 0b00000011;  // mask rows: the last two pixels of the bottom row are holes
  dib[60] = 0b00000000;
  Set32(f, 14, static_cast<std::uint32_t>(dib.size()));
  f.insert(f.end(), dib.begin(), dib.end());

  const auto image = ReadCursorFile(f);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->hotspotX, 3);
  EXPECT_EQ(image->hotspotY, 1);
  const std::uint32_t K = 0xFF000000u, C = 0xFFFF8040u;
  const std::vector<std::uint32_t> expected = {K, K, K, K, C, C, C, C,   // top row
                                               C, C, C, C, K, K, 0, 0};  // bottom row
  EXPECT_EQ(image->argb, expected);
}

TEST(CursorFile, RejectsEveryTruncation) {
  const auto file = WriteCursorFile(16, 16, TestPattern(16, 16), 0, 0);
  for (std::size_t n = 0; n < file.size(); ++n)
    EXPECT_FALSE(ReadCursorFile(std::span(file.data(), n))) << "length " << n;
}

struct Damage {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> apply;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.what;
}

// "icon, not cursor" becomes IconNotCursor.
std::string TestName(const Damage& d) {
  std::string name;
  bool wordStart = true;
  for (const char* c = d.what; *c; ++c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (!std::isalnum(u)) {
      wordStart = true;
      continue;
    }
    name += wordStart ? static_cast<char>(std::toupper(u)) : *c;
    wordStart = false;
  }
  return name;
}

class CursorFileRejects : public ::testing::TestWithParam<Damage> {};

TEST_P(CursorFileRejects, DamagedFile) {
  auto file = WriteCursorFile(16, 16, TestPattern(16, 16), 4, 4);
  ASSERT_TRUE(ReadCursorFile(file));
  GetParam().apply(file);
  EXPECT_FALSE(ReadCursorFile(file)) << GetParam().what;
}

// Offsets into the file: directory 0, entry 6 (size at 14, offset at 18), bitmap header 22.
INSTANTIATE_TEST_SUITE_P(
    Header, CursorFileRejects,
    ::testing::Values(Damage{"icon, not cursor", [](auto& f) { f[2] = 1; }},
                      Damage{"no images", [](auto& f) { f[4] = 0; }},
                      Damage{"directory longer than file", [](auto& f) { f[4] = 200; }},
                      Damage{"image inside directory", [](auto& f) { Set32(f, 18, 10); }},
                      Damage{"image past end", [](auto& f) { Set32(f, 14, f.size()); }},
                      Damage{"offset wraps around", [](auto& f) { Set32(f, 18, 0xFFFFFFF0u); }},
                      Damage{"size wraps around", [](auto& f) { Set32(f, 14, 0xFFFFFFF0u); }},
                      Damage{"hotspot outside image", [](auto& f) { f[10] = 16; }},
                      Damage{"bitmap header too big", [](auto& f) { Set32(f, 22, 5000); }},
                      Damage{"bitmap header too small", [](auto& f) { Set32(f, 22, 12); }},
                      Damage{"width differs from directory", [](auto& f) { Set32(f, 26, 17); }},
                      Damage{"height without mask", [](auto& f) { Set32(f, 30, 16); }},
                      Damage{"odd bit depth", [](auto& f) { f[36] = 3; }},
                      Damage{"compressed", [](auto& f) { Set32(f, 38, 1); }},
                      Damage{"palette larger than bits allow", [](auto& f) { Set32(f, 54, 300); }},
                      Damage{"more pixels than bytes",
                             [](auto& f) {
                               f[6] = 0;  // 256 x 16 claimed, 16 x 16 stored
                               Set32(f, 26, 256);
                             }},
                      Damage{"png with wrong size",
                             [](auto& f) {
                               const std::uint8_t png[] = {
                                   0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                   'I',  'H', 'D', 'R', 0,    0,    0,    15,   0, 0, 0, 16};
                               std::copy(std::begin(png), std::end(png), f.begin() + 22);
                             }},
                      Damage{"larger than 1 MiB",
                             [](auto& f) { f.resize(kMaxCursorFileBytes + 1); }}),
    [](const auto& info) { return TestName(info.param); });

TEST(CursorFile, AcceptsPngImageOfTheDirectorySize) {
  auto file = WriteCursorFile(16, 16, TestPattern(16, 16), 4, 4);
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                              'I',  'H', 'D', 'R', 0,    0,    0,    16,   0, 0, 0, 16};
  std::copy(std::begin(png), std::end(png), file.begin() + 22);
  const auto image = ReadCursorFile(file);
  ASSERT_TRUE(image);
  EXPECT_TRUE(image->argb.empty());
  EXPECT_EQ(image->png.data(), file.data() + 22);
  EXPECT_EQ(image->png.size(), file.size() - 22);
}

}  // namespace
}  // namespace huesift
