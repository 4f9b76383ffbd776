// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The chunk layer of PNG: the signature, chunk types, lengths and checksums. Both the reader
// (which takes a file only when every chunk is sound) and the check for lengths that run past
// the end (which looks at any file, sound or not) walk the chunks here.
namespace huesift {

inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

constexpr std::uint32_t PngChunkType(const char (&name)[5]) {
  return std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24 |
         std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8 |
         static_cast<std::uint8_t>(name[3]);
}

inline std::uint32_t LoadBigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline void StoreBigEndian(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

bool HasPngSignature(std::span<const std::uint8_t> file);

// The CRC-32 a PNG chunk ends with, of its type and data.
std::uint32_t PngChunkCrc(const std::uint8_t* typeAndData, std::size_t size);

// One chunk as it stands in the file. data may be cut short by the file's end: whole tells
// whether the data and the checksum after it are all there.
struct PngChunk {
  std::uint32_t type = 0;
  std::uint32_t length = 0;          // as the file says
  const std::uint8_t* at = nullptr;  // the length field; type, data and checksum follow
  bool whole = false;
  const std::uint8_t* data() const { return at + 8; }
  std::uint32_t storedCrc() const { return LoadBigEndian(at + 8 + length); }
  bool critical() const { return (at[4] & 0x20) == 0; }
  bool crcRight() const { return PngChunkCrc(at + 4, std::size_t{length} + 4) == storedCrc(); }
};

// Walks the chunks after the signature, calling visit(chunk) for each whose length and type
// are there, until visit returns false, a chunk is not whole (it is still visited), or the
// file ends.
template <typename Visit>
void WalkPngChunks(std::span<const std::uint8_t> file, Visit&& visit) {
  std::size_t at = sizeof kPngSignature;
  while (file.size() - at >= 8) {
    PngChunk chunk;
    chunk.at = file.data() + at;
    chunk.length = LoadBigEndian(chunk.at);
    chunk.type = LoadBigEndian(chunk.at + 4);
    const std::size_t left = file.size() - at - 8;
    chunk.whole = chunk.length <= left && left - chunk.length >= 4;
    if (!visit(static_cast<const PngChunk&>(chunk)) || !chunk.whole) break;
    at += 12 + std::size_t{chunk.length};
  }
}

// Whether a PNG's chunk before IEND, other than IDAT, says it is longer than what is left of
// the file. libpng takes such a length on trust and makes room for it (a tEXt chunk of a 1 KB
// file claiming 1.9 GB cost that much memory) before finding the bytes are not there; such a
// file is missing bytes it needs and gives no picture either way.
bool PngChunkRunsPastEnd(std::span<const std::uint8_t> file);

// How many bytes a PNG's image data inflates to by its header (every interlace pass's rows
// with their filter bytes), 0 when the header is not one a reader takes.
std::uint64_t PngFilteredSize(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                              std::uint8_t colourType, std::uint8_t interlace);

}  // namespace huesift
