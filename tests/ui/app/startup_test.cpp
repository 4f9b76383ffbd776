// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as it starts: its toolbar, colours and enabled states, and its one fit to the
// work area.
#include "app/gauge.h"
#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

class StartupTest : public MainWindowTest {};

TEST_F(StartupTest, StartsWithOnlyCaptureListResetQuitAndHelpEnabled) {
  struct Expect {
    QWidget* control;
    int x;
    const char* name;     // what a screen reader says
    const char* toolTip;  // the hint, with the button's key
    bool enabled;
  };
  const Expect toolbar[] = {
      {window->captureButton, 12, "Capture", "Capture", true},
      {window->processButton, 49, "Process", "Process", false},
      {window->stopButton, 86, "Stop", "", false},
      {window->addColourButton, 123, "Add Color", "Add Color", false},
      {window->undoButton, 160, "Undo", "Undo (Ctrl+Z)", false},
      {window->fillButton, 197, "Fill", "Fill", false},
      {window->reverseButton, 234, "Reverse Process", "Reverse Process", false},
      {window->printButton, 271, "Print", "Print (Ctrl+P)", false},
      {window->retainedList, 317, "Retained Colors", "Retained Colors", true},
      {window->resetButton, 466, "Reset", "Reset", true},
      {window->quitButton, 719, "Quit", "Quit (Ctrl+Q)", true},
      {window->helpButton, 756, "Help", "Help (F1)", true},
  };
  for (const Expect& e : toolbar) {
    SCOPED_TRACE(e.control->objectName().toStdString());
    EXPECT_EQ(e.control->pos(), QPoint(e.x, 2));
    EXPECT_EQ(e.control->toolTip(), QString(e.toolTip));
    EXPECT_EQ(e.control->accessibleName(), QString(e.name));
    EXPECT_EQ(e.control->isEnabled(), e.enabled);
    if (auto* b = qobject_cast<QToolButton*>(e.control)) {
      EXPECT_FALSE(b->isChecked());
    }
  }
  EXPECT_EQ(window->state.runState, RunState::NoPicture);
  EXPECT_EQ(window->retainedList->count(), 1);
  EXPECT_EQ(window->retainedList->itemText(0), "0");
  EXPECT_EQ(window->gauge->percent(), 0);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->blankPicture->picture(), Picture(794, 518, kWhite));
  EXPECT_EQ(window->windowTitle(), "Huesift");
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(StartupTest, ToolbarAndStripsShowTheToolbarColour) {
  const QImage shot = window->grab().toImage();
  const QColor gold(204, 153, 0);
  EXPECT_EQ(shot.pixelColor(47, 12), gold);                   // spacer between two buttons
  EXPECT_EQ(shot.pixelColor(window->width() - 5, 12), gold);  // toolbar past its last item
  EXPECT_EQ(shot.pixelColor(400, 27), gold);                  // strip under the toolbar
  EXPECT_NE(shot.pixelColor(400, 40), gold);                  // the picture area below
}

TEST_F(StartupTest, FitsTheWorkAreaOnceAndNeverAgain) {
  EXPECT_EQ(window->frameGeometry(), kWorkArea);
  EXPECT_EQ(window->state.workAreaWidth, 900);
  EXPECT_EQ(window->state.workAreaHeight, 650);
  for (PictureControl* p : {window->picture, window->blankPicture, window->undoPicture}) {
    EXPECT_EQ(p->size(), QSize(900, 650)) << p->objectName().toStdString();
  }
  EXPECT_EQ(window->blankPicture->picture().width(), 794);  // sizing the control kept the picture
  EXPECT_EQ(window->toolbarBottomLine->width(), 900);
  EXPECT_EQ(window->toolbarTopLine->width(), 900);
  // Centred: 161 wide, or wider where its title row needs more in the fonts at hand.
  EXPECT_GE(window->colourBox->width(), 161);
  EXPECT_EQ(window->colourBox->pos(), QPoint(900 / 2 - window->colourBox->width() / 2, 40 + 30));
  EXPECT_EQ(window->toolbar->width(), window->width());

  const QRect moved(100, 90, 500, 400);
  window->setGeometry(moved);
  fake.workAreaRect = QRect(0, 0, 640, 480);
  click(window->helpButton);  // the help window comes and goes
  ASSERT_EQ(fake.modals.size(), 1u);
  window->hide();
  window->show();
  EXPECT_EQ(window->geometry(), moved);
  EXPECT_EQ(window->state.workAreaWidth, 900);
}

}  // namespace
}  // namespace huesift::test
