// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

// The capture overlay: a borderless window over the work area showing a still of the screen,
// on which the user drags the rectangle that becomes the working picture.
class CaptureOverlay : public QDialog {
  Q_OBJECT
 public:
  // The main window, hidden while the still is shown, and the picture a drag fills.
  struct Targets {
    QWidget* mainWindow = nullptr;
    PictureControl* picture = nullptr;  // the working picture
  };

  CaptureOverlay(Services& services, WorkingState& state, Targets targets,
                 QWidget* parent = nullptr);

  // The screen as it was when the capture began, one still pixel per screen pixel.
  PictureControl* still = nullptr;

  // Arms the overlay for one modal showing; captureTaken() tells afterwards whether a
  // rectangle was taken (false after Escape, a close command or a failed screen grab).
  void beginCapture();
  bool captureTaken() const { return taken_; }
  // Why the screen could not be taken, as the message to show; empty when it could.
  const QString& failure() const { return failure_; }

 public slots:
  void takeStill();
  void onStillPressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void onStillMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void onStillReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  // Escape and the close command end the capture without a picture.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QRect band() const;
  void endDrag();
  void endUnshown();

  Services& services_;
  WorkingState& state_;
  Targets targets_;
  bool armed_ = false;      // between beginCapture() and the end of the showing
  bool activated_ = false;  // takeStill ran for this showing
  bool dragging_ = false;   // a press anchored the band and no release came yet
  bool taken_ = false;
  bool crossHair_ = false;  // our override cursor is set
  QString failure_;
  bool fullScreen_ = false;  // this showing covers the screen, not the work area
  bool stillShown_ = false;  // on the screen with the still, until the showing ends
  bool fullScreenAskedAgain_ = false;
};

}  // namespace huesift
