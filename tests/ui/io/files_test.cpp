// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files on the real windows: every way a file comes in leaves exactly what a paste of
// the same picture leaves; Save writes the recorded area in the format asked for, pixel for
// pixel; what cannot be saved or dropped is refused with one message and changes nothing.
#include <sys/stat.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <random>

#include "files/picture_file_io.h"
#include "io/picture_files.h"
#include "tests/ui/io/clipboard_fixture.h"

namespace huesift::test {
namespace {

// Random colours with random transparency: a picture keeps the colour channels, opaque.
QImage RandomImage(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, rng());
  return image;
}

Colour ColourOf(QRgb rgb) {
  return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void Drop(QWidget* target, const QList<QUrl>& urls, bool* entered = nullptr,
          bool* dropped = nullptr) {
  QMimeData mime;
  mime.setUrls(urls);
  const QPoint at(200, 200);
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (entered) *entered = enter.isAccepted();
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  if (dropped) *dropped = drop.isAccepted();
}

class FilesTest : public ClipboardTest {
 public:
  QString file(const QString& name) const { return dir.filePath(name); }
  // Lets queued work (a drop, the command line's file) run.
  void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  QTemporaryDir dir;
};

// ---- every way in leaves what a paste leaves ----

struct Route {
  const char* name;
  std::function<void(FilesTest&, const QString& path)> take;
};
void PrintTo(const Route& r, std::ostream* os) {
  *os << r.name;
}

class NewPicture : public FilesTest, public ::testing::WithParamInterface<Route> {};

TEST_P(NewPicture, FromAFileLeavesExactlyTheStateAPasteLeaves) {
  // Larger than the window, with partly transparent pixels.
  const QImage image = RandomImage(1100, 760, 11);
  const QByteArray png = Encoded(image, "PNG");
  const QString path = file("shot.png");
  ASSERT_TRUE(WriteFile(path, png));

  setUpEarlierPicture();
  GetParam().take(*this, path);
  settle();
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
  const Snapshot opened = snapshot();
  EXPECT_EQ(window->lastPictureFile, path);
  EXPECT_EQ(window->windowTitle(), "shot.png - Huesift");
  ASSERT_EQ(QSize(picture().width(), picture().height()), image.size());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ASSERT_EQ(picture().pixel(x, y), ColourOf(image.pixel(x, y))) << x << "," << y;

  setUpEarlierPicture();
  fake.clipboardBytes = EncodedImage{"image/png", png};
  paste();
  EXPECT_EQ(window->windowTitle(), "Pasted picture - Huesift");
  EXPECT_TRUE(opened == snapshot());
  EXPECT_EQ(opened.enabled, kAfterPaste);
}

INSTANTIATE_TEST_SUITE_P(Files, NewPicture,
                         ::testing::Values(Route{"OpenPictureMenu",
                                                 [](FilesTest& t, const QString& path) {
                                                   t.fake.openAnswer = path;
                                                   t.openByMenu();
                                                 }},
                                           Route{"DroppedFile",
                                                 [](FilesTest& t, const QString& path) {
                                                   // Only the first file: the window holds one
                                                   // picture.
                                                   Drop(t.window.get(),
                                                        {QUrl("https://example.org/a.png"),
                                                         QUrl::fromLocalFile(path),
                                                         QUrl::fromLocalFile(t.file("other.png"))});
                                                 }},
                                           Route{"CommandLine",
                                                 [](FilesTest& t, const QString& path) {
                                                   t.window->openPictureFileLater(
                                                       QFile::encodeName(path));
                                                 }}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Save ----

struct SaveCase {
  const char* name;
  const char* file;
  const char* filter;  // the filter chosen in the dialog
  const char* format;  // what the file must be
};
void PrintTo(const SaveCase& c, std::ostream* os) {
  *os << c.name;
}

class Save : public FilesTest, public ::testing::WithParamInterface<SaveCase> {};

// Pictures of 2, about 200 and thousands of colours (stored differently), none of them grey
// (a grey or black-and-white form must not pass), and of 257 colours of which the first rows
// hold 256 greys (one more than a palette), with recorded areas inside the raster, reaching
// past it, the raster itself and as wide as it but shorter, saved through the window and
// checked against the file read pixel by pixel.
void SaveAndReadBack(FilesTest& t, const QString& name, const QString& filter,
                     const QByteArray& format) {
  std::mt19937 rng(5);
  constexpr int kOneMoreThanAPalette = 257;
  for (const int colours : {2, 200, kOneMoreThanAPalette, 1 << 24}) {
    // The recorded area's size less the raster's.
    for (const auto& [moreWidth, moreHeight] : {std::pair{-5, -2}, {7, 3}, {0, 0}, {0, -2}}) {
      const int width = 40 + static_cast<int>(rng() % 60);
      const int height = 30 + static_cast<int>(rng() % 50);
      Picture raster(width, height);
      // The multiplier spreads the numbers over colours that are not grey.
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          raster.setPixel(x, y, static_cast<Colour>((rng() % colours + 1) * 0x2B1CC4u & 0xFFFFFF));
      if (colours == kOneMoreThanAPalette) {
        // All 256 greys within the first eight rows, the 257th colour once in the last row
        // that the area holds.
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x)
            raster.setPixel(x, y, static_cast<Colour>((y * 35 + x) % 256 * 0x10101));
        raster.setPixel(0, height - 3, 0x0000FF);
      }
      t.givePicture(raster);
      t.window->state.pictureWidth = width + moreWidth;
      t.window->state.pictureHeight = height + moreHeight;

      const QString path = t.file(name);
      t.fake.saveAnswer = std::make_pair(path, filter);
      t.window->saveAsAction->trigger();
      ASSERT_TRUE(t.fake.messages.isEmpty()) << t.fake.messages.join("|").toStdString();

      QImageReader reader(path);
      EXPECT_EQ(reader.format(), format);
      const QImage saved = reader.read();
      ASSERT_EQ(saved.size(), QSize(t.window->state.pictureWidth, t.window->state.pictureHeight))
          << format.constData();
      for (int y = 0; y < saved.height(); ++y) {
        for (int x = 0; x < saved.width(); ++x) {
          const Colour want = x < width && y < height ? raster.pixel(x, y) : kWhite;
          ASSERT_EQ(ColourOf(saved.pixel(x, y)), want)
              << format.constData() << ", " << colours << " colours, (" << x << ", " << y << ")";
          ASSERT_EQ(qAlpha(saved.pixel(x, y)), 255);
        }
      }
    }
  }
  EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files), QStringList{name});
}

TEST_P(Save, WritesTheRecordedAreaPixelForPixelInTheFormatAskedFor) {
  SaveAndReadBack(*this, GetParam().file, GetParam().filter, GetParam().format);
}

// Whatever the dialog offers (TIFF too, where Qt's plug-in is installed) reads back exactly.
TEST_F(FilesTest, EveryOfferedFormatReadsBackPixelForPixel) {
  const std::vector<SaveFormat> formats = SaveFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front().name, "png");
  for (const SaveFormat& f : formats) {
    SCOPED_TRACE(f.filter.toStdString());
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    SaveAndReadBack(*this, "out." + QString::fromLatin1(f.name), f.filter, f.name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Save,
    ::testing::Values(SaveCase{"Png", "out.png", "PNG picture (*.png)", "png"},
                      SaveCase{"Bmp", "out.bmp", "PNG picture (*.png)", "bmp"},
                      SaveCase{"Ppm", "out.ppm", "PNG picture (*.png)", "ppm"},
                      SaveCase{"UpperCaseExtension", "OUT.BMP", "PNG picture (*.png)", "bmp"},
                      SaveCase{"NoExtensionTakesTheFilter", "out", "BMP picture (*.bmp)", "bmp"},
                      SaveCase{"OtherExtensionTakesTheFilter", "out.v2", "PPM picture (*.ppm)",
                               "ppm"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
  const char* name;
  std::function<QString(FilesTest&)> target;  // where to save; arranges what it needs
  const char* reason;                         // the start of what the message says
};
void PrintTo(const Refusal& r, std::ostream* os) {
  *os << r.name;
}

class SaveRefused : public FilesTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SaveRefused, ShowsOneMessageNamingTheFileAndWritesNothing) {
  setUpEarlierPicture();
  const QString path = GetParam().target(*this);
  const QStringList filesBefore =
      QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
  const Snapshot before = snapshot();
  fake.saveAnswer = std::make_pair(path, QStringLiteral("PNG picture (*.png)"));
  window->saveAsAction->trigger();
  ASSERT_EQ(fake.messages.size(), 1);
  EXPECT_TRUE(fake.messages[0].startsWith("Cannot save " + path + ": " + GetParam().reason))
      << fake.messages[0].toStdString();
  EXPECT_TRUE(snapshot() == before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
            filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveRefused,
    ::testing::Values(Refusal{"Jpeg", [](FilesTest& t) { return t.file("out.jpg"); },
                              "JPEG pictures do not keep every colour exactly; save as PNG, BMP"},
                      Refusal{"Gif", [](FilesTest& t) { return t.file("out.gif"); },
                              "Huesift cannot write GIF pictures; save as PNG, BMP"},
                      Refusal{"NoSuchFolder",
                              [](FilesTest& t) { return t.file("missing/out.png"); },
                              "No such file or directory"},
                      Refusal{"AFifo",
                              [](FilesTest& t) {
                                // A FIFO stays one; written into, it would block the window.
                                EXPECT_EQ(mkfifo(t.file("pipe.png").toLocal8Bit(), 0600), 0);
                                return t.file("pipe.png");
                              },
                              "not a regular file"},
                      Refusal{"AFolder",
                              [](FilesTest& t) {
                                QDir(t.dir.path()).mkdir("sub.png");
                                return t.file("sub.png");
                              },
                              "it is a folder"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the dialogs, drops ----

TEST_F(FilesTest, DialogsStartBesideTheLastPictureFileOpenedOrSaved) {
  QDir(dir.path()).mkdir("a");
  QDir(dir.path()).mkdir("b");
  const QString first = file("a/scan.jpg");
  ASSERT_TRUE(WriteFile(first, Encoded(RandomImage(9, 7, 1), "JPEG")));

  fake.openAnswer = first;
  openByMenu();
  ASSERT_EQ(window->state.pictureWidth, 9);
  window->saveAsAction->trigger();  // cancelled: no answer
  // Named after the opened file, in a format that keeps its colours.
  EXPECT_EQ(fake.saveRequests, QStringList{file("a/scan.png")});

  fake.saveAnswer = std::make_pair(file("b/clean.bmp"), QStringLiteral("PNG picture (*.png)"));
  window->saveAsAction->trigger();
  fake.openAnswer.reset();
  fake.saveAnswer.reset();
  window->openAction->trigger();
  window->saveAsAction->trigger();
  EXPECT_EQ(fake.openRequests.last(), file("b"));
  EXPECT_EQ(fake.saveRequests.last(), file("b/clean.bmp"));
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
}

// A FIFO, a device or a socket is refused before it is opened: opening a FIFO waits for a
// writer and a device may never end, and either would freeze the window.
TEST_F(FilesTest, SpecialFilesAreRefusedAtOnceByEveryWayIn) {
  setUpEarlierPicture();
  const Snapshot before = snapshot();
  const QString fifo = file("pipe.png");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo), 0600), 0);
  const QString device = QStringLiteral("/dev/zero");
  int n = 0;
  for (const QString& path : {device, fifo}) {
    fake.openAnswer = path;
    openByMenu();
    window->openPictureFileLater(QFile::encodeName(path));
    Drop(window.get(), {QUrl::fromLocalFile(path)});
    settle();
    const QString want = "Cannot open " + path + ": not a regular file";
    EXPECT_EQ(fake.messages.mid(n), QStringList(3, want));
    n = static_cast<int>(fake.messages.size());
    EXPECT_TRUE(snapshot() == before);
  }
}

// Names are bytes, as the shell gives them: one that is not UTF-8 is found.
TEST_F(FilesTest, CommandLineNameThatIsNotUtf8IsOpened) {
  const QByteArray name = QFile::encodeName(dir.path()) + "/lat\xE9.png";
  const QImage image = RandomImage(12, 9, 4);
  const QByteArray png = Encoded(image, "PNG");
  FILE* f = std::fopen(name.constData(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(png.constData(), 1, png.size(), f), static_cast<std::size_t>(png.size()));
  std::fclose(f);
  window->openPictureFileLater(name);
  settle();
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
  EXPECT_EQ(window->state.pictureWidth, 12);
  EXPECT_EQ(picture().pixel(3, 4), ColourOf(image.pixel(3, 4)));
}

TEST_F(FilesTest, DropsAreRefusedWhileBusyAndFromAnywhereButThisComputer) {
  setUpEarlierPicture();
  const QString path = file("shot.png");
  ASSERT_TRUE(WriteFile(path, Encoded(RandomImage(30, 20, 3), "PNG")));
  const Snapshot before = snapshot();

  // During a run the drop is not even offered to the window.
  window->state.runState = RunState::Running;
  bool entered = true, dropped = true;
  Drop(window.get(), {QUrl::fromLocalFile(path)}, &entered, &dropped);
  settle();
  EXPECT_FALSE(entered);
  EXPECT_FALSE(dropped);
  window->state.runState = RunState::Idle;
  EXPECT_TRUE(snapshot() == before);

  // Nor is a file dropped just before a run starts, when its turn comes during the run.
  Drop(window.get(), {QUrl::fromLocalFile(path)}, &entered, &dropped);
  EXPECT_TRUE(entered);
  EXPECT_TRUE(dropped);
  window->state.runState = RunState::Running;
  settle();
  window->state.runState = RunState::Idle;
  EXPECT_TRUE(snapshot() == before);

  Drop(window.get(), {QUrl("https://example.org/shot.png")});
  settle();
  EXPECT_EQ(fake.messages, QStringList{"Cannot open https://example.org/shot.png: only files on "
                                       "this computer can be opened"});
  EXPECT_TRUE(snapshot() == before);
}

}  // namespace
}  // namespace huesift::test
