// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "engine/colour.h"

namespace huesift {

// A raster of colours. Reads outside it give kNoColour, writes outside it are dropped.
// A default-constructed picture has no raster (width and height 0).
// Copies are whole and independent (content and pixel size), which is all an undo copy
// needs; assigning over a picture of the same size reuses its storage.
class Picture {
 public:
  Picture() = default;
  Picture(int width, int height, Colour fill = kWhite);

  bool empty() const { return width_ <= 0 || height_ <= 0; }
  int width() const { return width_; }
  int height() const { return height_; }

  Colour pixel(int x, int y) const {
    return contains(x, y) ? FromStored(pixels_[index(x, y)]) : kNoColour;
  }
  void setPixel(int x, int y, Colour c) {
    if (contains(x, y)) pixels_[index(x, y)] = ToStored(c);
  }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Stored words (0xFFRRGGBB), row-major, width() words per row.
  std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width_;
  }
  const std::uint32_t* data() const { return pixels_.data(); }
  std::uint32_t* data() { return pixels_.data(); }

  void fill(Colour c);
  // Makes the picture width x height and leaves its pixels unspecified: the memory it holds
  // is kept when large enough, so a raster reused for picture after picture is allocated and
  // first touched once. For a writer that sets every pixel next.
  void reshape(int width, int height);

  // Copies the w x h block at (sx, sy) of src to (dx, dy) of this picture, one for one.
  // Source pixels outside src are not copied; destination pixels outside this picture are
  // dropped. src may be this picture, overlapping blocks included.
  void copyRect(const Picture& src, int sx, int sy, int w, int h, int dx, int dy);

  bool operator==(const Picture&) const = default;

 private:
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace huesift
