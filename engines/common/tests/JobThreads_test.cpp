#include "engines/common/JobThreads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

namespace {

// A job that runs until it is cancelled, as a drive scan or an authoring job would.
struct Blocking {
  std::mutex mutex;
  std::condition_variable wake;
  bool cancelled = false;
  std::atomic<bool> started{false}, finished{false};

  void Run() {
    started = true;
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return cancelled; });
    finished = true;
  }
  void Cancel() {
    std::lock_guard lock(mutex);
    cancelled = true;
    wake.notify_all();
  }
};

TEST(JobThreads, DestroyingCancelsRunningJobsAndWaitsForTheirThreads) {
  Blocking first, second;
  std::atomic<int> quick{0};
  {
    engines::JobThreads jobs;
    jobs.Start([&] { first.Run(); }, [&] { first.Cancel(); });
    jobs.Start([&] { ++quick; });
    jobs.Start([&] { second.Run(); }, [&] { second.Cancel(); });
    jobs.Start([] { throw std::runtime_error("a job that fails"); });
    while (!first.started || !second.started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(first.finished);
  }
  // Every thread has ended by the time the destructor returns.
  EXPECT_TRUE(first.finished);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(quick, 1);
}

}  // namespace
