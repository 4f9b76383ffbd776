// SPDX-License-Identifier: GPL-3.0-or-later
// The picture control: raster versus displayed size, and its exclusive-or outlines.
#include "platform/picture_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QtMath>
#include <optional>
#include <random>
#include <vector>

#include "platform/outline_layer.h"

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

// What the screen shows of a window: its surface as last painted, without painting anything
// again (grab() would paint the whole window afresh and hide a repaint that was left out).
QImage OnScreen(QWidget& window) {
  QTest::qWait(50);  // the repaint that an update() asked for
  return window.screen()
      ->grabWindow(window.winId())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

int PixelsChanged(const QImage& a, const QImage& b) {
  int changed = 0;
  for (int y = 0; y < std::min(a.height(), b.height()); ++y)
    for (int x = 0; x < std::min(a.width(), b.width()); ++x)
      changed += a.pixel(x, y) != b.pixel(x, y);
  return changed;
}

// At 1 and at 1.5 (see below), with the control's corner between screen pixels: each dot of
// an outline appears on the screen when it is drawn and goes when it is drawn again, though
// only the outline's own edges are painted.
TEST(PictureControl, OutlineAppearsAndGoesOnTheScreenWithOnlyItsEdgesRepainted) {
  QWidget window;
  window.resize(120, 110);
  auto* control = new PictureControl(&window);
  control->move(-1, 28);
  control->setDisplaySize(90, 70);
  control->setPicture(Picture(90, 70, kBlack));
  auto* layer = new OutlineLayer(&window);
  layer->setGeometry(window.rect());
  layer->setMapping([&](QPoint pixel) {
    return layer->mapFrom(&window, control->mapTo(&window, control->positionOf(pixel)));
  });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QImage before = OnScreen(window);

  for (const QRect& band :
       {QRect(QPoint(10, 12), QPoint(40, 33)), QRect(QPoint(3, 50), QPoint(80, 51))}) {
    const int dots = static_cast<int>(DottedOutline(band).size());
    control->toggleOutline(band);
    EXPECT_EQ(PixelsChanged(OnScreen(window), before), dots) << "drawn by the control";
    control->toggleOutline(band);
    EXPECT_EQ(PixelsChanged(OnScreen(window), before), 0) << "removed by the control";

    layer->toggleOutline(band);
    EXPECT_EQ(PixelsChanged(OnScreen(window), before), dots) << "drawn over the window";
    layer->toggleOutline(band);
    EXPECT_EQ(PixelsChanged(OnScreen(window), before), 0) << "removed over the window";
  }
}

// Runs at the scale factor the test run was started with; ctest runs it at 1 and at 1.5,
// where a logical pixel is one and a half screen pixels and the control's corner, at a
// logical (-1, 28) as in the main window, falls between screen pixels.
TEST(PictureControl, ShowsOnePicturePixelPerScreenPixelAndPointsAtThePixelShown) {
  QWidget window;
  window.resize(120, 110);
  auto* control = new PictureControl(&window);
  control->move(-1, 28);
  control->setDisplaySize(90, 70);
  std::mt19937 random(7);
  Picture picture(100, 80);  // larger than the displayed part
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, random() & 0xFFFFFF);
  control->setPicture(picture);
  window.show();

  const qreal ratio = window.devicePixelRatioF();
  const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
  // Where the picture's corner landed, found by matching what is shown against the picture
  // one for one, near the control's corner in screen pixels.
  auto shownAt = [&](QPoint origin) {
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 90; ++x) {
        const QPoint d = origin + QPoint(x, y);
        if (!shot.rect().contains(d)) continue;
        const QRgb c = shot.pixel(d);
        if ((qRed(c) | qGreen(c) << 8 | qBlue(c) << 16) != picture.pixel(x, y)) return false;
      }
    return true;
  };
  const QPoint corner(qFloor(-1 * ratio), qFloor(28 * ratio));
  std::optional<QPoint> origin;
  for (int dy = -1; dy <= 1 && !origin; ++dy)
    for (int dx = -1; dx <= 1 && !origin; ++dx)
      if (shownAt(corner + QPoint(dx, dy))) origin = corner + QPoint(dx, dy);
  ASSERT_TRUE(origin.has_value()) << "not shown one picture pixel per screen pixel at " << ratio;
  // Nothing of the raster beyond the displayed size is shown.
  const QRgb beyond = shot.pixel(*origin + QPoint(90, 10));
  EXPECT_NE(qRed(beyond) | qGreen(beyond) << 8 | qBlue(beyond) << 16, picture.pixel(90, 10));

  // A pointer on a screen pixel reaches the control as Qt's window system delivers it: the
  // window position exact, the widget position rounded to whole logical pixels.
  std::vector<QPoint> reported;
  QObject::connect(
      control, &PictureControl::mouseDown,
      [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { reported.emplace_back(x, y); });
  std::vector<QPoint> wanted;
  for (int i = 0; i < 200; ++i) {
    const QPoint screenPixel = *origin + QPoint(2 + random() % 86, 2 + random() % 66);
    const QPointF inWindow = QPointF(screenPixel) / ratio;
    const QPointF inWidget = QPointF((inWindow - QPointF(control->pos())).toPoint());
    QMouseEvent press(QEvent::MouseButtonPress, inWidget, inWindow, control->mapToGlobal(inWidget),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    wanted.push_back(screenPixel - *origin);
    EXPECT_EQ(control->pixelAt(control->positionOf(wanted.back()) + QPointF(0.01, 0.01)),
              wanted.back());
  }
  EXPECT_EQ(reported, wanted);

  // An outline lies on the screen pixels of its picture pixels and goes when drawn again,
  // drawn by the control (the capture overlay's band) or over the whole window (the main
  // window's band, which may reach past the picture).
  auto* layer = new OutlineLayer(&window);
  layer->setGeometry(window.rect());
  layer->setMapping([&](QPoint pixel) {
    return layer->mapFrom(&window, control->mapTo(&window, control->positionOf(pixel)));
  });
  layer->show();
  const QRect band(QPoint(10, 12), QPoint(40, 33));
  auto changedPixels = [&] {
    const QImage outlined = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<QPoint> changed;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (outlined.pixel(x, y) != shot.pixel(x, y)) changed.push_back(QPoint(x, y) - *origin);
    return changed;
  };
  control->toggleOutline(band);
  const std::vector<QPoint> byControl = changedPixels();
  for (const QPoint& p : byControl)
    EXPECT_TRUE(band.contains(p) && !band.adjusted(1, 1, -1, -1).contains(p))
        << p.x() << "," << p.y();
  const int perimeter = 2 * (band.width() + band.height()) - 4;
  EXPECT_GE(static_cast<int>(byControl.size()), perimeter / 2 - 1);
  EXPECT_LE(static_cast<int>(byControl.size()), perimeter / 2 + 1);
  control->toggleOutline(band);
  EXPECT_TRUE(changedPixels().empty());

  layer->toggleOutline(band);
  EXPECT_EQ(changedPixels(), byControl);
  layer->toggleOutline(band);
  EXPECT_TRUE(changedPixels().empty());
}

}  // namespace
}  // namespace huesift::test
