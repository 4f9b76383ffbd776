// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's shell: Reset, Quit, Help, the options that exclude each other, clicks
// queued behind a capture and the application's error report.
#include <QMouseEvent>
#include <stdexcept>

#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

class ShellTest : public MainWindowTest {};

TEST_F(ShellTest, ResetWithdrawsUndoAndLeavesThePicturesAlone) {
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
  EXPECT_TRUE(IsRetainedColour(window->state, kBlack));
  EXPECT_FALSE(IsRetainedColour(window->state, 0x123456));
  EXPECT_EQ(picture(), processed);
  EXPECT_EQ(undoCopy(), original);
}

TEST_F(ShellTest, ProcessColourOpensOnTheLastConfirmedColour) {
  fake.colourAnswer = 0x00FF00;
  window->processColourAction->trigger();
  fake.colourAnswer.reset();  // cancelled
  window->processColourAction->trigger();
  EXPECT_EQ(fake.colourRequests, (std::vector<Colour>{kBlack, 0x00FF00}));
  EXPECT_EQ(window->state.processColor, 0x00FF00);
}

TEST_F(ShellTest, AddColourAndFillAreNeverDownTogether) {
  givePicture(Picture(4, 4));
  click(window->addColourButton);
  click(window->fillButton);
  EXPECT_FALSE(window->addColourButton->isChecked());
  EXPECT_TRUE(window->fillButton->isChecked());
  click(window->fillButton);
  EXPECT_FALSE(window->fillButton->isChecked());
  EXPECT_FALSE(window->addColourButton->isChecked());
}

TEST_F(ShellTest, HelpClosesTheColourBoxAndShowsTheHelpWindowModally) {
  window->colourBox->show();
  window->state.candidateColors[0] = 0x123456;
  bool okFocused = false;
  fake.onModal = [&](QDialog* d) {
    okFocused = d->focusWidget() == help().okButton;
    click(help().okButton);
    EXPECT_FALSE(d->isVisible());
  };
  click(window->helpButton);
  ASSERT_EQ(fake.modals, std::vector<QDialog*>{&help()});
  EXPECT_TRUE(okFocused);
  EXPECT_FALSE(window->colourBox->isVisible());
  EXPECT_EQ(window->state.candidateColors[0], kNoColour);
}

TEST_F(ShellTest, QuitClosesTheWindowAndSaysSo) {
  int closed = 0;
  QObject::connect(window.get(), &MainWindow::closed, [&] { ++closed; });
  click(window->quitButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed, 1);
}

TEST_F(ShellTest, ClicksQueuedBeforeACaptureOpenNothingInsideIt) {
  givePicture(Picture(8, 8, kBlack));
  int opened = 0;
  fake.onModal = [&](QDialog* dialog) {
    if (++opened > 1 || dialog != overlay) return;
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
  EXPECT_EQ(fake.modals, std::vector<QDialog*>{overlay});  // no help window inside
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_EQ(picture(), Picture(8, 8, kBlack));  // neither paste nor Process ran
  EXPECT_TRUE(window->isVisible());
  // Afterwards the buttons act again.
  click(window->helpButton);
  EXPECT_EQ(fake.modals.size(), 2u);
}

TEST_F(ShellTest, ErrorsEndTheirHandlerWithOneMessageAndNeverLeaveIt) {
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

TEST_F(ShellTest, ErrorInAHandlerIsShownOnceAndTheProgramGoesOn) {
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
