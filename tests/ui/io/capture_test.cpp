// SPDX-License-Identifier: GPL-3.0-or-later
// Capture on the real windows: the overlay's still, the dragged rectangle, the state a
// capture leaves and the ways it can end without a picture.
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <functional>

#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

QRgb ScreenColour(int x, int y) {
  return qRgb((x * 3 + y) & 255, (x ^ y) & 255, (y * 5) & 255);
}

Colour AsColour(QRgb c) {
  return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16);
}

class CaptureTest : public MainWindowTest {
 protected:
  CaptureTest() {
    fake.screen = QImage(1100, 800, QImage::Format_RGB32);
    for (int y = 0; y < 800; ++y)
      for (int x = 0; x < 1100; ++x) fake.screen.setPixel(x, y, ScreenColour(x, y));
  }

  // Clicks "Capture"; during() runs once the overlay shows the still.
  void capture(const std::function<void()>& during) {
    fake.onModal = [&](QDialog*) {
      for (int i = 0; i < 20 && fake.sleeps.empty(); ++i) QCoreApplication::processEvents();
      ASSERT_EQ(fake.sleeps, std::vector<int>{300});
      EXPECT_FALSE(window->isVisible());
      EXPECT_TRUE(overlay->isVisible());
      EXPECT_EQ(overlay->geometry(), kWorkArea);
      during();
    };
    click(window->captureButton);
  }

  void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
    QMouseEvent event(type, QPointF(at), still()->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(still(), &event);
  }
  void press(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    mouse(QEvent::MouseButtonPress, b, b, at);
  }
  void move(QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    mouse(QEvent::MouseMove, Qt::NoButton, held, at);
  }
  void release(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    mouse(QEvent::MouseButtonRelease, b, Qt::NoButton, at);
  }

  std::vector<bool> toolsEnabled() const {
    return {window->addColourButton->isEnabled(), window->printButton->isEnabled(),
            window->fillButton->isEnabled(), window->processButton->isEnabled()};
  }

  // A picture shown larger than its raster, so a capture that gives up must restore both sizes.
  Picture giveEarlierPicture() {
    Picture before(40, 30, kBlack);
    before.setPixel(3, 4, 0x123456);
    givePicture(before);
    window->picture->setDisplaySize(50, 35);
    window->state.pictureWidth = 50;
    window->state.pictureHeight = 35;
    return before;
  }
  void expectEarlierPictureKept(const Picture& before) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(picture(), before);
    EXPECT_EQ(window->picture->displaySize(), QSize(50, 35));
    EXPECT_EQ(window->state.pictureWidth, 50);
    EXPECT_EQ(window->state.pictureHeight, 35);
    EXPECT_EQ(window->state.runState, RunState::Idle);
  }
};

