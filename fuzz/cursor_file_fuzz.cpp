// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes into the cursor file reader: it must never read outside them, and what it
// accepts must be a picture that fits the file.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/cursor_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const auto image = huesift::ReadCursorFile(file);
  if (!image) return 0;
  const bool sized = image->width > 0 && image->height > 0 && image->width <= 256 &&
                     image->height <= 256 && image->hotspotX >= 0 && image->hotspotY >= 0 &&
                     image->hotspotX < image->width && image->hotspotY < image->height;
  if (!sized) std::abort();
  if (image->png.empty()) {
    if (image->argb.size() != static_cast<std::size_t>(image->width) * image->height) std::abort();
    // What was read is written back and read again unchanged.
    const auto again = huesift::ReadCursorFile(huesift::WriteCursorFile(
        image->width, image->height, image->argb, image->hotspotX, image->hotspotY));
    if (!again || again->argb != image->argb) std::abort();
  } else if (image->png.data() < data || image->png.data() + image->png.size() > data + size) {
    std::abort();
  }
  return 0;
}
