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

template <ProcessPass P, class Set>
HUESIFT_AVX2 void RowLoop(std::uint32_t* row, int n, const RowJob& job, const Set& set) {
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(kAlphaBits));
  const __m256i white = _mm256_set1_epi32(-1);
  const __m256i pen = _mm256_set1_epi32(static_cast<int>(job.pen));
  const __m256i convert = job.convert ? white : _mm256_setzero_si256();
  const __m256i lastLane = _mm256_set1_epi32(7);

  // The run being skipped: the word seen last and what the rule made of it. Rows mostly
  // start on background, so white is the first guess.
  const std::uint32_t whiteOut = ApplyRule(kStoredWhite, job);
  __m256i runIn = white;
  __m256i runOut = _mm256_set1_epi32(static_cast<int>(whiteOut));
  bool runWrites = whiteOut != kStoredWhite;

  int i = 0;
  for (; i + 8 <= n; i += 8) {
    auto* at = reinterpret_cast<__m256i*>(row + i);
    const __m256i v = _mm256_loadu_si256(at);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(v, runIn)) == -1) {
      if (runWrites) _mm256_storeu_si256(at, runOut);
      continue;
    }
    const __m256i m = _mm256_or_si256(v, alpha);
    const __m256i kept = _mm256_blendv_epi8(v, pen, convert);
    __m256i out;
    if constexpr (P == ProcessPass::White) {
      out = _mm256_blendv_epi8(v, pen, _mm256_cmpeq_epi32(m, white));
    } else if constexpr (P == ProcessPass::Strip) {
      out = _mm256_blendv_epi8(white, kept, set.contains(m));
    } else {
      const __m256i gone = _mm256_or_si256(_mm256_cmpeq_epi32(m, white), set.contains(m));
      out = _mm256_blendv_epi8(kept, white, gone);
    }
    const int same = _mm256_movemask_epi8(_mm256_cmpeq_epi32(out, v));
    if (same != -1) _mm256_storeu_si256(at, out);
    runIn = _mm256_permutevar8x32_epi32(v, lastLane);
    runOut = _mm256_permutevar8x32_epi32(out, lastLane);
    runWrites = (same & static_cast<int>(0xF0000000u)) != static_cast<int>(0xF0000000u);
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
