// Sending, posting and retrieving messages; TranslateMessage and DispatchMessage.

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/kernel/Synch.h"
#include "platform/user/Clock.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"


namespace platform::detail {

void BeforeMessageWait();  // Painting.cpp: hands the changed areas to the display

namespace {

MSG MakeMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m{hwnd, msg, wParam, lParam, static_cast<DWORD>(UserClockNow()), {}};
  GetCursorPos(&m.pt);
  return m;
}

}  // namespace

LRESULT SendMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool callerUnicode) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  auto current = ThreadQueue::Current();
  if (w->queue == current) {
    WNDPROC proc;
    bool unicode;
    {
      UserGuard guard(UserLock());
      proc = w->proc;
      unicode = w->unicode;
    }
    current->receiving.push_back(nullptr);  // a same-thread call is not "in send"
    LRESULT result = CallProcedure(proc, unicode, hwnd, msg, wParam, lParam, callerUnicode);
    current->receiving.pop_back();
    return result;
  }
  auto message = MakeSentMessage(hwnd, msg, wParam, lParam, callerUnicode);
  message->sender = current;
  w->queue->Send(message);
  current->WaitForReply(message, ~0ull);
  if (message->failed) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return message->result;
}

namespace {

LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT timeoutMs, DWORD_PTR* result, bool unicode) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  auto current = ThreadQueue::Current();
  if (w->queue == current) {
    LRESULT r = SendMessageInternal(hwnd, msg, wParam, lParam, unicode);
    if (result) *result = static_cast<DWORD_PTR>(r);
    return TRUE;
  }
  auto message = MakeSentMessage(hwnd, msg, wParam, lParam, unicode);
  message->sender = current;
  w->queue->Send(message);
  if (!current->WaitForReply(message, timeoutMs)) {
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  if (message->failed) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (result) *result = static_cast<DWORD_PTR>(message->result);
  return TRUE;
}

BOOL SendNotify(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool unicode) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  if (w->queue->IsCurrentThread()) {
    SendMessageInternal(hwnd, msg, wParam, lParam, unicode);
    return TRUE;
  }
  auto message = MakeSentMessage(hwnd, msg, wParam, lParam, unicode);
  w->queue->Send(message);
  return TRUE;
}

