// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_icon.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace huesift {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kOrange(255, 140, 0);

// Lengths and spacing are those of the 32 x 32 design, scaled and rounded per size so every
// size is drawn on whole pixels instead of a blurred 32 x 32.
int Scaled(double units, int size, int least) {
  return std::max(least, static_cast<int>(std::lround(units * size / 32.0)));
}

void AddTextLines(std::vector<IconShape>& shapes, const QRect& area, int size) {
  static constexpr std::array<int, 6> kDashes = {3, 5, 2, 4, 6, 3};
  const int gap = Scaled(1, size, 1), rowStep = Scaled(3, size, 2);
  const int dashHeight = Scaled(2, size, 1);
  std::size_t k = 0;
  for (int y = area.top() + gap; y + dashHeight <= area.bottom(); y += rowStep) {
    int x = area.left() + gap;
    while (x < area.right() - gap) {
      const int len = std::min(Scaled(kDashes[k++ % kDashes.size()], size, 1), area.right() - x);
      shapes.push_back({QRect(x, y, len, dashHeight), kBlack});
      x += len + gap;
    }
  }
}

}  // namespace

std::vector<IconShape> WindowIconShapes(int size) {
  const int half = size / 2, frame = Scaled(1, size, 1);
  std::vector<IconShape> shapes = {{QRect(0, 0, size, half), kWhite},
                                   {QRect(0, half, size, size - half), kOrange}};
  AddTextLines(shapes, QRect(frame, frame, size - 2 * frame, half - 2 * frame), size);
  AddTextLines(shapes, QRect(frame, half + frame, size - 2 * frame, size - half - 2 * frame), size);
  for (const QRect& edge : {QRect(0, 0, size, frame), QRect(0, size - frame, size, frame),
                            QRect(0, 0, frame, size), QRect(size - frame, 0, frame, size)}) {
    shapes.push_back({edge, kBlack});
  }
  return shapes;
}

QImage DrawWindowIcon(int size) {
  QImage image(size, size, QImage::Format_RGB32);
  QPainter p(&image);
  for (const IconShape& s : WindowIconShapes(size)) p.fillRect(s.rect, s.colour);
  return image;
}

QByteArray WindowIconSvg() {
  constexpr int kDesign = 32;
  QByteArray svg = QByteArrayLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
      "viewBox=\"0 0 32 32\" shape-rendering=\"crispEdges\">\n");
  for (const IconShape& s : WindowIconShapes(kDesign)) {
    svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
               .arg(s.rect.x())
               .arg(s.rect.y())
               .arg(s.rect.width())
               .arg(s.rect.height())
               .arg(s.colour.name())
               .toUtf8();
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace huesift
