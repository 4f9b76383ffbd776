// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/ratios.h"
#include "bench/synthetic.h"
#include "engine/process.h"

#ifdef HUESIFT_HAVE_MAGICK
#include <Magick++.h>
#endif

namespace huesift::bench {
namespace {

const Picture& Screenshot() {
  static const Picture picture = MakeScreenshot();
  return picture;
}

// 4K of random pixels: not one run, so every pixel is looked up; the worst case.
const Picture& Noise() {
  static const Picture picture = [] {
    Picture p(kScreenWidth, kScreenHeight);
    synthetic_detail::Rng rng{0x0123456789ABCDEFull};
    std::uint32_t* d = p.data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(p.width()) * p.height(); ++i)
      d[i] = 0xFF000000u | (rng.next() & 0xFFFFFFu);
    return p;
  }();
  return picture;
}

std::size_t Bytes(const Picture& p) {
  return static_cast<std::size_t>(p.width()) * p.height() * sizeof(std::uint32_t);
}

// Black, which every run starts with, then the picture's most frequent colours but white:
// what a user picks from a screenshot to keep.
ColourTable RetainedForBench(int count) {
  static const auto colours = ColourCounts(Screenshot());
  ColourTable table;
  table.fill(kNoColour);
  table[0] = kBlack;
  int n = 1;
  for (const auto& entry : colours) {
    if (n >= count) break;
    if (entry.first != kBlack && entry.first != kWhite) table[n++] = entry.first;
  }
  return table;
}

// Pixels of the noise picture taken at even steps: colours it has, spread over all of it.
ColourTable SampledFromNoise(int count) {
  const Picture& noise = Noise();
  const std::size_t step = static_cast<std::size_t>(noise.width()) * noise.height() / count;
  ColourTable table;
  table.fill(kNoColour);
  for (int i = 0; i < count; ++i) table[i] = FromStored(noise.data()[i * step]);
  return table;
}

// A run as the main window makes it: nothing pending in the pumps, no stop, the picture's
// own width displayed.
struct BenchRun {
  const Picture& source;
  Picture work;
  int progress = 0;
  ProcessHooks hooks;

  explicit BenchRun(const Picture& from = Screenshot()) : source(from), work(from) {
    hooks.pump = [] {};
    hooks.stopRequested = [] { return false; };
    hooks.picture = [this] { return &work; };
    hooks.displayedWidth = [this] { return work.width(); };
    hooks.convertToColour = [] { return false; };
    hooks.processColor = [] { return kBlack; };
    hooks.progress = [this] { return progress; };
    hooks.setProgress = [this](int p) { progress = p; };
  }
  BenchRun(const BenchRun&) = delete;
  BenchRun& operator=(const BenchRun&) = delete;
};

template <const Picture& (*kSource)() = Screenshot>
void Memcpy(benchmark::State& state) {
  const Picture& src = kSource();
  std::vector<std::uint32_t> dst(src.data(), src.data() + Bytes(src) / sizeof(std::uint32_t));
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), Bytes(src));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(src)));
}

// The undo copy every Process, Fill and band erase takes: assigning a picture over one of
// the same size, which should cost no more than the plain copy.
void UndoCopy(benchmark::State& state) {
  const Picture& src = Screenshot();
  Picture undo = src;
  for (auto _ : state) {
    undo = src;
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(src)));
}

void RunPasses(benchmark::State& state, ProcessPass pass, bool reference, const Picture& source,
               const ColourTable& table, int similarDistance) {
  BenchRun run(source);
  const int height = run.work.height();
  for (auto _ : state) {
    // Every iteration starts from the unprocessed picture; restoring it is not timed.
    state.PauseTiming();
    run.work = run.source;
    run.progress = 0;
    state.ResumeTiming();
    if (reference)
      RunProcessPassReference(pass, height, height - 1, table, run.hooks, similarDistance);
    else
      RunProcessPass(pass, height, height - 1, table, run.hooks, similarDistance);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(run.work)));
}

