// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace huesift {

// While the application object is being made, Qt's platform plugin reports a display it
// cannot open with several lines of its own and an abort. Between these two calls such a
// failure becomes one line on standard error naming what is missing ("huesift: no display:
// set DISPLAY or WAYLAND_DISPLAY") and exit status 1. Other messages of that time are held
// back and passed on by ReleaseStartupMessages, once the application stands.
void HoldStartupMessages();
void ReleaseStartupMessages();

}  // namespace huesift
