// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "app/huesift_application.h"
#include "app/tform1.h"
#include "app/thelp.h"
#include "engine/picture.h"
#include "io/tform2.h"
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
    form = std::make_unique<TForm1>(fake);
    overlay = std::make_unique<TForm2>(
        fake, form->state,
        TForm2::Targets{form.get(), form->Image1, form->SpeedButton1, form->SpeedButton3,
                        form->SpeedButton4, form->SpeedButton5});
    form->setOverlay(overlay.get());
    form->setHelp(&help);
    form->show();
  }
  ~MainWindowTest() override { qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(nullptr); }

  // What a capture or a paste leaves behind: the picture in place, the control sized to it,
  // a picture present and the tools that need one enabled.
  void givePicture(const Picture& picture) {
    form->Image1->setPicture(picture);
    form->Image1->setDisplaySize(picture.width(), picture.height());
    form->state.runState = 0;
    for (QToolButton* b : {form->SpeedButton1, form->SpeedButton3, form->SpeedButton4,
                           form->SpeedButton5, form->SpeedButton12}) {
      b->setEnabled(true);
    }
  }

  static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
  const Picture& picture() const { return form->Image1->picture(); }

  FakeServices fake;
  THelp help;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TForm2> overlay;
};

}  // namespace huesift::test
