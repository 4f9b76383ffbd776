// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <functional>

#include "engine/working_state.h"
#include "platform/picture_control.h"
#include "platform/services.h"

class QAbstractButton;

namespace huesift {

// "Print": the working picture's whole raster on the default printer, one page, at a fixed
// scale chosen by the "Print 1/3 Size" tick.
class Print {
 public:
  struct Parts {
    QWidget* mainWindow = nullptr;
    const PictureControl* picture = nullptr;  // picture
    QAbstractButton* print = nullptr;
    QAbstractButton* addColor = nullptr;
    QAbstractButton* fill = nullptr;
    QAction* smallSize = nullptr;  // smallPrintAction
    std::function<void()> dismissColourBox;
  };

  Print(const WorkingState& state, Services& services, Parts parts)
      : state_(state), services_(services), parts_(std::move(parts)) {}

  // Throws what the printer reports ("There is no default printer currently selected");
  // the main window's cursor is back to the default either way.
  void click();
  // "Print 1/3 Size" chosen: ticked becomes unticked and the other way round.
  void toggleSmallSize() { parts_.smallSize->setChecked(!parts_.smallSize->isChecked()); }

 private:
  const WorkingState& state_;
  Services& services_;
  Parts parts_;
};

}  // namespace huesift
