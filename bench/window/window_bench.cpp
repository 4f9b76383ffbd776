// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window keeps its user waiting, measured under X (bench/window/window_latency.sh
// starts Xvfb and runs this):
//
//   huesift_window_bench --in-window PICTURE.png REPEATS
//     the real main window: Paste of PICTURE (held on the clipboard by another program) until
//     painted, after an idle pause as a user would leave (so the spare clipboard reader is
//     waiting, as it would be), Open of the same file until painted, Process with 64 retained
//     colours until the result is painted, without the fixed 500 ms pause. Medians and targets
//     printed.
//   huesift_window_bench --cold-start REPEATS PROGRAM MINIMAL
//     from starting each program until its window is painted, polling screen pixels; the
//     two alternate, and the ratio of their medians is printed.
//   huesift_window_bench --outside REPEATS PROGRAM PASTED.png OPENED.png FOLDER
//     the real program driven by X input events, each time taken from the event to the
//     pixels, bytes or file the user waits for (outside.cpp).
#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/huesift_application.h"
#include "app/main_window.h"
#include "bench/synthetic.h"
#include "bench/window/timing.h"
#include "platform/clipboard_reader.h"
#include "platform/qt_services.h"

// cold_start.cpp and outside.cpp, which include Xlib (whose macros clash with Qt).
int ColdStart(int repeats, const char* program, const char* minimal);
int Outside(int repeats, const char* program, const char* pasted, const char* opened,
            const char* folder);

namespace {

using bench_timing::Clock;
using bench_timing::List;
using bench_timing::Median;
using bench_timing::Ms;

// The program's own services, but the file chooser answers with the bench's picture and the
// 500 ms pause after a run only notes when it began: the result is on the screen by then.
class BenchServices : public huesift::QtServices {
 public:
  QString fileToOpen;
  Clock::time_point pauseBegan;
  bool paused = false;

  std::optional<QString> chooseFileToOpen(QWidget*, const QString&, const QStringList&) override {
    return fileToOpen;
  }
  void sleepMs(int) override {
    QGuiApplication::sync();  // what was sent to the X server has been drawn
    pauseBegan = Clock::now();
    paused = true;
  }
};

// Counts the picture's paint events.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Lets the event loop run until the picture has been painted after `before` paints and
// nothing is left to do, then waits for the X server to have drawn it.
void WaitUntilPainted(const PaintCounter& counter, int before) {
  QElapsedTimer limit;
  limit.start();
  while (counter.paints == before && limit.elapsed() < 10000)
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QGuiApplication::sync();
}

void Settle(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
}

void Report(const char* what, const std::vector<double>& ms, double target) {
  const double median = Median(ms);
  std::printf("  %-44s %7.1f ms   target <= %3.0f ms  %s   (runs: %s)\n", what, median, target,
              median <= target ? "met" : "MISSED", List(ms).c_str());
}

int InWindow(int argc, char** argv, const QString& file, int repeats) {
  huesift::HuesiftApplication app(argc, argv);
  BenchServices services;
  app.setErrorServices(&services);
  services.fileToOpen = file;
  huesift::MainWindow window(services);
  window.show();
  // The idle pause a user leaves before the first paste: in it the window, once painted, gets
  // its spare clipboard reader ready, as it does again after each paste (the pauses between
  // the runs below are longer than that).
  Settle(1500);

  // 64 retained colours: black, which the list starts with, and the 63 most frequent others
  // but white of the picture.
  const huesift::Picture source = huesift::bench::MakeScreenshot();
  int added = 0;
  for (const auto& entry : huesift::bench::ColourCounts(source)) {
    if (added == 63) break;
    if (entry.first == huesift::kBlack || entry.first == huesift::kWhite) continue;
    window.retainedList->appendColour(entry.first);
    ++added;
  }

  PaintCounter counter;
  window.picture->installEventFilter(&counter);
  std::vector<double> paste, open, process;
  for (int r = 0; r < repeats; ++r) {
    int before = counter.paints;
    Clock::time_point t0 = Clock::now();
    window.onPaste();
    WaitUntilPainted(counter, before);
    paste.push_back(Ms(t0, Clock::now()));
    if (window.picture->picture().width() != 3840 && window.picture->picture().width() == 0) {
      std::fprintf(stderr, "the paste brought no picture\n");
      return 1;
    }
    Settle(300);

    services.paused = false;
    t0 = Clock::now();
    window.onProcessClicked();
    if (!services.paused) {
      std::fprintf(stderr, "the run did not finish\n");
      return 1;
    }
    process.push_back(Ms(t0, services.pauseBegan));
    Settle(300);

    before = counter.paints;
    t0 = Clock::now();
    window.onOpenPicture();
    WaitUntilPainted(counter, before);
    open.push_back(Ms(t0, Clock::now()));
    Settle(300);
  }
  std::printf("The window at %dx%d, picture %dx%d, medians of %d runs:\n", window.width(),
              window.height(), window.picture->picture().width(),
              window.picture->picture().height(), repeats);
  Report("Paste until painted", paste, 150);
  Report("Open until painted", open, 150);
  Report("Process, 64 colours, until painted (no pause)", process, 50);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Paste reads the clipboard through a reader process started from this program.
  if (argc > 1 && std::strcmp(argv[1], huesift::kClipboardReaderFlag) == 0)
    huesift::RunClipboardReader(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--in-window") == 0)
    return InWindow(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
  if (argc == 5 && std::strcmp(argv[1], "--cold-start") == 0)
    return ColdStart(std::atoi(argv[2]), argv[3], argv[4]);
  if (argc == 7 && std::strcmp(argv[1], "--outside") == 0)
    return Outside(std::atoi(argv[2]), argv[3], argv[4], argv[5], argv[6]);
  std::fprintf(stderr,
               "usage: %s --in-window PICTURE.png REPEATS\n"
               "       %s --cold-start REPEATS PROGRAM MINIMAL\n"
               "       %s --outside REPEATS PROGRAM PASTED.png OPENED.png FOLDER\n",
               argv[0], argv[0], argv[0]);
  return 2;
}
