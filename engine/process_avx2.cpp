// SPDX-License-Identifier: GPL-3.0-or-later
#include <immintrin.h>

#include <type_traits>

#include "engine/process_kernels.h"

// Built for every x86-64 CPU; only these functions use AVX2, and RunProcessPass calls them
// only after asking the CPU.
#define HUESIFT_AVX2 __attribute__((target("avx2")))

namespace huesift::detail {

namespace {

// Up to kMaxCompared colours, padded by repeating the first so every compare is real work.
template <int K>
struct SmallSet {
  __m256i colour[K];

  HUESIFT_AVX2 explicit SmallSet(const RetainedSet& set) {
    for (int i = 0; i < K; ++i)
      colour[i] = _mm256_set1_epi32(static_cast<int>(set.colours[i < set.count ? i : 0]));
  }
  HUESIFT_AVX2 __m256i contains(__m256i m) const {
    __m256i hit = _mm256_cmpeq_epi32(m, colour[0]);
    for (int i = 1; i < K; ++i) hit = _mm256_or_si256(hit, _mm256_cmpeq_epi32(m, colour[i]));
    return hit;
  }
};

struct EmptySet {
  HUESIFT_AVX2 __m256i contains(__m256i) const { return _mm256_setzero_si256(); }
};

// More colours are looked up in the hash with a gather. A table held in registers instead (the
// 512-bit kernel's displaced hash takes twelve permutes and ten blends per eight pixels in
// AVX2) measured three times slower.
struct HashedSet {
  const int* slots;
  __m256i multiplier;
  __m128i shift;

  HUESIFT_AVX2 explicit HashedSet(const RetainedSet& set)
      : slots(reinterpret_cast<const int*>(set.slots.data())),
        multiplier(_mm256_set1_epi32(static_cast<int>(set.multiplier))),
        shift(_mm_cvtsi32_si128(set.shift)) {}
  HUESIFT_AVX2 __m256i contains(__m256i m) const {
    const __m256i index = _mm256_srl_epi32(_mm256_mullo_epi32(m, multiplier), shift);
    return _mm256_cmpeq_epi32(_mm256_i32gather_epi32(slots, index, 4), m);
  }
};

// Similar colours: each lane's two near sets gathered, four lanes of 64 bits a gather. Taking
// only the vectors that differ from the last word of the one before (a test and a branch per
// vector) measured a twentieth slower on a screenshot: too many of them differ.
struct NearSet {
  const long long* low;
  const long long* high;
  __m256i lowBytes;
  __m256i byte;
  __m256i order;

