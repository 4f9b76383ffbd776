// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace huesift {

// The main window's enabled states change in these few ways only, each in one function of
// the window. The subsystems below the window (capture, paste, the tools, a Process run) ask
// for a change by name instead of enabling or disabling the window's buttons themselves.
class WindowStates {
 public:
  // A new picture is about to replace the working one: the tool toggles go up, Undo is
  // withdrawn, the colour box closes and the default cursor returns.
  virtual void pictureComing() = 0;
  // A new picture is in place: the tools that need a picture are usable when it has rows,
  // Reverse Process always. The window is named after the picture ("shot.png").
  virtual void pictureArrived(bool hasRows, const QString& name) = 0;
  // Undo can bring back the copy taken before the last change of the picture.
  virtual void undoOffered() = 0;
  // There is nothing Undo should bring back.
  virtual void undoWithdrawn() = 0;
  // A Process run begins: the tool toggles go up, Stop and nothing else of the run's
  // controls is usable, Undo is withdrawn, the colour box closes, the default cursor returns.
  virtual void runStarted() = 0;
  // Stop was pressed: it stays down until the run has returned, the list is usable again.
  virtual void runStopped() = 0;
  // The run has returned: Stop is up and unusable again, the list usable, and Undo offered
  // when the run walked a picture.
  virtual void runFinished(bool undoable) = 0;
  // A paste waits for the clipboard's bytes with the window taking input: Stop (and Escape)
  // abandon it, and the window shows that it waits.
  virtual void pasteUnderWay() = 0;
  // The paste's wait is over, however it ended.
  virtual void pasteOver() = 0;
  // The colour box closes and forgets its candidates.
  virtual void dismissColourBox() = 0;

 protected:
  ~WindowStates() = default;
};

}  // namespace huesift
