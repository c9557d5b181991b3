#pragma once

// TThread: one operating-system thread per object, running Execute once.
//
// The GUI thread is the main thread (the one that initialised the program). Other threads
// hand calls to it with Synchronize (waits; an exception in the call comes back to the
// caller) or Queue (returns at once); the GUI thread's message loop runs them in
// CheckSynchronize, and WakeMainThread (set by the application) wakes the loop when a call
// arrives. Synchronize from the GUI thread itself runs the call directly.
//
// Ending: after Execute (an exception that leaves it is kept in FatalException), DoTerminate
// calls OnTerminate on the GUI thread, then Finished is set. With FreeOnTerminate the thread
// frees its own object at the very end; otherwise the owner deletes it.
//
// Destruction (one rule for every thread class): a thread object lives on the heap and is
// destroyed with delete. Deleting a thread that has not ended terminates it (Terminate, so
// TerminatedSet runs), starts it if it never ran (it then ends without Execute), and waits
// for its end, all before any destructor runs: Execute never sees a subclass whose members
// are already gone, and destructors need not stop the thread themselves. TThread's
// destroying operator delete does this through TerminateAndWait, so it cannot be forgotten;
// the base destructors call TerminateAndWait again only as a last resort for an object
// that was not deleted (a subclass must not rely on that). A thread that sleeps on its own
// event overrides TerminatedSet to wake it. Deleting a FreeOnTerminate thread is allowed
// while it cannot end by itself (it runs until Terminated): the owner's claim and the
// thread's hand-over are decided under one lock, so the object is freed exactly once.
//
// C++ finishes a constructor in the base class first, so a thread created running may not
// start Execute before the most derived constructor is done: create threads with
// TThread::Create<TMyThread>(args...), or call AfterConstruction() right after new. A thread
// created suspended starts with Start() as usual.
//
// A subclass that runs the operating-system thread itself constructs the base with
// TThreadStart::BySubclass, stores its handle and thread id in FHandle and FThreadID (FHandle
// stays 0 when no thread could be made, so destruction waits for none), runs
// RunThreadBody() (or its own ending using the fields below) on its thread, and overrides
// ResumeThread/WaitForThreadEnd to start and join it.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

#include "rtl/Exceptions.h"
#include "vcl/Event.h"
#include "vcl/Object.h"

using TThreadMethod = std::function<void()>;
using THandle = uintptr_t;
using TThreadID = uint64_t;

class TThread : public TObject {
  BRANTWELL_CLASS(TThread, TObject)

 public:
  explicit TThread(bool createSuspended);
  ~TThread() override;

  // delete of any thread object: TerminateAndWait, then the destructors, then the memory.
  static void operator delete(TThread* thread, std::destroying_delete_t);
  // The allocation pair (the plain delete only frees a thread whose constructor raised).
  static void* operator new(std::size_t size);
  static void operator delete(void* storage);

  // Creates a thread object and releases it unless it was created suspended.
  template <class T, class... A> static T* Create(A&&... args) {
    T* thread = new T(std::forward<A>(args)...);
    thread->AfterConstruction();
    return thread;
  }
  // Releases a thread created running, once its construction is complete.
  virtual void AfterConstruction();

  // Starts a thread created suspended. Raises EThread when it runs already.
  void Start();
  void Resume() { Start(); }
  // Only a thread that has not started yet can be held; a running one cannot be paused here.
  void Suspend();
  // Sets Terminated, then calls TerminatedSet (on the calling thread).
  void Terminate();
  // Waits for the end of the thread and returns ReturnValue. On the GUI thread it keeps
  // running synchronised calls while it waits, so a worker in Synchronize cannot deadlock it.
  int32_t WaitFor();

  bool Terminated() const { return FTerminated; }
  bool Suspended() const { return FSuspended; }
  bool Finished() const { return FFinished; }
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
  int32_t ReturnValue() const { return FReturnValue; }
  void SetReturnValue(int32_t value) { FReturnValue = value; }
  std::exception_ptr FatalException() const { return FFatalException; }
  THandle Handle() const { return FHandle; }
  TThreadID ThreadID() const { return FThreadID; }
  TNotifyEvent OnTerminate;

  void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
  void Queue(const TThreadMethod& method) { Queue(this, method); }
  static void Synchronize(TThread* thread, const TThreadMethod& method);
  static void Queue(TThread* thread, const TThreadMethod& method);
  // Drops the queued calls of a thread (done when a thread object is destroyed).
  static void RemoveQueuedEvents(TThread* thread);

 protected:
  enum class TThreadStart { Own, BySubclass };
  TThread(bool createSuspended, TThreadStart start);

  virtual void Execute() = 0;
  // Called by Terminate after Terminated is set: a thread that waits on something of its own
  // wakes up here. Runs on the thread that called Terminate.
  virtual void TerminatedSet() {}
  // Terminates the thread, starts it if it never ran, and waits for its end, unless it has
  // ended, runs this call itself, or is freeing itself. Done once; later calls return at
  // once. Returns false when the thread has already decided to free itself, so the caller
  // must leave the object alone. delete calls it before any destructor.
  bool TerminateAndWait();
  // Calls OnTerminate on the GUI thread when it is assigned.
  virtual void DoTerminate();
  // Start and join for a subclass that runs its own operating-system thread.
  virtual void ResumeThread();
  virtual void WaitForThreadEnd();
  // The ending every thread runs on its own thread: Execute, ReturnValue, DoTerminate, then
  // Finished, the wake-up of waiters, and the free-on-terminate hand-over. Returns the exit
  // code. The object may be gone when this returns.
  static int32_t RunThreadBody(TThread* thread);
  // Sets Finished and wakes waiters.
  void SignalFinished();

  // Fields a subclass relies on.
  THandle FHandle = 0;
  TThreadID FThreadID = 0;
  bool FCreateSuspended;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FSuspended{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<bool> FFinished{false};
  std::atomic<int32_t> FReturnValue{0};
  std::exception_ptr FFatalException;

 private:
  void ReleaseGate();

  TThreadStart m_start;
  std::thread m_thread;
  std::mutex m_stateLock;
  std::condition_variable m_stateChanged;
  // Guarded by m_stateLock:
  bool m_released = false;     // the start gate of our own thread
  bool m_destroying = false;   // the owner has claimed the object: the thread must not free itself
  bool m_freeingItself = false;  // the thread's hand-over decided to free the object
  bool m_bodyDone = false;     // RunThreadBody no longer touches the object
  std::thread::id m_bodyThread;  // the thread that runs RunThreadBody, once it runs
  // Owner side only:
  bool m_started = false;     // released (or asked to run) once
};

// Runs the calls handed to the GUI thread; returns True when it ran any. With a timeout
// (milliseconds) it first waits that long for a call to arrive. GUI thread only.
bool CheckSynchronize(int timeoutMs = 0);
// Set by the application: called (from any thread) when a call for the GUI thread arrives.
extern std::function<void()> WakeMainThread;
// Set by the application: reports an exception that nothing else may handle (for example
// one raised in a worker thread's termination handler), with the object it came from.
extern std::function<void(TObject* sender, std::exception_ptr error)> ApplicationHandleException;
bool IsMainThread();
std::thread::id MainThreadID();
