// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/guarded_handler.h"

#include <QApplication>
#include <QWidget>
#include <exception>

namespace huesift {

void ReportCurrentError(Services* services, QWidget* window) {
  QString text;
  try {
    throw;
  } catch (const std::exception& error) {
    text = QString::fromUtf8(error.what());
  } catch (...) {
    text = QCoreApplication::translate("huesift::HuesiftApplication", "Unknown error");
  }
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = window;
  if (services) {
    try {
      services->showMessage(parent, text);
      return;
    } catch (...) {
    }
  }
  qCritical("%s", qPrintable(text));  // nowhere left to show it
}

}  // namespace huesift
