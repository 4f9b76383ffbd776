// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include "engine/picture.h"

namespace huesift {

// Any image Qt can hold, pixel for pixel, into our colour layout. Alpha is dropped, not
// blended: a picture is always opaque and keeps the colour channels it was given.
Picture PictureFromImage(const QImage& image);
// The same into picture, whose memory is reused when large enough.
void PictureFromImage(const QImage& image, Picture& picture);

// The raster as an opaque 32-bit image of the same size (a null image for an empty raster).
QImage ImageFromPicture(const Picture& picture);

}  // namespace huesift
