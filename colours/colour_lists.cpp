// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/colour_lists.h"

#include <QAbstractButton>

#include "colours/colour_box.h"
#include "colours/retained_color_list.h"
#include "platform/services.h"

namespace huesift {

void ColourLists::retainedListClicked() {
  addColor_->setChecked(false);  // not a click: the toggle's own handler does not run
  box_->hide();
  window_->unsetCursor();
  ClearColorTable(state_.candidateColors);
}

void ColourLists::retainedListChanged(int index) {
  state_.deleteIndex = index;
  if (retained_->count() > 1) {
    retained_->deleteEntry(state_.deleteIndex);
    rewriteRetained();
  }
  retained_->resetBackgroundColour();
}

void ColourLists::candidateChosen() {
  const Colour c = box_->candidateList->colourAt(box_->candidateList->currentRow());
  if (c == kNoColour || IsRetainedColor(state_, c)) return;
  if (retainedFull()) {
    services_.showMessage(window_, QString::fromLatin1(kListFullMessage));
    return;
  }
  retain(c);
}

void ColourLists::closeBox() {
  box_->hide();
  ClearColorTable(state_.candidateColors);
}

bool ColourLists::retainedFull() const {
  return retained_->count() > state_.maxColors - 1;
}

void ColourLists::retain(Colour c) {
  retained_->appendColour(c);
  retained_->setBackgroundColour(c);
  rewriteRetained();
}

void ColourLists::rewriteRetained() {
  ReloadRetainedColors(state_, retained_->entries());
}

void ColourLists::rewriteCandidates() {
  ClearColorTable(state_.candidateColors);
  const int n = std::min(box_->candidateList->count(), state_.maxColors);
  for (int i = 0; i < n; ++i) state_.candidateColors[i] = box_->candidateList->colourAt(i);
}

}  // namespace huesift
