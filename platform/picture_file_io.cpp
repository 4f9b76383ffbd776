// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/picture_file_io.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include "platform/image_convert.h"
#include "platform/image_decode.h"

namespace huesift {

namespace {

// Formats that give back every pixel as it was written, in the order the dialog offers them.
struct Lossless {
  const char* name;
  const char* filter;  // translated when offered
};
constexpr Lossless kLossless[] = {
    {"png", QT_TRANSLATE_NOOP("huesift::PictureFiles", "PNG picture (*.png)")},
    {"bmp", QT_TRANSLATE_NOOP("huesift::PictureFiles", "BMP picture (*.bmp)")},
    {"ppm", QT_TRANSLATE_NOOP("huesift::PictureFiles", "PPM picture (*.ppm)")},
    {"tiff", QT_TRANSLATE_NOOP("huesift::PictureFiles", "TIFF picture (*.tif *.tiff)")},
};

QString SystemError(int number) {
  return QString::fromStdString(std::system_category().message(number));
}

}  // namespace

QByteArray FormatOfSuffix(const QString& suffix) {
  const QByteArray lower = suffix.toLower().toLatin1();
  if (lower == "jpg") return "jpeg";
  if (lower == "tif") return "tiff";
  return lower;
}

std::optional<Picture> ReadPictureFile(const QString& path, QString& reason) {
  const QFileInfo info(path);
  if (info.isDir()) {
    reason = QCoreApplication::translate("huesift::PictureFiles", "it is a folder");
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    reason = file.errorString();
    return std::nullopt;
  }
  // Read in pieces up to the limit rather than all at once: a pipe or a device has no size
  // to check beforehand.
  QByteArray bytes;
  if (file.size() > 0) bytes.reserve(std::min(file.size(), kMaxPictureFileBytes));
  QByteArray piece(1 << 20, Qt::Uninitialized);
  for (;;) {
    const qint64 got = file.read(piece.data(), piece.size());
    if (got < 0) {
      reason = file.errorString();
      return std::nullopt;
    }
    if (got == 0) break;
    if (bytes.size() + got > kMaxPictureFileBytes) {
      reason =
          QCoreApplication::translate("huesift::PictureFiles",
                                      "the file is larger than %1 MiB, too large for a picture")
              .arg(kMaxPictureFileBytes >> 20);
      return std::nullopt;
    }
    bytes.append(piece.constData(), got);
  }

  const DecodedImage decoded = DecodeImageCompletely(bytes);
  switch (decoded.result) {
    case DecodedImage::Result::Complete:
      return PictureFromImage(decoded.image);
    case DecodedImage::Result::TooLarge:
      reason = QCoreApplication::translate("huesift::PictureFiles",
                                           "the picture is %1 x %2 pixels, too large")
                   .arg(decoded.size.width())
                   .arg(decoded.size.height());
      return std::nullopt;
    case DecodedImage::Result::Refused:
      break;
  }
  reason = bytes.isEmpty()
               ? QCoreApplication::translate("huesift::PictureFiles", "the file is empty")
               : QCoreApplication::translate("huesift::PictureFiles",
                                             "not a picture in a format Huesift reads, or damaged");
  return std::nullopt;
}

std::vector<SaveFormat> SaveFormats() {
  const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
  std::vector<SaveFormat> formats;
  for (const Lossless& f : kLossless) {
    if (writable.contains(QByteArray(f.name)))
      formats.push_back({f.name, QCoreApplication::translate("huesift::PictureFiles", f.filter)});
  }
  return formats;
}

std::optional<QByteArray> SaveFormatFor(const QString& path, const QString& filter,
                                        QString& reason) {
  const std::vector<SaveFormat> formats = SaveFormats();
  const QByteArray named = FormatOfSuffix(QFileInfo(path).suffix());
  for (const SaveFormat& f : formats) {
    if (f.name == named) return f.name;
  }
  // An extension of a format that changes colours (JPEG's blur, a grey or two-colour
  // format) would quietly undo the work the picture was saved for.
  const bool writable = QImageWriter::supportedImageFormats().contains(named);
  if (!named.isEmpty() && (writable || QImageReader::supportedImageFormats().contains(named))) {
    QStringList offered;
    for (const SaveFormat& f : formats) offered << QString::fromLatin1(f.name).toUpper();
    const QString last = offered.size() > 1 ? offered.takeLast() : QString();
    const QString choice = last.isEmpty()
                               ? offered.join(QString())
                               : QCoreApplication::translate("huesift::PictureFiles", "%1 or %2")
                                     .arg(offered.join(QStringLiteral(", ")), last);
    const QString name = QString::fromLatin1(named).toUpper();
    reason = (writable ? QCoreApplication::translate("huesift::PictureFiles",
                                                     "%1 pictures do not keep every colour exactly")
                       : QCoreApplication::translate("huesift::PictureFiles",
                                                     "Huesift cannot write %1 pictures"))
                 .arg(name) +
             QCoreApplication::translate("huesift::PictureFiles", "; save as %1").arg(choice);
    return std::nullopt;
  }
  // No extension, or one that is no picture format ("shot.v2"): the chosen filter decides.
  for (const SaveFormat& f : formats) {
    if (f.filter == filter) return f.name;
  }
  return QByteArray("png");
}

QImage CompactImage(const Picture& picture) {
  if (picture.empty()) return {};
  const int w = picture.width();
  const int h = picture.height();

  // Distinct colours, up to one more than a palette holds, in a small open-addressed table.
  constexpr std::size_t kSlots = 1024;
  std::array<std::uint32_t, kSlots> keys{};
  std::array<std::uint8_t, kSlots> index{};
  std::vector<QRgb> palette;
  auto slotOf = [&](std::uint32_t word) {
    std::size_t s = (word * 0x9E3779B1u) >> 22;
    while (keys[s] != 0 && keys[s] != word) s = (s + 1) & (kSlots - 1);
    return s;
  };
  for (int y = 0; y < h && palette.size() <= 256; ++y) {
    const std::uint32_t* row = picture.row(y);
    std::uint32_t last = 0;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t word = row[x] | 0xFF000000u;  // never 0, the free-slot mark
      if (word == last) continue;
      last = word;
      const std::size_t s = slotOf(word);
      if (keys[s] == 0) {
        if (palette.size() == 256) {
          palette.push_back(word);
          break;
        }
        keys[s] = word;
        index[s] = static_cast<std::uint8_t>(palette.size());
        palette.push_back(word);
      }
    }
  }

