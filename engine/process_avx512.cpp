// SPDX-License-Identifier: GPL-3.0-or-later
// GCC 12's 512-bit intrinsics fill unused lanes from _mm512_undefined_epi32(), which it then
// reports as possibly uninitialised; those lanes are never read.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include <type_traits>

#include "engine/process_kernels.h"

// Like the AVX2 kernel: compiled for every x86-64 CPU, called only after asking the CPU.
#define HUESIFT_AVX512 __attribute__((target("avx512f")))

namespace huesift::detail {

namespace {

// The displaced table lives in registers: two permutes pick each lane's displacement and
// two more its candidate among the 64 slots, with no memory access per pixel.
struct DisplacedSet {
  __m512i multiplier, displacementLow, displacementHigh, slots[4], bit5;

  HUESIFT_AVX512 explicit DisplacedSet(const RetainedSet& set)
      : multiplier(_mm512_set1_epi32(static_cast<int>(set.displacedMultiplier))),
        displacementLow(_mm512_loadu_si512(set.displacement.data())),
        displacementHigh(_mm512_loadu_si512(set.displacement.data() + 16)),
        bit5(_mm512_set1_epi32(32)) {
    for (int i = 0; i < 4; ++i) slots[i] = _mm512_loadu_si512(set.displacedSlots.data() + 16 * i);
  }
  HUESIFT_AVX512 __mmask16 contains(__m512i m) const {
    const __m512i p = _mm512_mullo_epi32(m, multiplier);
    const __m512i bucket = _mm512_srli_epi32(p, RetainedSet::kBucketShift);
    const __m512i slot =
        _mm512_add_epi32(_mm512_srli_epi32(p, RetainedSet::kDisplacedShift),
                         _mm512_permutex2var_epi32(displacementLow, bucket, displacementHigh));
    const __m512i low = _mm512_permutex2var_epi32(slots[0], slot, slots[1]);
    const __m512i high = _mm512_permutex2var_epi32(slots[2], slot, slots[3]);
    const __m512i candidate =
        _mm512_mask_blend_epi32(_mm512_test_epi32_mask(slot, bit5), low, high);
    return _mm512_cmpeq_epi32_mask(candidate, m);
  }
};

// Similar colours: each lane's two near sets gathered, eight lanes of 64 bits a gather.
// Skipping the vectors that repeat the last word of the one before, or gathering only the
// lanes that differ from it, measured a tenth slower on a screenshot, and 32-pixel blocks
// no faster. A cache of recent answers (one gather of 16 words when it knows them all, a
// scatter of the new ones) took a quarter off a screenshot but doubled the time on noise.
struct NearSet {
  const long long* low;
  const long long* high;
  __m512i lowBytes;
  __m512i byte;

