// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: each key acts exactly when its button or menu item would, refused while
// Process runs or a paste waits for the clipboard but for Escape, which stops the run or
// abandons the paste; Tab walks the toolbar and the menu key
// opens a button's menu.
#include <QContextMenuEvent>
#include <functional>

#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

constexpr Colour kOrange = 0x0080FF;

// The window must be the active one for its keys, as on a desktop.
void Press(MainWindow& window, QKeyCombination key) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, key.key(), key.keyboardModifiers());
}

class KeyboardTest : public MainWindowTest {};

struct KeyCase {
  const char* name;
  QKeyCombination key;
  std::function<void(KeyboardTest&)> arrange;  // the key's control can act
  std::function<bool(KeyboardTest&)> acted;
  std::function<void(KeyboardTest&)> disable;  // nullptr: the control is never disabled
};

const KeyCase kKeys[] = {
    {"CtrlZUndoes", Qt::CTRL | Qt::Key_Z,
     [](KeyboardTest& t) {
       t.givePicture(Picture(5, 4, kOrange));
       t.window->undoPicture->setPicture(Picture(5, 4, kWhite));
       t.window->undoButton->setEnabled(true);
     },
     [](KeyboardTest& t) { return t.picture() == Picture(5, 4, kWhite); },
     [](KeyboardTest& t) { t.window->undoButton->setEnabled(false); }},
    {"CtrlPPrints", Qt::CTRL | Qt::Key_P,
     [](KeyboardTest& t) { t.givePicture(Picture(5, 4, kOrange)); },
     [](KeyboardTest& t) { return !t.fake.printed.empty(); },
     [](KeyboardTest& t) { t.window->printButton->setEnabled(false); }},
    {"CtrlCCopies", Qt::CTRL | Qt::Key_C,
     [](KeyboardTest& t) {
       t.givePicture(Picture(5, 4, kOrange));
       t.window->state.pictureWidth = 5;
       t.window->state.pictureHeight = 4;
     },
     [](KeyboardTest& t) {
       return t.fake.clipboard && t.fake.clipboard->size() == QSize(5, 4) &&
              t.fake.clipboard->pixelColor(4, 3) == QColor(0xFF, 0x80, 0);
     },
     // Without a picture the picture's menu does not open; the key must not empty the
     // clipboard either.
     [](KeyboardTest& t) { t.window->state.runState = RunState::NoPicture; }},
    {"CtrlVPastes", Qt::CTRL | Qt::Key_V,
     [](KeyboardTest& t) {
       QImage image(7, 3, QImage::Format_RGB32);
       image.fill(QColor(0xFF, 0x80, 0));
       t.fake.clipboard = image;
     },
     [](KeyboardTest& t) { return t.picture() == Picture(7, 3, kOrange); }, nullptr},
    // The file dialogs, answered by cancelling; what matters is that the key asked.
    {"CtrlOOpens", Qt::CTRL | Qt::Key_O, [](KeyboardTest&) {},
     [](KeyboardTest& t) { return t.fake.openRequests.size() == 1; }, nullptr},
    {"CtrlSSaves", Qt::CTRL | Qt::Key_S,
     [](KeyboardTest& t) { t.givePicture(Picture(5, 4, kOrange)); },
     [](KeyboardTest& t) { return t.fake.saveRequests.size() == 1; },
     [](KeyboardTest& t) { t.window->state.runState = RunState::NoPicture; }},
    {"CtrlShiftSSaves", Qt::CTRL | Qt::SHIFT | Qt::Key_S,
     [](KeyboardTest& t) { t.givePicture(Picture(5, 4, kOrange)); },
     [](KeyboardTest& t) { return t.fake.saveRequests.size() == 1; },
     [](KeyboardTest& t) { t.window->state.runState = RunState::NoPicture; }},
    {"F1OpensHelp", Qt::Key_F1, [](KeyboardTest&) {},
     [](KeyboardTest& t) { return t.fake.modals == std::vector<QDialog*>{&t.help()}; }, nullptr},
    {"CtrlQQuits", Qt::CTRL | Qt::Key_Q, [](KeyboardTest&) {},
     [](KeyboardTest& t) { return !t.window->isVisible(); }, nullptr},
    // Stop is enabled only during a run (below); at rest the key finds it disabled.
    {"EscapeStops", Qt::Key_Escape, [](KeyboardTest& t) { t.givePicture(Picture(5, 4, kOrange)); },
     [](KeyboardTest& t) {
       return t.window->stopButton->isChecked() || t.window->state.stopRequested;
     },
     [](KeyboardTest& t) { t.window->stopButton->setEnabled(false); }},
};

struct KeyParam {
  const KeyCase* c;
  bool enabled;
};
void PrintTo(const KeyParam& p, std::ostream* os) {
  *os << p.c->name << (p.enabled ? "" : "WhenDisabled");
}

class Keys : public KeyboardTest, public ::testing::WithParamInterface<KeyParam> {};

