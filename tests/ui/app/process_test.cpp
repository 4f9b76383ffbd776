// SPDX-License-Identifier: GPL-3.0-or-later
// Process, Stop, the gauge and the busy gate, driven through the toolbar.
#include <QAccessible>
#include <QLabel>
#include <QPaintEvent>
#include <QSlider>
#include <QSpinBox>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/gauge.h"
#include "app/similar_colours_dialog.h"
#include "colours/retained_colour_list.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

constexpr Colour kBlue = 0xFF0000;
constexpr Colour kOrange = 0x0080FF;
constexpr Colour kNearBlack = 0x000100;  // black but for one unit of green

Picture Filled(int width, int height, Colour c) {
  return Picture(width, height, c);
}

struct RulesCase {
  const char* name;
  bool convertToColour;
  bool reverse;
  bool convertWhite;
  bool whiteRetained;
  std::array<Colour, 4> expected;  // for black, white, orange, near-black
};

void PrintTo(const RulesCase& c, std::ostream* os) {
  *os << c.name;
}

class ProcessTest : public MainWindowTest {};

class ProcessRules : public ProcessTest, public ::testing::WithParamInterface<RulesCase> {};

TEST_P(ProcessRules, ProcessButtonAppliesThePassRule) {
  const RulesCase& c = GetParam();
  Picture input(4, 1);
  const std::array<Colour, 4> colours = {kBlack, kWhite, kOrange, kNearBlack};
  for (int x = 0; x < 4; ++x) input.setPixel(x, 0, colours[x]);
  givePicture(input);

  fake.colourAnswer = kBlue;
  window->processColourAction->trigger();
  if (c.convertToColour) window->convertToColourAction->trigger();
  if (c.convertWhite) window->convertWhiteAction->trigger();
  if (c.reverse) click(window->reverseButton);
  if (c.whiteRetained) window->retainedList->appendColour(kWhite);
  ASSERT_EQ(window->reverseButton->isChecked(), c.reverse);
  ASSERT_EQ(window->convertToColourAction->isChecked(), c.convertToColour);

  click(window->processButton);

  for (int x = 0; x < 4; ++x) EXPECT_EQ(picture().pixel(x, 0), c.expected[x]) << "pixel " << x;
  EXPECT_FALSE(window->convertWhiteAction->isChecked());
  EXPECT_EQ(window->convertToColourAction->isChecked(), c.convertToColour);
  EXPECT_TRUE(window->undoButton->isEnabled());
  EXPECT_FALSE(window->stopButton->isEnabled());
  EXPECT_TRUE(window->retainedList->isEnabled());
  EXPECT_EQ(window->state.runState, RunState::Idle);
  EXPECT_EQ(fake.sleeps, std::vector<int>{500});
}

// "Similar Colors...": the dialog counts what the list keeps as its distance moves, OK sets the
// distance for the runs that follow and names it in the menu, Cancel keeps the one before.
TEST_F(ProcessTest, SimilarColoursDialogCountsSetsAndNamesTheDistance) {
  // A ramp of shades of one colour: each step one unit further from the retained colour.
  Picture ramp(60, 4);
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 4; ++y) ramp.setPixel(x, y, (x * 2) | (x << 8) | (x * 3) << 16);
  givePicture(ramp);
  // Within d of black on every channel: blue is three steps a unit, so x <= d / 3.
  const auto keptAt = [](int d) { return (d / 3 + 1) * 4; };

  std::vector<QString> counts;
  const auto setTo = [&](int distance, bool ok) {
    fake.onModal = [&, distance, ok](QDialog* shown) {
      auto* dialog = qobject_cast<SimilarColoursDialog*>(shown);
      ASSERT_NE(dialog, nullptr);
      counts.push_back(dialog->countLabel->text());
      // What a screen reader says at each control the keyboard reaches.
      for (QWidget* control : std::initializer_list<QWidget*>{dialog->slider, dialog->spinBox})
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name),
                  "Distance");
      dialog->slider->setValue(distance);  // the spin box follows, the count a moment later
      QCoreApplication::processEvents();
      counts.push_back(dialog->countLabel->text());
      QTest::keyClick(dialog->spinBox, ok ? Qt::Key_Return : Qt::Key_Escape);
    };
    window->similarColoursAction->trigger();
  };

  EXPECT_EQ(window->similarColoursAction->text(), "Similar Colors...");
  setTo(30, true);
  EXPECT_EQ(counts, (std::vector<QString>{QString("Keeps 4 of 240 pixels"),
                                          QString("Keeps %1 of 240 pixels").arg(keptAt(30))}));
  EXPECT_EQ(window->state.similarDistance, 30);
  EXPECT_EQ(window->similarColoursAction->text(), "Similar Colors: 30...");

  counts.clear();
  setTo(3, false);
  EXPECT_EQ(counts.front(), QString("Keeps %1 of 240 pixels").arg(keptAt(30)));
  EXPECT_EQ(window->state.similarDistance, 30);

  click(window->processButton);
  for (int x = 0; x < 60; ++x)
    EXPECT_EQ(picture().pixel(x, 2), x <= 10 ? ramp.pixel(x, 2) : kWhite) << "pixel " << x;
}

