// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/image_convert.h"

#include <cstring>

namespace huesift {

Picture PictureFromImage(const QImage& image) {
  Picture picture;
  PictureFromImage(image, picture);
  return picture;
}

void PictureFromImage(const QImage& image, Picture& picture) {
  if (image.isNull()) {
    picture = Picture();
    return;
  }
  // ARGB32 (not premultiplied) keeps the colour of partly transparent pixels unchanged;
  // RGB32 is already our stored layout.
  const QImage source =
      image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
          ? image
          : image.convertToFormat(QImage::Format_ARGB32);
  const int width = source.width();
  picture.reshape(width, source.height());
  for (int y = 0; y < source.height(); ++y) {
    const auto* from = reinterpret_cast<const std::uint32_t*>(source.constScanLine(y));
    std::uint32_t* to = picture.row(y);
    for (int x = 0; x < width; ++x) to[x] = from[x] | 0xFF000000u;
  }
}

DecodedImage DecodeImageIntoPicture(const QByteArray& bytes, Picture& picture,
                                    const QByteArray& formatHint) {
  // The picture's raster as an RGB32 image of the announced size: what Qt's PNG and JPEG
  // readers produce for opaque colour pictures, which they then decode into it directly (our
  // own PNG reader an RGBA one too, as ARGB32).
  QImage into;
  const QSize announced = AnnouncedImageSize(bytes);
  if (announced.isValid() && !announced.isEmpty() && !TooLargeForPicture(announced)) {
    picture.reshape(announced.width(), announced.height());
    into = QImage(reinterpret_cast<uchar*>(picture.data()), announced.width(), announced.height(),
                  announced.width() * 4, QImage::Format_RGB32);
  }
  // Moved all the way down, so the reader holds the only reference and writes in place.
  DecodedImage decoded = DecodeImageCompletely(bytes, formatHint, std::move(into));
  if (decoded.result != DecodedImage::Result::Complete) return decoded;
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
  decoded.image = QImage();
  return decoded;
}

QImage ImageFromPicture(const Picture& picture) {
  if (picture.empty()) return {};
  QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
  const auto rowBytes = static_cast<std::size_t>(picture.width()) * sizeof(std::uint32_t);
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(image.scanLine(y), picture.row(y), rowBytes);
  return image;
}

}  // namespace huesift
