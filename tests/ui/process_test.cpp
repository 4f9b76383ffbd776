// SPDX-License-Identifier: GPL-3.0-or-later
// Process, Stop, the gauge and the busy gate, driven through the toolbar.
#include <stdexcept>

#include "app/gauge.h"
#include "colours/retained_color_list.h"
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
  bool convertToColor;
  bool reverse;
  bool convertWhite;
  bool whiteRetained;
  std::array<Colour, 4> expected;  // for black, white, orange, near-black
};

void PrintTo(const RulesCase& c, std::ostream* os) {
  *os << c.name;
}

class ProcessRules : public MainWindowTest, public ::testing::WithParamInterface<RulesCase> {};

TEST_P(ProcessRules, ProcessButtonAppliesThePassRule) {
  const RulesCase& c = GetParam();
  Picture input(4, 1);
  const std::array<Colour, 4> colours = {kBlack, kWhite, kOrange, kNearBlack};
  for (int x = 0; x < 4; ++x) input.setPixel(x, 0, colours[x]);
  givePicture(input);

  fake.colourAnswer = kBlue;
  form->ProcessColor1->trigger();
  if (c.convertToColor) form->ConverttoColor1->trigger();
  if (c.convertWhite) form->Convertwhitetocolor1->trigger();
  if (c.reverse) click(form->SpeedButton12);
  if (c.whiteRetained) form->ComboBox1->appendColour(kWhite);
  ASSERT_EQ(form->SpeedButton12->isChecked(), c.reverse);
  ASSERT_EQ(form->ConverttoColor1->isChecked(), c.convertToColor);

  click(form->SpeedButton5);

  for (int x = 0; x < 4; ++x) EXPECT_EQ(picture().pixel(x, 0), c.expected[x]) << "pixel " << x;
  EXPECT_FALSE(form->Convertwhitetocolor1->isChecked());
  EXPECT_EQ(form->ConverttoColor1->isChecked(), c.convertToColor);
  EXPECT_TRUE(form->SpeedButton11->isEnabled());
  EXPECT_FALSE(form->SpeedButton10->isEnabled());
  EXPECT_TRUE(form->ComboBox1->isEnabled());
  EXPECT_EQ(form->state.runState, 0);
  EXPECT_EQ(fake.sleeps, std::vector<int>{500});
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

TEST_F(MainWindowTest, ConvertWhiteToColorLastsOneRun) {
  Picture input(3, 1);
  input.setPixel(0, 0, kBlack);
  input.setPixel(2, 0, kOrange);
  givePicture(input);
  fake.colourAnswer = kBlue;
  form->ProcessColor1->trigger();
  form->Convertwhitetocolor1->trigger();

  click(form->SpeedButton5);
  EXPECT_EQ(picture().pixel(1, 0), kBlue);
  EXPECT_EQ(picture().pixel(2, 0), kOrange);

  click(form->SpeedButton5);  // a plain strip pass now: blue and orange are not retained
  EXPECT_EQ(picture().pixel(0, 0), kBlack);
  EXPECT_EQ(picture().pixel(1, 0), kWhite);
  EXPECT_EQ(picture().pixel(2, 0), kWhite);
}

TEST_F(MainWindowTest, StopAtSecondPumpLeavesFiftyRowsAndUndoRestoresAll) {
  const Picture original = Filled(7, 120, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    click(form->SpeedButton10);
    EXPECT_TRUE(form->SpeedButton10->isChecked());
    EXPECT_TRUE(form->ComboBox1->isEnabled());
  };
  click(form->SpeedButton5);

  for (int y = 0; y < 120; ++y) {
    EXPECT_EQ(picture().pixel(6, y), y < 50 ? kWhite : kOrange) << "row " << y;
  }
  EXPECT_EQ(fake.pumps, 3);  // rows 0 and 50, then the finish
  EXPECT_FALSE(form->SpeedButton10->isChecked());
  EXPECT_FALSE(form->SpeedButton10->isEnabled());
  EXPECT_EQ(form->Gauge1->percent(), 0);
  EXPECT_EQ(form->state.stopRequested, 0);

  ASSERT_TRUE(form->SpeedButton11->isEnabled());
  click(form->SpeedButton11);
  EXPECT_EQ(picture(), original);
  EXPECT_FALSE(form->SpeedButton11->isEnabled());
}

QColor GaugePixel(Gauge* gauge, int x) {
  return gauge->grab().toImage().pixelColor(x, gauge->height() / 2);
}

TEST_F(MainWindowTest, GaugeRunsToHeightMinusOneAndShowsTheFinalPercentInThePause) {
  givePicture(Filled(3, 60, kOrange));
  int maxAtSleep = -1, percentAtSleep = -1;
  QColor rightEdgeAtSleep;
  fake.onSleep = [&] {
    maxAtSleep = form->Gauge1->maxValue();
    percentAtSleep = form->Gauge1->percent();
    rightEdgeAtSleep = GaugePixel(form->Gauge1, form->Gauge1->width() - 3);
  };
  click(form->SpeedButton5);

  EXPECT_EQ(fake.pumps, 3);  // before rows 0 and 50, then the finish
  EXPECT_EQ(maxAtSleep, 59);
  EXPECT_EQ(percentAtSleep, 100);
  EXPECT_EQ(rightEdgeAtSleep, QColor(0, 0, 255));
  EXPECT_EQ(form->Gauge1->percent(), 0);
  EXPECT_EQ(GaugePixel(form->Gauge1, 3), QColor(Qt::white));
}

TEST_F(MainWindowTest, OneRowPictureKeepsTheGaugeAtZero) {
  givePicture(Filled(5, 1, kOrange));
  std::vector<int> seen;
  fake.onPump = [&](int) { seen.push_back(form->Gauge1->percent()); };
  fake.onSleep = [&] {
    EXPECT_EQ(form->Gauge1->maxValue(), 0);
    seen.push_back(form->Gauge1->percent());
  };
  click(form->SpeedButton5);
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(picture(), Filled(5, 1, kWhite));
}

TEST_F(MainWindowTest, ProcessClickDuringARunStartsNoSecondRun) {
  const Picture original = Filled(4, 120, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n == 2) click(form->SpeedButton5);
  };
  click(form->SpeedButton5);
  EXPECT_EQ(fake.pumps, 4);  // rows 0, 50, 100 and the finish of one run
  EXPECT_EQ(fake.sleeps.size(), 1u);
  EXPECT_EQ(form->Image5->picture(), original);  // no copy of the half-done picture
  EXPECT_EQ(picture(), Filled(4, 120, kWhite));
}

