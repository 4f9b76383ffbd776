// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "engine/picture.h"
#include "files/decode_picture.h"
#include "files/file_access.h"

// Picture files read and written without a window: the main window's Open and Save and the
// batch mode go through these.
namespace huesift {

// The largest file read as a picture. The largest picture taken (256 MiB as 32-bit pixels)
// fits in it even uncompressed; a bigger file, or a device that never ends, is refused
// before it can fill the memory.
inline constexpr qint64 kMaxPictureFileBytes = qint64{512} * 1024 * 1024;

// Reads a picture file and decodes it completely, by the rules a pasted picture follows, into
// picture's own memory (reused when large enough). The name is bytes, as the shell gives it.
// On failure, false, picture unspecified, and the reason phrased to follow the file's name
// ("No such file or directory", "not a regular file", "the picture is 40000 x 10 pixels, too
// large").
bool ReadPictureFile(const QByteArray& path, Streams streams, Picture& picture, QString& reason);
// The bytes of a picture file (read from standard input, say) decoded as ReadPictureFile does
// (the batch mode keeps one raster per thread); name, when there is one, gives the format that
// bytes without a signature (TGA) are in.
bool DecodePictureFileBytesInto(const QByteArray& bytes, Picture& picture, QString& reason,
                                const QByteArray& name = {});
// The same with the bytes' probe already made (the batch mode budgets its memory by it).
bool DecodePictureFileBytesInto(const QByteArray& bytes, const PictureProbe& probe,
                                Picture& picture, QString& reason, const QByteArray& name);

// A format Save writes: Qt's name for it and the dialog's filter ("PNG picture (*.png)").
struct SaveFormat {
  QByteArray name;
  QString filter;
};

// The formats that keep every pixel exactly and that Qt can write here, PNG first: each one
// offered only once a two-colour, a palette and a full-colour picture written in it have
// read back identical.
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

// The bytes of the picture in format's file, in its smallest form that reads back pixel for
// pixel (CompactImage's); empty, with the reason, when the format cannot be written.
QByteArray EncodePicture(const Picture& picture, const QByteArray& format, QString& reason);

// Writes image to path in format, to a temporary file beside its target that replaces the
// target only when complete, so an existing file is never left half-written nor written into
// (ReplaceFileBytes). The reason on failure, else empty.
QString WritePictureFile(const Picture& picture, const QByteArray& path, const QByteArray& format,
                         Links links);
// The window's Save: a name from the dialog, a link followed as the user chose it.
QString WritePictureFile(const Picture& picture, const QString& path, const QByteArray& format);

}  // namespace huesift
