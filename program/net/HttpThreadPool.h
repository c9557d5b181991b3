#pragma once

// The HTTP worker pool. A task (THttpTask) describes one transfer; the process-wide pool hands
// it to the worker already bound to the task's host and port, or to a new worker (at most
// MaxWorkers), or else parks it in the pool's queue until a worker is free. Each worker owns
// one THTTPClient, keeps the server's keep-alive connection open while it waits for more work,
// and ends after IdleLimitMs without work.
//
// Threads: the GUI thread adds and cancels tasks. A task runs on a worker; its OnFinish runs
// on the GUI thread through a synchronised call (the cancel flag is tested inside that call,
// so a task cancelled on the GUI thread never calls back). Progress is posted to the GUI
// thread and coalesced: while one delivery waits, newer positions only replace its values.
//
// Ownership: the pool owns queued tasks and workers; a worker owns its own queue's tasks and
// frees each after its run. The pool's Lock guards Workers, each worker's CurrentTask and
// binding, and the decision of a worker to end.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "program/core/FSThread.h"
#include "program/core/ThreadedQueue.h"
#include "program/net/HTTPClient.h"

using THttpFinishEvent = TEvent<void(TObject* Sender, uint8_t& Result)>;

class THttpWorkerThread;
class THttpThreadPool;

class THttpTask : public TObject {
  BRANTWELL_CLASS(THttpTask, TObject)

 public:
  // Without a stream the task owns none (a file task sets FileName instead).
  THttpTask(const AnsiString& url, const RawByteString& postData, TStream* stream, THttpProgressEvent onProgress,
            THttpFinishEvent onFinish, int32_t tag);
  ~THttpTask() override;

  // Runs the transfer on the worker's client (again while OnFinish answers 2); the result.
  virtual bool Run(THTTPClient& client);
  // True when owner matches OnProgress or OnFinish.
  virtual bool IsOwnedBy(const TMethod& owner) const;

  // GUI thread (or any thread): no callback is called after it.
  void Cancel();
  bool Cancelled() const { return FCancelled.load(); }

  AnsiString Url;
  THttpProgressEvent OnProgress;
  THttpFinishEvent OnFinish;
  int32_t Tag = 0;
  RawByteString PostData;
  bool OwnsStream = false;
  TStream* Stream = nullptr;
  AnsiString FileName;
  uint8_t SyncResult = 0;
  // A file transfer with the once-a-day cache rule (the setup download goes without it).
  bool UseCache = true;
  // The body limit of this task (0: the client's own); only https addresses and redirects.
  int64_t MaxBodyBytes = 0;
  bool RequireHttps = false;
  // The worker's client while the task runs.
  THTTPClient* Client = nullptr;

 protected:
  // The transfer itself: into Stream, or into FileName with the once-a-day cache rule.
  bool Transfer(THTTPClient& client);
  // Runs call on the GUI thread and waits for it, unless the task is cancelled by then (tested
  // on the GUI thread).
  void SynchronizeUnlessCancelled(const std::function<void()>& call);
  // Waits until every progress delivery already posted has run, so a callback that follows
  // never overtakes it.
  void FlushProgress();

 private:
  struct TProgressRelay;
  std::atomic<bool> FCancelled{false};
  std::shared_ptr<TProgressRelay> FRelay;
};

// Matching of method pointers: both code parts set: they and (when both set) the data parts
// must be equal; otherwise the data parts alone decide. Two empty pointers never match.
bool MethodMatches(const TMethod& a, const TMethod& b);

class THttpThreadPool : public TObject {
  BRANTWELL_CLASS(THttpThreadPool, TObject)

 public:
  THttpThreadPool();
  ~THttpThreadPool() override;

  // Takes ownership of the task. wake: start or signal the worker it goes to.
  void AddTask(THttpTask* task, bool wake = true);
  // Frees the owner's queued tasks and cancels its running ones (GUI thread).
  void CancelTasks(const TMethod& owner);
  void CancelTasksOf(TObject* owner) { CancelTasks(TMethod{nullptr, owner}); }

  // Workers alive (not ended), and tasks parked in the pool's queue.
  int WorkerCount();
  int ParkedCount() { return FQueue.Count(); }

  // Settable for tests: new workers take these values.
  int MaxWorkers = 10;
  int IdleLimitMs = 30000;
  int ClientTimeoutMs = 60000;

 private:
  friend class THttpWorkerThread;
  THttpWorkerThread* FindWorker(const AnsiString& host, const AnsiString& port);
  // Frees the workers that ended (their threads are done or about to be). Under FLock.
  void ReapEnded();

  TThreadedQueue FQueue;
  std::recursive_mutex FLock;
  std::vector<THttpWorkerThread*> FWorkers;  // creation order
  std::vector<THttpWorkerThread*> FEnded;
};

class THttpWorkerThread : public TFSThread {
  BRANTWELL_CLASS(THttpWorkerThread, TFSThread)

 public:
  THttpWorkerThread(THttpThreadPool& pool, const AnsiString& host, const AnsiString& port);
  ~THttpWorkerThread() override;

  THTTPClient& Client() { return *FClient; }

 protected:
  void Execute() override;
  void TerminatedSet() override { Signal(); }

 private:
  friend class THttpThreadPool;
  // The next task of the worker's own queue (or of the pool's), made the current one.
  THttpTask* TakeTask(bool fromPool);
  void RunTask(THttpTask* task);
  void Signal();
  // Waits up to ms for Event; true when it was signalled. Resets it.
  bool WaitForEvent(int ms);
  // Under the pool's lock: true when the worker may end (both queues empty); it then leaves
  // the pool's list for good.
  bool DecideToEnd();

  THttpThreadPool& FPool;
  std::unique_ptr<THTTPClient> FClient;
  TThreadedQueue FQueue;
  THttpTask* FCurrentTask = nullptr;  // guarded by the pool's lock
  int FIdleLimit;
  AnsiString FBoundHost;  // guarded by the pool's lock
  AnsiString FBoundPort;
  std::atomic<bool> FConnected{false};
  std::atomic<bool> FIdle{false};
  std::mutex FEventLock;
  std::condition_variable FEventChanged;
  bool FEventSet = false;  // guarded by FEventLock
};

// The process-wide pool, made on first use and freed when the program ends.
THttpThreadPool& GetHttpThreadPool();
