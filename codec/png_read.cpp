// SPDX-License-Identifier: GPL-3.0-or-later
// Chunks and unfiltering are ours, inflating is libdeflate's: it refuses what zlib refuses
// (a bad Adler-32, an incomplete code, a window over 32K) and is several times faster.
#include "codec/png_read.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <vector>

#include "codec/paeth.h"
#include "codec/png_chunks.h"
#include "codec/unfilter.h"

namespace huesift {
namespace {

// The fields of an IHDR chunk's 13 bytes that say what the rows hold.
PngHeader HeaderOf(const std::uint8_t* ihdr) {
  PngHeader header;
  header.width = LoadBigEndian(ihdr);
  header.height = LoadBigEndian(ihdr + 4);
  header.depth = ihdr[8];
  header.colourType = ihdr[9];
  header.interlace = ihdr[12];
  return header;
}

struct Chunks {
  PngHeader header;
  bool common = true;                     // nothing in it that only a full reader reads exactly
  std::span<const std::uint8_t> palette;  // PLTE's entries, three bytes each
  std::vector<std::span<const std::uint8_t>> idats;
};

bool IsPalette(const PngHeader& header) {
  return header.colourType == 3;
}

bool IsCommon(const PngHeader& header) {
  // 8-bit RGB or RGBA, or a palette of 1, 2, 4 or 8 bits (what our own Save and the batch
  // mode write); compression and filter method 0 (checked by the caller), not interlaced.
  if (header.interlace != 0) return false;
  if (IsPalette(header)) return header.depth <= 8;
  return header.depth == 8 && (header.colourType == 2 || header.colourType == 6);
}

// A palette libpng takes as it stands: whole entries, at least one, no more than the depth
// can index.
bool SoundPalette(std::span<const std::uint8_t> palette, const PngHeader& header) {
  const std::size_t entries = palette.size() / 3;
  return palette.size() % 3 == 0 && entries >= 1 && entries <= (std::size_t{1} << header.depth);
}

// The chunks, checked as libpng checks them where that decides whether there is a picture:
// the header first, critical chunks' checksums, consecutive IDATs, IEND. Ancillary chunks
// change no pixel and are skipped, but for tRNS (which makes a colour transparent) and eXIf
// (whose orientation a reader may apply), which only a full reader reads as it does.
PngRead ReadChunks(std::span<const std::uint8_t> file, Chunks& chunks) {
  if (!HasPngSignature(file)) return PngRead::NotPng;
  // libpng refuses any other chunk longer than this, and gives up keeping more than about a
  // thousand ancillary ones; both are far from anything a screenshot carries.
  constexpr std::uint32_t kLongestAncillary = 8000000;
  constexpr int kMostAncillary = 64;
  PngRead result = PngRead::DamagedChunks;
  int ancillary = 0;
  bool first = true;
  bool idatsEnded = false;
  WalkPngChunks(file, [&](const PngChunk& chunk) {
    const bool isHeader = chunk.type == PngChunkType("IHDR");
    if (!chunk.whole || chunk.length > 0x7FFFFFFFu || first != isHeader) return false;
    first = false;
    for (int i = 4; i < 8; ++i)
      if (!((chunk.at[i] >= 'A' && chunk.at[i] <= 'Z') ||
            (chunk.at[i] >= 'a' && chunk.at[i] <= 'z')))
        return false;
    if (chunk.critical() && !chunk.crcRight()) return false;
    const std::uint8_t* data = chunk.data();
    if (isHeader) {
      if (chunk.length != 13) return false;
      chunks.header = HeaderOf(data);
      const PngHeader& h = chunks.header;
      if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu ||
          data[10] != 0 || data[11] != 0 ||
          PngFilteredSize(h.width, h.height, h.depth, h.colourType, h.interlace) == 0)
        return false;
      chunks.common = IsCommon(h);
      return true;
    }
    if (chunk.type == PngChunkType("IDAT")) {
      if (idatsEnded) return false;
      chunks.idats.emplace_back(data, chunk.length);
      return true;
    }
    if (chunk.type == PngChunkType("IEND")) {
      if (IsPalette(chunks.header) && chunks.palette.empty()) chunks.common = false;
      if (chunk.length == 0 && !chunks.idats.empty())
        result = chunks.common ? PngRead::Read : PngRead::LeftToFullReader;
      return false;
    }
    if (chunk.type == PngChunkType("PLTE")) {
      // A palette of a palette picture before its pixels, once and sound, is read here; any
      // other (a suggested palette of an RGB picture, one after the pixels, a second one) is
      // harmless or an error by libpng's rules, which are left to it.
      const std::span<const std::uint8_t> palette(data, chunk.length);
      if (IsPalette(chunks.header) && chunks.palette.empty() && chunks.idats.empty() &&
          SoundPalette(palette, chunks.header))
        chunks.palette = palette;
      else
        chunks.common = false;
    } else if (chunk.critical()) {
      return false;  // a critical chunk no reader knows: libpng refuses the file
    } else if (chunk.type == PngChunkType("tRNS") || chunk.type == PngChunkType("eXIf") ||
               chunk.length > kLongestAncillary || ++ancillary > kMostAncillary) {
      chunks.common = false;
    }
    if (!chunks.idats.empty()) idatsEnded = true;
    return true;
  });
  return result;
}

struct FreeDecompressor {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Inflates the zlib stream into exactly out.
enum class Inflated { Exactly, Unsound, TooMuch };
Inflated InflateExactly(std::span<const std::uint8_t> in, std::uint8_t* out, std::size_t outBytes) {
  thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor(
      libdeflate_alloc_decompressor());
  if (!decompressor) throw std::bad_alloc();
  std::size_t inUsed = 0;
  std::size_t outMade = 0;
  const libdeflate_result result = libdeflate_zlib_decompress_ex(
      decompressor.get(), in.data(), in.size(), out, outBytes, &inUsed, &outMade);
  if (result == LIBDEFLATE_INSUFFICIENT_SPACE) return Inflated::TooMuch;
  // The whole stream sound, ending exactly at the end of the data and filling out exactly.
  return result == LIBDEFLATE_SUCCESS && inUsed == in.size() && outMade == outBytes
             ? Inflated::Exactly
             : Inflated::Unsound;
}

// Image data that inflates to more than its picture's rows: a full reader still reads the
// picture, after inflating all the rest. Up to as much again it is left to one; beyond that
// (a 1 MB file can hold gigabytes) it is not worth the time.
PngRead JudgeExcess(std::span<const std::uint8_t> stream, std::size_t filteredBytes,
                    PngRead otherwise) {
  auto twice = std::make_unique_for_overwrite<std::uint8_t[]>(2 * filteredBytes);
  return InflateExactly(stream, twice.get(), 2 * filteredBytes) == Inflated::TooMuch
             ? PngRead::DataPastPicture
             : otherwise;
}

// What a stream that did not inflate exactly to the picture's filtered rows makes the file.
PngRead NotExactly(Inflated inflated, std::span<const std::uint8_t> stream,
                   std::size_t filteredBytes) {
  return inflated == Inflated::TooMuch ? JudgeExcess(stream, filteredBytes, PngRead::DamagedData)
                                       : PngRead::DamagedData;
}

// One row of bytes unfiltered in place, a pixel being one byte (a palette's packed indices);
// prior is the row before as unfiltered, all zeros for the first.
bool UnfilterByteRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior,
                     std::size_t n) {
  switch (filter) {
    case 0:
      return true;
    case 1:
      for (std::size_t i = 1; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - 1]);
      return true;
    case 2:
      for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
      return true;
    case 3:
      for (std::size_t i = 0; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + (((i ? row[i - 1] : 0) + prior[i]) >> 1));
      return true;
    case 4:
      for (std::size_t i = 0; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(
            row[i] + PaethPredictor(i ? row[i - 1] : 0, prior[i], i ? prior[i - 1] : 0));
      return true;
    default:
      return false;
  }
}

// A palette picture's rows, inflated into the raster's own tail (each row of packed indices
// is at most a quarter of its pixels' words, plus its filter byte), unfiltered there and
// looked up into the raster from its start. Writing a row's words never reaches bytes not
// yet read: its own indices lie at least as far ahead as its words, and later rows further.
PngRead ReadPaletteRows(std::span<const std::uint8_t> stream, const Chunks& chunks,
                        std::uint32_t* raster) {
  const PngHeader& header = chunks.header;
  const std::size_t width = header.width;
  const std::size_t height = header.height;
  const int depth = header.depth;
  const std::size_t indexBytes = (width * static_cast<unsigned>(depth) + 7) / 8;
  const std::size_t rowBytes = indexBytes + 1;
  const std::size_t filteredBytes = rowBytes * height;
  auto* tail = reinterpret_cast<std::uint8_t*>(raster + width * height) - filteredBytes;
  if (const Inflated inflated = InflateExactly(stream, tail, filteredBytes);
      inflated != Inflated::Exactly)
    return NotExactly(inflated, stream, filteredBytes);

  // Entries past the palette stay 0, which no opaque colour is: an index there is an error
  // libpng only warns of, and what then shows is left to it.
  std::array<std::uint32_t, 256> colours{};
  const std::size_t entries = chunks.palette.size() / 3;
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint8_t* rgb = chunks.palette.data() + 3 * i;
    colours[i] = 0xFF000000u | std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
  }
  const unsigned mask = (1u << depth) - 1;
  const std::size_t perByte = static_cast<std::size_t>(8 / depth);
  std::vector<std::uint8_t> prior(indexBytes, 0);
  std::uint32_t outside = 0;
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* row = tail + rowBytes * y;
    std::uint8_t* indices = row + 1;
    if (!UnfilterByteRow(row[0], indices, prior.data(), indexBytes)) return PngRead::DamagedData;
    std::copy(indices, indices + indexBytes, prior.begin());
    std::uint32_t* words = raster + width * y;
    // Each byte's indices, high bits first, looked up before any word of the row lands on it.
    for (std::size_t x = 0, i = 0; x < width; ++i) {
      const unsigned byte = indices[i];
      for (std::size_t k = 0; k < perByte && x < width; ++k, ++x) {
        const std::uint32_t word = colours[(byte >> (8 - depth * static_cast<int>(k + 1))) & mask];
        outside |= word == 0;
        words[x] = word;
      }
    }
  }
  return outside ? PngRead::LeftToFullReader : PngRead::Read;
}

