#include "io/clipboard_transfer.h"

#include <QAbstractButton>
#include <stdexcept>

#include "io/buttons.h"
#include "io/image_convert.h"

namespace huesift {

bool TooLargeToPaste(QSize size) {
  constexpr qint64 kMaxSide = 16384;
  constexpr qint64 kMaxRasterBytes = qint64{256} * 1024 * 1024;
  const qint64 w = size.width();
  const qint64 h = size.height();
  return w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxRasterBytes;
}

void Paste::clearForNewPicture() {
  ReleaseButton(parts_.addColor);
  ReleaseButton(parts_.fill);
  parts_.undo->setEnabled(false);
  if (parts_.dismissColourBox) parts_.dismissColourBox();
  parts_.mainWindow->setCursor(Qt::ArrowCursor);
  parts_.picture->clear();
  state_.runState = 0;
  for (QAbstractButton* b :
       {parts_.reverse, parts_.addColor, parts_.print, parts_.fill, parts_.process})
    b->setEnabled(true);
  // Until a picture has been read, the recorded size matches the (absent) raster.
  record(0, 0);
}

void Paste::record(int width, int height) {
  parts_.picture->setDisplaySize(width, height);
  state_.pictureWidth = width;
  state_.pictureHeight = height;
}

void Paste::click() {
  // A new picture under a running Process would pull the raster from under it.
  if (state_.runState == 1) return;

  std::optional<QSize> size;
  try {
    size = services_.clipboardImageSize();
  } catch (...) {
    clearForNewPicture();
    throw;
  }
  if (!size) return;
  if (size->isValid() && TooLargeToPaste(*size)) {
    services_.showMessage(parts_.mainWindow,
                          QString("The clipboard picture is %1 x %2 pixels, too large to paste.")
                              .arg(size->width())
                              .arg(size->height()));
    return;
  }

  clearForNewPicture();
  if (size->isValid()) record(size->width(), size->height());

  // The clipboard is read a second time for the pixels; another program may have replaced
  // its content in between, so the size recorded is the size of what was loaded.
  const std::optional<QImage> image = services_.clipboardImage();
  if (!image || image->isNull() || TooLargeToPaste(image->size())) {
    record(0, 0);
    throw std::runtime_error("Unsupported clipboard format");
  }
  Picture loaded = PictureFromImage(*image);
  record(loaded.width(), loaded.height());
  parts_.picture->setPicture(std::move(loaded));
}

void Copy::click() {
  scratch_.clear();
  scratch_.setDisplaySize(state_.pictureWidth, state_.pictureHeight);
  Picture& raster = scratch_.canvas();
  raster.copyRect(picture_.picture(), 0, 0, state_.pictureWidth, state_.pictureHeight, 0, 0);
  services_.setClipboardImage(ImageFromPicture(raster));
}

}  // namespace huesift
