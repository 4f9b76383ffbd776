// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's capture, clipboard, file and print handlers, forwarded to the io classes.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include "app/main_window.h"
#include "io/capture.h"
#include "io/clipboard_transfer.h"
#include "io/picture_files.h"
#include "io/printing.h"
#include "platform/guarded_handler.h"

namespace huesift {

void MainWindow::onCaptureClicked() {
  if (refusedWhileBusy(captureButton)) return;
  withWindowOpen([this] { capture_->click(); });
}

void MainWindow::onCaptureButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(captureMenu, captureButton, 9);
}

void MainWindow::onPaste() {
  // A paste under a run, or inside a capture or the help window, is not taken.
  if (busy()) return;
  paste_->click();
}

void MainWindow::onOpenPicture() {
  // The same gate as Paste: a file is one more way to paste a picture.
  if (busy()) return;
  withWindowOpen([this] { files_->chooseAndOpen(); });
}

void MainWindow::onSavePictureAs() {
  // As Copy: only over a picture while no run is going.
  if (state.runState != RunState::Idle || busy()) return;
  withWindowOpen([this] { files_->chooseAndSave(); });
}

void MainWindow::openPictureFileLater(const QByteArray& path) {
  QTimer::singleShot(0, this, [this, path] {
    RunGuarded(services, this, [&] {
      if (busy()) return;
      files_->open(path);
    });
  });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  // Anything with addresses may be dropped: a file is opened, anything else is answered
  // with a message. Nothing is taken while the window is busy.
  if (!busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (busy() || !event->mimeData()->hasUrls()) return;
  const std::optional<DroppedPicture> dropped = ChooseDroppedPicture(event->mimeData()->urls());
  if (!dropped) return;
  event->acceptProposedAction();
  if (!dropped->file.isEmpty()) return openPictureFileLater(dropped->file);
  // Answered after the drop is over: the program it came from waits until then.
  QTimer::singleShot(0, this,
                     [this, refusal = dropped->refusal] { services.showMessage(this, refusal); });
}

void MainWindow::onCopy() {
  // The picture's menu opens only over a picture while no run is going; Ctrl+C keeps to the
  // same, so it never empties the clipboard for want of a picture.
  if (state.runState != RunState::Idle) return;
  copy_->click();
}

void MainWindow::onPrintClicked() {
  if (refusedWhileBusy(printButton)) return;
  print_->click();
}

void MainWindow::onPrintButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(printMenu, printButton, 15);
}

}  // namespace huesift
