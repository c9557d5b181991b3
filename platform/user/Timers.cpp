// Timers: SetTimer/KillTimer on windows or with a TIMERPROC. A due timer yields one WM_TIMER
// when its thread retrieves messages; however long it was overdue, it fires once and its
// next due time counts from then (WM_TIMER is never queued twice for one timer).

#include <algorithm>
#include <mutex>

#include "platform/kernel/WinError.h"
#include "platform/user/Clock.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT interval;
  uint64_t due;
  TIMERPROC proc;
  ThreadQueue* queue;
};

std::mutex g_timerMutex;
std::vector<Timer>& Timers() {
  static auto* timers = new std::vector<Timer>;
  return *timers;
}
UINT_PTR g_nextThreadTimerId = 1;

}  // namespace

bool TakeDueTimer(ThreadQueue* queue, MSG* out, HWND filter, bool remove) {
  const uint64_t now = UserClockNow();
  std::lock_guard lock(g_timerMutex);
  Timer* best = nullptr;
  for (Timer& t : Timers()) {
    if (t.queue != queue || t.due > now || !WindowMatchesFilter(t.hwnd, filter)) continue;
    if (!best || t.due < best->due) best = &t;
  }
  if (!best) return false;
  *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now), queue->lastPos};
  if (remove) best->due = now + best->interval;
  return true;
}

uint64_t NextTimerDue(ThreadQueue* queue) {
  std::lock_guard lock(g_timerMutex);
  uint64_t due = ~0ull;
  for (const Timer& t : Timers())
    if (t.queue == queue) due = std::min(due, t.due);
  return due;
}

void KillWindowTimers(HWND hwnd) {
  std::lock_guard lock(g_timerMutex);
  auto& timers = Timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }), timers.end());
}

void KillThreadTimers(ThreadQueue* queue) {
  std::lock_guard lock(g_timerMutex);
  auto& timers = Timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.queue == queue; }), timers.end());
}

bool TimerProcIsRegistered(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
  std::lock_guard lock(g_timerMutex);
  return std::any_of(Timers().begin(), Timers().end(),
                     [&](const Timer& t) { return t.hwnd == hwnd && t.id == id && t.proc == proc; });
}

}  // namespace platform::detail

using namespace platform::detail;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  ThreadQueue* queue;
  std::shared_ptr<ThreadQueue> keep;
  if (hwnd) {
    WindowPtr w = GetWindowPtr(hwnd);
    if (!w) return 0;
    if (!w->queue->IsCurrentThread()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
    keep = w->queue;
  } else {
    keep = ThreadQueue::Current();
  }
  queue = keep.get();
  const UINT interval = std::clamp<UINT>(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  {
    std::lock_guard lock(g_timerMutex);
    auto& timers = Timers();
    if (!hwnd) {
      // Window-less timers get a fresh id unless an existing one is being reset.
      auto existing = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return !t.hwnd && t.id == id && t.queue == queue; });
      if (id == 0 || existing == timers.end()) id = g_nextThreadTimerId++;
    }
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id && t.queue == queue; });
    const uint64_t due = UserClockNow() + interval;
    if (it != timers.end()) {
      it->interval = interval;
      it->due = due;
      it->proc = proc;
    } else {
      timers.push_back(Timer{hwnd, id, interval, due, proc, queue});
    }
  }
  queue->Wake();
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto queue = ThreadQueue::Current();
  std::lock_guard lock(g_timerMutex);
  auto& timers = Timers();
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id && (hwnd || t.queue == queue.get()); });
  if (it == timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(it);
  return TRUE;
}
