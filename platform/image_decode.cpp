// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/image_decode.h"

#include <QIODevice>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace huesift {
namespace {

// A read-only device over bytes that notes whether a reader ever asked for more than was
// there. QBuffer would not do: some readers (JPEG) take a QBuffer's array directly and
// bypass every read.
class WatchedBytes : public QIODevice {
 public:
  explicit WatchedBytes(const QByteArray& bytes) : bytes_(bytes) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool lookedPastEnd() const { return lookedPastEnd_; }
  qint64 size() const override { return bytes_.size(); }
  // A jump past the end (a header's offset pointing nowhere) finds nothing, as in a file.
  bool seek(qint64 pos) override {
    if (pos > bytes_.size()) {
      lookedPastEnd_ = true;
      return false;
    }
    return QIODevice::seek(pos);
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    const qint64 at = pos();
    const qint64 n = std::clamp<qint64>(bytes_.size() - at, 0, maxSize);
    if (n > 0) std::memcpy(data, bytes_.constData() + at, static_cast<std::size_t>(n));
    if (n < maxSize) lookedPastEnd_ = true;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const QByteArray& bytes_;
  bool lookedPastEnd_ = false;
};

// Generous enough for the largest picture taken; Qt's own default refuses some of them.
constexpr int kAllocationLimitMiB = static_cast<int>(kLargestRasterBytes * 5 / 4 / (1024 * 1024));

struct Attempt {
  QImage image;
  QSize announced;
  QByteArray format;
  bool lookedPastEnd = false;
};

// format: empty to let Qt tell it by the content, else this format alone. into: see
// DecodeImageCompletely.
Attempt Decode(const QByteArray& bytes, bool stopIfTooLarge, const QByteArray& format,
               QImage into = {}) {
  WatchedBytes device(bytes);
  QImageReader reader(&device, format);
  reader.setAutoDetectImageFormat(format.isEmpty());
  reader.setAllocationLimit(kAllocationLimitMiB);
  Attempt attempt;
  attempt.announced = reader.size();
  attempt.format = reader.format();  // asked before reading: afterwards Qt no longer says
  if (!(stopIfTooLarge && attempt.announced.isValid() && TooLargeForPicture(attempt.announced))) {
    attempt.image = std::move(into);
    if (!reader.read(&attempt.image)) attempt.image = QImage();
  }
  attempt.lookedPastEnd = device.lookedPastEnd();
  return attempt;
}

std::uint8_t At(const QByteArray& bytes, qsizetype i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

// Whether a JPEG stream reaches its end marker (EOI) within the bytes. A decoder has then
// taken every byte it could use from them: what follows EOI is never part of the picture.
// Segments are skipped by their lengths (an embedded thumbnail holds EOIs of its own), the
// entropy-coded data up to the next marker (a 0xFF in it is always stuffed with 0x00).
bool JpegEndsWithinBytes(const QByteArray& bytes) {
  const qsizetype n = bytes.size();
  if (n < 4 || At(bytes, 0) != 0xFF || At(bytes, 1) != 0xD8) return false;
  qsizetype i = 2;
  while (i < n) {
    if (At(bytes, i) != 0xFF) return false;
    while (i < n && At(bytes, i) == 0xFF) ++i;  // fill bytes
    if (i >= n) return false;
    const std::uint8_t marker = At(bytes, i++);
    if (marker == 0xD9) return true;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
    if (i + 2 > n) return false;
    const qsizetype length = At(bytes, i) << 8 | At(bytes, i + 1);
    if (length < 2) return false;
    i += length;
    if (marker != 0xDA) continue;
    // Entropy-coded data up to a marker other than a restart.
    for (; i + 1 < n; ++i) {
      if (At(bytes, i) != 0xFF) continue;
      const std::uint8_t next = At(bytes, i + 1);
      if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7)) break;
    }
    if (i + 1 >= n) return false;
  }
  return false;
}

// Whether a GIF's first picture, the one read, ends within the bytes: its data blocks up to
// the empty one that closes them. Qt's GIF reader looks at every frame's size before
// reading the first, so it always asks past the end, padding or not.
bool GifFirstFrameEndsWithinBytes(const QByteArray& bytes) {
  const qsizetype n = bytes.size();
  if (n < 13 || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))) return false;
  const std::uint8_t screenFlags = At(bytes, 10);
  qsizetype i = 13;
  if (screenFlags & 0x80) i += 3 << ((screenFlags & 7) + 1);
  auto skipBlocks = [&] {
    while (i < n) {
      const std::uint8_t size = At(bytes, i++);
      if (size == 0) return true;
      i += size;
    }
    return false;
  };
  while (i < n) {
    const std::uint8_t introducer = At(bytes, i++);
    if (introducer == 0x21) {  // an extension: its label, then data blocks
      ++i;
      if (!skipBlocks()) return false;
    } else if (introducer == 0x2C) {  // the first picture
      if (i + 9 > n) return false;
      const std::uint8_t flags = At(bytes, i + 8);
      i += 9;
      if (flags & 0x80) i += 3 << ((flags & 7) + 1);
      ++i;  // the LZW code size
      return i <= n && skipBlocks();
    } else {
      return false;  // the trailer before any picture, or no GIF
    }
  }
  return false;
}

