// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QListWidget>
#include <QTest>
#include <vector>

#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "colours/swatch.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {

// The main window with a picture present, driven on its picture and its colour lists.
class ToolsTest : public MainWindowTest {
 public:
  ToolsTest() { fake.cursorRequests.clear(); }

  void press(Qt::MouseButton button, int x, int y) {
    QTest::mousePress(window->picture, button, {}, QPoint(x, y));
  }
  void release(Qt::MouseButton button, int x, int y) {
    QTest::mouseRelease(window->picture, button, {}, QPoint(x, y));
  }
  void clickPicture(Qt::MouseButton button, int x, int y) {
    press(button, x, y);
    release(button, x, y);
  }
  // A move with the given buttons held; sent directly because the pointer's own moves are
  // not tracked by the offscreen platform.
  void moveTo(int x, int y, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), window->picture->mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(window->picture, &move);
  }

  void addColourDown() {
    click(window->addColourButton);
    ASSERT_TRUE(window->addColourButton->isChecked());
  }
  void sampleAt(int x, int y) { clickPicture(Qt::LeftButton, x, y); }

  std::vector<Colour> retained() const {
    std::vector<Colour> out;
    for (int i = 0; i < window->retainedList->count(); ++i)
      out.push_back(window->retainedList->colourAt(i));
    return out;
  }
  std::vector<Colour> candidates() const {
    std::vector<Colour> out;
    for (int i = 0; i < candidateList()->count(); ++i) out.push_back(candidateList()->colourAt(i));
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
    RetainedColourList* list = window->retainedList;
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
  }
  void chooseCandidate(int row) {
    QListWidget* list = candidateList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
};

}  // namespace huesift::test
