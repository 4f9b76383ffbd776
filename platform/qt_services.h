#pragma once

#include "platform/services.h"

namespace huesift {

// The real desktop behind Services.
class QtServices : public Services {
 public:
  QRect workArea(const QWidget* window) override;
  void pumpEvents() override;
  void sleepMs(int ms) override;
  void showMessage(QWidget* parent, const QString& text) override;
  std::optional<Colour> chooseColour(QWidget* parent, Colour initial) override;
  void execModal(QDialog* dialog) override;
  bool placesWindowsItself() override;
  QImage grabScreen(const QWidget* window, const QRect& area) override;
  std::optional<QImage> clipboardImage() override;
  std::optional<QSize> clipboardImageSize() override;
  void setClipboardImage(const QImage& image) override;
  void printImage(const QImage& image, double scale) override;
  void raisePriority() override;
  void restorePriority() override;
  std::optional<QCursor> loadCursorFile(const QString& fileName) override;
};

}  // namespace huesift
