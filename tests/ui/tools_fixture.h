// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QListWidget>
#include <QTest>
#include <vector>

#include "colours/colour_box.h"
#include "colours/retained_color_list.h"
#include "colours/swatch.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {

// The main window with a picture present, driven on its picture and its colour lists.
class ToolsTest : public MainWindowTest {
 public:
  ToolsTest() { fake.cursorRequests.clear(); }

  void press(Qt::MouseButton button, int x, int y) {
    QTest::mousePress(form->Image1, button, {}, QPoint(x, y));
  }
  void release(Qt::MouseButton button, int x, int y) {
    QTest::mouseRelease(form->Image1, button, {}, QPoint(x, y));
  }
  void clickPicture(Qt::MouseButton button, int x, int y) {
    press(button, x, y);
    release(button, x, y);
  }
  // A move with the given buttons held; sent directly because the pointer's own moves are
  // not tracked by the offscreen platform.
  void moveTo(int x, int y, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), form->Image1->mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(form->Image1, &move);
  }

  void addColorDown() {
    click(form->SpeedButton1);
    ASSERT_TRUE(form->SpeedButton1->isChecked());
  }
  void sampleAt(int x, int y) { clickPicture(Qt::LeftButton, x, y); }

  std::vector<Colour> retained() const {
    std::vector<Colour> out;
    for (int i = 0; i < form->ComboBox1->count(); ++i) out.push_back(form->ComboBox1->colourAt(i));
    return out;
  }
  std::vector<Colour> candidates() const {
    std::vector<Colour> out;
    for (int i = 0; i < form->Panel12->ListBox1->count(); ++i)
      out.push_back(form->Panel12->ListBox1->colourAt(i));
    return out;
  }
  // The table as it should mirror a list: its colours in order, empty slots after them.
  static ColourTable Mirror(const std::vector<Colour>& colours) {
    ColourTable t;
    t.fill(kNoColour);
    std::copy(colours.begin(), colours.end(), t.begin());
    return t;
  }

  // Picks entry index of the dropped "Retained Colors" list with the pointer.
  void chooseRetained(int index) {
    RetainedColorList* list = form->ComboBox1;
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
  }
  void chooseCandidate(int row) {
    QListWidget* list = form->Panel12->ListBox1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
};

}  // namespace huesift::test
