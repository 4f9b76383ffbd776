// SPDX-License-Identifier: GPL-3.0-or-later
// The batch mode's memory budget: what a picture's share is at the sizes pictures come in, when
// a picture has to wait for room, and that the pictures always get through.
#include "cli/memory_budget.h"

#include <gtest/gtest.h>
#include <sys/sysinfo.h>

#include <QSize>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/qt_image_proof.h"

namespace huesift {
namespace {

using namespace std::chrono_literals;
using Wide = __int128;  // no product of two picture sides and 12 overflows it

constexpr qint64 kMiB = qint64{1} << 20;
constexpr qint64 kGiB = qint64{1} << 30;

// Decoding and writing a picture holds three rasters of four bytes a pixel at most: the decoded
// image, the picture and the image written.
Wide Needed(QSize size) {
  return Wide{3} * 4 * size.width() * size.height();
}

std::string Text(QSize size) {
  return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// A take that is still waiting after this long waits for good: the budget has locked up, and
// the test cannot even end, as its shares cannot be taken back from the waiting thread.
void MustReturn(std::future<void>& take) {
  if (take.wait_for(30s) != std::future_status::ready) {
    std::fprintf(stderr, "a take still waits after 30 s: the budget is locked up\n");
    std::abort();
  }
}
bool ReturnsAtOnce(std::future<void>& take) {
  return take.wait_for(10s) == std::future_status::ready;
}
// A wrong take that returns late on a busy machine may pass for waiting; a right one that
// waits is never taken for one that went on.
bool Waits(std::future<void>& take) {
  return take.wait_for(300ms) == std::future_status::timeout;
}

std::future<void> Take(MemoryBudget::Share& share, qint64 bytes) {
  return std::async(std::launch::async, [&share, bytes] { share.take(bytes); });
}

TEST(DecodeShare, IsThreeRastersForEveryPictureTheProgramTakesIn) {
  const QSize taken[] = {{1, 1},        {640, 480},    {1920, 1080}, {2560, 1440},
                         {3840, 2160},  {5120, 2880},  {7680, 4320}, {8192, 8192},
                         {32767, 2048}, {2048, 32767}, {1, 32767},   {16384, 4096}};
  // The batch takes this much for a picture whose header gives no size.
  const Wide sizeless = Wide{3} * kLargestRasterBytes;
  EXPECT_EQ(DecodeShare(kLargestRasterBytes / 4, 1), sizeless);
  for (const QSize size : taken) {
    SCOPED_TRACE(Text(size));
    ASSERT_FALSE(TooLargeForPicture(size));
    EXPECT_EQ(DecodeShare(size.width(), size.height()), Needed(size));
    EXPECT_LE(Needed(size), sizeless);
  }

  // Pictures too large to be taken in are refused without a share, so these sizes never reach
  // DecodeShare; for the largest, three rasters would overflow its 64-bit count.
  const QSize refused[] = {{16384, 16384}, {8193, 8192},   {32768, 1},
                           {1, 32768},     {46341, 46341}, {65535, 65535},
                           {INT_MAX, 1},   {1, INT_MAX},   {INT_MAX, INT_MAX}};
  for (const QSize size : refused) {
    SCOPED_TRACE(Text(size));
    EXPECT_TRUE(TooLargeForPicture(size));
  }

  // Every size around the edges: a picture taken in never needs more than the sizeless share.
  std::mt19937 random(20261208);
  for (int i = 0; i < 100000; ++i) {
    const int w = 1 + static_cast<int>(random() % 40000);
    const int h =
        i % 2 ? 1 + static_cast<int>(random() % 40000)
              : static_cast<int>(kLargestRasterBytes / 4 / w) + static_cast<int>(random() % 3) - 1;
    const QSize size(w, std::max(h, 1));
    if (TooLargeForPicture(size)) continue;
    ASSERT_EQ(DecodeShare(size.width(), size.height()), Needed(size)) << Text(size);
    ASSERT_LE(Needed(size), sizeless) << Text(size);
  }
}

struct InFlight {
  const char* name;
  qint64 total;
  std::vector<QSize> earlier;  // the pictures in flight, each holding its share
  QSize next;                  // a later picture that takes its share now
};
void PrintTo(const InFlight& c, std::ostream* os) {
  *os << c.name;
}

const QSize k4K(3840, 2160);
const QSize kLargest(8192, 8192);

const InFlight kInFlight[] = {
    {"FourScreenshotsOnFourGigabytes", 2 * kGiB, {k4K, k4K, k4K}, k4K},
    {"ThirdLargestPictureOnFourGigabytes", 2 * kGiB, {kLargest, kLargest}, kLargest},
    {"ScreenshotBesideTheLargestOnTwoGigabytes", kGiB, {kLargest}, {1920, 1080}},
    {"SecondLargestPictureOnTwoGigabytes", kGiB, {kLargest}, kLargest},
    {"ExactlyTheRoomLeft", static_cast<qint64>(2 * Needed(k4K)), {k4K}, k4K},
    {"OneByteShort", static_cast<qint64>(2 * Needed(k4K)) - 1, {k4K}, k4K},
    {"OnePixelOneByteShort", 23, {{1, 1}}, {1, 1}},
    {"ScreenshotBehindThreeOnASmallBudget", 256 * kMiB, {k4K, {1920, 1080}, k4K}, k4K},
};

class BudgetAtPictureSizes : public ::testing::TestWithParam<InFlight> {};

TEST_P(BudgetAtPictureSizes, LaterPictureWaitsExactlyWhileThereIsNoRoom) {
  const InFlight& c = GetParam();
  Wide held = 0;
  for (const QSize size : c.earlier) held += Needed(size);
  ASSERT_LE(held, c.total) << "the pictures in flight would not all have got their shares";
  const bool room = held + Needed(c.next) <= c.total;

  MemoryBudget budget(c.total);
  std::vector<std::unique_ptr<MemoryBudget::Share>> earlier;
  for (std::size_t i = 0; i < c.earlier.size(); ++i) {
    earlier.push_back(std::make_unique<MemoryBudget::Share>(budget, i));
    std::future<void> take =
        Take(*earlier.back(), DecodeShare(c.earlier[i].width(), c.earlier[i].height()));
    EXPECT_TRUE(ReturnsAtOnce(take)) << "picture " << i << " of those in flight waited";
    MustReturn(take);
  }
  MemoryBudget::Share next(budget, c.earlier.size());
  std::future<void> take = Take(next, DecodeShare(c.next.width(), c.next.height()));
  if (room)
    EXPECT_TRUE(ReturnsAtOnce(take)) << "waited with room for it";
  else
    EXPECT_TRUE(Waits(take)) << "went on with no room for it";
  // Whatever it waited for, it goes on once it is the earliest picture in flight.
  earlier.clear();
  MustReturn(take);
}

INSTANTIATE_TEST_SUITE_P(MemoryBudget, BudgetAtPictureSizes, ::testing::ValuesIn(kInFlight),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryBudget, TheEarliestPictureInFlightNeverWaits) {
  MemoryBudget budget(100);
  // Picture 1 was in flight first and holds nearly all; picture 0 comes earlier in the batch
  // and goes ahead of it.
  MemoryBudget::Share one(budget, 1);
  std::future<void> take = Take(one, 90);
  EXPECT_TRUE(ReturnsAtOnce(take));
  {
    MemoryBudget::Share zero(budget, 0);
    take = Take(zero, 1000);
    EXPECT_TRUE(ReturnsAtOnce(take)) << "the earliest picture waited";
    MustReturn(take);
    take = Take(one, 20);
    EXPECT_TRUE(Waits(take)) << "a later picture went beyond the budget";
  }
  // Picture 0 is done: picture 1 is now the earliest, however much it takes.
  MustReturn(take);
  take = Take(one, 5000);
  EXPECT_TRUE(ReturnsAtOnce(take));
  MustReturn(take);
}

TEST(MemoryBudget, ALeavingPictureGivesBackAllItTook) {
  MemoryBudget budget(100);
  MemoryBudget::Share first(budget, 0);  // holds nothing, so the others can wait
  std::future<void> take;
  for (std::size_t picture = 1; picture <= 3; ++picture) {
    MemoryBudget::Share share(budget, picture);
    take = Take(share, 60);
    EXPECT_TRUE(ReturnsAtOnce(take)) << "picture " << picture << " found no room";
    MustReturn(take);
    take = Take(share, 40);
    EXPECT_TRUE(ReturnsAtOnce(take)) << "picture " << picture << " found no room";
    MustReturn(take);
  }
  // Nothing taken, or less than nothing, makes no room and takes none.
  std::optional<MemoryBudget::Share> full;
  full.emplace(budget, 4);
  take = Take(*full, 100);
  EXPECT_TRUE(ReturnsAtOnce(take));
  MustReturn(take);
  MemoryBudget::Share late(budget, 5);
  for (const qint64 bytes : {qint64{0}, qint64{-50}, qint64{LLONG_MIN}}) {
    take = Take(late, bytes);
    EXPECT_TRUE(ReturnsAtOnce(take)) << bytes;
    MustReturn(take);
  }
  take = Take(late, 50);
  EXPECT_TRUE(Waits(take)) << "a negative take made room";
  full.reset();
  MustReturn(take);
}

// Workers take the next picture as RunBatch does, with shares up to past the whole budget:
// every picture gets through, the earliest always able to go on.
TEST(MemoryBudget, WorkersNeverWaitForEachOtherForGood) {
  constexpr qint64 kTotal = 1000;
  constexpr std::size_t kPictures = 400;
  MemoryBudget budget(kTotal);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  auto work = [&](unsigned seed) {
    std::mt19937 random(seed);
    for (std::size_t i = next++; i < kPictures; i = next++) {
      MemoryBudget::Share share(budget, i);
      share.take(static_cast<qint64>(random() % (kTotal / 2)));
      if (random() % 4 == 0) std::this_thread::yield();
      share.take(static_cast<qint64>(random() % (kTotal * 3 / 2)));
      ++done;
    }
  };
  std::future<void> all = std::async(std::launch::async, [&] {
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < 4; ++t) workers.emplace_back(work, 20261208 + t);
    for (std::thread& t : workers) t.join();
  });
  MustReturn(all);
  EXPECT_EQ(done, kPictures);
}

TEST(MemoryBudget, IsHalfOfTheMemoryTheKernelReports) {
  struct sysinfo info {};
  ASSERT_EQ(sysinfo(&info), 0);
  EXPECT_EQ(MemoryBudget::HalfOfPhysicalMemory(),
            static_cast<qint64>(info.totalram) * info.mem_unit / 2);
}

}  // namespace
}  // namespace huesift
