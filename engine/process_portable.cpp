// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "engine/process_kernels.h"

// The kernel of every CPU without AVX2, aarch64 among them. No intrinsics: the compiler's
// generic vectors become SSE2 on any x86-64, NEON on aarch64 and plain words elsewhere, and
// unlike loops left to the auto-vectoriser they keep their shape at every optimisation level.

namespace huesift::detail {

namespace {

using V = std::uint32_t __attribute__((vector_size(16)));
constexpr int kLanes = 4;

// Rows have no alignment to speak of; memcpy is how generic vectors load and store anywhere.
inline V Load(const std::uint32_t* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store(std::uint32_t* p, V v) {
  std::memcpy(p, &v, sizeof v);
}
inline V Splat(std::uint32_t x) {
  return V{} + x;
}
// Comparisons give all-ones lanes where they hold, which keeps every select a bit operation.
inline V Equal(V a, V b) {
  return reinterpret_cast<V>(a == b);
}
inline bool AllZero(V v) {
  using Halves = std::uint64_t __attribute__((vector_size(16)));
  const Halves h = reinterpret_cast<Halves>(v);
  return (h[0] | h[1]) == 0;
}

struct EmptySet {
  V contains(V) const { return V{}; }
};

// Up to K colours compared directly, padded by repeating the first.
template <int K>
struct ComparedSet {
  V colour[K];

  explicit ComparedSet(const RetainedSet& set) {
    for (int i = 0; i < K; ++i) colour[i] = Splat(set.colours[i < set.count ? i : 0]);
  }
  V contains(V m) const {
    V hit = Equal(m, colour[0]);
    for (int i = 1; i < K; ++i) hit |= Equal(m, colour[i]);
    return hit;
  }
};

// A load per pixel: vector units without gathers can do no better. The hash is taken lane by
// lane, since the lanes go to scalar registers for the loads anyway and SSE2 has no 32-bit
// vector multiply (emulating it measured slower). The set's slot, (m * multiplier) >> shift,
// is taken as bits of one 64-bit product with the multiplier moved up by the table's bits:
// a shift by a constant and a mask instead of a shift by a count held in a register, which
// is three operations on many x86 CPUs; the portable kernel with 64 colours took a tenth
// less time for it.
struct HashedSet {
  const std::uint32_t* slots;
  std::uint64_t multiplier;
  std::uint32_t mask;

  explicit HashedSet(const RetainedSet& set)
      : slots(set.slots.data()),
        multiplier(std::uint64_t{set.multiplier} << (32 - set.shift)),
        mask((1u << (32 - set.shift)) - 1) {}
  std::uint32_t slotOf(std::uint32_t m) const {
    return static_cast<std::uint32_t>((m * multiplier) >> 32) & mask;
  }
  V contains(V m) const {
    return Equal(
        m, V{slots[slotOf(m[0])], slots[slotOf(m[1])], slots[slotOf(m[2])], slots[slotOf(m[3])]});
  }
};

// The set as it is when no hash was found for it.
struct ListedSet {
  const RetainedSet* set;
  V contains(V m) const {
    V hit{};
    for (int i = 0; i < kLanes; ++i) hit[i] = set->contains(m[i]) ? ~0u : 0u;
    return hit;
  }
};

// Similar colours: each lane's two near sets looked up lane by lane, as the hash is.
struct NearSet {
  const std::uint64_t* near;

  explicit NearSet(const RetainedSet& set) : near(set.near.data()) {}
  std::uint32_t laneHit(std::uint32_t m) const {
    const std::uint64_t shared =
        near[m & 0xFFFFu] & near[RetainedSet::kNearHigh + ((m >> 16) & 0xFFu)];
    return shared != 0 ? ~0u : 0u;
  }
  V contains(V m) const { return V{laneHit(m[0]), laneHit(m[1]), laneHit(m[2]), laneHit(m[3])}; }
};

struct Pens {
  V alpha, white, pen;
};

// Convert is known per row, so it is a template argument, as in the AVX2 kernel.
template <ProcessPass P, bool Convert, class Set>
inline V Apply(V v, const Pens& k, const Set& set) {
  const V m = v | k.alpha;
  const V white = Equal(m, k.white);
  if constexpr (P == ProcessPass::White) return (k.pen & white) | (v & ~white);
  const V kept = Convert ? k.pen : v;
  if constexpr (P == ProcessPass::Strip) return ~set.contains(m) | kept;  // white is all ones
  return set.contains(m) | white | kept;
}

// Blocks of kVectors vectors; see the AVX2 kernel for the trade-off.
constexpr int kVectors = 8;
constexpr int kBlock = kLanes * kVectors;

// As in the AVX2 kernel: the hardware's prefetching stops at page boundaries.
inline void PrefetchBlockAhead(const std::uint32_t* at) {
  const std::uintptr_t ahead = reinterpret_cast<std::uintptr_t>(at) + kPrefetchBytes;
  for (int line = 0; line < kBlock * 4; line += 64)
    __builtin_prefetch(reinterpret_cast<const void*>(ahead + line));
}

// The set comes by value: the row's stores could otherwise alias its fields, and the compiler
// would load them again for every vector.
template <ProcessPass P, bool Convert, class Set>
void RowLoop(std::uint32_t* row, int n, const RowJob& job, const Set set) {
  Pens k;
  k.alpha = Splat(kAlphaBits);
  k.white = Splat(kStoredWhite);
  k.pen = Splat(job.pen);

  // A block that repeats the word the previous one ended with has a known result, so a long
  // run costs a compare per word; rows mostly start on background, so white is the first
  // guess.
  V runIn = k.white;
  V runOut = Apply<P, Convert>(runIn, k, set);
  bool runWrites = runOut[0] != runIn[0];
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    V differs{};
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) differs |= Load(at + kLanes * j) ^ runIn;
    if (AllZero(differs)) {
      if (runWrites)
#pragma GCC unroll 16
        for (int j = 0; j < kVectors; ++j) Store(at + kLanes * j, runOut);
      continue;
    }
    // Read again from the first-level cache and written back without asking, as in the
    // AVX2 kernel.
    V v;
    V o;
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      v = Load(at + kLanes * j);
      o = Apply<P, Convert>(v, k, set);
      Store(at + kLanes * j, o);
    }
    runIn = Splat(v[kLanes - 1]);
    runOut = Splat(o[kLanes - 1]);
    runWrites = runOut[0] != runIn[0];
  }
  for (; i < n; ++i) {
    const V out = Apply<P, Convert>(Splat(row[i]), k, set);
    if (out[0] != row[i]) row[i] = out[0];
  }
}

