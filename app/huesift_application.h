// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

namespace huesift {

class Services;

// The application object. An error that escapes an event handler ends only that handler:
// its text is shown in one modal message box and the event loop goes on.
class HuesiftApplication : public QApplication {
  Q_OBJECT
 public:
  HuesiftApplication(int& argc, char** argv);

  // Where error messages are shown; without it they go to the log.
  void setErrorServices(Services* services) { services_ = services; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  Services* services_ = nullptr;
};

}  // namespace huesift
