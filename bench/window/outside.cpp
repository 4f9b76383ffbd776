// SPDX-License-Identifier: GPL-3.0-or-later
// The window's latency as its user meets it, measured from outside the program: the real
// huesift is started on an X server, its keys and clicks are sent as X input events (XTest),
// and each time runs from the event to what the user waits for: the pixels on the X server
// (read back with XGetImage), the last byte in another program (xclip), or the saved file.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/window/timing.h"

namespace {

using bench_timing::Clock;
using bench_timing::List;
using bench_timing::Median;
using bench_timing::Ms;

constexpr double kGiveUpMs = 10000;

void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool overlaps(const Rect& o) const {
    return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
  }
};

class Session {
 public:
  explicit Session(Display* display) : d_(display), root_(DefaultRootWindow(display)) {}

  // The viewable top-level windows of process pid, largest first.
  std::vector<Window> windowsOf(pid_t pid) {
    std::vector<Window> found;
    const Atom pidAtom = XInternAtom(d_, "_NET_WM_PID", False);
    Window rootReturn, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d_, root_, &rootReturn, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d_, children[i], &a) || a.map_state != IsViewable ||
          a.override_redirect)
        continue;
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* value = nullptr;
      if (XGetWindowProperty(d_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                             &items, &after, &value) == Success &&
          value && items == 1 && static_cast<pid_t>(*reinterpret_cast<long*>(value)) == pid)
        found.push_back(children[i]);
      if (value) XFree(value);
    }
    if (children) XFree(children);
    return found;
  }

  // Waits for a window of pid other than `not`; 0 if none comes.
  Window waitForWindow(pid_t pid, Window notThis = 0) {
    const Clock::time_point start = Clock::now();
    while (Ms(start, Clock::now()) < kGiveUpMs) {
      for (const Window w : windowsOf(pid))
        if (w != notThis) return w;
      Sleep(20);
    }
    return 0;
  }

  Rect geometry(Window w) {
    XWindowAttributes a;
    XGetWindowAttributes(d_, w, &a);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d_, w, root_, 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
  }

  void focus(Window w) {
    XSetInputFocus(d_, w, RevertToParent, CurrentTime);
    XSync(d_, False);
  }

  // A key with modifiers, pressed and released.
  void key(KeySym sym, std::initializer_list<KeySym> modifiers = {}) {
    for (const KeySym m : modifiers) XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, m), True, 0);
    XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, sym), True, 0);
    XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, sym), False, 0);
    for (const KeySym m : modifiers) XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, m), False, 0);
    XFlush(d_);
  }

  void click(int rootX, int rootY) {
    XTestFakeMotionEvent(d_, -1, rootX, rootY, 0);
    XTestFakeButtonEvent(d_, 1, True, 0);
    XTestFakeButtonEvent(d_, 1, False, 0);
    XFlush(d_);
  }

  // The screen's pixels in r, as the X server holds them.
  std::vector<char> pixels(const Rect& r) {
    XImage* image = XGetImage(d_, root_, r.x, r.y, static_cast<unsigned>(r.width),
                              static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<char> bytes(image->data,
                            image->data + static_cast<std::size_t>(image->bytes_per_line) *
                                              static_cast<std::size_t>(image->height));
    XDestroyImage(image);
    return bytes;
  }

  // Milliseconds from t0 until the pixels in r differ from before; nothing if they never do.
  std::optional<double> untilChanged(const Rect& r, const std::vector<char>& before,
                                     Clock::time_point t0) {
    while (Ms(t0, Clock::now()) < kGiveUpMs) {
      if (pixels(r) != before) return Ms(t0, Clock::now());
      Sleep(1);
    }
    return std::nullopt;
  }

  Window clipboardOwner() { return XGetSelectionOwner(d_, XInternAtom(d_, "CLIPBOARD", False)); }

 private:
  Display* d_;
  Window root_;
};

