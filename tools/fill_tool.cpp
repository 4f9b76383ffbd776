// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QMenu>

#include "colours/colour_box.h"
#include "engine/fill.h"
#include "platform/picture_control.h"
#include "platform/services.h"
#include "tools/image_tools.h"

namespace huesift {

void ImageTools::fillClicked() {
  p_.transitions.undoWithdrawn();
  p_.window->unsetCursor();
  p_.lists.closeBox();
  p_.colourBox->candidateList->clear();
  if (p_.fillButton->isChecked()) {
    p_.state.toolCursorFile = "syrblue.cur";
    loadToolCursor(p_.state.toolCursorFile);
  }
}

void ImageTools::chooseFillColour() {
  if (const auto chosen = p_.services.chooseColour(p_.window, p_.lastChosenColour)) {
    p_.state.fillColor = *chosen;
    p_.lastChosenColour = *chosen;
  }
}

void ImageTools::fillAt(int x, int y) {
  takeUndoCopy();
  if (FloodFill(p_.picture->canvas(), x, y, p_.state.fillColor) > 0) p_.picture->changed();
  p_.transitions.undoOffered();
}

}  // namespace huesift
