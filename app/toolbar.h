// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QFrame>
#include <QToolButton>
#include <vector>

#include "app/glyphs.h"

namespace huesift {

class MainWindow;

// The toolbar's golden yellow, 0x0099CC in the program's 0x00BBGGRR colour layout.
QColor ToolbarColour();

// A toolbar button that also reports every press with the mouse button pressed, so the
// right button can open a button's menu while the left button keeps clicking it. The menu
// key reports a right-button press.
class ToolbarButton : public QToolButton {
  Q_OBJECT
 public:
  explicit ToolbarButton(QWidget* parent = nullptr);

 signals:
  void mouseDown(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
};

// The toolbar itself: the toolbar colour with an etched line along its top edge.
class ToolBarStrip : public QWidget {
  Q_OBJECT
 public:
  explicit ToolBarStrip(QWidget* parent = nullptr);

  // The toolbar's colours are the program's own: on a dark colour scheme its buttons keep
  // the light faces that their glyphs are drawn for.
  void keepButtonFacesLight();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
};

// A borderless strip in the toolbar colour (spacers and the lines around the toolbar).
QFrame* MakeStrip(QWidget* parent, const QString& name, const QRect& geometry);

// A toolbar key (Ctrl+Z, Escape, ...) and the button a press of it clicks.
struct ToolbarKey {
  QAction* key;
  QToolButton* button;
};

// Creates the toolbar and everything on it, left to right, into the main window's members;
// returns the keys, for the window to connect to their buttons.
std::vector<ToolbarKey> BuildToolbar(MainWindow& window);

}  // namespace huesift
