// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace huesift {

// Raises a window that was just shown again after the user's own action (a capture) and
// gives it the keyboard, also where the window manager would keep it behind the window it
// activated while ours were hidden.
void BringToFront(QWidget* window);

}  // namespace huesift
