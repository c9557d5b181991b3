// The shared test watchdog: a test that ends in time is left alone; one that hangs is ended
// with a message naming it.

#include "platform/testing/Watchdog.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(WatchdogTest, CalledOffWhenTheTestEndsInTime) {
  for (int i = 0; i < 3; ++i) {
    platform::testing::Watchdog watchdog(30s);
    std::this_thread::sleep_for(1ms);
  }
  SUCCEED();
}

TEST(WatchdogDeathTest, EndsAHungTestAndNamesIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        platform::testing::Watchdog watchdog(1s);
        std::this_thread::sleep_for(60s);
      },
      "watchdog: WatchdogDeathTest.EndsAHungTestAndNamesIt hung");
}

}  // namespace
