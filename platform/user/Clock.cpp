#include "platform/user/Clock.h"

#include <atomic>
#include <chrono>

#include "platform/user/MessageQueue.h"

namespace platform::detail {
namespace {

std::atomic<bool> g_manual{false};
std::atomic<uint64_t> g_manualNow{0};

uint64_t RealNow() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

uint64_t UserClockNow() { return g_manual ? g_manualNow.load() : RealNow(); }

void UseManualClock(bool manual) {
  if (manual && !g_manual) g_manualNow = RealNow();
  g_manual = manual;
  ThreadQueue::WakeAll();
}

bool ManualClockInUse() { return g_manual; }

void AdvanceManualClock(uint64_t milliseconds) {
  g_manualNow += milliseconds;
  ThreadQueue::WakeAll();
}

}  // namespace platform::detail