TEST_F(CaptureTest, DraggedRectangleOfTheScreenBecomesThePicture) {
  window->fillButton->setEnabled(true);
  window->fillButton->setChecked(true);
  window->undoButton->setEnabled(true);
  capture([&] {
    // Until the press the overlay shows the still alone.
    EXPECT_FALSE(overlay->sizeLabel->isVisible());
    press({300, 200});
    EXPECT_EQ(fake.priorityRaised, 1);
    EXPECT_EQ(overlay->sizeLabel->text(), "0 x 0");
    move({250, 180});
    move({120, 90});  // up and to the left of the press
    EXPECT_EQ(still()->outlines(), std::vector<QRect>{QRect(120, 90, 181, 111)});
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    // The size taken, beside the pointer.
    EXPECT_TRUE(overlay->sizeLabel->isVisible());
    EXPECT_EQ(overlay->sizeLabel->text(), "180 x 110");
    const QPoint pointer = still()->mapTo(overlay, QPoint(120, 90));
    EXPECT_EQ(overlay->sizeLabel->pos(), pointer + QPoint(16, 16));
    release({120, 90});
    EXPECT_FALSE(overlay->sizeLabel->isVisible());
  });

  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(overlay->isVisible());
  EXPECT_EQ(fake.priorityRaised, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(still()->outlines().empty());

  // The still is aligned with the screen although the work area starts at (60, 40).
  ASSERT_EQ(window->picture->displaySize(), QSize(180, 110));
  EXPECT_EQ(window->state.pictureWidth, 180);
  EXPECT_EQ(window->state.pictureHeight, 110);
  EXPECT_EQ(QRect(QPoint(window->state.bandStartX, window->state.bandStartY),
                  QPoint(window->state.bandEndX, window->state.bandEndY)),
            QRect(QPoint(120, 90), QPoint(300, 200)));
  ASSERT_EQ(picture().width(), kWorkArea.width() - 6);
  ASSERT_EQ(picture().height(), kWorkArea.height() - 56);
  for (int y = 0; y < 110; ++y)
    for (int x = 0; x < 180; ++x)
      ASSERT_EQ(picture().pixel(x, y), AsColour(ScreenColour(60 + 120 + x, 40 + 90 + y)))
          << x << "," << y;
  EXPECT_EQ(picture().pixel(180, 0), kWhite);  // the rest of the raster

  EXPECT_EQ(window->state.runState, RunState::Idle);
  EXPECT_EQ(window->windowTitle(), "Captured picture - Huesift");
  EXPECT_FALSE(window->emptyHint->isVisible());
  EXPECT_EQ(toolsEnabled(), std::vector<bool>(4, true));
  EXPECT_TRUE(window->reverseButton->isEnabled());
  EXPECT_FALSE(window->undoButton->isEnabled());
  EXPECT_FALSE(window->fillButton->isChecked());
  EXPECT_FALSE(window->undoPicture->hasRaster());
  EXPECT_EQ(window->undoPicture->displaySize(), QSize(180, 110));
}

// As an X11 program on a Wayland desktop (XWayland): the main window keeps to the work area
// the X server tells, and the overlay, shown full-screen, takes the still of the whole screen.
TEST_F(CaptureTest, WhereTheDesktopPlacesWindowsTheStillCoversTheWholeScreen) {
  fake.placesWindows = true;
  EXPECT_EQ(window->state.workAreaWidth, kWorkArea.width());
  EXPECT_EQ(window->state.workAreaHeight, kWorkArea.height());
  fake.onModal = [&](QDialog*) {
    for (int i = 0; i < 20 && fake.grabs.empty(); ++i) QCoreApplication::processEvents();
    overlay->reject();
  };
  click(window->captureButton);
  ASSERT_EQ(fake.grabs.size(), 1u);
  EXPECT_EQ(fake.grabs[0].second, window->screen()->geometry());
  EXPECT_NE(fake.grabs[0].second, kWorkArea);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CaptureTest, ClickOrRightDragGivesAnEmptyPictureWithTheToolsOff) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    givePicture(Picture(30, 20, kBlack));
    capture([&] {
      // A left click without movement, or a right-button drag (the band follows only a
      // held left button).
      const QPoint end = button == Qt::LeftButton ? QPoint(200, 150) : QPoint(260, 190);
      press({200, 150}, button);
      move(end, button);
      EXPECT_TRUE(still()->outlines().empty());
      release(end, button);
    });
    EXPECT_EQ(window->picture->displaySize(), QSize(0, 0)) << button;
    EXPECT_EQ(window->state.pictureWidth, 0);
    EXPECT_EQ(window->state.pictureHeight, 0);
    EXPECT_EQ(window->state.runState, RunState::Idle);
    EXPECT_EQ(toolsEnabled(), std::vector<bool>(4, false));
    EXPECT_TRUE(window->reverseButton->isEnabled());
    EXPECT_EQ(fake.priorityRaised, 0);
    fake.sleeps.clear();
  }
}

TEST_F(CaptureTest, RectangleLargerThanTheRasterKeepsWhatFitsAndCopiesWhiteBeyond) {
  capture([&] {
    press({10, 20});
    move({kWorkArea.width() + 40, kWorkArea.height() + 30});  // past the overlay's edge
    release({kWorkArea.width() + 40, kWorkArea.height() + 30});
  });
  const int w = kWorkArea.width() + 30;
  const int h = kWorkArea.height() + 10;
  EXPECT_EQ(window->state.pictureWidth, w);
  EXPECT_EQ(window->state.pictureHeight, h);
  EXPECT_EQ(QSize(picture().width(), picture().height()),
            QSize(kWorkArea.width() - 6, kWorkArea.height() - 56));
  EXPECT_EQ(toolsEnabled(), std::vector<bool>(4, true));

  window->onCopy();
  ASSERT_TRUE(fake.clipboard.has_value());
  const QImage copied = *fake.clipboard;
  ASSERT_EQ(copied.size(), QSize(w, h));
  EXPECT_EQ(copied.pixel(0, 0), ScreenColour(60 + 10, 40 + 20));
  // The still ends at the overlay's edge, 890 pixels right of the press; past it the raster
  // stays white, and past the raster the copy is white.
  EXPECT_EQ(copied.pixel(889, picture().height() - 1),
            ScreenColour(60 + 10 + 889, 40 + 20 + picture().height() - 1));
  EXPECT_EQ(copied.pixel(890, 0), qRgb(255, 255, 255));
  EXPECT_EQ(copied.pixel(picture().width(), 0), qRgb(255, 255, 255));
  EXPECT_EQ(copied.pixel(0, picture().height()), qRgb(255, 255, 255));
  EXPECT_EQ(copied.pixel(w - 1, h - 1), qRgb(255, 255, 255));
  // The PNG other programs are offered is the same picture.
  EXPECT_EQ(QImage::fromData(fake.copiedPng, "PNG").convertToFormat(QImage::Format_RGB32),
            copied.convertToFormat(QImage::Format_RGB32));
}

