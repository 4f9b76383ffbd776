// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/png_decode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/image_decode.h"
#include "platform/inflate.h"

namespace huesift {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
  return std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24 |
         std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8 |
         static_cast<std::uint8_t>(name[3]);
}

std::uint32_t BigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// CRC-32 as PNG chunks carry it, eight bytes a step (slicing-by-8).
class Crc32 {
 public:
  Crc32() {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table_[0][n] = c;
    }
    for (std::uint32_t n = 0; n < 256; ++n)
      for (int t = 1; t < 8; ++t)
        table_[t][n] = (table_[t - 1][n] >> 8) ^ table_[0][table_[t - 1][n] & 0xFF];
  }
  std::uint32_t of(const std::uint8_t* p, std::size_t n) const {
    std::uint32_t c = 0xFFFFFFFFu;
    for (; n >= 8; n -= 8, p += 8) {
      const std::uint32_t low = c ^ (p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                     std::uint32_t{p[3]} << 24);
      c = table_[7][low & 0xFF] ^ table_[6][(low >> 8) & 0xFF] ^ table_[5][(low >> 16) & 0xFF] ^
          table_[4][low >> 24] ^ table_[3][p[4]] ^ table_[2][p[5]] ^ table_[1][p[6]] ^
          table_[0][p[7]];
    }
    for (; n > 0; --n) c = table_[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
  }

 private:
  std::array<std::array<std::uint32_t, 256>, 8> table_{};
};

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int channels = 0;  // 3: RGB, 4: RGBA
};

// The chunks, checked as libpng checks them where that decides whether Qt gets a picture:
// the header first, critical chunks' checksums, consecutive IDATs, IEND. Ancillary chunks
// change no pixel and are skipped, but for tRNS (which makes a colour transparent) and eXIf
// (whose orientation a reader may apply), which are left to Qt.
bool ReadChunks(std::span<const std::uint8_t> file, Header& header,
                std::vector<std::span<const std::uint8_t>>& idats) {
  constexpr std::uint32_t kIhdr = ChunkType("IHDR");
  constexpr std::uint32_t kIdat = ChunkType("IDAT");
  constexpr std::uint32_t kIend = ChunkType("IEND");
  // libpng refuses any other chunk longer than this, and gives up keeping more than about a
  // thousand ancillary ones; both are far from anything a screenshot carries.
  constexpr std::uint32_t kLongestAncillary = 8000000;
  constexpr int kMostAncillary = 64;
  if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return false;
  std::size_t at = 8;
  int ancillary = 0;
  bool idatsEnded = false;
  for (bool first = true;; first = false) {
    if (file.size() - at < 12) return false;
    const std::uint8_t* chunk = file.data() + at;
    const std::uint32_t length = BigEndian(chunk);
    if (length > 0x7FFFFFFFu || length > file.size() - at - 12) return false;
    for (int i = 4; i < 8; ++i)
      if (!((chunk[i] >= 'A' && chunk[i] <= 'Z') || (chunk[i] >= 'a' && chunk[i] <= 'z')))
        return false;
    const std::uint32_t type = BigEndian(chunk + 4);
    const std::uint8_t* data = chunk + 8;
    const bool critical = (chunk[4] & 0x20) == 0;
    if (critical && PngChunkCrc(chunk + 4, length + 4) != BigEndian(data + length)) return false;
    at += 12 + std::size_t{length};
    if (first != (type == kIhdr)) return false;
    if (type == kIhdr) {
      if (length != 13) return false;
      header.width = BigEndian(data);
      header.height = BigEndian(data + 4);
      constexpr std::uint32_t kLongestSide = 0x7FFFFFFFu;
      if (header.width == 0 || header.height == 0 || header.width > kLongestSide ||
          header.height > kLongestSide)
        return false;
      const std::uint8_t depth = data[8];
      const std::uint8_t colour = data[9];
      // Compression and filter method 0, not interlaced.
      if (depth != 8 || (colour != 2 && colour != 6) || data[10] != 0 || data[11] != 0 ||
          data[12] != 0)
        return false;
      header.channels = colour == 2 ? 3 : 4;
    } else if (type == kIdat) {
      if (idatsEnded) return false;
      idats.emplace_back(data, length);
      continue;
    } else if (type == kIend) {
      return length == 0 && !idats.empty();
    } else if (critical || type == ChunkType("tRNS") || type == ChunkType("eXIf") ||
               length > kLongestAncillary || ++ancillary > kMostAncillary) {
      return false;
    }
    if (!idats.empty()) idatsEnded = true;
  }
}

