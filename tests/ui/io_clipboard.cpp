// Paste and Copy on the real windows: the state a paste leaves, its refusals and failures.
#include "io/clipboard_transfer.h"
#include "tests/ui/main_window_fixture.h"

namespace huesift::test {
namespace {

// A clipboard that announces a picture of a given size and cannot deliver it.
class AnnouncingServices : public FakeServices {
 public:
  QSize announced;
  int reads = 0;
  std::optional<QSize> clipboardImageSize() override { return announced; }
  std::optional<QImage> clipboardImage() override {
    ++reads;
    return QImage();
  }
};

class ClipboardTest : public MainWindowTest {
 protected:
  // Paste as the user chooses it: right press on "Capture", then the menu's only item.
  void paste() {
    QTest::mousePress(form->SpeedButton2, Qt::RightButton);
    QTest::mouseRelease(form->SpeedButton2, Qt::RightButton);
    ASSERT_TRUE(form->PopupMenu4->isVisible());
    QTest::keyClick(form->PopupMenu4, Qt::Key_Down);
    QTest::keyClick(form->PopupMenu4, Qt::Key_Return);
  }

  std::vector<bool> buttonsEnabled() const {
    return {form->SpeedButton12->isEnabled(), form->SpeedButton1->isEnabled(),
            form->SpeedButton3->isEnabled(),  form->SpeedButton4->isEnabled(),
            form->SpeedButton5->isEnabled(),  form->SpeedButton11->isEnabled()};
  }
  const std::vector<bool> kAfterPaste{true, true, true, true, true, false};

  // A picture and tool state that a paste must replace (or, when refused, keep).
  void setUpEarlierPicture() {
    givePicture(Picture(20, 10, 0x00FF00));
    form->state.pictureWidth = 20;
    form->state.pictureHeight = 10;
    form->SpeedButton1->setChecked(true);
    form->SpeedButton11->setEnabled(true);
    form->Image5->setPicture(Picture(20, 10, 0x0000FF));
  }
};

TEST_F(ClipboardTest, PasteTakesEveryPixelOpaqueAndSetsTheState) {
  setUpEarlierPicture();
  // Larger than the main window, not 32-bit, with a half-transparent pixel.
  QImage image(1500, 900, QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgba(x & 255, y & 255, (x + y) & 255, 255));
  image.setPixel(7, 3, qRgba(10, 20, 30, 128));
  fake.clipboard = image.convertToFormat(QImage::Format_ARGB32);

  paste();
  EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
  ASSERT_EQ(QSize(picture().width(), picture().height()), QSize(1500, 900));
  EXPECT_EQ(form->Image1->displaySize(), QSize(1500, 900));
  EXPECT_EQ(form->state.pictureWidth, 1500);
  EXPECT_EQ(form->state.pictureHeight, 900);
  for (int y = 0; y < 900; y += 7) {
    for (int x = 0; x < 1500; x += 3) {
      if (x != 7 || y != 3) {
        ASSERT_EQ(picture().pixel(x, y), (x & 255) | ((y & 255) << 8) | (((x + y) & 255) << 16));
      }
    }
  }
  EXPECT_EQ(picture().pixel(7, 3), 10 | (20 << 8) | (30 << 16));
  EXPECT_EQ(picture().row(3)[7] >> 24, 0xFFu);

  EXPECT_EQ(form->state.runState, 0);
  EXPECT_EQ(buttonsEnabled(), kAfterPaste);
  EXPECT_FALSE(form->SpeedButton1->isChecked());
  EXPECT_FALSE(form->Panel12->isVisible());
  EXPECT_EQ(form->Image5->picture(), Picture(20, 10, 0x0000FF));  // the undo copy stays

  // Copy gives the same picture back.
  fake.clipboard.reset();
  form->Paste1Click();
  ASSERT_TRUE(fake.clipboard.has_value());
  EXPECT_EQ(fake.clipboard->size(), QSize(1500, 900));
  EXPECT_EQ(fake.clipboard->pixel(100, 200), qRgb(100, 200, 300 & 255));
  EXPECT_EQ(fake.clipboard->pixel(7, 3), qRgb(10, 20, 30));
}

TEST_F(ClipboardTest, PasteWithoutPictureOrWhileProcessRunsChangesNothing) {
  setUpEarlierPicture();
  paste();  // the clipboard holds no picture
  EXPECT_EQ(picture(), Picture(20, 10, 0x00FF00));
  EXPECT_TRUE(form->SpeedButton1->isChecked());
  EXPECT_TRUE(form->SpeedButton11->isEnabled());
  EXPECT_TRUE(fake.messages.isEmpty());

  fake.clipboard = QImage(5, 5, QImage::Format_RGB32);
  form->state.runState = 1;
  form->Paste2Click();
  EXPECT_EQ(picture(), Picture(20, 10, 0x00FF00));
  EXPECT_EQ(form->state.runState, 1);
  EXPECT_EQ(form->state.pictureWidth, 20);
}

TEST_F(ClipboardTest, ClipboardThatCannotBeOpenedIsReportedAfterTheOldPictureWent) {
  setUpEarlierPicture();
  fake.clipboardFails = true;
  paste();
  EXPECT_EQ(fake.messages, QStringList{"Cannot open clipboard"});
  EXPECT_FALSE(form->Image1->hasRaster());
  EXPECT_EQ(form->state.runState, 0);
  EXPECT_EQ(buttonsEnabled(), kAfterPaste);
  EXPECT_EQ(form->state.pictureWidth, 0);
}

TEST(ClipboardUnsupported, AnnouncedPictureThatCannotBeReadIsReported) {
  AnnouncingServices services;
  services.announced = QSize(40, 30);
  TForm1 form(services);
  form.state.runState = 2;
  EXPECT_THROW(
      {
        try {
          form.Paste2Click();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Unsupported clipboard format");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(services.reads, 1);
  EXPECT_FALSE(form.Image1->hasRaster());
  EXPECT_EQ(form.state.runState, 0);
  EXPECT_EQ(form.state.pictureWidth, 0);
  EXPECT_EQ(form.Image1->displaySize(), QSize(0, 0));
  EXPECT_TRUE(form.SpeedButton5->isEnabled());
}

TEST(ClipboardHuge, RefusedBeforeAnythingIsClearedWithItsSize) {
  for (QSize size : {QSize(16385, 10), QSize(10, 20000), QSize(9000, 8000)}) {
    AnnouncingServices services;
    services.announced = size;
    TForm1 form(services);
    form.Image1->setPicture(Picture(4, 4, kBlack));
    form.state.runState = 0;
    form.Paste2Click();
    EXPECT_EQ(services.reads, 0) << size.width();
    EXPECT_EQ(services.messages,
              QStringList{QString("The clipboard picture is %1 x %2 pixels, too large to paste.")
                              .arg(size.width())
                              .arg(size.height())});
    EXPECT_EQ(form.Image1->picture(), Picture(4, 4, kBlack));
  }
  // The limits themselves: 16384 on a side, 256 MiB as 32-bit pixels.
  EXPECT_FALSE(TooLargeToPaste(QSize(16384, 4096)));
  EXPECT_TRUE(TooLargeToPaste(QSize(16384, 4097)));
  EXPECT_FALSE(TooLargeToPaste(QSize(8192, 8192)));
  EXPECT_TRUE(TooLargeToPaste(QSize(8192, 8193)));
}

}  // namespace
}  // namespace huesift::test
