#include "platform/user/MessageQueue.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/kernel/Threads.h"
#include "platform/user/Clock.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

// Defined beside the state they read.
bool PrepareInputForDelivery(MSG& msg);                                      // Input.cpp
void NoteInputRetrieved(const MSG& msg);                                     // Input.cpp
bool TakeDueTimer(ThreadQueue* queue, MSG* out, HWND filter, bool remove);   // Timers.cpp
uint64_t NextTimerDue(ThreadQueue* queue);                                   // Timers.cpp
bool FindPaintWindow(ThreadQueue* queue, HWND filter, HWND* out);            // Painting.cpp
void DestroyThreadWindows(ThreadQueue* queue);                               // Windows.cpp
void CheckHover();                                                           // Input.cpp
uint64_t NextHoverDue(ThreadQueue* queue);                                   // Input.cpp

namespace {

std::mutex g_registryMutex;
std::map<DWORD, std::weak_ptr<ThreadQueue>>& Registry() {
  static auto* registry = new std::map<DWORD, std::weak_ptr<ThreadQueue>>;
  return *registry;
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue) FinishQueue(queue.get());
  }
};
thread_local QueueHolder t_holder;

void ReplyTo(const std::shared_ptr<SentMessage>& message, LRESULT result) {
  if (message->sender) {
    std::lock_guard lock(message->sender->mutex);
    if (!message->replied) {
      message->result = result;
      message->replied = true;
    }
    message->sender->wake.notify_all();
  } else {
    message->replied = true;
  }
}

bool IsMouseMessage(UINT m) { return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK); }

}  // namespace

void FinishQueue(ThreadQueue* queue) {
  DestroyThreadWindows(queue);
  KillThreadTimers(queue);
  std::deque<std::shared_ptr<SentMessage>> pending;
  {
    std::lock_guard lock(queue->mutex);
    queue->m_alive = false;
    pending.swap(queue->m_sent);
  }
  for (auto& message : pending) {
    message->failed = true;
    ReplyTo(message, 0);
  }
  std::lock_guard lock(g_registryMutex);
  Registry().erase(queue->m_threadId);
}

bool MessageInRange(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  if (first <= last) return message >= first && message <= last;
  // A reversed range matches everything outside it.
  return message >= first || message <= last;
}

bool WindowMatchesFilter(HWND hwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return hwnd == nullptr;
  return hwnd == filter;
}

ThreadQueue::ThreadQueue() : m_threadId(GetCurrentThreadId()) {}
ThreadQueue::~ThreadQueue() = default;

std::shared_ptr<ThreadQueue> ThreadQueue::Current() {
  if (!t_holder.queue) {
    // The kernel's per-thread state must outlive the queue, whose end still asks for the
    // thread's id: thread-locals end in the reverse order of their first use.
    GetCurrentThreadId();
    t_holder.queue = std::make_shared<ThreadQueue>();
    std::lock_guard lock(g_registryMutex);
    Registry()[t_holder.queue->m_threadId] = t_holder.queue;
  }
  return t_holder.queue;
}

std::shared_ptr<ThreadQueue> ThreadQueue::ForThread(DWORD threadId) {
  if (threadId == GetCurrentThreadId()) return Current();
  std::lock_guard lock(g_registryMutex);
  auto it = Registry().find(threadId);
  return it == Registry().end() ? nullptr : it->second.lock();
}

void ThreadQueue::WakeAll() {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    std::lock_guard lock(g_registryMutex);
    for (auto& [id, weak] : Registry())
      if (auto q = weak.lock()) queues.push_back(q);
  }
  for (auto& q : queues) q->Wake();
}

bool ThreadQueue::IsCurrentThread() const { return m_threadId == GetCurrentThreadId(); }

void ThreadQueue::Wake() {
  std::lock_guard lock(mutex);
  ++m_generation;
  wake.notify_all();
}

void ThreadQueue::RemoveMessagesFor(HWND hwnd) {
  std::lock_guard lock(mutex);
  auto gone = [hwnd](const MSG& m) { return m.hwnd == hwnd; };
  m_posted.erase(std::remove_if(m_posted.begin(), m_posted.end(), gone), m_posted.end());
  m_input.erase(std::remove_if(m_input.begin(), m_input.end(), gone), m_input.end());
}

