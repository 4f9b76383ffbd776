// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QScreen;
class QWidget;

namespace huesift {

// Screen (device) pixels per logical pixel on the screen that shows a widget: the scale the
// user sees. On Wayland, Qt before 6.5 knows only whole scales: on an output at 1.25, 1.5 or
// 1.75 it draws at 2 and the compositor shrinks what it draws, so Qt's device pixel ratio is
// not the screen's. There the ratio is the output's current mode against its logical size, as
// the compositor tells them; everywhere else it is Qt's own.
qreal ScreenPixelRatio(const QWidget* widget);
qreal ScreenPixelRatio(QScreen* screen);

// An output as a Wayland client sees it: its name, its rectangle in the desktop's logical
// coordinates and its current mode in pixels.
struct WaylandOutput {
  QString name;
  QRect logical;
  QSize pixels;
  int scale = 1;  // the whole scale the compositor asks clients to draw at
};

// A screen as windows are sized on it: its rectangle in the logical pixels windows are
// measured in, and the screen pixels per logical pixel.
struct ScreenArea {
  QRect logical;
  qreal ratio = 1;
};

// The one place that knows a screen's logical rectangle and its ratio; on Wayland it asks the
// compositor (see LayoutScale and OutputRatio).
ScreenArea LogicalScreen(QScreen* screen);

// How many of the compositor's layout units make one logical pixel of a window on output.
// Mutter at whole scales (without its fractional layout) lays screens out in their own
// pixels: it tells an output's logical size as its mode, and Qt takes that as the screen's
// size, while a window covering it is sized at the mode divided by the scale. Elsewhere the
// layout is in logical pixels already.
int LayoutScale(const WaylandOutput& output);

// The compositor's outputs, read on a connection of our own (Qt keeps the modes to itself);
// empty without a Wayland display or where the compositor does not tell logical sizes.
std::vector<WaylandOutput> WaylandOutputs();

// The ratio of an output of that many pixels shown over that logical size. Logical sizes are
// whole numbers, rounded by the compositor: a ratio that lies that close to a multiple of
// 1/120 (the steps in which Wayland tells fractional scales) is taken as that multiple.
qreal OutputRatio(QSize pixels, QSize logical);

}  // namespace huesift
