// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/png_write.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "codec/paeth.h"
#include "codec/png_chunks.h"

namespace huesift {
namespace {

// The filter choice is plain loops over bytes written for the compiler's vectoriser, built
// twice on x86-64, for AVX2 and for the baseline, and picked when the program starts.
#if defined(HUESIFT_X86_KERNELS) && !defined(__clang__)
#define HUESIFT_WIDEST __attribute__((target_clones("avx2", "default")))
#else
#define HUESIFT_WIDEST
#endif

// A row of 32-bit words as the file's RGB bytes.
HUESIFT_WIDEST void RgbBytes(const std::uint32_t* words, std::uint32_t width, std::uint8_t* rgb) {
  for (std::uint32_t x = 0; x < width; ++x) {
    rgb[3 * x] = static_cast<std::uint8_t>(words[x] >> 16);
    rgb[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
    rgb[3 * x + 2] = static_cast<std::uint8_t>(words[x]);
  }
}

void AppendChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
                 std::span<const std::uint8_t> data) {
  const std::size_t at = out.size();
  out.resize(at + 12 + data.size());
  std::uint8_t* p = out.data() + at;
  StoreBigEndian(p, static_cast<std::uint32_t>(data.size()));
  std::memcpy(p + 4, type, 4);
  if (!data.empty()) std::memcpy(p + 8, data.data(), data.size());
  StoreBigEndian(p + 8 + data.size(), PngChunkCrc(p + 4, data.size() + 4));
}

// The sum of a filtered row's bytes as signed values' magnitudes: libpng's measure of how
// well a filter did (smaller compresses better).
HUESIFT_WIDEST unsigned Weight(const std::uint8_t* bytes, std::size_t n) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < n; ++i)
    sum += static_cast<unsigned>(std::abs(static_cast<int>(static_cast<std::int8_t>(bytes[i]))));
  return sum;
}

// One RGB row filtered five ways; the way whose bytes weigh least goes to out (its filter
// byte first). cur and prev are the row's and the previous row's RGB bytes (prev all zeros
// for the first row); candidates has room for four rows of n bytes. Each filter is its own
// loop over bytes, which the compiler turns into vector code.
HUESIFT_WIDEST void FilterRgbRow(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t n,
                                 std::uint8_t* candidates, std::uint8_t* out) {
  constexpr std::size_t kPixel = 3;
  std::uint8_t* sub = candidates;
  std::uint8_t* up = candidates + n;
  std::uint8_t* average = candidates + 2 * n;
  std::uint8_t* paeth = candidates + 3 * n;
  const std::size_t first = std::min(kPixel, n);
  for (std::size_t i = 0; i < first; ++i) {
    sub[i] = cur[i];
    up[i] = static_cast<std::uint8_t>(cur[i] - prev[i]);
    average[i] = static_cast<std::uint8_t>(cur[i] - (prev[i] >> 1));
    paeth[i] = static_cast<std::uint8_t>(cur[i] - prev[i]);  // Paeth predicts the pixel above
  }
  for (std::size_t i = first; i < n; ++i)
    sub[i] = static_cast<std::uint8_t>(cur[i] - cur[i - kPixel]);
  for (std::size_t i = first; i < n; ++i) up[i] = static_cast<std::uint8_t>(cur[i] - prev[i]);
  for (std::size_t i = first; i < n; ++i)
    average[i] = static_cast<std::uint8_t>(cur[i] - ((cur[i - kPixel] + prev[i]) >> 1));
  for (std::size_t i = first; i < n; ++i) {
    paeth[i] = static_cast<std::uint8_t>(
        cur[i] - PaethPredictor(cur[i - kPixel], prev[i], prev[i - kPixel]));
  }
  const unsigned weights[5] = {Weight(cur, n), Weight(sub, n), Weight(up, n), Weight(average, n),
                               Weight(paeth, n)};
  const int best = static_cast<int>(std::min_element(weights, weights + 5) - weights);
  out[0] = static_cast<std::uint8_t>(best);
  const std::uint8_t* chosen = best == 0 ? cur : candidates + (best - 1) * n;
  std::memcpy(out + 1, chosen, n);
}

