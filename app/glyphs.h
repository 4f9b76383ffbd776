// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace huesift {

// The pictures on the toolbar buttons, drawn here in code. The help window shows the same
// buttons, so it takes its pictures from these too.
enum class Glyph {
  Camera,
  Process,
  Stop,
  AddColour,
  Undo,
  Fill,
  Reverse,
  Print,
  Reset,
  Quit,
  Help
};

// 18 x 18, except Quit and Help which are 16 x 16.
QSize GlyphSize(Glyph glyph);
QPixmap GlyphFace(Glyph glyph);
// Undo, Reverse, Quit and Help carry a disabled face of their own: the shape embossed in
// grey. The other buttons let the toolkit grey their normal face.
bool HasDisabledFace(Glyph glyph);
QPixmap GlyphDisabledFace(Glyph glyph);
QIcon GlyphIcon(Glyph glyph);

// 32 x 32: black text lines on white above and on orange below, the motif of "Process".
QIcon WindowIcon();

}  // namespace huesift
