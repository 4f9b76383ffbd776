// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding image bytes for Paste: a picture only when every one of its pixels came from the
// bytes, checked on files cut at random points against the picture of the whole file.
#include "files/decode_picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>
#include <random>
#include <vector>

#include "codec/png_write.h"
#include "files/picture_image.h"
#include "tests/ui/fake_services.h"
#include "tests/ui/picture_bytes.h"

namespace huesift::test {
namespace {

// The door's answer with the picture as an image, to compare with Qt's reading.
struct Decoded {
  DecodedPicture::Result result;
  Refusal refusal;
  QImage image;
};
Decoded DecodeImageCompletely(const QByteArray& bytes) {
  Picture picture;
  const DecodedPicture decoded = DecodePicture(bytes, QByteArray(), picture);
  return {
      decoded.result, decoded.refusal,
      decoded.result == DecodedPicture::Result::Complete ? ImageFromPicture(picture) : QImage()};
}

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
  // Bytes at the end whose loss Qt's reader forgives (IEND's checksum): a cut of at most this
  // many still gives the whole picture.
  int forgiven = 0;
};

void PrintTo(const Format& f, std::ostream* os) {
  *os << f.name;
  if (f.slack == 0)
    *os << ", refused whenever cut";
  else if (f.slack > 0)
    *os << ", refused once more than " << f.slack << " bytes are cut";
  else
    *os << ", a cut file need not be refused";
  if (f.forgiven > 0) *os << ", read whole with up to " << f.forgiven << " bytes cut";
}

class DecodeCut : public ::testing::TestWithParam<Format> {};

TEST_P(DecodeCut, CutFileIsRefusedOrGivesExactlyTheWholeFilesPicture) {
  std::mt19937 random(8);
  for (int round = 0; round < 6; ++round) {
    const QImage source = RandomPicture(random, 5 + random() % 40, 3 + random() % 30);
    const QByteArray whole = Encoded(source, GetParam().name);
    ASSERT_FALSE(whole.isEmpty());
    const Decoded full = DecodeImageCompletely(whole);
    ASSERT_EQ(full.result, DecodedPicture::Result::Complete);
    // The reference is Qt's own reading of the whole file (lossy formats differ from source).
    const QImage reference = Rgb(QImage::fromData(whole));
    EXPECT_EQ(Rgb(full.image), reference);

    // Bytes after the end of a file change nothing.
    const Decoded trailing = DecodeImageCompletely(whole + QByteArray(100, '\x5A'));
    ASSERT_EQ(trailing.result, DecodedPicture::Result::Complete);
    EXPECT_EQ(Rgb(trailing.image), reference);

    for (int cut = 1; cut <= GetParam().forgiven; ++cut) {
      const Decoded part = DecodeImageCompletely(whole.chopped(cut));
      ASSERT_EQ(part.result, DecodedPicture::Result::Complete) << cut << " bytes cut";
      EXPECT_EQ(Rgb(part.image), reference);
    }

    for (int i = 0; i < 60; ++i) {
      const int cut = 1 + static_cast<int>(random() % (whole.size() - 1));
      const Decoded part = DecodeImageCompletely(whole.chopped(cut));
      SCOPED_TRACE(testing::Message()
                   << GetParam().name << " " << source.width() << "x" << source.height() << " cut "
                   << cut << " of " << whole.size());
      if (part.result == DecodedPicture::Result::Complete) {
        EXPECT_EQ(Rgb(part.image), reference);
      }
      if (GetParam().slack >= 0 && cut > GetParam().slack) {
        EXPECT_NE(part.result, DecodedPicture::Result::Complete);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeCut,
                         ::testing::Values(Format{"BMP", 3}, Format{"PNG", 12 + 4 + 4, 4},
                                           Format{"PPM", 0}, Format{"JPG", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A GIF with one frame per picture, each in the colours of its own table (at most 256). LZW
// with a clear code every 250 pixels keeps every code 9 bits wide.
QByteArray Gif(const std::vector<QImage>& frames) {
  const QSize size = frames.front().size();
  QByteArray out("GIF89a");
  auto word = [&out](int v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
  word(size.width());
  word(size.height());
  out.append(3, '\0');
  for (const QImage& frame : frames) {
    QList<QRgb> table;
    std::vector<int> codes;
    for (int y = 0; y < size.height(); ++y) {
      for (int x = 0; x < size.width(); ++x) {
        if ((y * size.width() + x) % 250 == 0) codes.push_back(256);
        const QRgb c = frame.pixel(x, y) | 0xFF000000u;
        qsizetype i = table.indexOf(c);
        if (i < 0) {
          i = table.size();
          table.push_back(c);
        }
        codes.push_back(static_cast<int>(i));
      }
    }
    codes.push_back(257);
    out.append(',');
    word(0);
    word(0);
    word(size.width());
    word(size.height());
    out.append(char(0x87));
    for (int i = 0; i < 256; ++i) {
      const QRgb c = i < table.size() ? table[i] : 0;
      out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    out.append(char(8));
    QByteArray data((codes.size() * 9 + 7) / 8, '\0');
    for (std::size_t i = 0; i < codes.size(); ++i)
      for (int b = 0; b < 9; ++b)
        if (codes[i] >> b & 1)
          data[(i * 9 + b) / 8] = char(data[(i * 9 + b) / 8] | 1 << ((i * 9 + b) % 8));
    for (qsizetype at = 0; at < data.size(); at += 255) {
      const QByteArray block = data.mid(at, 255);
      out.append(char(block.size())).append(block);
    }
    out.append('\0');
  }
  return out.append(';');
}

// The GIF read is its first frame; a file cut before that frame's end is refused, one cut
// after it still gives it.
TEST(DecodeImageCompletely, GifGivesItsFirstFrameAndRefusesItCut) {
  std::mt19937 random(16);
  for (int round = 0; round < 4; ++round) {
    std::vector<QRgb> palette;
    for (int i = 0; i < 200; ++i) palette.push_back(random() | 0xFF000000u);
    QImage first(7 + random() % 40, 3 + random() % 30, QImage::Format_RGB32);
    for (int y = 0; y < first.height(); ++y)
      for (int x = 0; x < first.width(); ++x) first.setPixel(x, y, palette[random() % 200]);
    QImage second = first.copy();
    second.fill(palette[0]);
    const qsizetype firstEnd = Gif({first}).size() - 1;  // all but the trailer
    const QByteArray whole = Gif({first, second});
    for (const QByteArray& bytes : {Gif({first}), whole}) {
      const Decoded full = DecodeImageCompletely(bytes);
      ASSERT_EQ(full.result, DecodedPicture::Result::Complete);
      EXPECT_EQ(Rgb(full.image), first);
    }
    for (int i = 0; i < 60; ++i) {
      const qsizetype kept = 1 + static_cast<qsizetype>(random() % (whole.size() - 1));
      SCOPED_TRACE(testing::Message() << "GIF kept " << kept << " of " << whole.size());
      const Decoded part = DecodeImageCompletely(whole.left(kept));
      if (kept < firstEnd) {
        EXPECT_NE(part.result, DecodedPicture::Result::Complete);
      } else {
        ASSERT_EQ(part.result, DecodedPicture::Result::Complete);
        EXPECT_EQ(Rgb(part.image), first);
      }
    }
  }
}

TEST(DecodeImageCompletely, RefusesWhatIsNoPicture) {
  EXPECT_EQ(DecodeImageCompletely(QByteArray()).result, DecodedPicture::Result::Refused);
  EXPECT_EQ(DecodeImageCompletely("GIF89a").result, DecodedPicture::Result::Refused);
  EXPECT_EQ(DecodeImageCompletely(QByteArray()).refusal, Refusal::Empty);
  EXPECT_EQ(DecodeImageCompletely("GIF89a").refusal, Refusal::Unreadable);
  EXPECT_EQ(DecodeImageCompletely("plain text, no picture").refusal, Refusal::UnknownFormat);
}

// The PNG bytes of a picture of width x rows written by our writer, its header then saying it
// has height rows: with more rows than that, its data goes past the picture.
QByteArray PngSayingFewerRows(int width, int rows, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * rows, 0xFF336699u);
  const std::vector<std::uint8_t> png =
      WritePng({static_cast<std::uint32_t>(width),
                static_cast<std::uint32_t>(rows),
                {},
                reinterpret_cast<const std::uint8_t*>(pixels.data()),
                static_cast<std::size_t>(width) * 4});
  QByteArray bytes(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
  qToBigEndian(quint32(height), bytes.data() + 20);
  qToBigEndian(Crc32(bytes.constData() + 12, 17), bytes.data() + 29);
  return bytes;
}

// PNGs refused before Qt's reader sees them, each with its reason: a chunk that says it is
// longer than the file (libpng would make room for it first), and image data that inflates to
// far more than the picture (libpng would inflate all of it). Data a little past the picture
// is Qt's to read, and it does.
TEST(DecodeImageCompletely, PngsRefusedBeforeQtsReaderSayWhy) {
  QByteArray runsPast = PngSayingFewerRows(20, 10, 10);
  QByteArray text("\x70\x00\x00\x00tEXtComment\0x", 18);
  runsPast.insert(33, text);
  const Decoded longChunk = DecodeImageCompletely(runsPast);
  EXPECT_EQ(longChunk.result, DecodedPicture::Result::Refused);
  EXPECT_EQ(longChunk.refusal, Refusal::ChunkRunsPastEnd);

  const Decoded farPast = DecodeImageCompletely(PngSayingFewerRows(100, 2000, 100));
  EXPECT_EQ(farPast.result, DecodedPicture::Result::Refused);
  EXPECT_EQ(farPast.refusal, Refusal::DataPastPicture);

  // Too large by its header: refused with its size before any memory is taken for it.
  const QByteArray wide = PngSayingFewerRows(32768, 1, 1);
  Picture unused;
  const DecodedPicture tooWide = DecodePicture(wide, QByteArray(), unused);
  EXPECT_EQ(tooWide.result, DecodedPicture::Result::TooLarge);
  EXPECT_EQ(tooWide.size, QSize(32768, 1));
  EXPECT_TRUE(unused.empty());

  const Decoded littlePast = DecodeImageCompletely(PngSayingFewerRows(100, 120, 100));
  ASSERT_EQ(littlePast.result, DecodedPicture::Result::Complete);
  EXPECT_EQ(littlePast.image.size(), QSize(100, 100));
  EXPECT_EQ(littlePast.image.pixel(99, 99), 0xFF336699u);
}

// A BMP's header: 8 x 8 pixels of the given depth and compression, which begin at pixelsAt.
QByteArray BmpHeader(int bitsPerPixel, int compression, int colours, int pixelsAt, int length) {
  QByteArray bmp("BM");
  auto put = [&bmp](quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp += static_cast<char>(value >> (8 * i));
  };
  for (quint32 v : {quint32(length), 0u, quint32(pixelsAt), 40u, 8u, 8u}) put(v, 4);
  put(1, 2);
  put(bitsPerPixel, 2);
  for (quint32 v :
       {quint32(compression), quint32(length - pixelsAt), 2835u, 2835u, quint32(colours), 0u})
    put(v, 4);
  for (int i = 0; i < colours; ++i) put(0x00102030u * (i + 1), 4);
  return bmp;
}

// BMPs that would give a whole picture of the right size although their pixels are not all
// in them: one cut before its pixels begin (what lies before the cut is all grey), and one of
// run lengths that says it ends after four pixels, whose reader leaves the rest as its memory
// held them. The same run lengths carried to the last row are a picture.
TEST(DecodeImageCompletely, RefusesABmpWhosePixelsAreNotAllInIt) {
  const int pixelsAt = 54 + 4000;
  const QByteArray cut =
      BmpHeader(24, 0, 0, pixelsAt, pixelsAt + 24 * 8) + QByteArray(1000, '\x80');
  EXPECT_EQ(DecodeImageCompletely(cut).result, DecodedPicture::Result::Refused);

  const int rleAt = 54 + 4 * 4;
  QByteArray endsEarly = QByteArray::fromHex("04020001");  // 4 pixels of colour 2, then "end"
  endsEarly.prepend(BmpHeader(8, 1, 4, rleAt, rleAt + endsEarly.size()));
  EXPECT_EQ(DecodeImageCompletely(endsEarly).result, DecodedPicture::Result::Refused);
  EXPECT_EQ(DecodeImageCompletely(endsEarly).refusal, Refusal::PixelsUnwritten);

  QByteArray rows;
  for (int row = 0; row < 8; ++row) rows += QByteArray::fromHex("0401040300000000").left(6);
  rows += QByteArray::fromHex("0001");
  rows.prepend(BmpHeader(8, 1, 4, rleAt, rleAt + rows.size()));
  const Decoded whole = DecodeImageCompletely(rows);
  ASSERT_EQ(whole.result, DecodedPicture::Result::Complete);
  // The last pixel is the one the rows set last, in the file's colour 3.
  const QImage palette = QImage::fromData(rows, "bmp");
  ASSERT_EQ(palette.format(), QImage::Format_Indexed8);
  EXPECT_EQ(whole.image.pixel(7, 7), palette.color(3));
}

}  // namespace
}  // namespace huesift::test
