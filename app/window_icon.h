// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <vector>

namespace huesift {

// The program's icon, the motif of the "Process" glyph: rows of black text-like dashes, on
// white in the upper half and on orange in the lower half, in a black frame. The window
// shows it at 32 x 32; the desktop's icon theme gets it at every size from the same shapes.
struct IconShape {
  QRect rect;
  QColor colour;
};

// Painted in order, each over the ones before; together they cover the size x size square.
std::vector<IconShape> WindowIconShapes(int size);
QImage DrawWindowIcon(int size);
// The 32 x 32 design as a scalable picture.
QByteArray WindowIconSvg();

}  // namespace huesift
