// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/process_controller.h"

#include "app/gauge.h"

namespace huesift {

void ProcessController::run() {
  onStack_ = true;
  struct Returned {
    bool& flag;
    ~Returned() { flag = false; }
  } returned{onStack_};
  p_.undoPicture->setPicture(p_.picture->picture());
  p_.transitions.runStarted();

  const int height = p_.picture->displayHeight();
  if (height < 1) {
    // Nothing to walk: leave the toolbar idle rather than stuck in the running state.
    p_.transitions.runFinished(false);
    return;
  }
  p_.state.runState = RunState::Running;
  ReloadRetainedColours(p_.state, p_.retainedList->entries());
  p_.gauge->setMaxValue(height - 1);

  try {
    if (p_.convertWhiteAction->isChecked()) {
      runPass(ProcessPass::White, height);
    } else {
      // The toggle is asked again after the strip pass; it cannot go down during a run, so
      // exactly one of the two passes runs.
      if (!p_.reverseButton->isChecked()) runPass(ProcessPass::Strip, height);
      if (p_.reverseButton->isChecked()) runPass(ProcessPass::Reverse, height);
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
  // Each pump shows the rows walked since the one before: painting the whole picture again
  // every 50 rows cost a 4K picture's run most of its time.
  shownRows_ = 0;
  hooks.pump = [this] {
    const int walked = p_.gauge->progress();
    p_.picture->changedRows(shownRows_, walked);
    shownRows_ = walked;
    p_.services.pumpEvents();
  };
  hooks.stopRequested = [this] { return p_.state.stopRequested; };
  // Paste may replace the picture while the run waits in a pump.
  hooks.picture = [this] { return &p_.picture->canvas(); };
  hooks.displayedWidth = [this] { return p_.picture->displayWidth(); };
  hooks.convertToColour = [this] { return p_.convertToColourAction->isChecked(); };
  hooks.processColor = [this] { return p_.state.processColor; };
  hooks.progress = [this] { return p_.gauge->progress(); };
  hooks.setProgress = [this](int progress) { p_.gauge->setProgress(progress); };
  // The table is copied: the run searches the colours listed when it began.
  const ColourTable retained = p_.state.retainedColors;
  RunProcessPass(pass, height, height - 1, retained, hooks, p_.state.similarDistance);
}

void ProcessController::finish() {
  p_.picture->changedRows(shownRows_, p_.picture->displayHeight());
  p_.services.pumpEvents();
  // The gauge keeps showing where the run got to for a moment.
  p_.services.sleepMs(500);
  becomeIdle();
}

void ProcessController::becomeIdle() {
  p_.gauge->setProgress(0);
  p_.convertWhiteAction->setChecked(false);
  p_.transitions.runFinished(true);
  p_.state.runState = RunState::Idle;
  p_.state.stopRequested = false;
}

void ProcessController::stop() {
  p_.transitions.runStopped();
  p_.state.stopRequested = true;
  p_.state.runState = RunState::Idle;
}

}  // namespace huesift
