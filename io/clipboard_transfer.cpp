// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/clipboard_transfer.h"

#include <QCoreApplication>
#include <stdexcept>

#include "files/decode_picture.h"
#include "files/picture_file_io.h"
#include "files/picture_image.h"

namespace huesift {

void Paste::click() {
  // A new picture under a running Process would pull the raster from under it.
  if (p_.state.runState == RunState::Running) return;
  // The clipboard is read once at a time: a second Paste while the bytes still come would
  // only read them all again.
  if (underWay_) return;

  // Everything is read and decoded before anything changes: a paste that fails, for
  // whatever reason, leaves the picture, its size, Undo and the buttons as they were.
  std::optional<EncodedImage> offered;
  {
    underWay_ = true;
    struct Over {
      Paste& paste;
      bool shown = false;
      ~Over() {
        paste.underWay_ = false;
        if (shown) paste.p_.transitions.pasteOver();
      }
    } over{*this};
    offered = p_.services.clipboardImageBytes(ClipboardWait{.underWay = [&over, this] {
      over.shown = true;
      p_.transitions.pasteUnderWay();
    }});
  }
  if (!offered) return;
  //: The window's title names a pasted picture so: "Pasted picture - Huesift".
  const QString name = QCoreApplication::translate("huesift::Clipboard", "Pasted picture");
  p_.intake.takeDecoded(name, [&](Picture& pasted) {
    const DecodedPicture decoded = DecodePicture(offered->bytes, QByteArray(), pasted);
    if (decoded.result == DecodedPicture::Result::TooLarge) {
      p_.services.showMessage(
          p_.mainWindow,
          QCoreApplication::translate(
              "huesift::Clipboard", "The clipboard picture is %1 x %2 pixels, too large to paste.")
              .arg(decoded.size.width())
              .arg(decoded.size.height()));
      return false;
    }
    if (decoded.result != DecodedPicture::Result::Complete)
      throw std::runtime_error(
          QCoreApplication::translate("huesift::Clipboard", "Unsupported clipboard format")
              .toStdString());
    return true;
  });
}

void Paste::abandon() {
  if (underWay_) p_.services.abandonClipboardRead();
}

Picture RecordedArea(const WorkingState& state, const Picture& picture) {
  if (state.pictureWidth <= 0 || state.pictureHeight <= 0) return {};
  Picture area(state.pictureWidth, state.pictureHeight, kWhite);
  area.copyRect(picture, 0, 0, state.pictureWidth, state.pictureHeight, 0, 0);
  return area;
}

void Copy::click() {
  p_.scratch->clear();
  p_.scratch->setDisplaySize(p_.state.pictureWidth, p_.state.pictureHeight);
  p_.scratch->setPicture(RecordedArea(p_.state, p_.picture->picture()));
  const Picture& copied = p_.scratch->picture();
  // The PNG as Save writes it: the smallest exact form, by our own writer.
  QString reason;
  const QByteArray png = EncodePicture(copied, "png", reason);
  if (png.isEmpty() && !copied.empty()) throw std::runtime_error(reason.toStdString());
  p_.services.setClipboardImage(ImageFromPicture(copied), png);
}

}  // namespace huesift
