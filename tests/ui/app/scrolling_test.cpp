// SPDX-License-Identifier: GPL-3.0-or-later
// A picture larger than the window: scroll bars, the wheel and the keys move it, and the tools
// act on the pixel under the pointer wherever it has been scrolled to; Process walks it all.
// The pointer goes through the window as a user's would, to whatever lies under it.
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

constexpr Colour kBlue = 0xFF0000;
constexpr Colour kOrange = 0x0080FF;
// Larger than the 900 x 650 window in both directions.
constexpr int kWidth = 2000, kHeight = 1500;

class ScrollingTest : public ToolsTest {
 public:
  QScrollBar* across() const { return window->pictureView->horizontalScrollBar(); }
  QScrollBar* down() const { return window->pictureView->verticalScrollBar(); }
  QWidget* viewport() const { return window->pictureView->viewport(); }
  QSize visible() const { return viewport()->size(); }

  // Where picture pixel p lies in the window, worked out from the scroll bars alone: the
  // picture's corner is at (-1, 28) unscrolled, one picture pixel per window pixel here.
  QPoint inWindow(QPoint p) const {
    return QPoint(-1, 28) + p - QPoint(across()->value(), down()->value());
  }
  // A press at a window position, delivered to whatever the window has there.
  void pressAt(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(window->windowHandle(), button, {}, inWindow(p));
  }
  // Moves and the release go to the widget that the press went to, wherever the pointer is;
  // sent directly, as the offscreen platform does not track the pointer's moves.
  void moveTo(QPoint p) { sendToPicture(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
  void releaseAt(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    sendToPicture(QEvent::MouseButtonRelease, p, button, Qt::NoButton);
  }
  void sendToPicture(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    const QPointF at(inWindow(p));
    QMouseEvent event(type, window->picture->mapFrom(window.get(), at), at, window->mapToGlobal(at),
                      button, held, Qt::NoModifier);
    QApplication::sendEvent(window->picture, &event);
  }

  // A turn of the wheel over the picture. Qt hands a wheel event that a widget ignores on to
  // its parent, up to the view's viewport; one made here is handed on the same way by hand.
  void wheel(int angle, Qt::KeyboardModifiers modifiers = {}) {
    for (QWidget* w :
         {static_cast<QWidget*>(window->picture), window->pictureView->sheet(), viewport()}) {
      const QPointF at = w->mapFromGlobal(window->picture->mapToGlobal(QPointF(50, 50)));
      QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(w, &event);
      if (event.isAccepted()) return;
    }
  }
  // The view shows or hides its scroll bars once the events queued by a new size are handled.
  void showPicture(const Picture& p) {
    givePicture(p);
    QCoreApplication::processEvents();
  }
  void paste(const QImage& image) {
    fake.clipboard = image;
    window->onPaste();
    QCoreApplication::processEvents();
  }

  // Scrolled as far right and down as the picture goes, with the Page keys and Shift+wheel.
  void scrollToFarCorner() {
    for (int i = 0; i < 100 && down()->value() < down()->maximum(); ++i)
      QTest::keyClick(window.get(), Qt::Key_PageDown);
    for (int i = 0; i < 1000 && across()->value() < across()->maximum(); ++i)
      wheel(-120, Qt::ShiftModifier);
    ASSERT_EQ(down()->value(), down()->maximum());
    ASSERT_EQ(across()->value(), across()->maximum());
    // The picture's last pixel is the view's last: the picture is shown one to one.
    ASSERT_EQ(
        inWindow({kWidth - 1, kHeight - 1}),
        viewport()->mapTo(window.get(), QPoint(visible().width() - 1, visible().height() - 1)));
  }
};

TEST_F(ScrollingTest, APictureThatFitsHasNoScrollBarsAndSitsBelowTheToolbar) {
  EXPECT_FALSE(across()->isVisible());  // no picture yet
  EXPECT_FALSE(down()->isVisible());
  showPicture(Picture(40, 30, kBlack));
  EXPECT_FALSE(across()->isVisible());
  EXPECT_FALSE(down()->isVisible());
  EXPECT_EQ(window->picture->mapTo(window.get(), QPoint(0, 0)), QPoint(-1, 28));
  // As large as the space below the toolbar, one pixel hidden left of the window as always.
  const QSize space(window->width() + 1, window->height() - 28);
  showPicture(Picture(space.width(), space.height(), kBlack));
  EXPECT_FALSE(across()->isVisible());
  EXPECT_FALSE(down()->isVisible());
  // One pixel more, and it scrolls.
  showPicture(Picture(space.width(), space.height() + 1, kBlack));
  EXPECT_TRUE(down()->isVisible());
  EXPECT_EQ(down()->maximum(), space.height() + 1 - visible().height());
}

TEST_F(ScrollingTest, WheelShiftWheelAndKeysScrollThePicture) {
  showPicture(Picture(kWidth, kHeight, kBlack));
  ASSERT_TRUE(across()->isVisible());
  ASSERT_TRUE(down()->isVisible());
  EXPECT_EQ(across()->maximum(), kWidth - visible().width());
  EXPECT_EQ(down()->maximum(), kHeight - visible().height());

  wheel(-120);  // down, towards the user
  const int wheelStep = down()->value();
  EXPECT_GT(wheelStep, 0);
  EXPECT_EQ(across()->value(), 0);
  wheel(-120, Qt::ShiftModifier);  // sideways: right
  EXPECT_EQ(across()->value(), wheelStep);
  EXPECT_EQ(down()->value(), wheelStep);
  EXPECT_EQ(window->picture->mapTo(window.get(), QPoint(0, 0)),
            QPoint(-1 - wheelStep, 28 - wheelStep));
  wheel(120, Qt::ShiftModifier);
  EXPECT_EQ(across()->value(), 0);

  // The keys: the picture has them from the start, and after a click on it.
  EXPECT_EQ(QApplication::focusWidget(), window->pictureView);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  EXPECT_EQ(across()->value(), across()->singleStep());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(across()->value(), 0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(down()->value(), wheelStep + down()->pageStep());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(down()->value(), wheelStep + down()->pageStep() - down()->singleStep());
  // A toolbar button that Tab has reached keeps the arrows to move along the toolbar, but
  // the Page keys still scroll.
  window->captureButton->setFocus(Qt::TabFocusReason);
  QTest::keyClick(window->captureButton, Qt::Key_PageUp);
  QTest::keyClick(window->captureButton, Qt::Key_PageUp);
  EXPECT_EQ(down()->value(), 0);
  EXPECT_EQ(across()->value(), 0);
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_EQ(QApplication::focusWidget(), window->pictureView);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(down()->value(), down()->singleStep());
}

TEST_F(ScrollingTest, FillAtTheFarCornerFillsThePixelsUnderThePointer) {
  Picture input(kWidth, kHeight, kBlack);
  for (int y = kHeight - 10; y < kHeight - 5; ++y)
    for (int x = kWidth - 10; x < kWidth - 5; ++x) input.setPixel(x, y, kWhite);
  showPicture(input);
  scrollToFarCorner();
  click(window->fillButton);
  fake.colourAnswer = kBlue;
  window->fillColourAction->trigger();

  pressAt({kWidth - 8, kHeight - 7});
  releaseAt({kWidth - 8, kHeight - 7});
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      ASSERT_EQ(picture().pixel(x, y), input.pixel(x, y) == kWhite ? kBlue : kBlack)
          << x << "," << y;
  EXPECT_TRUE(window->undoButton->isEnabled());
}

TEST_F(ScrollingTest, BandEraseAtTheFarCornerWhitensTheDraggedPixels) {
  showPicture(Picture(kWidth, kHeight, kBlack));
  scrollToFarCorner();
  const QPoint from(kWidth - 40, kHeight - 30), to(kWidth - 3, kHeight - 2);

  pressAt(from);
  moveTo((from + to) / 2);
  moveTo(to);
  // The outline is drawn where the band is on the screen: its corner dot on the pixel
  // where the drag began, over the black picture.
  ASSERT_EQ(window->bandLayer->outlines(), std::vector<QRect>{QRect(from, to)});
  const QImage shot = window->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(inWindow(from))), QColor(Qt::white));
  EXPECT_EQ(QColor(shot.pixel(inWindow(from + QPoint(1, 0)))), QColor(Qt::black));
  releaseAt(to);

  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool banded = x >= from.x() && x < to.x() && y >= from.y() && y < to.y();
      ASSERT_EQ(picture().pixel(x, y), banded ? kWhite : kBlack) << x << "," << y;
    }
  EXPECT_TRUE(window->bandLayer->outlines().empty());