TEST_F(MainWindowTest, ClicksHandledWithStopWaitUntilTheRunHasReturned) {
  const Picture original = Filled(7, 160, kOrange);
  givePicture(original);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    // Stop, then in the same batch a second Process and a band: the run is still on the
    // stack although runState already says idle.
    click(form->SpeedButton10);
    click(form->SpeedButton5);
    QTest::mousePress(form->Image1, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(form->Image1, Qt::LeftButton, {}, QPoint(5, 5));
    click(form->SpeedButton9);  // Reset
  };
  form->ComboBox1->appendColour(kBlue);
  click(form->SpeedButton5);

  for (int y = 0; y < 160; ++y) {
    ASSERT_EQ(picture().pixel(6, y), y < 50 ? kWhite : kOrange) << "row " << y;
  }
  EXPECT_EQ(fake.sleeps.size(), 1u);             // one run, and it stopped
  EXPECT_EQ(form->Image5->picture(), original);  // the undo copy is the run's
  EXPECT_EQ(form->ComboBox1->count(), 2);        // Reset was refused
  click(form->SpeedButton11);
  EXPECT_EQ(picture(), original);
  // Once the run has returned, the same clicks act again.
  click(form->SpeedButton9);
  EXPECT_EQ(form->ComboBox1->count(), 1);
}