// Runs a program and waits for it; its output, when asked for, collected whole.
int Run(std::vector<std::string> args, std::string* output = nullptr) {
  int out[2] = {-1, -1};
  if (output && pipe(out) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    if (output) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (output) {
    close(out[1]);
    char buffer[1 << 16];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
      output->append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool FileComplete(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && s.st_size > 0;
}

void Report(const char* what, const std::vector<double>& ms, double target) {
  const double median = Median(ms);
  std::printf("  %-48s %7.1f ms   target <= %3.0f ms  %s   (runs: %s)\n", what, median, target,
              median <= target ? "met" : "MISSED", List(ms).c_str());
}

// The first of the window's inner corners (inside its picture, clear of the toolbar) that a
// dialog over it does not cover.
Rect ProbeBeside(const Rect& window, const Rect& dialog) {
  constexpr int kSide = 48;
  constexpr int kMargin = 80;
  const Rect corners[] = {
      {window.x + kMargin, window.y + window.height - kMargin - kSide, kSide, kSide},
      {window.x + window.width - kMargin - kSide, window.y + window.height - kMargin - kSide, kSide,
       kSide},
      {window.x + kMargin, window.y + kMargin, kSide, kSide},
      {window.x + window.width - kMargin - kSide, window.y + kMargin, kSide, kSide},
  };
  for (const Rect& r : corners)
    if (!r.overlaps(dialog)) return r;
  return corners[0];
}

}  // namespace

// program: huesift; pasted is held on the clipboard (by xclip, which the caller started) and
// pasted, opened is opened through the file dialog; saved files go to folder.
int Outside(int repeats, const char* program, const char* pasted, const char* opened,
            const char* folder) {
  Display* display = XOpenDisplay(nullptr);
  int event, error, major, minor;
  if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "no X server with the XTest extension\n");
    return 1;
  }
  Session x(display);
  const pid_t huesift = fork();
  if (huesift == 0) {
    execl(program, program, opened, static_cast<char*>(nullptr));
    _exit(127);
  }
  const Window main = x.waitForWindow(huesift);
  if (!main) {
    std::fprintf(stderr, "the program showed no window\n");
    return 1;
  }
  // Time to paint the opened picture and get the spare clipboard reader ready, as a user
  // would leave it before the first paste.
  Sleep(2500);
  x.focus(main);
  const Rect window = x.geometry(main);
  const Rect middle{window.x + window.width / 2 - 24, window.y + window.height / 2, 48, 48};

  std::vector<double> paste, process, copy, open, save;
  bool failed = false;
  auto record = [&](std::vector<double>& into, std::optional<double> ms, const char* what) {
    if (ms) {
      into.push_back(*ms);
    } else {
      std::fprintf(stderr, "%s: nothing happened within %.0f s\n", what, kGiveUpMs / 1000);
      failed = true;
    }
  };
  for (int r = 0; r < repeats && !failed; ++r) {
    // Paste: Ctrl+V until the picture shows.
    std::vector<char> before = x.pixels(middle);
    Clock::time_point t0 = Clock::now();
    x.key(XK_v, {XK_Control_L});
    record(paste, x.untilChanged(middle, before, t0), "Paste");
    Sleep(600);

    // Process (black retained, as at the start): a click on its button until the result shows.
    before = x.pixels(middle);
    t0 = Clock::now();
    x.click(window.x + 49 + 14, window.y + 14);
    record(process, x.untilChanged(middle, before, t0), "Process");
    Sleep(1500);  // the pause at the end of a run, and the gauge going

    // Copy: Ctrl+C until another program holds the whole PNG.
    const Window previousOwner = x.clipboardOwner();
    t0 = Clock::now();
    x.key(XK_c, {XK_Control_L});
    while (x.clipboardOwner() == previousOwner && Ms(t0, Clock::now()) < kGiveUpMs) Sleep(1);
    std::string png;
    Run({"xclip", "-selection", "clipboard", "-o", "-t", "image/png"}, &png);
    const double copied = Ms(t0, Clock::now());
    if (png.size() < 1000 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
      std::fprintf(stderr, "Copy: xclip got no PNG (%zu bytes)\n", png.size());
      failed = true;
      break;
    }
    copy.push_back(copied);
    // The picture to paste held by xclip again.
    Run({"xclip", "-selection", "clipboard", "-t", "image/png", "-i", pasted});
    Sleep(300);

    // Open: the file's name typed into the dialog, then Return until the picture shows.
    x.key(XK_o, {XK_Control_L});
    const Window openDialog = x.waitForWindow(huesift, main);
    if (!openDialog) {
      std::fprintf(stderr, "Open: no dialog\n");
      failed = true;
      break;
    }
    x.focus(openDialog);
    Sleep(300);
    Run({"xdotool", "type", "--delay", "2", opened});
    Sleep(300);
    const Rect openProbe = ProbeBeside(window, x.geometry(openDialog));
    before = x.pixels(openProbe);
    t0 = Clock::now();
    x.key(XK_Return);
    record(open, x.untilChanged(openProbe, before, t0), "Open");
    Sleep(600);
    x.focus(main);

    // Save: a new name typed into the dialog, then Return until the file is there (it is
    // renamed into place only when complete).
    x.key(XK_s, {XK_Control_L});
    const Window saveDialog = x.waitForWindow(huesift, main);
    if (!saveDialog) {
      std::fprintf(stderr, "Save: no dialog\n");
      failed = true;
      break;
    }
    x.focus(saveDialog);
    Sleep(300);
    const std::string target = std::string(folder) + "/saved-" + std::to_string(r) + ".png";
    Run({"xdotool", "type", "--delay", "2", target});
    Sleep(300);
    t0 = Clock::now();
    x.key(XK_Return);
    while (!FileComplete(target) && Ms(t0, Clock::now()) < kGiveUpMs) Sleep(1);
    if (FileComplete(target)) {
      save.push_back(Ms(t0, Clock::now()));
    } else {
      std::fprintf(stderr, "Save: no file\n");
      failed = true;
    }
    Sleep(600);
    x.focus(main);
  }
  kill(huesift, SIGTERM);
  waitpid(huesift, nullptr, 0);
  if (failed) return 1;
  std::printf(
      "From outside the program (X input event to pixels, bytes or file), %dx%d window, "
      "medians of %d runs:\n",
      window.width, window.height, repeats);
  Report("Paste (Ctrl+V) until painted", paste, 100);
  Report("Open (Return in the dialog) until painted", open, 100);
  Report("Copy (Ctrl+C) until xclip holds the whole PNG", copy, 150);
  Report("Save (Return in the dialog) until the file is there", save, 150);
  Report("Process (click, black kept) until the result shows", process, 50);
  return 0;
}
