// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "engine/colour.h"

namespace huesift {

// "Retained Colors": a drop-down list without an edit field whose entries are decimal
// colour texts, drawn as swatches. Choosing an entry (pointer or keyboard) emits activated;
// opening the list emits droppedDown first. While no entry is selected the closed face shows
// the background colour, which appending code tints with the colour it added.
class RetainedColourList : public QComboBox {
  Q_OBJECT
 public:
  explicit RetainedColourList(QWidget* parent = nullptr);

  void appendColour(Colour c);
  Colour colourAt(int index) const;
  std::vector<std::string> entries() const;
  // Removes an entry and leaves none selected.
  void deleteEntry(int index);

  void setBackgroundColour(Colour c);
  void resetBackgroundColour();  // the platform's window background
  QColor backgroundColour() const;

  void showPopup() override;

 signals:
  void droppedDown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace huesift
