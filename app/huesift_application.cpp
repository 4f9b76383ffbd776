// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/huesift_application.h"

#include "platform/guarded_handler.h"

namespace huesift {

HuesiftApplication::HuesiftApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Huesift");
  // Wayland compositors match the window to huesift.desktop (its icon, its name) by this.
  setDesktopFileName("huesift");
  // The main window may be hidden (during a capture) while another window of ours closes;
  // that must not end the program. The main window's own closing does (see main()).
  setQuitOnLastWindowClosed(false);
}

bool HuesiftApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentError(services_, activeWindow());
  }
  return false;
}

}  // namespace huesift
