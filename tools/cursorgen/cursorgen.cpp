// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the four tool cursors and writes them as Windows cursor files into the directory
// given on the command line: the sampling square in two colours and the fill syringe in two.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/cursor_file.h"

namespace {

constexpr int kSize = 32;
constexpr std::uint32_t kClear = 0;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

struct Canvas {
  std::vector<std::uint32_t> argb = std::vector<std::uint32_t>(kSize * kSize, kClear);
  void set(int x, int y, std::uint32_t c) {
    if (x >= 0 && y >= 0 && x < kSize && y < kSize) argb[y * kSize + x] = c;
  }
};

// The sampled square is the 9 x 9 pixels from the hotspot right and down. The cursor frames
// exactly that square with a ring in its colour, and puts a contrasting ring around it so
// that it shows on dark and light pictures alike.
constexpr int kBoxHotspot = 2;

Canvas DrawBox(std::uint32_t ring, std::uint32_t halo) {
  Canvas c;
  auto square = [&](int inset, std::uint32_t colour) {
    const int lo = kBoxHotspot - inset, hi = kBoxHotspot + 8 + inset;
    for (int i = lo; i <= hi; ++i) {
      c.set(i, lo, colour);
      c.set(i, hi, colour);
      c.set(lo, i, colour);
      c.set(hi, i, colour);
    }
  };
  square(2, halo);
  square(1, ring);
  return c;
}

// A syringe lying on the diagonal with its needle tip, the hotspot, in the lower-left corner.
constexpr int kTipX = 1, kTipY = 30;

Canvas DrawSyringe(std::uint32_t liquid) {
  Canvas c;
  const double r = std::sqrt(0.5);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double dx = x - kTipX, dy = y - kTipY;
      const double u = (dx - dy) * r;           // along the syringe, from the tip
      const double v = std::fabs(dx + dy) * r;  // away from its axis
      std::uint32_t colour = kClear;
      if (u >= -0.5 && u < 7 && v <= 0.6) {
        colour = 0xFF707070u;  // needle
      } else if (u >= 7 && u < 23 && v <= 3.6) {
        const bool edge = v > 2.6 || u < 8 || u >= 22;
        const bool mark = !edge && v > 1.4 && std::fmod(u, 3.0) < 0.7;
        colour = edge || mark ? kBlack : (u < 15 ? liquid : 0xFFE8F0F8u);  // glass
      } else if (u >= 23 && u < 24.5 && v <= 5.6) {
        colour = kBlack;  // finger grip
      } else if (u >= 24.5 && u < 30.5 && v <= 0.9) {
        colour = 0xFF404040u;  // plunger rod
      } else if (u >= 30.5 && u < 32 && v <= 3.8) {
        colour = kBlack;  // thumb rest
      }
      if (colour != kClear) c.set(x, y, colour);
    }
  }
  c.set(kTipX, kTipY, kBlack);  // the tip itself, where the fill starts
  return c;
}

bool Write(const std::string& dir, const char* name, const Canvas& canvas, int hx, int hy) {
  const auto bytes = huesift::WriteCursorFile(kSize, kSize, canvas.argb, hx, hy);
  const std::string path = dir + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s output-directory\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = Write(dir, "boxb.cur", DrawBox(kBlack, kWhite), kBoxHotspot, kBoxHotspot);
  ok = Write(dir, "boxo.cur", DrawBox(0xFFFF8C00u, kBlack), kBoxHotspot, kBoxHotspot) && ok;
  ok = Write(dir, "syrblue.cur", DrawSyringe(0xFF1E5AFFu), kTipX, kTipY) && ok;
  ok = Write(dir, "syrred.cur", DrawSyringe(0xFFE8201Cu), kTipX, kTipY) && ok;
  return ok ? 0 : 1;
}
