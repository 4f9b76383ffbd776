#include "io/capture.h"

#include <QAbstractButton>

#include "io/buttons.h"

namespace huesift {

void Capture::click() {
  ReleaseButton(parts_.addColor);
  ReleaseButton(parts_.fill);
  parts_.undoButton->setEnabled(false);
  if (parts_.dismissColourBox) parts_.dismissColourBox();
  parts_.mainWindow->setCursor(Qt::ArrowCursor);

  // Escape or a close command on the overlay brings back the picture the window had.
  PictureControl* picture = parts_.picture;
  const Picture previous = picture->picture();
  const QSize previousSize = picture->size();
  const int previousWidth = state_.pictureWidth;
  const int previousHeight = state_.pictureHeight;
  const int previousRunState = state_.runState;

  picture->clear();
  picture->resize(state_.workAreaWidth - 6, state_.workAreaHeight - 56);
  overlay_.beginCapture();
  services_.execModal(&overlay_);

  if (!overlay_.captureTaken()) {
    overlay_.reject();  // makes sure the main window is back whatever ended the showing
    if (previous.empty()) {
      picture->clear();
    } else {
      picture->setPicture(previous);
    }
    picture->resize(previousSize);
    state_.pictureWidth = previousWidth;
    state_.pictureHeight = previousHeight;
    state_.runState = previousRunState;
    return;
  }

  state_.pictureWidth = picture->width();
  state_.pictureHeight = picture->height();
  parts_.undo->clear();
  parts_.undo->resize(state_.pictureWidth, state_.pictureHeight);
  state_.runState = 0;
  parts_.reverse->setEnabled(true);
}

}  // namespace huesift
