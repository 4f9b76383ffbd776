// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

#include "engine/picture.h"

namespace huesift {

// Surface flood fill: every pixel of exactly the colour found at (x, y) that is joined to it
// through horizontal or vertical neighbours of that colour becomes fill. Diagonal neighbours
// do not join. Nothing happens for a start point outside the raster or when the clicked
// colour already is the fill colour. Returns the number of pixels changed.
std::size_t FloodFill(Picture& picture, int x, int y, Colour fill);

}  // namespace huesift
