// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/gauge.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>

namespace huesift {
namespace {

QString FaceText(int percent) {
  return QString::asprintf("%d%%", percent);
}

// What assistive technology reads from the gauge: a progress bar whose value is the
// percentage its face shows, 0 to 100.
class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit GaugeAccessible(Gauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return FaceText(gauge()->percent());
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    return s;
  }

  QVariant currentValue() const override { return gauge()->percent(); }
  void setCurrentValue(const QVariant&) override {}  // only a run moves it
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 0; }

 private:
  Gauge* gauge() const { return static_cast<Gauge*>(widget()); }
};

QAccessibleInterface* GaugeAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(Gauge::staticMetaObject.className()) && object->isWidgetType())
    return new GaugeAccessible(static_cast<Gauge*>(object));
  return nullptr;
}

}  // namespace

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
  setMinimumWidth(62);
  static const bool accessible = (QAccessible::installFactory(&GaugeAccessibleFactory), true);
  (void)accessible;
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
  if (percent() == before) return;
  update();
  if (QAccessible::isActive()) {
    QAccessibleValueChangeEvent changed(this, percent());
    QAccessible::updateAccessibility(&changed);
  }
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
  const QString text = FaceText(percent);
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
