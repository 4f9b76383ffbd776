// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/capture.h"

#include <QAbstractButton>
#include <QCursor>
#include <optional>

namespace huesift {

void Capture::click() {
  // A capture that ends without a picture (Escape, a close command, a screen that cannot be
  // read) leaves everything as it was: the picture, its sizes, the tools and runState.
  WorkingState& state = p_.state;
  PictureControl* picture = p_.picture;
  QWidget* window = p_.mainWindow;
  const Picture previous = picture->picture();
  const QSize previousSize = picture->displaySize();
  const int previousWidth = state.pictureWidth;
  const int previousHeight = state.pictureHeight;
  const int previousRunState = state.runState;
  const bool addColourDown = p_.addColourButton->isChecked();
  const bool fillDown = p_.fillButton->isChecked();
  const bool undoOffered = p_.undoButton->isEnabled();
  const std::optional<QCursor> toolCursor =
      window->testAttribute(Qt::WA_SetCursor) ? std::optional(window->cursor()) : std::nullopt;

  p_.states.pictureComing();
  picture->clear();
  // The raster a capture fills has the work area's size less the window's chrome, counted in
  // screen pixels as the picture is.
  picture->setDisplaySize(state.workAreaWidth - 6, state.workAreaHeight - 56);
  p_.overlay.beginCapture();
  p_.services.execModal(&p_.overlay);

  if (!p_.overlay.captureTaken()) {
    p_.overlay.reject();  // makes sure the main window is back whatever ended the showing
    if (previous.empty()) {
      picture->clear();
    } else {
      picture->setPicture(previous);
    }
    picture->setDisplaySize(previousSize);
    state.pictureWidth = previousWidth;
    state.pictureHeight = previousHeight;
    state.runState = previousRunState;
    p_.addColourButton->setChecked(addColourDown);
    p_.fillButton->setChecked(fillDown);
    if (undoOffered) p_.states.undoOffered();
    if (toolCursor) window->setCursor(*toolCursor);
    if (!p_.overlay.failure().isEmpty()) p_.services.showMessage(window, p_.overlay.failure());
    return;
  }

  p_.states.pictureArrived(picture->displayHeight() > 0);
  state.pictureWidth = picture->displayWidth();
  state.pictureHeight = picture->displayHeight();
  p_.undoPicture->clear();
  p_.undoPicture->setDisplaySize(state.pictureWidth, state.pictureHeight);
  state.runState = 0;
}

}  // namespace huesift
