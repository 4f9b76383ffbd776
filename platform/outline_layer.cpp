// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/outline_layer.h"

#include <QPainter>
#include <algorithm>

#include "platform/screen_ratio.h"

namespace huesift {

QPolygon DottedOutline(const QRect& r) {
  QPolygon perimeter;
  for (int x = r.left(); x <= r.right(); ++x) perimeter << QPoint(x, r.top());
  for (int y = r.top() + 1; y <= r.bottom(); ++y) perimeter << QPoint(r.right(), y);
  if (r.bottom() > r.top()) {
    for (int x = r.right() - 1; x >= r.left(); --x) perimeter << QPoint(x, r.bottom());
  }
  if (r.right() > r.left()) {
    for (int y = r.bottom() - 1; y > r.top(); --y) perimeter << QPoint(r.left(), y);
  }
  QPolygon dots;
  for (int i = 0; i < perimeter.size(); i += 2) dots << perimeter[i];
  return dots;
}

OutlineLayer::OutlineLayer(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::NoFocus);
}

void OutlineLayer::setMapping(std::function<QPointF(QPoint)> pictureToLayer) {
  map_ = std::move(pictureToLayer);
  update();
}

QPointF OutlineLayer::onLayer(QPoint pixel) const {
  return map_ ? map_(pixel) : QPointF(pixel) / ScreenPixelRatio(this);
}

QRect OutlineLayer::widgetRect(const QRect& pictureRect) const {
  return QRectF(onLayer(pictureRect.topLeft()), onLayer(pictureRect.bottomRight() + QPoint(1, 1)))
      .toAlignedRect();
}

void OutlineLayer::toggleOutline(const QRect& pictureRect) {
  // Two corners in any order, both inclusive (QRect::normalized() would move them).
  const QRect& g = pictureRect;
  const QRect r(QPoint(std::min(g.left(), g.right()), std::min(g.top(), g.bottom())),
                QPoint(std::max(g.left(), g.right()), std::max(g.top(), g.bottom())));
  const auto it = std::find(outlines_.begin(), outlines_.end(), r);
  if (it != outlines_.end()) {
    outlines_.erase(it);
  } else {
    outlines_.push_back(r);
  }
  update(widgetRect(r).adjusted(-1, -1, 1, 1));
}

void OutlineLayer::clearOutlines() {
  if (outlines_.empty()) return;
  outlines_.clear();
  update();
}

void OutlineLayer::paintEvent(QPaintEvent*) {
  if (outlines_.empty()) return;
  QPainter painter(this);
  // The dots go on screen pixels, one per picture pixel, lined up with the picture: the
  // painter works in device pixels from the picture's corner.
  const qreal ratio = ScreenPixelRatio(this);
  const QPointF corner = onLayer(QPoint(0, 0)) * ratio;
  painter.setWorldTransform(QTransform::fromTranslate(corner.x(), corner.y()) *
                            QTransform::fromScale(1 / ratio, 1 / ratio));
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 0));
  for (const QRect& r : outlines_) painter.drawPoints(DottedOutline(r));
}

}  // namespace huesift
