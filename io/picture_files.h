// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "engine/picture.h"
#include "engine/working_state.h"
#include "io/clipboard_transfer.h"
#include "platform/picture_control.h"
#include "platform/services.h"

namespace huesift {

// The largest file read as a picture. The largest picture taken (256 MiB as 32-bit pixels)
// fits in it even uncompressed; a bigger file, or a device that never ends, is refused
// before it can fill the memory.
inline constexpr qint64 kMaxPictureFileBytes = qint64{512} * 1024 * 1024;

// Reads a picture file and decodes it completely, by the rules a pasted picture follows.
// On failure, nothing, and the reason phrased to follow the file's name ("No such file or
// directory", "the picture is 40000 x 10 pixels, too large").
std::optional<Picture> ReadPictureFile(const QString& path, QString& reason);

// A format Save writes: Qt's name for it and the dialog's filter ("PNG picture (*.png)").
struct SaveFormat {
  QByteArray name;
  QString filter;
};

// The formats that keep every pixel exactly and that Qt can write here, PNG first.
std::vector<SaveFormat> SaveFormats();

// The format a picture is saved in: the one its extension names, else the one of the chosen
// filter, else PNG. Nothing when the extension names a format that does not keep every
// colour (JPEG, ...), with the reason.
std::optional<QByteArray> SaveFormatFor(const QString& path, const QString& filter,
                                        QString& reason);

// The smallest exact form of a picture for a file: one bit per pixel for two colours, a
// palette for up to 256, 32-bit colour beyond.
QImage CompactImage(const Picture& picture);

// Writes image to path in format, to a temporary file beside it that replaces path only when
// complete, so an existing file is never left half-written. The reason on failure, else empty.
QString WritePictureFile(const QImage& image, const QString& path, const QByteArray& format);

// Picture files in the main window: "Open Picture...", a file dropped or named on the command
// line, and "Save Picture As...".
class PictureFiles {
 public:
  struct Parts {
    const WorkingState& state;
    Services& services;
    Paste& paste;  // an opened file becomes the picture as a pasted one does
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
  void open(const QString& path);

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
