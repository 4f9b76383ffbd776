// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/similar_colours_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/process.h"

namespace huesift {

SimilarColoursDialog::SimilarColoursDialog(int distance, std::function<Count(int)> count,
                                           QWidget* parent)
    : QDialog(parent), count_(std::move(count)) {
  setObjectName("similarColoursDialog");
  setWindowTitle(tr("Similar Colors"));

  auto* explanation = new QLabel(
      tr("Also keep the colors whose red, green and blue each lie within this distance of a "
         "retained color's. At 0 only the retained colors themselves are kept."),
      this);
  explanation->setWordWrap(true);

  auto* distanceLabel = new QLabel(tr("&Distance:"), this);
  slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName("distanceSlider");
  slider->setRange(0, kMaxSimilarDistance);
  slider->setPageStep(16);
  spinBox = new QSpinBox(this);
  spinBox->setObjectName("distanceSpinBox");
  spinBox->setRange(0, kMaxSimilarDistance);
  distanceLabel->setBuddy(spinBox);
  // Screen readers name both controls; the slider has no label of its own.
  slider->setAccessibleName(tr("Distance"));
  spinBox->setAccessibleName(tr("Distance"));

  countLabel = new QLabel(this);
  countLabel->setObjectName("countLabel");
  countLabel->setAccessibleName(tr("Pixels kept"));

  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(distanceLabel);
  row->addWidget(slider, 1);
  row->addWidget(spinBox);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addLayout(row);
  layout->addWidget(countLabel);
  layout->addWidget(buttons);
  setMinimumWidth(fontMetrics().averageCharWidth() * 52);

  connect(slider, &QSlider::valueChanged, spinBox, &QSpinBox::setValue);
  connect(spinBox, &QSpinBox::valueChanged, slider, &QSlider::setValue);
  recountSoon_.setSingleShot(true);
  recountSoon_.setInterval(0);
  connect(&recountSoon_, &QTimer::timeout, this, &SimilarColoursDialog::recount);
  connect(spinBox, &QSpinBox::valueChanged, &recountSoon_, qOverload<>(&QTimer::start));

  spinBox->setValue(distance);
  recount();
  spinBox->setFocus();
  spinBox->selectAll();
}

int SimilarColoursDialog::distance() const {
  return spinBox->value();
}

void SimilarColoursDialog::recount() {
  const Count counted = count_(distance());
  countLabel->setText(tr("Keeps %L1 of %L2 pixels").arg(counted.kept).arg(counted.all));
}

QString SimilarColoursItemText(int distance) {
  if (distance == 0) return SimilarColoursDialog::tr("Similar Colors...");
  return SimilarColoursDialog::tr("Similar Colors: %1...").arg(distance);
}

}  // namespace huesift
