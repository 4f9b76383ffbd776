// SPDX-License-Identifier: GPL-3.0-or-later
// The tool cursors drawn at build time, read back through the real loader, what the loader
// refuses and where it looks; on the picture, right clicks switching them and files missing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt_services.h"
#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

// Runs the loader with dir as the working directory, as the program reads its cursors.
std::optional<QCursor> LoadIn(const QString& dir, const QString& name,
                              const QString& programDir = {}) {
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir);
  QtServices services(programDir);
  auto cursor = services.loadCursorFile(name);
  QDir::setCurrent(previous);
  return cursor;
}

// The build puts the cursors beside the program, one level above the test executables.
QString BuildDir() {
  return QCoreApplication::applicationDirPath() + "/..";
}

bool Opaque(const QImage& image, int x, int y) {
  return qAlpha(image.pixel(x, y)) == 255;
}

TEST(ToolCursorFiles, SquareCursorsFrameTheSampledSquareFromTheirHotspot) {
  for (const char* name : {"boxb.cur", "boxo.cur"}) {
    SCOPED_TRACE(name);
    const auto cursor = LoadIn(BuildDir(), name);
    ASSERT_TRUE(cursor);
    const QImage image = cursor->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    const int hx = cursor->hotSpot().x(), hy = cursor->hotSpot().y();
    for (int i = -1; i <= 9; ++i) {  // the frame just outside the 9 x 9 square
      EXPECT_TRUE(Opaque(image, hx + i, hy - 1) && Opaque(image, hx + i, hy + 9)) << i;
      EXPECT_TRUE(Opaque(image, hx - 1, hy + i) && Opaque(image, hx + 9, hy + i)) << i;
    }
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 9; ++x) EXPECT_FALSE(Opaque(image, hx + x, hy + y)) << x << "," << y;
  }
  const QImage b = LoadIn(BuildDir(), "boxb.cur")->pixmap().toImage();
  const QImage o = LoadIn(BuildDir(), "boxo.cur")->pixmap().toImage();
  EXPECT_NE(b.pixel(1, 1), o.pixel(1, 1));  // two colours
}

TEST(ToolCursorFiles, SyringesAreBlueAndRedWithTheTipAsHotspot) {
  auto count = [](const QImage& image, auto test) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, y)) == 255 && test(QColor(image.pixel(x, y)))) ++n;
    return n;
  };
  auto blue = [](const QColor& c) { return c.blue() > c.red() + 100; };
  auto red = [](const QColor& c) { return c.red() > c.blue() + 100; };
  const auto syrblue = LoadIn(BuildDir(), "syrblue.cur");
  const auto syrred = LoadIn(BuildDir(), "syrred.cur");
  ASSERT_TRUE(syrblue && syrred);
  const QImage bi = syrblue->pixmap().toImage(), ri = syrred->pixmap().toImage();
  EXPECT_GT(count(bi, blue), 20);
  EXPECT_EQ(count(bi, red), 0);
  EXPECT_GT(count(ri, red), 20);
  EXPECT_EQ(count(ri, blue), 0);
  for (const auto& c : {*syrblue, *syrred}) {
    EXPECT_TRUE(Opaque(c.pixmap().toImage(), c.hotSpot().x(), c.hotSpot().y()));
  }
}

TEST(ToolCursorFiles, LoaderRefusesWhatIsNotAFittingRegularFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile original(BuildDir() + "/boxb.cur");
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray good = original.readAll();
  auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  write("copy.cur", good);
  write("short.cur", good.left(good.size() - 1));
  write("huge.cur", good + QByteArray(1 << 20, '\0'));
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.cur"));
  ASSERT_EQ(mkfifo(dir.filePath("pipe.cur").toLocal8Bit().constData(), 0600), 0);

  EXPECT_TRUE(LoadIn(dir.path(), "copy.cur"));
  for (const char* name : {"missing.cur", "short.cur", "huge.cur", "folder.cur", "pipe.cur"})
    EXPECT_FALSE(LoadIn(dir.path(), name)) << name;
}

// Where one of the three folders the loader searches stands: a valid cursor (one of the
// build's, to tell them apart), a truncated one, or none.
struct Place {
  const char* cursor;  // nullptr: no file
  bool truncated = false;
};
struct SearchCase {
  const char* name;
  Place workingDir, programDir, shareDir;
  const char* expected;  // the build's cursor that must come back, nullptr for none
};
void PrintTo(const SearchCase& c, std::ostream* os) {
  *os << c.name;
}

class CursorSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(CursorSearch, TakesTheFirstValidFileOfWorkingDirProgramDirAndShare) {
  const SearchCase& c = GetParam();
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  // An installed tree: prefix/bin holds the program, prefix/share/huesift its data.
  const QString work = root.filePath("work"), bin = root.filePath("prefix/bin"),
                share = root.filePath("prefix/share/huesift");
  for (const QString& dir : {work, bin, share}) ASSERT_TRUE(QDir().mkpath(dir));
  auto place = [&](const QString& dir, const Place& p) {
    if (!p.cursor) return;
    QFile source(BuildDir() + "/" + p.cursor);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    if (p.truncated) bytes.chop(1);
    QFile target(dir + "/tool.cur");
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write(bytes);
  };
  place(work, c.workingDir);
  place(bin, c.programDir);
  place(share, c.shareDir);

  const auto cursor = LoadIn(work, "tool.cur", bin);
  if (!c.expected) {
    EXPECT_FALSE(cursor);
    return;
  }
  ASSERT_TRUE(cursor);
  const auto expected = LoadIn(BuildDir(), c.expected);
  ASSERT_TRUE(expected);
  EXPECT_EQ(cursor->hotSpot(), expected->hotSpot());
  EXPECT_EQ(cursor->pixmap().toImage(), expected->pixmap().toImage());
}

INSTANTIATE_TEST_SUITE_P(
    , CursorSearch,
    ::testing::Values(
        SearchCase{"WorkingDirFirst", {"boxb.cur"}, {"boxo.cur"}, {"syrblue.cur"}, "boxb.cur"},
        SearchCase{"BesideTheProgramNext", {nullptr}, {"boxo.cur"}, {"syrblue.cur"}, "boxo.cur"},
        SearchCase{"ShareWhenTheOthersAreBroken",
                   {"boxb.cur", true},
                   {"boxo.cur", true},
                   {"syrblue.cur"},
                   "syrblue.cur"},
        SearchCase{"ShareAlone", {nullptr}, {nullptr}, {"syrred.cur"}, "syrred.cur"},
        SearchCase{"NoneValid", {"boxb.cur", true}, {nullptr}, {"syrred.cur", true}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The tools' cursors as the main window asks for them.
class ToolCursorTest : public ToolsTest {};

TEST_F(ToolCursorTest, RightClicksAlternateEachToolsCursorsStartingFromTheFirst) {
  givePicture(Picture(30, 30, kWhite));
  click(window->addColourButton);
  for (int i = 0; i < 3; ++i) clickPicture(Qt::RightButton, 5, 5);
  click(window->fillButton);
  for (int i = 0; i < 2; ++i) clickPicture(Qt::RightButton, 5, 5);
  click(window->addColourButton);
  EXPECT_EQ(fake.cursorRequests,
            (QStringList{"boxb.cur", "boxo.cur", "boxb.cur", "boxo.cur", "syrblue.cur",
                         "syrred.cur", "syrblue.cur", "boxb.cur"}));
  EXPECT_EQ(picture(), Picture(30, 30, kWhite));  // right clicks sample and fill nothing
  EXPECT_TRUE(candidateList()->count() == 0 && fake.messages.isEmpty());
}

TEST_F(ToolCursorTest, MissingCursorFilesAreReportedAndThePointerKeepsItsShape) {
  givePicture(Picture(30, 30, kWhite));
  window->setCursor(Qt::PointingHandCursor);
  fake.cursorLoader = [](const QString&) { return std::nullopt; };
  click(window->addColourButton);
  clickPicture(Qt::RightButton, 5, 5);
  clickPicture(Qt::RightButton, 5, 5);
  EXPECT_EQ(fake.messages, QStringList(3, "Cursor not loaded"));
  EXPECT_EQ(window->cursor().shape(), Qt::PointingHandCursor);
  // The stored name alternated although nothing loaded.
  EXPECT_EQ(fake.cursorRequests, (QStringList{"boxb.cur", "boxo.cur", "boxb.cur"}));
}

}  // namespace
}  // namespace huesift::test
