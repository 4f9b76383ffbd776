// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <functional>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"

class QAbstractButton;

namespace huesift {

// "Paste": the clipboard's picture becomes the working picture.
class Paste {
 public:
  struct Parts {
    QWidget* mainWindow = nullptr;
    PictureControl* picture = nullptr;  // picture
    QAbstractButton* addColor = nullptr;
    QAbstractButton* print = nullptr;
    QAbstractButton* fill = nullptr;
    QAbstractButton* process = nullptr;
    QAbstractButton* undoButton = nullptr;
    QAbstractButton* reverse = nullptr;
    std::function<void()> dismissColourBox;
  };

  Paste(WorkingState& state, Services& services, Parts parts)
      : state_(state), services_(services), parts_(std::move(parts)) {}

  // Only a picture that decoded completely replaces the working picture. Throws
  // std::runtime_error when the clipboard cannot be read or its picture cannot be decoded
  // completely; the program is then exactly as before.
  void click();

  // Makes a picture that was decoded completely the working picture, leaving exactly the
  // state a paste leaves. Every new picture but a capture comes in through here (the
  // clipboard, a file).
  void take(Picture loaded);

 private:
  void clearForNewPicture();
  void record(int width, int height);

  WorkingState& state_;
  Services& services_;
  Parts parts_;
};

// The area Copy puts on the clipboard and Save writes: the recorded size, with the picture's
// pixels where it has them and white where the recorded area reaches past its raster.
Picture RecordedArea(const WorkingState& state, const Picture& picture);

// "Copy": the recorded area of the working picture goes to the clipboard; outside the raster
// it is white.
class Copy {
 public:
  Copy(const WorkingState& state, Services& services, const PictureControl& picture,
       PictureControl& scratch)
      : state_(state), services_(services), picture_(picture), scratch_(scratch) {}

  void click();

 private:
  const WorkingState& state_;
  Services& services_;
  const PictureControl& picture_;
  PictureControl& scratch_;  // copyScratch
};

}  // namespace huesift
