#include "platform/kernel/Threads.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>

#include "platform/kernel/Synch.h"

namespace platform::detail {
namespace {

// A thread's kernel object. Fields marked "dispatcher" are guarded by DispatcherMutex().
class ThreadObject final : public Waitable {
 public:
  ThreadObject(DWORD id, DWORD suspendCount, bool started)
      : id(id), suspendCount(suspendCount), started(started) {}

  bool IsSignalledFor(DWORD) override { return finished; }

  // Marks the thread ended and releases its waiters. Dispatcher held.
  void Finish() {
    AbandonMutexesOwnedBy(id);
    if (finished) return;
    finished = true;
    exitCode = exitCodeOnEnd;
    WakeWaiters();
  }

  const DWORD id;
  DWORD suspendCount;               // dispatcher
  bool started;                     // dispatcher
  bool finished = false;            // dispatcher
  DWORD exitCode = STILL_ACTIVE;    // dispatcher
  int priority = THREAD_PRIORITY_NORMAL;  // dispatcher
  std::condition_variable resumed;  // with the dispatcher: suspendCount reached 0
  DWORD exitCodeOnEnd = 0;          // only the thread itself writes it
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
};

DWORD AllocateThreadId() {
  static std::atomic<DWORD> next{1};
  DWORD id = next.fetch_add(1);
  while (id == 0) id = next.fetch_add(1);
  return id;
}

// The calling thread's id and object. Threads not started by CreateThread (the main thread,
// threads of libraries) get both on first use; when any thread ends, the mutexes it still
// owns are abandoned and its object is signalled.
struct CurrentThreadState {
  DWORD id = 0;
  std::shared_ptr<ThreadObject> object;

  ~CurrentThreadState() {
    if (id == 0) return;
    std::lock_guard lock(DispatcherMutex());
    if (object) {
      object->Finish();
    } else {
      AbandonMutexesOwnedBy(id);
    }
  }
};

thread_local CurrentThreadState current;

std::shared_ptr<ThreadObject> CurrentThreadObjectImpl() {
  if (!current.object) current.object = std::make_shared<ThreadObject>(GetCurrentThreadId(), 0, true);
  return current.object;
}

std::shared_ptr<ThreadObject> ThreadFromHandle(HANDLE handle) {
  if (handle == GetCurrentThread()) return CurrentThreadObjectImpl();
  auto thread = GetKernelObject<ThreadObject>(handle);
  if (!thread) SetLastError(ERROR_INVALID_HANDLE);
  return thread;
}

void* ThreadMain(void* argument) {
  std::shared_ptr<ThreadObject> self = std::move(*static_cast<std::shared_ptr<ThreadObject>*>(argument));
  delete static_cast<std::shared_ptr<ThreadObject>*>(argument);
  current.id = self->id;
  current.object = self;
  {
    std::unique_lock lock(DispatcherMutex());
    self->resumed.wait(lock, [&] { return self->suspendCount == 0; });
    self->started = true;
  }
  // ExitThread unwinds through here; the object is finished by the thread state's destructor
  // either way, with the code the routine returned or ExitThread stored.
  self->exitCodeOnEnd = self->start(self->parameter);
  return nullptr;
}

}  // namespace

std::shared_ptr<Waitable> CurrentThreadObject() { return CurrentThreadObjectImpl(); }

}  // namespace platform::detail

using namespace platform::detail;

DWORD GetCurrentThreadId() {
  if (current.id == 0) current.id = AllocateThreadId();
  return current.id;
}

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress, LPVOID parameter,
                    DWORD creationFlags, DWORD* threadId) {
  if (!startAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>(AllocateThreadId(), (creationFlags & CREATE_SUSPENDED) ? 1 : 0, false);
  thread->start = startAddress;
  thread->parameter = parameter;

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  // Windows reserves at least a megabyte for every stack; the POSIX default is larger still,
  // so only a request above it changes anything.
  size_t defaultSize = 0;
  pthread_attr_getstacksize(&attributes, &defaultSize);
  if (stackSize > defaultSize) pthread_attr_setstacksize(&attributes, stackSize);

  auto* argument = new std::shared_ptr<ThreadObject>(thread);
  pthread_t posixThread;
  const int error = pthread_create(&posixThread, &attributes, ThreadMain, argument);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete argument;
    SetLastError(error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (threadId) *threadId = thread->id;
  return AddKernelObject(std::move(thread));
}

DWORD ResumeThread(HANDLE handle) {
  auto thread = ThreadFromHandle(handle);
  if (!thread) return static_cast<DWORD>(-1);
  std::lock_guard lock(DispatcherMutex());
  const DWORD previous = thread->suspendCount;
  if (previous > 0 && --thread->suspendCount == 0) thread->resumed.notify_all();
  return previous;
}

DWORD SuspendThread(HANDLE handle) {
  auto thread = ThreadFromHandle(handle);
  if (!thread) return static_cast<DWORD>(-1);
  std::unique_lock lock(DispatcherMutex());
  const DWORD previous = thread->suspendCount;
  if (!thread->started) {
    ++thread->suspendCount;
    return previous;
  }
  if (thread->id == GetCurrentThreadId() && !thread->finished) {
    ++thread->suspendCount;
    thread->resumed.wait(lock, [&] { return thread->suspendCount == 0; });
    return previous;
  }
  SetLastError(ERROR_NOT_SUPPORTED);
  return static_cast<DWORD>(-1);
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode) {
  if (!exitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto thread = ThreadFromHandle(handle);
  if (!thread) return FALSE;
  std::lock_guard lock(DispatcherMutex());
  *exitCode = thread->finished ? thread->exitCode : STILL_ACTIVE;
  return TRUE;
}

void ExitThread(DWORD exitCode) {
  CurrentThreadObjectImpl()->exitCodeOnEnd = exitCode;
  pthread_exit(nullptr);
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
  constexpr int kValid[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                            THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                            THREAD_PRIORITY_TIME_CRITICAL};
  if (std::find(std::begin(kValid), std::end(kValid), priority) == std::end(kValid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto thread = ThreadFromHandle(handle);
  if (!thread) return FALSE;
  std::lock_guard lock(DispatcherMutex());
  thread->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE handle) {
  auto thread = ThreadFromHandle(handle);
  if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
  std::lock_guard lock(DispatcherMutex());
  return thread->priority;
}
