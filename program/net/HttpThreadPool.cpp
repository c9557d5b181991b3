#include "program/net/HttpThreadPool.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "platform/kernel/DebugOutput.h"
#include "platform/kernel/KernelObject.h"

namespace {

bool SameTextNoCase(const AnsiString& a, const AnsiString& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

void HostAndPort(const AnsiString& url, AnsiString& host, AnsiString& port) {
  AnsiString authority, path, fileName;
  if (!SplitUrl(url, authority, path, fileName, host, port)) host.clear();
  if (port.empty()) port = "80";
}

void ReportException(TObject* sender) {
  if (ApplicationHandleException) {
    try {
      ApplicationHandleException(sender, std::current_exception());
    } catch (...) {
      // The handler's own failure has nowhere to go.
    }
  }
}

}  // namespace

bool MethodMatches(const TMethod& a, const TMethod& b) {
  if (a.Code && b.Code) {
    if (a.Code != b.Code) return false;
    return !a.Data || !b.Data || a.Data == b.Data;
  }
  return a.Data && a.Data == b.Data;
}

// The latest progress of a task and whether a delivery to the GUI thread is on its way. It
// outlives the task while a posted delivery holds it; a cancelled relay delivers nothing.
struct THttpTask::TProgressRelay {
  std::mutex lock;
  int64_t position = 0;  // guarded by lock
  int64_t total = 0;
  bool pending = false;
  std::atomic<bool> cancelled{false};
  THttpProgressEvent handler;
  TObject* sender = nullptr;

