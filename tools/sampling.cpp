// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>

#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "platform/picture_control.h"
#include "tools/image_tools.h"

namespace huesift {

void ImageTools::addColourClicked() {
  p_.transitions.undoWithdrawn();
  if (p_.addColourButton->isChecked()) {
    p_.state.toolCursorFile = "boxb.cur";
    loadToolCursor(p_.state.toolCursorFile);
  } else {
    p_.picture->unsetCursor();
    p_.window->unsetCursor();
    p_.lists.closeBox();
  }
}

void ImageTools::sampleAt(int x, int y) {
  WorkingState& s = p_.state;
  CandidateList* candidates = p_.colourBox->candidateList;
  // Pixels of the square outside the picture stay white, so they offer no colour.
  p_.sampleSquare->setPicture(Picture(9, 9, kWhite));
  p_.colourBox->hide();
  ClearColourTable(s.candidateColors);
  candidates->clear();
  if (p_.retainedList->count() >= s.maxColors) {
    p_.lists.sayListFull();
    return;
  }
  Picture& square = p_.sampleSquare->canvas();
  square.copyRect(p_.picture->picture(), x, y, 9, 9, 0, 0);

  // Row by row, each row left to right: candidates stand in the order they are first met.
  for (int i = 0; i < 81; ++i) {
    const Colour p = square.pixel(i % 9, i / 9);
    if (p == kWhite || IsRetainedColour(s, p)) continue;
    if (candidates->count() >= s.maxColors) break;
    if (IsCandidateColour(s, p)) continue;
    candidates->appendColour(p);
    p_.lists.rewriteCandidates();
  }
  const int n = candidates->count();
  if (n == 1) {
    p_.colourBox->hide();
    p_.lists.retain(candidates->colourAt(0));
    s.candidateColors[0] = kNoColour;
    candidates->clear();
  } else if (n >= 2) {
    p_.colourBox->openFor(n);
  }
}

}  // namespace huesift
