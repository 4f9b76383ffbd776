// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt_image_proof.h"

#include <QIODevice>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

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
  // Whether a reader asked again once every byte had been handed out: it wanted more than
  // there was, and whatever it did then was made up.
  bool ranOut() const { return ranOut_; }
  void handOutAtMost(qint64 bytes) { largestRead_ = bytes; }
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
    const qint64 n = std::clamp<qint64>(bytes_.size() - at, 0, std::min(maxSize, largestRead_));
    if (n > 0) std::memcpy(data, bytes_.constData() + at, static_cast<std::size_t>(n));
    if (at + n == bytes_.size() && n < maxSize) lookedPastEnd_ = true;
    if (n == 0 && maxSize > 0) ranOut_ = true;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const QByteArray& bytes_;
  bool lookedPastEnd_ = false;
  bool ranOut_ = false;
  qint64 largestRead_ = std::numeric_limits<qint64>::max();
};

// libjpeg decodes a damaged stream one way when much of it is at hand (its fast path) and
// another when little is, so a damaged JPEG's pixels would depend on how many bytes follow
// the ones read. Never handed as much at once as its fast path wants (512 bytes a block),
// it always takes the careful path, whose pixels depend on the bytes it read alone. On a
// sound stream both paths give the same pixels, as fast.
constexpr qint64 kCarefulJpegRead = 511;

bool IsJpeg(const QByteArray& format) {
  return format == "jpeg" || format == "jpg";
}

// Generous enough for the largest picture taken; Qt's own default refuses some of them.
constexpr int kAllocationLimitMiB = static_cast<int>(kLargestRasterBytes * 5 / 4 / (1024 * 1024));

struct Attempt {
  QImage image;
  QSize announced;
  QByteArray format;
  bool lookedPastEnd = false;
  bool ranOut = false;
};

// format: empty to let Qt tell it by the content, else this format alone. into: see
// DecodeWithQt.
Attempt Decode(const QByteArray& bytes, bool stopIfTooLarge, const QByteArray& format,
               QImage into = {}) {
  WatchedBytes device(bytes);
  QImageReader reader(&device, format);
  reader.setAutoDetectImageFormat(format.isEmpty());
  reader.setAllocationLimit(kAllocationLimitMiB);
  Attempt attempt;
  attempt.announced = reader.size();
  attempt.format = reader.format();  // asked before reading: afterwards Qt no longer says
  if (IsJpeg(attempt.format)) device.handOutAtMost(kCarefulJpegRead);
  if (!(stopIfTooLarge && attempt.announced.isValid() && TooLargeForPicture(attempt.announced))) {
    attempt.image = std::move(into);
    if (!reader.read(&attempt.image)) attempt.image = QImage();
  }
  attempt.lookedPastEnd = device.lookedPastEnd();
  attempt.ranOut = device.ranOut();
  return attempt;
}

std::uint8_t At(const QByteArray& bytes, qsizetype i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

// Where a GIF's first picture, the one read, ends within the bytes: just past the empty data
// block that closes it; -1 when it does not end within them.
qsizetype GifFirstFrameEnd(const QByteArray& bytes) {
  const qsizetype n = bytes.size();
  if (n < 13 || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))) return -1;
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
      if (!skipBlocks()) return -1;
    } else if (introducer == 0x2C) {  // the first picture
      if (i + 9 > n) return -1;
      const std::uint8_t flags = At(bytes, i + 8);
      i += 9;
      if (flags & 0x80) i += 3 << ((flags & 7) + 1);
      ++i;  // the LZW code size
      return i <= n && skipBlocks() ? i : -1;
    } else {
      return -1;  // the trailer before any picture, or no GIF
    }
  }
  return -1;
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

// Whether two decodes give the same pixels; compared in place when the reader gave both in
// one 32-bit format, so that a large picture is not copied twice more for the comparison.
// Only there: Qt's own comparison was seen to read past the rows of some smaller formats.
bool SamePixels(const QImage& a, const QImage& b) {
  if (a.format() == b.format() && a.depth() == 32) return a == b;
  return Comparable(a) == Comparable(b);
}

bool IsBmp(const QByteArray& format) {
  return format == "bmp" || format == "dib";
}

// The bytes of a row that hold pixels, without the padding after them.
qsizetype PixelBytesOfRow(const QImage& image) {
  return (qsizetype{image.width()} * image.depth() + 7) / 8;
}

// Whether a and b hold the same bytes in every pixel, their colour tables included.
bool SameBits(const QImage& a, const QImage& b) {
  if (a.format() != b.format() || a.size() != b.size() || a.colorTable() != b.colorTable())
    return false;
  const auto rowBytes = static_cast<std::size_t>(PixelBytesOfRow(a));
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0) return false;
  return true;
}

// Qt's BMP reader leaves the pixels it is given no data for as its memory held them (a
// run-length picture may say it ends before its last row), without asking past the end. So
// the bytes are read again into a copy of the picture with every bit turned over, which the
// reader fills in place: a pixel it left alone would now differ.
bool EveryPixelWritten(const QByteArray& bytes, const QByteArray& format, const QImage& decoded) {
  QImage turned = decoded.copy();
  const qsizetype rowBytes = PixelBytesOfRow(turned);
  for (int y = 0; y < turned.height(); ++y) {
    uchar* row = turned.scanLine(y);
    for (qsizetype i = 0; i < rowBytes; ++i) row[i] = static_cast<uchar>(~row[i]);
  }
  const Attempt again = Decode(bytes, false, format, std::move(turned));
  return SameBits(again.image, decoded);
}

}  // namespace

