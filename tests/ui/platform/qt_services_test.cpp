// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop services behind capture, paste, copy and print, on the real Qt clipboard and
// printer support (in-process clipboard of the offscreen platform).
#include "platform/qt_services.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <stdexcept>

#include "files/picture_file_io.h"
#include "files/picture_image.h"
#include "tests/ui/fake_services.h"

namespace huesift::test {
namespace {

QImage Sample() {
  QImage image(37, 11, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 7, y * 23, x ^ y));
  return image;
}

void Offer(const QString& mime, const QByteArray& data) {
  auto* content = new QMimeData;
  content->setData(mime, data);
  QGuiApplication::clipboard()->setMimeData(content);
}

TEST(QtServicesClipboard, CopiedPictureComesBackAsPngWithItsPixels) {
  QtServices services;
  QString reason;
  services.setClipboardImage(Sample(), EncodePicture(PictureFromImage(Sample()), "png", reason));
  const QMimeData* content = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(content->hasFormat("image/png"));
  EXPECT_EQ(
      QImage::fromData(content->data("image/png"), "PNG").convertToFormat(QImage::Format_RGB32),
      Sample());
  const std::optional<EncodedImage> back = services.clipboardImageBytes();
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->mimeType, "image/png");
  EXPECT_EQ(QImage::fromData(back->bytes).convertToFormat(QImage::Format_RGB32), Sample());
}

TEST(QtServicesClipboard, PngIsPreferredThenBmpAndTextIsNoPicture) {
  QtServices services;
  auto* both = new QMimeData;
  both->setData("image/bmp", Encoded(Sample(), "BMP"));
  both->setData("image/png", Encoded(Sample(), "PNG"));
  both->setData("text/plain", "words");
  QGuiApplication::clipboard()->setMimeData(both);
  EXPECT_EQ(services.clipboardImageBytes()->mimeType, "image/png");

  Offer("image/bmp", Encoded(Sample(), "BMP"));
  const std::optional<EncodedImage> bmp = services.clipboardImageBytes();
  ASSERT_TRUE(bmp.has_value());
  EXPECT_EQ(bmp->mimeType, "image/bmp");
  EXPECT_EQ(bmp->bytes, Encoded(Sample(), "BMP"));

  Offer("text/plain", "not a picture");
  EXPECT_EQ(services.clipboardImageBytes().has_value(), false);
}

TEST(QtServicesPrinter, NoReachablePrintServerMeansNoDefaultPrinter) {
  qputenv("CUPS_SERVER", "/nonexistent/huesift-test-cups.sock");
  QtServices services;
  try {
    services.printImage(Sample(), 4.33);
    ADD_FAILURE() << "printed without a printer";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "There is no default printer currently selected");
  }
}

TEST(QtServicesPriority, RaisedAsFarAsAllowedAndRestored) {
  QtServices services;
  const int before = getpriority(PRIO_PROCESS, 0);
  services.raisePriority();
  const int during = getpriority(PRIO_PROCESS, 0);
  services.restorePriority();
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
  if (geteuid() == 0) {
    EXPECT_EQ(during, PRIO_MIN);
  } else {
    EXPECT_LE(during, before);
  }
}

}  // namespace
}  // namespace huesift::test
