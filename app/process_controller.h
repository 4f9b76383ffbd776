// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QToolButton>

#include "colours/retained_colour_list.h"
#include "engine/process.h"
#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

namespace huesift {

class Gauge;

// What a Process run reads and changes.
struct ProcessControls {
  WorkingState& state;
  Services& services;
  WindowStates& states;
  PictureControl* picture = nullptr;
  PictureControl* undoPicture = nullptr;
  QToolButton* reverseButton = nullptr;
  RetainedColourList* retainedList = nullptr;
  Gauge* gauge = nullptr;
  QAction* convertToColourAction = nullptr;
  QAction* convertWhiteAction = nullptr;
};

// One Process run inside the click that starts it: undo copy, one pass over the picture with
// the event pump every 50 rows, then the finish that returns the toolbar to idle. Handlers
// that the pump runs meanwhile (Stop, the options menu) reach the run only through the
// working state and the controls.
class ProcessController {
 public:
  explicit ProcessController(ProcessControls controls) : c_(controls) {}

  void run();
  void stop();
  // True from the start of run() until it returns. Stop ends the run as far as runState
  // tells, but the run is still on the stack until its current pump returns.
  bool running() const { return onStack_; }

 private:
  void finish();
  // The gauge at 0, the one-run tick cleared, runState 0, and the window idle again.
  void becomeIdle();
  void runPass(ProcessPass pass, int height);

  ProcessControls c_;
  bool onStack_ = false;
  int shownRows_ = 0;  // rows of the current pass painted since they were walked
};

}  // namespace huesift
