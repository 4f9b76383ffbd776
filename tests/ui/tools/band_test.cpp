// SPDX-License-Identifier: GPL-3.0-or-later
// Band erase on the working picture: the dragged rectangle whitened, its outline, Undo, and the
// "Copy" menu of a right click.
#include <QMenu>

#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

// Pixels of picture that differ from before, as (x, y) pairs in scan order.
std::vector<std::pair<int, int>> Changed(const Picture& before, const Picture& after) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x)
      if (before.pixel(x, y) != after.pixel(x, y)) out.emplace_back(x, y);
  return out;
}

std::vector<std::pair<int, int>> Block(int x0, int y0, int x1, int y1) {
  std::vector<std::pair<int, int>> out;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) out.emplace_back(x, y);
  return out;
}

class BandTest : public ToolsTest {
 public:
  BandTest() { givePicture(Picture(40, 30, kBlack)); }
  void drag(QPoint from, QPoint to, QPoint releaseAt) {
    press(Qt::LeftButton, from.x(), from.y());
    moveTo((from.x() + to.x()) / 2, to.y());
    moveTo(to.x(), to.y());
    release(Qt::LeftButton, releaseAt.x(), releaseAt.y());
  }
};

TEST_F(BandTest, WhitensTheDraggedRectangleWithoutItsRightAndBottomEdges) {
  const Picture before = picture();
  press(Qt::LeftButton, 10, 20);
  moveTo(12, 21);
  moveTo(13, 22);
  EXPECT_EQ(window->bandLayer->outlines().size(), 1u);  // the earlier outline was taken away
  EXPECT_EQ(picture(), before);                         // nothing erased while dragging
  release(Qt::LeftButton, 30, 5);                       // where the release happens does not matter
  EXPECT_EQ(Changed(before, picture()), Block(10, 20, 13, 22));
  EXPECT_EQ(picture().pixel(11, 21), kWhite);
  EXPECT_TRUE(window->bandLayer->outlines().empty());
  EXPECT_TRUE(window->undoButton->isEnabled());

  click(window->undoButton);
  EXPECT_EQ(picture(), before);
}

TEST_F(BandTest, DraggedLeftAndUpWhitensTheSameRectangle) {
  const Picture before = picture();
  drag({13, 22}, {10, 20}, {10, 20});
  EXPECT_EQ(Changed(before, picture()), Block(10, 20, 13, 22));
}

TEST_F(BandTest, PastTheEdgeOnlyThePictureChanges) {
  const Picture before = picture();
  drag({35, 25}, {90, 70}, {90, 70});
  EXPECT_EQ(Changed(before, picture()), Block(35, 25, 40, 30));
  EXPECT_EQ(picture().width(), 40);
}

// The outline's dots on the window surface in one row, from x0 to x1 (window coordinates).
int DotsInRow(QWidget* window, int y, int x0, int x1) {
  const QImage shot = window->grab().toImage();
  const QRgb background = shot.pixel(x1 + 5, y);
  int dots = 0;
  for (int x = x0; x <= x1; ++x) dots += shot.pixel(x, y) != background;
  return dots;
}

TEST_F(BandTest, OutlineShowsWholeOnTheWindowPastThePicturesEdge) {
  // The picture is 40 x 30 at window (-1, 28); the band reaches well beyond it.
  press(Qt::LeftButton, 35, 25);
  moveTo(60, 50);
  moveTo(90, 70);
  const int bottom = 70 + 28, right = 90 - 1;
  EXPECT_GE(DotsInRow(window.get(), bottom, 45, right), 20);  // the bottom edge, outside
  const QImage shot = window->grab().toImage();
  int rightEdge = 0;
  for (int y = 60; y <= bottom; ++y) rightEdge += shot.pixel(right, y) != shot.pixel(right + 5, y);
  EXPECT_GE(rightEdge, 15);

  release(Qt::LeftButton, 90, 70);
  EXPECT_EQ(DotsInRow(window.get(), bottom, 45, right), 0);  // the erase takes it away
}

TEST_F(BandTest, ReachesBeyondTheBlankPictureOnALargePicture) {
  givePicture(Picture(900, 600, kBlack));
  const Picture before = picture();
  drag({780, 500}, {850, 560}, {850, 560});
  EXPECT_EQ(Changed(before, picture()), Block(780, 500, 850, 560));
}

// A click on the picture (to give it the keys, say) after Process must not cost the undo.
TEST_F(BandTest, ClickOrBandBesideThePictureLeavesUndoAsItWas) {
  const Picture original = picture();
  click(window->processButton);  // black is retained: Process changes nothing but offers Undo
  drag({1, 1}, {8, 8}, {8, 8});
  const Picture erased = picture();
  clickPicture(Qt::LeftButton, 5, 5);
  press(Qt::MiddleButton, 5, 5);
  moveTo(20, 20, Qt::MiddleButton);  // only the left button drags
  release(Qt::MiddleButton, 20, 20);
  drag({45, 2}, {60, 20}, {60, 20});  // right of the 40-pixel picture
  EXPECT_EQ(picture(), erased);
  EXPECT_TRUE(window->bandLayer->outlines().empty());
  ASSERT_TRUE(window->undoButton->isEnabled());
  click(window->undoButton);
  EXPECT_EQ(picture(), original);

  clickPicture(Qt::LeftButton, 5, 5);  // nothing to undo: a click offers nothing
  EXPECT_FALSE(window->undoButton->isEnabled());
}

TEST_F(BandTest, RightClickOpensCopyMenuAtThePointerAndErasesNothing) {
  drag({1, 1}, {8, 8}, {8, 8});
  click(window->undoButton);
  const Picture before = picture();
  press(Qt::RightButton, 20, 10);
  ASSERT_TRUE(window->pictureMenu->isVisible());
  EXPECT_EQ(window->pictureMenu->pos(),
            window->picture->mapToGlobal(QPoint(20, 10)) - QPoint(25, 23));
  release(Qt::RightButton, 20, 10);
  window->pictureMenu->hide();
  EXPECT_EQ(picture(), before);
  EXPECT_FALSE(window->undoButton->isEnabled());
}

TEST_F(BandTest, NothingHappensWithoutAPictureOrDuringARun) {
  for (RunState runState : {RunState::NoPicture, RunState::Running}) {
    window->state.runState = runState;
    const Picture before = picture();
    drag({2, 2}, {20, 20}, {20, 20});
    press(Qt::RightButton, 20, 10);
    EXPECT_FALSE(window->pictureMenu->isVisible());
    EXPECT_EQ(picture(), before);
    EXPECT_FALSE(window->undoButton->isEnabled());
  }
}

}  // namespace
}  // namespace huesift::test
