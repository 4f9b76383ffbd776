// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's icon into an icon theme tree under the folder given on the command
// line: hicolor/NxN/apps/huesift.png for each size a desktop asks for, and
// hicolor/scalable/apps/huesift.svg.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/window_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIR\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
    const QString path = out.filePath(dir + QStringLiteral("/huesift.png"));
    if (!out.mkpath(dir) || !huesift::DrawWindowIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  const QString dir = QStringLiteral("hicolor/scalable/apps");
  QFile svg(out.filePath(dir + QStringLiteral("/huesift.svg")));
  if (!out.mkpath(dir) || !svg.open(QIODevice::WriteOnly) ||
      svg.write(huesift::WindowIconSvg()) < 0 || !svg.flush()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  return 0;
}
