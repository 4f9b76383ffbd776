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

// One Process run inside the click that starts it: undo copy, one pass over the picture with
// the event pump every 50 rows, then the finish that returns the toolbar to idle. Handlers
// that the pump runs meanwhile (Stop, the options menu) reach the run only through the
// working state and the controls it reads.
class ProcessController {
 public:
  // What a Process run reads and changes.
  struct Parts {
    WorkingState& state;
    Services& services;
    WindowStates& transitions;
    PictureControl* picture = nullptr;
    PictureControl* undoPicture = nullptr;
    QToolButton* reverseButton = nullptr;
    RetainedColourList* retainedList = nullptr;
    Gauge* gauge = nullptr;
    QAction* convertToColourAction = nullptr;
    QAction* convertWhiteAction = nullptr;
  };

  explicit ProcessController(Parts parts) : p_(parts) {}

  void run();
  void stop();
  // True from the start of run() until it returns. Stop ends the run as far as runState
  // tells, but the run is still on the stack until its current pump returns.
  bool running() const { return onStack_; }

 private:
  void finish();
  // The gauge at 0, the one-run tick cleared, runState Idle, and the window idle again.
  void becomeIdle();
  void runPass(ProcessPass pass, int height);

  Parts p_;
  bool onStack_ = false;
  int shownRows_ = 0;  // rows of the current pass painted since they were walked
};

}  // namespace huesift
