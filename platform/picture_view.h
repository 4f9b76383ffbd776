// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBasicTimer>
#include <QPointF>
#include <QScrollArea>

class QKeyEvent;
class QMouseEvent;

namespace huesift {

class PictureControl;

// The scroll area around the working picture. When the picture is larger than the space the
// view has, scroll bars appear; the wheel scrolls it (Shift+wheel sideways), and so do the
// arrow and Page keys; a drag with the left button past the view's edge scrolls it on, and the
// control is told that the pointer moved over it. The picture control moves under the view,
// so its own mapping of pointer positions to picture pixels (one picture pixel per screen
// pixel) holds as it is.
//
// What scrolls is the part of the control that shows a picture: its raster, as far as the
// displayed size reaches. A control without a raster scrolls nothing and covers the view, and
// a picture that fits sits at the view's corner without scroll bars, as if there were no view.
class PictureView : public QScrollArea {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent);

  // The widget the picture control goes on (its parent), under the view's corner when
  // unscrolled.
  QWidget* sheet() const { return sheet_; }
  // Takes the control that the view scrolls; it must be a child of sheet().
  void setPicture(PictureControl* picture);
  // A see-through layer over the visible part of the picture, that does not scroll with it
  // (the band's outline): kept over the whole viewport, above the picture.
  void addOverlay(QWidget* layer);

  // The scrolling keys (arrows, Page Up, Page Down) when a window passes them on because the
  // widget with the focus had no use for them. True when the key scrolled the picture.
  bool scrollByKey(QKeyEvent* event);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void fitSheet();
  void followDrag(const QMouseEvent& move);
  void scrollTowardsPointer();

  QWidget* sheet_;
  PictureControl* picture_ = nullptr;
  QList<QWidget*> overlays_;
  // A left-button drag past the view's edge: where the pointer is, on the screen.
  QBasicTimer dragScroll_;
  QPointF dragPointer_;
  Qt::KeyboardModifiers dragModifiers_;
};

}  // namespace huesift
