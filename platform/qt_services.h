#pragma once

#include "platform/services.h"

namespace huesift {

// The real desktop behind Services.
class QtServices : public Services {
 public:
  QRect workArea() override;
  void pumpEvents() override;
  void sleepMs(int ms) override;
  void showMessage(QWidget* parent, const QString& text) override;
  std::optional<Colour> chooseColour(QWidget* parent, Colour initial) override;
  void execModal(QDialog* dialog) override;
  QImage grabScreen() override;
  std::optional<EncodedImage> clipboardImageBytes() override;
  void setClipboardImage(const QImage& image) override;
  void printImage(const QImage& image, double scale) override;
  void raisePriority() override;
  void restorePriority() override;
  std::optional<QCursor> loadCursorFile(const QString& fileName) override;
};

}  // namespace huesift