template <ProcessPass P, class Set>
void Run(std::uint32_t* row, int n, const RowJob& job, const Set& set) {
  if (P != ProcessPass::White && job.convert) return RowLoop<P, true>(row, n, job, set);
  return RowLoop<P, false>(row, n, job, set);
}

template <ProcessPass P>
void Dispatch(std::uint32_t* row, int n, const RowJob& job) {
  const RetainedSet& set = *job.set;
  if (P == ProcessPass::White || set.count == 0) return Run<P>(row, n, job, EmptySet{});
  if (set.distance > 0) return Run<P>(row, n, job, NearSet(set));
  if (set.count == 1) return Run<P>(row, n, job, ComparedSet<1>(set));
  if (set.count == 2) return Run<P>(row, n, job, ComparedSet<2>(set));
  if (set.count <= kMaxCompared) return Run<P>(row, n, job, ComparedSet<kMaxCompared>(set));
  if (set.multiplier != 0) return Run<P>(row, n, job, HashedSet(set));
  return Run<P>(row, n, job, ListedSet{&set});
}

// The row loop's blocks and runs, counting instead of writing: a lane that holds is all
// ones, so subtracting it counts it.
template <class Set>
std::int64_t CountLoop(const std::uint32_t* row, int n, const Set set) {
  const V alpha = Splat(kAlphaBits);
  V runIn = Splat(kStoredWhite);
  bool runHits = set.contains(runIn)[0] != 0;
  std::int64_t count = 0;
  V lanes{};
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    const std::uint32_t* at = row + i;
    PrefetchBlockAhead(at);
    V differs{};
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) differs |= Load(at + kLanes * j) ^ runIn;
    if (AllZero(differs)) {
      count += runHits ? kBlock : 0;
      continue;
    }
    V v;
    V hit;
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      v = Load(at + kLanes * j);
      hit = set.contains(v | alpha);
      lanes -= hit;
    }
    runIn = Splat(v[kLanes - 1]);
    runHits = hit[kLanes - 1] != 0;
  }
  for (; i < n; ++i) count += set.contains(Splat(row[i] | kAlphaBits))[0] != 0 ? 1 : 0;
  for (int j = 0; j < kLanes; ++j) count += lanes[j];
  return count;
}

}  // namespace

std::int64_t CountRowPortable(const std::uint32_t* row, int n, const RetainedSet& set) {
  if (set.count == 0) return 0;
  if (set.distance > 0) return CountLoop(row, n, NearSet(set));
  if (set.count == 1) return CountLoop(row, n, ComparedSet<1>(set));
  if (set.count == 2) return CountLoop(row, n, ComparedSet<2>(set));
  if (set.count <= kMaxCompared) return CountLoop(row, n, ComparedSet<kMaxCompared>(set));
  if (set.multiplier != 0) return CountLoop(row, n, HashedSet(set));
  return CountLoop(row, n, ListedSet{&set});
}

void ProcessRowPortable(std::uint32_t* row, int n, const RowJob& job) {
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
