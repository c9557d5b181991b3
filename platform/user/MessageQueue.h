#pragma once

// One message queue per thread, made on first use. Any thread may post into a queue or send
// to it; only the owning thread retrieves from it.
//
// Retrieval order: messages sent from other threads are delivered first (they are never
// returned), then posted messages, the quit request, input, WM_PAINT while some window of
// the thread has an update region, and WM_TIMER for due timers.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/user/UserTypes.h"

namespace platform::detail {

class ThreadQueue;

// A message sent from one thread to a window of another. Shared between the two threads:
// the receiver fills `result` and `failed` before it sets `replied` under the sender's queue
// mutex, after which only the sender reads them.
struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool unicode = true;
  std::shared_ptr<ThreadQueue> sender;  // null for SendNotifyMessage / callbacks
  SENDASYNCPROC callback = nullptr;
  ULONG_PTR callbackData = 0;
  std::shared_ptr<ThreadQueue> callbackQueue;  // SendMessageCallback: where the answer goes
  bool callbackReturn = false;  // an answer coming back: call `callback` instead of a window
  LRESULT result = 0;
  bool replied = false;    // ReplyMessage or the procedure returned
  bool failed = false;     // the target went away before delivery
};

inline std::shared_ptr<SentMessage> MakeSentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool unicode) {
  auto message = std::make_shared<SentMessage>();
  message->hwnd = hwnd;
  message->message = msg;
  message->wParam = wParam;
  message->lParam = lParam;
  message->unicode = unicode;
  return message;
}

class ThreadQueue {
 public:
  ThreadQueue();
  ~ThreadQueue();

  // The calling thread's queue, made on first use.
  static std::shared_ptr<ThreadQueue> Current();
  // The queue of a thread id as GetCurrentThreadId reports it; null when that thread has none.
  static std::shared_ptr<ThreadQueue> ForThread(DWORD threadId);
  // Wakes every queue (the manual clock moved).
  static void WakeAll();

  DWORD threadId() const { return m_threadId; }
  bool IsCurrentThread() const;

  bool Post(const MSG& msg);  // false when the queue's thread has ended
  void PostInput(const MSG& msg);
  void PostQuit(int exitCode);
  void Send(std::shared_ptr<SentMessage> message);
  void Wake();
  // Drops posted and input messages for a window that is being destroyed.
  void RemoveMessagesFor(HWND hwnd);

  // Delivers every message sent to this thread that is waiting. Returns true when any ran.
  bool DeliverSentMessages();

  // GetMessage/PeekMessage core. `wait`: block until a message arrives.
  // Returns false when nothing matched (PeekMessage only).
  bool Retrieve(MSG* out, HWND filter, UINT first, UINT last, UINT removeFlags, bool wait);

  // Waits until `message` is replied, delivering messages sent to this thread meanwhile.
  // `timeoutMs` in real time, or ~0 for none. Returns false on timeout; the receiver still
  // handles the message later, and its answer is dropped.
  bool WaitForReply(const std::shared_ptr<SentMessage>& message, uint64_t timeoutMs);

  // Waits until something is queued or until the deadline (real time, milliseconds), for
  // WaitMessage and MsgWaitForMultipleObjects.
  void WaitForActivity(uint64_t realTimeoutMs, DWORD wakeMask);
  DWORD Status(DWORD mask);

  // The sent message this thread is handling right now, for InSendMessage and ReplyMessage.
  std::vector<std::shared_ptr<SentMessage>> receiving;

  DWORD lastTime = 0;
  POINT lastPos{};
  LPARAM lastExtraInfo = 0;
  // Messages the queue saw since the last WaitMessage (so it returns only for new ones).
  uint64_t seenGeneration = 0;

  std::mutex mutex;
  std::condition_variable wake;

 private:
  bool TakePosted(std::deque<MSG>& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove);
  bool TakePaint(MSG* out, HWND filter, UINT first, UINT last);
  bool TakeTimer(MSG* out, HWND filter, UINT first, UINT last, bool remove);
  bool AnythingFor(DWORD mask);

  DWORD m_threadId = 0;
  std::deque<MSG> m_posted;
  std::deque<MSG> m_input;
  std::deque<std::shared_ptr<SentMessage>> m_sent;
  bool m_quit = false;
  int m_quitCode = 0;
  uint64_t m_generation = 0;  // bumped whenever something is queued
  std::atomic<bool> m_alive{true};

  friend void FinishQueue(ThreadQueue* queue);
};

// Filters as GetMessage applies them: 0,0 means all messages.
bool MessageInRange(UINT message, UINT first, UINT last);
// The window filter: null matches all; -1 matches thread messages only.
bool WindowMatchesFilter(HWND hwnd, HWND filter);

}  // namespace platform::detail
