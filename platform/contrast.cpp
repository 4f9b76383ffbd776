// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/contrast.h"

#include <algorithm>
#include <cmath>

namespace huesift {
namespace {

double Luminance(const QColor& colour) {
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

QColor Mix(const QColor& from, const QColor& to, double t) {
  const auto channel = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  const QColor f = from.toRgb();
  const QColor g = to.toRgb();
  return QColor(channel(f.red(), g.red()), channel(f.green(), g.green()),
                channel(f.blue(), g.blue()));
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background, double minimum) {
  if (ContrastRatio(wanted, background) >= minimum) return wanted;
  const QColor toward = ContrastRatio(Qt::white, background) >= ContrastRatio(Qt::black, background)
                            ? QColor(Qt::white)
                            : QColor(Qt::black);
  for (int step = 1; step <= 20; ++step) {
    const QColor mixed = Mix(wanted, toward, step / 20.0);
    if (ContrastRatio(mixed, background) >= minimum) return mixed;
  }
  return toward;
}

bool IsDark(const QPalette& palette) {
  return Luminance(palette.color(QPalette::WindowText)) >
         Luminance(palette.color(QPalette::Window));
}

}  // namespace huesift
