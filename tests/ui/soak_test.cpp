// SPDX-License-Identifier: GPL-3.0-or-later
// A seeded soak: thousands of random user actions on the real main window (toolbar, menus,
// drags and clicks on the picture, keys, pastes of good and broken pictures, captures, quick
// clicks during and behind a run), with the program's invariants checked after each one.
// A failure names the seed and the action to replay it.
#include <QBuffer>
#include <QMenu>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "app/gauge.h"
#include "files/picture_image.h"
#include "tests/engine/naive_fill.h"
#include "tests/ui/tools/tools_fixture.h"

namespace huesift::test {
namespace {

class Soak : public ToolsTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  std::mt19937 random{GetParam()};
  int action = 0;
  std::string doing;
  int quits = 0, closedSeen = 0;
  // What the run went through, printed at the end so a soak that tests nothing shows.
  std::map<std::string, int> seen;
  std::optional<QImage> offered;  // the picture behind the clipboard's bytes, if any

  int below(int n) { return n <= 1 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  std::string where() const {
    std::ostringstream out;
    out << "seed " << GetParam() << ", action " << action << " (" << doing << ")";
    return out.str();
  }

  // A few colours, so that sampling, retaining and Process have something to find.
  Colour someColour() {
    static const Colour palette[] = {kBlack, kWhite, 0x0080FF, 0xFF0000, 0x00FF00, 0x123456};
    return chance(80) ? palette[below(6)] : static_cast<Colour>(random() & 0xFFFFFF);
  }
  QImage randomImage() {
    QImage image(1 + below(120), 1 + below(90), QImage::Format_RGB32);
    const int block = 1 + below(12);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const Colour c = (x / block + y / block) % 3 == 0 ? kBlack : someColour();
        image.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
      }
    return image;
  }

  void offerClipboard() {
    fake.clipboardFails = false;
    fake.clipboard.reset();
    fake.clipboardBytes.reset();
    offered.reset();
    const QImage image = randomImage();
    offered = image;
    switch (below(6)) {
      case 0:
        fake.clipboard = image;
        doing += " png";
        break;
      case 1:
        fake.clipboardBytes = EncodedImage{"image/bmp", Encoded(image, "BMP")};
        break;
      case 2: {
        const QByteArray bmp = Encoded(image, "BMP");
        fake.clipboardBytes = EncodedImage{"image/bmp", bmp.left(1 + below(bmp.size() - 4))};
        doing += " cut bmp";
        break;
      }
      case 3: {
        QByteArray png = Encoded(image, "PNG");
        png[below(png.size())] = static_cast<char>(random());
        fake.clipboardBytes = EncodedImage{"image/png", png};
        doing += " damaged png";
        break;
      }
      case 4:
        fake.clipboardFails = true;
        offered.reset();
        break;
      default:
        offered.reset();  // nothing to paste
        break;
    }
  }

  QPoint pointOnPicture() {
    const int w = std::max(window->picture->displayWidth(), 1),
              h = std::max(window->picture->displayHeight(), 1);
    return QPoint(below(w + 40) - 10, below(h + 40) - 10);
  }

  void band() {
    const QPoint from = pointOnPicture();
    press(Qt::LeftButton, from.x(), from.y());
    for (int i = below(4); i > 0; --i) {
      const QPoint to = pointOnPicture();
      moveTo(to.x(), to.y());
    }
    const QPoint at = pointOnPicture();
    release(Qt::LeftButton, at.x(), at.y());
  }

  void clickOnPicture() {
    static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    const QPoint at = pointOnPicture();
    clickPicture(buttons[below(3)], at.x(), at.y());
    if (window->pictureMenu->isVisible()) {
      if (chance(50)) window->copyAction->trigger();
      window->pictureMenu->hide();
    }
  }

  QToolButton* anyButton() {
    QToolButton* buttons[] = {window->addColourButton, window->captureButton, window->printButton,
                              window->fillButton,      window->processButton, window->quitButton,
                              window->helpButton,      window->resetButton,   window->stopButton,
                              window->undoButton,      window->reverseButton};
    return buttons[below(11)];
  }

  void clickButton(QToolButton* b) {
    doing += " " + b->toolTip().toStdString();
    if (b == window->quitButton && !window->busy()) ++quits;
    click(b);
    if (!window->isVisible()) window->show();  // Quit: the next user starts it again
  }

  void buttonMenu() {
    QToolButton* owners[] = {window->captureButton, window->processButton, window->fillButton,
                             window->printButton};
    QMenu* menus[] = {window->captureMenu, window->processMenu, window->fillMenu,
                      window->printMenu};
    const int i = below(4);
    if (i == 0) offerClipboard();
    QTest::mousePress(owners[i], Qt::RightButton);
    QTest::mouseRelease(owners[i], Qt::RightButton);
    if (!menus[i]->isVisible()) return;
    const QList<QAction*> items = menus[i]->actions();
    if (chance(20)) {
      menus[i]->hide();
      return;
    }
    QAction* item = items[below(items.size())];
    doing += " " + item->text().toStdString();
    menus[i]->hide();
    item->trigger();
  }

