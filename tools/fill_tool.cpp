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
  c_.states.undoWithdrawn();
  c_.window->unsetCursor();
  c_.lists.closeBox();
  c_.colourBox->candidateList->clear();
  if (c_.fillButton->isChecked()) {
    c_.state.toolCursorFile = "syrblue.cur";
    loadToolCursor(c_.state.toolCursorFile);
  }
}

void ImageTools::chooseFillColour() {
  if (const auto chosen = c_.services.chooseColour(c_.window, c_.lastChosenColour)) {
    c_.state.fillColor = *chosen;
    c_.lastChosenColour = *chosen;
  }
}

void ImageTools::fillAt(int x, int y) {
  takeUndoCopy();
  if (FloodFill(c_.picture->canvas(), x, y, c_.state.fillColor) > 0) c_.picture->changed();
  c_.states.undoOffered();
}

}  // namespace huesift
