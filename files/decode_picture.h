// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>

#include "codec/png_chunks.h"
#include "codec/png_read.h"
#include "engine/picture.h"
#include "files/qt_image_proof.h"

// The one way bytes become a picture: a pasted picture, an opened or dropped file, a file of
// the batch mode. Only a picture whose every pixel came from the bytes is taken; anything
// else is refused with its reason, and the caller's current picture is never touched.
namespace huesift {

// What the bytes say of themselves before they are decoded: read once, by the batch mode to
// budget its memory and then by the decoding.
struct PictureProbe {
  QSize announced;  // invalid when the header says none
  bool pngChunkRunsPastEnd = false;
};
PictureProbe ProbePicture(const QByteArray& bytes);

struct DecodedPicture {
  enum class Result { Complete, Refused, TooLarge };
  Result result = Result::Refused;
  Refusal refusal = Refusal::UnknownFormat;  // Refused: why
  QSize size;                                // TooLarge: the size the bytes announce
  PngRead png = PngRead::NotPng;             // what our PNG reader said, for logs and tests
};

// Decodes bytes into picture (its memory reused when large enough). Complete: picture holds
// every pixel, opaque. Otherwise picture is left unspecified: decode into a spare. formatHint
// (Qt's name, from a file's extension) is tried when the content names no format that reads
// the bytes.
DecodedPicture DecodePicture(const QByteArray& bytes, const QByteArray& formatHint,
                             Picture& picture);
DecodedPicture DecodePicture(const QByteArray& bytes, const PictureProbe& probe,
                             const QByteArray& formatHint, Picture& picture);

}  // namespace huesift