  HUESIFT_AVX512 explicit NearSet(const RetainedSet& set)
      : low(reinterpret_cast<const long long*>(set.near.data())),
        high(low + RetainedSet::kNearHigh),
        lowBytes(_mm512_set1_epi32(0xFFFF)),
        byte(_mm512_set1_epi32(0xFF)) {}
  HUESIFT_AVX512 __mmask8 shares(__m256i lowIndex, __m256i highIndex) const {
    return _mm512_test_epi64_mask(_mm512_i32gather_epi64(lowIndex, low, 8),
                                  _mm512_i32gather_epi64(highIndex, high, 8));
  }
  HUESIFT_AVX512 __mmask16 contains(__m512i m) const {
    const __m512i lowIndex = _mm512_and_si512(m, lowBytes);
    const __m512i highIndex = _mm512_and_si512(_mm512_srli_epi32(m, 16), byte);
    const __mmask8 first =
        shares(_mm512_castsi512_si256(lowIndex), _mm512_castsi512_si256(highIndex));
    const __mmask8 second =
        shares(_mm512_extracti64x4_epi64(lowIndex, 1), _mm512_extracti64x4_epi64(highIndex, 1));
    return static_cast<__mmask16>(first | (second << 8));
  }
};

struct Pens {
  __m512i alpha, white, pen;
  __mmask16 convert;
};

template <ProcessPass P, class Set>
HUESIFT_AVX512 inline __m512i Apply(__m512i v, const Pens& k, const Set& set) {
  const __m512i m = _mm512_or_si512(v, k.alpha);
  const __m512i kept = _mm512_mask_mov_epi32(v, k.convert, k.pen);
  if constexpr (P == ProcessPass::Strip)
    return _mm512_mask_mov_epi32(k.white, set.contains(m), kept);
  const __mmask16 gone = _mm512_cmpeq_epi32_mask(m, k.white) | set.contains(m);
  return _mm512_mask_mov_epi32(kept, gone, k.white);
}

// As in the AVX2 kernel: the hardware's own prefetching stops at page boundaries.
HUESIFT_AVX512 inline void PrefetchBlockAhead(const std::uint32_t* at) {
  const std::uintptr_t ahead = reinterpret_cast<std::uintptr_t>(at) + kPrefetchBytes;
  for (int line = 0; line < 256; line += 64)
    _mm_prefetch(reinterpret_cast<const char*>(ahead + line), _MM_HINT_T0);
}

template <ProcessPass P, class Set>
HUESIFT_AVX512 void RowLoop(std::uint32_t* row, int n, const RowJob& job, const Set set) {
  Pens k;
  k.alpha = _mm512_set1_epi32(static_cast<int>(kAlphaBits));
  k.white = _mm512_set1_epi32(-1);
  k.pen = _mm512_set1_epi32(static_cast<int>(job.pen));
  k.convert = job.convert ? 0xFFFF : 0;
  const __m512i lastLane = _mm512_set1_epi32(15);

  // Blocks of 64 pixels as in the AVX2 kernel; masked stores write only changed pixels.
  __m512i runIn = k.white;
  __m512i runOut = _mm512_set1_epi32(static_cast<int>(std::is_same_v<Set, NearSet>
                                                          ? ApplySimilarRule(kStoredWhite, job)
                                                          : ApplyRule(kStoredWhite, job)));
  bool runWrites = _mm512_cmpneq_epi32_mask(runIn, runOut) != 0;
  int i = 0;
  for (; i + 64 <= n; i += 64) {
    std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    const __m512i v0 = _mm512_loadu_si512(at);
    const __m512i v1 = _mm512_loadu_si512(at + 16);
    const __m512i v2 = _mm512_loadu_si512(at + 32);
    const __m512i v3 = _mm512_loadu_si512(at + 48);
    const __mmask16 run = _mm512_cmpeq_epi32_mask(v0, runIn) & _mm512_cmpeq_epi32_mask(v1, runIn) &
                          _mm512_cmpeq_epi32_mask(v2, runIn) & _mm512_cmpeq_epi32_mask(v3, runIn);
    if (run == 0xFFFF) {
      if (runWrites) {
        _mm512_storeu_si512(at, runOut);
        _mm512_storeu_si512(at + 16, runOut);
        _mm512_storeu_si512(at + 32, runOut);
        _mm512_storeu_si512(at + 48, runOut);
      }
      continue;
    }
    const __m512i o0 = Apply<P>(v0, k, set);
    const __m512i o1 = Apply<P>(v1, k, set);
    const __m512i o2 = Apply<P>(v2, k, set);
    const __m512i o3 = Apply<P>(v3, k, set);
    _mm512_mask_storeu_epi32(at, _mm512_cmpneq_epi32_mask(o0, v0), o0);
    _mm512_mask_storeu_epi32(at + 16, _mm512_cmpneq_epi32_mask(o1, v1), o1);
    _mm512_mask_storeu_epi32(at + 32, _mm512_cmpneq_epi32_mask(o2, v2), o2);
    _mm512_mask_storeu_epi32(at + 48, _mm512_cmpneq_epi32_mask(o3, v3), o3);
    runIn = _mm512_permutexvar_epi32(lastLane, v3);
    runOut = _mm512_permutexvar_epi32(lastLane, o3);
    runWrites = _mm512_cmpneq_epi32_mask(runIn, runOut) != 0;
  }
  // The rest of the row in pieces of 16, the last one masked to the row's end.
  for (; i < n; i += 16) {
    const __mmask16 live = n - i >= 16 ? 0xFFFF : static_cast<__mmask16>((1u << (n - i)) - 1);
    const __m512i v = _mm512_maskz_loadu_epi32(live, row + i);
    const __m512i out = Apply<P>(v, k, set);
    _mm512_mask_storeu_epi32(row + i, live & _mm512_cmpneq_epi32_mask(out, v), out);
  }
}

template <ProcessPass P>
HUESIFT_AVX512 void Dispatch(std::uint32_t* row, int n, const RowJob& job) {
  if (job.set->distance > 0) return RowLoop<P>(row, n, job, NearSet(*job.set));
  return RowLoop<P>(row, n, job, DisplacedSet(*job.set));
}

// The row loop's blocks and runs, counting instead of writing.
template <class Set>
HUESIFT_AVX512 std::int64_t CountLoop(const std::uint32_t* row, int n, const Set set) {
  const __m512i alpha = _mm512_set1_epi32(static_cast<int>(kAlphaBits));
  __m512i runIn = _mm512_set1_epi32(-1);
  bool runHits = set.contains(runIn) != 0;
  std::int64_t count = 0;
  int i = 0;
  for (; i + 64 <= n; i += 64) {
    const std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    const __m512i v0 = _mm512_loadu_si512(at);
    const __m512i v1 = _mm512_loadu_si512(at + 16);
    const __m512i v2 = _mm512_loadu_si512(at + 32);
    const __m512i v3 = _mm512_loadu_si512(at + 48);
    const __mmask16 run = _mm512_cmpeq_epi32_mask(v0, runIn) & _mm512_cmpeq_epi32_mask(v1, runIn) &
                          _mm512_cmpeq_epi32_mask(v2, runIn) & _mm512_cmpeq_epi32_mask(v3, runIn);
    if (run == 0xFFFF) {
      count += runHits ? 64 : 0;
      continue;
    }
    const __mmask16 last = set.contains(_mm512_or_si512(v3, alpha));
    count += __builtin_popcount(set.contains(_mm512_or_si512(v0, alpha))) +
             __builtin_popcount(set.contains(_mm512_or_si512(v1, alpha))) +
             __builtin_popcount(set.contains(_mm512_or_si512(v2, alpha))) +
             __builtin_popcount(last);
    runIn = _mm512_permutexvar_epi32(_mm512_set1_epi32(15), v3);
    runHits = (last & 0x8000) != 0;
  }
  for (; i < n; i += 16) {
    const __mmask16 live = n - i >= 16 ? 0xFFFF : static_cast<__mmask16>((1u << (n - i)) - 1);
    const __m512i v = _mm512_maskz_loadu_epi32(live, row + i);
    count += __builtin_popcount(live & set.contains(_mm512_or_si512(v, alpha)));
  }
  return count;
}

}  // namespace

// The white pass needs no table and is left to the AVX2 kernel (every AVX-512 CPU has AVX2).
HUESIFT_AVX512 void ProcessRowAvx512(std::uint32_t* row, int n, const RowJob& job) {
  if (job.pass == ProcessPass::White) return ProcessRowAvx2(row, n, job);
  if (job.pass == ProcessPass::Reverse) return Dispatch<ProcessPass::Reverse>(row, n, job);
  return Dispatch<ProcessPass::Strip>(row, n, job);
}

// Requires a displaced set, as the strip pass does, or a similar one.
HUESIFT_AVX512 std::int64_t CountRowAvx512(const std::uint32_t* row, int n,
                                           const RetainedSet& set) {
  if (set.count == 0) return 0;
  if (set.distance > 0) return CountLoop(row, n, NearSet(set));
  return CountLoop(row, n, DisplacedSet(set));
}

}  // namespace huesift::detail
