// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace huesift {

// One whole zlib stream inflated into a buffer the size of all of its output, at about twice
// the speed of zlib's own inflate, in steps, so that its reader can use each part while it is
// still in the cache. The stream is taken only when it is sound by zlib's rules and then some:
// a window it declares and keeps to, Huffman codes that are complete, the Adler-32 check
// right, the stream ending exactly at the end of in and filling out exactly. A stream zlib
// would take but this does not (an incomplete code, say) is refused too, so that its caller
// can hand it to zlib instead.
class ZlibInflater {
 public:
  ZlibInflater(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);
  ~ZlibInflater();
  ZlibInflater(const ZlibInflater&) = delete;
  ZlibInflater& operator=(const ZlibInflater&) = delete;

  // Inflates until at least bytes of the output are there; asked for all of it, reads the
  // stream to its end and checks it. False once the stream has proven unsound (out's contents
  // are then unspecified), and from then on.
  bool inflateAtLeast(std::size_t bytes);
  std::size_t produced() const;
  // How far back from what is produced the stream may still copy from.
  std::size_t window() const;
  // The whole stream read and found sound: out holds all of its output.
  bool finished() const;

 private:
  class Inflater;
  std::unique_ptr<Inflater> inflater_;
};

}  // namespace huesift
