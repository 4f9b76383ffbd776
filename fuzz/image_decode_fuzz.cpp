// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes into the decoding that Paste (and later opening a file) relies on: a picture
// comes out only when it did not depend on bytes that were not there. The check here is
// independent of how the decoder proves it: the same bytes followed by zeros, by ones, and by
// their own beginning again must decode to exactly the picture that Qt's readers make of them.
#include <QGuiApplication>
#include <QImageReader>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "codec/png_chunks.h"
#include "files/decode_picture.h"
#include "files/picture_image.h"

namespace {

// Bytes handed out at most 511 at a time unless told otherwise: libjpeg then always takes its
// careful path, whose pixels of a damaged stream do not depend on how much of it is at hand.
class SmallReads : public QIODevice {
 public:
  explicit SmallReads(const QByteArray& bytes) : bytes_(bytes) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  qint64 size() const override { return bytes_.size(); }
  void handOutAll() { largestRead_ = std::numeric_limits<qint64>::max(); }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    const qint64 n =
        std::clamp<qint64>(bytes_.size() - pos(), 0, std::min<qint64>(maxSize, largestRead_));
    std::memcpy(data, bytes_.constData() + pos(), static_cast<std::size_t>(n));
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const QByteArray& bytes_;
  qint64 largestRead_ = 511;
};

// Qt's own reading of bytes in the format Qt tells from the accepted bytes alone (some
// readers without a signature, WBMP's, no longer claim bytes that go on), with nothing of
// ours in between; a JPEG read in small pieces (above). As a picture: opaque.
huesift::Picture Plain(const QByteArray& bytes, const QByteArray& format) {
  SmallReads device(bytes);
  QImageReader reader(&device, format);
  reader.setAutoDetectImageFormat(false);
  if (format != "jpeg") device.handOutAll();
  QImage image;
  reader.read(&image);
  return huesift::PictureFromImage(image);
}

// A mutated PNG nearly always fails a chunk's checksum, where every reader stops. With the
// checksums made right again the mutations reach the header and the compressed pixels, and
// our PNG reader and Qt's are held to the same picture.
void MakePngChecksumsRight(QByteArray& bytes) {
  if (!bytes.startsWith("\x89PNG\r\n\x1a\n")) return;
  for (qsizetype at = 8; at + 12 <= bytes.size();) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData() + at);
    const std::uint32_t length = std::uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];
    if (length > static_cast<std::uint32_t>(bytes.size() - at - 12)) return;
    const std::uint32_t crc = huesift::PngChunkCrc(p + 4, std::size_t{length} + 4);
    for (int i = 0; i < 4; ++i) bytes[at + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  MakePngChecksumsRight(bytes);
  huesift::Picture accepted;
  const huesift::DecodedPicture decoded = huesift::DecodePicture(bytes, QByteArray(), accepted);
  if (decoded.result == huesift::DecodedPicture::Result::TooLarge) {
    if (!huesift::TooLargeForPicture(decoded.size)) std::abort();
    return 0;
  }
  if (decoded.result != huesift::DecodedPicture::Result::Complete) return 0;
  if (accepted.empty() || huesift::TooLargeForPicture(QSize(accepted.width(), accepted.height())))
    std::abort();
  // Of a GIF only its first picture is read, closed by the trailer: whatever follows that
  // must leave the picture as it is.
  const QByteArray gif = huesift::GifFirstFrameAlone(bytes);
  const QByteArray& own = gif.isEmpty() ? bytes : gif;
  SmallReads ownBytes(own);
  ownBytes.handOutAll();
  const QByteArray format = QImageReader(&ownBytes).format();
  for (const QByteArray& more : {QByteArray(huesift::kDecodeProbePadding, '\x00'),
                                 QByteArray(huesift::kDecodeProbePadding, '\xFF'),
                                 bytes.left(huesift::kDecodeProbePadding)}) {
    if (Plain(own + more, format) != accepted) std::abort();
  }
  return 0;
}
