// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace huesift {

// Largest picture the program takes in: 32767 pixels on a side (what Qt's painting can
// address) and 256 MiB as a 32-bit raster.
bool TooLargeForPicture(QSize size);
inline constexpr qint64 kLargestRasterBytes = qint64{256} * 1024 * 1024;

// The size the bytes' header announces (invalid when it says none), without decoding.
QSize AnnouncedImageSize(const QByteArray& bytes);

struct DecodedImage {
  enum class Result { Complete, Refused, TooLarge };
  Result result = Result::Refused;
  QImage image;  // Complete: every pixel came from the bytes
  QSize size;    // TooLarge: the size the bytes announce (or decoded to)
};

// Bytes of an image file in any format Qt reads, in; a picture whose every pixel came from
// those bytes, or a refusal, out. Readers that run out of data may still hand back a picture
// (the BMP reader fills what is missing from uninitialised memory), so a picture is taken
// only when it is proven not to depend on bytes that are not there. Works without a display.
// formatHint (Qt's name, from a file's extension) is tried when the content names no format
// that reads the bytes.
DecodedImage DecodeImageCompletely(const QByteArray& bytes, const QByteArray& formatHint = {});

// How many bytes the completeness proof appends when a reader looked past the end.
inline constexpr int kDecodeProbePadding = 64 * 1024;

}  // namespace huesift
