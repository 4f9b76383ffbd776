// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace huesift {

// Inflates one whole zlib stream into exactly out.size() bytes, all at once, which is about
// twice as fast as zlib's own streaming inflate. True only when the stream is sound by zlib's
// rules and then some: a window it declares and keeps to, Huffman codes that are complete,
// the Adler-32 check right, the stream ending exactly at the end of in and filling out
// exactly. A stream zlib would take but this does not (an incomplete code, say) is declined
// too, so that its caller can hand it to zlib instead. out's contents are unspecified on a
// false return.
bool InflateWholeZlibStream(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

}  // namespace huesift
