// SPDX-License-Identifier: GPL-3.0-or-later
// Chunks and unfiltering are ours, inflating is libdeflate's: it refuses what zlib refuses
// (a bad Adler-32, an incomplete code, a window over 32K) and is several times faster.
#include "codec/png_read.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

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
  bool common = true;  // nothing in it that only a full reader reads exactly
  std::vector<std::span<const std::uint8_t>> idats;
};

bool IsCommon(const PngHeader& header) {
  // 8-bit RGB or RGBA, compression and filter method 0 (checked by the caller), not interlaced.
  return header.depth == 8 && (header.colourType == 2 || header.colourType == 6) &&
         header.interlace == 0;
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
      if (chunk.length == 0 && !chunks.idats.empty())
        result = chunks.common ? PngRead::Read : PngRead::LeftToFullReader;
      return false;
    }
    if (chunk.type == PngChunkType("PLTE") && chunks.header.colourType != 3) {
      chunks.common = false;  // a suggested palette: harmless, but left to libpng's rules
    } else if (chunk.critical() && chunk.type != PngChunkType("PLTE")) {
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
  switch (InflateExactly(stream, filtered, filteredBytes)) {
    case Inflated::Exactly:
      break;
    case Inflated::Unsound:
      return PngRead::DamagedData;
    case Inflated::TooMuch:
      separate.reset();
      return JudgeExcess(stream, filteredBytes, PngRead::DamagedData);
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
