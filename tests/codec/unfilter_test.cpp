// SPDX-License-Identifier: GPL-3.0-or-later
// Every unfilter kernel against the portable one, and the portable one against the standard.
#include "codec/unfilter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace huesift {
namespace {

std::string KernelName(UnfilterKernel kind) {
  return kind == UnfilterKernel::Portable ? "Portable" : "Sse2";
}

struct KernelCase {
  UnfilterKernel kernel;
  int channels;
};

void PrintTo(const KernelCase& c, std::ostream* os) {
  *os << KernelName(c.kernel) << " kernel, " << c.channels << " channels";
}

class Unfilter : public ::testing::TestWithParam<KernelCase> {};

// Random filtered rows of every filter type and width 1 to 70, the first row with no row
// above, and pairs of Paeth rows: each kernel's words equal the portable kernel's.
TEST_P(Unfilter, EveryFilterAndWidthAsThePortableKernel) {
  const UnfilterKernels wide = UnfilterKernelsOf(GetParam().kernel);
  const UnfilterKernels portable = UnfilterKernelsOf(UnfilterKernel::Portable);
  const int channels = GetParam().channels;
  std::mt19937 random(static_cast<unsigned>(channels));
  for (std::uint32_t width = 1; width <= 70; ++width) {
    const std::size_t rowBytes = std::size_t{width} * static_cast<unsigned>(channels) + 1;
    for (int round = 0; round < 8; ++round) {
      std::vector<std::uint8_t> filtered(3 * rowBytes);
      for (auto& b : filtered) b = static_cast<std::uint8_t>(random());
      std::vector<std::uint32_t> expected(3 * width), actual(3 * width);
      for (int filter = 0; filter <= 4; ++filter) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", filter " << filter);
        for (int r = 0; r < 3; ++r) filtered[r * rowBytes] = static_cast<std::uint8_t>(filter);
        auto run = [&](const UnfilterKernels& k, std::vector<std::uint32_t>& out) {
          auto* rows = reinterpret_cast<std::uint8_t*>(out.data());
          ASSERT_TRUE(k.row(filtered.data(), rows, nullptr, width, channels));
          if (filter == 4 && k.paethPair) {
            k.paethPair(filtered.data() + rowBytes, rows + 4 * width, rows,
                        filtered.data() + 2 * rowBytes, rows + 8 * width, width, channels);
            return;
          }
          for (int r = 1; r < 3; ++r)
            ASSERT_TRUE(k.row(filtered.data() + r * rowBytes, rows + 4 * width * r,
                              rows + 4 * width * (r - 1), width, channels));
        };
        run(portable, expected);
        run(wide, actual);
        ASSERT_EQ(actual, expected);
      }
      filtered[0] = 5;
      EXPECT_FALSE(wide.row(filtered.data(), reinterpret_cast<std::uint8_t*>(actual.data()),
                            nullptr, width, channels));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, Unfilter,
                         ::testing::Values(KernelCase{UnfilterKernel::Portable, 3},
                                           KernelCase{UnfilterKernel::Portable, 4},
                                           KernelCase{UnfilterKernel::Sse2, 3},
                                           KernelCase{UnfilterKernel::Sse2, 4}),
                         [](const auto& info) {
                           return KernelName(info.param.kernel) +
                                  (info.param.channels == 3 ? "Rgb" : "Rgba");
                         });

// The portable kernel's Paeth against the predictor as the PNG standard states it, byte by
// byte: the reference the other kernels are held to is itself right.
TEST(Unfilter, PortablePaethIsTheStandardsPredictor) {
  std::mt19937 random(3);
  const std::uint32_t width = 4096;  // enough bytes for ties of every kind
  std::vector<std::uint8_t> above(4 * width), filtered(1 + 3 * width), row(4 * width);
  for (auto& b : above) b = static_cast<std::uint8_t>(random());
  for (auto& b : filtered) b = static_cast<std::uint8_t>(random());
  filtered[0] = 4;
  ASSERT_TRUE(UnfilterKernelsOf(UnfilterKernel::Portable)
                  .row(filtered.data(), row.data(), above.data(), width, 3));
  // Words are 0xAARRGGBB: byte 2 is red, 1 green, 0 blue; the file has R, G, B.
  for (std::uint32_t x = 0; x < width; ++x)
    for (int c = 0; c < 3; ++c) {
      const int byte = 2 - c;
      const int a = x ? row[4 * (x - 1) + byte] : 0;
      const int b = above[4 * x + byte];
      const int cc = x ? above[4 * (x - 1) + byte] : 0;
      const int p = a + b - cc;
      const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - cc);
      const int predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : cc;
      EXPECT_EQ(row[4 * x + byte], (filtered[1 + 3 * x + c] + predicted) & 0xFF) << x << "/" << c;
    }
}

}  // namespace
}  // namespace huesift
