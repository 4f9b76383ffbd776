// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A deterministic stand-in for a desktop screenshot: window chrome in a few flat UI colours,
// panels, rules, icons and lines of anti-aliased text. Flat areas give the long runs of a
// real screen grab; glyph edges blended over several backgrounds give its many colours.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/picture.h"

namespace huesift::bench {

inline constexpr int kScreenWidth = 3840;
inline constexpr int kScreenHeight = 2160;

namespace synthetic_detail {

constexpr Colour Rgb(int r, int g, int b) {
  return r | (g << 8) | (b << 16);
}

struct Rng {
  std::uint64_t state;
  std::uint32_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

// One glyph as coverage (0..255) in a fixed cell, drawn from a few strokes by the distance
// of each pixel centre to the stroke: that is what gives the soft edges.
constexpr int kCellW = 10;
constexpr int kCellH = 16;
using Glyph = std::array<std::uint8_t, kCellW * kCellH>;

inline Glyph MakeGlyph(Rng& rng) {
  struct Seg {
    float x0, y0, x1, y1;
  };
  const Seg strokes[] = {{2.5f, 3, 2.5f, 13},  {7.5f, 3, 7.5f, 13},  {2.5f, 3, 7.5f, 3},
                         {2.5f, 8, 7.5f, 8},   {2.5f, 13, 7.5f, 13}, {2.5f, 13, 7.5f, 3},
                         {2.5f, 3, 7.5f, 13},  {5, 1, 5, 13},        {2.5f, 6, 7.5f, 6},
                         {3.5f, 13, 6.5f, 15}, {5, 3, 7.5f, 8},      {2.5f, 10, 5, 13}};
  std::vector<Seg> chosen;
  const int n = 2 + rng.below(3);
  for (int i = 0; i < n; ++i) chosen.push_back(strokes[rng.below(12)]);
  const float half = 0.55f + 0.1f * static_cast<float>(rng.below(4));
  // Glyphs land at fractional positions, which is what spreads their edges over many shades.
  const float ox = static_cast<float>(rng.below(16)) / 16.0f - 0.5f;
  const float oy = static_cast<float>(rng.below(8)) / 8.0f - 0.5f;
  Glyph g{};
  for (int y = 0; y < kCellH; ++y) {
    for (int x = 0; x < kCellW; ++x) {
      const float px = x + 0.5f;
      const float py = y + 0.5f;
      float best = 1e9f;
      for (const Seg& s : chosen) {
        const float dx = s.x1 - s.x0;
        const float dy = s.y1 - s.y0;
        const float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? ((px - s.x0) * dx + (py - s.y0) * dy) / len2 : 0;
        t = std::clamp(t, 0.0f, 1.0f);
        const float ex = s.x0 + ox + t * dx - px;
        const float ey = s.y0 + oy + t * dy - py;
        best = std::min(best, std::sqrt(ex * ex + ey * ey));
      }
      const float cover = std::clamp(half + 0.5f - best, 0.0f, 1.0f);
      g[y * kCellW + x] = static_cast<std::uint8_t>(std::lround(cover * 255));
    }
  }
  return g;
}

inline Colour Blend(Colour bg, Colour fg, int cover) {
  Colour out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int b = (bg >> shift) & 0xFF;
    const int f = (fg >> shift) & 0xFF;
    out |= ((b * (255 - cover) + f * cover + 127) / 255) << shift;
  }
  return out;
}

inline void FillRect(Picture& p, int x0, int y0, int x1, int y1, Colour c) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, p.width());
  y1 = std::min(y1, p.height());
  for (int y = y0; y < y1; ++y) std::fill(p.row(y) + x0, p.row(y) + std::max(x0, x1), ToStored(c));
}

// Lines of words between x0 and x1 from row y0 to y1, on a flat background.
inline void Text(Picture& p, Rng& rng, const std::vector<Glyph>& glyphs, int x0, int y0, int x1,
                 int y1, Colour bg, const std::vector<Colour>& inks, int lineStep = 20) {
  for (int y = y0; y + kCellH <= y1; y += lineStep) {
    int x = x0 + rng.below(3) * 12;
    const int end = x1 - rng.below((x1 - x0) / 3 + 1);
    while (x + kCellW <= end) {
      const Colour ink = inks[rng.below(8) == 0 ? rng.below(static_cast<int>(inks.size())) : 0];
      const int letters = 2 + rng.below(8);
      for (int l = 0; l < letters && x + kCellW <= end; ++l, x += kCellW - 1) {
        const Glyph& g = glyphs[rng.below(static_cast<int>(glyphs.size()))];
        for (int gy = 0; gy < kCellH; ++gy)
          for (int gx = 0; gx < kCellW; ++gx)
            if (g[gy * kCellW + gx] != 0)
              p.setPixel(x + gx, y + gy, Blend(bg, ink, g[gy * kCellW + gx]));
      }
      x += 6;
    }
  }
}

}  // namespace synthetic_detail

