// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemDelegate>
#include <QColor>

#include "engine/colour.h"

class QPainter;

namespace huesift {

inline QColor ToQColor(Colour c) {
  return QColor::fromRgb(ToStored(c));
}

// Both colour lists show an entry as a swatch: the entry's rectangle white, and inside a
// 2-pixel white frame the colour that the entry's decimal text names. No text, no highlight.
void DrawSwatch(QPainter& painter, const QRect& rect, Colour colour);

inline constexpr int kSwatchRowHeight = 16;

// Draws list entries (decimal colour texts) as swatches, 16 pixels high.
class SwatchDelegate : public QAbstractItemDelegate {
  Q_OBJECT
 public:
  using QAbstractItemDelegate::QAbstractItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace huesift
