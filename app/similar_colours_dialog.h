// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>

class QDialogButtonBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace huesift {

// "Similar Colors...": the distance within which a colour counts as one of the retained
// colours, on a slider and in a spin box, with a line that says how many of the picture's
// pixels the list and the distance keep, following the slider as it moves.
class SimilarColoursDialog : public QDialog {
  Q_OBJECT
 public:
  struct Count {
    std::int64_t kept = 0;
    std::int64_t all = 0;
  };
  // count: what the list keeps of the picture at a distance.
  SimilarColoursDialog(int distance, std::function<Count(int distance)> count,
                       QWidget* parent = nullptr);

  int distance() const;

  QSlider* slider = nullptr;
  QSpinBox* spinBox = nullptr;
  QLabel* countLabel = nullptr;
  QDialogButtonBox* buttons = nullptr;

 private:
  void recount();

  std::function<Count(int)> count_;
  // A slider dragged fast asks for many counts; the ones the event loop has not come to yet
  // are folded into one.
  QTimer recountSoon_;
};

// The Process menu's item: "Similar Colors..." at 0, with the distance in it otherwise.
QString SimilarColoursItemText(int distance);

}  // namespace huesift