// The picture is the same on every call.
inline Picture MakeScreenshot(int width = kScreenWidth, int height = kScreenHeight) {
  using namespace synthetic_detail;
  constexpr Colour kTitle = Rgb(0x2B, 0x57, 0x9A);
  constexpr Colour kToolbar = Rgb(0xF0, 0xF0, 0xF0);
  constexpr Colour kSidebar = Rgb(0xF3, 0xF3, 0xF3);
  constexpr Colour kSelection = Rgb(0xCC, 0xE8, 0xFF);
  constexpr Colour kRule = Rgb(0xD0, 0xD0, 0xD0);
  constexpr Colour kText = kBlack;
  constexpr Colour kGreyText = Rgb(0x44, 0x44, 0x44);
  constexpr Colour kLink = Rgb(0x06, 0x45, 0xAD);
  constexpr Colour kError = Rgb(0xC4, 0x2B, 0x1C);
  constexpr Colour kNotice = Rgb(0xFF, 0xF4, 0xCE);
  constexpr Colour kEditor = Rgb(0x1E, 0x1E, 0x1E);
  constexpr Colour kEditorText = Rgb(0xD4, 0xD4, 0xD4);
  constexpr Colour kKeyword = Rgb(0x56, 0x9C, 0xD6);
  constexpr Colour kString = Rgb(0xCE, 0x91, 0x78);
  constexpr Colour kComment = Rgb(0x6A, 0x99, 0x55);
  constexpr Colour kIcons[] = {Rgb(0x10, 0x7C, 0x10), Rgb(0xFF, 0xB9, 0x00), Rgb(0x00, 0x78, 0xD4),
                               Rgb(0xE8, 0x11, 0x23)};

  Rng rng{12345};
  std::vector<Glyph> glyphs;
  for (int i = 0; i < 256; ++i) glyphs.push_back(MakeGlyph(rng));

  Picture p(width, height, kWhite);
  const int sidebar = width / 9;
  FillRect(p, 0, 0, width, 32, kTitle);
  FillRect(p, 0, 32, width, 76, kToolbar);
  FillRect(p, 0, 76, width, 77, kRule);
  FillRect(p, 0, 77, sidebar, height - 28, kSidebar);
  FillRect(p, sidebar, 77, sidebar + 1, height - 28, kRule);
  FillRect(p, 0, height - 28, width, height, kToolbar);
  FillRect(p, 0, 77 + 20 * 7, sidebar, 77 + 20 * 8, kSelection);
  for (int i = 0; 12 + i * 40 + 24 < width / 3; ++i)
    FillRect(p, 12 + i * 40, 42, 36 + i * 40, 66, kIcons[i % 4]);

  Text(p, rng, glyphs, 10, 8, width / 4, 28, kTitle, {kWhite});
  Text(p, rng, glyphs, width / 3, 46, width - 20, 72, kToolbar, {kGreyText});
  Text(p, rng, glyphs, 12, 79, sidebar - 8, 77 + 20 * 7, kSidebar, {kText});
  Text(p, rng, glyphs, 12, 79 + 20 * 7, sidebar - 8, 77 + 20 * 8, kSelection, {kText});
  Text(p, rng, glyphs, 12, 79 + 20 * 8, sidebar - 8, height - 40, kSidebar, {kText});
  const int editor = width * 5 / 8;
  Text(p, rng, glyphs, sidebar + 40, 100, editor - 40, height - 60, kWhite,
       {kText, kLink, kError, kGreyText}, 22);
  FillRect(p, editor, 90, width - 20, 130, kNotice);
  Text(p, rng, glyphs, editor + 12, 102, width - 40, 128, kNotice, {kText});
  FillRect(p, editor, 140, width - 20, height - 40, kEditor);
  Text(p, rng, glyphs, editor + 12, 150, width - 40, height - 50, kEditor,
       {kEditorText, kKeyword, kString, kComment}, 19);
  Text(p, rng, glyphs, 10, height - 24, width / 2, height - 4, kToolbar, {kGreyText});
  return p;
}

// Colours of a picture with how often each occurs, most frequent first.
inline std::vector<std::pair<Colour, std::int64_t>> ColourCounts(const Picture& p) {
  std::unordered_map<std::uint32_t, std::int64_t> counts;
  const std::uint32_t* d = p.data();
  const std::size_t n = static_cast<std::size_t>(p.width()) * p.height();
  std::uint32_t last = 0;
  std::int64_t run = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (d[i] != last && run > 0) {
      counts[last] += run;
      run = 0;
    }
    last = d[i];
    ++run;
  }
  if (run > 0) counts[last] += run;
  std::vector<std::pair<Colour, std::int64_t>> out;
  for (const auto& [stored, count] : counts) out.emplace_back(FromStored(stored), count);
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  return out;
}

// A photograph shown in a window over the picture, as a browser or viewer shows one: shading
// with a camera's grain, small steps common and each larger one rarer, whose rare literals get
// the longest codes a PNG's compressor makes. The same on every call.
inline void AddPhotoWindow(Picture& picture) {
  synthetic_detail::Rng rng{0x9E3779B97F4A7C15ull};
  const int x0 = picture.width() / 6;
  const int y0 = picture.height() / 10;
  const int x1 = picture.width() * 5 / 6;
  const int y1 = picture.height() * 9 / 10;
  for (int y = y0; y < y1; ++y) {
    std::uint32_t* row = picture.row(y);
    for (int x = x0; x < x1; ++x) {
      std::uint32_t word = 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        const double shade = 128 + 90 * std::sin(x * 0.0042 + c) * std::cos(y * 0.0061 - c);
        // Grain: a step of k is about half as likely as one of k - 1.
        int step = 0;
        while (step < 40 && rng.below(2) == 0) ++step;
        const int noise = rng.below(2) ? step : -step;
        word |= static_cast<std::uint32_t>(std::clamp(static_cast<int>(shade) + noise, 0, 255))
                << (8 * c);
      }
      row[x] = word;
    }
  }
}

}  // namespace huesift::bench
