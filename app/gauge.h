// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace huesift {

// The progress gauge on the toolbar: a blue bar on white with the whole percentage written
// over it. It repaints only when that percentage changes, so a run may set its progress on
// every row.
class Gauge : public QWidget {
  Q_OBJECT
 public:
  explicit Gauge(QWidget* parent = nullptr);

  int maxValue() const { return max_; }
  int progress() const { return progress_; }
  // 100 * progress / maximum rounded down; 0 when the maximum is 0.
  int percent() const { return PercentOf(progress_, max_); }

  void setMaxValue(int max);
  // Held between 0 and the maximum.
  void setProgress(int progress);

  static int PercentOf(int progress, int max);
  // Draws a gauge face showing percent into rect; shared with the help window's picture.
  static void PaintFace(QPainter& painter, const QRect& rect, int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void setValues(int progress, int max);

  int max_ = 100;
  int progress_ = 0;
};

}  // namespace huesift
