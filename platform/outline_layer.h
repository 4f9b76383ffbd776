// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPolygon>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

namespace huesift {

// Every other pixel around r (both corners inclusive), each perimeter pixel once: an
// exclusive-or pixel drawn twice would vanish, which a stroked path does at its corners.
QPolygon DottedOutline(const QRect& r);

// A see-through layer over a window's surface on which dotted exclusive-or outlines are
// drawn, so an outline shows wherever it reaches on the window, not only over the picture
// it belongs to. Outlines are kept as a set: drawing one toggles it, so drawing the same
// outline twice restores the surface. The layer never takes pointer input.
class OutlineLayer : public QWidget {
  Q_OBJECT
 public:
  explicit OutlineLayer(QWidget* parent);

  // Outlines are given in picture pixels, which are screen pixels; this tells where a picture
  // pixel's top-left corner lies on the layer (PictureControl::positionOf, carried over).
  void setMapping(std::function<QPointF(QPoint)> pictureToLayer);

  void toggleOutline(const QRect& pictureRect);
  void clearOutlines();
  // In picture pixels, normalised, in the order drawn.
  const std::vector<QRect>& outlines() const { return outlines_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointF onLayer(QPoint pixel) const;
  QRect widgetRect(const QRect& pictureRect) const;

  std::function<QPointF(QPoint)> map_;
  std::vector<QRect> outlines_;
};

}  // namespace huesift
