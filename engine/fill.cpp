#include "engine/fill.h"

#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace huesift {
namespace {

// The row helpers work on stored words and compare four pixels at a time where SSE2 exists
// (every x86-64 CPU); the scalar tails are also the whole story elsewhere.

#if defined(__SSE2__)
inline int EqualMask(const std::uint32_t* p, __m128i value) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(v, value)));
}
#endif

// Paints row[from], row[from+1], ... while they hold old; returns the first column that does
// not (or width).
inline int FillRight(std::uint32_t* row, int from, int width, std::uint32_t old, std::uint32_t nv) {
  int x = from;
#if defined(__SSE2__)
  const __m128i vo = _mm_set1_epi32(static_cast<int>(old));
  const __m128i vn = _mm_set1_epi32(static_cast<int>(nv));
  while (x + 4 <= width && EqualMask(row + x, vo) == 0xF) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), vn);
    x += 4;
  }
#endif
  while (x < width && row[x] == old) row[x++] = nv;
  return x;
}

// Paints row[from-1], row[from-2], ... while they hold old; returns the leftmost painted
// column (from itself when row[from-1] is not old).
inline int FillLeft(std::uint32_t* row, int from, std::uint32_t old, std::uint32_t nv) {
  int x = from;
#if defined(__SSE2__)
  const __m128i vo = _mm_set1_epi32(static_cast<int>(old));
  const __m128i vn = _mm_set1_epi32(static_cast<int>(nv));
  while (x >= 4 && EqualMask(row + x - 4, vo) == 0xF) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x - 4), vn);
    x -= 4;
  }
#endif
  while (x > 0 && row[x - 1] == old) row[--x] = nv;
  return x;
}

// First column in [from, last] that holds old, or last + 1.
inline int FindOld(const std::uint32_t* row, int from, int last, std::uint32_t old) {
  int x = from;
#if defined(__SSE2__)
  const __m128i vo = _mm_set1_epi32(static_cast<int>(old));
  while (x + 3 <= last) {
    const int m = EqualMask(row + x, vo);
    if (m != 0) return x + __builtin_ctz(static_cast<unsigned>(m));
    x += 4;
  }
#endif
  while (x <= last && row[x] != old) ++x;
  return x;
}

// Columns xl..xr of row y have been filled and are bounded on both sides by pixels that are
// not of the old colour; row y + dy still has to be looked at below (or above) them.
struct Segment {
  int y, xl, xr, dy;
};

}  // namespace

std::size_t FloodFill(Picture& picture, int x, int y, Colour fill) {
  if (!picture.contains(x, y)) return 0;
  const int width = picture.width();
  const int height = picture.height();
  const std::uint32_t old = picture.row(y)[x];
  const std::uint32_t nv = ToStored(fill);
  if (old == nv) return 0;

  std::vector<Segment> stack;
  stack.reserve(1024);
  auto push = [&](int sy, int xl, int xr, int dy) {
    const int next = sy + dy;
    if (next >= 0 && next < height) stack.push_back({sy, xl, xr, dy});
  };

  std::uint32_t* row = picture.row(y);
  const int left = FillLeft(row, x, old, nv);
  const int right = FillRight(row, x, width, old, nv) - 1;
  std::size_t changed = static_cast<std::size_t>(right - left + 1);
  push(y, left, right, -1);
  push(y, left, right, 1);

  while (!stack.empty()) {
    const Segment s = stack.back();
    stack.pop_back();
    const int ny = s.y + s.dy;
    row = picture.row(ny);
    int at = FindOld(row, s.xl, s.xr, old);
    while (at <= s.xr) {
      // Only a run that touches xl can reach further left: anything before it was seen.
      const int start = at == s.xl ? FillLeft(row, at, old, nv) : at;
      const int end = FillRight(row, at, width, old, nv) - 1;
      changed += static_cast<std::size_t>(end - start + 1);
      push(ny, start, end, s.dy);
      // Where the new run overhangs the one it came from, the row it came from is still
      // unexplored (its pixels at xl - 1 and xr + 1 are known not to be old).
      if (start < s.xl - 1) push(ny, start, s.xl - 2, -s.dy);
      if (end > s.xr + 1) push(ny, s.xr + 2, end, -s.dy);
      at = FindOld(row, end + 2, s.xr, old);
    }
  }
  return changed;
}

}  // namespace huesift
