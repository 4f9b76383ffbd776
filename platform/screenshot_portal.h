// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <chrono>

namespace huesift {

// How long the screenshot portal may take to answer before the capture gives up.
inline constexpr std::chrono::milliseconds kPortalTimeout{20000};

// A still of the whole desktop from the freedesktop screenshot portal, taken without asking
// the user anything. The event loop runs (user input held back) until the portal answers or
// the timeout passes. The portal's file is removed once read when it lies in a temporary
// folder. Throws std::runtime_error with a short reason when there is no picture.
QImage PortalScreenshot(std::chrono::milliseconds timeout = kPortalTimeout);

}  // namespace huesift
