// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/picture_image.h"

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

QImage ImageFromPicture(const Picture& picture) {
  if (picture.empty()) return {};
  QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
  const auto rowBytes = static_cast<std::size_t>(picture.width()) * sizeof(std::uint32_t);
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(image.scanLine(y), picture.row(y), rowBytes);
  return image;
}

}  // namespace huesift
