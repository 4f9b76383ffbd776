// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>

namespace huesift {

// HUESIFT_FUZZING (the image-decoding fuzz target alone) runs the same code on smaller
// numbers: a smaller largest picture, whose raster a mutated header would otherwise have
// allocated and filled under AddressSanitizer for every input, and a shorter probe (below),
// which Qt's byte-by-byte readers would otherwise read one call per byte. Neither adds
// coverage; together they kept the fuzzer at a few dozen inputs a second.
#ifdef HUESIFT_FUZZING
inline constexpr qint64 kLargestRasterBytes = qint64{4} * 1024 * 1024;
inline constexpr int kDecodeProbePadding = 4 * 1024;
#else
inline constexpr qint64 kLargestRasterBytes = qint64{256} * 1024 * 1024;
// How many bytes the completeness proof appends when a reader looked past the end.
inline constexpr int kDecodeProbePadding = 64 * 1024;
#endif

// Largest picture the program takes in: 32767 pixels on a side (what Qt's painting can
// address) and kLargestRasterBytes (256 MiB) as a 32-bit raster.
bool TooLargeForPicture(QSize size);

// Why bytes gave no picture.
enum class Refusal : std::uint8_t {
  Empty,             // no bytes at all
  UnknownFormat,     // no reader knows them
  Unreadable,        // a reader knows the format but makes no picture of them
  Incomplete,        // the picture would depend on bytes that are not there
  PixelsUnwritten,   // a BMP that leaves some pixels to whatever memory held
  ChunkRunsPastEnd,  // a PNG chunk longer than the file, which libpng would make room for
  DataPastPicture,   // a PNG whose image data inflates far past its picture
};
// A name for logs and test failures ("Incomplete").
const char* RefusalName(Refusal refusal);

// What Qt's readers make of bytes, proven complete.
struct QtDecoded {
  enum class Result { Complete, Refused, TooLarge };
  Result result = Result::Refused;
  Refusal refusal = Refusal::UnknownFormat;  // Refused: why
  QImage image;                              // Complete: every pixel came from the bytes
  QSize size;                                // TooLarge: the size the bytes announce
};

// A GIF's first picture alone, closed by the GIF trailer: what is read of a GIF. Empty when
// the bytes are no GIF or its first picture does not end within them.
QByteArray GifFirstFrameAlone(const QByteArray& bytes);

// Bytes of an image file in any format Qt reads, in; a picture whose every pixel came from
// those bytes, or a refusal, out. Readers that run out of data may still hand back a picture
// (the BMP reader fills what is missing from uninitialised memory), so a picture is taken
// only when it is proven not to depend on bytes that are not there. Works without a display.
// formatHint (Qt's name, from a file's extension) is tried when the content names no format
// that reads the bytes. into, when given, is where the decoding goes if its size and format
// are what the reader produces: Qt's readers then write into its memory (a picture's own
// raster wrapped as an RGB32 image takes a PNG or JPEG without a copy).
QtDecoded DecodeWithQt(const QByteArray& bytes, const QByteArray& formatHint, QImage into);

}  // namespace huesift
