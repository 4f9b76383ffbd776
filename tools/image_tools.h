// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtCore/qnamespace.h>

#include <functional>
#include <string>

#include "colours/colour_lists.h"
#include "engine/working_state.h"
#include "platform/window_states.h"

class QAbstractButton;
class QMenu;
class QWidget;

namespace huesift {

class ColourBox;
class OutlineLayer;
class PictureControl;
class RetainedColourList;
class Services;

// Pointer actions on the working picture (sampling, fill, cursor switching, the "Copy"
// menu, band erase) and the two tool toggles with the fill-colour menu.
class ImageTools {
 public:
  // Everything the picture tools touch, handed over by the main window.
  struct Parts {
    WorkingState& state;
    Services& services;
    WindowStates& transitions;
    ColourLists& lists;         // sampling fills the colour box and may retain at once
    Colour& lastChosenColour;   // the colour chooser's memory, shared with the process colour
    QWidget* window = nullptr;  // cursor, repaint, menu positions
    PictureControl* picture = nullptr;
    PictureControl* sampleSquare = nullptr;  // the 9 x 9 pixels around a sampling click
    PictureControl* undoPicture = nullptr;
    QAbstractButton* addColourButton = nullptr;
    QAbstractButton* fillButton = nullptr;
    RetainedColourList* retainedList = nullptr;
    ColourBox* colourBox = nullptr;
    QMenu* pictureMenu = nullptr;
    OutlineLayer* bandLayer = nullptr;  // where the band's outline is drawn, over the whole window
    // True while the toolbar's busy gate is closed (a run still on the stack after Stop).
    std::function<bool()> busy;
  };

  explicit ImageTools(Parts parts);

  // Picture coordinates; the three do nothing unless a picture is present and idle.
  void mouseDown(Qt::MouseButton button, int x, int y);
  void mouseMove(Qt::MouseButtons buttons, int x, int y);
  void mouseUp();

  // Loads a tool cursor file (looked for as Services::loadCursorFile says) as the main
  // window's cursor; a failure is reported and leaves the cursor as it was.
  bool loadToolCursor(const std::string& fileName);

  // Colour sampling ("Add Color").
  void addColourClicked();
  void sampleAt(int x, int y);

  // Fill.
  void fillClicked();
  void chooseFillColour();
  void fillAt(int x, int y);

 private:
  void switchCursor(const char* first, const char* second);
  void beginBand(int x, int y);
  void toggleBandOutline();
  void takeUndoCopy();

  Parts p_;
  // A release ends a band only after the press that began it; a right press that opened the
  // "Copy" menu, for one, leaves its release to the menu.
  bool bandPressed_ = false;
};

}  // namespace huesift
