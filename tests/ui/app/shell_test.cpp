// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up, its fit to the work area, Undo, Reset, Quit, Help and the
// application's error report.
#include <QMouseEvent>
#include <stdexcept>

#include "app/gauge.h"
#include "colours/colour_box.h"
#include "colours/retained_color_list.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

TEST_F(MainWindowTest, StartsWithOnlyCaptureListResetQuitAndHelpEnabled) {
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
  EXPECT_EQ(window->state.runState, 2);
  EXPECT_EQ(window->retainedList->count(), 1);
  EXPECT_EQ(window->retainedList->itemText(0), "0");
  EXPECT_EQ(window->gauge->percent(), 0);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->blankPicture->picture(), Picture(794, 518, kWhite));
  EXPECT_EQ(window->windowTitle(), "Huesift");
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(MainWindowTest, ToolbarAndStripsShowTheToolbarColour) {
  const QImage shot = window->grab().toImage();
  const QColor gold(204, 153, 0);
  EXPECT_EQ(shot.pixelColor(47, 12), gold);                   // spacer between two buttons
  EXPECT_EQ(shot.pixelColor(window->width() - 5, 12), gold);  // toolbar past its last item
  EXPECT_EQ(shot.pixelColor(400, 27), gold);                  // strip under the toolbar
  EXPECT_NE(shot.pixelColor(400, 40), gold);                  // the picture area below
}

TEST_F(MainWindowTest, FitsTheWorkAreaOnceAndNeverAgain) {
  EXPECT_EQ(window->frameGeometry(), kWorkArea);
  EXPECT_EQ(window->state.workAreaWidth, 900);
  EXPECT_EQ(window->state.workAreaHeight, 650);
  for (PictureControl* p : {window->picture, window->blankPicture, window->undoPicture}) {
    EXPECT_EQ(p->size(), QSize(900, 650)) << p->objectName().toStdString();
  }
  EXPECT_EQ(window->blankPicture->picture().width(), 794);  // sizing the control kept the picture
  EXPECT_EQ(window->toolbarBottomLine->width(), 900);
  EXPECT_EQ(window->toolbarTopLine->width(), 900);
  EXPECT_EQ(window->colourBox->pos(), QPoint(900 / 2 - 161 / 2, 40 + 30));
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

TEST_F(MainWindowTest, ResetWithdrawsUndoAndLeavesThePicturesAlone) {
  const Picture original(6, 3, 0x0080FF);
  givePicture(original);
  click(window->processButton);
  const Picture processed(6, 3, kWhite);
  ASSERT_EQ(picture(), processed);
  ASSERT_TRUE(window->undoButton->isEnabled());

  window->retainedList->appendColour(0x123456);
  window->retainedList->appendColour(0x654321);
  click(window->resetButton);
  EXPECT_FALSE(window->undoButton->isEnabled());
  ASSERT_EQ(window->retainedList->count(), 1);
  EXPECT_EQ(window->retainedList->itemText(0), "0");
  EXPECT_TRUE(IsRetainedColor(window->state, kBlack));
  EXPECT_FALSE(IsRetainedColor(window->state, 0x123456));
  EXPECT_EQ(picture(), processed);
  EXPECT_EQ(window->undoPicture->picture(), original);
}

TEST_F(MainWindowTest, ProcessColorOpensOnTheLastConfirmedColour) {
  fake.colourAnswer = 0x00FF00;
  window->processColourAction->trigger();
  fake.colourAnswer.reset();  // cancelled
  window->processColourAction->trigger();
  EXPECT_EQ(fake.colourRequests, (std::vector<Colour>{kBlack, 0x00FF00}));
  EXPECT_EQ(window->state.processColor, 0x00FF00);
}

TEST_F(MainWindowTest, AddColorAndFillAreNeverDownTogether) {
  givePicture(Picture(4, 4));
  click(window->addColourButton);
  click(window->fillButton);
  EXPECT_FALSE(window->addColourButton->isChecked());
  EXPECT_TRUE(window->fillButton->isChecked());
  click(window->fillButton);
  EXPECT_FALSE(window->fillButton->isChecked());
  EXPECT_FALSE(window->addColourButton->isChecked());
}

TEST_F(MainWindowTest, HelpClosesTheColourBoxAndShowsTheHelpWindowModally) {
  window->colourBox->show();
  window->state.candidateColors[0] = 0x123456;
  bool okFocused = false;
  fake.onModal = [&](QDialog* d) {
    okFocused = d->focusWidget() == help.okButton;
    click(help.okButton);
    EXPECT_FALSE(d->isVisible());
  };
  click(window->helpButton);
  ASSERT_EQ(fake.modals, std::vector<QDialog*>{&help});
  EXPECT_TRUE(okFocused);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->state.candidateColors[0], kNoColour);
}

