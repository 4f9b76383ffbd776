// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/unfilter.h"

#include <algorithm>

#include "codec/unfilter_kernels.h"

namespace huesift {
namespace {

UnfilterKernel kernelLimit = UnfilterKernel::Sse2;

}  // namespace

UnfilterKernel WidestUnfilterKernel() {
#if defined(HUESIFT_X86_KERNELS)
  return UnfilterKernel::Sse2;  // every x86-64 has SSE2
#else
  return UnfilterKernel::Portable;
#endif
}

void LimitUnfilterKernel(UnfilterKernel widest) {
  kernelLimit = widest;
}

UnfilterKernels UnfilterKernelsOf(UnfilterKernel kind) {
#if defined(HUESIFT_X86_KERNELS)
  if (kind == UnfilterKernel::Sse2) return {detail::UnfilterRowSse2, detail::UnfilterPaethPairSse2};
#endif
  (void)kind;
  return {detail::UnfilterRowPortable, nullptr};
}

UnfilterKernels ChosenUnfilterKernels() {
  return UnfilterKernelsOf(std::min(kernelLimit, WidestUnfilterKernel()));
}

}  // namespace huesift
