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
  int width, height, runState;
  std::vector<bool> enabled;
  bool addColorDown, fillDown;
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
    QTest::mousePress(form->SpeedButton2, Qt::RightButton);
    QTest::mouseRelease(form->SpeedButton2, Qt::RightButton);
    ASSERT_TRUE(form->PopupMenu4->isVisible());
    QTest::keyClick(form->PopupMenu4, Qt::Key_Down);
    QTest::keyClick(form->PopupMenu4, Qt::Key_Return);
  }

  // "Open Picture...", the second item of the same menu.
  void openByMenu() {
    QTest::mousePress(form->SpeedButton2, Qt::RightButton);
    QTest::mouseRelease(form->SpeedButton2, Qt::RightButton);
    ASSERT_TRUE(form->PopupMenu4->isVisible());
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
      QTest::keyClick(form->PopupMenu4, static_cast<Qt::Key>(key));
  }

  std::vector<bool> buttonsEnabled() const {
    return {form->SpeedButton12->isEnabled(), form->SpeedButton1->isEnabled(),
            form->SpeedButton3->isEnabled(),  form->SpeedButton4->isEnabled(),
            form->SpeedButton5->isEnabled(),  form->SpeedButton11->isEnabled()};
  }
  const std::vector<bool> kAfterPaste{true, true, true, true, true, false};

  // A picture and tool state that a new picture must replace (or, when refused, keep): Add
  // Color down with its cursor, Undo enabled, the colour box open with two candidates.
  void setUpEarlierPicture() {
    givePicture(Picture(20, 10, 0x00FF00));
    form->state.pictureWidth = 20;
    form->state.pictureHeight = 10;
    form->SpeedButton1->setChecked(true);
    form->setCursor(Qt::CrossCursor);
    form->SpeedButton11->setEnabled(true);
    form->Image5->setPicture(Picture(20, 10, 0x0000FF));
    for (Colour c : {0x112233, 0x445566}) {
      form->state.candidateColors[form->Panel12->ListBox1->count()] = c;
      form->Panel12->ListBox1->appendColour(c);
    }
    form->Panel12->openFor(2);
  }

  Snapshot snapshot() const {
    return {picture(),
            form->Image5->picture(),
            form->Image1->displaySize(),
            form->state.pictureWidth,
            form->state.pictureHeight,
            form->state.runState,
            buttonsEnabled(),
            form->SpeedButton1->isChecked(),
            form->SpeedButton4->isChecked(),
            form->Panel12->isVisible(),
            form->Panel12->ListBox1->count(),
            form->state.candidateColors,
            form->cursor().shape()};
  }
};

}  // namespace huesift::test
