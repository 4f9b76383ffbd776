// SPDX-License-Identifier: GPL-3.0-or-later
// The unfilter kernel every CPU runs, and the reference the wider ones are tested against.
#include "codec/paeth.h"
#include "codec/unfilter.h"
#include "codec/unfilter_kernels.h"
#include "codec/unfilter_row.h"

namespace huesift::detail {
namespace {

std::uint32_t PaethBytes(std::uint32_t left, std::uint32_t above, std::uint32_t corner) {
  std::uint32_t predicted = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int chosen = PaethPredictor(static_cast<int>((left >> shift) & 0xFF),
                                      static_cast<int>((above >> shift) & 0xFF),
                                      static_cast<int>((corner >> shift) & 0xFF));
    predicted |= static_cast<std::uint32_t>(chosen) << shift;
  }
  return predicted;
}

template <int kChannels>
bool UnfilterRowPortable(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                         std::uint32_t width) {
  return UnfilterRowWith<kChannels>(
      filtered, row, above, width,
      [](const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* up, std::uint32_t n) {
        std::uint32_t left = 0;
        std::uint32_t corner = 0;
        for (std::uint32_t x = 0; x < n; ++x, in += kChannels) {
          const std::uint32_t over = LoadWord(up + 4 * x);
          left = AddBytes(FilePixel<kChannels>(in), PaethBytes(left, over, corner));
          corner = over;
          StoreWord(out + 4 * x, left | kOpaque);
        }
      });
}

}  // namespace

bool UnfilterRowPortable(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                         std::uint32_t width, int channels) {
  return channels == 3 ? UnfilterRowPortable<3>(filtered, row, above, width)
                       : UnfilterRowPortable<4>(filtered, row, above, width);
}

}  // namespace huesift::detail