bool TooLargeForPicture(QSize size) {
  constexpr qint64 kMaxSide = 32767;
  const qint64 w = size.width();
  const qint64 h = size.height();
  return w > kMaxSide || h > kMaxSide || w * h * 4 > kLargestRasterBytes;
}

const char* RefusalName(Refusal refusal) {
  switch (refusal) {
    case Refusal::Empty:
      return "Empty";
    case Refusal::UnknownFormat:
      return "UnknownFormat";
    case Refusal::Unreadable:
      return "Unreadable";
    case Refusal::Incomplete:
      return "Incomplete";
    case Refusal::PixelsUnwritten:
      return "PixelsUnwritten";
    case Refusal::ChunkRunsPastEnd:
      return "ChunkRunsPastEnd";
    case Refusal::DataPastPicture:
      return "DataPastPicture";
  }
  return "?";
}

namespace {

// closedGif: bytes are a GIF's first picture closed by the trailer (GifFirstFrameAlone), whose
// reader asks past the end in its chunks whatever follows.
QtDecoded DecodeCompletelyAs(const QByteArray& bytes, const QByteArray& format,
                             QByteArray& formatFound, QImage into, bool closedGif) {
  QtDecoded out;
  Attempt first = Decode(bytes, true, format, std::move(into));
  formatFound = first.format;
  if (first.announced.isValid() && TooLargeForPicture(first.announced)) {
    out.result = QtDecoded::Result::TooLarge;
    out.size = first.announced;
    return out;
  }
  if (first.image.isNull()) {
    out.refusal = first.format.isEmpty() ? Refusal::UnknownFormat : Refusal::Unreadable;
    return out;
  }
  if (TooLargeForPicture(first.image.size())) {
    out.result = QtDecoded::Result::TooLarge;
    out.size = first.image.size();
    return out;
  }
  // Qt's JPEG reader asks for more than is left whenever it fills its buffer, so asking past
  // the end says nothing there. One that was handed every byte and never asked again stopped
  // at the stream's own end marker: it read the same as it would have from any longer input,
  // and its one decode is the picture.
  const bool jpegEndedWithin = IsJpeg(first.format) && !first.ranOut;
  if (first.lookedPastEnd && !jpegEndedWithin) {
    // A reader that never asked beyond the last byte would have read the same from any
    // longer input: the picture is the bytes' own, and the first decode is the only one.
    // Any other reader may have made up the rest; the picture counts only if very different
    // continuations (all zeros, all ones, noise) leave it exactly as it is, each read without
    // asking beyond it in turn. Zeros and ones alone are not enough: in a JPEG stream both
    // decode as "nothing more", just like the end of the data.
    const bool askingExcused = closedGif && first.format == "gif";
    for (const QByteArray& padding : Continuations()) {
      const Attempt padded = Decode(bytes + padding, false, format);
      if (padded.image.isNull() || (padded.lookedPastEnd && !askingExcused) ||
          !SamePixels(padded.image, first.image)) {
        out.refusal = Refusal::Incomplete;
        return out;
      }
    }
  }
  if (IsBmp(first.format) && !EveryPixelWritten(bytes, format, first.image)) {
    out.refusal = Refusal::PixelsUnwritten;
    return out;
  }
  out.result = QtDecoded::Result::Complete;
  out.image = std::move(first.image);
  return out;
}

}  // namespace

QByteArray GifFirstFrameAlone(const QByteArray& bytes) {
  const qsizetype end = GifFirstFrameEnd(bytes);
  return end < 0 ? QByteArray() : bytes.left(end) + ';';
}

QtDecoded DecodeWithQt(const QByteArray& bytes, const QByteArray& formatHint, QImage into) {
  // Qt's GIF reader reads on past the first picture (in chunks, and into whatever follows
  // it), and what it finds there can change what it gives back: garbage after a picture whose
  // data falls short makes it give nothing. So a GIF is read as its first picture alone,
  // closed by the trailer, and still proven by continuations after that trailer.
  QByteArray found;
  const QByteArray gifFirstFrame = GifFirstFrameAlone(bytes);
  const bool closedGif = !gifFirstFrame.isEmpty();
  QtDecoded out = DecodeCompletelyAs(closedGif ? gifFirstFrame : bytes, QByteArray(), found,
                                     std::move(into), closedGif);
  // A format without a signature of its own (TGA, which Qt takes for an icon) is known only
  // by the file's name: read as that format alone, by the same proof.
  if (out.result == QtDecoded::Result::Refused && !formatHint.isEmpty() && found != formatHint &&
      QImageReader::supportedImageFormats().contains(formatHint)) {
    QtDecoded asHinted = DecodeCompletelyAs(bytes, formatHint, found, QImage(), false);
    // Refused either way, the reason the content gave says more than the name's.
    if (asHinted.result != QtDecoded::Result::Refused || out.refusal == Refusal::UnknownFormat)
      out = std::move(asHinted);
  }
  return out;
}

}  // namespace huesift