  // A paste either takes exactly the picture behind the bytes, or changes nothing at all.
  void paste() {
    doing = "paste";
    offerClipboard();
    const Picture before = picture();
    const QSize size(window->state.pictureWidth, window->state.pictureHeight);
    const bool refusable = window->busy();
    window->pasteAction->trigger();
    const bool changed = picture() != before ||
                         size != QSize(window->state.pictureWidth, window->state.pictureHeight);
    if (!changed) return;
    ++seen["paste taken"];
    ASSERT_FALSE(refusable) << where() << ": pasted while busy";
    ASSERT_TRUE(offered.has_value()) << where() << ": a picture came from nowhere";
    EXPECT_TRUE(picture() == PictureFromImage(*offered)) << where() << ": not the offered picture";
  }

  // The overlay's showing: a rectangle dragged, or Escape.
  void onCapture() {
    for (int i = 0; i < 20 && !window->isHidden(); ++i) QCoreApplication::processEvents();
    if (chance(20)) return overlay->reject();
    auto mouse = [&](QEvent::Type type, Qt::MouseButtons held, QPoint at) {
      const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent event(type, QPointF(at), still()->mapToGlobal(QPointF(at)), b, held,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(still(), &event);
    };
    const QPoint a(below(300), below(200)), b(below(300), below(200));
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, a);
    mouse(QEvent::MouseMove, Qt::LeftButton, b);
    mouse(QEvent::MouseButtonRelease, Qt::NoButton, b);
  }

  // Process with clicks arriving in its pumps and behind its end pause.
  void quickSequence() {
    const int stopAt = 1 + below(4);
    fake.onPump = [this, stopAt](int n) {
      if (n != stopAt) return;
      if (chance(60)) click(window->stopButton);
      for (int i = 1 + below(3); i > 0; --i) {
        if (chance(50)) {
          clickButton(anyButton());
        } else {
          band();
        }
      }
    };
    const Picture before = picture();
    const Picture undoBefore = undoCopy();
    fake.onSleep = [this, &before, &undoBefore] {
      if (fake.sleeps.back() != 500) return;
      // The run's undo copy is what the picture was, whatever came in the pumps.
      if (undoCopy() != undoBefore) {
        ++seen["run with undo copy"];
        EXPECT_TRUE(undoCopy() == before) << where() << ": undo copy replaced";
      }
      // Clicks that wait in the queue until the run has returned, as in a real event queue.
      for (QToolButton* b : {window->captureButton, window->helpButton, window->printButton}) {
        if (!chance(50)) continue;
        const QPoint c = b->rect().center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
          QCoreApplication::postEvent(
              b, new QMouseEvent(t, QPointF(c), b->mapToGlobal(QPointF(c)), Qt::LeftButton,
                                 t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                 Qt::NoModifier));
        }
      }
    };
    click(window->processButton);
    fake.onPump = nullptr;
    fake.onSleep = nullptr;
    QCoreApplication::processEvents();  // the queued clicks
  }

  // Band, fill or Process: what they may change, against an independent reference.
  void editAndCheck() {
    const Picture before = picture();
    const Picture undoBefore = undoCopy();
    const bool fillDown = window->fillButton->isChecked();
    const bool idle = window->state.runState == RunState::Idle && window->busy() == false;
    if (fillDown || chance(50)) {
      const QPoint at = pointOnPicture();
      doing = fillDown ? "fill" : "band";
      if (fillDown) {
        clickPicture(Qt::LeftButton, at.x(), at.y());
        if (idle) {
          Picture expected = before.empty() ? Picture(window->picture->displayWidth(),
                                                      window->picture->displayHeight(), kWhite)
                                            : before;
          NaiveFloodFill(expected, at.x(), at.y(), window->state.fillColor);
          ++seen["fill checked"];
          EXPECT_EQ(picture(), expected) << where() << " at " << at.x() << "," << at.y();
        }
      } else {
        const QPoint to = pointOnPicture();
        press(Qt::LeftButton, at.x(), at.y());
        moveTo(to.x(), to.y());
        release(Qt::LeftButton, to.x(), to.y());
        if (idle && !window->addColourButton->isChecked()) {
          Picture expected = before.empty() ? Picture(window->picture->displayWidth(),
                                                      window->picture->displayHeight(), kWhite)
                                            : before;
          const int x0 = std::min(at.x(), to.x()), x1 = std::max(at.x(), to.x());
          const int y0 = std::min(at.y(), to.y()), y1 = std::max(at.y(), to.y());
          if (x0 < x1 && y0 < y1)
            for (int y = y0; y < y1; ++y)
              for (int x = x0; x < x1; ++x) expected.setPixel(x, y, kWhite);
          if (!(before.empty() && (x0 >= x1 || y0 >= y1))) {
            ++seen["band checked"];
            EXPECT_EQ(picture(), expected) << where();
          }
        }
      }
    } else {
      doing = "process";
      if (chance(40)) {
        fake.onPump = [this](int n) {
          if (n == 2) click(window->stopButton);
        };
      }
      click(window->processButton);
      fake.onPump = nullptr;
    }
    const Picture& undo = undoCopy();
    if (undo != undoBefore) {
      ++seen[doing + " with undo copy"];
      EXPECT_TRUE(undo == before) << where() << ": the undo copy is not the picture before";
    }
    if (window->undoButton->isEnabled() && undo == before && chance(50)) {
      click(window->undoButton);
      ++seen["undo checked"];
      EXPECT_TRUE(picture() == before) << where() << ": Undo did not restore the picture";
    }
  }

