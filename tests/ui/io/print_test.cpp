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
    fake.window = &window;
    window.show();
    Picture raster(100, 50, kBlack);
    raster.setPixel(99, 49, 0x336699);
    window.picture->setPicture(raster);
    window.picture->setDisplaySize(60, 40);  // printing takes the raster, not the displayed part
    window.state.runState = RunState::Idle;
    window.printButton->setEnabled(true);
  }
  ~PrintTest() override { qobject_cast<HuesiftApplication*>(qApp)->setErrorServices(nullptr); }

  void print() { QTest::mouseClick(window.printButton, Qt::LeftButton); }
  void tick() {
    QTest::mousePress(window.printButton, Qt::RightButton);
    QTest::mouseRelease(window.printButton, Qt::RightButton);
    ASSERT_TRUE(window.printMenu->isVisible());
    EXPECT_EQ(window.printMenu->pos(),
              window.frameGeometry().topLeft() + window.printButton->pos() + QPoint(-15, 41));
    QTest::keyClick(window.printMenu, Qt::Key_Down);
    QTest::keyClick(window.printMenu, Qt::Key_Return);
  }
  std::vector<double> scales() const {
    std::vector<double> s;
    for (const auto& job : fake.printed) s.push_back(job.second);
    return s;
  }

  CursorWatchingServices fake;
  MainWindow window{fake};
};

TEST_F(PrintTest, WholeRasterAtTheScaleOfTheTick) {
  print();
  tick();
  EXPECT_TRUE(window.smallPrintAction->isChecked());
  print();
  tick();
  tick();
  print();
  EXPECT_EQ(scales(), (std::vector<double>{4.33, 3.33, 3.33}));
  ASSERT_EQ(fake.printed[0].first.size(), QSize(100, 50));
  EXPECT_EQ(fake.printed[0].first.pixel(99, 49), qRgb(0x99, 0x66, 0x33));
  EXPECT_EQ(fake.cursorsWhilePrinting, std::vector<Qt::CursorShape>(3, Qt::WaitCursor));
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(fake.messages.isEmpty());

  // Rounded down: 50 x 4.33 = 216.5.
  EXPECT_EQ(PrintRectangle(QSize(100, 50), 4.33), QRect(0, 0, 433, 216));
  EXPECT_EQ(PrintRectangle(QSize(100, 50), 3.33), QRect(0, 0, 333, 166));
}

TEST_F(PrintTest, NoPrinterIsReportedWithTheCursorBack) {
  window.addColourButton->setEnabled(true);
  window.addColourButton->setChecked(true);
  fake.noPrinter = true;
  print();
  EXPECT_EQ(fake.messages, QStringList{"There is no default printer currently selected"});
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(window.addColourButton->isChecked());
  EXPECT_EQ(window.picture->picture().width(), 100);  // the picture stays
}

TEST_F(PrintTest, RefusedWhileProcessRuns) {
  window.state.runState = RunState::Running;
  window.onPrintClicked();
  EXPECT_TRUE(fake.printed.empty());
}

}  // namespace
}  // namespace huesift::test
