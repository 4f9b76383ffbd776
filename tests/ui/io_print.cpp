// SPDX-License-Identifier: GPL-3.0-or-later
// Print on the real windows: the scale from the "Print 1/3 Size" tick, the hourglass, and the
// report when there is no printer.
#include "platform/print_geometry.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

// Records the main window's cursor while the job is produced.
class CursorWatchingServices : public FakeServices {
 public:
  QWidget* window = nullptr;
  std::vector<Qt::CursorShape> cursorsWhilePrinting;
  void printImage(const QImage& image, double scale) override {
    cursorsWhilePrinting.push_back(window->cursor().shape());
    FakeServices::printImage(image, scale);
  }
};

class PrintTest : public ::testing::Test {
 protected:
  PrintTest() {
    qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(&fake);
    fake.window = &form;
    form.show();
    Picture raster(100, 50, kBlack);
    raster.setPixel(99, 49, 0x336699);
    form.Image1->setPicture(raster);
    form.Image1->setDisplaySize(60, 40);  // printing takes the raster, not the displayed part
    form.state.runState = 0;
    form.SpeedButton3->setEnabled(true);
  }
  ~PrintTest() override { qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(nullptr); }

  void print() { QTest::mouseClick(form.SpeedButton3, Qt::LeftButton); }
  void tick() {
    QTest::mousePress(form.SpeedButton3, Qt::RightButton);
    QTest::mouseRelease(form.SpeedButton3, Qt::RightButton);
    ASSERT_TRUE(form.PopupMenu5->isVisible());
    EXPECT_EQ(form.PopupMenu5->pos(),
              form.frameGeometry().topLeft() + form.SpeedButton3->pos() + QPoint(-15, 41));
    QTest::keyClick(form.PopupMenu5, Qt::Key_Down);
    QTest::keyClick(form.PopupMenu5, Qt::Key_Return);
  }
  std::vector<double> scales() const {
    std::vector<double> s;
    for (const auto& job : fake.printed) s.push_back(job.second);
    return s;
  }

  CursorWatchingServices fake;
  TForm1 form{fake};
};

TEST_F(PrintTest, WholeRasterAtTheScaleOfTheTick) {
  print();
  tick();
  EXPECT_TRUE(form.Print13Size1->isChecked());
  print();
  tick();
  tick();
  print();
  EXPECT_EQ(scales(), (std::vector<double>{4.33, 3.33, 3.33}));
  ASSERT_EQ(fake.printed[0].first.size(), QSize(100, 50));
  EXPECT_EQ(fake.printed[0].first.pixel(99, 49), qRgb(0x99, 0x66, 0x33));
  EXPECT_EQ(fake.cursorsWhilePrinting, std::vector<Qt::CursorShape>(3, Qt::WaitCursor));
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(fake.messages.isEmpty());

  // Rounded down: 50 x 4.33 = 216.5.
  EXPECT_EQ(PrintRectangle(QSize(100, 50), 4.33), QRect(0, 0, 433, 216));
  EXPECT_EQ(PrintRectangle(QSize(100, 50), 3.33), QRect(0, 0, 333, 166));
}

TEST_F(PrintTest, NoPrinterIsReportedWithTheCursorBack) {
  form.SpeedButton1->setEnabled(true);
  form.SpeedButton1->setChecked(true);
  fake.noPrinter = true;
  print();
  EXPECT_EQ(fake.messages, QStringList{"There is no default printer currently selected"});
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(form.SpeedButton1->isChecked());
  EXPECT_EQ(form.Image1->picture().width(), 100);  // the picture stays
}

TEST_F(PrintTest, RefusedWhileProcessRuns) {
  form.state.runState = 1;
  form.SpeedButton3Click();
  EXPECT_TRUE(fake.printed.empty());
}

}  // namespace
}  // namespace huesift::test
