// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/swatch.h"

#include <QPainter>

#include "engine/working_state.h"

namespace huesift {

void DrawSwatch(QPainter& painter, const QRect& rect, Colour colour) {
  painter.fillRect(rect, Qt::white);
  painter.fillRect(rect.adjusted(2, 2, -2, -2), ToQColor(colour));
}

void SwatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  DrawSwatch(*painter, option.rect, ColourFromText(index.data().toString().toStdString()));
}

QSize SwatchDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), kSwatchRowHeight};
}

}  // namespace huesift
