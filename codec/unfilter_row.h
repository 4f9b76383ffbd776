// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the unfilter kernels: the four simple filters, byte-wise arithmetic on whole
// words, written once; each kernel brings its own Paeth predictor.

#include <cstdint>
#include <cstring>

namespace huesift::detail {

inline constexpr std::uint32_t kOpaque = 0xFF000000u;

inline std::uint32_t LoadWord(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void StoreWord(std::uint8_t* p, std::uint32_t v) {
  std::memcpy(p, &v, 4);
}

// A file pixel (R, G, B[, A]) as a 32-bit word, 0xAARRGGBB; 0 alpha without one.
template <int kChannels>
inline std::uint32_t FilePixel(const std::uint8_t* p) {
  std::uint32_t v = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
  if constexpr (kChannels == 4) v |= std::uint32_t{p[3]} << 24;
  return v;
}

// Each of the four channels of a word modulo 256.
inline std::uint32_t AddBytes(std::uint32_t x, std::uint32_t y) {
  return ((x & 0x7F7F7F7Fu) + (y & 0x7F7F7F7Fu)) ^ ((x ^ y) & 0x80808080u);
}
inline std::uint32_t AverageBytes(std::uint32_t x, std::uint32_t y) {
  return (x & y) + (((x ^ y) >> 1) & 0x7F7F7F7Fu);
}

// The stored words' alpha is always opaque, so the alpha byte of the row above is not the
// file's: only the colour channels of what is stored are right. That is all a picture keeps,
// and each channel is predicted from itself alone.
//
// PaethRow(in, row, above, width) undoes Paeth on a row that has one above.
template <int kChannels, typename PaethRow>
bool UnfilterRowWith(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                     std::uint32_t width, PaethRow&& paethRow) {
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
        left = AddBytes(FilePixel<kChannels>(in), left);
        StoreWord(row + 4 * x, left | kOpaque);
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
        left = AddBytes(FilePixel<kChannels>(in), AverageBytes(left, up));
        StoreWord(row + 4 * x, left | kOpaque);
      }
      return true;
    case 4:
      paethRow(in, row, above, width);
      return true;
    default:
      return false;
  }
}

}  // namespace huesift::detail
