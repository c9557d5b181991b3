#include "vcl/Thread.h"

#include "platform/kernel/Threads.h"

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <memory>
#include <system_error>

std::function<void()> WakeMainThread;
std::function<void(TObject* sender, std::exception_ptr error)> ApplicationHandleException;

namespace {

// The thread that runs static initialisation is the program's main (GUI) thread.
const std::thread::id g_mainThread = std::this_thread::get_id();

struct SyncRequest {
  TThread* thread = nullptr;
  TThreadMethod method;
  bool synchronous = false;
  bool done = false;
  std::exception_ptr error;
};

struct SyncState {
  std::mutex lock;
  std::condition_variable arrived;  // a call arrived or a thread finished
  std::condition_variable completed;
  std::deque<std::shared_ptr<SyncRequest>> queue;
  bool signalled = false;
};

// Never destroyed: threads owned by other statics (a worker pool) may still be ended, and wait
// for their synchronised calls, while the process runs its exit handlers.
SyncState& Sync() {
  static SyncState* state = new SyncState;
  return *state;
}

void SignalSyncEvent() {
  auto& sync = Sync();
  {
    std::lock_guard guard(sync.lock);
    sync.signalled = true;
  }
  sync.arrived.notify_all();
  if (WakeMainThread) WakeMainThread();
}

void Post(const std::shared_ptr<SyncRequest>& request) {
  auto& sync = Sync();
  {
    std::lock_guard guard(sync.lock);
    sync.queue.push_back(request);
    sync.signalled = true;
  }
  sync.arrived.notify_all();
  if (WakeMainThread) WakeMainThread();
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == g_mainThread; }
std::thread::id MainThreadID() { return g_mainThread; }

bool CheckSynchronize(int timeoutMs) {
  if (!IsMainThread())
    throw EThread("CheckSynchronize called from a thread that is not the main thread");
  auto& sync = Sync();
  std::deque<std::shared_ptr<SyncRequest>> work;
  {
    std::unique_lock guard(sync.lock);
    if (timeoutMs > 0 && sync.queue.empty())
      sync.arrived.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                            [&] { return sync.signalled || !sync.queue.empty(); });
    sync.signalled = false;
    work.swap(sync.queue);
  }
  std::exception_ptr queuedError;
  for (auto& request : work) {
    try {
      request->method();
    } catch (...) {
      if (request->synchronous)
        request->error = std::current_exception();
      else if (!queuedError)
        queuedError = std::current_exception();
    }
    if (request->synchronous) {
      std::lock_guard guard(sync.lock);
      request->done = true;
    }
  }
  sync.completed.notify_all();
  // A queued call has nobody waiting for it: its failure surfaces in the loop that ran it.
  if (queuedError) std::rethrow_exception(queuedError);
  return !work.empty();
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  auto request = std::make_shared<SyncRequest>();
  request->thread = thread;
  request->method = method;
  request->synchronous = true;
  Post(request);
  auto& sync = Sync();
  std::unique_lock guard(sync.lock);
  sync.completed.wait(guard, [&] { return request->done; });
  guard.unlock();
  if (request->error) std::rethrow_exception(request->error);
}

void TThread::Queue(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  auto request = std::make_shared<SyncRequest>();
  request->thread = thread;
  request->method = method;
  Post(request);
}

void TThread::RemoveQueuedEvents(TThread* thread) {
  auto& sync = Sync();
  std::lock_guard guard(sync.lock);
  std::erase_if(sync.queue, [&](const std::shared_ptr<SyncRequest>& r) {
    return r->thread == thread && !r->synchronous;
  });
}

TThread::TThread(bool createSuspended) : TThread(createSuspended, TThreadStart::Own) {}

TThread::TThread(bool createSuspended, TThreadStart start)
    : FCreateSuspended(createSuspended), m_start(start) {
  FSuspended = createSuspended;
  if (start == TThreadStart::BySubclass) return;
  try {
    m_thread = std::thread([this] {
      {
        std::unique_lock guard(m_stateLock);
        m_stateChanged.wait(guard, [&] { return m_released; });
      }
      RunThreadBody(this);
    });
  } catch (const std::system_error& e) {
    throw EThread::CreateFmt("Thread creation error: %s", {e.code().message()});
  }
  FHandle = static_cast<THandle>(m_thread.native_handle());
}