inline std::uint32_t LoadWord(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void StoreWord(std::uint8_t* p, std::uint32_t v) {
  std::memcpy(p, &v, 4);
}

// A file pixel (R, G, B[, A]) as the image's 32-bit word, 0xAARRGGBB. Without alpha the top
// byte is 0 here and made opaque when the pixel is stored.
template <int kChannels>
inline std::uint32_t FilePixel(const std::uint8_t* p) {
  std::uint32_t v = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
  if constexpr (kChannels == 4) v |= std::uint32_t{p[3]} << 24;
  return v;
}

// Byte-wise arithmetic on the four channels of a word, each modulo 256.
inline std::uint32_t AddBytes(std::uint32_t x, std::uint32_t y) {
  return ((x & 0x7F7F7F7Fu) + (y & 0x7F7F7F7Fu)) ^ ((x ^ y) & 0x80808080u);
}
inline std::uint32_t AverageBytes(std::uint32_t x, std::uint32_t y) {
  return (x & y) + (((x ^ y) >> 1) & 0x7F7F7F7Fu);
}
#if !defined(__SSE2__)
inline std::uint32_t PaethBytes(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  std::uint32_t predicted = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int left = static_cast<int>((a >> shift) & 0xFF);
    const int above = static_cast<int>((b >> shift) & 0xFF);
    const int corner = static_cast<int>((c >> shift) & 0xFF);
    const int toLeft = std::abs(above - corner);
    const int toAbove = std::abs(left - corner);
    const int toCorner = std::abs(left + above - 2 * corner);
    const int chosen = toLeft <= toAbove && toLeft <= toCorner ? left
                       : toAbove <= toCorner                   ? above
                                                               : corner;
    predicted |= static_cast<std::uint32_t>(chosen) << shift;
  }
  return predicted;
}
#endif

#if defined(__SSE2__)
// The Paeth predictor one pixel at a time, its channels in 16-bit lanes. Each pixel waits
// for the one to its left; what does not depend on it is worked out beside that chain.
inline std::uint32_t PaethPixel(__m128i& left, __m128i& corner, std::uint32_t above,
                                std::uint32_t raw) {
  const __m128i zero = _mm_setzero_si128();
  const auto widen = [zero](std::uint32_t word) {
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(word)), zero);
  };
  const auto magnitude = [zero](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
  const __m128i up = widen(above);
  const __m128i upStep = _mm_sub_epi16(up, corner);
  const __m128i toLeft = magnitude(upStep);
  const __m128i leftStep = _mm_sub_epi16(left, corner);
  const __m128i toAbove = magnitude(leftStep);
  const __m128i toCorner = magnitude(_mm_add_epi16(leftStep, upStep));
  const __m128i notLeft =
      _mm_or_si128(_mm_cmpgt_epi16(toLeft, toAbove), _mm_cmpgt_epi16(toLeft, toCorner));
  const __m128i notAbove = _mm_cmpgt_epi16(toAbove, toCorner);
  const __m128i aboveOrCorner =
      _mm_or_si128(_mm_andnot_si128(notAbove, up), _mm_and_si128(notAbove, corner));
  const __m128i predicted =
      _mm_or_si128(_mm_andnot_si128(notLeft, left), _mm_and_si128(notLeft, aboveOrCorner));
  left = _mm_and_si128(_mm_add_epi16(predicted, widen(raw)), _mm_set1_epi16(0xFF));
  corner = up;
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(left, left)));
}

// Two rows of Paeth filtering at once, the lower one pixel behind: its pixel x - 1 needs the
// upper row up to x - 1 only, so the two chains of left neighbours run side by side, which
// takes little longer than one. filtered0 and filtered1 point at the rows' filter bytes.
template <int kChannels>
void UnfilterPaethPair(const std::uint8_t* filtered0, std::uint8_t* row0, const std::uint8_t* above,
                       const std::uint8_t* filtered1, std::uint8_t* row1, std::uint32_t width) {
  constexpr std::uint32_t kOpaque = kChannels == 3 ? 0xFF000000u : 0;
  const std::uint8_t* in0 = filtered0 + 1;
  const std::uint8_t* in1 = filtered1 + 1;
  __m128i left0 = _mm_setzero_si128();
  __m128i corner0 = _mm_setzero_si128();
  __m128i left1 = _mm_setzero_si128();
  __m128i corner1 = _mm_setzero_si128();
  StoreWord(row0, PaethPixel(left0, corner0, LoadWord(above), FilePixel<kChannels>(in0)) | kOpaque);
  for (std::uint32_t x = 1; x < width; ++x) {
    const std::uint32_t upper = PaethPixel(left0, corner0, LoadWord(above + 4 * x),
                                           FilePixel<kChannels>(in0 + kChannels * x));
    const std::uint32_t lower = PaethPixel(left1, corner1, LoadWord(row0 + 4 * (x - 1)),
                                           FilePixel<kChannels>(in1 + kChannels * (x - 1)));
    StoreWord(row0 + 4 * x, upper | kOpaque);
    StoreWord(row1 + 4 * (x - 1), lower | kOpaque);
  }
  const std::uint32_t last = width - 1;
  StoreWord(row1 + 4 * last, PaethPixel(left1, corner1, LoadWord(row0 + 4 * last),
                                        FilePixel<kChannels>(in1 + kChannels * last)) |
                                 kOpaque);
}
#endif