  if (palette.size() > 256) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      const std::uint32_t* from = picture.row(y);
      auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) to[x] = from[x] | 0xFF000000u;
    }
    return image;
  }

  const bool mono = palette.size() <= 2;
  QImage image(w, h, mono ? QImage::Format_Mono : QImage::Format_Indexed8);
  QList<QRgb> table(palette.begin(), palette.end());
  if (mono && table.size() < 2) table.push_back(table.front());
  image.setColorTable(table);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = picture.row(y);
    uchar* to = image.scanLine(y);
    if (mono) {
      // Two colours: a bit is set where the second one is, eight pixels to a byte.
      const std::uint32_t second = palette.size() > 1 ? palette[1] : 0;
      for (int x0 = 0; x0 < w; x0 += 8) {
        unsigned bits = 0;
        const int n = std::min(8, w - x0);
        for (int i = 0; i < n; ++i) bits |= ((from[x0 + i] | 0xFF000000u) == second) << (7 - i);
        to[x0 >> 3] = static_cast<uchar>(bits);
      }
      continue;
    }
    std::uint32_t last = 0;
    std::uint8_t lastIndex = 0;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t word = from[x] | 0xFF000000u;
      if (word != last) {
        last = word;
        lastIndex = index[slotOf(word)];
      }
      to[x] = lastIndex;
    }
  }
  return image;
}

QString WritePictureFile(const QImage& image, const QString& path, const QByteArray& format) {
  if (QFileInfo(path).isDir())
    return QCoreApplication::translate("huesift::PictureFiles", "it is a folder");
  // Encoded first, so that what can fail in the format and what can fail on the disk are told
  // apart, and the disk is touched only with a complete picture in hand.
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) return writer.errorString();

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
  // Written through the descriptor: when a write fails (a full disk), Qt keeps no reason, the
  // system's error number does.
  const char* at = encoded.constData();
  qint64 left = encoded.size();
  while (left > 0) {
    const ssize_t n = ::write(file.handle(), at, static_cast<std::size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const QString reason = SystemError(n < 0 ? errno : ENOSPC);
      file.cancelWriting();
      return reason;
    }
    at += n;
    left -= n;
  }
  errno = 0;
  if (!file.commit()) return errno != 0 ? SystemError(errno) : file.errorString();
  return {};
}

}  // namespace huesift
