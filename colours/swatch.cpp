// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/swatch.h"

#include <QPainter>
#include <algorithm>

#include "engine/working_state.h"

namespace huesift {

bool NearWhite(Colour colour) {
  const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  return std::min({r, g, b}) >= 255 - kNearWhiteLevels;
}

void DrawSwatch(QPainter& painter, const QRect& rect, Colour colour) {
  painter.fillRect(rect, Qt::white);
  const QRect inside = rect.adjusted(2, 2, -2, -2);
  painter.fillRect(inside, ToQColor(colour));
  // Inside its white frame a colour this pale would be a blank frame: a thin outline shows
  // where it is.
  if (NearWhite(colour)) {
    painter.save();
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(inside.adjusted(0, 0, -1, -1));
    painter.restore();
  }
}

void SwatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  DrawSwatch(*painter, option.rect, ColourFromText(index.data().toString().toStdString()));
}

QSize SwatchDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), kSwatchRowHeight};
}

}  // namespace huesift
