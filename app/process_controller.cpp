// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/process_controller.h"

#include <QApplication>

#include "app/gauge.h"

namespace huesift {

ProcessController::ProcessController(WorkingState& state, Services& services,
                                     const ProcessControls& controls,
                                     std::function<void()> dismissColourBox)
    : state_(state),
      services_(services),
      c_(controls),
      dismissColourBox_(std::move(dismissColourBox)) {}

void ProcessController::run() {
  onStack_ = true;
  struct Returned {
    bool& flag;
    ~Returned() { flag = false; }
  } returned{onStack_};
  c_.undoPicture->setPicture(c_.picture->picture());
  // Released directly: their click handlers would also withdraw the undo just taken.
  c_.addColor->setChecked(false);
  c_.fill->setChecked(false);
  c_.stop->setEnabled(true);
  c_.undoButton->setEnabled(false);
  dismissColourBox_();
  c_.retainedList->setEnabled(false);
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  c_.window->setCursor(Qt::ArrowCursor);

  const int height = c_.picture->displayHeight();
  if (height < 1) {
    // Nothing to walk: leave the toolbar idle rather than stuck in the running state.
    c_.stop->setEnabled(false);
    c_.retainedList->setEnabled(true);
    return;
  }
  state_.runState = 1;
  ReloadRetainedColors(state_, c_.retainedList->entries());
  c_.gauge->setMaxValue(height - 1);

  try {
    if (c_.convertWhite->isChecked()) {
      runPass(ProcessPass::White, height);
    } else {
      // The toggle is asked again after the strip pass; it cannot go down during a run, so
      // exactly one of the two passes runs.
      if (!c_.reverse->isChecked()) runPass(ProcessPass::Strip, height);
      if (c_.reverse->isChecked()) runPass(ProcessPass::Reverse, height);
    }
  } catch (...) {
    // The error is reported by whoever catches it; the window must not be left busy for
    // good, with the picture beyond reach. Undo brings back the picture the run started from.
    becomeIdle();
    throw;
  }
  finish();
}

void ProcessController::runPass(ProcessPass pass, int height) {
  ProcessHooks hooks;
  hooks.pump = [this] {
    c_.picture->changed();
    services_.pumpEvents();
  };
  hooks.stopRequested = [this] { return state_.stopRequested == 1; };
  // Paste may replace the picture while the run waits in a pump.
  hooks.picture = [this] { return &c_.picture->canvas(); };
  hooks.displayedWidth = [this] { return c_.picture->displayWidth(); };
  hooks.convertToColor = [this] { return c_.convertToColor->isChecked(); };
  hooks.processColor = [this] { return state_.processColor; };
  hooks.progress = [this] { return c_.gauge->progress(); };
  hooks.setProgress = [this](int progress) { c_.gauge->setProgress(progress); };
  // The table is copied: the run searches the colours listed when it began.
  const ColourTable retained = state_.retainedColors;
  RunProcessPass(pass, height, height - 1, retained, hooks);
}

void ProcessController::finish() {
  c_.picture->changed();
  services_.pumpEvents();
  // The gauge keeps showing where the run got to for a moment.
  services_.sleepMs(500);
  becomeIdle();
}

void ProcessController::becomeIdle() {
  c_.gauge->setProgress(0);
  c_.convertWhite->setChecked(false);
  c_.stop->setChecked(false);
  c_.stop->setEnabled(false);
  c_.undoButton->setEnabled(true);
  c_.retainedList->setEnabled(true);
  state_.runState = 0;
  state_.stopRequested = 0;
}

void ProcessController::stop() {
  c_.stop->setChecked(true);
  c_.retainedList->setEnabled(true);
  state_.stopRequested = 1;
  state_.runState = 0;
}

}  // namespace huesift
