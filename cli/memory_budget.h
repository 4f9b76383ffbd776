// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>

namespace huesift {

// The memory that the batch mode's pictures in flight may hold together, so that running on
// many cores cannot exhaust the machine: a picture takes its share before it reads and
// before it decodes, and waits while the pictures in flight leave no room for it. The
// earliest picture in flight never waits, so one larger than the whole budget still runs,
// and no two can wait for each other.
class MemoryBudget {
 public:
  explicit MemoryBudget(qint64 total) : total_(total) {}

  // Half the physical memory.
  static qint64 HalfOfPhysicalMemory();

  // One picture's share, given back when it goes out of scope.
  class Share {
   public:
    Share(MemoryBudget& budget, std::size_t picture);
    ~Share();
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;
    // Takes bytes more, waiting until they fit or this is the earliest picture in flight.
    void take(qint64 bytes);

   private:
    MemoryBudget& budget_;
    std::size_t picture_;
    qint64 held_ = 0;
  };

 private:
  const qint64 total_;
  qint64 used_ = 0;
  std::set<std::size_t> inFlight_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

// What decoding a picture of width x height and writing it out holds at most: the decoded
// image, the picture and the image written, each up to 4 bytes a pixel.
inline qint64 DecodeShare(qint64 width, qint64 height) {
  return 3 * 4 * width * height;
}

}  // namespace huesift