TEST_F(MainWindowTest, EveryGatedButtonIsInertDuringARun) {
  givePicture(Filled(4, 120, kOrange));
  form->ComboBox1->appendColour(kBlue);
  fake.onPump = [&](int n) {
    if (n != 2) return;
    form->SpeedButton11->setEnabled(true);  // nothing enables it in a run; let the click in
    for (QToolButton* b : {form->SpeedButton2, form->SpeedButton1, form->SpeedButton11,
                           form->SpeedButton4, form->SpeedButton12, form->SpeedButton3,
                           form->SpeedButton9, form->SpeedButton6, form->SpeedButton7}) {
      click(b);
      EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    }
  };
  click(form->SpeedButton5);

  EXPECT_EQ(picture(), Filled(4, 120, kWhite));  // Undo did not bring back rows 0 to 49
  EXPECT_EQ(form->ComboBox1->count(), 2);        // Reset did not run
  EXPECT_TRUE(fake.modals.empty());              // neither Help nor the capture overlay
  EXPECT_TRUE(fake.printed.empty());
  EXPECT_EQ(fake.sleeps, std::vector<int>{500});  // no capture pause
  EXPECT_TRUE(form->isVisible());                 // Quit did not close
  EXPECT_TRUE(fake.cursorRequests.isEmpty());     // Add Color and Fill loaded no tool
}

TEST_F(MainWindowTest, OptionsMenuOpensAtItsPlaceAndActsDuringARun) {
  givePicture(Filled(2, 120, kBlack));
  fake.colourAnswer = kBlue;
  form->ProcessColor1->trigger();
  click(form->SpeedButton5);
  ASSERT_FALSE(form->PopupMenu3->isVisible());  // the left button only processes
  fake.pumps = 0;

  fake.onPump = [&](int n) {
    if (n != 2) return;
    QTest::mousePress(form->SpeedButton5, Qt::RightButton);
    ASSERT_TRUE(form->PopupMenu3->isVisible());
    EXPECT_EQ(form->PopupMenu3->pos(), QPoint(kWorkArea.x() + 49 - 35, kWorkArea.y() + 2 + 41));
    const QRect item = form->PopupMenu3->actionGeometry(form->ConverttoColor1);
    QTest::mouseMove(form->PopupMenu3, item.center());
    QTest::mouseClick(form->PopupMenu3, Qt::LeftButton, {}, item.center());
  };
  click(form->SpeedButton5);

  EXPECT_TRUE(form->ConverttoColor1->isChecked());
  EXPECT_FALSE(form->PopupMenu3->isVisible());
  EXPECT_EQ(picture().pixel(1, 49), kBlack);  // rows before the change keep black
  EXPECT_EQ(picture().pixel(1, 50), kBlue);   // rows after it follow "Convert to Color"
}

TEST_F(MainWindowTest, PictureWithoutRowsLeavesTheToolbarIdle) {
  givePicture(Filled(10, 3, kOrange));
  form->Image1->setDisplaySize(10, 0);
  click(form->SpeedButton5);
  EXPECT_FALSE(form->SpeedButton10->isEnabled());
  EXPECT_TRUE(form->ComboBox1->isEnabled());
  EXPECT_FALSE(form->SpeedButton11->isEnabled());
  EXPECT_EQ(form->state.runState, 0);
  EXPECT_EQ(form->Image5->picture(), Filled(10, 3, kOrange));
  EXPECT_EQ(fake.pumps, 0);
}

TEST_F(MainWindowTest, AnErrorInsideARunIsReportedAndLeavesTheWindowUsable) {
  const Picture original = Filled(7, 120, kOrange);
  givePicture(original);
  fake.onPump = [](int n) {
    if (n == 2) throw std::runtime_error("Out of memory");
  };
  click(form->SpeedButton5);
  fake.onPump = nullptr;

  EXPECT_EQ(fake.messages, QStringList{"Out of memory"});
  EXPECT_EQ(form->state.runState, 0);
  EXPECT_FALSE(form->SpeedButton10->isEnabled());
  EXPECT_TRUE(form->ComboBox1->isEnabled());
  ASSERT_TRUE(form->SpeedButton11->isEnabled());
  click(form->SpeedButton11);
  EXPECT_EQ(picture(), original);
  click(form->SpeedButton5);  // and the next run goes through
  EXPECT_EQ(picture().pixel(0, 119), kWhite);
}

}  // namespace
}  // namespace huesift::test