// The image data as one span: the only IDAT, or all of them joined in joined.
std::span<const std::uint8_t> JoinedData(const Chunks& chunks,
                                         std::unique_ptr<std::uint8_t[]>& joined) {
  if (chunks.idats.size() == 1) return chunks.idats.front();
  std::size_t total = 0;
  for (const auto& idat : chunks.idats) total += idat.size();
  joined = std::make_unique_for_overwrite<std::uint8_t[]>(total);
  std::uint8_t* to = joined.get();
  for (const auto& idat : chunks.idats) to = std::copy(idat.begin(), idat.end(), to);
  return {joined.get(), total};
}

// For a PNG a full reader will read: whether its data would make it inflate far past the
// picture.
PngRead CheckDataSize(std::span<const std::uint8_t> stream, const PngHeader& h) {
  const auto size = static_cast<std::size_t>(
      PngFilteredSize(h.width, h.height, h.depth, h.colourType, h.interlace));
  // The caller has a raster for the picture; its filtered rows take at most twice that
  // (16-bit RGBA).
  auto scratch = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  if (InflateExactly(stream, scratch.get(), size) != Inflated::TooMuch)
    return PngRead::LeftToFullReader;
  scratch.reset();
  return JudgeExcess(stream, size, PngRead::LeftToFullReader);
}

}  // namespace

