// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots and copied pictures are nearly always the common PNG our own reader takes (in a
// fraction of Qt's time); everything else goes through Qt's readers and the proof that the
// picture is complete.
#include "files/decode_picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QLoggingCategory>
#include <span>

#include "files/picture_image.h"
#include "files/qt_image_proof.h"

Q_LOGGING_CATEGORY(decodeLog, "huesift.decode", QtWarningMsg)

namespace huesift {
namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

QSize AnnouncedByQt(const QByteArray& bytes) {
  QByteArray shared = bytes;  // QBuffer wants an array it may write
  QBuffer buffer(&shared);
  buffer.open(QIODevice::ReadOnly);
  return QImageReader(&buffer).size();
}

DecodedPicture Log(DecodedPicture decoded) {
  if (decoded.result == DecodedPicture::Result::Refused)
    qCDebug(decodeLog) << "refused:" << RefusalName(decoded.refusal)
                       << "(our PNG reader:" << PngReadName(decoded.png) << ")";
  else if (decoded.result == DecodedPicture::Result::TooLarge)
    qCDebug(decodeLog) << "too large:" << decoded.size;
  return decoded;
}

}  // namespace

PictureProbe ProbePicture(const QByteArray& bytes) {
  PictureProbe probe;
  const auto file = Bytes(bytes);
  if (HasPngSignature(file)) {
    // libpng would make room for a chunk that runs past the end before any picture, even to
    // tell its size: such bytes are not shown to it at all.
    probe.pngChunkRunsPastEnd = PngChunkRunsPastEnd(file);
    if (const std::optional<PngHeader> header = ReadPngHeader(file);
        header && header->width <= 0x7FFFFFFFu && header->height <= 0x7FFFFFFFu)
      probe.announced = QSize(static_cast<int>(header->width), static_cast<int>(header->height));
    return probe;
  }
  probe.announced = AnnouncedByQt(bytes);
  return probe;
}

DecodedPicture DecodePicture(const QByteArray& bytes, const QByteArray& formatHint,
                             Picture& picture) {
  return DecodePicture(bytes, ProbePicture(bytes), formatHint, picture);
}

DecodedPicture DecodePicture(const QByteArray& bytes, const PictureProbe& probe,
                             const QByteArray& formatHint, Picture& picture) {
  DecodedPicture out;
  if (bytes.isEmpty()) {
    out.refusal = Refusal::Empty;
    return Log(out);
  }
  if (probe.pngChunkRunsPastEnd) {
    out.refusal = Refusal::ChunkRunsPastEnd;
    return Log(out);
  }
  if (probe.announced.isValid() && TooLargeForPicture(probe.announced)) {
    out.result = DecodedPicture::Result::TooLarge;
    out.size = probe.announced;
    return Log(out);
  }
  // The raster Qt's readers may write into too: the picture's own, as an RGB32 image of the
  // announced size, which is what Qt's PNG and JPEG readers make of opaque colour pictures.
  const bool sized = probe.announced.isValid() && !probe.announced.isEmpty();
  if (sized) picture.reshape(probe.announced.width(), probe.announced.height());
  out.png = ReadCommonPng(Bytes(bytes), [&](std::uint32_t width, std::uint32_t height) {
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    return size == probe.announced && sized ? picture.data() : nullptr;
  });
  if (out.png == PngRead::Read) {
    out.result = DecodedPicture::Result::Complete;
    return out;
  }
  if (out.png == PngRead::DataPastPicture) {
    out.refusal = Refusal::DataPastPicture;
    return Log(out);
  }
  QImage into;
  if (sized)
    into = QImage(reinterpret_cast<uchar*>(picture.data()), picture.width(), picture.height(),
                  picture.width() * 4, QImage::Format_RGB32);
  // Moved all the way down, so the reader holds the only reference and writes in place.
  QtDecoded decoded = DecodeWithQt(bytes, formatHint, std::move(into));
  switch (decoded.result) {
    case QtDecoded::Result::Refused:
      out.refusal = decoded.refusal;
      return Log(out);
    case QtDecoded::Result::TooLarge:
      out.result = DecodedPicture::Result::TooLarge;
      out.size = decoded.size;
      return Log(out);
    case QtDecoded::Result::Complete:
      break;
  }
  out.result = DecodedPicture::Result::Complete;
  const QImage& image = decoded.image;
  if (!picture.empty() && image.constBits() == reinterpret_cast<const uchar*>(picture.data()) &&
      (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) &&
      image.size() == QSize(picture.width(), picture.height())) {
    // Decoded in place; the top byte made what our stored form says, as the copy would.
    const std::size_t n = static_cast<std::size_t>(picture.width()) * picture.height();
    std::uint32_t* words = picture.data();
    for (std::size_t i = 0; i < n; ++i) words[i] |= 0xFF000000u;
  } else {
    PictureFromImage(image, picture);
  }
  return out;
}

}  // namespace huesift
