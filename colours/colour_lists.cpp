// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/colour_lists.h"

#include <QAbstractButton>
#include <QCoreApplication>

#include "colours/colour_box.h"
#include "colours/retained_colour_list.h"
#include "platform/services.h"

namespace huesift {

void ColourLists::retainedListClicked() {
  p_.addColourButton->setChecked(false);  // not a click: the toggle's own handler does not run
  p_.colourBox->hide();
  p_.window->unsetCursor();
  ClearColourTable(p_.state.candidateColors);
}

void ColourLists::retainedListChanged(int index) {
  p_.state.deleteIndex = index;
  if (p_.retainedList->count() > 1) {
    p_.retainedList->deleteEntry(p_.state.deleteIndex);
    rewriteRetained();
  }
  p_.retainedList->resetBackgroundColour();
}

void ColourLists::candidateChosen() {
  const Colour c = p_.colourBox->candidateList->colourAt(p_.colourBox->candidateList->currentRow());
  if (c == kNoColour || IsRetainedColour(p_.state, c)) return;
  if (retainedFull()) {
    sayListFull();
    return;
  }
  retain(c);
}

void ColourLists::retainAll() {
  CandidateList* candidates = p_.colourBox->candidateList;
  bool full = false;
  for (int i = 0; i < candidates->count() && !full; ++i) {
    const Colour c = candidates->colourAt(i);
    if (IsRetainedColour(p_.state, c)) continue;  // chosen one by one already
    full = retainedFull();
    if (!full) retain(c);
  }
  closeBox();
  candidates->clear();
  if (full) sayListFull();
}

void ColourLists::closeBox() {
  p_.colourBox->hide();
  ClearColourTable(p_.state.candidateColors);
}

void ColourLists::resetRetained() {
  p_.retainedList->clear();
  p_.retainedList->appendColour(kBlack);
  ResetRetainedColours(p_.state);
  p_.retainedList->resetBackgroundColour();
}

bool ColourLists::retainedFull() const {
  return p_.retainedList->count() > p_.state.maxColors - 1;
}

void ColourLists::sayListFull() {
  p_.services.showMessage(
      p_.window, QCoreApplication::translate("huesift::ColourLists",
                                             "List box full - delete a color and continue."));
}

void ColourLists::retain(Colour c) {
  p_.retainedList->appendColour(c);
  p_.retainedList->setBackgroundColour(c);
  rewriteRetained();
}

void ColourLists::rewriteRetained() {
  ReloadRetainedColours(p_.state, p_.retainedList->entries());
}

void ColourLists::rewriteCandidates() {
  ClearColourTable(p_.state.candidateColors);
  const int n = std::min(p_.colourBox->candidateList->count(), p_.state.maxColors);
  for (int i = 0; i < n; ++i)
    p_.state.candidateColors[i] = p_.colourBox->candidateList->colourAt(i);
}

}  // namespace huesift