const Colour W = kWhite, B = kBlue, O = kOrange, N = kNearBlack;
INSTANTIATE_TEST_SUITE_P(
    MainWindow, ProcessRules,
    ::testing::Values(RulesCase{"Strip", false, false, false, false, {kBlack, W, W, W}},
                      RulesCase{"StripConvert", true, false, false, false, {B, W, W, W}},
                      RulesCase{"Reverse", false, true, false, false, {W, W, O, N}},
                      RulesCase{"ReverseConvert", true, true, false, false, {W, W, B, B}},
                      RulesCase{
                          "WhitePassIgnoresReverse", true, true, true, false, {kBlack, B, O, N}},
                      RulesCase{"WhiteRetainedConvert", true, false, false, true, {B, B, W, W}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProcessTest, ConvertWhiteToColourLastsOneRun) {
  Picture input(3, 1);
  input.setPixel(0, 0, kBlack);
  input.setPixel(2, 0, kOrange);
  givePicture(input);
  fake.colourAnswer = kBlue;
  window->processColourAction->trigger();
  window->convertWhiteAction->trigger();

  click(window->processButton);
  EXPECT_EQ(picture().pixel(1, 0), kBlue);
  EXPECT_EQ(picture().pixel(2, 0), kOrange);

  click(window->processButton);  // a plain strip pass now: blue and orange are not retained
  EXPECT_EQ(picture().pixel(0, 0), kBlack);
  EXPECT_EQ(picture().pixel(1, 0), kWhite);
  EXPECT_EQ(picture().pixel(2, 0), kWhite);
}

TEST_F(ProcessTest, StopAtSecondPumpLeavesFiftyRowsAndUndoRestoresAll) {
  const Picture original = Filled(7, 120, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    click(window->stopButton);
    EXPECT_TRUE(window->stopButton->isChecked());
    EXPECT_TRUE(window->retainedList->isEnabled());
  };
  click(window->processButton);

  for (int y = 0; y < 120; ++y) {
    EXPECT_EQ(picture().pixel(6, y), y < 50 ? kWhite : kOrange) << "row " << y;
  }
  EXPECT_EQ(fake.pumps, 3);  // rows 0 and 50, then the finish
  EXPECT_FALSE(window->stopButton->isChecked());
  EXPECT_FALSE(window->stopButton->isEnabled());
  EXPECT_EQ(window->gauge->percent(), 0);
  EXPECT_FALSE(window->state.stopRequested);

  ASSERT_TRUE(window->undoButton->isEnabled());
  click(window->undoButton);
  EXPECT_EQ(picture(), original);
  EXPECT_FALSE(window->undoButton->isEnabled());
}

QColor GaugePixel(Gauge* gauge, int x) {
  return gauge->grab().toImage().pixelColor(x, gauge->height() / 2);
}

TEST_F(ProcessTest, GaugeRunsToHeightMinusOneAndShowsTheFinalPercentInThePause) {
  givePicture(Filled(3, 60, kOrange));
  int maxAtSleep = -1, percentAtSleep = -1;
  QColor rightEdgeAtSleep;
  fake.onSleep = [&] {
    maxAtSleep = window->gauge->maxValue();
    percentAtSleep = window->gauge->percent();
    rightEdgeAtSleep = GaugePixel(window->gauge, window->gauge->width() - 3);
  };
  click(window->processButton);

  EXPECT_EQ(fake.pumps, 3);  // before rows 0 and 50, then the finish
  EXPECT_EQ(maxAtSleep, 59);
  EXPECT_EQ(percentAtSleep, 100);
  EXPECT_EQ(rightEdgeAtSleep, QColor(0, 0, 255));
  EXPECT_EQ(window->gauge->percent(), 0);
  EXPECT_EQ(GaugePixel(window->gauge, 3), QColor(Qt::white));
}

TEST_F(ProcessTest, OneRowPictureKeepsTheGaugeAtZero) {
  givePicture(Filled(5, 1, kOrange));
  std::vector<int> seen;
  fake.onPump = [&](int) { seen.push_back(window->gauge->percent()); };
  fake.onSleep = [&] {
    EXPECT_EQ(window->gauge->maxValue(), 0);
    seen.push_back(window->gauge->percent());
  };
  click(window->processButton);
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(picture(), Filled(5, 1, kWhite));
}

TEST_F(ProcessTest, ProcessClickDuringARunStartsNoSecondRun) {
  const Picture original = Filled(4, 120, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n == 2) click(window->processButton);
  };
  click(window->processButton);
  EXPECT_EQ(fake.pumps, 4);  // rows 0, 50, 100 and the finish of one run
  EXPECT_EQ(fake.sleeps.size(), 1u);
  EXPECT_EQ(undoCopy(), original);  // no copy of the half-done picture
  EXPECT_EQ(picture(), Filled(4, 120, kWhite));
}

TEST_F(ProcessTest, ClicksHandledWithStopWaitUntilTheRunHasReturned) {
  const Picture original = Filled(7, 160, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    // Stop, then in the same batch a second Process and a band: the run is still on the
    // stack although runState already says idle.
    click(window->stopButton);
    click(window->processButton);
    QTest::mousePress(window->picture, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(window->picture, Qt::LeftButton, {}, QPoint(5, 5));
    click(window->resetButton);  // Reset
  };
  window->retainedList->appendColour(kBlue);
  click(window->processButton);

  for (int y = 0; y < 160; ++y) {
    ASSERT_EQ(picture().pixel(6, y), y < 50 ? kWhite : kOrange) << "row " << y;
  }
  EXPECT_EQ(fake.sleeps.size(), 1u);            // one run, and it stopped
  EXPECT_EQ(undoCopy(), original);              // the undo copy is the run's
  EXPECT_EQ(window->retainedList->count(), 2);  // Reset was refused
  click(window->undoButton);
  EXPECT_EQ(picture(), original);
  // Once the run has returned, the same clicks act again.
  click(window->resetButton);
  EXPECT_EQ(window->retainedList->count(), 1);
}

TEST_F(ProcessTest, EveryGatedButtonIsInertDuringARun) {
  givePicture(Filled(4, 120, kOrange));
  window->retainedList->appendColour(kBlue);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    window->undoButton->setEnabled(true);  // nothing enables it in a run; let the click in
    for (QToolButton* b : {window->captureButton, window->addColourButton, window->undoButton,
                           window->fillButton, window->reverseButton, window->printButton,
                           window->resetButton, window->quitButton, window->helpButton}) {
      click(b);
      EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    }
  };
  click(window->processButton);

  EXPECT_EQ(picture(), Filled(4, 120, kWhite));  // Undo did not bring back rows 0 to 49
  EXPECT_EQ(window->retainedList->count(), 2);   // Reset did not run
  EXPECT_TRUE(fake.modals.empty());              // neither Help nor the capture overlay
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_EQ(fake.sleeps, std::vector<int>{500});  // no capture pause
  EXPECT_TRUE(window->isVisible());               // Quit did not close
  EXPECT_TRUE(fake.cursorRequests.isEmpty());     // Add Color and Fill loaded no tool
}

TEST_F(ProcessTest, OptionsMenuOpensAtItsPlaceAndActsDuringARun) {
  givePicture(Filled(2, 120, kBlack));
  fake.colourAnswer = kBlue;
  window->processColourAction->trigger();
  click(window->processButton);
  ASSERT_FALSE(window->processMenu->isVisible());  // the left button only processes
  fake.pumps = 0;

  fake.onPump = [&](int n) {
    if (n != 2) return;
    QTest::mousePress(window->processButton, Qt::RightButton);
    ASSERT_TRUE(window->processMenu->isVisible());
    EXPECT_EQ(window->processMenu->pos(), QPoint(kWorkArea.x() + 49 - 35, kWorkArea.y() + 2 + 41));
    const QRect item = window->processMenu->actionGeometry(window->convertToColourAction);
    QTest::mouseMove(window->processMenu, item.center());
    QTest::mouseClick(window->processMenu, Qt::LeftButton, {}, item.center());
  };
  click(window->processButton);

  EXPECT_TRUE(window->convertToColourAction->isChecked());
  EXPECT_FALSE(window->processMenu->isVisible());
  EXPECT_EQ(picture().pixel(1, 49), kBlack);  // rows before the change keep black
  EXPECT_EQ(picture().pixel(1, 50), kBlue);   // rows after it follow "Convert to Color"
}

TEST_F(ProcessTest, PictureWithoutRowsLeavesTheToolbarIdle) {
  givePicture(Filled(10, 3, kOrange));
  window->picture->setDisplaySize(10, 0);
  click(window->processButton);
  EXPECT_FALSE(window->stopButton->isEnabled());
  EXPECT_TRUE(window->retainedList->isEnabled());
  EXPECT_FALSE(window->undoButton->isEnabled());
  EXPECT_EQ(window->state.runState, RunState::Idle);
  EXPECT_EQ(undoCopy(), Filled(10, 3, kOrange));
  EXPECT_EQ(fake.pumps, 0);
}

TEST_F(ProcessTest, AnErrorInsideARunIsReportedAndLeavesTheWindowUsable) {
  const Picture original = Filled(7, 120, kOrange);
  givePicture(original);
  fake.onPump = [](int n) {
    if (n == 2) throw std::runtime_error("Out of memory");
  };
  click(window->processButton);
  fake.onPump = nullptr;

  EXPECT_EQ(fake.messages, QStringList{"Out of memory"});
  EXPECT_EQ(window->state.runState, RunState::Idle);
  EXPECT_FALSE(window->stopButton->isEnabled());
  EXPECT_TRUE(window->retainedList->isEnabled());
  ASSERT_TRUE(window->undoButton->isEnabled());
  click(window->undoButton);
  EXPECT_EQ(picture(), original);
  click(window->processButton);  // and the next run goes through
  EXPECT_EQ(picture().pixel(0, 119), kWhite);
}

// The paint events the picture gets, each with the pump it came in.
class PaintLog : public QObject {
 public:
  explicit PaintLog(const FakeServices& fake) : fake_(fake) {}
  std::vector<std::pair<int, QRect>> paints;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      paints.emplace_back(fake_.pumps, static_cast<QPaintEvent*>(event)->rect());
    return false;
  }

 private:
  const FakeServices& fake_;
};

// Each pump shows the rows walked since the one before, not the whole picture again: at 4K
// the whole picture 44 times over made a run wait several times as long as its walk.
TEST_F(ProcessTest, EachPumpPaintsOnlyTheRowsWalkedSinceTheOneBefore) {
  givePicture(Filled(40, 180, kOrange));
  PaintLog log(fake);
  window->picture->installEventFilter(&log);
  click(window->processButton);
  window->picture->removeEventFilter(&log);

  ASSERT_EQ(fake.pumps, 5);  // before rows 0, 50, 100 and 150, and the finish's
  int checked = 0;
  for (const auto& [pump, rect] : log.paints) {
    if (pump < 2 || pump > 4) continue;
    const QRect walked = window->picture->widgetRect(QRect(0, 50 * (pump - 2), 40, 50));
    EXPECT_TRUE(walked.contains(rect))
        << "pump " << pump << " painted rows " << rect.top() << ".." << rect.bottom();
    ++checked;
  }
  EXPECT_GE(checked, 3);
  EXPECT_EQ(picture(), Filled(40, 180, kWhite));
}

}  // namespace
}  // namespace huesift::test