TEST_F(MainWindowTest, QuitClosesTheWindowAndSaysSo) {
  int closed = 0;
  QObject::connect(window.get(), &MainWindow::closed, [&] { ++closed; });
  click(window->quitButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed, 1);
}

TEST_F(MainWindowTest, ClicksQueuedBeforeACaptureOpenNothingInsideIt) {
  givePicture(Picture(8, 8, kBlack));
  int opened = 0;
  fake.onModal = [&](QDialog* dialog) {
    if (++opened > 1 || dialog != overlay.get()) return;
    // The overlay has hidden the main window to take its still; the clicks that were
    // waiting in the queue arrive now.
    for (int i = 0; i < 20 && fake.sleeps.empty(); ++i) QCoreApplication::processEvents();
    ASSERT_FALSE(window->isVisible());
    for (QToolButton* b : {window->helpButton, window->printButton, window->captureButton,
                           window->processButton, window->quitButton}) {
      b->click();
    }
    QTest::mousePress(window->captureButton, Qt::RightButton);
    EXPECT_FALSE(window->captureMenu->isVisible());
    window->onPaste();
    overlay->reject();
  };
  fake.clipboard = QImage(3, 3, QImage::Format_RGB32);
  click(window->captureButton);
  EXPECT_EQ(fake.modals, std::vector<QDialog*>{overlay.get()});  // no help window inside
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_EQ(picture(), Picture(8, 8, kBlack));  // neither paste nor Process ran
  EXPECT_TRUE(window->isVisible());
  // Afterwards the buttons act again.
  click(window->helpButton);
  EXPECT_EQ(fake.modals.size(), 2u);
}

TEST_F(MainWindowTest, ErrorsEndTheirHandlerWithOneMessageAndNeverLeaveIt) {
  givePicture(Picture(4, 4, 0x0080FF));
  fake.clipboardFails = true;
  fake.noPrinter = true;
  EXPECT_NO_THROW(window->pasteAction->trigger());
  EXPECT_NO_THROW(window->copyAction->trigger());
  EXPECT_NO_THROW(window->printButton->click());
  EXPECT_EQ(fake.messages, (QStringList{"Cannot open clipboard", "Cannot open clipboard",
                                        "There is no default printer currently selected"}));
  EXPECT_EQ(picture(), Picture(4, 4, 0x0080FF));
}

// A control whose handler fails the way the clipboard or the printer can.
class FailingWidget : public QWidget {
 protected:
  void mousePressEvent(QMouseEvent*) override { throw std::runtime_error("Cannot open clipboard"); }
};

TEST_F(MainWindowTest, ErrorInAHandlerIsShownOnceAndTheProgramGoesOn) {
  FailingWidget failing;
  failing.resize(20, 20);
  failing.show();
  click(&failing);
  EXPECT_EQ(fake.messages, QStringList{"Cannot open clipboard"});

  givePicture(Picture(3, 3, 0x0080FF));
  click(window->processButton);  // the event loop still serves the main window
  EXPECT_EQ(picture(), Picture(3, 3, kWhite));
  click(&failing);
  EXPECT_EQ(fake.messages.size(), 2);
}

}  // namespace
}  // namespace huesift::test
