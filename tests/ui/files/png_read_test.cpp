// SPDX-License-Identifier: GPL-3.0-or-later
// Our own reader of common PNGs against Qt's: the same pixels whenever it takes one, and any
// damage either declined or read exactly as Qt reads it.
#include "codec/png_read.h"

#include <gtest/gtest.h>
#include <png.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/ui/fake_services.h"
#include "tests/ui/picture_bytes.h"

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

// Our reader into image (made RGB32 of the header's size, or kept when it has that size):
// whether it read the bytes.
bool DecodeCommonPng(const QByteArray& bytes, QImage& image) {
  const PngRead result =
      ReadCommonPng({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                     static_cast<std::size_t>(bytes.size())},
                    [&](std::uint32_t width, std::uint32_t height) -> std::uint32_t* {
                      if (width > 4096 || height > 4096) return nullptr;
                      const QSize size(static_cast<int>(width), static_cast<int>(height));
                      if (image.size() != size || image.format() != QImage::Format_RGB32)
                        image = QImage(size, QImage::Format_RGB32);
                      return reinterpret_cast<std::uint32_t*>(image.bits());
                    });
  return result == PngRead::Read;
}

// Ours is opaque, as a picture is; Qt's keeps the file's alpha, which a picture drops.
void ExpectSameImage(const QImage& ours, const QImage& qts) {
  ASSERT_EQ(ours.size(), qts.size());
  const QImage reference = qts.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < ours.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(ours.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
    for (int x = 0; x < ours.width(); ++x)
      ASSERT_EQ(a[x], b[x] | 0xFF000000u) << "pixel " << x << ", " << y;
  }
}

struct Case {
  const char* name;
  bool alpha;
  int quality;           // 100: stored blocks only; 80: zlib's fastest level; 0: its smallest
  bool palette = false;  // the picture reduced to at most 256 colours, written as a palette
};

// The picture of a case: a palette one in the colours Qt picks for it.
QImage CasePicture(std::mt19937& random, int width, int height, const Case& c) {
  const QImage image = ScreenLike(random, width, height, c.alpha);
  return c.palette ? image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither) : image;
}

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name << ", Qt's quality " << c.quality;
}

class CommonPng : public ::testing::TestWithParam<Case> {};

TEST_P(CommonPng, ReadsEveryPictureExactlyAsQtDoesAndIntoTheGivenMemory) {
  std::mt19937 random(20);
  const QSize sizes[] = {{1, 1}, {1, 37}, {53, 1}, {3, 5}, {301, 97}, {640, 400}};
  for (const QSize size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    const QByteArray bytes =
        Png(CasePicture(random, size.width(), size.height(), GetParam()), GetParam().quality);
    const QImage reference = QtReads(bytes);
    ASSERT_FALSE(reference.isNull());

    QImage fresh;
    ASSERT_TRUE(DecodeCommonPng(bytes, fresh));
    ExpectSameImage(fresh, reference);

    // Memory of the right size is written in place.
    QImage into(size, QImage::Format_RGB32);
    into.fill(Qt::magenta);
    const uchar* memory = into.constBits();
    ASSERT_TRUE(DecodeCommonPng(bytes, into));
    EXPECT_EQ(into.constBits(), memory);
    ExpectSameImage(into, reference);
  }
}

