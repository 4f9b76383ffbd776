// SPDX-License-Identifier: GPL-3.0-or-later
// Paste and Copy on the real windows: the state a paste leaves, its refusals and failures.
#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "files/decode_picture.h"
#include "io/clipboard_transfer.h"
#include "tests/ui/io/clipboard_fixture.h"
#include "tests/ui/picture_bytes.h"

namespace huesift::test {
namespace {

QImage Stripes(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 7, y * 13, (x ^ y) & 255));
  return image;
}

void PutBe32(QByteArray& bytes, int at, quint32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// A PNG whose (well-formed) header announces width x height and that holds no pixels:
// the header and the start of the data chunk.
QByteArray PngHeaderOnly(quint32 width, quint32 height) {
  QByteArray png = Encoded(Stripes(3, 3), "PNG").left(33);
  PutBe32(png, 16, width);
  PutBe32(png, 20, height);
  PutBe32(png, 29, Crc32(png.constData() + 12, 17));
  return png + QByteArray("\0\0\0\x10IDAT", 8);
}

TEST_F(ClipboardTest, PasteTakesEveryPixelOpaqueAndSetsTheState) {
  setUpEarlierPicture();
  // Larger than the main window, not 32-bit, with a half-transparent pixel.
  QImage image(1500, 900, QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgba(x & 255, y & 255, (x + y) & 255, 255));
  image.setPixel(7, 3, qRgba(10, 20, 30, 128));
  fake.clipboard = image.convertToFormat(QImage::Format_ARGB32);

  paste();
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
  ASSERT_EQ(QSize(picture().width(), picture().height()), QSize(1500, 900));
  EXPECT_EQ(window->picture->displaySize(), QSize(1500, 900));
  EXPECT_EQ(window->state.pictureWidth, 1500);
  EXPECT_EQ(window->state.pictureHeight, 900);
  for (int y = 0; y < 900; y += 7) {
    for (int x = 0; x < 1500; x += 3) {
      if (x != 7 || y != 3) {
        ASSERT_EQ(picture().pixel(x, y), (x & 255) | ((y & 255) << 8) | (((x + y) & 255) << 16));
      }
    }
  }
  EXPECT_EQ(picture().pixel(7, 3), 10 | (20 << 8) | (30 << 16));
  EXPECT_EQ(picture().row(3)[7] >> 24, 0xFFu);

  EXPECT_EQ(window->state.runState, RunState::Idle);
  EXPECT_EQ(buttonsEnabled(), kAfterPaste);
  EXPECT_FALSE(window->addColourButton->isChecked());
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(undoCopy(), Picture(20, 10, 0x0000FF));  // the undo copy stays

  // Copy gives the same picture back.
  fake.clipboard.reset();
  window->onCopy();
  ASSERT_TRUE(fake.clipboard.has_value());
  EXPECT_EQ(fake.clipboard->size(), QSize(1500, 900));
  EXPECT_EQ(fake.clipboard->pixel(100, 200), qRgb(100, 200, 300 & 255));
  EXPECT_EQ(fake.clipboard->pixel(7, 3), qRgb(10, 20, 30));
}

TEST_F(ClipboardTest, PasteWithoutPictureOrWhileProcessRunsChangesNothing) {
  setUpEarlierPicture();
  paste();  // the clipboard holds no picture
  EXPECT_EQ(picture(), Picture(20, 10, 0x00FF00));
  EXPECT_TRUE(window->addColourButton->isChecked());
  EXPECT_TRUE(window->undoButton->isEnabled());
  EXPECT_TRUE(fake.messages.isEmpty());

  fake.clipboard = QImage(5, 5, QImage::Format_RGB32);
  window->state.runState = RunState::Running;
  window->onPaste();
  EXPECT_EQ(picture(), Picture(20, 10, 0x00FF00));
  EXPECT_EQ(window->state.runState, RunState::Running);
  EXPECT_EQ(window->state.pictureWidth, 20);
}

struct FailedPaste {
  const char* name;
  std::function<void(FakeServices&)> offer;
  const char* message;
};

void PrintTo(const FailedPaste& c, std::ostream* os) {
  *os << c.name;
}

class PasteFailure : public ClipboardTest, public ::testing::WithParamInterface<FailedPaste> {};

TEST_P(PasteFailure, ShowsOneMessageAndLeavesEverythingAsItWas) {
  setUpEarlierPicture();
  const Snapshot before = snapshot();
  GetParam().offer(fake);
  paste();
  EXPECT_EQ(fake.messages, QStringList{GetParam().message});
  EXPECT_TRUE(snapshot() == before);
  EXPECT_EQ(picture(), Picture(20, 10, 0x00FF00));
}

// What the clipboard's message becomes for a file holding the same bytes.
QString FileReason(const QString& clipboardMessage) {
  if (clipboardMessage == "Cannot open clipboard") return "No such file or directory";
  if (clipboardMessage == "Unsupported clipboard format")
    return "not a picture in a format Huesift reads, or damaged";
  static const QRegularExpression size("(\\d+ x \\d+) pixels");
  return "the picture is " + size.match(clipboardMessage).captured(1) + " pixels, too large";
}

// The same bytes in a file chosen with "Open Picture...": refused the same way, with the
// file named; a clipboard that cannot be opened stands for a file that is not there.
TEST_P(PasteFailure, OpenedAsAFileTheyShowOneMessageAndLeaveEverythingAsItWas) {
  setUpEarlierPicture();
  const Snapshot before = snapshot();
  GetParam().offer(fake);
  QTemporaryDir dir;
  const QString path = dir.filePath("picture");
  if (fake.clipboardBytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(fake.clipboardBytes->bytes);
  }
  fake.clipboardFails = false;
  fake.clipboardBytes.reset();
  fake.openAnswer = path;
  openByMenu();
  EXPECT_EQ(fake.messages,
            QStringList{"Cannot open " + path + ": " + FileReason(GetParam().message)});
  EXPECT_TRUE(snapshot() == before);
}

const QImage kStripes = Stripes(61, 40);
// The picture's PNG with one bit of IDAT's checksum flipped: the data it guards is intact,
// and libpng, under Qt, stops reading before it comes to that checksum.
QByteArray BadCrc() {
  QByteArray png = Encoded(kStripes, "PNG");
  const qsizetype last = png.indexOf("IEND") - 5;  // the byte before IEND's length
  png[last] = static_cast<char>(png[last] ^ 1);
  return png;
}
void Offer(FakeServices& f, const char* type, const QByteArray& bytes) {
  f.clipboardBytes = EncodedImage{type, bytes};
}

INSTANTIATE_TEST_SUITE_P(
    Clipboard, PasteFailure,
    ::testing::Values(
        FailedPaste{"CannotOpen", [](FakeServices& f) { f.clipboardFails = true; },
                    "Cannot open clipboard"},
        // The BMP reader hands back a picture for these, the missing rows made up.
        FailedPaste{"BmpShortByOneRow",
                    [](FakeServices& f) {
                      const QByteArray bmp = Encoded(kStripes, "BMP");
                      Offer(f, "image/bmp", bmp.left(bmp.size() - 61 * 3 - 1));
                    },
                    "Unsupported clipboard format"},
        FailedPaste{"BmpShortByOneByte",
                    [](FakeServices& f) {
                      const QByteArray bmp = Encoded(kStripes, "BMP");
                      Offer(f, "image/bmp", bmp.chopped(2));
                    },
                    "Unsupported clipboard format"},
        FailedPaste{
            "BmpHeaderOnly",
            [](FakeServices& f) { Offer(f, "image/bmp", Encoded(kStripes, "BMP").left(60)); },
            "Unsupported clipboard format"},
        FailedPaste{"PngWithBadCrc", [](FakeServices& f) { Offer(f, "image/png", BadCrc()); },
                    "Unsupported clipboard format"},
        FailedPaste{
            "PngCutShort",
            [](FakeServices& f) { Offer(f, "image/png", Encoded(kStripes, "PNG").left(90)); },
            "Unsupported clipboard format"},
        FailedPaste{"NotAPicture", [](FakeServices& f) { Offer(f, "image/png", "not a picture"); },
                    "Unsupported clipboard format"},
        FailedPaste{"TooWide",
                    [](FakeServices& f) { Offer(f, "image/png", PngHeaderOnly(32768, 10)); },
                    "The clipboard picture is 32768 x 10 pixels, too large to paste."},
        FailedPaste{"TooManyPixels",
                    [](FakeServices& f) { Offer(f, "image/png", PngHeaderOnly(9000, 8000)); },
                    "The clipboard picture is 9000 x 8000 pixels, too large to paste."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, WidePictureUpToTheSideLimitIsTaken) {
  setUpEarlierPicture();
  const QImage wide = Stripes(20000, 10);
  fake.clipboardBytes = EncodedImage{"image/png", Encoded(wide, "PNG")};
  paste();
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
  ASSERT_EQ(window->state.pictureWidth, 20000);
  EXPECT_EQ(window->state.pictureHeight, 10);
  EXPECT_EQ(picture().pixel(19999, 9),
            (19999 * 7 & 255) | ((9 * 13) << 8) | ((19999 ^ 9) & 255) << 16);

  // The limits themselves: 32767 on a side, 256 MiB as 32-bit pixels.
  EXPECT_FALSE(TooLargeForPicture(QSize(32767, 2048)));
  EXPECT_TRUE(TooLargeForPicture(QSize(32768, 1)));
  EXPECT_TRUE(TooLargeForPicture(QSize(1, 32768)));
  EXPECT_FALSE(TooLargeForPicture(QSize(8192, 8192)));
  EXPECT_TRUE(TooLargeForPicture(QSize(8192, 8193)));
}

}  // namespace
}  // namespace huesift::test
