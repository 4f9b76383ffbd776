// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include "platform/services.h"

class QWidget;

namespace huesift {

// Shows the error being handled (call it from a catch block) in the one modal error message
// box, over whatever modal window is up, else over the window given; without services, or
// when even the box fails, the text goes to the log. Event handlers and the application's
// last-resort catch both end here, so every error reads alike.
void ReportCurrentError(Services* services, QWidget* window);

// Runs one event handler so that no exception leaves it into Qt's event and signal
// machinery (where Qt cannot unwind): an error ends the handler, is reported as above, and
// the event loop goes on.
template <typename Handler>
void RunGuarded(Services& services, QWidget* window, Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ReportCurrentError(&services, window);
  }
}

// connect() for a window's handler, with the handler run guarded.
template <typename Sender, typename Signal, typename Window, typename... Args>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Window* window,
                                       void (Window::*handler)(Args...), Services& services) {
  return QObject::connect(sender, signal, window, [window, handler, &services](Args... args) {
    RunGuarded(services, window, [&] { (window->*handler)(args...); });
  });
}

}  // namespace huesift
