// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "engine/picture.h"

// Picture files read and written without a window: the main window's Open and Save and the
// batch mode go through these.
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

// Qt's format name for a file name extension, lower case ("jpeg" for "JPG" too).
QByteArray FormatOfSuffix(const QString& suffix);

// The smallest exact form of a picture for a file: one bit per pixel for two colours, a
// palette for up to 256, 32-bit colour beyond.
QImage CompactImage(const Picture& picture);

// Writes image to path in format, to a temporary file beside it that replaces path only when
// complete, so an existing file is never left half-written. The reason on failure, else empty.
QString WritePictureFile(const QImage& image, const QString& path, const QByteArray& format);

}  // namespace huesift
