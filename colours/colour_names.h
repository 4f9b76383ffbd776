// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "engine/colour.h"

namespace huesift {

// How a colour is named to the user where the swatch alone does not say it: "#RRGGBB", red
// first, as the batch mode's --keep takes it (the lists keep their decimal texts inside).
QString HexText(Colour c);
// A plain word for the colour: a gray level for grays and near-grays, otherwise its hue, dark
// or light where that is what the eye sees ("dark red", "orange", "light blue", "brown").
QString ColourWord(Colour c);
// What a screen reader says for a swatch: "#1E90FF, blue".
QString AccessibleColourName(Colour c);

}  // namespace huesift