// Escape or a close command, before or during a drag, brings back what the window showed.
TEST_F(CaptureTest, EscapeOrCloseRestoresThePictureAndRunState) {
  const std::vector<std::function<void()>> endings = {
      [this] { QTest::keyClick(overlay, Qt::Key_Escape); }, [this] { overlay->close(); }};
  for (bool dragging : {false, true}) {
    for (const auto& end : endings) {
      const Picture before = giveEarlierPicture();
      capture([&] {
        if (dragging) {
          press({100, 100});
          move({150, 140});
        }
        end();
        EXPECT_FALSE(overlay->isVisible());
      });
      expectEarlierPictureKept(before);
      EXPECT_EQ(fake.priorityRaised, 0);
      EXPECT_EQ(QApplication::overrideCursor(), nullptr);
      fake.sleeps.clear();
    }
  }
}

// A screen that cannot be read (no screenshot portal on Wayland, say): one message, and the
// picture, its sizes, the tools and runState are as they were; the next capture works.
TEST_F(CaptureTest, ScreenThatCannotBeReadShowsOneMessageAndChangesNothing) {
  const Picture before = giveEarlierPicture();
  click(window->addColourButton);  // "Add Color" down, with its cursor
  window->undoButton->setEnabled(true);
  const QCursor toolCursor = window->cursor();
  fake.grabFailure = "the screenshot portal is not running";
  fake.onModal = [&](QDialog*) {
    for (int i = 0; i < 20 && fake.grabs.empty(); ++i) QCoreApplication::processEvents();
  };
  click(window->captureButton);

  EXPECT_EQ(fake.messages,
            QStringList{"Screen capture is not available: the screenshot portal is not running"});
  // Asked of the screen that holds the main window, for its work area.
  ASSERT_EQ(fake.grabs.size(), 1u);
  EXPECT_EQ(fake.grabs[0], std::make_pair(static_cast<const QWidget*>(window.get()), kWorkArea));
  EXPECT_EQ(fake.workAreaAskedFor.back(), window.get());
  EXPECT_FALSE(overlay->isVisible());
  expectEarlierPictureKept(before);
  EXPECT_TRUE(window->addColourButton->isChecked());
  EXPECT_TRUE(window->undoButton->isEnabled());
  EXPECT_EQ(toolsEnabled(), std::vector<bool>(4, true));
  EXPECT_EQ(window->cursor().shape(), toolCursor.shape());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  fake.grabFailure.clear();
  fake.sleeps.clear();
  capture([&] {
    press({10, 10});
    move({30, 25});
    release({30, 25});
  });
  EXPECT_EQ(window->picture->displaySize(), QSize(20, 15));
  EXPECT_EQ(picture().pixel(0, 0), AsColour(ScreenColour(60 + 10, 40 + 10)));
  EXPECT_EQ(fake.messages.size(), 1);
}

TEST_F(CaptureTest, CancelBeforeAnyPictureLeavesNoPicture) {
  const QSize empty = window->picture->displaySize();
  capture([&] { QTest::keyClick(overlay, Qt::Key_Escape); });
  // The window still says how to bring a picture in, and names none.
  EXPECT_TRUE(window->emptyHint->isVisible());
  EXPECT_EQ(window->windowTitle(), "Huesift");
  EXPECT_EQ(window->state.runState, RunState::NoPicture);
  EXPECT_FALSE(window->picture->hasRaster());
  EXPECT_EQ(window->picture->displaySize(), empty);
  EXPECT_FALSE(window->processButton->isEnabled());
}

TEST_F(CaptureTest, RefusedWhileProcessRunsAndPasteMenuBelowTheButton) {
  window->state.runState = RunState::Running;
  click(window->captureButton);
  EXPECT_TRUE(fake.modals.empty());
  window->state.runState = RunState::Idle;

  QTest::mousePress(window->captureButton, Qt::RightButton);
  EXPECT_TRUE(window->captureMenu->isVisible());
  EXPECT_EQ(window->captureMenu->pos(),
            window->frameGeometry().topLeft() + window->captureButton->pos() + QPoint(-9, 41));
  window->captureMenu->hide();
  QTest::mouseRelease(window->captureButton, Qt::RightButton);
  EXPECT_TRUE(fake.modals.empty());
}

}  // namespace
}  // namespace huesift::test
