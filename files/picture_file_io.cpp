// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/picture_file_io.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>
#include <algorithm>
#include <array>

#include "codec/png_write.h"
#include "files/picture_image.h"

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

// Whether a picture written in format reads back identical: tried on a two-colour, a palette
// and a full-colour picture, in colours that are not grey (a grey or black-and-white form
// would pass with grey ones).
bool ReadsBackIdentical(const QByteArray& format) {
  const int w = 37;
  const int h = 11;
  for (const int colours : {2, 41, 1000}) {
    Picture picture(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t n = static_cast<std::uint32_t>(y * w + x) % colours;
        picture.setPixel(x, y, static_cast<Colour>((0x1C2BC4 + n * 0x0B0705) & 0xFFFFFF));
      }
    }
    QString reason;
    const QByteArray bytes = EncodePicture(picture, format, reason);
    Picture back;
    if (DecodePicture(bytes, QByteArray(), back).result != DecodedPicture::Result::Complete ||
        back != picture)
      return false;
  }
  return true;
}

}  // namespace

QByteArray FormatOfSuffix(const QString& suffix) {
  const QByteArray lower = suffix.toLower().toLatin1();
  if (lower == "jpg") return "jpeg";
  if (lower == "tif") return "tiff";
  return lower;
}

bool DecodePictureFileBytesInto(const QByteArray& bytes, Picture& picture, QString& reason,
                                const QByteArray& name) {
  return DecodePictureFileBytesInto(bytes, ProbePicture(bytes), picture, reason, name);
}

bool DecodePictureFileBytesInto(const QByteArray& bytes, const PictureProbe& probe,
                                Picture& picture, QString& reason, const QByteArray& name) {
  const QByteArray file = name.mid(name.lastIndexOf('/') + 1);
  const qsizetype dot = file.lastIndexOf('.');
  const QByteArray hint =
      dot < 0 ? QByteArray() : FormatOfSuffix(QString::fromLatin1(file.mid(dot + 1)));
  const DecodedPicture decoded = DecodePicture(bytes, probe, hint, picture);
  switch (decoded.result) {
    case DecodedPicture::Result::Complete:
      return true;
    case DecodedPicture::Result::TooLarge:
      reason = QCoreApplication::translate("huesift::PictureFiles",
                                           "the picture is %1 x %2 pixels, too large")
                   .arg(decoded.size.width())
                   .arg(decoded.size.height());
      return false;
    case DecodedPicture::Result::Refused:
      break;
  }
  reason = decoded.refusal == Refusal::Empty
               ? QCoreApplication::translate("huesift::PictureFiles", "the file is empty")
               : QCoreApplication::translate("huesift::PictureFiles",
                                             "not a picture in a format Huesift reads, or damaged");
  return false;
}

bool ReadPictureFile(const QByteArray& path, Streams streams, Picture& picture, QString& reason) {
  std::optional<QByteArray> bytes = ReadFileBytes(path, streams, kMaxPictureFileBytes, reason);
  return bytes && DecodePictureFileBytesInto(*bytes, picture, reason, path);
}

