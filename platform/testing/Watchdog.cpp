#include "platform/testing/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace platform::testing {

namespace {

std::string CurrentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!test) return "the test program";
  return std::string(test->test_suite_name()) + "." + test->name();
}

}  // namespace

Watchdog::Watchdog(std::chrono::seconds limit) : m_testName(CurrentTestName()) {
  m_thread = std::thread([this, limit] {
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, limit, [this] { return m_finished; })) return;
    std::fprintf(stderr, "watchdog: %s hung (still running after %lld s)\n", m_testName.c_str(),
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::abort();
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(m_mutex);
    m_finished = true;
  }
  m_wake.notify_one();
  m_thread.join();
}

}  // namespace platform::testing
