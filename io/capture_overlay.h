// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QLabel>
#include <QSize>
#include <optional>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

// The capture overlay: a borderless window over the work area showing a still of the screen,
// on which the user drags the rectangle that becomes the working picture.
class CaptureOverlay : public QDialog {
  Q_OBJECT
 public:
  struct Parts {
    Services& services;
    WorkingState& state;            // the band's corners, in screen pixels of the still
    QWidget* mainWindow = nullptr;  // hidden while the still is shown
  };

  explicit CaptureOverlay(Parts parts, QWidget* parent = nullptr);

  // The screen as it was when the capture began, one still pixel per screen pixel.
  PictureControl* still = nullptr;
  // The dragged rectangle's size in screen pixels, beside the pointer while the band is held.
  QLabel* sizeLabel = nullptr;

  // What a capture took: the dragged rectangle in a white raster of the size the capture
  // began with (cut off where it does not fit), and the rectangle's size.
  struct Taken {
    Picture raster;
    QSize size;
  };

  // Arms the overlay for one modal showing that fills a raster of the given size.
  void beginCapture(QSize rasterSize);
  // After the showing: what was taken, handed over once; nothing after Escape, a close
  // command or a screen that could not be read.
  std::optional<Taken> takeResult();
  // Why the screen could not be taken, as the message to show; empty when it could.
  const QString& failure() const { return failure_; }

 public slots:
  // Escape and the close command end the capture without a picture.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private slots:
  void takeStill();
  void onStillPressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void onStillMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
  void onStillReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

 private:
  // Where one capture stands, from beginCapture() to the end of its showing.
  enum class Phase {
    Closed,        // no capture under way (also once a rectangle is taken)
    Opening,       // armed, the modal showing not yet begun
    TakingStill,   // off the screen while the screen is read
    ShowingStill,  // the still and the cross-hair are up, waiting for a press
    Dragging,      // a press anchored the band
  };
  bool capturing() const { return phase_ != Phase::Closed; }
  bool stillShown() const { return phase_ == Phase::ShowingStill || phase_ == Phase::Dragging; }

  QRect band() const;
  // The size label follows the band's moving corner.
  void showBandSize();
  // Takes the still, the band and the cross-hair away and moves on to the phase given.
  void leaveStill(Phase next);
  void endUnshown();
  // The main window back, in front and active.
  void showMainWindow();

  Parts p_;
  Phase phase_ = Phase::Closed;
  QSize rasterSize_;
  std::optional<Taken> taken_;
  QString failure_;
  // What the window manager makes of the overlay: where the desktop places windows itself,
  // the overlay covers the whole screen, and asks for that once more if the first showing
  // lost it.
  bool coversScreen_ = false;
  bool askedToCoverAgain_ = false;
};

}  // namespace huesift