// Whether the bytes are proven to hold everything the reader of format used, by the
// format's own structure.
bool EndsWithinBytes(const QByteArray& format, const QByteArray& bytes) {
  if (format == "jpeg") return JpegEndsWithinBytes(bytes);
  if (format == "gif") return GifFirstFrameEndsWithinBytes(bytes);
  return false;
}

const std::array<QByteArray, 3>& Continuations() {
  static const std::array<QByteArray, 3> continuations = [] {
    QByteArray noise(kDecodeProbePadding, '\0');
    std::uint32_t x = 0x2545F491u;  // xorshift: the same noise every time
    for (char& c : noise) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<char>(x >> 24);
    }
    return std::array<QByteArray, 3>{QByteArray(kDecodeProbePadding, '\x00'),
                                     QByteArray(kDecodeProbePadding, '\xFF'), noise};
  }();
  return continuations;
}

// Pixels compared as the program will hold them: opaque 32-bit, channels as given.
QImage Comparable(const QImage& image) {
  return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

bool TooLargeForPicture(QSize size) {
  constexpr qint64 kMaxSide = 32767;
  const qint64 w = size.width();
  const qint64 h = size.height();
  return w > kMaxSide || h > kMaxSide || w * h * 4 > kLargestRasterBytes;
}

QSize AnnouncedImageSize(const QByteArray& bytes) {
  WatchedBytes device(bytes);
  QImageReader reader(&device);
  return reader.size();
}

namespace {

DecodedImage DecodeCompletelyAs(const QByteArray& bytes, const QByteArray& format,
                                QByteArray& formatFound, QImage into) {
  DecodedImage out;
  Attempt first = Decode(bytes, true, format, std::move(into));
  formatFound = first.format;
  if (first.announced.isValid() && TooLargeForPicture(first.announced)) {
    out.result = DecodedImage::Result::TooLarge;
    out.size = first.announced;
    return out;
  }
  if (first.image.isNull()) return out;
  if (TooLargeForPicture(first.image.size())) {
    out.result = DecodedImage::Result::TooLarge;
    out.size = first.image.size();
    return out;
  }
  if (first.lookedPastEnd && !EndsWithinBytes(first.format, bytes)) {
    // A reader that never asked beyond the last byte would have read the same from any
    // longer input: the picture is the bytes' own. So would a JPEG reader whose stream's end
    // marker, or a GIF reader whose first frame's end, lies within the bytes: the first
    // decode is then the only one. Any other reader that asked may have made up the rest;
    // the picture counts only if very different continuations (all zeros, all ones, noise)
    // leave it exactly as it is, each read without asking beyond it in turn. Zeros and ones
    // alone are not enough: in a JPEG stream both decode as "nothing more", just like the
    // end of the data.
    const QImage picture = Comparable(first.image);
    for (const QByteArray& padding : Continuations()) {
      const Attempt padded = Decode(bytes + padding, false, format);
      if (padded.image.isNull() || padded.lookedPastEnd || Comparable(padded.image) != picture)
        return out;
    }
  }
  out.result = DecodedImage::Result::Complete;
  out.image = std::move(first.image);
  return out;
}

}  // namespace

DecodedImage DecodeImageCompletely(const QByteArray& bytes, const QByteArray& formatHint,
                                   QImage into) {
  QByteArray found;
  DecodedImage out = DecodeCompletelyAs(bytes, QByteArray(), found, std::move(into));
  // A format without a signature of its own (TGA, which Qt takes for an icon) is known only
  // by the file's name: read as that format alone, by the same proof.
  if (out.result == DecodedImage::Result::Refused && !formatHint.isEmpty() && found != formatHint &&
      QImageReader::supportedImageFormats().contains(formatHint))
    out = DecodeCompletelyAs(bytes, formatHint, found, QImage());
  return out;
}

}  // namespace huesift
