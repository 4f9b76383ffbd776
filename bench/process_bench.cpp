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

// A run as the main window makes it: nothing pending in the pumps, no stop, the picture's
// own width displayed.
struct BenchRun {
  Picture work = Screenshot();
  int progress = 0;
  ProcessHooks hooks;

  BenchRun() {
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

void Memcpy(benchmark::State& state) {
  const Picture& src = Screenshot();
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

template <ProcessPass kPass, bool kReference>
void Process(benchmark::State& state) {
  const ColourTable table = RetainedForBench(static_cast<int>(state.range(0)));
  BenchRun run;
  const int height = run.work.height();
  for (auto _ : state) {
    // Every iteration starts from the unprocessed picture; restoring it is not timed.
    state.PauseTiming();
    run.work = Screenshot();
    run.progress = 0;
    state.ResumeTiming();
    if constexpr (kReference)
      RunProcessPassReference(kPass, height, height - 1, table, run.hooks);
    else
      RunProcessPass(kPass, height, height - 1, table, run.hooks);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes(run.work)));
}

// The narrower kernels, as CPUs without the widest registers run them. A kernel this CPU
// lacks is reported as such rather than timed under its name.
template <ProcessKernel kWidest>
void Capped(benchmark::State& state) {
  if (kWidest > WidestProcessKernel()) {
    state.SkipWithError("this CPU does not have the kernel");
    return;
  }
  LimitProcessKernel(kWidest);
  Process<ProcessPass::Strip, false>(state);
  LimitProcessKernel(ProcessKernel::Avx512);
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
  Timed(benchmark::RegisterBenchmark("memcpy", Memcpy));
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
  AddRatioCheck("process_strip/64", "memcpy", 1.0, false);
  AddRatioCheck("process_strip/1", "memcpy", 0.8, false);
  AddRatioCheck("process_strip_avx2/64", "memcpy", 1.0, false);
  AddRatioCheck("process_strip_portable/64", "memcpy", 1.5, false);
  AddRatioCheck("process_strip_portable/1", "memcpy", 2.0, false);
  AddRatioCheck("magick_opaque/1", "process_strip/1", 25, true);
  AddRatioCheck("reference_strip/64", "process_strip/64", 30, true);
  return true;
}();

}  // namespace
}  // namespace huesift::bench
