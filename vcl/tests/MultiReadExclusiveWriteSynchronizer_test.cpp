#include "vcl/MultiReadExclusiveWriteSynchronizer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Two readers that both become writers: each gets its turn, and the second learns that the
// first wrote meanwhile. A hang fails after ten seconds instead of stopping the run.
TEST(MultiReadExclusiveWriteSynchronizer, TwoReadersBecomingWritersTakeTurns) {
  struct Shared {
    TMultiReadExclusiveWriteSynchronizer sync;
    std::atomic<int> reading{0};
    std::atomic<int> writing{0};
    std::atomic<bool> overlapped{false};
  };
  // Owned by the threads too, so that a hung thread never touches a destroyed object.
  auto shared = std::make_shared<Shared>();
  auto upgrade = [shared] {
    shared->sync.BeginRead();
    ++shared->reading;
    while (shared->reading < 2) std::this_thread::yield();
    const bool unchanged = shared->sync.BeginWrite();
    if (++shared->writing != 1) shared->overlapped = true;
    std::this_thread::sleep_for(5ms);
    --shared->writing;
    shared->sync.EndWrite();
    shared->sync.EndRead();
    return unchanged;
  };
  std::packaged_task<bool()> first(upgrade), second(upgrade);
  std::future<bool> firstResult = first.get_future(), secondResult = second.get_future();
  std::thread(std::move(first)).detach();
  std::thread(std::move(second)).detach();
  ASSERT_EQ(firstResult.wait_for(10s), std::future_status::ready) << "the readers wait on each other";
  ASSERT_EQ(secondResult.wait_for(10s), std::future_status::ready) << "the readers wait on each other";
  EXPECT_FALSE(shared->overlapped);
  // Exactly one of them wrote with nothing changed since it read.
  EXPECT_NE(firstResult.get(), secondResult.get());
}

}  // namespace
