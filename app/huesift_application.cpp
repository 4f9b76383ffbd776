// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/huesift_application.h"

#include <QWidget>
#include <exception>

#include "platform/services.h"

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
  } catch (const std::exception& error) {
    report(QString::fromUtf8(error.what()));
  } catch (...) {
    report(tr("Unknown error"));
  }
  return false;
}

void HuesiftApplication::report(const QString& text) {
  if (!services_) {
    qCritical("%s", qPrintable(text));
    return;
  }
  QWidget* parent = activeModalWidget();
  if (!parent) parent = activeWindow();
  services_->showMessage(parent, text);
}

}  // namespace huesift
