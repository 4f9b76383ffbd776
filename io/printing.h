// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>

#include "platform/picture_control.h"
#include "platform/services.h"
#include "platform/window_states.h"

class QAbstractButton;

namespace huesift {

// "Print": the working picture's whole raster on the default printer, one page, at a fixed
// scale chosen by the "Print 1/3 Size" tick.
class Print {
 public:
  struct Parts {
    Services& services;
    WindowStates& transitions;
    QWidget* mainWindow = nullptr;
    const PictureControl* picture = nullptr;
    QAbstractButton* addColourButton = nullptr;
    QAbstractButton* fillButton = nullptr;
    QAction* smallPrintAction = nullptr;  // "Print 1/3 Size", a tick
  };

  explicit Print(Parts parts) : p_(parts) {}

  // Throws what the printer reports ("There is no default printer currently selected");
  // the main window's cursor is back to the default either way.
  void click();

 private:
  Parts p_;
};

}  // namespace huesift