bool ThreadQueue::Post(const MSG& msg) {
  std::lock_guard lock(mutex);
  if (!m_alive) return false;
  m_posted.push_back(msg);
  ++m_generation;
  wake.notify_all();
  return true;
}

void ThreadQueue::PostInput(const MSG& msg) {
  std::lock_guard lock(mutex);
  // Consecutive mouse moves to the same window coalesce, as the hardware queue does.
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    if (!m_input.empty() && m_input.back().message == msg.message && m_input.back().hwnd == msg.hwnd) {
      m_input.back() = msg;
      ++m_generation;
      wake.notify_all();
      return;
    }
  }
  m_input.push_back(msg);
  ++m_generation;
  wake.notify_all();
}

void ThreadQueue::PostQuit(int exitCode) {
  std::lock_guard lock(mutex);
  m_quit = true;
  m_quitCode = exitCode;
  ++m_generation;
  wake.notify_all();
}

void ThreadQueue::Send(std::shared_ptr<SentMessage> message) {
  std::unique_lock lock(mutex);
  if (!m_alive) {
    lock.unlock();
    message->failed = true;
    ReplyTo(message, 0);
    return;
  }
  m_sent.push_back(std::move(message));
  ++m_generation;
  wake.notify_all();
}

bool ThreadQueue::DeliverSentMessages() {
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> message;
    {
      std::lock_guard lock(mutex);
      if (m_sent.empty()) break;
      message = std::move(m_sent.front());
      m_sent.pop_front();
    }
    any = true;
    if (message->callbackReturn) {
      message->callback(message->hwnd, message->message, message->callbackData, message->result);
      continue;
    }
    WindowPtr window = FindWindowPtrQuiet(message->hwnd);
    LRESULT result = 0;
    if (window) {
      WNDPROC proc;
      bool unicode;
      {
        UserGuard guard(UserLock());
        proc = window->proc;
        unicode = window->unicode;
      }
      receiving.push_back(message);
      result = CallProcedure(proc, unicode, message->hwnd, message->message, message->wParam, message->lParam,
                             message->unicode);
      receiving.pop_back();
    } else {
      message->failed = true;
    }
    ReplyTo(message, result);
    if (message->callback && message->callbackQueue) {
      // The answer goes back to the sender's thread, which calls the callback while it
      // retrieves messages (also when the window went away, with 0, so no caller waits).
      auto answer = std::make_shared<SentMessage>();
      answer->hwnd = message->hwnd;
      answer->message = message->message;
      answer->callback = message->callback;
      answer->callbackData = message->callbackData;
      answer->result = result;
      answer->callbackReturn = true;
      message->callbackQueue->Send(answer);
    }
  }
  return any;
}

bool ThreadQueue::TakePosted(std::deque<MSG>& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!MessageInRange(it->message, first, last) || !WindowMatchesFilter(it->hwnd, filter)) continue;
    *out = *it;
    if (remove) queue.erase(it);
    return true;
  }
  return false;
}

