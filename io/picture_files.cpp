// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/picture_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>
#include <stdexcept>

#include "files/picture_file_io.h"
#include "io/clipboard_transfer.h"

namespace huesift {

namespace {

QString Folder(const QString& lastFile) {
  if (!lastFile.isEmpty()) return QFileInfo(lastFile).absolutePath();
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

}  // namespace

std::optional<DroppedPicture> ChooseDroppedPicture(const QList<QUrl>& urls) {
  if (urls.isEmpty()) return std::nullopt;
  for (const QUrl& url : urls)
    if (url.isLocalFile() && !url.toLocalFile().isEmpty())
      return DroppedPicture{QFile::encodeName(url.toLocalFile()), QString()};
  return DroppedPicture{
      QByteArray(),
      QCoreApplication::translate("huesift::PictureFiles",
                                  "Cannot open %1: only files on this computer can be opened")
          .arg(urls.constFirst().toDisplayString())};
}

QString PictureFiles::folder() const {
  return Folder(p_.lastFile);
}

void PictureFiles::chooseAndOpen() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString suffix = QString::fromLatin1(format);
    patterns << "*." + suffix << "*." + suffix.toUpper();
  }
  const QStringList filters = {
      QCoreApplication::translate("huesift::PictureFiles", "Pictures (%1)").arg(patterns.join(' ')),
      QCoreApplication::translate("huesift::PictureFiles", "All files (*)")};
  if (const std::optional<QString> path =
          p_.services.chooseFileToOpen(p_.window, folder(), filters))
    open(*path);
}

void PictureFiles::open(const QByteArray& path) {
  const QString name = QFile::decodeName(path);
  // The dialogs start from here next time, whether or not the picture could be taken.
  p_.lastFile = QFileInfo(name).absoluteFilePath();
  QString reason;
  // Anything but a regular file is refused before it is opened: a FIFO would block the
  // window, a device never end.
  p_.intake.takeDecoded(QFileInfo(name).fileName(), [&](Picture& picture) {
    if (!ReadPictureFile(path, Streams::Refuse, picture, reason))
      throw std::runtime_error(
          QCoreApplication::translate("huesift::PictureFiles", "Cannot open %1: %2")
              .arg(name, reason)
              .toStdString());
    return true;
  });
}

void PictureFiles::chooseAndSave() {
  const std::vector<SaveFormat> formats = SaveFormats();
  QStringList filters;
  for (const SaveFormat& f : formats) filters << f.filter;
  // Beside the last picture file and named after it, in a format Save writes.
  //: The name Save suggests for a picture that came from no file, without extension.
  QString name = QCoreApplication::translate("huesift::PictureFiles", "picture");
  QString suffix = QStringLiteral("png");
  if (!p_.lastFile.isEmpty()) {
    const QFileInfo last(p_.lastFile);
    name = last.completeBaseName();
    QString reason;
    if (std::optional<QByteArray> format = SaveFormatFor(p_.lastFile, QString(), reason);
        format && FormatOfSuffix(last.suffix()) == *format)
      suffix = last.suffix();
  }
  const QString suggested = QDir(folder()).filePath(name + '.' + suffix);
  if (const auto chosen = p_.services.chooseFileToSave(p_.window, suggested, filters))
    save(chosen->first, chosen->second);
}

void PictureFiles::save(const QString& path, const QString& filter) {
  p_.lastFile = QFileInfo(path).absoluteFilePath();
  auto fail = [&path](const QString& reason) {
    throw std::runtime_error(
        QCoreApplication::translate("huesift::PictureFiles", "Cannot save %1: %2")
            .arg(path, reason)
            .toStdString());
  };
  QString reason;
  const std::optional<QByteArray> format = SaveFormatFor(path, filter, reason);
  if (!format) fail(reason);
  // The raster is saved as it is when it is the picture; only a raster of another size than
  // the picture's is first cut or widened with white to it.
  const Picture& raster = p_.picture->picture();
  const bool asItIs =
      raster.width() == p_.state.pictureWidth && raster.height() == p_.state.pictureHeight;
  const Picture area = asItIs ? Picture() : RecordedArea(p_.state, raster);
  const Picture& saved = asItIs ? raster : area;
  if (saved.empty())
    fail(QCoreApplication::translate("huesift::PictureFiles", "there is no picture to save"));
  reason = WritePictureFile(saved, path, *format);
  if (!reason.isEmpty()) fail(reason);
}

}  // namespace huesift
