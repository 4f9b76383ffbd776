// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include "engine/working_state.h"
#include "io/clipboard_transfer.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

// Picture files in the main window: "Open Picture...", a file dropped or named on the command
// line, and "Save Picture As...". lastFile is what the dialogs remember within the session:
// the last picture file opened or saved. Reading and writing the files themselves is
// platform/picture_file_io's, which the batch mode shares.
class PictureFiles {
 public:
  PictureFiles(const WorkingState& state, Services& services, QWidget* window,
               const PictureControl& picture, QString& lastFile)
      : state_(state),
        services_(services),
        window_(window),
        picture_(picture),
        lastFile_(lastFile) {}

  // Asks for a picture file and opens it into paste; nothing when the dialog is cancelled.
  void chooseAndOpen(Paste& paste);
  // The file becomes the working picture exactly as a pasted picture would. Throws
  // std::runtime_error "Cannot open PATH: reason" and changes nothing else when it cannot.
  void open(const QString& path, Paste& paste);

  // Asks where to save, then saves; nothing when the dialog is cancelled.
  void chooseAndSave();
  // Writes the area Copy would put on the clipboard. Throws std::runtime_error
  // "Cannot save PATH: reason" when it cannot; an existing file is then as it was.
  void save(const QString& path, const QString& filter);

  // Where the dialogs open: beside the last picture file, else the user's pictures folder.
  QString folder() const;

 private:
  const WorkingState& state_;
  Services& services_;
  QWidget* window_;
  const PictureControl& picture_;
  QString& lastFile_;
};

}  // namespace huesift
