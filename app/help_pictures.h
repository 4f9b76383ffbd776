// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

#include "app/glyphs.h"

namespace huesift {

// Pictures of the toolbar's controls for the help window, drawn with the same glyphs and the
// same style as the toolbar itself.
QPixmap ButtonPicture(Glyph glyph);  // 34 x 23, raised
QPixmap RetainedListPicture();       // 31 x 56: the closed list and two dropped swatches
QPixmap GaugePicture();              // 26 x 23, reading 0%

}  // namespace huesift
