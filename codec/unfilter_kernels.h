// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the codec: the kernels behind UnfilterKernelsOf.

#include <cstdint>

namespace huesift::detail {

bool UnfilterRowPortable(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                         std::uint32_t width, int channels);
bool UnfilterRowSse2(const std::uint8_t* filtered, std::uint8_t* row, const std::uint8_t* above,
                     std::uint32_t width, int channels);
void UnfilterPaethPairSse2(const std::uint8_t* filtered0, std::uint8_t* row0,
                           const std::uint8_t* above, const std::uint8_t* filtered1,
                           std::uint8_t* row1, std::uint32_t width, int channels);

}  // namespace huesift::detail
