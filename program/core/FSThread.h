#pragma once

// TFSThread: the base of the program's own worker threads (HTTP workers, thumbnail thread,
// skin animator). It keeps the class library's thread model (Execute, Terminate, ReturnValue,
// FreeOnTerminate, OnTerminate, FatalException, WaitFor) but starts the operating-system
// thread itself through the kernel layer, so every worker ends in one fixed order: Execute
// (an exception is kept in FatalException), DoTerminate, Finished, the wake-up of a GUI thread
// waiting in synchronised calls, then the free-on-terminate hand-over.
//
// An exception in the termination handler goes to ApplicationHandleException (when the
// application set it) with the thread as sender and never leaves the thread.
//
// Create with TThread::Create<TMyThread>(args...) (released at once unless created
// suspended; a suspended one starts with Start()). The owner deletes a thread that does not
// free itself; destruction follows TThread's rule (vcl/Thread.h): delete terminates the
// thread and waits for its end before any destructor runs, and claims the object under the
// lock the thread's hand-over decides under, so it is freed exactly once. A thread deleted
// before it ever ran ends without Execute.

#include <atomic>

#include "platform/kernel/WinError.h"
#include "vcl/Thread.h"

class TFSThread : public TThread {
  BRANTWELL_CLASS(TFSThread, TThread)

 public:
  // Raises EThread "Thread creation error: <system text>" when no thread can be made.
  explicit TFSThread(bool createSuspended);
  ~TFSThread() override;

 protected:
  void DoTerminate() override;
  void ResumeThread() override;

 private:
  static DWORD FSThreadProc(void* parameter);

  HANDLE m_kernelHandle = nullptr;
  std::atomic<bool> m_resumed{false};
};
