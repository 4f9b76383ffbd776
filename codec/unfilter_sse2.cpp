// SPDX-License-Identifier: GPL-3.0-or-later
// Paeth with SSE2, whose cost dominates unfiltering a screenshot: a pixel's channels in
// 16-bit lanes, and two rows' chains of left neighbours run side by side.
#include <emmintrin.h>

#include "codec/unfilter.h"
#include "codec/unfilter_kernels.h"
#include "codec/unfilter_row.h"

namespace huesift::detail {
namespace {

// The Paeth predictor one pixel at a time. Each pixel waits for the one to its left; what does
// not depend on it is worked out beside that chain.
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

template <int kChannels>
bool UnfilterRowSse2(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                     std::uint32_t width) {
  return UnfilterRowWith<kChannels>(
      filtered, row, above, width,
      [](const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* up, std::uint32_t n) {
        __m128i left = _mm_setzero_si128();
        __m128i corner = _mm_setzero_si128();
        for (std::uint32_t x = 0; x < n; ++x, in += kChannels)
          StoreWord(
              out + 4 * x,
              PaethPixel(left, corner, LoadWord(up + 4 * x), FilePixel<kChannels>(in)) | kOpaque);
      });
}

// The lower row runs one pixel behind the upper: its pixel x - 1 needs the upper row up to
// x - 1 only.
template <int kChannels>
void UnfilterPaethPairSse2(const std::uint8_t* filtered0, std::uint8_t* row0,
                           const std::uint8_t* above, const std::uint8_t* filtered1,
                           std::uint8_t* row1, std::uint32_t width) {
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

}  // namespace

bool UnfilterRowSse2(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                     std::uint32_t width, int channels) {
  return channels == 3 ? UnfilterRowSse2<3>(filtered, row, above, width)
                       : UnfilterRowSse2<4>(filtered, row, above, width);
}

void UnfilterPaethPairSse2(const std::uint8_t* filtered0, std::uint8_t* row0,
                           const std::uint8_t* above, const std::uint8_t* filtered1,
                           std::uint8_t* row1, std::uint32_t width, int channels) {
  if (channels == 3)
    UnfilterPaethPairSse2<3>(filtered0, row0, above, filtered1, row1, width);
  else
    UnfilterPaethPairSse2<4>(filtered0, row0, above, filtered1, row1, width);
}

}  // namespace huesift::detail
