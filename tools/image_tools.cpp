// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/image_tools.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMenu>
#include <algorithm>

#include "platform/outline_layer.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

ImageTools::ImageTools(Parts parts) : p_(std::move(parts)) {}

void ImageTools::mouseDown(Qt::MouseButton button, int x, int y) {
  if (p_.state.runState != RunState::Idle || p_.busy()) return;
  const bool right = button == Qt::RightButton;
  if (p_.addColourButton->isChecked()) {
    if (right) return switchCursor("boxb.cur", "boxo.cur");
    return sampleAt(x, y);
  }
  if (p_.fillButton->isChecked()) {
    if (right) return switchCursor("syrblue.cur", "syrred.cur");
    return fillAt(x, y);
  }
  if (right) {
    const QPoint pointer = p_.picture->mapToGlobal(p_.picture->positionOf(QPoint(x, y))).toPoint();
    p_.pictureMenu->popup(pointer - QPoint(25, 23));
    return;
  }
  beginBand(x, y);
}

void ImageTools::switchCursor(const char* first, const char* second) {
  // The name is stored before loading, so a failed load still alternates next time.
  p_.state.toolCursorFile = p_.state.toolCursorFile == first ? second : first;
  loadToolCursor(p_.state.toolCursorFile);
}

bool ImageTools::loadToolCursor(const std::string& fileName) {
  const auto cursor = p_.services.loadCursorFile(QString::fromStdString(fileName));
  if (!cursor) {
    p_.services.showMessage(
        p_.window, QCoreApplication::translate("huesift::ImageTools", "Cursor not loaded"));
    return false;
  }
  p_.window->setCursor(*cursor);
  return true;
}

void ImageTools::takeUndoCopy() {
  p_.undoPicture->setPicture(p_.picture->picture());
}

void ImageTools::beginBand(int x, int y) {
  bandPressed_ = true;
  p_.state.bandStartX = p_.state.bandEndX = x;
  p_.state.bandStartY = p_.state.bandEndY = y;
}

// The outline is kept by the picture control as an exclusive-or set, so drawing the same
// band twice takes it away again. A band without area draws nothing, as a degenerate
// exclusive-or rectangle cancels itself out.
void ImageTools::toggleBandOutline() {
  const WorkingState& s = p_.state;
  if (s.bandStartX == s.bandEndX || s.bandStartY == s.bandEndY) return;
  p_.bandLayer->toggleOutline(
      QRect(QPoint(s.bandStartX, s.bandStartY), QPoint(s.bandEndX, s.bandEndY)));
}

void ImageTools::mouseMove(Qt::MouseButtons buttons, int x, int y) {
  if (p_.state.runState != RunState::Idle || p_.busy() || p_.addColourButton->isChecked() ||
      p_.fillButton->isChecked() || !(buttons & Qt::LeftButton) || !bandPressed_)
    return;
  toggleBandOutline();
  p_.state.bandEndX = x;
  p_.state.bandEndY = y;
  toggleBandOutline();
}

void ImageTools::mouseUp() {
  if (p_.state.runState != RunState::Idle || p_.busy() || p_.addColourButton->isChecked() ||
      p_.fillButton->isChecked() || !bandPressed_)
    return;
  bandPressed_ = false;
  const WorkingState& s = p_.state;
  // The rectangle's right and bottom edges are not part of it; a band dragged left or up
  // covers what the same band dragged the other way would.
  const int left = std::min(s.bandStartX, s.bandEndX), right = std::max(s.bandStartX, s.bandEndX);
  const int top = std::min(s.bandStartY, s.bandEndY);
  const int bottom = std::max(s.bandStartY, s.bandEndY);
  p_.bandLayer->clearOutlines();
  // Only a band that reaches pixels costs the undo copy: a click, or a band beside the
  // picture, leaves what Undo would bring back as it was.
  Picture& picture = p_.picture->canvas();
  const int x0 = std::max(left, 0), x1 = std::min(right, picture.width());
  const int y0 = std::max(top, 0), y1 = std::min(bottom, picture.height());
  if (x0 < x1 && y0 < y1) {
    takeUndoCopy();
    for (int y = y0; y < y1; ++y)
      std::fill(picture.row(y) + x0, picture.row(y) + x1, ToStored(kWhite));
    p_.transitions.undoOffered();
  }
  p_.picture->changed();
  p_.window->repaint();
}

}  // namespace huesift
