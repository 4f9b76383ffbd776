// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_pictures.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionToolButton>

#include "app/gauge.h"
#include "colours/swatch.h"
#include "platform/contrast.h"

namespace huesift {
namespace {

// The pictures show the toolbar's controls as they look: on a dark colour scheme the toolbar
// keeps the light button faces its glyphs are drawn for, and so do they.
QPalette ToolbarPalette() {
  const QPalette palette = QApplication::palette();
  return IsDark(palette) ? QApplication::style()->standardPalette() : palette;
}

QPixmap Canvas(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(ToolbarPalette().color(QPalette::Button));
  return pixmap;
}

}  // namespace

QPixmap ButtonPicture(Glyph glyph) {
  QPixmap pixmap = Canvas(34, 23);
  QPainter p(&pixmap);
  QStyleOptionToolButton option;
  option.rect = pixmap.rect();
  option.palette = ToolbarPalette();
  option.state = QStyle::State_Enabled | QStyle::State_Raised;
  option.subControls = QStyle::SC_ToolButton;
  option.icon = GlyphIcon(glyph);
  option.iconSize = GlyphSize(glyph);
  option.toolButtonStyle = Qt::ToolButtonIconOnly;
  QApplication::style()->drawComplexControl(QStyle::CC_ToolButton, &option, &p);
  return pixmap;
}

QPixmap RetainedListPicture() {
  QPixmap pixmap = Canvas(31, 56);
  QPainter p(&pixmap);
  QStyleOptionComboBox option;
  option.rect = QRect(0, 0, 31, 22);
  option.palette = ToolbarPalette();
  option.state = QStyle::State_Enabled;
  option.subControls = QStyle::SC_All;
  QApplication::style()->drawComplexControl(QStyle::CC_ComboBox, &option, &p);

  const QRect list(0, 22, 31, 34);
  p.setPen(Qt::black);
  p.drawRect(list.adjusted(0, 0, -1, -1));
  DrawSwatch(p, QRect(1, 23, 29, 16), 0xFF0000);  // blue
  DrawSwatch(p, QRect(1, 39, 29, 16), 0x008CFF);  // orange
  return pixmap;
}

QPixmap GaugePicture() {
  QPixmap pixmap = Canvas(26, 23);
  QPainter p(&pixmap);
  Gauge::PaintFace(p, pixmap.rect(), 0);
  return pixmap;
}

}  // namespace huesift