// Palette rows as PNG's packed indices of depth bits, unfiltered (as libpng writes palettes).
void PackIndices(const std::uint8_t* indices, std::uint32_t width, int depth, std::uint8_t* out) {
  out[0] = 0;
  std::uint8_t* to = out + 1;
  if (depth == 8) {
    std::memcpy(to, indices, width);
    return;
  }
  const int perByte = 8 / depth;
  for (std::uint32_t x0 = 0; x0 < width; x0 += static_cast<std::uint32_t>(perByte)) {
    unsigned byte = 0;
    for (int i = 0; i < perByte; ++i) {
      const unsigned index = x0 + static_cast<unsigned>(i) < width ? indices[x0 + i] : 0;
      byte |= index << (8 - depth * (i + 1));
    }
    *to++ = static_cast<std::uint8_t>(byte);
  }
}

struct FreeCompressor {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

}  // namespace

std::vector<std::uint8_t> WritePng(const PngPixels& pixels, std::optional<int> level) try {
  const std::uint32_t width = pixels.width;
  const std::uint32_t height = pixels.height;
  const bool indexed = !pixels.palette.empty();
  if (width == 0 || height == 0 || pixels.rows == nullptr || pixels.palette.size() > 256) return {};
  const std::size_t colours = pixels.palette.size();
  const int depth = !indexed ? 8 : colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
  const std::size_t dataBytes = indexed
                                    ? (std::size_t{width} * static_cast<unsigned>(depth) + 7) / 8
                                    : std::size_t{width} * 3;
  const std::size_t rowBytes = dataBytes + 1;
  auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(rowBytes * height);
  if (indexed) {
    for (std::uint32_t y = 0; y < height; ++y) {
      const std::uint8_t* indices = pixels.rows + pixels.stride * y;
      // An index past the palette would be packed into its neighbours' bits.
      if (*std::max_element(indices, indices + width) >= colours) return {};
      PackIndices(indices, width, depth, filtered.get() + rowBytes * y);
    }
  } else {
    // Two rows of RGB bytes, taking turns as the current and the previous row.
    std::vector<std::uint8_t> rgb(2 * dataBytes, 0);
    std::vector<std::uint8_t> candidates(4 * dataBytes);
    for (std::uint32_t y = 0; y < height; ++y) {
      std::uint8_t* cur = rgb.data() + (y & 1) * dataBytes;
      const std::uint8_t* prev = rgb.data() + ((y + 1) & 1) * dataBytes;
      RgbBytes(reinterpret_cast<const std::uint32_t*>(pixels.rows + pixels.stride * y), width, cur);
      FilterRgbRow(cur, prev, dataBytes, candidates.data(), filtered.get() + rowBytes * y);
    }
  }

  const std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(
      libdeflate_alloc_compressor(
          std::clamp(level.value_or(indexed ? kPngPaletteWriteLevel : kPngWriteLevel), 0, 12)));
  if (!compressor) return {};
  const std::size_t filteredBytes = rowBytes * height;
  // Room for the worst case, which is never written in full: left unset, its pages are
  // never touched.
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredBytes);
  const auto deflated = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
  const std::size_t deflatedBytes = libdeflate_zlib_compress(compressor.get(), filtered.get(),
                                                             filteredBytes, deflated.get(), bound);
  if (deflatedBytes == 0 || deflatedBytes > 0x7FFFFFFFu) return {};
  filtered.reset();

  std::vector<std::uint8_t> file;
  file.reserve(8 + 25 + 12 + 3 * colours + 12 + deflatedBytes + 12);
  file.insert(file.end(), std::begin(kPngSignature), std::end(kPngSignature));
  std::uint8_t header[13];
  StoreBigEndian(header, width);
  StoreBigEndian(header + 4, height);
  header[8] = static_cast<std::uint8_t>(depth);
  header[9] = indexed ? 3 : 2;
  header[10] = header[11] = header[12] = 0;
  AppendChunk(file, "IHDR", header);
  if (indexed) {
    std::vector<std::uint8_t> palette;
    for (const std::uint32_t colour : pixels.palette)
      palette.insert(palette.end(),
                     {static_cast<std::uint8_t>(colour >> 16),
                      static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour)});
    AppendChunk(file, "PLTE", palette);
  }
  AppendChunk(file, "IDAT", {deflated.get(), deflatedBytes});
  AppendChunk(file, "IEND", {});
  return file;
} catch (const std::bad_alloc&) {
  return {};
}

}  // namespace huesift
