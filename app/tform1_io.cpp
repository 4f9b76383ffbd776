// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's capture, clipboard, file and print handlers, forwarded to the io classes.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/tform1.h"
#include "io/capture.h"
#include "io/clipboard_transfer.h"
#include "io/picture_files.h"
#include "io/printing.h"
#include "platform/guarded_handler.h"

namespace huesift {

namespace {

Capture CaptureOf(TForm1& f, TForm2& overlay) {
  return Capture(f.state, f.services, overlay,
                 {&f, f.Image1, f.Image5, f.SpeedButton2, f.SpeedButton1, f.SpeedButton4,
                  f.SpeedButton11, f.SpeedButton12, [&f] { f.DismissColourBox(); }});
}

Paste PasteOf(TForm1& f) {
  return Paste(f.state, f.services,
               {&f, f.Image1, f.SpeedButton1, f.SpeedButton3, f.SpeedButton4, f.SpeedButton5,
                f.SpeedButton11, f.SpeedButton12, [&f] { f.DismissColourBox(); }});
}

PictureFiles FilesOf(TForm1& f) {
  return PictureFiles(f.state, f.services, &f, *f.Image1, f.lastPictureFile);
}

Print PrintOf(TForm1& f) {
  return Print(f.state, f.services,
               {&f, f.Image1, f.SpeedButton3, f.SpeedButton1, f.SpeedButton4, f.Print13Size1,
                [&f] { f.DismissColourBox(); }});
}

}  // namespace

void TForm1::SpeedButton2Click() {
  if (refusedWhileBusy(SpeedButton2)) return;
  if (form2_) withWindowOpen([this] { CaptureOf(*this, *form2_).click(); });
}

void TForm1::SpeedButton2MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu4, SpeedButton2, 9);
}

void TForm1::Paste2Click() {
  // A paste under a run, or inside a capture or the help window, is not taken.
  if (busy()) return;
  PasteOf(*this).click();
}

void TForm1::OpenPicture1Click() {
  // The same gate as Paste: a file is one more way to paste a picture.
  if (busy()) return;
  withWindowOpen([this] {
    Paste paste = PasteOf(*this);
    FilesOf(*this).chooseAndOpen(paste);
  });
}

void TForm1::SavePictureAs1Click() {
  // As Copy: only over a picture while no run is going.
  if (state.runState != 0 || busy()) return;
  withWindowOpen([this] { FilesOf(*this).chooseAndSave(); });
}

void TForm1::openPictureFileLater(const QString& path) {
  QTimer::singleShot(0, this, [this, path] {
    RunGuarded(services, this, [&] {
      if (busy()) return;
      Paste paste = PasteOf(*this);
      FilesOf(*this).open(path, paste);
    });
  });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  // Anything with addresses may be dropped: a file is opened, anything else is answered
  // with a message. Nothing is taken while the window is busy.
  if (!busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
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

void TForm1::Paste1Click() {
  // The picture's menu opens only over a picture while no run is going; Ctrl+C keeps to the
  // same, so it never empties the clipboard for want of a picture.
  if (state.runState != 0) return;
  Copy(state, services, *Image1, *Image4).click();
}

void TForm1::SpeedButton3Click() {
  if (refusedWhileBusy(SpeedButton3)) return;
  PrintOf(*this).click();
}

void TForm1::SpeedButton3MouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) popupButtonMenu(PopupMenu5, SpeedButton3, 15);
}

void TForm1::Print13Size1Click() {
  PrintOf(*this).toggleSmallSize();
}

}  // namespace huesift