TEST_P(Keys, ActExactlyWhenTheirControlIsEnabled) {
  const KeyCase& c = *GetParam().c;
  c.arrange(*this);
  if (!GetParam().enabled) c.disable(*this);
  ASSERT_FALSE(c.acted(*this));
  Press(*window, c.key);
  EXPECT_EQ(c.acted(*this), GetParam().enabled);
}

std::vector<KeyParam> KeyParams() {
  std::vector<KeyParam> params;
  for (const KeyCase& c : kKeys) {
    if (std::string(c.name) != "EscapeStops") params.push_back({&c, true});
    if (c.disable) params.push_back({&c, false});
  }
  return params;
}

INSTANTIATE_TEST_SUITE_P(, Keys, ::testing::ValuesIn(KeyParams()), [](const auto& info) {
  return std::string(info.param.c->name) + (info.param.enabled ? "" : "WhenDisabled");
});

TEST_F(KeyboardTest, DuringARunEscapeStopsItAndEveryOtherKeyIsRefused) {
  const Picture original(4, 120, kOrange);
  givePicture(original);
  window->state.pictureWidth = 4;
  window->state.pictureHeight = 120;
  fake.onPump = [&](int n) {
    if (n != 2) return;
    window->undoButton->setEnabled(true);  // nothing enables it in a run; let the key in
    for (QKeyCombination key :
         {Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_P, Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_O,
          Qt::CTRL | Qt::Key_S, QKeyCombination(Qt::Key_F1), Qt::CTRL | Qt::Key_Q}) {
      Press(*window, key);
    }
    Press(*window, Qt::Key_Escape);
  };
  QTest::mouseClick(window->processButton, Qt::LeftButton);

  for (int y = 0; y < 120; ++y) {  // stopped after rows 0 to 49, and not undone
    ASSERT_EQ(picture().pixel(3, y), y < 50 ? kWhite : kOrange) << "row " << y;
  }
  EXPECT_EQ(fake.pumps, 3);
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_FALSE(fake.clipboard);
  EXPECT_TRUE(fake.modals.empty());
  EXPECT_TRUE(fake.openRequests.empty());
  EXPECT_TRUE(fake.saveRequests.empty());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(KeyboardTest, DuringAPasteEscapeAbandonsItAndEveryOtherKeyIsRefused) {
  const Picture original(5, 4, kOrange);
  givePicture(original);
  QImage waiting(7, 3, QImage::Format_RGB32);
  waiting.fill(Qt::white);
  fake.clipboard = waiting;
  bool stopUsable = false;
  fake.whileReading = [&](const ClipboardWait& wait) {
    wait.underWay();
    stopUsable = window->stopButton->isEnabled();
    for (QKeyCombination key :
         {Qt::CTRL | Qt::Key_V, Qt::CTRL | Qt::Key_P, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_S,
          QKeyCombination(Qt::Key_F1), Qt::CTRL | Qt::Key_Q}) {
      Press(*window, key);
    }
    Press(*window, Qt::Key_Escape);
  };
  Press(*window, Qt::CTRL | Qt::Key_V);

  EXPECT_TRUE(stopUsable);
  EXPECT_EQ(fake.clipboardReads, 1);  // the second Ctrl+V read nothing
  EXPECT_EQ(fake.abandonedReads, 1);
  EXPECT_EQ(picture(), original);
  EXPECT_FALSE(window->stopButton->isEnabled());
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_TRUE(fake.modals.empty());
  EXPECT_TRUE(fake.openRequests.empty());
  EXPECT_TRUE(fake.saveRequests.empty());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(KeyboardTest, TabWalksTheToolbarLeftToRightAndTheMenuKeyOpensTheButtonsMenu) {
  givePicture(Picture(5, 4, kOrange));
  for (QToolButton* b : {window->stopButton, window->undoButton}) b->setEnabled(true);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->captureButton->setFocus(Qt::TabFocusReason);
  const std::vector<QWidget*> expected = {
      window->captureButton, window->processButton, window->stopButton,    window->addColourButton,
      window->undoButton,    window->fillButton,    window->reverseButton, window->printButton,
      window->retainedList,  window->resetButton,   window->quitButton,    window->helpButton};
  std::vector<QWidget*> seen = {QApplication::focusWidget()};
  while (seen.size() < expected.size()) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(seen, expected);

  // What the window system makes of the menu key: a keyboard context menu event for the
  // widget with the focus.
  window->processButton->setFocus(Qt::TabFocusReason);
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(17, 11),
                            window->processButton->mapToGlobal(QPoint(17, 11)));
  QApplication::sendEvent(QApplication::focusWidget(), &menuKey);
  ASSERT_TRUE(window->processMenu->isVisible());
  EXPECT_EQ(window->processMenu->pos(), QPoint(kWorkArea.x() + 49 - 35, kWorkArea.y() + 2 + 41));
  window->processMenu->close();
}

}  // namespace
}  // namespace huesift::test
