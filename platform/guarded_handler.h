// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>
#include <exception>

#include "platform/services.h"

namespace huesift {

// Runs one event handler so that no exception leaves it into Qt's event and signal
// machinery (where Qt cannot unwind): an error ends the handler and its text is shown in the
// one modal error message box, over whatever modal window is up, and the event loop goes on.
template <typename Handler>
void RunGuarded(Services& services, QWidget* window, Handler&& handler) {
  QString text;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    text = QString::fromUtf8(error.what());
  } catch (...) {
    text = QCoreApplication::translate("huesift::HuesiftApplication", "Unknown error");
  }
  QWidget* parent = QApplication::activeModalWidget();
  try {
    services.showMessage(parent ? parent : window, text);
  } catch (...) {
    qCritical("%s", qPrintable(text));  // nowhere left to show it
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
