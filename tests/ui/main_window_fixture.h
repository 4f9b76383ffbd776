// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "app/help_window.h"
#include "app/huesift_application.h"
#include "app/main_window.h"
#include "engine/picture.h"
#include "io/capture_overlay.h"
#include "io/picture_intake.h"
#include "tests/ui/fake_services.h"

namespace huesift::test {

// The three windows as the program builds them, on fake services, with the main window
// shown on a work area that does not start at the screen's corner.
class MainWindowTest : public ::testing::Test {
 public:
  static constexpr QRect kWorkArea{60, 40, 900, 650};

  MainWindowTest() {
    fake.workAreaRect = kWorkArea;
    qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(&fake);
    window = std::make_unique<MainWindow>(fake);
    overlay = &window->overlay();
    window->show();
  }
  ~MainWindowTest() override { qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(nullptr); }

  // A new picture, taken in as a paste takes it: the control sized to it, a picture present
  // and the tools that need one enabled.
  void givePicture(const Picture& picture) {
    window->intake().take(picture, QSize(picture.width(), picture.height()), "test picture");
  }

  static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
  const Picture& picture() const { return window->picture->picture(); }
  const Picture& undoCopy() const { return window->undoPicture->picture(); }
  // The colours the "Retain which color?" box offers.
  CandidateList* candidateList() const { return window->colourBox->candidateList; }
  // The capture overlay's still of the screen, where the rectangle is dragged.
  PictureControl* still() const { return overlay->still; }
  HelpWindow& help() { return window->help(); }

  FakeServices fake;
  std::unique_ptr<MainWindow> window;
  CaptureOverlay* overlay = nullptr;
};

}  // namespace huesift::test
