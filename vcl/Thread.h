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
// frees its own object at the very end; otherwise the owner deletes it, and the destructor of
// a thread that has not finished terminates it, starts it if it never ran, and waits for it.
//
// C++ finishes a constructor in the base class first, so a thread created running may not
// start Execute before the most derived constructor is done: create threads with
// TThread::Create<TMyThread>(args...), or call AfterConstruction() right after new. A thread
// created suspended starts with Start() as usual.
//
// A subclass that runs the operating-system thread itself constructs the base with
// TThreadStart::BySubclass, stores its handle and thread id in FHandle and FThreadID, runs
// RunThreadBody() (or its own ending using the fields below) on its thread, and overrides
// ResumeThread/WaitForThreadEnd to start and join it.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
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
  void Terminate() { FTerminated = true; }
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
  bool m_released = false;   // the start gate of our own thread
  bool m_destroying = false; // the owner's destructor runs: the thread must not free itself
  bool m_bodyDone = false;   // RunThreadBody no longer touches the object
  bool m_started = false;     // released (or asked to run) once
};

// Runs the calls handed to the GUI thread; returns True when it ran any. With a timeout
// (milliseconds) it first waits that long for a call to arrive. GUI thread only.
bool CheckSynchronize(int timeoutMs = 0);
// Set by the application: called (from any thread) when a call for the GUI thread arrives.
extern std::function<void()> WakeMainThread;
bool IsMainThread();
std::thread::id MainThreadID();
