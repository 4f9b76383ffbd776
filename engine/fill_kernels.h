// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two per-row steps of the flood fill that touch pixels, in a portable (SSE2 where
// available) and an AVX-512 version; FloodFill asks the CPU once which one to use.

#include <cstdint>

namespace huesift::detail {

using FillWord = std::uint64_t;

// mask[w] bit i := row[64 w + i] == old, for the whole row; bits past width are 0.
using BuildFillMask = void (*)(const std::uint32_t* row, int width, std::uint32_t old,
                               FillWord* mask);
// row[64 w + i] := value for every set bit i of bits[w], w from first to last.
using PaintFillBits = void (*)(std::uint32_t* row, int width, const FillWord* bits, int first,
                               int last, std::uint32_t value);

void BuildFillMaskPortable(const std::uint32_t* row, int width, std::uint32_t old, FillWord* mask);
void PaintFillBitsPortable(std::uint32_t* row, int width, const FillWord* bits, int first, int last,
                           std::uint32_t value);

// Lets tests and benchmarks run the portable kernels on a CPU that has AVX-512; asking for
// AVX-512 where the CPU lacks it leaves the portable ones in place.
void UseFillAvx512(bool wanted);
void BuildFillMaskAvx512(const std::uint32_t* row, int width, std::uint32_t old, FillWord* mask);
void PaintFillBitsAvx512(std::uint32_t* row, int width, const FillWord* bits, int first, int last,
                         std::uint32_t value);

}  // namespace huesift::detail
