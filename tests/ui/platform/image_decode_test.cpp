// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding image bytes for Paste: a picture only when every one of its pixels came from the
// bytes, checked on files cut at random points against the picture of the whole file.
#include "platform/image_decode.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <random>

#include "tests/ui/fake_services.h"

namespace huesift::test {
namespace {

QImage RandomPicture(std::mt19937& random, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, random() | 0xFF000000u);
  return image;
}

QImage Rgb(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

struct Format {
  const char* name;
  // Bytes at the end that carry no pixel (trailer, last row's padding); a cut longer than
  // this loses pixels and must be refused.
  int slack;
};

void PrintTo(const Format& f, std::ostream* os) {
  *os << f.name;
  if (f.slack == 0)
    *os << ", refused whenever cut";
  else if (f.slack > 0)
    *os << ", refused once more than " << f.slack << " bytes are cut";
  else
    *os << ", a cut file need not be refused";
}

class DecodeCut : public ::testing::TestWithParam<Format> {};

TEST_P(DecodeCut, CutFileIsRefusedOrGivesExactlyTheWholeFilesPicture) {
  std::mt19937 random(8);
  for (int round = 0; round < 6; ++round) {
    const QImage source = RandomPicture(random, 5 + random() % 40, 3 + random() % 30);
    const QByteArray whole = Encoded(source, GetParam().name);
    ASSERT_FALSE(whole.isEmpty());
    const DecodedImage full = DecodeImageCompletely(whole);
    ASSERT_EQ(full.result, DecodedImage::Result::Complete);
    // The reference is Qt's own reading of the whole file (lossy formats differ from source).
    const QImage reference = Rgb(QImage::fromData(whole));
    EXPECT_EQ(Rgb(full.image), reference);

    // Bytes after the end of a file change nothing.
    const DecodedImage trailing = DecodeImageCompletely(whole + QByteArray(100, '\x5A'));
    ASSERT_EQ(trailing.result, DecodedImage::Result::Complete);
    EXPECT_EQ(Rgb(trailing.image), reference);

    for (int i = 0; i < 60; ++i) {
      const int cut = 1 + static_cast<int>(random() % (whole.size() - 1));
      const DecodedImage part = DecodeImageCompletely(whole.chopped(cut));
      SCOPED_TRACE(testing::Message()
                   << GetParam().name << " " << source.width() << "x" << source.height() << " cut "
                   << cut << " of " << whole.size());
      if (part.result == DecodedImage::Result::Complete) {
        EXPECT_EQ(Rgb(part.image), reference);
      }
      if (GetParam().slack >= 0 && cut > GetParam().slack) {
        EXPECT_NE(part.result, DecodedImage::Result::Complete);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeCut,
                         ::testing::Values(Format{"BMP", 3}, Format{"PNG", 12 + 4 + 4},
                                           Format{"PPM", 0}, Format{"JPG", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeImageCompletely, RefusesWhatIsNoPicture) {
  EXPECT_EQ(DecodeImageCompletely(QByteArray()).result, DecodedImage::Result::Refused);
  EXPECT_EQ(DecodeImageCompletely("GIF89a").result, DecodedImage::Result::Refused);
}

// A BMP whose header puts its pixels 4000 bytes on, cut 1000 bytes in: what lies before the
// cut would make a whole picture of the right size (all grey), but none of it is the pixels.
TEST(DecodeImageCompletely, RefusesABmpCutBeforeItsPixelsBegin) {
  const int width = 8, height = 8, stride = width * 3;
  const int pixelsAt = 54 + 4000;
  QByteArray bmp("BM");
  auto put = [&bmp](quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp += static_cast<char>(value >> (8 * i));
  };
  put(pixelsAt + stride * height, 4);
  put(0, 4);
  put(pixelsAt, 4);
  put(40, 4);
  put(width, 4);
  put(height, 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(stride * height, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  bmp += QByteArray(1000, '\x80');
  EXPECT_EQ(DecodeImageCompletely(bmp).result, DecodedImage::Result::Refused);
}

}  // namespace
}  // namespace huesift::test
