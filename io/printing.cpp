#include "io/printing.h"

#include <QAbstractButton>

#include "io/buttons.h"
#include "io/image_convert.h"
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
  if (state_.runState == 1) {
    parts_.print->setDown(false);
    return;
  }
  ReleaseButton(parts_.addColor);
  ReleaseButton(parts_.fill);
  if (parts_.dismissColourBox) parts_.dismissColourBox();
  BusyCursor busy(parts_.mainWindow);
  const double scale = parts_.smallSize->isChecked() ? kSmallPrintScale : kPrintScale;
  services_.printImage(ImageFromPicture(parts_.picture->picture()), scale);
}

void Print::mouseDown(Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  const QPoint window = parts_.mainWindow->frameGeometry().topLeft();
  const QPoint at = parts_.toolBar->mapFromGlobal(parts_.print->mapToGlobal(QPoint()));
  parts_.menu->popup(QPoint(window.x() + at.x() - 15, window.y() + at.y() + 41));
}

}  // namespace huesift
