// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/working_state.h"

class QAbstractButton;
class QWidget;

namespace huesift {

class ColourBox;
class RetainedColorList;
class Services;

// What the two colour lists do when the user works them, and the operations on them that
// sampling shares: the lists are the authority, the state's tables are rewritten from them.
class ColourLists {
 public:
  ColourLists(WorkingState& state, Services& services, QWidget* window, RetainedColorList* retained,
              ColourBox* box, QAbstractButton* addColor)
      : state_(state),
        services_(services),
        window_(window),
        retained_(retained),
        box_(box),
        addColor_(addColor) {}

  // "Retained Colors" clicked or about to drop down: Add Color mode ends, the box closes.
  void retainedListClicked();
  // An entry was chosen: it is deleted unless it is the only one.
  void retainedListChanged(int index);

  // A candidate was chosen in the colour box: it is retained unless it already is.
  void candidateChosen();
  // The box's "X": hide it and forget the candidates (its list keeps them until resampled).
  void closeBox();

  bool retainedFull() const;
  // Appends c to "Retained Colors", tints the list with it and rewrites the mirror.
  void retain(Colour c);
  void rewriteRetained();
  void rewriteCandidates();

 private:
  WorkingState& state_;
  Services& services_;
  QWidget* window_;
  RetainedColorList* retained_;
  ColourBox* box_;
  QAbstractButton* addColor_;
};

inline constexpr const char* kListFullMessage = "List box full - delete a color and continue.";

}  // namespace huesift