  // Undo brings the picture back where it is, in the same place.
  const int right = across()->value(), bottom = down()->value();
  click(window->undoButton);
  EXPECT_EQ(picture(), Picture(kWidth, kHeight, kBlack));
  EXPECT_EQ(across()->value(), right);
  EXPECT_EQ(down()->value(), bottom);
}

TEST_F(ScrollingTest, ABandDraggedPastTheViewsEdgeScrollsOnAndReachesBeyondIt) {
  showPicture(Picture(kWidth, kHeight, kBlack));
  const QPoint from(100, 100);
  pressAt(from);
  // The pointer goes below and right of the window, and stays there.
  const QPoint outside(window->width() + 40, window->height() + 40);
  const QPointF local = window->picture->mapFrom(window.get(), QPointF(outside));
  QMouseEvent move(QEvent::MouseMove, local, QPointF(outside), window->mapToGlobal(outside),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->picture, &move);
  QTest::qWait(300);
  EXPECT_GT(across()->value(), 0);
  EXPECT_GT(down()->value(), 0);
  // The band's far corner is the pixel under the pointer, which the scrolling moved on.
  const QPoint end(window->state.bandEndX, window->state.bandEndY);
  EXPECT_EQ(inWindow(end), outside);
  EXPECT_GT(end.x(), visible().width());

  releaseAt(end);
  const int right = across()->value(), bottom = down()->value();
  QTest::qWait(100);  // the scrolling has stopped with the release
  EXPECT_EQ(across()->value(), right);
  EXPECT_EQ(down()->value(), bottom);
  EXPECT_EQ(picture().pixel(from.x(), from.y()), kWhite);
  EXPECT_EQ(picture().pixel(end.x() - 1, end.y() - 1), kWhite);
  EXPECT_EQ(picture().pixel(end.x(), end.y()), kBlack);

  // And back: dragged past the top left corner, the view scrolls up and left.
  pressAt(QPoint(right, bottom) + QPoint(50, 50));
  const QPoint before(-40, -40);
  QMouseEvent back(QEvent::MouseMove, window->picture->mapFrom(window.get(), QPointF(before)),
                   QPointF(before), window->mapToGlobal(before), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(window->picture, &back);
  QTest::qWait(300);
  EXPECT_LT(across()->value(), right);
  EXPECT_LT(down()->value(), bottom);
  releaseAt(QPoint(window->state.bandEndX, window->state.bandEndY));
}

TEST_F(ScrollingTest, ProcessChangesPixelsBeyondTheFirstScreenful) {
  showPicture(Picture(kWidth, kHeight, kOrange));
  ASSERT_LT(visible().width(), kWidth);
  ASSERT_LT(visible().height(), kHeight);
  click(window->processButton);
  // Orange is not retained, so the strip pass whitens every pixel, the last one too.
  EXPECT_EQ(picture(), Picture(kWidth, kHeight, kWhite));
}

TEST_F(ScrollingTest, CopyMenuAndPrintTakeTheWholePictureWhereverItIsScrolled) {
  QImage pasted(kWidth, kHeight, QImage::Format_RGB32);
  pasted.fill(Qt::red);
  pasted.setPixel(kWidth - 1, kHeight - 1, qRgb(0, 0, 255));
  paste(pasted);
  scrollToFarCorner();
  // Far enough into the view that the menu is not moved to fit the (small) offscreen screen.
  const QPoint corner(kWidth - visible().width() + 100, kHeight - visible().height() + 100);

  pressAt(corner, Qt::RightButton);
  ASSERT_TRUE(window->pictureMenu->isVisible());
  EXPECT_EQ(window->pictureMenu->pos(),
            window->mapToGlobal(inWindow(corner)) - QPoint(25, 23));  // at the pointer
  releaseAt(corner, Qt::RightButton);
  window->pictureMenu->hide();
  fake.clipboard.reset();
  window->copyAction->trigger();
  ASSERT_TRUE(fake.clipboard);
  EXPECT_EQ(fake.clipboard->convertToFormat(QImage::Format_RGB32), pasted);

  click(window->printButton);
  ASSERT_EQ(fake.printed.size(), 1u);
  EXPECT_EQ(fake.printed[0].first.convertToFormat(QImage::Format_RGB32), pasted);
}

TEST_F(ScrollingTest, ANewPictureIsShownFromItsCorner) {
  showPicture(Picture(kWidth, kHeight, kBlack));
  scrollToFarCorner();
  QImage pasted(kWidth + 10, kHeight, QImage::Format_RGB32);
  pasted.fill(Qt::red);
  paste(pasted);
  ASSERT_EQ(picture().width(), kWidth + 10);
  EXPECT_EQ(across()->value(), 0);
  EXPECT_EQ(down()->value(), 0);
  EXPECT_EQ(across()->maximum(), kWidth + 10 - visible().width());
}

}  // namespace
}  // namespace huesift::test
