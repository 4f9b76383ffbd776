// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/capture.h"

#include <QCoreApplication>

namespace huesift {

void Capture::click() {
  p_.transitions.dismissColourBox();
  // The raster a capture fills has the work area's size less the window's chrome, counted in
  // screen pixels as the picture is.
  p_.overlay.beginCapture(QSize(p_.state.workAreaWidth - 6, p_.state.workAreaHeight - 56));
  p_.services.execModal(&p_.overlay);

  std::optional<CaptureOverlay::Taken> taken = p_.overlay.takeResult();
  if (!taken) {
    p_.overlay.reject();  // makes sure the main window is back whatever ended the showing
    if (!p_.overlay.failure().isEmpty())
      p_.services.showMessage(p_.mainWindow, p_.overlay.failure());
    return;
  }
  const QSize size = taken->size;
  //: The window's title names a captured picture so: "Captured picture - Huesift".
  p_.intake.take(std::move(taken->raster), size,
                 QCoreApplication::translate("huesift::Capture", "Captured picture"));
  // Undo was withdrawn as the picture came; the copy it kept of the picture before goes too.
  p_.undoPicture->clear();
  p_.undoPicture->setDisplaySize(size);
}

}  // namespace huesift
