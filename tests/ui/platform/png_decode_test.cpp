// SPDX-License-Identifier: GPL-3.0-or-later
// Our own reader of common PNGs against Qt's: the same image whenever it takes one, and any
// damage either declined or read exactly as Qt reads it.
#include "platform/png_decode.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <cstring>
#include <random>

#include "tests/ui/fake_services.h"

namespace huesift::test {
namespace {

// Pixels that make the encoder use every filter and every kind of match: flat areas, text
// and edges as on a screen, gradients, ramps and noise.
QImage ScreenLike(std::mt19937& random, int width, int height, bool alpha) {
  QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  image.fill(QColor::fromRgb(random()));
  QPainter painter(&image);
  for (int i = 0; i < 12; ++i) {
    const QRect box(random() % width, random() % height, 1 + random() % width,
                    1 + random() % height);
    switch (i % 5) {
      case 0:
        painter.fillRect(box, QColor::fromRgba(random() | (alpha ? 0 : 0xFF000000u)));
        break;
      case 1: {
        QLinearGradient gradient(box.topLeft(), box.bottomRight());
        gradient.setColorAt(0, QColor::fromRgb(random()));
        gradient.setColorAt(1, QColor::fromRgb(random()));
        painter.fillRect(box, gradient);
        break;
      }
      case 2:
        painter.setPen(QColor::fromRgb(random()));
        painter.drawText(box, "Huesift 0123 keep these colours");
        break;
      case 3: {  // a ramp of equal steps, which the filters make a short repeated pattern
        const QRgb across = random() & 0x0F0F0F0Fu;
        const QRgb down = random() & 0x0F0F0F0Fu;
        const QRgb base = random();
        painter.end();
        for (int y = box.top(); y <= box.bottom() && y < height; ++y)
          for (int x = box.left(); x <= box.right() && x < width; ++x)
            image.setPixel(x, y, (base + x * across + y * down) | (alpha ? 0 : 0xFF000000u));
        painter.begin(&image);
        break;
      }
      default:
        painter.end();
        for (int y = box.top(); y <= box.bottom() && y < height; ++y)
          for (int x = box.left(); x <= box.right() && x < width; x += 1 + random() % 3)
            image.setPixel(x, y, random() | (alpha ? 0 : 0xFF000000u));
        painter.begin(&image);
    }
  }
  return image;
}

// quality as Qt's PNG writer takes it: 100 stores, 0 compresses hardest.
QByteArray Png(const QImage& image, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  writer.setQuality(quality);
  writer.write(image);
  return bytes;
}

// What Qt's own reader makes of the bytes: the reference.
QImage QtReads(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  return reader.read();
}

void ExpectSameImage(const QImage& ours, const QImage& qts) {
  ASSERT_EQ(ours.format(), qts.format());
  ASSERT_EQ(ours.size(), qts.size());
  for (int y = 0; y < ours.height(); ++y)
    ASSERT_EQ(0, std::memcmp(ours.constScanLine(y), qts.constScanLine(y),
                             static_cast<std::size_t>(ours.width()) * 4))
        << "row " << y;
}

struct Case {
  const char* name;
  bool alpha;
  int quality;  // 100: stored blocks only; 80: zlib's fastest level; 0: its smallest
};

class CommonPng : public ::testing::TestWithParam<Case> {};

TEST_P(CommonPng, ReadsEveryPictureExactlyAsQtDoesAndIntoTheGivenMemory) {
  std::mt19937 random(20);
  const QSize sizes[] = {{1, 1}, {1, 37}, {53, 1}, {3, 5}, {301, 97}, {640, 400}};
  for (const QSize size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    const QByteArray bytes =
        Png(ScreenLike(random, size.width(), size.height(), GetParam().alpha), GetParam().quality);
    const QImage reference = QtReads(bytes);
    ASSERT_FALSE(reference.isNull());

    QImage fresh;
    ASSERT_TRUE(DecodeCommonPng(bytes, fresh));
    ExpectSameImage(fresh, reference);

    // Memory of the right size is written in place, whatever 32-bit format it had.
    QImage into(size, QImage::Format_RGB32);
    into.fill(Qt::magenta);
    const uchar* memory = into.constBits();
    ASSERT_TRUE(DecodeCommonPng(bytes, into));
    EXPECT_EQ(into.constBits(), memory);
    ExpectSameImage(into, reference);
  }
}

// Every cut, and random damage to any byte, with the checksums of the chunks made right
// again so that the damage reaches the header and the compressed stream: declined with the
// given image untouched, or read to what Qt reads. A cut file is always declined.
TEST_P(CommonPng, DamagedFileIsDeclinedOrReadAsQtReadsIt) {
  std::mt19937 random(21);
  const QByteArray whole =
      Png(ScreenLike(random, 23 + random() % 20, 9 + random() % 10, GetParam().alpha),
          GetParam().quality);
  for (qsizetype keep = 0; keep < whole.size(); keep += 1 + keep / 64) {
    QImage image;
    EXPECT_FALSE(DecodeCommonPng(whole.left(keep), image)) << keep << " bytes kept";
    EXPECT_TRUE(image.isNull());
  }
  int read = 0;
  for (int round = 0; round < 600; ++round) {
    QByteArray bytes = whole;
    for (int n = 1 + random() % 3; n > 0; --n)
      bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
    // Chunk checksums recomputed (Qt refuses a bad one in a critical chunk, and so do we).
    for (qsizetype at = 8; at + 12 <= bytes.size();) {
      const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
      if (length > quint32(bytes.size() - at - 12)) break;
      qToBigEndian(Crc32(bytes.constData() + at + 4, static_cast<int>(length + 4)),
                   bytes.data() + at + 8 + length);
      at += 12 + length;
    }
    QImage image(5, 5, QImage::Format_RGB32);
    const uchar* memory = image.constBits();
    if (DecodeCommonPng(bytes, image)) {
      ++read;
      ExpectSameImage(image, QtReads(bytes));
    } else {
      EXPECT_EQ(image.constBits(), memory);
      EXPECT_EQ(image.format(), QImage::Format_RGB32);
    }
  }
  EXPECT_GT(read, 0);
}

INSTANTIATE_TEST_SUITE_P(Encodings, CommonPng,
                         ::testing::Values(Case{"RgbStored", false, 100},
                                           Case{"RgbFast", false, 80},
                                           Case{"RgbSmallest", false, 0},
                                           Case{"RgbaStored", true, 100},
                                           Case{"RgbaSmallest", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace huesift::test