const char* PngReadName(PngRead result) {
  switch (result) {
    case PngRead::Read:
      return "Read";
    case PngRead::NotPng:
      return "NotPng";
    case PngRead::DamagedChunks:
      return "DamagedChunks";
    case PngRead::LeftToFullReader:
      return "LeftToFullReader";
    case PngRead::DamagedData:
      return "DamagedData";
    case PngRead::DataPastPicture:
      return "DataPastPicture";
    case PngRead::NoRaster:
      return "NoRaster";
  }
  return "?";
}

std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> file) {
  if (!HasPngSignature(file) || file.size() < 33) return std::nullopt;
  const std::uint8_t* chunk = file.data() + 8;
  if (LoadBigEndian(chunk) != 13 || LoadBigEndian(chunk + 4) != PngChunkType("IHDR") ||
      PngChunkCrc(chunk + 4, 17) != LoadBigEndian(chunk + 21))
    return std::nullopt;
  return HeaderOf(chunk + 8);
}

PngRead ReadCommonPng(std::span<const std::uint8_t> file, const RasterFor& rasterFor) {
  Chunks chunks;
  const PngRead walked = ReadChunks(file, chunks);
  if (walked != PngRead::Read && walked != PngRead::LeftToFullReader) return walked;
  const PngHeader& header = chunks.header;
  // Asked for first: a picture too large to hold is not worth inflating, even for the check.
  std::uint32_t* raster = rasterFor(header.width, header.height);
  if (!raster) return PngRead::NoRaster;
  std::unique_ptr<std::uint8_t[]> joined;
  const std::span<const std::uint8_t> stream = JoinedData(chunks, joined);
  if (walked == PngRead::LeftToFullReader) return CheckDataSize(stream, header);
  if (IsPalette(header)) return ReadPaletteRows(stream, chunks, raster);

  const int channels = header.colourType == 2 ? 3 : 4;
  const std::size_t width = header.width;
  const std::size_t height = header.height;
  const std::size_t rowBytes = width * static_cast<std::size_t>(channels) + 1;
  const std::size_t filteredBytes = rowBytes * height;
  const std::size_t pixelRowBytes = width * 4;
  auto* pixels = reinterpret_cast<std::uint8_t*>(raster);
  // RGB's filtered rows (3 bytes a pixel and a filter byte) fit in the raster's own memory
  // (4 bytes a pixel), at its end: no second buffer to allocate and fault in.
  std::unique_ptr<std::uint8_t[]> separate;
  std::uint8_t* filtered = pixels + pixelRowBytes * height - filteredBytes;
  if (channels == 4) {
    separate = std::make_unique_for_overwrite<std::uint8_t[]>(filteredBytes);
    filtered = separate.get();
  }
  if (const Inflated inflated = InflateExactly(stream, filtered, filteredBytes);
      inflated != Inflated::Exactly) {
    separate.reset();
    return NotExactly(inflated, stream, filteredBytes);
  }

  const UnfilterKernels kernels = ChosenUnfilterKernels();
  auto filteredRow = [&](std::size_t y) { return filtered + rowBytes * y; };
  auto pixelRow = [&](std::size_t y) { return pixels + pixelRowBytes * y; };
  const std::uint8_t* above = nullptr;
  for (std::size_t y = 0; y < height;) {
    // In place, the lower row's pixels keep clear of the upper row's unread bytes only while
    // at least four rows follow the pair.
    if (kernels.paethPair && y > 0 && y + 1 < height && filteredRow(y)[0] == 4 &&
        filteredRow(y + 1)[0] == 4 && (separate || y + 5 <= height)) {
      kernels.paethPair(filteredRow(y), pixelRow(y), above, filteredRow(y + 1), pixelRow(y + 1),
                        header.width, channels);
      above = pixelRow(y + 1);
      y += 2;
      continue;
    }
    if (!kernels.row(filteredRow(y), pixelRow(y), above, header.width, channels))
      return PngRead::DamagedData;
    above = pixelRow(y);
    ++y;
  }
  return PngRead::Read;
}

}  // namespace huesift
