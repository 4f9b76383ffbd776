// SPDX-License-Identifier: GPL-3.0-or-later
#include <immintrin.h>

#include "engine/fill_kernels.h"

// Built for every x86-64 CPU; only these functions use AVX-512, and FloodFill calls them only
// after asking the CPU. Pixels of a row's last, partial word are done one by one, so no
// vector access reaches past the row even with its lanes masked off.
#define HUESIFT_AVX512 __attribute__((target("avx512f")))

namespace huesift::detail {

HUESIFT_AVX512 void BuildFillMaskAvx512(const std::uint32_t* row, int width, std::uint32_t old,
                                        FillWord* mask) {
  const __m512i vo = _mm512_set1_epi32(static_cast<int>(old));
  const int full = width / 64;
  for (int w = 0; w < full; ++w) {
    const std::uint32_t* p = row + 64 * w;
    FillWord bits = 0;
    for (int i = 0; i < 4; ++i)
      bits |= FillWord{_mm512_cmpeq_epi32_mask(_mm512_loadu_si512(p + 16 * i), vo)} << (16 * i);
    mask[w] = bits;
  }
  if (width % 64 != 0) {
    FillWord bits = 0;
    for (int x = 64 * full; x < width; ++x) bits |= FillWord{row[x] == old} << (x - 64 * full);
    mask[full] = bits;
  }
}

HUESIFT_AVX512 void PaintFillBitsAvx512(std::uint32_t* row, int width, const FillWord* bits,
                                        int first, int last, std::uint32_t value) {
  const __m512i vn = _mm512_set1_epi32(static_cast<int>(value));
  const int full = width / 64;
  for (int w = first; w <= last; ++w) {
    FillWord b = bits[w];
    std::uint32_t* p = row + 64 * w;
    if (w < full) {
      for (int i = 0; i < 4 && b != 0; ++i, b >>= 16)
        _mm512_mask_storeu_epi32(p + 16 * i, static_cast<__mmask16>(b & 0xFFFF), vn);
    } else {
      for (; b != 0; b &= b - 1) p[__builtin_ctzll(b)] = value;
    }
  }
}

}  // namespace huesift::detail