BOOL Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsRemoteWindow(hwnd)) return RemotePostMessage(hwnd, msg, wParam, lParam);
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> targets;
    {
      UserGuard guard(UserLock());
      for (const Window* top : DesktopWindowRaw()->children) targets.push_back(top->handle);
    }
    for (HWND target : targets) Post(target, msg, wParam, lParam);
    return TRUE;
  }
  if (!hwnd) {
    ThreadQueue::Current()->Post(MakeMessage(nullptr, msg, wParam, lParam));
    return TRUE;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !w->queue) return FALSE;
  if (!w->queue->Post(MakeMessage(hwnd, msg, wParam, lParam))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL PostThread(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto queue = ThreadQueue::ForThread(threadId);
  if (!queue || !queue->Post(MakeMessage(nullptr, msg, wParam, lParam))) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

bool ValidFilter(HWND filter) {
  if (!filter || filter == reinterpret_cast<HWND>(-1)) return true;
  return GetWindowPtr(filter) != nullptr;
}

BOOL Get(MSG* msg, HWND hwnd, UINT first, UINT last) {
  if (!msg || !ValidFilter(hwnd)) {
    if (!msg) SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto queue = ThreadQueue::Current();
  MSG peeked;
  if (!queue->Retrieve(&peeked, hwnd, first, last, PM_REMOVE, false)) {
    BeforeMessageWait();
    queue->Retrieve(&peeked, hwnd, first, last, PM_REMOVE, true);
  }
  *msg = peeked;
  return msg->message != WM_QUIT;
}

BOOL Peek(MSG* msg, HWND hwnd, UINT first, UINT last, UINT removeFlags) {
  if (!msg || !ValidFilter(hwnd)) return FALSE;
  auto queue = ThreadQueue::Current();
  if (queue->Retrieve(msg, hwnd, first, last, removeFlags, false)) return TRUE;
  BeforeMessageWait();
  return FALSE;
}

LRESULT Dispatch(const MSG* msg, bool unicode) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only procedures that SetTimer registered are called; a forged lParam is ignored.
    if (!TimerProcIsRegistered(msg->hwnd, msg->wParam, proc)) return 0;
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(UserClockNow()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  WindowPtr w = GetWindowPtr(msg->hwnd);
  if (!w) return 0;
  if (!w->queue->IsCurrentThread()) {
    SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
    return 0;
  }
  WNDPROC proc;
  bool procUnicode;
  {
    UserGuard guard(UserLock());
    proc = w->proc;
    procUnicode = w->unicode;
  }
  return CallProcedure(proc, procUnicode, msg->hwnd, msg->message, msg->wParam, msg->lParam, unicode);
}

LRESULT RealDispatchMessageW(const MSG* msg) { return Dispatch(msg, true); }
LRESULT RealDispatchMessageA(const MSG* msg) { return Dispatch(msg, false); }

std::mutex g_registeredMutex;
std::map<std::u16string, UINT>& RegisteredMessages() {
  static auto* names = new std::map<std::u16string, UINT>;
  return *names;
}

UINT RegisterMessage(std::u16string name) {
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (auto& c : name)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  std::lock_guard lock(g_registeredMutex);
  auto& names = RegisteredMessages();
  auto it = names.find(name);
  if (it != names.end()) return it->second;
  const UINT id = 0xC000 + static_cast<UINT>(names.size());
  if (id > 0xFFFF) return 0;
  names[name] = id;
  return id;
}

}  // namespace

// Defined in ScrollBars.cpp.
extern const platform::UserFunctionTable kScrollFunctions;

}  // namespace platform::detail

using namespace platform::detail;

namespace platform {

const UserFunctionTable& OriginalUserFunctions() {
  static const UserFunctionTable table = [] {
    UserFunctionTable t = kScrollFunctions;
    t.DispatchMessageW = RealDispatchMessageW;
    t.DispatchMessageA = RealDispatchMessageA;
    t.MessageBoxW = RealMessageBoxW;
    return t;
  }();
  return table;
}

UserFunctionTable& UserFunctions() {
  static UserFunctionTable table = OriginalUserFunctions();
  return table;
}

bool PostMessageForEngines(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

}  // namespace platform

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsRemoteWindow(hwnd)) return RemoteSendMessage(hwnd, msg, wParam, lParam);
  return SendMessageInternal(hwnd, msg, wParam, lParam, true);
}
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsRemoteWindow(hwnd)) return RemoteSendMessage(hwnd, msg, wParam, lParam);
  return SendMessageInternal(hwnd, msg, wParam, lParam, false);
}
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs, DWORD_PTR* result) {
  return SendTimeout(hwnd, msg, wParam, lParam, timeoutMs, result, true);
}
LRESULT SendMessageTimeoutA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs, DWORD_PTR* result) {
  return SendTimeout(hwnd, msg, wParam, lParam, timeoutMs, result, false);
}
BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return SendNotify(hwnd, msg, wParam, lParam, true); }
BOOL SendNotifyMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return SendNotify(hwnd, msg, wParam, lParam, false); }
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Post(hwnd, msg, wParam, lParam); }
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Post(hwnd, msg, wParam, lParam); }
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) { return PostThread(threadId, msg, wParam, lParam); }
BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) { return PostThread(threadId, msg, wParam, lParam); }
void PostQuitMessage(int exitCode) { ThreadQueue::Current()->PostQuit(exitCode); }

BOOL ReplyMessage(LRESULT result) {
  auto queue = ThreadQueue::Current();
  if (queue->receiving.empty() || !queue->receiving.back()) return FALSE;
  auto& message = queue->receiving.back();
  if (!message->sender || message->replied) return FALSE;
  std::lock_guard lock(message->sender->mutex);
  message->result = result;
  message->replied = true;
  message->sender->wake.notify_all();
  return TRUE;
}

BOOL InSendMessage() {
  auto queue = ThreadQueue::Current();
  return !queue->receiving.empty() && queue->receiving.back() != nullptr;
}

