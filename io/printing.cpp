// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/printing.h"

#include <QAbstractButton>

#include "files/picture_image.h"
#include "platform/print_geometry.h"

namespace huesift {

namespace {

// The hourglass stays exactly as long as the job is being produced, also when it fails.
class BusyCursor {
 public:
  explicit BusyCursor(QWidget* window) : window_(window) { window_->setCursor(Qt::WaitCursor); }
  ~BusyCursor() { window_->setCursor(Qt::ArrowCursor); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  QWidget* window_;
};

}  // namespace

void Print::click() {
  p_.addColourButton->setChecked(false);
  p_.fillButton->setChecked(false);
  p_.transitions.dismissColourBox();
  BusyCursor busy(p_.mainWindow);
  const double scale = p_.smallPrintAction->isChecked() ? kSmallPrintScale : kPrintScale;
  p_.services.printImage(ImageFromPicture(p_.picture->picture()), scale);
}

}  // namespace huesift
