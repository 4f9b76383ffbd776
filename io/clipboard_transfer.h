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
  // decode writes a new picture into the picture it is given and says whether it succeeded;
  // only then does that picture become the working picture (as take). It is given the
  // raster the last new picture displaced: fresh memory for a 4K picture cost more time
  // being faulted in page by page than decoding spent in it outside the PNG codec.
  template <typename Decode>
  void takeDecoded(Decode&& decode) {
    if (decode(spare_)) take(std::exchange(spare_, Picture()));
  }

 private:
  Parts p_;
  Picture spare_;  // the raster the last new picture displaced, its pixels unspecified
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
