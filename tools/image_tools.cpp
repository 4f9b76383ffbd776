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

ImageTools::ImageTools(ToolContext context) : c_(std::move(context)) {}

void ImageTools::mouseDown(Qt::MouseButton button, int x, int y) {
  if (c_.state.runState != 0 || c_.busy()) return;
  const bool right = button == Qt::RightButton;
  if (c_.addColourButton->isChecked()) {
    if (right) return switchCursor("boxb.cur", "boxo.cur");
    return sampleAt(x, y);
  }
  if (c_.fillButton->isChecked()) {
    if (right) return switchCursor("syrblue.cur", "syrred.cur");
    return fillAt(x, y);
  }
  if (right) {
    const QPoint pointer = c_.picture->mapToGlobal(c_.picture->positionOf(QPoint(x, y))).toPoint();
    c_.pictureMenu->popup(pointer - QPoint(25, 23));
    return;
  }
  beginBand(x, y);
}

void ImageTools::switchCursor(const char* first, const char* second) {
  // The name is stored before loading, so a failed load still alternates next time.
  c_.state.toolCursorFile = c_.state.toolCursorFile == first ? second : first;
  loadToolCursor(c_.state.toolCursorFile);
}

bool ImageTools::loadToolCursor(const std::string& fileName) {
  const auto cursor = c_.services.loadCursorFile(QString::fromStdString(fileName));
  if (!cursor) {
    c_.services.showMessage(
        c_.window, QCoreApplication::translate("huesift::ImageTools", "Cursor not loaded"));
    return false;
  }
  c_.window->setCursor(*cursor);
  return true;
}

void ImageTools::takeUndoCopy() {
  c_.undoPicture->setPicture(c_.picture->picture());
}

void ImageTools::beginBand(int x, int y) {
  takeUndoCopy();
  bandPressed_ = true;
  c_.state.bandStartX = c_.state.bandEndX = x;
  c_.state.bandStartY = c_.state.bandEndY = y + kPictureTop;
}

// The outline is kept by the picture control as an exclusive-or set, so drawing the same
// band twice takes it away again. A band without area draws nothing, as a degenerate
// exclusive-or rectangle cancels itself out.
void ImageTools::toggleBandOutline() {
  const WorkingState& s = c_.state;
  if (s.bandStartX == s.bandEndX || s.bandStartY == s.bandEndY) return;
  c_.bandLayer->toggleOutline(QRect(QPoint(s.bandStartX, s.bandStartY - kPictureTop),
                                    QPoint(s.bandEndX, s.bandEndY - kPictureTop)));
}

void ImageTools::mouseMove(Qt::MouseButtons buttons, int x, int y) {
  if (c_.state.runState != 0 || c_.busy() || c_.addColourButton->isChecked() ||
      c_.fillButton->isChecked() || !(buttons & Qt::LeftButton) || !bandPressed_)
    return;
  toggleBandOutline();
  c_.state.bandEndX = x;
  c_.state.bandEndY = y + kPictureTop;
  toggleBandOutline();
}

void ImageTools::mouseUp() {
  if (c_.state.runState != 0 || c_.busy() || c_.addColourButton->isChecked() ||
      c_.fillButton->isChecked() || !bandPressed_)
    return;
  bandPressed_ = false;
  const WorkingState& s = c_.state;
  // The rectangle's right and bottom edges are not part of it; a band dragged left or up
  // covers what the same band dragged the other way would.
  const int left = std::min(s.bandStartX, s.bandEndX), right = std::max(s.bandStartX, s.bandEndX);
  const int top = std::min(s.bandStartY, s.bandEndY) - kPictureTop;
  const int bottom = std::max(s.bandStartY, s.bandEndY) - kPictureTop;
  if (left < right && top < bottom) {
    Picture& picture = c_.picture->canvas();
    const int x0 = std::max(left, 0), x1 = std::min(right, picture.width());
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height()) && x0 < x1; ++y)
      std::fill(picture.row(y) + x0, picture.row(y) + x1, ToStored(kWhite));
  }
  c_.bandLayer->clearOutlines();
  c_.picture->changed();
  c_.window->repaint();
  c_.states.undoOffered();
}

}  // namespace huesift
