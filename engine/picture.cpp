// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/picture.h"

#include <algorithm>
#include <cstring>

namespace huesift {

Picture::Picture(int width, int height, Colour fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                 ToStored(fill));
}

void Picture::reshape(int width, int height) {
  if (width <= 0 || height <= 0) {
    *this = Picture();
    return;
  }
  width_ = width;
  height_ = height;
  pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

void Picture::fill(Colour c) {
  std::fill(pixels_.begin(), pixels_.end(), ToStored(c));
}

void Picture::copyRect(const Picture& src, int sx, int sy, int w, int h, int dx, int dy) {
  // 64-bit arithmetic: callers pass control coordinates that may lie far outside either
  // raster, and the clipped bounds must not overflow on the way.
  const std::int64_t x0 = std::max<std::int64_t>({0, -std::int64_t{sx}, -std::int64_t{dx}});
  const std::int64_t x1 = std::min<std::int64_t>(
      {std::int64_t{w}, std::int64_t{src.width_} - sx, std::int64_t{width_} - dx});
  const std::int64_t y0 = std::max<std::int64_t>({0, -std::int64_t{sy}, -std::int64_t{dy}});
  const std::int64_t y1 = std::min<std::int64_t>(
      {std::int64_t{h}, std::int64_t{src.height_} - sy, std::int64_t{height_} - dy});
  if (x0 >= x1 || y0 >= y1) return;

  const auto count = static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t);
  auto copyRow = [&](std::int64_t j) {
    const std::uint32_t* from = src.row(static_cast<int>(sy + j)) + (sx + x0);
    std::uint32_t* to = row(static_cast<int>(dy + j)) + (dx + x0);
    std::memmove(to, from, count);  // memmove: a block copied within one picture may overlap
  };
  // Walking rows away from the destination keeps an overlapping self-copy from reading rows
  // it has already overwritten.
  if (&src == this && dy > sy) {
    for (std::int64_t j = y1 - 1; j >= y0; --j) copyRow(j);
  } else {
    for (std::int64_t j = y0; j < y1; ++j) copyRow(j);
  }
}

}  // namespace huesift