  void Feed(int64_t newPosition, int64_t newTotal, const std::shared_ptr<TProgressRelay>& self) {
    bool post = false;
    {
      std::lock_guard guard(lock);
      position = newPosition;
      total = newTotal;
      if (!pending) post = pending = true;
    }
    if (!post) return;
    TThread::Queue(nullptr, [self] {
      int64_t p, t;
      {
        std::lock_guard guard(self->lock);
        p = self->position;
        t = self->total;
        self->pending = false;
      }
      if (!self->cancelled && self->handler) self->handler(self->sender, p, t);
    });
  }
  bool Pending() {
    std::lock_guard guard(lock);
    return pending;
  }
};

THttpTask::THttpTask(const AnsiString& url, const RawByteString& postData, TStream* stream,
                     THttpProgressEvent onProgress, THttpFinishEvent onFinish, int32_t tag)
    : Url(url),
      OnProgress(std::move(onProgress)),
      OnFinish(std::move(onFinish)),
      Tag(tag),
      PostData(postData),
      Stream(stream),
      FRelay(std::make_shared<TProgressRelay>()) {}

THttpTask::~THttpTask() {
  FRelay->cancelled = true;
  if (OwnsStream) delete Stream;
}

void THttpTask::Cancel() {
  FCancelled = true;
  FRelay->cancelled = true;
}

bool THttpTask::IsOwnedBy(const TMethod& owner) const {
  return MethodMatches(owner, OnProgress.Method()) || MethodMatches(owner, OnFinish.Method());
}

bool THttpTask::Transfer(THTTPClient& client) {
  if (Stream) {
    // A rerun starts the target afresh.
    Stream->SetSize(0);
    Stream->SetPosition(0);
    return client.GetToStream(Url, PostData, *Stream);
  }
  if (!FileName.empty()) return client.DownloadToFile(Url, PostData, FileName, UseCache);
  return false;
}

void THttpTask::SynchronizeUnlessCancelled(const std::function<void()>& call) {
  TThread::Synchronize(nullptr, [&] {
    if (!Cancelled()) call();
  });
}

void THttpTask::FlushProgress() {
  if (FRelay->Pending()) TThread::Synchronize(nullptr, [] {});
}

bool THttpTask::Run(THTTPClient& client) {
  Client = &client;
  const THttpProgressEvent saved = client.OnProgress;
  const int64_t savedLimit = client.MaxBodyBytes;
  const bool savedHttps = client.RequireHttps;
  if (MaxBodyBytes > 0) client.MaxBodyBytes = MaxBodyBytes;
  client.RequireHttps = RequireHttps;
  FRelay->handler = OnProgress;
  FRelay->sender = this;
  if (OnProgress) {
    std::weak_ptr<TProgressRelay> weak = FRelay;
    client.OnProgress = [weak](TObject*, int64_t position, int64_t total) {
      if (auto relay = weak.lock()) relay->Feed(position, total, relay);
    };
  } else {
    client.OnProgress = nullptr;
  }
  bool ok = false;
  for (;;) {
    ok = Transfer(client);
    SyncResult = ok ? 0 : 1;
    FlushProgress();
    if (OnFinish && !Cancelled()) SynchronizeUnlessCancelled([this] { OnFinish(this, SyncResult); });
    if (SyncResult != 2 || Cancelled()) break;
  }
  client.OnProgress = saved;
  client.MaxBodyBytes = savedLimit;
  client.RequireHttps = savedHttps;
  Client = nullptr;
  return ok;
}

// ---------------------------------------------------------------------------------------------

THttpWorkerThread::THttpWorkerThread(THttpThreadPool& pool, const AnsiString& host, const AnsiString& port)
    : TFSThread(true),
      FPool(pool),
      FClient(std::make_unique<THTTPClient>()),
      FIdleLimit(pool.IdleLimitMs),
      FBoundHost(host),
      FBoundPort(port) {
  FClient->KeepAlive = true;
  FClient->AcceptCompression = true;
  FClient->Timeout = pool.ClientTimeoutMs;
  // Workers connect within the same time the transfer may take.
  FClient->Connection().Tcp().ConnectTimeout = pool.ClientTimeoutMs;
}

THttpWorkerThread::~THttpWorkerThread() {
  void* item = nullptr;
  while (FQueue.TryPop(item)) delete static_cast<THttpTask*>(item);
}

void THttpWorkerThread::Signal() {
  {
    std::lock_guard guard(FEventLock);
    FEventSet = true;
  }
  FEventChanged.notify_all();
}

bool THttpWorkerThread::WaitForEvent(int ms) {
  std::unique_lock guard(FEventLock);
  FEventChanged.wait_for(guard, std::chrono::milliseconds(ms), [&] { return FEventSet; });
  const bool signalled = FEventSet;
  FEventSet = false;
  return signalled;
}

THttpTask* THttpWorkerThread::TakeTask(bool fromPool) {
  // Taking a task and becoming busy with it are one step for the pool, so a worker never
  // looks free between the two.
  std::lock_guard guard(FPool.FLock);
  void* item = nullptr;
  if (!(fromPool ? FPool.FQueue : FQueue).TryPop(item)) return nullptr;
  auto* task = static_cast<THttpTask*>(item);
  FCurrentTask = task;
  HostAndPort(task->Url, FBoundHost, FBoundPort);
  return task;
}

void THttpWorkerThread::RunTask(THttpTask* task) {
  if (!task->Cancelled()) {
    try {
      task->Run(*FClient);
    } catch (...) {
      // A failing callback costs its task, never the worker.
      ReportException(this);
    }
  }
  // A cancel only marked the client closed and woke its socket: the TLS session and the
  // socket are freed here, on the thread that used them.
  if (task->Cancelled() || FClient->Closed()) FClient->CloseConnection();
  FConnected = FClient->Connection().Connected();
  {
    std::lock_guard guard(FPool.FLock);
    FCurrentTask = nullptr;
  }
  delete task;
}

bool THttpWorkerThread::DecideToEnd() {
  std::lock_guard guard(FPool.FLock);
  if (FQueue.Count() > 0 || FPool.FQueue.Count() > 0) return false;
  auto& workers = FPool.FWorkers;
  const auto found = std::find(workers.begin(), workers.end(), this);
  // Not listed: the pool is being destroyed and frees this worker itself.
  if (found != workers.end()) {
    workers.erase(found);
    FPool.FEnded.push_back(this);
  }
  return true;
}

void THttpWorkerThread::Execute() {
  while (!Terminated()) {
    while (!Terminated()) {
      THttpTask* task = TakeTask(false);
      if (!task) break;
      RunTask(task);
    }
    if (Terminated()) break;
    if (THttpTask* task = TakeTask(true)) {
      RunTask(task);
      continue;
    }
    FIdle = true;
    if (FQueue.Count() == 0) {
      const int keepAlive = FClient->KeepAliveRemaining() * 1000;
      int rest = std::max(FIdleLimit - keepAlive, 0);
      if (keepAlive > 0) {
        if (WaitForEvent(keepAlive)) {
          rest = 0;
        } else {
          // The server's keep-alive time is over.
          FClient->CloseConnection();
          FConnected = false;
        }
      }
      if (rest > 0 && !WaitForEvent(rest) && !Terminated() && DecideToEnd()) {
        FIdle = false;
        return;
      }
    }
    FIdle = false;
  }
}

// ---------------------------------------------------------------------------------------------

// The pool lives in a function-local static and frees its workers' thread handles when the
// process ends: the kernel's handle table must outlive it, so it is made before the pool is
// complete (asking it to close no handle is enough to make it).
THttpThreadPool::THttpThreadPool() { CloseHandle(nullptr); }

THttpThreadPool::~THttpThreadPool() {
  std::vector<THttpWorkerThread*> workers;
  {
    std::lock_guard guard(FLock);
    void* item = nullptr;
    while (FQueue.TryPop(item)) delete static_cast<THttpTask*>(item);
    workers.swap(FWorkers);
    for (THttpWorkerThread* worker : workers) {
      if (worker->FCurrentTask) {
        worker->FCurrentTask->Cancel();
        worker->FClient->Cancel();
      }
      worker->Terminate();
    }
  }
  // Outside the lock: a worker finishing its task takes it once more.
  for (THttpWorkerThread* worker : workers) delete worker;
  std::lock_guard guard(FLock);
  ReapEnded();
}

void THttpThreadPool::ReapEnded() {
  for (THttpWorkerThread* worker : FEnded) delete worker;
  FEnded.clear();
}

int THttpThreadPool::WorkerCount() {
  std::lock_guard guard(FLock);
  return static_cast<int>(FWorkers.size());
}

THttpWorkerThread* THttpThreadPool::FindWorker(const AnsiString& host, const AnsiString& port) {
  for (THttpWorkerThread* worker : FWorkers) {
    const bool free = worker->FQueue.Count() == 0 && !worker->FCurrentTask && !worker->FConnected;
    if (free || (SameTextNoCase(worker->FBoundHost, host) && SameTextNoCase(worker->FBoundPort, port))) return worker;
  }
  if (static_cast<int>(FWorkers.size()) >= MaxWorkers) return nullptr;
  auto* worker = new THttpWorkerThread(*this, host, port);
  FWorkers.push_back(worker);
  return worker;
}

void THttpThreadPool::AddTask(THttpTask* task, bool wake) {
  AnsiString host, port;
  HostAndPort(task->Url, host, port);
  std::lock_guard guard(FLock);
  ReapEnded();
  THttpWorkerThread* worker = FindWorker(host, port);
  if (!worker) {
    FQueue.Push(task);
    // A worker waiting on an open connection to another host takes it now.
    for (THttpWorkerThread* other : FWorkers) {
      if (other->FIdle && other->FQueue.Count() == 0) {
        other->Signal();
        break;
      }
    }
    return;
  }
  worker->FQueue.Push(task);
  if (!wake) return;
  if (worker->Suspended()) {
    worker->Start();
  } else {
    worker->Signal();
  }
}

void THttpThreadPool::CancelTasks(const TMethod& owner) {
  if (!owner.Code && !owner.Data) return;
  std::lock_guard guard(FLock);
  auto removeOwned = [&](TThreadedQueue& queue) {
    TList* list = queue.LockList();
    for (int i = list->Count() - 1; i >= 0; --i) {
      auto* task = static_cast<THttpTask*>(list->Items(i));
      if (task->IsOwnedBy(owner)) {
        list->Delete(i);
        delete task;
      }
    }
    queue.UnlockList();
  };
  removeOwned(FQueue);
  for (THttpWorkerThread* worker : FWorkers) {
    removeOwned(worker->FQueue);
    THttpTask* current = worker->FCurrentTask;
    if (current && current->IsOwnedBy(owner)) {
      if (worker->FQueue.Count() > 0)
        HostAndPort(static_cast<THttpTask*>(worker->FQueue.Peek())->Url, worker->FBoundHost, worker->FBoundPort);
      current->Cancel();
      worker->FClient->Cancel();
    }
    if (!worker->Suspended()) worker->Signal();
  }
}

THttpThreadPool& GetHttpThreadPool() {
  static THttpThreadPool pool;
  return pool;
}
