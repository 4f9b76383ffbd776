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
// A colour swatch as both colour lists draw it: a white frame, the colour inside it, and a
// mid-grey outline around a colour too pale to be told from the frame.
void DrawSwatch(QPainter& painter, const QRect& rect, Colour colour);

// How many levels below 255 every channel of a colour may lie and the colour still be near
// white: pale enough to vanish beside white on a screen.
inline constexpr int kNearWhiteLevels = 8;
bool NearWhite(Colour colour);

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
