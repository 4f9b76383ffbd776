// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/working_state.h"

class QAbstractButton;
class QWidget;

namespace huesift {

class ColourBox;
class RetainedColourList;
class Services;

// What the two colour lists do when the user works them, and the operations on them that
// sampling shares: the lists are the authority, the state's tables are rewritten from them.
class ColourLists {
 public:
  struct Parts {
    WorkingState& state;
    Services& services;
    QWidget* window = nullptr;  // the cursor and the full-list message
    RetainedColourList* retainedList = nullptr;
    ColourBox* colourBox = nullptr;
    QAbstractButton* addColourButton = nullptr;
  };

  explicit ColourLists(Parts parts) : p_(parts) {}

  // "Retained Colors" clicked or about to drop down: Add Color mode ends, the box closes.
  void retainedListClicked();
  // An entry was chosen: it is deleted unless it is the only one.
  void retainedListChanged(int index);

  // A candidate was chosen in the colour box: it is retained unless it already is.
  void candidateChosen();
  // "Retain All": every candidate in the box's order, as if each were chosen in turn, then
  // the box closes and the candidates are gone. A full list takes what fits and says so once.
  void retainAll();
  // The box's "X": hide it and forget the candidates (its list keeps them until resampled).
  void closeBox();

  // "Retained Colors" back to black alone, without the tint of the last colour added.
  void resetRetained();

  bool retainedFull() const;
  // The one message for a colour that does not fit any more, in the user's language.
  void sayListFull();
  // Appends c to "Retained Colors", tints the list with it and rewrites the mirror.
  void retain(Colour c);
  void rewriteRetained();
  void rewriteCandidates();

 private:
  Parts p_;
};

}  // namespace huesift
