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
      {form->SpeedButton2, 12, "Capture", "Capture", true},
      {form->SpeedButton5, 49, "Process", "Process", false},
      {form->SpeedButton10, 86, "Stop", "", false},
      {form->SpeedButton1, 123, "Add Color", "Add Color", false},
      {form->SpeedButton11, 160, "Undo", "Undo (Ctrl+Z)", false},
      {form->SpeedButton4, 197, "Fill", "Fill", false},
      {form->SpeedButton12, 234, "Reverse Process", "Reverse Process", false},
      {form->SpeedButton3, 271, "Print", "Print (Ctrl+P)", false},
      {form->ComboBox1, 317, "Retained Colors", "Retained Colors", true},
      {form->SpeedButton9, 466, "Reset", "Reset", true},
      {form->SpeedButton6, 719, "Quit", "Quit (Ctrl+Q)", true},
      {form->SpeedButton7, 756, "Help", "Help (F1)", true},
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
  EXPECT_EQ(form->state.runState, 2);
  EXPECT_EQ(form->ComboBox1->count(), 1);
  EXPECT_EQ(form->ComboBox1->itemText(0), "0");
  EXPECT_EQ(form->Gauge1->percent(), 0);
  EXPECT_FALSE(form->Panel12->isVisible());
  EXPECT_EQ(form->Image3->picture(), Picture(794, 518, kWhite));
  EXPECT_EQ(form->windowTitle(), "Huesift");
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(MainWindowTest, ToolbarAndStripsShowTheToolbarColour) {
  const QImage shot = form->grab().toImage();
  const QColor gold(204, 153, 0);
  EXPECT_EQ(shot.pixelColor(47, 12), gold);                 // spacer between two buttons
  EXPECT_EQ(shot.pixelColor(form->width() - 5, 12), gold);  // toolbar past its last item
  EXPECT_EQ(shot.pixelColor(400, 27), gold);                // strip under the toolbar
  EXPECT_NE(shot.pixelColor(400, 40), gold);                // the picture area below
}

TEST_F(MainWindowTest, FitsTheWorkAreaOnceAndNeverAgain) {
  EXPECT_EQ(form->frameGeometry(), kWorkArea);
  EXPECT_EQ(form->state.workAreaWidth, 900);
  EXPECT_EQ(form->state.workAreaHeight, 650);
  for (PictureControl* p : {form->Image1, form->Image3, form->Image5}) {
    EXPECT_EQ(p->size(), QSize(900, 650)) << p->objectName().toStdString();
  }
  EXPECT_EQ(form->Image3->picture().width(), 794);  // sizing the control kept the picture
  EXPECT_EQ(form->Panel2->width(), 900);
  EXPECT_EQ(form->Panel7->width(), 900);
  EXPECT_EQ(form->Panel12->pos(), QPoint(900 / 2 - 161 / 2, 40 + 30));
  EXPECT_EQ(form->ToolBar1->width(), form->width());

  const QRect moved(100, 90, 500, 400);
  form->setGeometry(moved);
  fake.workAreaRect = QRect(0, 0, 640, 480);
  click(form->SpeedButton7);  // the help window comes and goes
  ASSERT_EQ(fake.modals.size(), 1u);
  form->hide();
  form->show();
  EXPECT_EQ(form->geometry(), moved);
  EXPECT_EQ(form->state.workAreaWidth, 900);
}

TEST_F(MainWindowTest, ResetWithdrawsUndoAndLeavesThePicturesAlone) {
  const Picture original(6, 3, 0x0080FF);
  givePicture(original);
  click(form->SpeedButton5);
  const Picture processed(6, 3, kWhite);
  ASSERT_EQ(picture(), processed);
  ASSERT_TRUE(form->SpeedButton11->isEnabled());

  form->ComboBox1->appendColour(0x123456);
  form->ComboBox1->appendColour(0x654321);
  click(form->SpeedButton9);
  EXPECT_FALSE(form->SpeedButton11->isEnabled());
  ASSERT_EQ(form->ComboBox1->count(), 1);
  EXPECT_EQ(form->ComboBox1->itemText(0), "0");
  EXPECT_TRUE(IsRetainedColor(form->state, kBlack));
  EXPECT_FALSE(IsRetainedColor(form->state, 0x123456));
  EXPECT_EQ(picture(), processed);
  EXPECT_EQ(form->Image5->picture(), original);
}