bool ThreadQueue::Retrieve(MSG* out, HWND filter, UINT first, UINT last, UINT removeFlags, bool wait) {
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  for (;;) {
    DeliverSentMessages();
    CheckHover();
    uint64_t generation;
    bool gotInput = false;
    {
      std::lock_guard lock(mutex);
      generation = m_generation;
      seenGeneration = m_generation;
      if (TakePosted(m_posted, out, filter, first, last, remove)) {
        lastTime = out->time;
        lastPos = out->pt;
        return true;
      }
      if (m_quit) {
        if (remove) m_quit = false;
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, static_cast<DWORD>(UserClockNow()), lastPos};
        return true;
      }
      gotInput = TakePosted(m_input, out, filter, first, last, remove);
    }
    if (gotInput) {
      lastTime = out->time;
      lastPos = out->pt;
      if (!remove) return true;
      NoteInputRetrieved(*out);
      if (IsMouseMessage(out->message) && !PrepareInputForDelivery(*out)) continue;  // eaten
      return true;
    }
    HWND paintWindow = nullptr;
    if (MessageInRange(WM_PAINT, first, last) && FindPaintWindow(this, filter, &paintWindow)) {
      *out = MSG{paintWindow, WM_PAINT, 0, 0, static_cast<DWORD>(UserClockNow()), lastPos};
      lastTime = out->time;
      return true;
    }
    if (MessageInRange(WM_TIMER, first, last) && TakeDueTimer(this, out, filter, remove)) {
      lastTime = out->time;
      lastPos = out->pt;
      return true;
    }
    if (!wait) return false;

    // A pending hover notification wakes the wait as a timer does (taken before the queue's
    // lock: the window manager's lock comes first).
    const uint64_t hoverDue = NextHoverDue(this);
    std::unique_lock lock(mutex);
    if (m_generation != generation || !m_sent.empty()) continue;
    const uint64_t due = std::min(NextTimerDue(this), hoverDue);
    if (due != ~0ull && !ManualClockInUse()) {
      const uint64_t now = UserClockNow();
      if (due <= now) continue;
      wake.wait_for(lock, std::chrono::milliseconds(due - now));
    } else {
      wake.wait(lock, [&] { return m_generation != generation || !m_sent.empty(); });
    }
  }
}

bool ThreadQueue::WaitForReply(const std::shared_ptr<SentMessage>& message, uint64_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = timeoutMs == ~0ull ? Clock::time_point::max()
                                           : Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    DeliverSentMessages();
    std::unique_lock lock(mutex);
    if (message->replied) return true;
    if (!m_sent.empty()) continue;
    auto ready = [&] { return message->replied || !m_sent.empty(); };
    if (deadline == Clock::time_point::max()) {
      wake.wait(lock, ready);
    } else if (!wake.wait_until(lock, deadline, ready)) {
      return false;
    }
  }
}

bool ThreadQueue::AnythingFor(DWORD mask) {
  // Called with `mutex` held.
  if ((mask & QS_SENDMESSAGE) && !m_sent.empty()) return true;
  if ((mask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) && (!m_posted.empty() || m_quit)) return true;
  if (mask & QS_INPUT) {
    for (const MSG& m : m_input) {
      if ((m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ? (mask & QS_KEY) : (mask & QS_MOUSE)) return true;
    }
  }
  return false;
}

DWORD ThreadQueue::Status(DWORD mask) {
  DWORD status = 0;
  {
    std::lock_guard lock(mutex);
    if (!m_sent.empty()) status |= QS_SENDMESSAGE;
    if (!m_posted.empty() || m_quit) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    for (const MSG& m : m_input)
      status |= (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ? QS_KEY
                : (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) ? QS_MOUSEMOVE
                                                                              : QS_MOUSEBUTTON;
  }
  HWND paintWindow;
  if (FindPaintWindow(this, nullptr, &paintWindow)) status |= QS_PAINT;
  MSG timer;
  if (TakeDueTimer(this, &timer, nullptr, false)) status |= QS_TIMER;
  return status & mask;
}

void ThreadQueue::WaitForActivity(uint64_t realTimeoutMs, DWORD wakeMask) {
  const uint64_t hoverDue = NextHoverDue(this);
  std::unique_lock lock(mutex);
  const uint64_t generation = seenGeneration;
  auto ready = [&] { return m_generation != generation || AnythingFor(wakeMask & QS_SENDMESSAGE); };
  // Timers and paint requests wake through the generation as well; a hover notification
  // coming due ends the wait like a timer.
  if (realTimeoutMs == INFINITE) {
    const uint64_t due = std::min(NextTimerDue(this), hoverDue);
    if (due != ~0ull && !ManualClockInUse()) {
      const uint64_t now = UserClockNow();
      if (due > now) wake.wait_for(lock, std::chrono::milliseconds(due - now), ready);
    } else {
      wake.wait(lock, ready);
    }
  } else {
    wake.wait_for(lock, std::chrono::milliseconds(realTimeoutMs), ready);
  }
  seenGeneration = m_generation;
}

}  // namespace platform::detail
