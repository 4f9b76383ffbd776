// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>
#include <vector>

#include "tests/ui/main_window_fixture.h"

namespace huesift::test {

// Everything of the program that taking in a new picture (pasted, opened, dropped) may change.
struct Snapshot {
  Picture picture, undo;
  QSize control;
  int width, height;
  RunState runState;
  std::vector<bool> enabled;
  bool addColourDown, fillDown;
  bool colourBoxShown;
  int candidatesListed;
  ColourTable candidates;
  Qt::CursorShape cursor;
  bool operator==(const Snapshot&) const = default;
};

class ClipboardTest : public MainWindowTest {
 public:
  // Paste as the user chooses it: right press on "Capture", then the menu's first item.
  void paste() {
    QTest::mousePress(window->captureButton, Qt::RightButton);
    QTest::mouseRelease(window->captureButton, Qt::RightButton);
    ASSERT_TRUE(window->captureMenu->isVisible());
    QTest::keyClick(window->captureMenu, Qt::Key_Down);
    QTest::keyClick(window->captureMenu, Qt::Key_Return);
  }

  // "Open Picture...", the second item of the same menu.
  void openByMenu() {
    QTest::mousePress(window->captureButton, Qt::RightButton);
    QTest::mouseRelease(window->captureButton, Qt::RightButton);
    ASSERT_TRUE(window->captureMenu->isVisible());
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
      QTest::keyClick(window->captureMenu, static_cast<Qt::Key>(key));
  }

  std::vector<bool> buttonsEnabled() const {
    return {window->reverseButton->isEnabled(), window->addColourButton->isEnabled(),
            window->printButton->isEnabled(),   window->fillButton->isEnabled(),
            window->processButton->isEnabled(), window->undoButton->isEnabled()};
  }
  const std::vector<bool> kAfterPaste{true, true, true, true, true, false};

  // A picture and tool state that a new picture must replace (or, when refused, keep): Add
  // Color down with its cursor, Undo enabled, the colour box open with two candidates.
  void setUpEarlierPicture() {
    givePicture(Picture(20, 10, 0x00FF00));
    window->state.pictureWidth = 20;
    window->state.pictureHeight = 10;
    window->addColourButton->setChecked(true);
    window->setCursor(Qt::CrossCursor);
    window->undoButton->setEnabled(true);
    window->undoPicture->setPicture(Picture(20, 10, 0x0000FF));
    for (Colour c : {0x112233, 0x445566}) {
      window->state.candidateColors[candidateList()->count()] = c;
      candidateList()->appendColour(c);
    }
    window->colourBox->openFor(2);
  }

  Snapshot snapshot() const {
    return {picture(),
            undoCopy(),
            window->picture->displaySize(),
            window->state.pictureWidth,
            window->state.pictureHeight,
            window->state.runState,
            buttonsEnabled(),
            window->addColourButton->isChecked(),
            window->fillButton->isChecked(),
            window->colourBox->isVisible(),
            candidateList()->count(),
            window->state.candidateColors,
            window->cursor().shape()};
  }
};

}  // namespace huesift::test