// One row from its filtered bytes (the filter type, then the file's pixels) into 32-bit
// pixels; above is the previous row as stored, null for the first. With RGB the filtered
// bytes may lie in the same memory just ahead of the row being written: each pixel is read
// before its word is stored, and the stores never overtake the bytes still to be read.
template <int kChannels>
bool UnfilterRow(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                 std::uint32_t width) {
  constexpr std::uint32_t kOpaque = kChannels == 3 ? 0xFF000000u : 0;
  std::uint8_t filter = filtered[0];
  // With no row above, Up adds nothing and Paeth always predicts the left pixel, as Sub does.
  if (!above && filter == 2) filter = 0;
  if (!above && filter == 4) filter = 1;
  const std::uint8_t* in = filtered + 1;
  std::uint32_t left = 0;
  switch (filter) {
    case 0:
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels)
        StoreWord(row + 4 * x, FilePixel<kChannels>(in) | kOpaque);
      return true;
    case 1:
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels) {
        left = AddBytes(FilePixel<kChannels>(in), left) | kOpaque;
        StoreWord(row + 4 * x, left);
      }
      return true;
    case 2:
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels)
        StoreWord(row + 4 * x,
                  AddBytes(FilePixel<kChannels>(in), LoadWord(above + 4 * x)) | kOpaque);
      return true;
    case 3:
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels) {
        const std::uint32_t up = above ? LoadWord(above + 4 * x) : 0;
        left = AddBytes(FilePixel<kChannels>(in), AverageBytes(left, up)) | kOpaque;
        StoreWord(row + 4 * x, left);
      }
      return true;
    case 4: {
#if defined(__SSE2__)
      __m128i leftLanes = _mm_setzero_si128();
      __m128i cornerLanes = _mm_setzero_si128();
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels)
        StoreWord(row + 4 * x, PaethPixel(leftLanes, cornerLanes, LoadWord(above + 4 * x),
                                          FilePixel<kChannels>(in)) |
                                   kOpaque);
#else
      std::uint32_t corner = 0;
      for (std::uint32_t x = 0; x < width; ++x, in += kChannels) {
        const std::uint32_t up = LoadWord(above + 4 * x);
        left = AddBytes(FilePixel<kChannels>(in), PaethBytes(left, up, corner)) | kOpaque;
        corner = up;
        StoreWord(row + 4 * x, left);
      }
#endif
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::uint32_t PngChunkCrc(const std::uint8_t* typeAndData, std::size_t size) {
  static const Crc32 crc;
  return crc.of(typeAndData, size);
}

bool PngChunkRunsPastEnd(const QByteArray& bytes) {
  const auto* file = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  const auto size = static_cast<std::size_t>(bytes.size());
  if (size < 8 || std::memcmp(file, kSignature, 8) != 0) return false;
  for (std::size_t at = 8; size - at >= 8;) {
    const std::uint32_t length = BigEndian(file + at);
    const std::uint32_t type = BigEndian(file + at + 4);
    // Nothing is read into memory from IEND on, and libpng has the picture by then: a file
    // whose last checksum is cut is still read.
    if (type == ChunkType("IEND")) return false;
    // Compressed pixels are read as they come, a piece at a time: a cut IDAT costs nothing.
    if (length > size - at - 8 || size - at - 8 - length < 4) return type != ChunkType("IDAT");
    at += 12 + std::size_t{length};
  }
  return false;
}

