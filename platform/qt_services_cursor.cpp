// SPDX-License-Identifier: GPL-3.0-or-later
// Tool cursors: Windows cursor files read from the working directory or from where the
// program is installed. Qt can draw a cursor from a picture but knows nothing of the file's
// hotspot, so the file is read here, every size and offset checked against its length before
// anything in it is trusted.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <system_error>

#include "engine/cursor_file.h"
#include "platform/qt_services.h"

namespace huesift {
namespace {

std::optional<QCursor> LoadCursorFrom(const QString& fileName) {
  std::error_code error;
  const std::filesystem::path path(fileName.toStdString());
  if (!std::filesystem::is_regular_file(path, error) || error) return std::nullopt;
  if (std::filesystem::file_size(path, error) > kMaxCursorFileBytes || error) return std::nullopt;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // The size was checked before opening; reading one byte more notices a file that grew.
  const QByteArray bytes = file.read(kMaxCursorFileBytes + 1);
  const auto cursor = ReadCursorFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               static_cast<std::size_t>(bytes.size())));
  if (!cursor) return std::nullopt;

  QImage image;
  if (!cursor->png.empty()) {
    image.loadFromData(cursor->png.data(), static_cast<int>(cursor->png.size()), "PNG");
    if (image.size() != QSize(cursor->width, cursor->height)) return std::nullopt;
  } else {
    image = QImage(cursor->width, cursor->height, QImage::Format_ARGB32);
    for (int y = 0; y < cursor->height; ++y)
      std::copy_n(cursor->argb.data() + static_cast<std::size_t>(y) * cursor->width, cursor->width,
                  reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
  }
  return QCursor(QPixmap::fromImage(image), cursor->hotspotX, cursor->hotspotY);
}

}  // namespace

std::optional<QCursor> QtServices::loadCursorFile(const QString& fileName) {
  // The working directory comes first, so cursors of one's own can stand in for the ones
  // shipped. A menu launch starts the program in the home folder, so the program also looks
  // beside itself (a build folder) and in its installed data folder, bin/../share/huesift.
  if (auto cursor = LoadCursorFrom(fileName)) return cursor;
  if (QDir::isAbsolutePath(fileName)) return std::nullopt;
  const QString programDir =
      programDirectory_.isEmpty() ? QCoreApplication::applicationDirPath() : programDirectory_;
  if (programDir.isEmpty()) return std::nullopt;
  for (const QString& dir : {programDir, programDir + QStringLiteral("/../share/huesift")}) {
    if (auto cursor = LoadCursorFrom(QDir(dir).filePath(fileName))) return cursor;
  }
  return std::nullopt;
}

}  // namespace huesift