TEST_F(MainWindowTest, ProcessColorOpensOnTheLastConfirmedColour) {
  fake.colourAnswer = 0x00FF00;
  form->ProcessColor1->trigger();
  fake.colourAnswer.reset();  // cancelled
  form->ProcessColor1->trigger();
  EXPECT_EQ(fake.colourRequests, (std::vector<Colour>{kBlack, 0x00FF00}));
  EXPECT_EQ(form->state.processColor, 0x00FF00);
}

TEST_F(MainWindowTest, AddColorAndFillAreNeverDownTogether) {
  givePicture(Picture(4, 4));
  click(form->SpeedButton1);
  click(form->SpeedButton4);
  EXPECT_FALSE(form->SpeedButton1->isChecked());
  EXPECT_TRUE(form->SpeedButton4->isChecked());
  click(form->SpeedButton4);
  EXPECT_FALSE(form->SpeedButton4->isChecked());
  EXPECT_FALSE(form->SpeedButton1->isChecked());
}

TEST_F(MainWindowTest, HelpClosesTheColourBoxAndShowsTheHelpWindowModally) {
  form->Panel12->show();
  form->state.candidateColors[0] = 0x123456;
  bool okFocused = false;
  fake.onModal = [&](QDialog* d) {
    okFocused = d->focusWidget() == help.Button1;
    click(help.Button1);
    EXPECT_FALSE(d->isVisible());
  };
  click(form->SpeedButton7);
  ASSERT_EQ(fake.modals, std::vector<QDialog*>{&help});
  EXPECT_TRUE(okFocused);
  EXPECT_FALSE(form->Panel12->isVisible());
  EXPECT_EQ(form->state.candidateColors[0], kNoColour);
}

TEST_F(MainWindowTest, QuitClosesTheWindowAndSaysSo) {
  int closed = 0;
  QObject::connect(form.get(), &TForm1::closed, [&] { ++closed; });
  click(form->SpeedButton6);
  EXPECT_FALSE(form->isVisible());
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
    ASSERT_FALSE(form->isVisible());
    for (QToolButton* b : {form->SpeedButton7, form->SpeedButton3, form->SpeedButton2,
                           form->SpeedButton5, form->SpeedButton6}) {
      b->click();
    }
    QTest::mousePress(form->SpeedButton2, Qt::RightButton);
    EXPECT_FALSE(form->PopupMenu4->isVisible());
    form->Paste2Click();
    overlay->reject();
  };
  fake.clipboard = QImage(3, 3, QImage::Format_RGB32);
  click(form->SpeedButton2);
  EXPECT_EQ(fake.modals, std::vector<QDialog*>{overlay.get()});  // no help window inside
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_EQ(picture(), Picture(8, 8, kBlack));  // neither paste nor Process ran
  EXPECT_TRUE(form->isVisible());
  // Afterwards the buttons act again.
  click(form->SpeedButton7);
  EXPECT_EQ(fake.modals.size(), 2u);
}

TEST_F(MainWindowTest, ErrorsEndTheirHandlerWithOneMessageAndNeverLeaveIt) {
  givePicture(Picture(4, 4, 0x0080FF));
  fake.clipboardFails = true;
  fake.noPrinter = true;
  EXPECT_NO_THROW(form->Paste2->trigger());
  EXPECT_NO_THROW(form->Paste1->trigger());
  EXPECT_NO_THROW(form->SpeedButton3->click());
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
  click(form->SpeedButton5);  // the event loop still serves the main window
  EXPECT_EQ(picture(), Picture(3, 3, kWhite));
  click(&failing);
  EXPECT_EQ(fake.messages.size(), 2);
}

}  // namespace
}  // namespace huesift::test
