// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <optional>

#include "engine/working_state.h"
#include "io/picture_intake.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

// What a drop of addresses on the window opens: the first file on this computer (the window
// holds one picture), or, without one, why nothing is opened.
struct DroppedPicture {
  QByteArray file;  // as bytes, as a name given on the command line is
  QString refusal;  // the message when there is no file
};
// Nothing for a drop without addresses.
std::optional<DroppedPicture> ChooseDroppedPicture(const QList<QUrl>& urls);

// Picture files in the main window: "Open Picture...", a file dropped or named on the command
// line, and "Save Picture As...". Reading and writing the files themselves is
// files/picture_file_io's, which the batch mode shares.
class PictureFiles {
 public:
  struct Parts {
    const WorkingState& state;
    Services& services;
    PictureIntake& intake;
    // What the dialogs remember within the session: the last picture file opened or saved.
    QString& lastFile;
    QWidget* window = nullptr;
    const PictureControl* picture = nullptr;
  };

  explicit PictureFiles(Parts parts) : p_(parts) {}

  // Asks for a picture file and opens it; nothing when the dialog is cancelled.
  void chooseAndOpen();
  // The file becomes the working picture exactly as a pasted picture would. Throws
  // std::runtime_error "Cannot open PATH: reason" and changes nothing else when it cannot.
  // The name is bytes, as the shell gives it (the command line); a name from a dialog or a
  // drop is turned into them.
  void open(const QByteArray& path);
  void open(const QString& path) { open(QFile::encodeName(path)); }

  // Asks where to save, then saves; nothing when the dialog is cancelled.
  void chooseAndSave();
  // Writes the area Copy would put on the clipboard. Throws std::runtime_error
  // "Cannot save PATH: reason" when it cannot; an existing file is then as it was.
  void save(const QString& path, const QString& filter);

  // Where the dialogs open: beside the last picture file, else the user's pictures folder.
  QString folder() const;

 private:
  Parts p_;
};

}  // namespace huesift
