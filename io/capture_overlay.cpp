// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/capture_overlay.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "files/picture_image.h"
#include "platform/guarded_handler.h"
#include "platform/screen_ratio.h"
#include "platform/window_activation.h"

namespace huesift {

CaptureOverlay::CaptureOverlay(Parts parts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), p_(parts) {
  setObjectName("captureOverlay");
  // Never shown as a caption (the window has no frame); it names the window for the desktop.
  setWindowTitle(tr("Huesift capture"));
  setModal(true);
  still = new PictureControl(this);
  still->setObjectName("still");
  sizeLabel = new QLabel(this);
  sizeLabel->setObjectName("sizeLabel");
  // Legible over any screen content: light text on a dark plate, whatever the colour scheme.
  sizeLabel->setStyleSheet(
      QStringLiteral("QLabel { background: rgba(0, 0, 0, 190); color: white; padding: 2px 5px; }"));
  sizeLabel->hide();
  ConnectGuarded(still, &PictureControl::mouseDown, this, &CaptureOverlay::onStillPressed,
                 p_.services);
  ConnectGuarded(still, &PictureControl::mouseMove, this, &CaptureOverlay::onStillMoved,
                 p_.services);
  ConnectGuarded(still, &PictureControl::mouseUp, this, &CaptureOverlay::onStillReleased,
                 p_.services);
}

void CaptureOverlay::beginCapture(QSize rasterSize) {
  phase_ = Phase::Opening;
  rasterSize_ = rasterSize;
  taken_.reset();
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
  if (phase_ == Phase::Opening) {
    phase_ = Phase::TakingStill;
    QTimer::singleShot(0, this, [this] { RunGuarded(p_.services, this, [this] { takeStill(); }); });
  }
}

void CaptureOverlay::takeStill() {
  if (phase_ != Phase::TakingStill || !isVisible()) return;
  QWidget* main = p_.mainWindow;
  // The still comes from the screen that holds the main window, which the overlay covers:
  // its work area, or all of it where the overlay is shown full-screen. The screen is asked
  // for while the main window is shown: a hidden window's screen on Wayland is Qt's first.
  QScreen* screen = main ? main->screen() : nullptr;
  coversScreen_ = p_.services.placesWindowsItself();
  const QRect area =
      coversScreen_ && screen ? LogicalScreen(screen).logical : p_.services.workArea(main);
  askedToCoverAgain_ = false;
  // The desktop's question whether we may take screenshots at all is put, and answered, with
  // our windows up: with them hidden, the user would be kept waiting for a capture behind a
  // question, and the still taken as the question fades.
  if (const std::optional<QString> refused = p_.services.screenshotPermission(main)) {
    if (!refused->isEmpty()) failure_ = tr("Screen capture is not available: %1").arg(*refused);
    endUnshown();
    return;
  }
  // Full-screen too: Qt places a dialog on the screen its geometry lies on.
  setGeometry(area);

  // QDialog::setVisible(false) would end the modal showing; only the window goes away here,
  // to come back on the screen with the still.
  QWidget::setVisible(false);
  if (main) main->hide();
  // Let the display server take the main window off before the pause, so the windows below
  // have the pause to repaint.
  QGuiApplication::sync();
  p_.services.sleepMs(300);

  // Whatever goes wrong from here on ends the showing with the message: the windows are off
  // the screen, and a failure left to the event loop would leave them there.
  try {
    const QImage screen = p_.services.grabScreen(main, area);
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
  if (coversScreen_) {
    // The widget's own screen: a window shown with a parent otherwise takes the parent's,
    // and the hidden main window's is Qt's first on Wayland.
    if (screen) setScreen(screen);
    setWindowState(windowState() | Qt::WindowFullScreen);
  }
  setAttribute(Qt::WA_DontShowOnScreen, false);
  QWidget::setVisible(true);
  phase_ = Phase::ShowingStill;
  BringToFront(this);
  QApplication::setOverrideCursor(Qt::CrossCursor);
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
  if (event->type() == QEvent::WindowStateChange && coversScreen_ && stillShown() &&
      !askedToCoverAgain_ && !(windowState() & Qt::WindowFullScreen)) {
    askedToCoverAgain_ = true;
    setWindowState(windowState() | Qt::WindowFullScreen);
  }
}

QRect CaptureOverlay::band() const {
  return QRect(QPoint(p_.state.bandStartX, p_.state.bandStartY),
               QPoint(p_.state.bandEndX, p_.state.bandEndY));
}

void CaptureOverlay::onStillPressed(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
  if (!stillShown()) return;
  // A second button pressed during a drag anchors the band anew; the old outline goes.
  const bool dragging = phase_ == Phase::Dragging;
  if (dragging && band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  p_.state.bandStartX = x;
  p_.state.bandStartY = y;
  p_.state.bandEndX = x;
  p_.state.bandEndY = y;
  if (!dragging) p_.services.raisePriority();
  phase_ = Phase::Dragging;
  showBandSize();
}

void CaptureOverlay::showBandSize() {
  const int across = std::abs(p_.state.bandEndX - p_.state.bandStartX);
  const int down = std::abs(p_.state.bandEndY - p_.state.bandStartY);
  //: The size of the rectangle being dragged over the screen, in pixels: width x height.
  sizeLabel->setText(tr("%1 x %2").arg(across).arg(down));
  sizeLabel->adjustSize();
  // Below and right of the pointer, as far as the overlay lets it.
  const QPoint corner(p_.state.bandEndX, p_.state.bandEndY);
  QPoint at = still->mapTo(this, still->positionOf(corner).toPoint()) + QPoint(16, 16);
  at.setX(std::clamp(at.x(), 0, std::max(0, width() - sizeLabel->width())));
  at.setY(std::clamp(at.y(), 0, std::max(0, height() - sizeLabel->height())));
  sizeLabel->move(at);
  sizeLabel->raise();
  sizeLabel->show();
}

void CaptureOverlay::onStillMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  if (phase_ != Phase::Dragging || !(buttons & Qt::LeftButton)) return;
  // A band with both corners on one point draws nothing, so it is not toggled either.
  if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  p_.state.bandEndX = x;
  p_.state.bandEndY = y;
  if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  showBandSize();
}

void CaptureOverlay::leaveStill(Phase next) {
  // The phase changes first: the showing is ending, the main window comes back, and the
  // desktop may take the overlay out of full screen for it.
  const Phase was = std::exchange(phase_, next);
  sizeLabel->hide();
  if (was == Phase::Dragging) {
    p_.services.restorePriority();
    if (band().topLeft() != band().bottomRight()) still->toggleOutline(band());
  }
  if (was == Phase::ShowingStill || was == Phase::Dragging) QApplication::restoreOverrideCursor();
}

void CaptureOverlay::onStillReleased(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (phase_ != Phase::Dragging) return;
  if (p_.state.bandStartX > p_.state.bandEndX) std::swap(p_.state.bandStartX, p_.state.bandEndX);
  if (p_.state.bandStartY > p_.state.bandEndY) std::swap(p_.state.bandStartY, p_.state.bandEndY);
  const int width = p_.state.bandEndX - p_.state.bandStartX;
  const int height = p_.state.bandEndY - p_.state.bandStartY;

  // White where the rectangle does not reach; what does not fit is cut off.
  Picture raster(rasterSize_.width(), rasterSize_.height(), kWhite);
  raster.copyRect(still->picture(), p_.state.bandStartX, p_.state.bandStartY, width, height, 0, 0);
  taken_ = Taken{std::move(raster), QSize(width, height)};

  leaveStill(Phase::Closed);
  showMainWindow();
  accept();
}

void CaptureOverlay::showMainWindow() {
  if (!p_.mainWindow) return;
  p_.mainWindow->show();
  BringToFront(p_.mainWindow);
}

std::optional<CaptureOverlay::Taken> CaptureOverlay::takeResult() {
  return std::exchange(taken_, std::nullopt);
}

void CaptureOverlay::reject() {
  if (capturing()) {
    leaveStill(Phase::Closed);
    showMainWindow();
  }
  QDialog::reject();
}

}  // namespace huesift
