// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <vector>

#include "engine/picture.h"

namespace huesift {

// A picture control: a raster drawn unscaled from the top-left corner, with a displayed size
// that may be larger or smaller than the raster. A cleared control has no raster until
// canvas() creates a white one of the displayed size.
//
// Pictures are screen pixels, so the control shows one picture pixel per device pixel at any
// scale factor; sizes and pointer positions it hands out are in picture pixels. The widget's
// own (logical) size follows the displayed size, and the toolbar and other chrome around it
// keep Qt's logical scaling.
//
// Exclusive-or outlines are kept as a set: drawing an outline toggles it, so drawing the
// same outline twice restores the surface.
class PictureControl : public QWidget {
  Q_OBJECT
 public:
  explicit PictureControl(QWidget* parent = nullptr);

  bool hasRaster() const { return !raster_.empty(); }
  const Picture& picture() const { return raster_; }
  // Drawing access: creates a white raster of the displayed size when there is none.
  Picture& canvas();
  // Replaces the raster (content and pixel size). A copy goes into the raster's own memory
  // when it is large enough, as the undo copy of every run is: no fresh 33 MB for a 4K
  // picture to be allocated and first touched.
  void setPicture(const Picture& picture);
  void setPicture(Picture&& picture);
  void clear();  // no raster any more
  // Clears the control and hands back the raster it had, whose memory a picture to come may
  // reuse.
  Picture release();
  // Call after changing pixels through canvas() so the screen follows.
  void changed();
  // The same for rows first..last-1 alone (in either order): only they are painted again.
  void changedRows(int first, int last);

  // The displayed size, in picture pixels: the part of the raster that is shown and that
  // Process walks. Sizing the control leaves the raster as it is.
  QSize displaySize() const { return displaySize_; }
  int displayWidth() const { return displaySize_.width(); }
  int displayHeight() const { return displaySize_.height(); }
  void setDisplaySize(QSize size);
  void setDisplaySize(int width, int height) { setDisplaySize(QSize(width, height)); }

  // The picture pixel under a position in the widget's own coordinates, and the widget
  // position of a picture pixel's top-left corner. At a fractional scale factor a picture
  // pixel does not begin on a whole logical coordinate, so everything that meets the
  // pointer or draws over the picture goes through these two.
  QPoint pixelAt(const QPointF& position) const;
  QPointF positionOf(QPoint pixel) const;
  // The smallest widget rectangle covering a rectangle of picture pixels.
  QRect widgetRect(const QRect& pixels) const;
  // The picture pixels (device pixels) that a logical size covers on this control's screen.
  QSize pixelSizeOf(const QSize& logical) const;

  // Dotted exclusive-or rectangle outline between two corners (inclusive of both edges),
  // in picture pixels.
  void toggleOutline(const QRect& rect);
  void clearOutlines();
  const std::vector<QRect>& outlines() const { return outlines_; }

 signals:
  // The part of the control that shows a picture (the raster, as far as the displayed size
  // reaches) may have changed: a raster replaced, cleared or created, or the displayed size.
  void extentChanged();
  // Pointer events at the picture pixel under the pointer.
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Screen pixels per logical pixel: the screen's real ratio, not Qt's rounded one.
  qreal ratio() const;
  QPointF pixelShift() const;
  QPointF pointerPosition(const QMouseEvent* event) const;
  void fitWidgetToDisplaySize();

  Picture raster_;
  QSize displaySize_{0, 0};
  std::vector<QRect> outlines_;
};

}  // namespace huesift