bool DecodeCommonPng(const QByteArray& bytes, QImage& image) {
  Header header;
  std::vector<std::span<const std::uint8_t>> idats;
  if (!ReadChunks({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                   static_cast<std::size_t>(bytes.size())},
                  header, idats))
    return false;
  const int width = static_cast<int>(header.width);
  const int height = static_cast<int>(header.height);
  if (TooLargeForPicture(QSize(width, height))) return false;
  const int channels = header.channels;

  std::span<const std::uint8_t> stream = idats.front();
  std::unique_ptr<std::uint8_t[]> joined;
  if (idats.size() > 1) {
    std::size_t total = 0;
    for (const auto& idat : idats) total += idat.size();
    joined = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    std::uint8_t* to = joined.get();
    for (const auto& idat : idats) to = std::copy(idat.begin(), idat.end(), to);
    stream = {joined.get(), total};
  }

  const QImage::Format format = channels == 3 ? QImage::Format_RGB32 : QImage::Format_ARGB32;
  const QImage::Format given = image.format();
  const bool reuse = image.size() == QSize(width, height) && image.depth() == 32 &&
                     image.bytesPerLine() == qsizetype{width} * 4 &&
                     image.reinterpretAsFormat(format);
  QImage target = reuse ? std::move(image) : QImage(width, height, format);
  auto decline = [&] {
    if (reuse) {
      target.reinterpretAsFormat(given);
      image = std::move(target);
    }
    return false;
  };
  if (target.isNull()) return decline();

  // RGB's filtered rows (3 bytes a pixel and a filter byte) fit in the image's own memory
  // (4 bytes a pixel), at its end: no second raster to allocate and fault in.
  std::uint8_t* pixels = target.bits();
  const std::size_t rowBytes = std::size_t{header.width} * static_cast<std::size_t>(channels) + 1;
  const std::size_t filteredBytes = rowBytes * header.height;
  const std::size_t imageBytes = std::size_t{header.width} * header.height * 4;
  std::unique_ptr<std::uint8_t[]> separate;
  std::uint8_t* filtered = pixels + imageBytes - filteredBytes;
  if (channels == 4) {
    separate = std::make_unique_for_overwrite<std::uint8_t[]>(filteredBytes);
    filtered = separate.get();
  }
  // Rows are unfiltered as soon as they are inflated, while their bytes are still cached. In
  // the image's own memory a row's pixels must also keep clear of the bytes the stream may
  // still copy from: its window behind what it has produced.
  ZlibInflater inflater(stream, {filtered, filteredBytes});
  const std::size_t pixelRowBytes = std::size_t{header.width} * 4;
  const auto filteredAt = static_cast<std::size_t>(filtered - pixels);
  const std::uint8_t* above = nullptr;
  int y = 0;
  auto ready = [&](int row) {
    const auto next = static_cast<std::size_t>(row) + 1;
    return inflater.finished() || (rowBytes * next <= inflater.produced() &&
                                   (separate || pixelRowBytes * next + inflater.window() <=
                                                    filteredAt + inflater.produced()));
  };
  auto filteredRow = [&](int row) { return filtered + rowBytes * static_cast<std::size_t>(row); };
  auto pixelRow = [&](int row) { return pixels + pixelRowBytes * static_cast<std::size_t>(row); };
  auto unfilterRows = [&] {
    while (y < height && ready(y)) {
#if defined(__SSE2__)
      // In place, the lower row's pixels keep clear of the upper row's unread bytes only
      // while at least five rows are left.
      if (y > 0 && y + 1 < height && ready(y + 1) && filteredRow(y)[0] == 4 &&
          filteredRow(y + 1)[0] == 4 && (separate || y + 5 <= height)) {
        if (channels == 3)
          UnfilterPaethPair<3>(filteredRow(y), pixelRow(y), above, filteredRow(y + 1),
                               pixelRow(y + 1), header.width);
        else
          UnfilterPaethPair<4>(filteredRow(y), pixelRow(y), above, filteredRow(y + 1),
                               pixelRow(y + 1), header.width);
        above = pixelRow(y + 1);
        y += 2;
        continue;
      }
#endif
      const bool known = channels == 3
                             ? UnfilterRow<3>(filteredRow(y), pixelRow(y), above, header.width)
                             : UnfilterRow<4>(filteredRow(y), pixelRow(y), above, header.width);
      if (!known) return false;
      above = pixelRow(y);
      ++y;
    }
    return true;
  };
  constexpr std::size_t kStep = 256 * 1024;
  while (!inflater.finished())
    if (!inflater.inflateAtLeast(inflater.produced() + kStep) || !unfilterRows()) return decline();
  if (!unfilterRows()) return decline();
  image = std::move(target);
  return true;
}

}  // namespace huesift
