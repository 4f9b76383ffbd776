// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

#include "engine/working_state.h"
#include "io/capture_overlay.h"
#include "platform/picture_control.h"
#include "platform/services.h"

class QAbstractButton;

namespace huesift {

// The "Capture" button: hides the main window, lets the user drag a rectangle over a still
// of the screen on the overlay and makes it the working picture.
class Capture {
 public:
  struct Parts {
    QWidget* mainWindow = nullptr;
    PictureControl* picture = nullptr;  // picture
    PictureControl* undoPicture = nullptr;
    QAbstractButton* capture = nullptr;
    QAbstractButton* addColor = nullptr;
    QAbstractButton* fill = nullptr;
    QAbstractButton* undoButton = nullptr;
    QAbstractButton* reverse = nullptr;
    std::function<void()> dismissColourBox;
  };

  Capture(WorkingState& state, Services& services, CaptureOverlay& overlay, Parts parts)
      : state_(state), services_(services), overlay_(overlay), parts_(std::move(parts)) {}

  // Click on "Capture"; returns when the overlay has closed.
  void click();

 private:
  WorkingState& state_;
  Services& services_;
  CaptureOverlay& overlay_;
  Parts parts_;
};

}  // namespace huesift
