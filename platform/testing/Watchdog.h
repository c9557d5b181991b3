#pragma once

// The watchdog of a test that could hang: a loop waiting for a window message, a thread that
// never reports, a child process that never ends. Make one at the top of such a test; when the
// test is still running at the deadline, the watchdog names the test on standard error and
// ends the test program, so the hang fails fast instead of eating the CI run. Destroying it
// (the test ended) calls it off.
//
// For a wait that can time out by itself (WaitForSingleObject, a condition variable's
// wait_for), give the wait a limit instead; the watchdog is for code that cannot be bounded.
// Any thread may create one; it owns one thread of its own.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace platform::testing {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_finished = false;  // guarded by m_mutex
  std::string m_testName;
  std::thread m_thread;
};

}  // namespace platform::testing
