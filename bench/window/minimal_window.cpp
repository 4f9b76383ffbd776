// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the window's cold start: a plain Qt Widgets window as large as the main
// window (the screen's available area), built like the program and painted once.
#include <QApplication>
#include <QScreen>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  window.show();
  return app.exec();
}
