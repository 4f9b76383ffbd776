// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "engine/working_state.h"
#include "io/picture_intake.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

namespace huesift {

// "Paste": the clipboard's picture becomes the working picture.
class Paste {
 public:
  struct Parts {
    const WorkingState& state;
    Services& services;
    WindowStates& transitions;
    PictureIntake& intake;
    QWidget* mainWindow = nullptr;
  };

  explicit Paste(Parts parts) : p_(parts) {}

  // Only a picture that decoded completely replaces the working picture. Throws
  // std::runtime_error when the clipboard cannot be read or its picture cannot be decoded
  // completely; the program is then exactly as before. Where the clipboard is read with the
  // window taking input, a click while a paste is under way is not taken.
  void click();
  // From click() until it returns: the clipboard is being read.
  bool underWay() const { return underWay_; }
  // Abandons the paste under way: it returns without a picture or a message.
  void abandon();

 private:
  Parts p_;
  bool underWay_ = false;
};

// The area Copy puts on the clipboard and Save writes: the recorded size, with the picture's
// pixels where it has them and white where the recorded area reaches past its raster.
Picture RecordedArea(const WorkingState& state, const Picture& picture);

// "Copy": the recorded area of the working picture goes to the clipboard; outside the raster
// it is white.
class Copy {
 public:
  struct Parts {
    const WorkingState& state;
    Services& services;
    const PictureControl* picture = nullptr;
    // Holds what went to the clipboard, sized to the recorded area.
    PictureControl* scratch = nullptr;
  };

  explicit Copy(Parts parts) : p_(parts) {}

  void click();

 private:
  Parts p_;
};

}  // namespace huesift
