// The picture control: raster versus displayed size, and its exclusive-or outlines.
#include "platform/picture_control.h"

#include <gtest/gtest.h>

namespace huesift::test {
namespace {

TEST(PictureControl, FirstDrawingAccessCreatesAWhiteRasterOfTheControlSize) {
  PictureControl control;
  control.setDisplaySize(13, 7);
  EXPECT_FALSE(control.hasRaster());
  EXPECT_EQ(control.canvas(), Picture(13, 7, kWhite));
  control.setDisplaySize(30, 30);
  EXPECT_EQ(control.canvas().width(), 13);  // sizing the control leaves the raster alone
}

TEST(PictureControl, PaintsTheRasterUnscaledWithTheBackgroundBeyondIt) {
  QWidget window;
  QPalette pal;
  pal.setColor(QPalette::Window, QColor(10, 200, 30));
  window.setPalette(pal);
  window.setAutoFillBackground(true);
  auto* control = new PictureControl(&window);
  control->setDisplaySize(20, 10);
  Picture picture(4, 3, kWhite);
  picture.setPixel(3, 2, 0x0000FF);  // red in the program's colour layout
  control->setPicture(picture);

  const QImage shot = window.grab(QRect(0, 0, 20, 10)).toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::white));
  EXPECT_EQ(shot.pixelColor(3, 2), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(4, 2), QColor(10, 200, 30));
  EXPECT_EQ(shot.pixelColor(0, 3), QColor(10, 200, 30));
}

TEST(PictureControl, OutlineDrawnTwiceRestoresThePicture) {
  PictureControl control;
  control.setDisplaySize(12, 12);
  control.setPicture(Picture(12, 12, kBlack));
  const QImage before = control.grab().toImage();

  control.toggleOutline(QRect(QPoint(2, 2), QPoint(9, 7)));
  const QImage outlined = control.grab().toImage();
  EXPECT_EQ(outlined.pixelColor(2, 2), QColor(Qt::white));  // black inverted on a corner
  EXPECT_EQ(outlined.pixelColor(5, 5), QColor(Qt::black));  // inside stays
  int inverted = 0;
  for (int x = 2; x <= 9; ++x) inverted += outlined.pixelColor(x, 7) == QColor(Qt::white);
  EXPECT_GT(inverted, 0);  // dotted: some, not all, of the bottom edge
  EXPECT_LT(inverted, 8);

  control.toggleOutline(QRect(QPoint(9, 7), QPoint(2, 2)));  // same outline, other corners
  EXPECT_TRUE(control.outlines().empty());
  EXPECT_EQ(control.grab().toImage(), before);
}

}  // namespace
}  // namespace huesift::test