void* TThread::operator new(std::size_t size) { return ::operator new(size); }

void TThread::operator delete(void* storage) { ::operator delete(storage); }

void TThread::operator delete(TThread* thread, std::destroying_delete_t) {
  // The stop comes first, while the most derived object is whole: its Execute and its
  // termination handler may use every member until the thread has ended.
  if (!thread->TerminateAndWait()) return;  // the thread frees it itself
  void* storage = dynamic_cast<void*>(thread);
  thread->~TThread();
  ::operator delete(storage);
}

bool TThread::TerminateAndWait() {
  {
    std::lock_guard guard(m_stateLock);
    if (m_destroying) return true;
    if (m_freeingItself && m_bodyThread != std::this_thread::get_id()) return false;
    // Claimed under the lock the hand-over decides under: from here on the thread never
    // frees itself, whatever FreeOnTerminate said.
    m_destroying = true;
    FFreeOnTerminate = false;
    if (m_bodyDone || m_bodyThread == std::this_thread::get_id()) return true;
    // A subclass whose own thread could not be made has nothing to wait for.
    if (m_start == TThreadStart::BySubclass && FHandle == 0) return true;
  }
  Terminate();
  if (!m_started) {
    m_started = true;
    ResumeThread();
  }
  WaitForThreadEnd();
  return true;
}

TThread::~TThread() {
  // Deleted objects have been stopped already; this is for one that was not.
  TerminateAndWait();
  if (m_thread.joinable()) {
    if (m_thread.get_id() == std::this_thread::get_id())
      m_thread.detach();
    else
      m_thread.join();
  }
  RemoveQueuedEvents(this);
}

void TThread::AfterConstruction() {
  if (!FCreateSuspended) Start();
}

void TThread::Start() {
  if (m_started || FFinished)
    throw EThread("Cannot call Start on a running or finished thread");
  m_started = true;
  FSuspended = false;
  ResumeThread();
}

void TThread::Suspend() {
  if (m_started) throw EThread("Cannot suspend a running thread");
  FSuspended = true;
}

void TThread::Terminate() {
  FTerminated = true;
  TerminatedSet();
}

void TThread::ResumeThread() { ReleaseGate(); }

void TThread::ReleaseGate() {
  {
    std::lock_guard guard(m_stateLock);
    m_released = true;
  }
  m_stateChanged.notify_all();
}

void TThread::WaitForThreadEnd() {
  // On the GUI thread, calls the worker synchronises keep running while we wait.
  if (IsMainThread()) {
    while (!FFinished) CheckSynchronize(50);
  }
  std::unique_lock guard(m_stateLock);
  m_stateChanged.wait(guard, [&] { return m_bodyDone; });
}

int32_t TThread::WaitFor() {
  if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id())
    throw EThread("A thread cannot wait for itself");
  WaitForThreadEnd();
  return FReturnValue;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::SignalFinished() {
  FFinished = true;
  SignalSyncEvent();
}

int32_t TThread::RunThreadBody(TThread* thread) {
  thread->FThreadID = static_cast<TThreadID>(::GetCurrentThreadId());
  {
    std::lock_guard guard(thread->m_stateLock);
    thread->m_bodyThread = std::this_thread::get_id();
  }
  if (!thread->FTerminated) {
    try {
      thread->Execute();
    } catch (...) {
      thread->FFatalException = std::current_exception();
    }
  }
  int32_t result = thread->FReturnValue;
  try {
    thread->DoTerminate();
  } catch (...) {
    // Nothing may leave the thread; keep the first failure for the owner.
    if (!thread->FFatalException) thread->FFatalException = std::current_exception();
  }
  // The hand-over: either the owner's destructor has started (it frees and waits), or the
  // thread frees itself when FreeOnTerminate is set now. Decided under the lock.
  bool freeSelf;
  {
    std::lock_guard guard(thread->m_stateLock);
    freeSelf = thread->FFreeOnTerminate && !thread->m_destroying;
    thread->FFinished = true;
    thread->m_bodyDone = !freeSelf;
    thread->m_freeingItself = freeSelf;
    // Notified under the lock: once it is released the owner may free the object.
    thread->m_stateChanged.notify_all();
  }
  SignalSyncEvent();
  if (freeSelf) delete thread;
  return result;
}
