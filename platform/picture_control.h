#pragma once

#include <QWidget>
#include <vector>

#include "engine/picture.h"

namespace huesift {

// A picture control: a raster drawn unscaled from the top-left corner, with a displayed size
// (the widget's size) that may be larger or smaller than the raster. A cleared control has no
// raster until canvas() creates a white one of the control's current size.
// Exclusive-or outlines are kept as a set: drawing an outline toggles it, so drawing the
// same outline twice restores the surface.
class PictureControl : public QWidget {
  Q_OBJECT
 public:
  explicit PictureControl(QWidget* parent = nullptr);

  bool hasRaster() const { return !raster_.empty(); }
  const Picture& picture() const { return raster_; }
  // Drawing access: creates a white raster of the control's size when there is none.
  Picture& canvas();
  void setPicture(Picture picture);  // replaces the raster (content and pixel size)
  void clear();                      // no raster any more
  // Call after changing pixels through canvas() so the screen follows.
  void changed();

  // Dotted exclusive-or rectangle outline between two corners (inclusive of both edges).
  void toggleOutline(const QRect& rect);
  void clearOutlines();
  const std::vector<QRect>& outlines() const { return outlines_; }

 signals:
  // Pointer events in the control's own pixel coordinates.
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Picture raster_;
  std::vector<QRect> outlines_;
};

}  // namespace huesift
