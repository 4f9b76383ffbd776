// SPDX-License-Identifier: GPL-3.0-or-later
// The cold start half of huesift_window_bench: from starting a program until its window is
// painted, seen by polling a few screen pixels through Xlib. Kept apart from Qt, whose
// headers clash with Xlib's macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/window/timing.h"

extern char** environ;

namespace {

using bench_timing::Clock;
using bench_timing::List;
using bench_timing::Median;
using bench_timing::Ms;

struct Probe {
  Display* display = XOpenDisplay(nullptr);
  std::vector<std::pair<int, int>> points;

  std::vector<unsigned long> read() const {
    std::vector<unsigned long> out;
    const Window root = DefaultRootWindow(display);
    for (const auto& [x, y] : points) {
      XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
      out.push_back(image ? XGetPixel(image, 0, 0) : 0);
      if (image) XDestroyImage(image);
    }
    return out;
  }
};

pid_t Start(const char* program) {
  pid_t pid = 0;
  char* args[] = {const_cast<char*>(program), nullptr};
  if (posix_spawn(&pid, program, nullptr, nullptr, args, environ) != 0) return -1;
  return pid;
}

void End(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// What the points show once the program's window has been up for a while.
std::vector<unsigned long> Painted(Probe& screen, const char* program) {
  const pid_t pid = Start(program);
  usleep(3000 * 1000);
  const auto pixels = screen.read();
  End(pid);
  usleep(300 * 1000);
  return pixels;
}

double TimeUntil(Probe& screen, const char* program, const std::vector<unsigned long>& painted) {
  const auto t0 = Clock::now();
  const pid_t pid = Start(program);
  double ms = -1;
  while (Ms(t0, Clock::now()) < 10000) {
    if (screen.read() == painted) {
      ms = Ms(t0, Clock::now());
      break;
    }
    usleep(500);
  }
  End(pid);
  // The window is gone when the points show the bare screen again.
  for (int i = 0; i < 200 && screen.read() == painted; ++i) usleep(5000);
  return ms;
}

}  // namespace

int ColdStart(int repeats, const char* program, const char* minimal) {
  Probe screen;
  if (!screen.display) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  const int w = DisplayWidth(screen.display, 0);
  // Points along the window's top, where both windows paint their background or toolbar.
  for (int x : {8, w / 4, w / 2, 3 * w / 4, w - 8}) screen.points.push_back({x, 12});
  const auto bare = screen.read();
  const auto ours = Painted(screen, program);
  const auto theirs = Painted(screen, minimal);
  if (ours == bare || theirs == bare) {
    std::fprintf(stderr, "a window did not change the screen at the points measured\n");
    return 1;
  }
  std::vector<double> a, b;
  for (int r = 0; r < repeats; ++r) {
    a.push_back(TimeUntil(screen, program, ours));
    b.push_back(TimeUntil(screen, minimal, theirs));
  }
  const double ma = Median(a), mb = Median(b);
  std::printf("Cold start until the window is painted, medians of %d runs, alternating:\n",
              repeats);
  std::printf("  %-44s %7.1f ms   (runs: %s)\n", "huesift", ma, List(a).c_str());
  std::printf("  %-44s %7.1f ms   (runs: %s)\n", "minimal Qt Widgets window", mb, List(b).c_str());
  std::printf("  %-44s %7.2fx     target <= 1.2x  %s\n", "huesift / minimal", ma / mb,
              ma / mb <= 1.2 ? "met" : "MISSED");
  return 0;
}
