// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/picture_view.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "platform/picture_control.h"

namespace huesift {
namespace {

// A drag past the edge scrolls every so many milliseconds, by as many pixels as the pointer
// is past the edge, up to this many.
constexpr int kDragScrollInterval = 25;
constexpr qreal kDragScrollMost = 60;

// The part of the control that shows a picture, from the control's corner, in its own
// (logical) coordinates.
QSize ShownExtent(const PictureControl& picture) {
  if (!picture.hasRaster()) return QSize(0, 0);
  const QSize shown(std::min(picture.picture().width(), picture.displayWidth()),
                    std::min(picture.picture().height(), picture.displayHeight()));
  if (shown.isEmpty()) return QSize(0, 0);
  const QRect covered = picture.widgetRect(QRect(QPoint(0, 0), shown));
  return QSize(covered.right() + 1, covered.bottom() + 1);
}

}  // namespace

PictureView::PictureView(QWidget* parent) : QScrollArea(parent), sheet_(new QWidget) {
  // Nothing of its own shows: no frame, no background; where the picture does not reach,
  // the window shows through as it would without the view.
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  sheet_->setObjectName("pictureSheet");
  sheet_->setAutoFillBackground(false);
  // The sheet fills the viewport and grows to what the picture shows, so a control without
  // a raster covers the viewport as before and a larger picture brings the scroll bars.
  setWidgetResizable(true);
  setWidget(sheet_);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A click on the picture takes the keys there, so the arrows scroll it; Tab passes by.
  setFocusPolicy(Qt::ClickFocus);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] {
      // The control has moved in the window without moving on the sheet, and is told so:
      // at a fractional scale factor where it sits decides its logical size.
      if (picture_) {
        QMoveEvent moved(picture_->pos(), picture_->pos());
        QCoreApplication::sendEvent(picture_, &moved);
      }
      // Outlines over the picture move with it.
      for (QWidget* layer : overlays_) layer->update();
    });
  }
}

void PictureView::setPicture(PictureControl* picture) {
  picture_ = picture;
  picture_->installEventFilter(this);
  connect(picture_, &PictureControl::extentChanged, this, [this] {
    fitSheet();
    // A cleared control waits for a new picture, which is shown from its top-left corner.
    if (!picture_->hasRaster()) {
      horizontalScrollBar()->setValue(0);
      verticalScrollBar()->setValue(0);
    }
  });
  fitSheet();
}

void PictureView::addOverlay(QWidget* layer) {
  layer->setParent(viewport());
  layer->setGeometry(viewport()->rect());
  layer->raise();
  layer->show();
  overlays_.append(layer);
}

void PictureView::fitSheet() {
  if (!picture_) return;
  const QSize extent = ShownExtent(*picture_);
  if (sheet_->minimumSize() == extent) return;
  sheet_->setMinimumSize(extent);
  // The scroll bars follow at once, not when the layout request comes round.
  setWidgetResizable(true);
}

bool PictureView::scrollByKey(QKeyEvent* event) {
  const bool scrollKey = event->matches(QKeySequence::MoveToPreviousPage) ||
                         event->matches(QKeySequence::MoveToNextPage) ||
                         event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                         event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
  if (!scrollKey) return false;
  event->accept();
  QScrollArea::keyPressEvent(event);
  return event->isAccepted();
}

void PictureView::wheelEvent(QWheelEvent* event) {
  // Shift turns the wheel sideways, as in other programs of the desktop. A wheel that is
  // sideways already (a touchpad, a tilting wheel) is left as it comes.
  const QPoint angle = event->angleDelta();
  if (!(event->modifiers() & Qt::ShiftModifier) || std::abs(angle.y()) <= std::abs(angle.x())) {
    QScrollArea::wheelEvent(event);
    return;
  }
  // A horizontal scroll bar takes an upright wheel as a turn along itself: down goes right.
  // Without Shift, which would make it step whole pages.
  QWheelEvent sideways(event->position(), event->globalPosition(), event->pixelDelta(), angle,
                       event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                       event->inverted(), event->source());
  QCoreApplication::sendEvent(horizontalScrollBar(), &sideways);
  event->setAccepted(sideways.isAccepted());
}

bool PictureView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) {
    for (QWidget* layer : overlays_) layer->setGeometry(viewport()->rect());
  }
  return QScrollArea::viewportEvent(event);
}

bool PictureView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_) {
    switch (event->type()) {
      // The control's logical size follows the scale factor and where it sits.
      case QEvent::Resize:
        fitSheet();
        break;
      case QEvent::MouseMove:
        followDrag(*static_cast<QMouseEvent*>(event));
        break;
      case QEvent::MouseButtonRelease:
        dragScroll_.stop();
        break;
      default:
        break;
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

void PictureView::followDrag(const QMouseEvent& move) {
  const QPointF inView = picture_->mapTo(viewport(), move.position());
  if (!(move.buttons() & Qt::LeftButton) || QRectF(viewport()->rect()).contains(inView)) {
    dragScroll_.stop();
    return;
  }
  dragPointer_ = move.globalPosition();
  dragModifiers_ = move.modifiers();
  if (!dragScroll_.isActive()) dragScroll_.start(kDragScrollInterval, this);
}

void PictureView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != dragScroll_.timerId()) {
    QScrollArea::timerEvent(event);
    return;
  }
  scrollTowardsPointer();
}

void PictureView::scrollTowardsPointer() {
  // A drag that ended without its release reaching the control (a window that took the
  // pointer) ends the scrolling too.
  if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
    dragScroll_.stop();
    return;
  }
  // Faster the farther the pointer is past the edge.
  const QPointF inView = viewport()->mapFromGlobal(dragPointer_);
  const QRectF shown = viewport()->rect();
  auto step = [](qreal before, qreal after) {
    const qreal past = before < 0 ? before : after > 0 ? after : 0;
    return static_cast<int>(std::clamp(past, -kDragScrollMost, kDragScrollMost));
  };
  QScrollBar* across = horizontalScrollBar();
  QScrollBar* down = verticalScrollBar();
  const int x = across->value(), y = down->value();
  across->setValue(x + step(inView.x() - shown.left(), inView.x() - shown.right()));
  down->setValue(y + step(inView.y() - shown.top(), inView.y() - shown.bottom()));
  if (across->value() == x && down->value() == y) return;
  // The picture has moved under a pointer that stood still: the control hears of a move to
  // where the pointer now is over it, as the tools follow the pointer through its moves.
  const QPointF inWindow = picture_->window()->mapFromGlobal(dragPointer_);
  QMouseEvent moved(QEvent::MouseMove, picture_->mapFromGlobal(dragPointer_), inWindow,
                    dragPointer_, Qt::NoButton, Qt::LeftButton, dragModifiers_);
  QCoreApplication::sendEvent(picture_, &moved);
}

}  // namespace huesift
