// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// PNG's row filters undone, from the file's 8-bit RGB or RGBA rows straight into 32-bit
// pixels (0xFFRRGGBB in memory's word order: opaque, as a picture holds them; a file's alpha
// is read through, since it predicts only itself, and dropped). The work is in kernels, one
// per instruction set, chosen by what the CPU has; tests can limit the choice.
namespace huesift {

enum class UnfilterKernel { Portable, Sse2 };
UnfilterKernel WidestUnfilterKernel();  // what this CPU can run
void LimitUnfilterKernel(UnfilterKernel widest);

// One row: filtered is the filter type byte and then the row's file pixels (channels 3 or 4
// bytes each); row receives width words; above is the row before as stored, null for the
// first. The filtered bytes may lie in the same memory just ahead of row (an RGB picture's
// filtered rows at the end of its own raster): each pixel is read before its word is stored.
// False for an unknown filter type.
using UnfilterRowKernel = bool (*)(const std::uint8_t* filtered, std::uint8_t* row,
                                   const std::uint8_t* above, std::uint32_t width, int channels);
// Two consecutive rows that both use Paeth, width at least 1; null where a kernel set has
// none. In shared memory it needs the lower row's pixels to stay clear of the upper row's
// bytes: at least four more filtered rows after these two.
using UnfilterPaethPairKernel = void (*)(const std::uint8_t* filtered0, std::uint8_t* row0,
                                         const std::uint8_t* above, const std::uint8_t* filtered1,
                                         std::uint8_t* row1, std::uint32_t width, int channels);

struct UnfilterKernels {
  UnfilterRowKernel row = nullptr;
  UnfilterPaethPairKernel paethPair = nullptr;
};
// The kernels of that kind (the portable ones where it is not built), and those chosen now.
UnfilterKernels UnfilterKernelsOf(UnfilterKernel kind);
UnfilterKernels ChosenUnfilterKernels();

}  // namespace huesift
