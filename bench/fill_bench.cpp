// SPDX-License-Identifier: GPL-3.0-or-later
// Flood fill of the screenshot's white background: the span fill against a plain copy of the
// picture (the "memcpy" benchmark), the literal per-pixel fill and OpenCV's fill.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/ratios.h"
#include "bench/synthetic.h"
#include "engine/fill.h"
#include "engine/fill_kernels.h"
#include "tests/engine/naive_fill.h"

#ifdef HUESIFT_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace huesift::bench {
namespace {

// The screenshot, where the fill starts (a pixel of its largest white region), how many
// pixels that region has, and a colour the screenshot does not use.
struct FillScene {
  Picture picture = MakeScreenshot();
  int seedX = 0, seedY = 0;
  std::size_t regionSize = 0;
  Colour marker = 0x010203;

  FillScene() {
    const auto counts = ColourCounts(picture);
    auto used = [&](Colour c) {
      for (const auto& entry : counts)
        if (entry.first == c) return true;
      return false;
    };
    while (used(marker)) marker += 0x010101;
    Picture scratch = picture;
    for (int y = 0; y < scratch.height(); ++y) {
      for (int x = 0; x < scratch.width(); ++x) {
        if (scratch.pixel(x, y) != kWhite) continue;
        const std::size_t n = FloodFill(scratch, x, y, marker);
        if (n > regionSize) {
          regionSize = n;
          seedX = x;
          seedY = y;
        }
      }
    }
  }
};

FillScene& Scene() {
  static FillScene scene;
  return scene;
}

// Each iteration fills the same region, white to the marker colour or back to white, so no
// copy of the picture is needed between iterations.
template <std::size_t (*kFill)(Picture&, int, int, Colour)>
void Fill(benchmark::State& state) {
  FillScene& scene = Scene();
  Picture work = scene.picture;
  bool white = true;
  for (auto _ : state) {
    const std::size_t n = kFill(work, scene.seedX, scene.seedY, white ? scene.marker : kWhite);
    if (n != scene.regionSize) state.SkipWithError("the fill changed a different region");
    white = !white;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * scene.regionSize));
}

// The kernels a CPU without AVX-512 runs.
void PortableFill(benchmark::State& state) {
  detail::UseFillAvx512(false);
  Fill<FloodFill>(state);
  detail::UseFillAvx512(true);
}

#ifdef HUESIFT_HAVE_OPENCV
void OpenCvFill(benchmark::State& state) {
  FillScene& scene = Scene();
  Picture work = scene.picture;
  // The stored words as one 32-bit channel: a fill of exact values, as ours.
  cv::Mat image(work.height(), work.width(), CV_32SC1, work.data());
  auto fill = [&](Colour c) {
    return static_cast<std::size_t>(
        cv::floodFill(image, cv::Point(scene.seedX, scene.seedY),
                      cv::Scalar(static_cast<std::int32_t>(ToStored(c))), nullptr, cv::Scalar(),
                      cv::Scalar(), 4));
  };
  // Both fills must agree on the region before either is timed.
  Picture ours = scene.picture;
  FloodFill(ours, scene.seedX, scene.seedY, scene.marker);
  if (fill(scene.marker) != scene.regionSize || !(work == ours)) {
    state.SkipWithError("OpenCV filled a different region");
    return;
  }
  bool white = false;
  for (auto _ : state) {
    fill(white ? scene.marker : kWhite);
    white = !white;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * scene.regionSize));
}
#endif

constexpr int kRepetitions = 5;

const bool registered = [] {
  auto timed = [](benchmark::internal::Benchmark* b, int repetitions) { Timed(b, repetitions); };
  timed(benchmark::RegisterBenchmark("fill_span", Fill<FloodFill>), kRepetitions);
  timed(benchmark::RegisterBenchmark("fill_span_portable", PortableFill), kRepetitions);
  timed(benchmark::RegisterBenchmark("fill_naive", Fill<test::NaiveFloodFill>), 3);
#ifdef HUESIFT_HAVE_OPENCV
  timed(benchmark::RegisterBenchmark("fill_opencv", OpenCvFill), kRepetitions);
  AddRatioCheck("fill_opencv", "fill_span", 1.0, true);
#endif
  AddRatioCheck("fill_span", "memcpy", 3.0, false);
  AddRatioCheck("fill_span_portable", "memcpy", 3.0, false);
  return true;
}();

}  // namespace
}  // namespace huesift::bench
