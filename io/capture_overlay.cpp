// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/capture_overlay.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <stdexcept>
#include <utility>

#include "files/picture_image.h"
#include "platform/guarded_handler.h"

namespace huesift {

CaptureOverlay::CaptureOverlay(Services& services, WorkingState& state, Targets targets,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      services_(services),
      state_(state),
      targets_(targets) {
  setObjectName("captureOverlay");
  // Never shown as a caption (the window has no frame); it names the window for the desktop.
  setWindowTitle(tr("Huesift capture"));
  setModal(true);
  still = new PictureControl(this);
  still->setObjectName("still");
  ConnectGuarded(still, &PictureControl::mouseDown, this, &CaptureOverlay::onStillPressed,
                 services_);
  ConnectGuarded(still, &PictureControl::mouseMove, this, &CaptureOverlay::onStillMoved, services_);
  ConnectGuarded(still, &PictureControl::mouseUp, this, &CaptureOverlay::onStillReleased,
                 services_);
}

void CaptureOverlay::beginCapture() {
  armed_ = true;
  activated_ = false;
  dragging_ = false;
  taken_ = false;
  stillShown_ = false;
  failure_.clear();
  still->clearOutlines();
  // The modal showing begins off the screen: the overlay has nothing to show until the still
  // is taken, and a window shown and at once hidden again races the window manager, which
  // may map it after all.
  setAttribute(Qt::WA_DontShowOnScreen, true);
}

void CaptureOverlay::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The still is taken once per capture, from inside the modal showing; re-showing the
  // overlay after the still does not take another.
  if (armed_ && !activated_) {
    activated_ = true;
    QTimer::singleShot(0, this, [this] { RunGuarded(services_, this, [this] { takeStill(); }); });
  }
}

void CaptureOverlay::takeStill() {
  if (!armed_ || !isVisible()) return;
  QWidget* main = targets_.mainWindow;
  // The still comes from the screen that holds the main window, which the overlay covers:
  // its work area, or all of it where the overlay is shown full-screen. The screen is asked
  // for while the main window is shown: a hidden window's screen on Wayland is Qt's first.
  QScreen* screen = main ? main->screen() : nullptr;
  fullScreen_ = services_.placesWindowsItself();
  const QRect area = fullScreen_ && screen ? screen->geometry() : services_.workArea(main);
  fullScreenAskedAgain_ = false;
  // Full-screen too: Qt places a dialog on the screen its geometry lies on.
  setGeometry(area);

  // QDialog::setVisible(false) would end the modal showing; only the window goes away here,
  // to come back on the screen with the still.
  QWidget::setVisible(false);
  if (main) main->hide();
  // Let the display server take the main window off before the pause, so the windows below
  // have the pause to repaint.
  QGuiApplication::sync();
  services_.sleepMs(300);

  // Whatever goes wrong from here on ends the showing with the message: the windows are off
  // the screen, and a failure left to the event loop would leave them there.
  try {
    const QImage screen = services_.grabScreen(main, area);
    if (screen.isNull()) throw std::runtime_error(tr("the screen cannot be read").toStdString());
    // One still pixel per screen pixel, lined up with the screen: the pixel under the
    // pointer is the pixel taken, wherever the work area begins and whatever the scale.
    still->move(0, 0);
    still->setPicture(PictureFromImage(screen));
    still->setDisplaySize(screen.size());
  } catch (const std::exception& error) {
    failure_ = tr("Screen capture is not available: %1").arg(QString::fromUtf8(error.what()));
    endUnshown();
    return;
  }

  // Where the desktop places windows itself, the overlay asks to cover the screen instead.
  if (fullScreen_) {
    // The widget's own screen: a window shown with a parent otherwise takes the parent's,
    // and the hidden main window's is Qt's first on Wayland.
    if (screen) setScreen(screen);
    setWindowState(windowState() | Qt::WindowFullScreen);
  }
  setAttribute(Qt::WA_DontShowOnScreen, false);
  QWidget::setVisible(true);
  stillShown_ = true;
  raise();
  activateWindow();
  if (!crossHair_) QApplication::setOverrideCursor(Qt::CrossCursor);
  crossHair_ = true;
}

// QDialog ends its modal showing only when it goes from shown to hidden, and the overlay is
// hidden while the still is taken: it is shown again, still off the screen, to be closed.
void CaptureOverlay::endUnshown() {
  setAttribute(Qt::WA_DontShowOnScreen, true);
  QWidget::setVisible(true);
  reject();
  setAttribute(Qt::WA_DontShowOnScreen, false);
}

void CaptureOverlay::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // A window manager may map the overlay without the full-screen state it was shown with
  // (sway's, for X11 programs, now and then); asked once more on the shown window, it takes
  // it. Once only: a window manager that refuses is not asked forever.
  if (event->type() == QEvent::WindowStateChange && fullScreen_ && stillShown_ &&
      !fullScreenAskedAgain_ && !(windowState() & Qt::WindowFullScreen)) {
    fullScreenAskedAgain_ = true;
    setWindowState(windowState() | Qt::WindowFullScreen);
  }
}

QRect CaptureOverlay::band() const {
  return QRect(QPoint(state_.bandStartX, state_.bandStartY),
               QPoint(state_.bandEndX, state_.bandEndY));
}

void CaptureOverlay::onStillPressed(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
  if (!armed_) return;
  // A second button pressed during a drag anchors the band anew; the old outline goes.
  if (dragging_ && band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  state_.bandStartX = x;
  state_.bandStartY = y;
  state_.bandEndX = x;
  state_.bandEndY = y;
  if (!dragging_) services_.raisePriority();
  dragging_ = true;
}

void CaptureOverlay::onStillMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  if (!dragging_ || !(buttons & Qt::LeftButton)) return;
  // A band with both corners on one point draws nothing, so it is not toggled either.
  if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  state_.bandEndX = x;
  state_.bandEndY = y;
  if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
}

void CaptureOverlay::endDrag() {
  // The showing is ending: the main window comes back, and the desktop may take the overlay
  // out of full screen for it.
  stillShown_ = false;
  if (dragging_) {
    services_.restorePriority();
    if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  }
  dragging_ = false;
  if (crossHair_) QApplication::restoreOverrideCursor();
  crossHair_ = false;
}

void CaptureOverlay::onStillReleased(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (!armed_ || !dragging_) return;
  if (state_.bandStartX > state_.bandEndX) std::swap(state_.bandStartX, state_.bandEndX);
  if (state_.bandStartY > state_.bandEndY) std::swap(state_.bandStartY, state_.bandEndY);
  const int width = state_.bandEndX - state_.bandStartX;
  const int height = state_.bandEndY - state_.bandStartY;

  // The working picture has no raster now: this creates a white one of the control's size
  // and the part of the rectangle that does not fit is cut off.
  PictureControl* picture = targets_.picture;
  picture->canvas().copyRect(still->picture(), state_.bandStartX, state_.bandStartY, width, height,
                             0, 0);
  picture->setDisplaySize(width, height);
  picture->changed();

  endDrag();
  taken_ = true;
  armed_ = false;
  if (targets_.mainWindow) targets_.mainWindow->show();
  accept();
}

void CaptureOverlay::reject() {
  if (armed_ && !taken_) {
    endDrag();
    if (targets_.mainWindow) targets_.mainWindow->show();
  }
  armed_ = false;
  QDialog::reject();
}

}  // namespace huesift