  void act() {
    doing.clear();
    switch (below(12)) {
      case 0:
      case 1:
        doing = "button";
        clickButton(anyButton());
        break;
      case 2:
        doing = "button menu";
        buttonMenu();
        break;
      case 3:
      case 4:
        doing = "band";
        band();
        break;
      case 5:
        doing = "picture click";
        clickOnPicture();
        break;
      case 6:
        paste();
        break;
      case 7:
        doing = "quick sequence";
        quickSequence();
        break;
      case 8:
      case 9:
        editAndCheck();
        break;
      case 10: {
        doing = "retained list";
        if (window->retainedList->isEnabled()) chooseRetained(below(window->retainedList->count()));
        break;
      }
      default: {
        doing = "colour box or key";
        if (window->colourBox->isVisible() && candidateList()->count() > 0) {
          chooseCandidate(below(candidateList()->count()));
        } else {
          static const Qt::Key keys[] = {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_Tab,
                                         Qt::Key_Down};
          QTest::keyClick(window.get(), keys[below(5)]);
        }
      }
    }
    QCoreApplication::processEvents();
  }

  void checkInvariants() {
    ASSERT_TRUE(window->isVisible()) << where() << ": the main window is gone";
    EXPECT_EQ(closedSeen, quits) << where() << ": the program ended other than by Quit";
    EXPECT_FALSE(help().isVisible()) << where();
    EXPECT_FALSE(overlay->isVisible()) << where();
    const int n = window->retainedList->count();
    ASSERT_TRUE(n >= 1 && n <= 64) << where() << ": " << n << " retained colours";
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(window->state.retainedColors[i],
                i < n ? window->retainedList->colourAt(i) : kNoColour)
          << where() << ": retainedColors slot " << i;
    }
    const WorkingState& s = window->state;
    if (s.runState == RunState::Idle) {
      EXPECT_EQ(QSize(s.pictureWidth, s.pictureHeight), window->picture->displaySize()) << where();
      if (window->picture->hasRaster()) {
        EXPECT_LE(s.pictureWidth, picture().width()) << where();
        EXPECT_LE(s.pictureHeight, picture().height()) << where();
      }
    }
    EXPECT_NE(s.runState, RunState::Running) << where() << ": a run is left running";
    EXPECT_FALSE(window->busy()) << where();
  }
};

TEST_P(Soak, RandomActionsKeepTheProgramWhole) {
  const char* configured = std::getenv("HUESIFT_SOAK_ACTIONS");
  const int actions = configured ? std::atoi(configured) : 5000;
  QObject::connect(window.get(), &MainWindow::closed, [this] { ++closedSeen; });
  fake.cursorLoader = [this](const QString&) -> std::optional<QCursor> {
    if (chance(5)) return std::nullopt;
    return QCursor(Qt::CrossCursor);
  };
  fake.onModal = [this](QDialog* dialog) {
    if (dialog == overlay) return onCapture();
    // Nothing opens inside a capture.
    EXPECT_FALSE(overlay->isVisible()) << where() << ": a window opened inside the capture";
  };
  fake.screen = randomImage().scaled(1024, 768);
  givePicture(Picture(60, 40, 0x0080FF));
  window->state.pictureWidth = 60;
  window->state.pictureHeight = 40;

  const auto report = [this] {
    std::ostringstream out;
    seen["windows shown"] = static_cast<int>(fake.modals.size());
    seen["runs"] = static_cast<int>(std::count(fake.sleeps.begin(), fake.sleeps.end(), 500));
    seen["quits"] = quits;
    for (const QString& m : fake.messages) ++seen["message " + m.left(40).toStdString()];
    for (const auto& [what, count] : seen) out << what << ": " << count << "; ";
    std::cout << "seed " << GetParam() << ": " << out.str() << std::endl;
  };
  for (action = 1; action <= actions; ++action) {
    fake.colourAnswer = chance(70) ? std::optional<Colour>(someColour()) : std::nullopt;
    act();
    checkInvariants();
    if (HasFailure()) {
      const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
      ADD_FAILURE() << "seed " << GetParam() << " failed at action " << action << " of " << actions
                    << "; replay: ui_tests --gtest_filter='" << test->test_suite_name() << "."
                    << test->name() << "'";
      report();
      return;
    }
  }
  report();
  EXPECT_GT(seen["paste taken"], 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::Values(1u, 2u, 3u),
                         [](const auto& info) { return "Seed" + std::to_string(info.param); });

}  // namespace
}  // namespace huesift::test