template <ProcessPass kPass, bool kReference>
void Process(benchmark::State& state) {
  RunPasses(state, kPass, kReference, Screenshot(),
            RetainedForBench(static_cast<int>(state.range(0))), 0);
}

// The strip pass on the screenshot or on noise, with the first argument's number of colours
// (the screenshot's most frequent ones, or samples of the noise) and, for similar colours,
// the second argument's distance. The narrower kernels run as CPUs without the widest
// registers run them; a kernel this CPU lacks is reported as such rather than timed under
// its name.
template <ProcessKernel kWidest, bool kNoise = false, bool kSimilar = false>
void Capped(benchmark::State& state) {
  if (kWidest > WidestProcessKernel()) {
    state.SkipWithError("this CPU does not have the kernel");
    return;
  }
  const int count = static_cast<int>(state.range(0));
  LimitProcessKernel(kWidest);
  RunPasses(state, ProcessPass::Strip, false, kNoise ? Noise() : Screenshot(),
            kNoise ? SampledFromNoise(count) : RetainedForBench(count),
            kSimilar ? static_cast<int>(state.range(1)) : 0);
  LimitProcessKernel(ProcessKernel::Avx512);
}

// What the similar-colours dialog asks at every step of its slider.
void CountRetained(benchmark::State& state) {
  const Picture& picture = Screenshot();
  const ColourTable table = RetainedForBench(static_cast<int>(state.range(0)));
  const int distance = static_cast<int>(state.range(1));
  for (auto _ : state)
    benchmark::DoNotOptimize(
        CountRetainedPixels(picture, picture.width(), picture.height(), table, distance));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(picture)));
}

#ifdef HUESIFT_HAVE_MAGICK
// The same job for one colour in ImageMagick: every pixel that is not black becomes white.
void MagickOpaque(benchmark::State& state) {
  static const bool initialised = [] {
    Magick::InitializeMagick(nullptr);
    return true;
  }();
  (void)initialised;
  const Picture& src = Screenshot();
  // Stored words are B, G, R, 0xFF in memory; "P" skips the fourth byte, so no alpha channel.
  const Magick::Image input(src.width(), src.height(), "BGRP", Magick::CharPixel, src.data());
  const Magick::ColorRGB black(0, 0, 0);
  const Magick::ColorRGB white(1, 1, 1);

  // Check once that both sides do the same job before timing either.
  static const bool agrees = [&] {
    Magick::Image out = input;
    out.opaque(black, white, true);
    std::vector<std::uint32_t> theirs(src.data(), src.data() + Bytes(src) / 4);
    out.write(0, 0, src.width(), src.height(), "BGRP", Magick::CharPixel, theirs.data());
    BenchRun ours;
    RunProcessPass(ProcessPass::Strip, src.height(), src.height() - 1, RetainedForBench(1),
                   ours.hooks);
    for (std::size_t i = 0; i < theirs.size(); ++i)
      if ((theirs[i] & 0xFFFFFFu) != (ours.work.data()[i] & 0xFFFFFFu)) return false;
    return true;
  }();
  if (!agrees) {
    state.SkipWithError("Magick++ result differs from process_strip/1");
    return;
  }
  for (auto _ : state) {
    // A fresh image each time: a copy of `input` would share its pixel cache and pay for
    // the private copy inside opaque(), where it would be timed.
    state.PauseTiming();
    Magick::Image image(src.width(), src.height(), "BGRP", Magick::CharPixel, src.data());
    state.ResumeTiming();
    image.opaque(black, white, true);
  }
  state.counters["threads"] = static_cast<double>(Magick::ResourceLimits::thread());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(src)));
}
#endif

