// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/clipboard_transfer.h"

#include <QAbstractButton>
#include <stdexcept>

#include "io/buttons.h"
#include "platform/image_convert.h"
#include "platform/image_decode.h"

namespace huesift {

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
}

void Paste::record(int width, int height) {
  parts_.picture->setDisplaySize(width, height);
  state_.pictureWidth = width;
  state_.pictureHeight = height;
}

void Paste::click() {
  // A new picture under a running Process would pull the raster from under it.
  if (state_.runState == 1) return;

  // Everything is read and decoded before anything changes: a paste that fails, for
  // whatever reason, leaves the picture, its size, Undo and the buttons as they were.
  const std::optional<EncodedImage> offered = services_.clipboardImageBytes();
  if (!offered) return;
  const DecodedImage decoded = DecodeImageCompletely(offered->bytes);
  if (decoded.result == DecodedImage::Result::TooLarge) {
    services_.showMessage(parts_.mainWindow,
                          QString("The clipboard picture is %1 x %2 pixels, too large to paste.")
                              .arg(decoded.size.width())
                              .arg(decoded.size.height()));
    return;
  }
  if (decoded.result != DecodedImage::Result::Complete)
    throw std::runtime_error("Unsupported clipboard format");
  take(PictureFromImage(decoded.image));
}

void Paste::take(Picture loaded) {
  clearForNewPicture();
  record(loaded.width(), loaded.height());
  parts_.picture->setPicture(std::move(loaded));
}

Picture RecordedArea(const WorkingState& state, const Picture& picture) {
  if (state.pictureWidth <= 0 || state.pictureHeight <= 0) return {};
  Picture area(state.pictureWidth, state.pictureHeight, kWhite);
  area.copyRect(picture, 0, 0, state.pictureWidth, state.pictureHeight, 0, 0);
  return area;
}

void Copy::click() {
  scratch_.clear();
  scratch_.setDisplaySize(state_.pictureWidth, state_.pictureHeight);
  scratch_.setPicture(RecordedArea(state_, picture_.picture()));
  services_.setClipboardImage(ImageFromPicture(scratch_.picture()));
}

}  // namespace huesift
