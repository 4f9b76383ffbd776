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
constexpr int kAllocationLimitMiB = static_cast<int>(kMaxPictureBytes * 5 / 4 / (1024 * 1024));

struct Attempt {
  QImage image;
  QSize announced;
  bool lookedPastEnd = false;
};

Attempt Decode(const QByteArray& bytes, bool stopIfTooLarge) {
  WatchedBytes device(bytes);
  QImageReader reader(&device);
  reader.setAllocationLimit(kAllocationLimitMiB);
  Attempt attempt;
  attempt.announced = reader.size();
  if (!(stopIfTooLarge && attempt.announced.isValid() && TooLargeForPicture(attempt.announced)))
    attempt.image = reader.read();
  attempt.lookedPastEnd = device.lookedPastEnd();
  return attempt;
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
  return w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxPictureBytes;
}

DecodedImage DecodeImageCompletely(const QByteArray& bytes) {
  DecodedImage out;
  Attempt first = Decode(bytes, true);
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
  if (first.lookedPastEnd) {
    // A reader that never asked beyond the last byte would have read the same from any
    // longer input: the picture is the bytes' own. One that did ask may have made up the
    // rest; the picture counts only if very different continuations (all zeros, all ones,
    // noise) leave it exactly as it is, each read without asking beyond it in turn. Zeros
    // and ones alone are not enough: in a JPEG stream both decode as "nothing more", just
    // like the end of the data.
    const QImage picture = Comparable(first.image);
    for (const QByteArray& padding : Continuations()) {
      const Attempt padded = Decode(bytes + padding, false);
      if (padded.image.isNull() || padded.lookedPastEnd || Comparable(padded.image) != picture)
        return out;
    }
  }
  out.result = DecodedImage::Result::Complete;
  out.image = std::move(first.image);
  return out;
}

}  // namespace huesift
