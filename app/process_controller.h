// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QToolButton>
#include <functional>

#include "colours/retained_color_list.h"
#include "engine/process.h"
#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

class Gauge;

// The controls a Process run reads and sets.
struct ProcessControls {
  QWidget* window;
  PictureControl* picture;  // picture
  PictureControl* undoPicture;
  QToolButton* process;
  QToolButton* stop;
  QToolButton* undoButton;
  QToolButton* addColor;
  QToolButton* fill;
  QToolButton* reverse;
  RetainedColorList* retainedList;
  Gauge* gauge;
  QAction* convertToColor;
  QAction* convertWhite;
};

// One Process run inside the click that starts it: undo copy, one pass over the picture with
// the event pump every 50 rows, then the finish that returns the toolbar to idle. Handlers
// that the pump runs meanwhile (Stop, the options menu) reach the run only through the
// working state and the controls.
class ProcessController {
 public:
  ProcessController(WorkingState& state, Services& services, const ProcessControls& controls,
                    std::function<void()> dismissColourBox);

  void run();
  void stop();
  // True from the start of run() until it returns. Stop ends the run as far as runState
  // tells, but the run is still on the stack until its current pump returns.
  bool running() const { return onStack_; }

 private:
  void finish();
  // Stop up and disabled, Undo and the list enabled, the gauge at 0, runState 0.
  void becomeIdle();
  void runPass(ProcessPass pass, int height);

  WorkingState& state_;
  Services& services_;
  ProcessControls c_;
  std::function<void()> dismissColourBox_;
  bool onStack_ = false;
};

}  // namespace huesift
