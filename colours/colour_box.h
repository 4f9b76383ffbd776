// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QListWidget>

#include "engine/colour.h"

class QAction;
class QLabel;
class QToolButton;

namespace huesift {

// The candidate list inside the colour box: decimal colour texts drawn as swatches, one
// selected at a time. Emits chosen() whenever the user picks an entry, by a press on one
// (the selected one included), by releasing the button on another after sliding there, or
// by moving the selection with the keyboard.
class CandidateList : public QListWidget {
  Q_OBJECT
 public:
  explicit CandidateList(QWidget* parent = nullptr);

  void appendColour(Colour c);
  Colour colourAt(int row) const;

 signals:
  void chosen();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int pressedRow_ = -1;  // the entry chosen by the last press
};

// "Retain which color?": a small raised panel floating over the picture with its title,
// "Retain All", an "X" and the candidate list. A press on its own background can start a
// drag that keeps the box inside its parent's client area; it stays where it was dropped.
// Its keys (Ctrl+A for "Retain All", Escape for the "X") work in the whole window, but only
// while the box is open.
class ColourBox : public QFrame {
  Q_OBJECT
 public:
  explicit ColourBox(QWidget* parent = nullptr);

  QLabel* titleLabel = nullptr;
  QToolButton* retainAllButton = nullptr;  // "Retain All"
  QToolButton* closeButton = nullptr;      // "X"
  CandidateList* candidateList = nullptr;
  QAction* retainAllKey = nullptr;  // Ctrl+A
  QAction* closeKey = nullptr;      // Escape

  // Sizes the box and its list for n candidates (at most 30 rows show) and shows both.
  void openFor(int n);
  // Follows the pointer from globalPos until the button that went down is released.
  void beginDrag(const QPoint& globalPos);

 signals:
  void mouseDown(Qt::MouseButton button, const QPoint& globalPos);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  static constexpr int kNarrowest = 161;

  // The title, "Retain All" and "X" are blue, lightened where the desktop's button face is
  // dark.
  void colourTitle();
  // Sizes the title row to its texts in the fonts at hand, the first time the box opens.
  void layOutTitleRow();

  bool titleRowLaidOut_ = false;
  bool dragging_ = false;
  QPoint dragOrigin_;  // pointer's screen position when the drag began
  QPoint startPos_;    // the box's position then
};

}  // namespace huesift
