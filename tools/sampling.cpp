// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QCoreApplication>

#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "tools/image_tools.h"

namespace huesift {

void ImageTools::addColourClicked() {
  c_.states.undoWithdrawn();
  if (c_.addColourButton->isChecked()) {
    c_.state.toolCursorFile = "boxb.cur";
    loadToolCursor(c_.state.toolCursorFile);
  } else {
    c_.picture->unsetCursor();
    c_.window->unsetCursor();
    c_.lists.closeBox();
  }
}

void ImageTools::sampleAt(int x, int y) {
  WorkingState& s = c_.state;
  CandidateList* candidates = c_.colourBox->candidateList;
  // Pixels of the square outside the picture stay white, so they offer no colour.
  c_.sampleSquare->setPicture(Picture(9, 9, kWhite));
  c_.colourBox->hide();
  ClearColourTable(s.candidateColors);
  candidates->clear();
  if (c_.retainedList->count() >= s.maxColors) {
    c_.services.showMessage(c_.window,
                            QCoreApplication::translate("huesift::ColourLists", kListFullMessage));
    return;
  }
  Picture& square = c_.sampleSquare->canvas();
  square.copyRect(c_.picture->picture(), x, y, 9, 9, 0, 0);

  // Row by row, each row left to right: candidates stand in the order they are first met.
  for (int i = 0; i < 81; ++i) {
    const Colour p = square.pixel(i % 9, i / 9);
    if (p == kWhite || IsRetainedColour(s, p)) continue;
    if (candidates->count() >= s.maxColors) break;
    if (IsCandidateColour(s, p)) continue;
    candidates->appendColour(p);
    c_.lists.rewriteCandidates();
  }
  const int n = candidates->count();
  if (n == 1) {
    c_.colourBox->hide();
    c_.lists.retain(candidates->colourAt(0));
    s.candidateColors[0] = kNoColour;
    candidates->clear();
  } else if (n >= 2) {
    c_.colourBox->openFor(n);
  }
}

}  // namespace huesift
