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
  c_.undoPicture->setPicture(c_.picture->picture());
  c_.states.runStarted();

  const int height = c_.picture->displayHeight();
  if (height < 1) {
    // Nothing to walk: leave the toolbar idle rather than stuck in the running state.
    c_.states.runFinished(false);
    return;
  }
  c_.state.runState = 1;
  ReloadRetainedColours(c_.state, c_.retainedList->entries());
  c_.gauge->setMaxValue(height - 1);

  try {
    if (c_.convertWhiteAction->isChecked()) {
      runPass(ProcessPass::White, height);
    } else {
      // The toggle is asked again after the strip pass; it cannot go down during a run, so
      // exactly one of the two passes runs.
      if (!c_.reverseButton->isChecked()) runPass(ProcessPass::Strip, height);
      if (c_.reverseButton->isChecked()) runPass(ProcessPass::Reverse, height);
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
    const int walked = c_.gauge->progress();
    c_.picture->changedRows(shownRows_, walked);
    shownRows_ = walked;
    c_.services.pumpEvents();
  };
  hooks.stopRequested = [this] { return c_.state.stopRequested == 1; };
  // Paste may replace the picture while the run waits in a pump.
  hooks.picture = [this] { return &c_.picture->canvas(); };
  hooks.displayedWidth = [this] { return c_.picture->displayWidth(); };
  hooks.convertToColour = [this] { return c_.convertToColourAction->isChecked(); };
  hooks.processColor = [this] { return c_.state.processColor; };
  hooks.progress = [this] { return c_.gauge->progress(); };
  hooks.setProgress = [this](int progress) { c_.gauge->setProgress(progress); };
  // The table is copied: the run searches the colours listed when it began.
  const ColourTable retained = c_.state.retainedColors;
  RunProcessPass(pass, height, height - 1, retained, hooks);
}

void ProcessController::finish() {
  c_.picture->changedRows(shownRows_, c_.picture->displayHeight());
  c_.services.pumpEvents();
  // The gauge keeps showing where the run got to for a moment.
  c_.services.sleepMs(500);
  becomeIdle();
}

void ProcessController::becomeIdle() {
  c_.gauge->setProgress(0);
  c_.convertWhiteAction->setChecked(false);
  c_.states.runFinished(true);
  c_.state.runState = 0;
  c_.state.stopRequested = 0;
}

void ProcessController::stop() {
  c_.states.runStopped();
  c_.state.stopRequested = 1;
  c_.state.runState = 0;
}

}  // namespace huesift
