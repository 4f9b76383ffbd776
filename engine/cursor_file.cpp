// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/cursor_file.h"

#include <algorithm>
#include <cstring>

namespace huesift {
namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t Le16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}
std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t Be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::size_t RowBytes(std::uint64_t width, std::uint64_t bitsPerPixel) {
  return static_cast<std::size_t>((width * bitsPerPixel + 31) / 32 * 4);
}

bool ReadPng(std::span<const std::uint8_t> payload, CursorImage& image) {
  // Signature, then the IHDR chunk: length, type, width, height.
  if (payload.size() < 24 || std::memcmp(payload.data() + 12, "IHDR", 4) != 0) return false;
  if (Be32(payload.data() + 16) != static_cast<std::uint32_t>(image.width) ||
      Be32(payload.data() + 20) != static_cast<std::uint32_t>(image.height))
    return false;
  image.png = payload;
  return true;
}

bool ReadBitmap(std::span<const std::uint8_t> payload, CursorImage& image) {
  if (payload.size() < kInfoHeader) return false;
  const std::uint8_t* p = payload.data();
  const std::uint32_t headerSize = Le32(p);
  const auto bmWidth = static_cast<std::int32_t>(Le32(p + 4));
  const auto bmHeight = static_cast<std::int32_t>(Le32(p + 8));
  const std::uint32_t planes = Le16(p + 12), bpp = Le16(p + 14);
  const std::uint32_t compression = Le32(p + 16), coloursUsed = Le32(p + 32);
  const int w = image.width, h = image.height;
  // The bitmap is as high as the colour image and its AND mask together.
  if (headerSize < kInfoHeader || headerSize > payload.size() || bmWidth != w ||
      bmHeight != 2 * h || planes != 1 || compression != 0)
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  if (coloursUsed > 256 || (bpp <= 8 && coloursUsed > (1u << bpp))) return false;
  const std::uint32_t paletteSize = bpp <= 8 && coloursUsed == 0 ? 1u << bpp : coloursUsed;
  const std::size_t colourStride = RowBytes(w, bpp), maskStride = RowBytes(w, 1);
  const std::uint64_t needed = std::uint64_t{headerSize} + std::uint64_t{paletteSize} * 4 +
                               std::uint64_t{colourStride + maskStride} * h;
  if (needed > payload.size()) return false;

  const std::uint8_t* palette = p + headerSize;
  const std::uint8_t* colours = palette + std::size_t{paletteSize} * 4;
  const std::uint8_t* mask = colours + colourStride * h;
  // A 32-bit image whose alpha bytes are all zero is an old-style one: its mask decides.
  bool useAlpha = false;
  if (bpp == 32)
    for (int y = 0; y < h && !useAlpha; ++y)
      for (int x = 0; x < w && !useAlpha; ++x)
        useAlpha = colours[static_cast<std::size_t>(y) * colourStride + x * 4 + 3] != 0;

  image.argb.assign(static_cast<std::size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    const std::size_t from = static_cast<std::size_t>(h - 1 - y);  // stored bottom-up
    const std::uint8_t* src = colours + from * colourStride;
    const std::uint8_t* maskRow = mask + from * maskStride;
    for (int x = 0; x < w; ++x) {
      std::uint32_t bgr = 0, alpha = 0;
      if (bpp >= 24) {
        const std::uint8_t* px = src + static_cast<std::size_t>(x) * (bpp / 8);
        bgr = px[0] | (px[1] << 8) | (px[2] << 16);
        alpha = bpp == 32 ? px[3] : 0;
      } else {
        const int bit = x * static_cast<int>(bpp);
        const std::uint32_t index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index < paletteSize) bgr = Le32(palette + index * 4) & 0xFFFFFF;
      }
      // A set mask bit lets the screen through; screen inversion has no equivalent here.
      const bool masked = (maskRow[x / 8] >> (7 - x % 8)) & 1;
      if (!useAlpha) alpha = masked ? 0 : 0xFF;
      image.argb[static_cast<std::size_t>(y) * w + x] = alpha == 0 ? 0 : (alpha << 24) | bgr;
    }
  }
  return true;
}

}  // namespace

std::optional<CursorImage> ReadCursorFile(std::span<const std::uint8_t> file) {
  const std::size_t n = file.size();
  if (n < kDirectoryHeader || n > kMaxCursorFileBytes) return std::nullopt;
  const std::uint8_t* p = file.data();
  const std::uint32_t count = Le16(p + 4);
  if (Le16(p) != 0 || Le16(p + 2) != 2 || count == 0) return std::nullopt;
  const std::size_t directoryEnd = kDirectoryHeader + kDirectoryEntry * count;
  if (directoryEnd > n) return std::nullopt;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = p + kDirectoryHeader + kDirectoryEntry * i;
    const std::uint32_t bytes = Le32(entry + 8), offset = Le32(entry + 12);
    if (offset < directoryEnd || bytes > n || offset > n - bytes) return std::nullopt;
  }

  const std::uint8_t* entry = p + kDirectoryHeader;
  CursorImage image;
  image.width = entry[0] == 0 ? 256 : entry[0];
  image.height = entry[1] == 0 ? 256 : entry[1];
  image.hotspotX = static_cast<int>(Le16(entry + 4));
  image.hotspotY = static_cast<int>(Le16(entry + 6));
  if (image.hotspotX >= image.width || image.hotspotY >= image.height) return std::nullopt;
  const auto payload = file.subspan(Le32(entry + 12), Le32(entry + 8));
  const bool png = payload.size() >= sizeof kPngSignature &&
                   std::memcmp(payload.data(), kPngSignature, sizeof kPngSignature) == 0;
  if (!(png ? ReadPng(payload, image) : ReadBitmap(payload, image))) return std::nullopt;
  return image;
}

std::vector<std::uint8_t> WriteCursorFile(int width, int height,
                                          const std::vector<std::uint32_t>& argb, int hotspotX,
                                          int hotspotY) {
  const std::size_t colourStride = RowBytes(width, 32), maskStride = RowBytes(width, 1);
  const std::size_t imageBytes = kInfoHeader + (colourStride + maskStride) * height;
  std::vector<std::uint8_t> out;
  out.reserve(kDirectoryHeader + kDirectoryEntry + imageBytes);
  Put16(out, 0);                // reserved
  Put16(out, 2);                // a cursor, not an icon
  Put16(out, 1);                // one image
  out.push_back(width & 0xFF);  // 256 is written as 0
  out.push_back(height & 0xFF);
  out.push_back(0);  // no palette
  out.push_back(0);
  Put16(out, hotspotX);
  Put16(out, hotspotY);
  Put32(out, static_cast<std::uint32_t>(imageBytes));
  Put32(out, kDirectoryHeader + kDirectoryEntry);

  Put32(out, kInfoHeader);
  Put32(out, width);
  Put32(out, 2 * height);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // uncompressed
  Put32(out, static_cast<std::uint32_t>(imageBytes - kInfoHeader));
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette counts
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      Put32(out, argb[static_cast<std::size_t>(y) * width +
                      x]);  // little-endian 0xAARRGGBB is B, G, R, A in memory
    }
  }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < width; ++x)
      if ((argb[static_cast<std::size_t>(y) * width + x] >> 24) == 0)
        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace huesift
