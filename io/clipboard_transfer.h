// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <utility>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

namespace huesift {

// "Paste": the clipboard's picture becomes the working picture.
class Paste {
 public:
  struct Parts {
    WorkingState& state;
    Services& services;
    WindowStates& states;
    QWidget* mainWindow = nullptr;
    PictureControl* picture = nullptr;
  };

  explicit Paste(Parts parts) : p_(parts) {}

  // Only a picture that decoded completely replaces the working picture. Throws
  // std::runtime_error when the clipboard cannot be read or its picture cannot be decoded
  // completely; the program is then exactly as before.
  void click();

  // Makes a picture that was decoded completely the working picture, leaving exactly the
  // state a paste leaves. Every new picture but a capture comes in through here (the
  // clipboard, a file).
  void take(Picture loaded);
  // The raster of the picture the last new one replaced, for the next one to be decoded
  // into; one that did not come to take() is handed back.
  Picture reusableRaster() { return std::move(reusable_); }
  void giveBack(Picture raster) { reusable_ = std::move(raster); }

 private:
  Parts p_;
  // The raster of the picture the last new one replaced: the next is decoded into its
  // memory, already allocated and touched (a 4K picture is 33 MB of fresh pages otherwise).
  Picture reusable_;
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
