#include <immintrin.h>

#include "engine/process_kernels.h"

// Built for every x86-64 CPU; only these functions use AVX2, and RunProcessPass calls them
// only after asking the CPU.
#define HUESIFT_AVX2 __attribute__((target("avx2")))

namespace huesift::detail {

bool Avx2Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

namespace {

// Up to 8 colours, padded by repeating the first so every compare is real work.
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

// Without 512-bit registers a larger table is looked up with a gather, which is slow but
// still far ahead of searching 64 colours.
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

struct Pens {
  __m256i alpha, white, pen, convert;
};

template <ProcessPass P, class Set>
HUESIFT_AVX2 inline __m256i Apply(__m256i v, const Pens& k, const Set& set) {
  const __m256i m = _mm256_or_si256(v, k.alpha);
  if constexpr (P == ProcessPass::White) {
    return _mm256_blendv_epi8(v, k.pen, _mm256_cmpeq_epi32(m, k.white));
  } else {
    const __m256i kept = _mm256_blendv_epi8(v, k.pen, k.convert);
    if constexpr (P == ProcessPass::Strip)
      return _mm256_blendv_epi8(k.white, kept, set.contains(m));
    const __m256i gone = _mm256_or_si256(_mm256_cmpeq_epi32(m, k.white), set.contains(m));
    return _mm256_blendv_epi8(kept, k.white, gone);
  }
}

HUESIFT_AVX2 inline bool AllOnes(__m256i mask) {
  return _mm256_movemask_epi8(mask) == -1;
}

template <ProcessPass P, class Set>
HUESIFT_AVX2 void RowLoop(std::uint32_t* row, int n, const RowJob& job, const Set& set) {
  Pens k;
  k.alpha = _mm256_set1_epi32(static_cast<int>(kAlphaBits));
  k.white = _mm256_set1_epi32(-1);
  k.pen = _mm256_set1_epi32(static_cast<int>(job.pen));
  k.convert = job.convert ? k.white : _mm256_setzero_si256();
  const __m256i lastLane = _mm256_set1_epi32(7);

  // Blocks of 32 pixels, computed without branches; the only decisions are whether the
  // block repeats the word the previous block ended with (its result is known then) and
  // whether anything changed. Rows mostly start on background, so white is the first guess.
  __m256i runIn = k.white;
  __m256i runOut = _mm256_set1_epi32(static_cast<int>(ApplyRule(kStoredWhite, job)));
  bool runWrites = !AllOnes(_mm256_cmpeq_epi32(runIn, runOut));
  int i = 0;
  for (; i + 32 <= n; i += 32) {
    auto* at = reinterpret_cast<__m256i*>(row + i);
    const __m256i v0 = _mm256_loadu_si256(at);
    const __m256i v1 = _mm256_loadu_si256(at + 1);
    const __m256i v2 = _mm256_loadu_si256(at + 2);
    const __m256i v3 = _mm256_loadu_si256(at + 3);
    const __m256i run = _mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi32(v0, runIn), _mm256_cmpeq_epi32(v1, runIn)),
        _mm256_and_si256(_mm256_cmpeq_epi32(v2, runIn), _mm256_cmpeq_epi32(v3, runIn)));
    if (AllOnes(run)) {
      if (runWrites) {
        _mm256_storeu_si256(at, runOut);
        _mm256_storeu_si256(at + 1, runOut);
        _mm256_storeu_si256(at + 2, runOut);
        _mm256_storeu_si256(at + 3, runOut);
      }
      continue;
    }
    const __m256i o0 = Apply<P>(v0, k, set);
    const __m256i o1 = Apply<P>(v1, k, set);
    const __m256i o2 = Apply<P>(v2, k, set);
    const __m256i o3 = Apply<P>(v3, k, set);
    const __m256i same =
        _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi32(o0, v0), _mm256_cmpeq_epi32(o1, v1)),
                         _mm256_and_si256(_mm256_cmpeq_epi32(o2, v2), _mm256_cmpeq_epi32(o3, v3)));
    // Unchanged blocks stay unwritten, which keeps their cache lines clean.
    if (!AllOnes(same)) {
      _mm256_storeu_si256(at, o0);
      _mm256_storeu_si256(at + 1, o1);
      _mm256_storeu_si256(at + 2, o2);
      _mm256_storeu_si256(at + 3, o3);
    }
    runIn = _mm256_permutevar8x32_epi32(v3, lastLane);
    runOut = _mm256_permutevar8x32_epi32(o3, lastLane);
    runWrites = !AllOnes(_mm256_cmpeq_epi32(runIn, runOut));
  }
  for (; i + 8 <= n; i += 8) {
    auto* at = reinterpret_cast<__m256i*>(row + i);
    const __m256i v = _mm256_loadu_si256(at);
    const __m256i out = Apply<P>(v, k, set);
    if (!AllOnes(_mm256_cmpeq_epi32(out, v))) _mm256_storeu_si256(at, out);
  }
  for (; i < n; ++i) {
    const std::uint32_t out = ApplyRule(row[i], job);
    if (out != row[i]) row[i] = out;
  }
}

template <ProcessPass P>
HUESIFT_AVX2 void Dispatch(std::uint32_t* row, int n, const RowJob& job) {
  const RetainedSet& set = *job.set;
  if (P == ProcessPass::White || set.count == 0) return RowLoop<P>(row, n, job, EmptySet{});
  if (set.count == 1) return RowLoop<P>(row, n, job, SmallSet<1>(set));
  if (set.count == 2) return RowLoop<P>(row, n, job, SmallSet<2>(set));
  if (set.count <= 4) return RowLoop<P>(row, n, job, SmallSet<4>(set));
  if (set.count <= 8) return RowLoop<P>(row, n, job, SmallSet<8>(set));
  return RowLoop<P>(row, n, job, HashedSet(set));
}

}  // namespace

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
