// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/capture.h"

#include <QAbstractButton>
#include <QCursor>
#include <optional>

#include "io/buttons.h"

namespace huesift {

void Capture::click() {
  // A capture that ends without a picture (Escape, a close command, a screen that cannot be
  // read) leaves everything as it was: the picture, its sizes, the tools and runState.
  PictureControl* picture = parts_.picture;
  QWidget* window = parts_.mainWindow;
  const Picture previous = picture->picture();
  const QSize previousSize = picture->displaySize();
  const int previousWidth = state_.pictureWidth;
  const int previousHeight = state_.pictureHeight;
  const int previousRunState = state_.runState;
  const bool addColorDown = parts_.addColor->isChecked();
  const bool fillDown = parts_.fill->isChecked();
  const bool undoEnabled = parts_.undoButton->isEnabled();
  const std::optional<QCursor> toolCursor =
      window->testAttribute(Qt::WA_SetCursor) ? std::optional(window->cursor()) : std::nullopt;

  ReleaseButton(parts_.addColor);
  ReleaseButton(parts_.fill);
  parts_.undoButton->setEnabled(false);
  if (parts_.dismissColourBox) parts_.dismissColourBox();
  window->setCursor(Qt::ArrowCursor);

  picture->clear();
  // The raster a capture fills has the work area's size less the window's chrome, counted in
  // screen pixels as the picture is.
  picture->setDisplaySize(state_.workAreaWidth - 6, state_.workAreaHeight - 56);
  overlay_.beginCapture();
  services_.execModal(&overlay_);

  if (!overlay_.captureTaken()) {
    overlay_.reject();  // makes sure the main window is back whatever ended the showing
    if (previous.empty()) {
      picture->clear();
    } else {
      picture->setPicture(previous);
    }
    picture->setDisplaySize(previousSize);
    state_.pictureWidth = previousWidth;
    state_.pictureHeight = previousHeight;
    state_.runState = previousRunState;
    parts_.addColor->setChecked(addColorDown);
    parts_.fill->setChecked(fillDown);
    parts_.undoButton->setEnabled(undoEnabled);
    if (toolCursor) window->setCursor(*toolCursor);
    if (!overlay_.failure().isEmpty()) services_.showMessage(window, overlay_.failure());
    return;
  }

  state_.pictureWidth = picture->displayWidth();
  state_.pictureHeight = picture->displayHeight();
  parts_.undoPicture->clear();
  parts_.undoPicture->setDisplaySize(state_.pictureWidth, state_.pictureHeight);
  state_.runState = 0;
  parts_.reverse->setEnabled(true);
}

}  // namespace huesift
