// Placeholder until the tool cursors land.
#include "platform/qt_services.h"

namespace huesift {

std::optional<QCursor> QtServices::loadCursorFile(const QString&) {
  return std::nullopt;
}

}  // namespace huesift
