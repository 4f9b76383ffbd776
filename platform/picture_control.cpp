// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/picture_control.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/outline_layer.h"
#include "platform/screen_ratio.h"

namespace huesift {
namespace {

// A logical position times a fractional ratio lands a hair off the whole device pixel it
// stands for; this much is taken as rounding noise, not as a step into the pixel before.
constexpr qreal kRoundingNoise = 1e-6;

}  // namespace

PictureControl::PictureControl(QWidget* parent) : QWidget(parent) {
  // Pointer moves matter without a button held (the sampling cursor follows the pointer).
  setMouseTracking(true);
}

qreal PictureControl::ratio() const {
  return ScreenPixelRatio(this);
}

Picture& PictureControl::canvas() {
  if (raster_.empty()) {
    raster_ = Picture(displayWidth(), displayHeight(), kWhite);
    emit extentChanged();
  }
  return raster_;
}

void PictureControl::setPicture(const Picture& picture) {
  raster_ = picture;
  // The new picture is painted over whatever outlines the old one carried.
  outlines_.clear();
  update();
  emit extentChanged();
}

void PictureControl::setPicture(Picture&& picture) {
  raster_ = std::move(picture);
  outlines_.clear();
  update();
  emit extentChanged();
}

void PictureControl::clear() {
  release();
}

Picture PictureControl::release() {
  Picture had = std::exchange(raster_, Picture());
  outlines_.clear();
  update();
  emit extentChanged();
  return had;
}

void PictureControl::changed() {
  update();
}

void PictureControl::changedRows(int first, int last) {
  if (first > last) std::swap(first, last);
  if (first < last) update(widgetRect(QRect(0, first, displayWidth(), last - first)));
}

void PictureControl::setDisplaySize(QSize size) {
  displaySize_ = size.expandedTo(QSize(0, 0));
  fitWidgetToDisplaySize();
  update();
  emit extentChanged();
}

// Picture pixel (0, 0) sits on the device pixel nearest to the widget's corner: the corner
// itself falls between device pixels when the scale factor is fractional.
QPointF PictureControl::pixelShift() const {
  const QPointF corner = mapTo(window(), QPointF(0, 0)) * ratio();
  return QPointF(std::round(corner.x()) - corner.x(), std::round(corner.y()) - corner.y());
}

QPoint PictureControl::pixelAt(const QPointF& position) const {
  const QPointF device = position * ratio() - pixelShift();
  return QPoint(static_cast<int>(std::floor(device.x() + kRoundingNoise)),
                static_cast<int>(std::floor(device.y() + kRoundingNoise)));
}

QPointF PictureControl::positionOf(QPoint pixel) const {
  return (QPointF(pixel) + pixelShift()) / ratio();
}

QRect PictureControl::widgetRect(const QRect& pixels) const {
  const QPointF topLeft = positionOf(pixels.topLeft());
  const QPointF bottomRight = positionOf(pixels.bottomRight() + QPoint(1, 1));
  return QRectF(topLeft, bottomRight).toAlignedRect();
}

QSize PictureControl::pixelSizeOf(const QSize& logical) const {
  // Qt rounds logical sizes to whole numbers: 2560 device pixels at 1.5 read 1707, which
  // must give back 2560, not 2561.
  auto device = [this](int length) {
    return static_cast<int>(std::floor(length * ratio() + kRoundingNoise));
  };
  return QSize(device(logical.width()), device(logical.height()));
}

void PictureControl::fitWidgetToDisplaySize() {
  const qreal r = ratio();
  const QPointF shift = pixelShift();
  auto logical = [r](qreal devicePixels) {
    return std::max(0, static_cast<int>(std::ceil(devicePixels / r - kRoundingNoise)));
  };
  const QSize wanted(logical(shift.x() + displayWidth()), logical(shift.y() + displayHeight()));
  if (wanted != size()) resize(wanted);
}

bool PictureControl::event(QEvent* event) {
  switch (event->type()) {
    // The widget's logical size depends on the scale factor and, when that is fractional,
    // on where the widget sits; the displayed size in picture pixels does not.
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::ScreenChangeInternal:
      fitWidgetToDisplaySize();
      break;
    default:
      break;
  }
  return QWidget::event(event);
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
  // Only the four edges change; the picture inside is not painted again.
  QRegion edges;
  edges += widgetRect(QRect(r.left(), r.top(), r.width(), 1));
  edges += widgetRect(QRect(r.left(), r.bottom(), r.width(), 1));
  edges += widgetRect(QRect(r.left(), r.top(), 1, r.height()));
  edges += widgetRect(QRect(r.right(), r.top(), 1, r.height()));
  update(edges);
}

void PictureControl::clearOutlines() {
  if (outlines_.empty()) return;
  outlines_.clear();
  update();
}

void PictureControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // From here on the painter works in device pixels, which are picture pixels.
  const qreal r = ratio();
  const QPointF shift = pixelShift();
  painter.setWorldTransform(QTransform::fromTranslate(shift.x(), shift.y()) *
                            QTransform::fromScale(1 / r, 1 / r));
  const QRect shown =
      QRect(QPoint(0, 0), displaySize_) &
      QRectF(QPointF(event->rect().topLeft()) * r - shift, QSizeF(event->rect().size()) * r)
          .toAlignedRect();
  if (shown.isEmpty()) return;
  painter.setClipRect(shown);
  if (!raster_.empty()) {
    // The raster already holds 0xFFRRGGBB words: wrap them, no conversion and no copy.
    const QImage image(reinterpret_cast<const uchar*>(raster_.data()), raster_.width(),
                       raster_.height(), raster_.width() * 4, QImage::Format_RGB32);
    const QRect area = shown & image.rect();
    if (!area.isEmpty()) painter.drawImage(area.topLeft(), image, area);
  }
  if (outlines_.empty()) return;
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 0));
  for (const QRect& outline : outlines_) {
    if (outline.adjusted(-1, -1, 1, 1).intersects(shown))
      painter.drawPoints(DottedOutline(outline));
  }
}

// Qt hands a widget the pointer's position rounded to whole logical pixels, which at a scale
// factor of 2 cannot tell two screen pixels apart; the position in the window keeps the
// fraction. An event made up by hand carries its local position as its window position too,
// and is taken as it comes.
QPointF PictureControl::pointerPosition(const QMouseEvent* event) const {
  const QPointF exact = event->scenePosition() - QPointF(mapTo(window(), QPoint(0, 0)));
  const QPointF rounded = event->position();
  if (std::abs(exact.x() - rounded.x()) <= 0.5 && std::abs(exact.y() - rounded.y()) <= 0.5)
    return exact;
  return rounded;
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
  const QPoint p = pixelAt(pointerPosition(event));
  emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = pixelAt(pointerPosition(event));
  emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = pixelAt(pointerPosition(event));
  emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

}  // namespace huesift
