// SPDX-License-Identifier: GPL-3.0-or-later
// KWin's screenshot comes as raw rows with a stride and a QImage format named in the reply:
// every layout KWin may use decodes to the screen's pixels, and metadata that does not
// describe the bytes is refused rather than read out of bounds.
#include <gtest/gtest.h>

#include <QImage>
#include <stdexcept>

#include "platform/kwin_screenshot.h"

namespace huesift::test {
namespace {

QImage Noise(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  quint32 state = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      image.setPixel(x, y, 0xFF000000u | (state >> 8));
    }
  return image;
}

// The rows as KWin writes them: padded to stride, the last one ending with its pixels.
QByteArray Rows(const QImage& image, int stride) {
  const int used = image.width() * image.depth() / 8;
  QByteArray bytes;
  for (int y = 0; y < image.height(); ++y) {
    bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), used);
    if (y + 1 < image.height()) bytes.append(QByteArray(stride - used, '\x5a'));
  }
  return bytes;
}

QVariantMap Metadata(const QImage& image, int stride) {
  return {
      {"type", "raw"},          {"width", uint(image.width())},   {"height", uint(image.height())},
      {"stride", uint(stride)}, {"format", uint(image.format())}, {"scale", 2.0}};
}

class KWinPixels : public testing::TestWithParam<QImage::Format> {};

TEST_P(KWinPixels, DecodeToTheScreensPixels) {
  const QImage screen = Noise(37, 11);
  const QImage sent = screen.convertToFormat(GetParam());
  for (const int padding : {0, 12}) {
    const int stride = (sent.width() * sent.depth() / 8 + 3) / 4 * 4 + padding;
    const QImage got = DecodeKWinPixels(Rows(sent, stride), Metadata(sent, stride));
    ASSERT_EQ(got.format(), QImage::Format_RGB32);
    EXPECT_EQ(got, screen) << "format " << GetParam() << ", stride " << stride;
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, KWinPixels,
                         testing::Values(QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32,
                                         QImage::Format_RGBX8888, QImage::Format_RGB888));

TEST(KWinPixels, MetadataThatDoesNotDescribeTheBytesIsRefused) {
  const QImage sent = Noise(16, 4).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QByteArray bytes = Rows(sent, 64);
  EXPECT_NO_THROW(DecodeKWinPixels(bytes, Metadata(sent, 64)));
  QVariantMap narrow = Metadata(sent, 60);  // rows shorter than their pixels
  EXPECT_THROW(DecodeKWinPixels(Rows(sent, 64), narrow), std::runtime_error);
  EXPECT_THROW(DecodeKWinPixels(bytes.left(bytes.size() - 1), Metadata(sent, 64)),
               std::runtime_error);
  QVariantMap indexed = Metadata(sent, 64);
  indexed["format"] = uint(QImage::Format_Indexed8);
  EXPECT_THROW(DecodeKWinPixels(bytes, indexed), std::runtime_error);
  QVariantMap unknown = Metadata(sent, 64);
  unknown["format"] = uint(QImage::NImageFormats);
  EXPECT_THROW(DecodeKWinPixels(bytes, unknown), std::runtime_error);
  QVariantMap png = Metadata(sent, 64);
  png["type"] = "png";
  EXPECT_THROW(DecodeKWinPixels(bytes, png), std::runtime_error);
}

}  // namespace
}  // namespace huesift::test
