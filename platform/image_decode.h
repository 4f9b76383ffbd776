// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace huesift {

// Largest picture the program takes in: 32767 pixels on a side (what Qt's painting can
// address) and kMaxPictureBytes (256 MiB) as a 32-bit raster.
bool TooLargeForPicture(QSize size);

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
DecodedImage DecodeImageCompletely(const QByteArray& bytes);

// How many bytes the completeness proof appends when a reader looked past the end.
// HUESIFT_FUZZING (the image-decoding fuzz target alone) runs the same code on smaller
// numbers: a shorter probe, which Qt's byte-by-byte readers would otherwise read one call per
// byte, and a smaller largest picture, whose raster a mutated header would otherwise have
// allocated and filled under AddressSanitizer for every input. Neither adds coverage; together
// they kept the fuzzer at 35 inputs a second.
#ifdef HUESIFT_FUZZING
inline constexpr int kDecodeProbePadding = 4 * 1024;
inline constexpr qint64 kMaxPictureBytes = qint64{4} * 1024 * 1024;
#else
inline constexpr int kDecodeProbePadding = 64 * 1024;
inline constexpr qint64 kMaxPictureBytes = qint64{256} * 1024 * 1024;
#endif

}  // namespace huesift
