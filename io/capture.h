// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "engine/working_state.h"
#include "io/capture_overlay.h"
#include "io/picture_intake.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

namespace huesift {

// The "Capture" button: hides the main window, lets the user drag a rectangle over a still
// of the screen on the overlay and makes it the working picture.
class Capture {
 public:
  struct Parts {
    const WorkingState& state;
    Services& services;
    WindowStates& transitions;
    CaptureOverlay& overlay;
    PictureIntake& intake;
    QWidget* mainWindow = nullptr;
    PictureControl* undoPicture = nullptr;
  };

  explicit Capture(Parts parts) : p_(parts) {}

  // Click on "Capture"; returns when the overlay has closed. A capture that ends without a
  // picture (Escape, a close command, a screen that cannot be read) changes nothing but the
  // colour box, which closes as the capture begins.
  void click();

 private:
  Parts p_;
};

}  // namespace huesift
