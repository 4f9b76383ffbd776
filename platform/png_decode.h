// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>

namespace huesift {

// The PNGs that screenshots and copied pictures nearly always are (8 bits a channel, RGB or
// RGBA, not interlaced, no transparent colour, one sound zlib stream, IEND at the end), read
// into exactly the image Qt's reader makes of them (RGB32 or ARGB32, pixel for pixel) in
// about half its time: the stream inflated in one go, the rows unfiltered straight into the
// image. image, when it has the picture's size and 32-bit rows without padding, is where the
// pixels go (its format set to what they are); otherwise a new image is made. Anything else,
// or anything not beyond doubt (a bad checksum, an incomplete Huffman code, a chunk libpng
// would refuse or read differently), is declined with false and image as it was, for Qt's
// reader to decide.
bool DecodeCommonPng(const QByteArray& bytes, QImage& image);

// Whether bytes are a PNG one of whose chunks before IEND, other than IDAT, says it is longer
// than what is left of them. libpng takes such a length on trust and makes room for it (a tEXt
// chunk of a 1 KB file claiming 1.9 GB cost that much memory) before finding the bytes are not
// there; such a file is missing bytes it needs and gives no picture either way.
bool PngChunkRunsPastEnd(const QByteArray& bytes);

// The CRC-32 a PNG chunk ends with, of its type and data.
std::uint32_t PngChunkCrc(const std::uint8_t* typeAndData, std::size_t size);

}  // namespace huesift
