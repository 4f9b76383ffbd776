// SPDX-License-Identifier: GPL-3.0-or-later
// Fill on the working picture: borders that hold or leak, Undo, and the fill colour's menu.
#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

constexpr Colour kBlue = 0xFF0000;

class FillTest : public ToolsTest {
 public:
  FillTest() {
    givePicture(Picture(20, 20, kWhite));
    click(window->fillButton);
  }
  void chooseBlue() {
    fake.colourAnswer = kBlue;
    window->fillColourAction->trigger();
  }
};

TEST_F(FillTest, OnePixelDiagonalIsAClosedBorder) {
  for (int i = 0; i < 20; ++i) window->picture->canvas().setPixel(i, i, kBlack);
  chooseBlue();
  clickPicture(Qt::LeftButton, 2, 12);  // below the diagonal
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(picture().pixel(x, y), x == y ? kBlack : y > x ? kBlue : kWhite) << x << "," << y;
  EXPECT_TRUE(window->undoButton->isEnabled());
}

TEST_F(FillTest, OnePixelGapLetsTheFillThroughAndUndoTakesItBack) {
  for (int y = 0; y < 20; ++y)
    if (y != 13) window->picture->canvas().setPixel(9, y, kBlack);
  const Picture before = picture();
  chooseBlue();
  press(Qt::MiddleButton, 17, 2);
  release(Qt::MiddleButton, 17, 2);
  EXPECT_EQ(picture().pixel(0, 0), kBlue);
  EXPECT_EQ(picture().pixel(9, 13), kBlue);
  EXPECT_EQ(picture().pixel(9, 12), kBlack);
  click(window->undoButton);
  EXPECT_EQ(picture(), before);
}

TEST_F(FillTest, FillColourEqualToTheClickedColourChangesNothing) {
  const Picture before = picture();
  clickPicture(Qt::LeftButton, 4, 4);  // white on white, the start-up fill colour
  EXPECT_EQ(picture(), before);
  EXPECT_TRUE(window->undoButton->isEnabled());
  click(window->fillButton);  // toggling Fill withdraws Undo
  EXPECT_FALSE(window->undoButton->isEnabled());
}

TEST_F(FillTest, ColourMenuSetsTheFillColourAndSharesTheChoosersMemory) {
  window->onFillButtonPressed(Qt::RightButton);
  ASSERT_TRUE(window->fillMenu->isVisible());
  const QPoint frame = window->frameGeometry().topLeft();
  EXPECT_EQ(window->fillMenu->pos(), frame + window->fillButton->pos() + QPoint(-17, 41));
  window->fillMenu->hide();

  window->fillBlackAction->trigger();
  clickPicture(Qt::LeftButton, 4, 4);
  EXPECT_EQ(picture().pixel(19, 19), kBlack);
  fake.colourAnswer.reset();  // cancelled: fill colour stays black
  window->fillColourAction->trigger();
  EXPECT_EQ(window->state.fillColor, kBlack);
  chooseBlue();
  window->processColourAction->trigger();  // the other chooser opens on the last confirmed colour
  EXPECT_EQ(fake.colourRequests, (std::vector<Colour>{kBlack, kBlack, kBlue}));
  window->fillWhiteAction->trigger();
  EXPECT_EQ(window->state.fillColor, kWhite);
}

}  // namespace
}  // namespace huesift::test