std::vector<SaveFormat> SaveFormats() {
  // Proven once: the plug-ins do not change while the program runs.
  static const std::vector<const Lossless*> proven = [] {
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    std::vector<const Lossless*> exact;
    for (const Lossless& f : kLossless) {
      if (writable.contains(QByteArray(f.name)) && ReadsBackIdentical(f.name)) exact.push_back(&f);
    }
    return exact;
  }();
  std::vector<SaveFormat> formats;
  for (const Lossless* f : proven)
    formats.push_back({f->name, QCoreApplication::translate("huesift::PictureFiles", f->filter)});
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

namespace {

// The picture as a palette image (two colours as one bit a pixel when mono is allowed), or
// nothing when it has more than 256 colours. One pass: each pixel's index is written as its
// colour is found, in a small open-addressed table looked up only where the colour changes.
std::optional<QImage> PaletteImage(const Picture& picture, bool monoAllowed) {
  const int w = picture.width();
  const int h = picture.height();
  constexpr std::size_t kSlots = 1024;
  std::array<std::uint32_t, kSlots> keys{};
  std::array<std::uint8_t, kSlots> index{};
  QList<QRgb> palette;
  QImage indexed(w, h, QImage::Format_Indexed8);
  if (indexed.isNull()) return std::nullopt;
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = picture.row(y);
    uchar* to = indexed.scanLine(y);
    std::uint32_t last = 0;  // no pixel word: every word has its top byte set
    std::uint8_t lastIndex = 0;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t word = from[x] | 0xFF000000u;
      if (word != last) {
        std::size_t s = (word * 0x9E3779B1u) >> 22;
        while (keys[s] != 0 && keys[s] != word) s = (s + 1) & (kSlots - 1);
        if (keys[s] == 0) {
          if (palette.size() == 256) return std::nullopt;
          keys[s] = word;
          index[s] = static_cast<std::uint8_t>(palette.size());
          palette.push_back(word);
        }
        last = word;
        lastIndex = index[s];
      }
      to[x] = lastIndex;
    }
  }
  if (!monoAllowed || palette.size() > 2) {
    indexed.setColorTable(palette);
    return indexed;
  }
  // Two colours: a bit is set where the second one is, eight pixels to a byte.
  QImage mono(w, h, QImage::Format_Mono);
  if (palette.size() < 2) palette.push_back(palette.front());
  mono.setColorTable(palette);
  for (int y = 0; y < h; ++y) {
    const uchar* from = indexed.constScanLine(y);
    uchar* to = mono.scanLine(y);
    for (int x0 = 0; x0 < w; x0 += 8) {
      unsigned bits = 0;
      const int n = std::min(8, w - x0);
      for (int i = 0; i < n; ++i) bits |= static_cast<unsigned>(from[x0 + i]) << (7 - i);
      to[x0 >> 3] = static_cast<uchar>(bits);
    }
  }
  return mono;
}

// The picture's PNG by our own writer: a palette where one is exact, else full colour
// straight from the picture's words. Empty when there is no memory for it.
QByteArray PngOfPicture(const Picture& picture) {
  PngPixels pixels;
  pixels.width = static_cast<std::uint32_t>(picture.width());
  pixels.height = static_cast<std::uint32_t>(picture.height());
  const std::optional<QImage> indexed = PaletteImage(picture, false);
  std::vector<std::uint32_t> palette;
  if (indexed) {
    const QList<QRgb> table = indexed->colorTable();
    palette.assign(table.begin(), table.end());
    pixels.palette = palette;
    pixels.rows = indexed->constBits();
    pixels.stride = static_cast<std::size_t>(indexed->bytesPerLine());
  } else {
    pixels.rows = reinterpret_cast<const std::uint8_t*>(picture.data());
    pixels.stride = static_cast<std::size_t>(picture.width()) * 4;
  }
  const std::vector<std::uint8_t> png = WritePng(pixels);
  return QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
}

// image in format's file by Qt's writer; empty, with the reason, when it cannot be written.
QByteArray EncodeWithQt(const QImage& image, const QByteArray& format, QString& reason) {
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  // Qt's TIFF writer stores a two-colour picture as black and white whatever its colours;
  // a palette of two keeps them.
  const bool monoAsPalette = format == "tiff" && image.format() == QImage::Format_Mono;
  if (!writer.write(monoAsPalette ? image.convertToFormat(QImage::Format_Indexed8) : image)) {
    reason = writer.errorString();
    return {};
  }
  return encoded;
}

}  // namespace

QImage CompactImage(const Picture& picture) {
  if (picture.empty()) return {};
  std::optional<QImage> indexed = PaletteImage(picture, true);
  return indexed ? *std::move(indexed) : ImageFromPicture(picture);
}

QByteArray EncodePicture(const Picture& picture, const QByteArray& format, QString& reason) {
  if (format == "png" && !picture.empty()) {
    // Ours writes a screenshot several times as fast as Qt's, no larger (bench/codec_bench).
    QByteArray png = PngOfPicture(picture);
    if (png.isEmpty())
      reason = QCoreApplication::translate("huesift::PictureFiles", "out of memory");
    return png;
  }
  return EncodeWithQt(CompactImage(picture), format, reason);
}

QString WritePictureFile(const Picture& picture, const QByteArray& path, const QByteArray& format,
                         Links links) {
  // Encoded first, so that what can fail in the format and what can fail on the disk are told
  // apart, and the disk is touched only with a complete picture in hand.
  QString reason;
  const QByteArray encoded = EncodePicture(picture, format, reason);
  if (!reason.isEmpty()) return reason;
  return ReplaceFileBytes(encoded, path, links);
}

QString WritePictureFile(const Picture& picture, const QString& path, const QByteArray& format) {
  return WritePictureFile(picture, QFile::encodeName(path), format, Links::Follow);
}

}  // namespace huesift
