// SPDX-License-Identifier: GPL-3.0-or-later
// Writes screenshot-like PNG files for the batch comparison: crops of the benchmark's
// synthetic desktop at different offsets, so no two files are alike.
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/synthetic.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s COUNT DIR [WIDTH HEIGHT [photo]]\n", argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const std::string dir = argv[2];
  const int width = argc > 4 ? std::atoi(argv[3]) : 1920;
  const int height = argc > 4 ? std::atoi(argv[4]) : 1080;
  // "photo": a photograph shown in a window on the desktop.
  // The desktop a little larger than the files, so that no two crops are alike at any size.
  huesift::Picture desktop =
      huesift::bench::MakeScreenshot(std::max(huesift::bench::kScreenWidth, width + 480),
                                     std::max(huesift::bench::kScreenHeight, height + 270));
  if (argc > 5 && std::string(argv[5]) == "photo") huesift::bench::AddPhotoWindow(desktop);
  if (width <= 0 || height <= 0 || width > desktop.width() || height > desktop.height()) {
    std::fprintf(stderr, "size out of range\n");
    return 2;
  }
  for (int i = 0; i < count; ++i) {
    // Offsets spread over the desktop along a coprime stride.
    const int x = static_cast<int>((i * 7919L) % (desktop.width() - width + 1));
    const int y = static_cast<int>((i * 3571L) % (desktop.height() - height + 1));
    QImage image(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
      const std::uint32_t* from = desktop.row(y + row) + x;
      std::copy(from, from + width, reinterpret_cast<std::uint32_t*>(image.scanLine(row)));
    }
    char name[64];
    std::snprintf(name, sizeof name, "/shot-%03d.png", i);
    if (!image.save(QString::fromStdString(dir + name), "PNG")) {
      std::fprintf(stderr, "cannot write %s%s\n", dir.c_str(), name);
      return 1;
    }
  }
  return 0;
}
