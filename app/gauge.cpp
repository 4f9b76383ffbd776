// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/gauge.h"

#include <QPainter>
#include <algorithm>

namespace huesift {

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
  setMinimumWidth(62);
}

int Gauge::PercentOf(int progress, int max) {
  if (max <= 0) return 0;
  return static_cast<int>(100LL * progress / max);
}

void Gauge::setMaxValue(int max) {
  setValues(std::min(progress_, std::max(max, 0)), std::max(max, 0));
}

void Gauge::setProgress(int progress) {
  setValues(std::clamp(progress, 0, max_), max_);
}

void Gauge::setValues(int progress, int max) {
  const int before = percent();
  progress_ = progress;
  max_ = max;
  if (percent() != before) update();
}

void Gauge::PaintFace(QPainter& painter, const QRect& rect, int percent) {
  // Single border, then the white face with the blue bar growing from the left.
  painter.setPen(QColor(128, 128, 128));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  const QRect face = rect.adjusted(1, 1, -1, -1);
  painter.fillRect(face, Qt::white);
  const int barWidth = face.width() * std::clamp(percent, 0, 100) / 100;
  const QRect bar(face.topLeft(), QSize(barWidth, face.height()));
  painter.fillRect(bar, QColor(0, 0, 255));

  // The text reads black over white and white over the bar.
  const QString text = QString::asprintf("%d%%", percent);
  painter.setPen(Qt::black);
  painter.drawText(face, Qt::AlignCenter, text);
  painter.save();
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawText(face, Qt::AlignCenter, text);
  painter.restore();
}

void Gauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFace(painter, rect(), percent());
}

}  // namespace huesift
