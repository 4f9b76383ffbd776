// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes into the decoding that Paste (and later opening a file) relies on: a picture
// comes out only when it did not depend on bytes that were not there. The check here is
// independent of how the decoder proves it: the same bytes followed by zeros, by ones, and by
// their own beginning again must decode to exactly the picture that was accepted.
#include <QGuiApplication>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

#include "platform/image_decode.h"

namespace {

// Qt's own reading, with nothing of ours in between.
QImage Plain(const QByteArray& bytes) {
  return QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const huesift::DecodedImage decoded = huesift::DecodeImageCompletely(bytes);
  if (decoded.result == huesift::DecodedImage::Result::TooLarge) {
    if (!huesift::TooLargeForPicture(decoded.size)) std::abort();
    return 0;
  }
  if (decoded.result != huesift::DecodedImage::Result::Complete) return 0;
  if (decoded.image.isNull() || huesift::TooLargeForPicture(decoded.image.size())) std::abort();
  const QImage accepted = decoded.image.convertToFormat(QImage::Format_ARGB32);
  // Of a GIF only its first picture is read, closed by the trailer: whatever follows that
  // must leave the picture as it is.
  const QByteArray gif = huesift::GifFirstFrameAlone(bytes);
  const QByteArray& own = gif.isEmpty() ? bytes : gif;
  for (const QByteArray& more : {QByteArray(huesift::kDecodeProbePadding, '\x00'),
                                 QByteArray(huesift::kDecodeProbePadding, '\xFF'),
                                 bytes.left(huesift::kDecodeProbePadding)}) {
    if (Plain(own + more) != accepted) std::abort();
  }
  return 0;
}
