// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <utility>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/window_states.h"

namespace huesift {

// The one way a new picture becomes the working picture, whether captured, pasted, opened or
// dropped. Whoever brings it has finished it first, so a capture, paste or file that fails
// never touches the working picture.
class PictureIntake {
 public:
  struct Parts {
    WorkingState& state;
    WindowStates& transitions;
    PictureControl* picture = nullptr;
  };

  explicit PictureIntake(Parts parts) : p_(parts) {}

  // The raster becomes the working picture, shown at the given size: where that size reaches
  // past the raster the picture is white, and a raster larger than it keeps its pixels
  // beyond. The tools that need rows are usable when the size has rows. name is what the
  // window's title calls it: a file's name, or a word for where it came from.
  void take(Picture raster, QSize displaySize, const QString& name);
  // decode writes a new picture into the picture it is given and says whether it succeeded;
  // only then is it taken, at its own size. It is given the raster the last new picture
  // displaced: fresh memory for a 4K picture cost more time being faulted in page by page
  // than decoding spent in it outside the PNG codec.
  template <typename Decode>
  void takeDecoded(const QString& name, Decode&& decode) {
    if (!decode(spare_)) return;
    const QSize size(spare_.width(), spare_.height());
    take(std::exchange(spare_, Picture()), size, name);
  }

 private:
  Parts p_;
  Picture spare_;  // the raster the last new picture displaced, its pixels unspecified
};

}  // namespace huesift
