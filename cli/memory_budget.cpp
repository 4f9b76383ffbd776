// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/memory_budget.h"

#include <unistd.h>

namespace huesift {

qint64 MemoryBudget::HalfOfPhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return qint64{1} << 31;
  return qint64{pages} * pageSize / 2;
}

MemoryBudget::Share::Share(MemoryBudget& budget, std::size_t picture)
    : budget_(budget), picture_(picture) {
  const std::lock_guard<std::mutex> lock(budget_.mutex_);
  budget_.inFlight_.insert(picture_);
}

MemoryBudget::Share::~Share() {
  {
    const std::lock_guard<std::mutex> lock(budget_.mutex_);
    budget_.used_ -= held_;
    budget_.inFlight_.erase(picture_);
  }
  budget_.changed_.notify_all();
}

void MemoryBudget::Share::take(qint64 bytes) {
  if (bytes <= 0) return;
  std::unique_lock<std::mutex> lock(budget_.mutex_);
  budget_.changed_.wait(lock, [&] {
    return budget_.used_ + bytes <= budget_.total_ || *budget_.inFlight_.begin() == picture_;
  });
  budget_.used_ += bytes;
  held_ += bytes;
}

}  // namespace huesift
