// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QThread>

namespace huesift {

// Off unless switched on (QT_LOGGING_RULES="huesift.messages.debug=true"): lets the
// end-to-end tests read the text of a message box they can only see as a window.
Q_LOGGING_CATEGORY(lcMessages, "huesift.messages", QtInfoMsg)

void QtServices::pumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtServices::sleepMs(int ms) {
  if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

void QtServices::showMessage(QWidget* parent, const QString& text) {
  qCDebug(lcMessages).noquote() << text;
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

std::optional<Colour> QtServices::chooseColour(QWidget* parent, Colour initial) {
  const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
  const QColor chosen = QColorDialog::getColor(start, parent);
  if (!chosen.isValid()) return std::nullopt;
  return static_cast<Colour>(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
}

void QtServices::execModal(QDialog* dialog) {
  dialog->exec();
}

}  // namespace huesift
