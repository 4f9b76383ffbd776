// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's capture, clipboard, file and print handlers, forwarded to the io classes.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/main_window.h"
#include "io/capture.h"
#include "io/clipboard_transfer.h"
#include "io/picture_files.h"
#include "io/printing.h"
#include "platform/guarded_handler.h"

namespace huesift {

namespace {

Capture CaptureOf(MainWindow& f, CaptureOverlay& overlay) {
  return Capture(f.state, f.services, overlay,
                 {&f, f.picture, f.undoPicture, f.captureButton, f.addColourButton, f.fillButton,
                  f.undoButton, f.reverseButton, [&f] { f.dismissColourBox(); }});
}

Paste PasteOf(MainWindow& f) {
  return Paste(f.state, f.services,
               {&f, f.picture, f.addColourButton, f.printButton, f.fillButton, f.processButton,
                f.undoButton, f.reverseButton, [&f] { f.dismissColourBox(); }});
}

PictureFiles FilesOf(MainWindow& f) {
  return PictureFiles(f.state, f.services, &f, *f.picture, f.lastPictureFile);
}

Print PrintOf(MainWindow& f) {
  return Print(f.state, f.services,
               {&f, f.picture, f.printButton, f.addColourButton, f.fillButton, f.smallPrintAction,
                [&f] { f.dismissColourBox(); }});
}

}  // namespace

void MainWindow::onCaptureClicked() {
  if (refusedWhileBusy(captureButton)) return;
  if (overlay_) withWindowOpen([this] { CaptureOf(*this, *overlay_).click(); });
}

void MainWindow::onCaptureButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(captureMenu, captureButton, 9);
}

void MainWindow::onPaste() {
  // A paste under a run, or inside a capture or the help window, is not taken.
  if (busy()) return;
  PasteOf(*this).click();
}

void MainWindow::onOpenPicture() {
  // The same gate as Paste: a file is one more way to paste a picture.
  if (busy()) return;
  withWindowOpen([this] {
    Paste paste = PasteOf(*this);
    FilesOf(*this).chooseAndOpen(paste);
  });
}

void MainWindow::onSavePictureAs() {
  // As Copy: only over a picture while no run is going.
  if (state.runState != 0 || busy()) return;
  withWindowOpen([this] { FilesOf(*this).chooseAndSave(); });
}

void MainWindow::openPictureFileLater(const QString& path) {
  QTimer::singleShot(0, this, [this, path] {
    RunGuarded(services, this, [&] {
      if (busy()) return;
      Paste paste = PasteOf(*this);
      FilesOf(*this).open(path, paste);
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
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) return;
  const auto local = std::find_if(urls.begin(), urls.end(), [](const QUrl& u) {
    return u.isLocalFile() && !u.toLocalFile().isEmpty();
  });
  event->acceptProposedAction();
  if (local != urls.end()) {
    // The first file only: the window holds one picture.
    openPictureFileLater(local->toLocalFile());
    return;
  }
  const QString address = urls.constFirst().toDisplayString();
  // Answered after the drop is over: the program it came from waits until then.
  QTimer::singleShot(0, this, [this, address] {
    services.showMessage(
        this,
        QStringLiteral("Cannot open %1: only files on this computer can be opened").arg(address));
  });
}

void MainWindow::onCopy() {
  // The picture's menu opens only over a picture while no run is going; Ctrl+C keeps to the
  // same, so it never empties the clipboard for want of a picture.
  if (state.runState != 0) return;
  Copy(state, services, *picture, *copyScratch).click();
}

void MainWindow::onPrintClicked() {
  if (refusedWhileBusy(printButton)) return;
  PrintOf(*this).click();
}

void MainWindow::onPrintButtonPressed(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(printMenu, printButton, 15);
}

void MainWindow::onSmallPrintToggled() {
  PrintOf(*this).toggleSmallSize();
}

}  // namespace huesift
