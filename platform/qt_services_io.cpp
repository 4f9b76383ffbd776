// Placeholder until screen capture, clipboard and printing land.
#include <stdexcept>

#include "platform/qt_services.h"

namespace huesift {

QImage QtServices::grabScreen() {
  return {};
}
std::optional<QImage> QtServices::clipboardImage() {
  return std::nullopt;
}
void QtServices::setClipboardImage(const QImage&) {}
void QtServices::printImage(const QImage&, double) {
  throw std::runtime_error("There is no default printer currently selected");
}
void QtServices::raisePriority() {}
void QtServices::restorePriority() {}

}  // namespace huesift
