// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include "engine/picture.h"
#include "platform/image_decode.h"

namespace huesift {

// Any image Qt can hold, pixel for pixel, into our colour layout. Alpha is dropped, not
// blended: a picture is always opaque and keeps the colour channels it was given.
Picture PictureFromImage(const QImage& image);
// The same into picture, whose memory is reused when large enough.
void PictureFromImage(const QImage& image, Picture& picture);

// Bytes decoded by DecodeImageCompletely's rules straight into picture's memory (reused when
// large enough) where the reader can write there, converted into it otherwise. Complete:
// picture holds the pixels (the result's image is left null). Otherwise picture is left
// unspecified. formatHint as for DecodeImageCompletely.
DecodedImage DecodeImageIntoPicture(const QByteArray& bytes, Picture& picture,
                                    const QByteArray& formatHint = {});

// The raster as an opaque 32-bit image of the same size (a null image for an empty raster).
QImage ImageFromPicture(const Picture& picture);

}  // namespace huesift
