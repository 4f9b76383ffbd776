// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/process.h"

namespace huesift::test {

// The ways a pass can run; all must give the same pixels and the same calls.
enum class Walker { Avx512, Avx2, Portable, Reference };
inline const std::vector<Walker> kAllWalkers = {Walker::Avx512, Walker::Avx2, Walker::Portable,
                                                Walker::Reference};

inline std::string WalkerName(Walker w) {
  const char* names[] = {"Avx512", "Avx2", "Portable", "Reference"};
  return names[static_cast<int>(w)];
}

inline void PrintTo(Walker w, std::ostream* os) {
  *os << WalkerName(w);
}

inline ProcessKernel KernelOf(Walker w) {
  return w == Walker::Avx512 ? ProcessKernel::Avx512
         : w == Walker::Avx2 ? ProcessKernel::Avx2
                             : ProcessKernel::Portable;
}

// The reference and the portable kernel run everywhere, the others where the CPU has them.
inline bool Runs(Walker w) {
  return KernelOf(w) <= WidestProcessKernel();
}

// Everything a run talks to, with a log of pumps (the progress seen then) and progress writes.
struct Harness {
  Picture first;
  Picture second;
  int which = 0;  // the picture the hooks hand out: 0 first, 1 second, anything else none
  int width = 0;
  bool stop = false;
  bool convert = false;
  Colour pen = kBlack;
  int progress = 0;
  int pumps = 0;
  std::vector<std::pair<char, int>> log;
  std::function<void(Harness&)> onPump;  // runs inside the pump, after pumps is counted

  ProcessHooks Hooks() {
    ProcessHooks h;
    h.pump = [this] {
      ++pumps;
      log.emplace_back('P', progress);
      if (onPump) onPump(*this);
    };
    h.stopRequested = [this] { return stop; };
    h.picture = [this] { return which == 0 ? &first : which == 1 ? &second : nullptr; };
    h.displayedWidth = [this] { return width; };
    h.convertToColour = [this] { return convert; };
    h.processColor = [this] { return pen; };
    h.progress = [this] { return progress; };
    h.setProgress = [this](int p) {
      progress = p;
      log.emplace_back('S', p);
    };
    return h;
  }

  // Runs one pass over `height` rows with the gauge's maximum at height - 1.
  int Run(Walker walker, ProcessPass pass, int height, const ColourTable& table,
          int similarDistance = 0) {
    const ProcessHooks hooks = Hooks();
    if (walker == Walker::Reference)
      return RunProcessPassReference(pass, height, height - 1, table, hooks, similarDistance);
    LimitProcessKernel(KernelOf(walker));
    const int rows = RunProcessPass(pass, height, height - 1, table, hooks, similarDistance);
    LimitProcessKernel(ProcessKernel::Avx512);
    return rows;
  }
};

inline ColourTable Table(std::vector<Colour> colours) {
  ColourTable t;
  t.fill(kNoColour);
  for (std::size_t i = 0; i < colours.size() && i < t.size(); ++i) t[i] = colours[i];
  return t;
}

}  // namespace huesift::test
