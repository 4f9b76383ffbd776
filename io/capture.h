// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "engine/working_state.h"
#include "io/capture_overlay.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

class QAbstractButton;

namespace huesift {

// The "Capture" button: hides the main window, lets the user drag a rectangle over a still
// of the screen on the overlay and makes it the working picture.
class Capture {
 public:
  struct Parts {
    WorkingState& state;
    Services& services;
    WindowStates& states;
    CaptureOverlay& overlay;
    QWidget* mainWindow = nullptr;
    PictureControl* picture = nullptr;
    PictureControl* undoPicture = nullptr;
    // Put back as they were when the capture ends without a picture.
    QAbstractButton* addColourButton = nullptr;
    QAbstractButton* fillButton = nullptr;
    QAbstractButton* undoButton = nullptr;
  };

  explicit Capture(Parts parts) : p_(parts) {}

  // Click on "Capture"; returns when the overlay has closed.
  void click();

 private:
  Parts p_;
};

}  // namespace huesift