// Every cut, and random damage to any byte, with the checksums of the chunks made right
// again so that the damage reaches the header and the compressed stream: declined, or read to
// what Qt reads. A cut file is always declined.
TEST_P(CommonPng, DamagedFileIsDeclinedOrReadAsQtReadsIt) {
  std::mt19937 random(21);
  const QByteArray whole = Png(
      CasePicture(random, 23 + random() % 20, 9 + random() % 10, GetParam()), GetParam().quality);
  for (qsizetype keep = 0; keep < whole.size(); keep += 1 + keep / 64) {
    QImage image;
    EXPECT_FALSE(DecodeCommonPng(whole.left(keep), image)) << keep << " bytes kept";
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
    QImage image;
    if (DecodeCommonPng(bytes, image)) {
      ++read;
      ExpectSameImage(image, QtReads(bytes));
    }
  }
  EXPECT_GT(read, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, CommonPng,
    ::testing::Values(Case{"RgbStored", false, 100}, Case{"RgbFast", false, 80},
                      Case{"RgbSmallest", false, 0}, Case{"RgbaStored", true, 100},
                      Case{"RgbaSmallest", true, 0}, Case{"PaletteFast", false, 80, true},
                      Case{"PaletteSmallest", false, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A screenshot with a photograph in a window, as a browser or viewer shows one: shading with
// sensor noise, whose filtered bytes are mostly small with a long tail of rare values. That
// tail is what makes zlib give some literals codes of the full 15 bits.
QImage PhotoLike(std::mt19937& random, int width, int height, bool alpha) {
  QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  image.fill(QColor(246, 245, 244));
  // Grain as a camera's: small steps common, each larger one rarer by a constant factor.
  std::exponential_distribution<double> size(0.5);
  auto grain = [&](std::mt19937& r) { return (r() & 1 ? 1 : -1) * size(r); };
  const double fx = 0.004 + (random() % 100) * 0.0001;
  const double fy = 0.006 + (random() % 100) * 0.0001;
  const QRect photo(width / 10, 0, width * 8 / 10, height);
  for (int y = photo.top(); y <= photo.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = photo.left(); x <= photo.right(); ++x) {
      auto channel = [&](double phase) {
        const double shade = 128 + 90 * std::sin(x * fx + phase) * std::cos(y * fy - phase);
        return std::clamp(static_cast<int>(shade + grain(random)), 0, 255);
      };
      const int a = alpha ? std::clamp(200 + static_cast<int>(4 * grain(random)), 0, 255) : 255;
      row[x] = qRgba(channel(0.0), channel(1.3), channel(2.1), a);
    }
  }
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.drawText(QRect(4, 2, photo.left() - 4, height), Qt::TextWordWrap,
                   "holiday.jpg 100% 4032 x 3024 Exposure 1/250 f/4.0 ISO 200");
  return image;
}

// The picture as libpng writes it for image programs: each row with the filter its heuristic
// picks, at the given zlib level, in the larger blocks of zlib's memLevel 9 that some of them
// choose (Pillow, for one).
QByteArray LibpngPng(const QImage& image, int level) {
  const bool alpha = image.hasAlphaChannel();
  const QImage rows =
      image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  QByteArray out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng could not write the picture";
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        static_cast<QByteArray*>(png_get_io_ptr(p))
            ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width()),
               static_cast<png_uint_32>(rows.height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_compression_level(png, level);
  png_set_compression_mem_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < rows.height(); ++y) png_write_row(png, rows.constScanLine(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Photo-like windows make zlib give rare literals codes of the full 15 bits, which small flat
// pictures never make; at every zlib level.
class LongCodes : public ::testing::TestWithParam<int> {};

TEST_P(LongCodes, PhotoInAScreenshotIsReadAsQtReadsIt) {
  const int level = GetParam();
  std::mt19937 random(static_cast<unsigned>(40 + level));
  for (const bool alpha : {false, true}) {
    SCOPED_TRACE(alpha ? "RGBA" : "RGB");
    const QByteArray bytes = LibpngPng(PhotoLike(random, 800, 600, alpha), level);
    QImage image;
    ASSERT_TRUE(DecodeCommonPng(bytes, image));
    ExpectSameImage(image, QtReads(bytes));
  }
}

INSTANTIATE_TEST_SUITE_P(ZlibLevels, LongCodes, ::testing::Range(1, 10),
                         [](const auto& info) { return "Level" + std::to_string(info.param); });

// Hand-made 2x2 pictures of one block whose literal/length code has eight codes of 15 bits:
// one gives every one of the 286 symbols a code, the most a block can have; the other gives
// literal 0 none, so that no short code fills the first entries of a decoding table.
TEST(LongCodes, HandMadeBlocksWithEightCodesOf15Bits) {
  for (const char* name :
       {"png-286-codes-eight-of-15-bits.png", "png-literal-0-uncoded-eight-of-15-bits.png"}) {
    SCOPED_TRACE(name);
    QFile file(QStringLiteral(HUESIFT_FUZZ_CORPUS_DIR "/image_decode/") + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QImage image;
    ASSERT_TRUE(DecodeCommonPng(bytes, image));
    ExpectSameImage(image, QtReads(bytes));
  }
}

}  // namespace
}  // namespace huesift::test