  HUESIFT_AVX2 explicit NearSet(const RetainedSet& set)
      : low(reinterpret_cast<const long long*>(set.near.data())),
        high(low + RetainedSet::kNearHigh),
        lowBytes(_mm256_set1_epi32(0xFFFF)),
        byte(_mm256_set1_epi32(0xFF)),
        order(_mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7)) {}
  // All ones in the 64-bit lanes of four words whose sets share no bit.
  HUESIFT_AVX2 __m256i misses(__m128i lowIndex, __m128i highIndex) const {
    const __m256i shared = _mm256_and_si256(_mm256_i32gather_epi64(low, lowIndex, 8),
                                            _mm256_i32gather_epi64(high, highIndex, 8));
    return _mm256_cmpeq_epi64(shared, _mm256_setzero_si256());
  }
  HUESIFT_AVX2 __m256i contains(__m256i m) const {
    const __m256i lowIndex = _mm256_and_si256(m, lowBytes);
    const __m256i highIndex = _mm256_and_si256(_mm256_srli_epi32(m, 16), byte);
    const __m256i first =
        misses(_mm256_castsi256_si128(lowIndex), _mm256_castsi256_si128(highIndex));
    const __m256i second =
        misses(_mm256_extracti128_si256(lowIndex, 1), _mm256_extracti128_si256(highIndex, 1));
    // Both halves of a 64-bit answer are alike: interleave the two and put them in order.
    const __m256i missed =
        _mm256_permutevar8x32_epi32(_mm256_blend_epi32(first, second, 0xAA), order);
    return _mm256_xor_si256(missed, _mm256_set1_epi32(-1));
  }
};

struct Pens {
  __m256i alpha, ones, pen;
};

// Plain bit operations throughout: blendv costs two or three operations on most CPUs.
// Convert (a kept pixel takes the pen) is known per row, so it is a template argument
// rather than two more operations per vector.
template <ProcessPass P, bool Convert, class Set>
HUESIFT_AVX2 inline __m256i Apply(__m256i v, const Pens& k, const Set& set) {
  const __m256i m = _mm256_or_si256(v, k.alpha);
  const __m256i white = _mm256_cmpeq_epi32(m, k.ones);
  if constexpr (P == ProcessPass::White)
    return _mm256_or_si256(_mm256_and_si256(white, k.pen), _mm256_andnot_si256(white, v));
  const __m256i kept = Convert ? k.pen : v;
  if constexpr (P == ProcessPass::Strip)  // stored white is all ones
    return _mm256_or_si256(kept, _mm256_andnot_si256(set.contains(m), k.ones));
  return _mm256_or_si256(kept, _mm256_or_si256(white, set.contains(m)));
}

HUESIFT_AVX2 inline __m256i Load(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
HUESIFT_AVX2 inline void Store(std::uint32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
HUESIFT_AVX2 inline bool AllZero(__m256i v) {
  return _mm256_testz_si256(v, v) != 0;
}

// A block of 32 pixels, two cache lines. Larger blocks mean fewer of the hard-to-predict
// decisions per pixel, smaller ones find more runs and so need fewer lookups; on a screenshot
// this size measured best with 8 and 64 colours (16 and 64 pixels were a tenth slower).
constexpr int kVectors = 4;
constexpr int kBlock = 8 * kVectors;

// Asks for the cache lines of a block far enough ahead to hide the memory's latency, across
// the 4 KiB page boundaries at which the hardware's own prefetching stops: without this the
// kernel took a fifth longer on a screenshot. Prefetches never fault, so running past the
// end of the picture is harmless; the address is computed as an integer for that reason.
HUESIFT_AVX2 inline void PrefetchBlockAhead(const std::uint32_t* at) {
  const std::uintptr_t ahead = reinterpret_cast<std::uintptr_t>(at) + kPrefetchBytes;
  for (int line = 0; line < kBlock * 4; line += 64)
    _mm_prefetch(reinterpret_cast<const char*>(ahead + line), _MM_HINT_T0);
}

// The set comes by value: the row's stores could otherwise alias its fields, and the compiler
// would load them again for every vector.
template <ProcessPass P, bool Convert, class Set>
HUESIFT_AVX2 void RowLoop(std::uint32_t* row, int n, const RowJob& job, const Set set) {
  Pens k;
  k.alpha = _mm256_set1_epi32(static_cast<int>(kAlphaBits));
  k.ones = _mm256_set1_epi32(-1);
  k.pen = _mm256_set1_epi32(static_cast<int>(job.pen));

  // The only decisions per block are whether it repeats the word the previous block ended
  // with (its result is known then) and whether anything changed. Rows mostly start on
  // background, so white is the first guess.
  __m256i runIn = k.ones;
  __m256i runOut = Apply<P, Convert>(runIn, k, set);
  bool runWrites = !AllZero(_mm256_xor_si256(runIn, runOut));
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    __m256i differs = _mm256_setzero_si256();
#pragma GCC unroll 8
    for (int j = 0; j < kVectors; ++j)
      differs = _mm256_or_si256(differs, _mm256_xor_si256(Load(at + 8 * j), runIn));
    if (AllZero(differs)) {
      if (runWrites)
#pragma GCC unroll 8
        for (int j = 0; j < kVectors; ++j) Store(at + 8 * j, runOut);
      continue;
    }
    // The block is read again, from the first-level cache, rather than kept in registers,
    // which the colour compares need for themselves. Nearly every vector of such a block
    // changes, so each is written back without asking: as fast here as masked stores (slow
    // on some CPUs), and far faster than a hard-to-predict decision per vector.
    __m256i v;
    __m256i o;
#pragma GCC unroll 8
    for (int j = 0; j < kVectors; ++j) {
      v = Load(at + 8 * j);
      o = Apply<P, Convert>(v, k, set);
      Store(at + 8 * j, o);
    }
    const __m256i lastLane = _mm256_set1_epi32(7);
    runIn = _mm256_permutevar8x32_epi32(v, lastLane);
    runOut = _mm256_permutevar8x32_epi32(o, lastLane);
    runWrites = !AllZero(_mm256_xor_si256(runIn, runOut));
  }
  for (; i + 8 <= n; i += 8) {
    auto* at = reinterpret_cast<__m256i*>(row + i);
    const __m256i v = _mm256_loadu_si256(at);
    const __m256i out = Apply<P, Convert>(v, k, set);
    if (!AllZero(_mm256_xor_si256(out, v))) _mm256_storeu_si256(at, out);
  }
  for (; i < n; ++i) {
    std::uint32_t out;
    if constexpr (std::is_same_v<Set, NearSet>)
      out = ApplySimilarRule(row[i], job);
    else
      out = ApplyRule(row[i], job);
    if (out != row[i]) row[i] = out;
  }
}

template <ProcessPass P, class Set>
HUESIFT_AVX2 void Run(std::uint32_t* row, int n, const RowJob& job, const Set& set) {
  if (P != ProcessPass::White && job.convert) return RowLoop<P, true>(row, n, job, set);
  return RowLoop<P, false>(row, n, job, set);
}

template <ProcessPass P>
HUESIFT_AVX2 void Dispatch(std::uint32_t* row, int n, const RowJob& job) {
  const RetainedSet& set = *job.set;
  if (P == ProcessPass::White || set.count == 0) return Run<P>(row, n, job, EmptySet{});
  if (set.distance > 0) return Run<P>(row, n, job, NearSet(set));
  if (set.count == 1) return Run<P>(row, n, job, SmallSet<1>(set));
  if (set.count == 2) return Run<P>(row, n, job, SmallSet<2>(set));
  if (set.count <= kMaxCompared) return Run<P>(row, n, job, SmallSet<kMaxCompared>(set));
  return Run<P>(row, n, job, HashedSet(set));
}

// The row loop's blocks and runs, counting instead of writing.
template <class Set>
HUESIFT_AVX2 std::int64_t CountLoop(const std::uint32_t* row, int n, const Set set) {
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(kAlphaBits));
  const __m256i lastLane = _mm256_set1_epi32(7);
  __m256i runIn = _mm256_set1_epi32(-1);
  bool runHits = !AllZero(set.contains(runIn));
  std::int64_t count = 0;
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    const std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    __m256i differs = _mm256_setzero_si256();
#pragma GCC unroll 8
    for (int j = 0; j < kBlock; j += 8)
      differs = _mm256_or_si256(differs, _mm256_xor_si256(Load(at + j), runIn));
    if (AllZero(differs)) {
      count += runHits ? kBlock : 0;
      continue;
    }
    __m256i v;
    int hits = 0;  // of the last vector, a bit per lane
#pragma GCC unroll 8
    for (int j = 0; j < kBlock; j += 8) {
      v = Load(at + j);
      hits = _mm256_movemask_ps(_mm256_castsi256_ps(set.contains(_mm256_or_si256(v, alpha))));
      count += __builtin_popcount(static_cast<unsigned>(hits));
    }
    runIn = _mm256_permutevar8x32_epi32(v, lastLane);
    runHits = (hits & 0x80) != 0;
  }
  for (; i < n; ++i) {
    const __m256i hit = set.contains(_mm256_set1_epi32(static_cast<int>(row[i] | kAlphaBits)));
    count += AllZero(hit) ? 0 : 1;
  }
  return count;
}

}  // namespace

HUESIFT_AVX2 std::int64_t CountRowAvx2(const std::uint32_t* row, int n, const RetainedSet& set) {
  if (set.count == 0) return 0;
  if (set.distance > 0) return CountLoop(row, n, NearSet(set));
  if (set.count == 1) return CountLoop(row, n, SmallSet<1>(set));
  if (set.count == 2) return CountLoop(row, n, SmallSet<2>(set));
  if (set.count <= kMaxCompared) return CountLoop(row, n, SmallSet<kMaxCompared>(set));
  return CountLoop(row, n, HashedSet(set));
}

HUESIFT_AVX2 void ProcessRowAvx2(std::uint32_t* row, int n, const RowJob& job) {
  switch (job.pass) {
    case ProcessPass::White:
      return Dispatch<ProcessPass::White>(row, n, job);
    case ProcessPass::Strip:
      return Dispatch<ProcessPass::Strip>(row, n, job);
    case ProcessPass::Reverse:
      return Dispatch<ProcessPass::Reverse>(row, n, job);
  }
}

}  // namespace huesift::detail