DWORD InSendMessageEx(LPVOID) {
  auto queue = ThreadQueue::Current();
  if (queue->receiving.empty() || !queue->receiving.back()) return ISMEX_NOSEND;
  const auto& message = queue->receiving.back();
  DWORD flags = message->sender ? ISMEX_SEND : ISMEX_NOTIFY;
  if (message->replied) flags |= ISMEX_REPLIED;
  return flags;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT first, UINT last) { return Get(msg, hwnd, first, last); }
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last) { return Get(msg, hwnd, first, last); }
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags) { return Peek(msg, hwnd, first, last, flags); }
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags) { return Peek(msg, hwnd, first, last, flags); }

BOOL WaitMessage() {
  auto queue = ThreadQueue::Current();
  queue->DeliverSentMessages();
  BeforeMessageWait();
  queue->WaitForActivity(INFINITE, QS_ALLINPUT);
  return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
  const DWORD status = ThreadQueue::Current()->Status(flags);
  return MAKELONG(static_cast<WORD>(status), static_cast<WORD>(status));
}

LRESULT DispatchMessageW(const MSG* msg) { return platform::UserFunctions().DispatchMessageW(msg); }
LRESULT DispatchMessageA(const MSG* msg) { return platform::UserFunctions().DispatchMessageA(msg); }

DWORD GetMessagePos() {
  auto queue = ThreadQueue::Current();
  return MAKELONG(static_cast<WORD>(queue->lastPos.x), static_cast<WORD>(queue->lastPos.y));
}

LONG GetMessageTime() { return static_cast<LONG>(ThreadQueue::Current()->lastTime); }
LPARAM GetMessageExtraInfo() { return ThreadQueue::Current()->lastExtraInfo; }

UINT RegisterWindowMessageW(LPCWSTR name) { return name ? RegisterMessage(name) : 0; }
UINT RegisterWindowMessageA(LPCSTR name) { return name ? RegisterMessage(platform::Utf8ToUtf16(name)) : 0; }

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD timeoutMs, DWORD wakeMask, DWORD flags) {
  if (count > 0 && !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  auto queue = ThreadQueue::Current();
  const bool waitAll = (flags & MWMO_WAITALL) != 0;
  using Clock = std::chrono::steady_clock;
  const auto deadline = timeoutMs == INFINITE ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    queue->DeliverSentMessages();
    if (count > 0) {
      // Kernel objects are polled; a signalled one (or all, with MWMO_WAITALL) ends the wait.
      DWORD signalled = 0;
      for (DWORD i = 0; i < count; ++i) {
        const DWORD r = WaitForSingleObject(handles[i], 0);
        if (r == WAIT_FAILED) return WAIT_FAILED;
        if (r == WAIT_OBJECT_0 || r == 0x80 /* abandoned */) {
          if (!waitAll) return WAIT_OBJECT_0 + i;
          ++signalled;
        }
      }
      if (waitAll && signalled == count) return WAIT_OBJECT_0;
    }
    if ((flags & MWMO_INPUTAVAILABLE) ? queue->Status(wakeMask) != 0 : false) return WAIT_OBJECT_0 + count;
    const auto now = Clock::now();
    if (now >= deadline) return WAIT_TIMEOUT;
    auto slice = count > 0 ? std::chrono::milliseconds(5) : std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (deadline != Clock::time_point::max()) slice = std::min(slice, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + std::chrono::milliseconds(1));
    const uint64_t before = queue->seenGeneration;
    queue->WaitForActivity(deadline == Clock::time_point::max() && count == 0 ? INFINITE : static_cast<uint64_t>(slice.count()), wakeMask);
    const DWORD status = queue->Status(wakeMask);
    if (status != 0 && (queue->seenGeneration != before || (status & (QS_TIMER | QS_PAINT)))) return WAIT_OBJECT_0 + count;
  }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs, DWORD wakeMask) {
  return MsgWaitForMultipleObjectsEx(count, handles, timeoutMs, wakeMask, waitAll ? MWMO_WAITALL : 0);
}
