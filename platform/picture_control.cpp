#include "platform/picture_control.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <algorithm>

#include "platform/outline_layer.h"

namespace huesift {

PictureControl::PictureControl(QWidget* parent) : QWidget(parent) {
  // Pointer moves matter without a button held (the sampling cursor follows the pointer).
  setMouseTracking(true);
}

Picture& PictureControl::canvas() {
  if (raster_.empty()) raster_ = Picture(width(), height(), kWhite);
  return raster_;
}

void PictureControl::setPicture(Picture picture) {
  raster_ = std::move(picture);
  // The new picture is painted over whatever outlines the old one carried.
  outlines_.clear();
  update();
}

void PictureControl::clear() {
  raster_ = Picture();
  outlines_.clear();
  update();
}

void PictureControl::changed() {
  update();
}

void PictureControl::toggleOutline(const QRect& rect) {
  // The rectangle is given by two corners in any order, both inclusive.
  const QRect r(QPoint(std::min(rect.left(), rect.right()), std::min(rect.top(), rect.bottom())),
                QPoint(std::max(rect.left(), rect.right()), std::max(rect.top(), rect.bottom())));
  const auto it = std::find(outlines_.begin(), outlines_.end(), r);
  if (it != outlines_.end()) {
    outlines_.erase(it);
  } else {
    outlines_.push_back(r);
  }
  update(r.adjusted(-1, -1, 1, 1));
}

void PictureControl::clearOutlines() {
  if (outlines_.empty()) return;
  outlines_.clear();
  update();
}

void PictureControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!raster_.empty()) {
    // The raster already holds 0xFFRRGGBB words: wrap them, no conversion and no copy.
    const QImage image(reinterpret_cast<const uchar*>(raster_.data()), raster_.width(),
                       raster_.height(), raster_.width() * 4, QImage::Format_RGB32);
    const QRect area = event->rect() & image.rect();
    if (!area.isEmpty()) painter.drawImage(area.topLeft(), image, area);
  }
  if (outlines_.empty()) return;
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 0));
  for (const QRect& r : outlines_) {
    const QPolygon dots = DottedOutline(r);
    painter.drawPoints(dots);
  }
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

}  // namespace huesift