const bool registered = [] {
  Timed(benchmark::RegisterBenchmark("memcpy", Memcpy<>));
  Timed(benchmark::RegisterBenchmark("undo_copy", UndoCopy));
  Timed(benchmark::RegisterBenchmark("process_strip", Process<ProcessPass::Strip, false>))
      ->Arg(1)
      ->Arg(8)
      ->Arg(64);
  Timed(benchmark::RegisterBenchmark("process_reverse", Process<ProcessPass::Reverse, false>))
      ->Arg(64);
  Timed(benchmark::RegisterBenchmark("process_strip_avx2", Capped<ProcessKernel::Avx2>))
      ->Arg(1)
      ->Arg(8)
      ->Arg(64);
  Timed(benchmark::RegisterBenchmark("process_strip_portable", Capped<ProcessKernel::Portable>))
      ->Arg(1)
      ->Arg(8)
      ->Arg(64);
  Timed(benchmark::RegisterBenchmark("reference_strip", Process<ProcessPass::Strip, true>))
      ->Arg(64);
#ifdef HUESIFT_HAVE_MAGICK
  Timed(benchmark::RegisterBenchmark("magick_opaque", MagickOpaque))->Arg(1);
#endif

  // Similar colours beside the exact kernels, on the screenshot and on noise.
  using K = ProcessKernel;
  Timed(benchmark::RegisterBenchmark("similar_strip_avx512", Capped<K::Avx512, false, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("similar_strip_avx2", Capped<K::Avx2, false, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("similar_strip_portable", Capped<K::Portable, false, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("noise_memcpy", Memcpy<Noise>));
  Timed(benchmark::RegisterBenchmark("noise_strip_avx512", Capped<K::Avx512, true>))->Arg(64);
  Timed(benchmark::RegisterBenchmark("noise_strip_avx2", Capped<K::Avx2, true>))->Arg(64);
  Timed(benchmark::RegisterBenchmark("noise_strip_portable", Capped<K::Portable, true>))->Arg(64);
  Timed(benchmark::RegisterBenchmark("noise_similar_avx512", Capped<K::Avx512, true, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("noise_similar_avx2", Capped<K::Avx2, true, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("noise_similar_portable", Capped<K::Portable, true, true>))
      ->Args({64, 48});
  Timed(benchmark::RegisterBenchmark("count_retained", CountRetained))
      ->Args({64, 0})
      ->Args({64, 48});

  AddRatioCheck("process_strip/64", "memcpy", 1.0, false);
  AddRatioCheck("process_strip/1", "memcpy", 0.8, false);
  AddRatioCheck("process_strip_avx2/64", "memcpy", 1.0, false);
  AddRatioCheck("process_strip_portable/64", "memcpy", 1.5, false);
  AddRatioCheck("process_strip_portable/1", "memcpy", 2.0, false);
  AddRatioCheck("magick_opaque/1", "process_strip/1", 25, true);
  AddRatioCheck("reference_strip/64", "process_strip/64", 30, true);
  AddRatioCheck("similar_strip_avx512/64/48", "memcpy", 3, false);
  AddRatioCheck("similar_strip_avx2/64/48", "memcpy", 3, false);
  AddRatioCheck("similar_strip_portable/64/48", "memcpy", 6, false);
  AddRatioCheck("noise_similar_avx512/64/48", "noise_memcpy", 15, false);
  AddRatioCheck("noise_similar_avx2/64/48", "noise_memcpy", 15, false);
  AddRatioCheck("noise_similar_portable/64/48", "noise_memcpy", 15, false);
  AddRatioShown("similar_strip_avx512/64/48", "process_strip/64");
  AddRatioShown("similar_strip_avx2/64/48", "process_strip_avx2/64");
  AddRatioShown("similar_strip_portable/64/48", "process_strip_portable/64");
  AddRatioShown("noise_similar_avx512/64/48", "noise_strip_avx512/64");
  AddRatioShown("noise_similar_avx2/64/48", "noise_strip_avx2/64");
  AddRatioShown("noise_similar_portable/64/48", "noise_strip_portable/64");
  AddRatioShown("count_retained/64/48", "memcpy");
  return true;
}();

}  // namespace
}  // namespace huesift::bench
