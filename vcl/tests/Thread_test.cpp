#include "vcl/Thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

using namespace std::chrono_literals;

// Pumps the main thread's synchronised calls until done() holds; fails after 10 seconds
// instead of hanging.
bool PumpUntil(const std::function<bool()>& done) {
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    CheckSynchronize(10);
  }
  return true;
}

class TWorker : public TThread {
  BRANTWELL_CLASS(TWorker, TThread)
 public:
  TWorker(bool suspended, std::function<void(TWorker*)> body, int* destroyed = nullptr)
      : TThread(suspended), m_body(std::move(body)), m_destroyed(destroyed) {}
  ~TWorker() override {
    if (m_destroyed) ++*m_destroyed;
  }
  using TThread::Synchronize;
  using TThread::Queue;
  std::atomic<bool> ran{false};

 protected:
  void Execute() override {
    ran = true;
    if (m_body) m_body(this);
  }

 private:
  std::function<void(TWorker*)> m_body;
  int* m_destroyed;
};

TEST(Thread, SynchronizeAndQueueRunOnTheMainThreadInOrder) {
  std::vector<std::string> seen;
  std::atomic<bool> afterSync{false};
  int wakes = 0;
  WakeMainThread = [&] { ++wakes; };
  auto* worker = TThread::Create<TWorker>(false, [&](TWorker* self) {
    self->Queue([&] { seen.push_back(IsMainThread() ? "queued on main" : "queued elsewhere"); });
    self->Synchronize([&] { seen.push_back(IsMainThread() ? "synced on main" : "synced elsewhere"); });
    afterSync = true;
    self->SetReturnValue(42);
  });
  ASSERT_TRUE(PumpUntil([&] { return worker->Finished(); }));
  EXPECT_EQ(worker->WaitFor(), 42);
  std::vector<std::string> expected = {"queued on main", "synced on main"};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(afterSync);
  EXPECT_GE(wakes, 2);
  WakeMainThread = nullptr;
  delete worker;
}

TEST(Thread, SynchronizeFromTheMainThreadRunsDirectly) {
  bool ran = false;
  TThread::Synchronize(nullptr, [&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(Thread, ExceptionInASynchronisedCallComesBackToTheWorker) {
  std::atomic<bool> caught{false};
  auto* worker = TThread::Create<TWorker>(false, [&](TWorker* self) {
    try {
      self->Synchronize([] { throw EAbort("stop"); });
    } catch (const EAbort&) {
      caught = true;
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return worker->Finished(); }));
  EXPECT_TRUE(caught);
  delete worker;
}

TEST(Thread, WaitForOnTheMainThreadKeepsSynchronisedCallsRunning) {
  // Without pumping inside WaitFor this would deadlock; the test's own 300 s ctest
  // timeout is the watchdog.
  int calls = 0;
  auto* worker = TThread::Create<TWorker>(false, [&](TWorker* self) {
    for (int i = 0; i < 3; ++i) self->Synchronize([&] { ++calls; });
  });
  worker->WaitFor();
  EXPECT_EQ(calls, 3);
  delete worker;
}

TEST(Thread, CreatedSuspendedWaitsForStart) {
  auto* worker = TThread::Create<TWorker>(true, nullptr);
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(worker->ran);
  EXPECT_TRUE(worker->Suspended());
  worker->Start();
  worker->WaitFor();
  EXPECT_TRUE(worker->ran);
  EXPECT_THROW(worker->Start(), EThread);
  delete worker;
}

TEST(Thread, DestroyingAThreadThatNeverStartedDoesNotRunIt) {
  std::atomic<bool> executed{false};
  bool terminated = false;
  int destroyed = 0;
  auto* worker = TThread::Create<TWorker>(true, [&](TWorker*) { executed = true; }, &destroyed);
  worker->OnTerminate = [&](TObject*) { terminated = true; };
  delete worker;  // must not hang
  EXPECT_FALSE(executed);
  EXPECT_TRUE(terminated);  // it still ends the ordinary way, without Execute
  EXPECT_EQ(destroyed, 1);
}

// A worker that sleeps on its own condition until TerminatedSet wakes it, then reads its
// own members: it would see them destroyed if delete ran the subclass's destructor before
// stopping the thread.
class TSleeper : public TThread {
  BRANTWELL_CLASS(TSleeper, TThread)
 public:
  struct Report {
    std::atomic<bool> started{false};
    std::atomic<bool> wokenByTerminate{false};
    std::atomic<bool> sawItsMembersGone{false};
    std::atomic<int> destroyed{0};
  };
  explicit TSleeper(Report* report) : TThread(true), m_report(report) {}
  ~TSleeper() override {
    std::lock_guard guard(m_lock);
    m_alive = false;
    ++m_report->destroyed;
  }

 protected:
  void Execute() override {
    std::unique_lock guard(m_lock);
    m_report->started = true;
    // Ten seconds stand in for "forever": a missing wake-up fails instead of hanging.
    m_report->wokenByTerminate = m_wake.wait_for(guard, 10s, [&] { return Terminated(); });
    m_report->sawItsMembersGone = !m_alive;
  }
  void TerminatedSet() override { m_wake.notify_all(); }

 private:
  Report* m_report;
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_alive = true;
};

TEST(Thread, DeleteStopsARunningThreadBeforeAnyDestructorRuns) {
  for (bool freeOnTerminate : {false, true}) {
    SCOPED_TRACE(freeOnTerminate ? "FreeOnTerminate" : "owned");
    TSleeper::Report report;
    auto* sleeper = TThread::Create<TSleeper>(&report);
    sleeper->SetFreeOnTerminate(freeOnTerminate);
    sleeper->Start();
    while (!report.started) std::this_thread::sleep_for(1ms);
    delete sleeper;
    EXPECT_TRUE(report.wokenByTerminate);
    EXPECT_FALSE(report.sawItsMembersGone);
    EXPECT_EQ(report.destroyed, 1);
  }
}

TEST(Thread, DeleteThroughAUniquePointerOfTheBaseStopsFirstToo) {
  TSleeper::Report report;
  {
    std::unique_ptr<TThread> owner(TThread::Create<TSleeper>(&report));
    owner->Start();
    while (!report.started) std::this_thread::sleep_for(1ms);
  }
  EXPECT_FALSE(report.sawItsMembersGone);
  EXPECT_EQ(report.destroyed, 1);
}

TEST(Thread, FatalExceptionIsKeptAndOnTerminateRunsOnTheMainThread) {
  bool terminatedOnMain = false;
  TObject* sender = nullptr;
  auto* worker = TThread::Create<TWorker>(true, [](TWorker*) { throw EConvertError("bad"); });
  worker->OnTerminate = [&](TObject* s) {
    terminatedOnMain = IsMainThread();
    sender = s;
  };
  worker->Start();
  worker->WaitFor();
  EXPECT_TRUE(terminatedOnMain);
  EXPECT_EQ(sender, worker);
  ASSERT_TRUE(worker->FatalException());
  EXPECT_THROW(std::rethrow_exception(worker->FatalException()), EConvertError);
  delete worker;
}

TEST(Thread, FreeOnTerminateFreesOnceEvenWhenOnTerminateRaises) {
  int destroyed = 0;
  auto* worker = TThread::Create<TWorker>(true, nullptr, &destroyed);
  worker->SetFreeOnTerminate(true);
  worker->OnTerminate = [](TObject*) { throw EAbort("handler fails"); };
  worker->Start();
  ASSERT_TRUE(PumpUntil([&] { return destroyed == 1; }));
}

TEST(Thread, DeletingARunningFreeOnTerminateThreadWaitsAndFreesOnce) {
  int destroyed = 0;
  auto* worker = TThread::Create<TWorker>(false, [](TWorker* self) {
    while (!self->Terminated()) std::this_thread::sleep_for(1ms);
  }, &destroyed);
  worker->SetFreeOnTerminate(true);
  delete worker;
  EXPECT_EQ(destroyed, 1);
}

TEST(Thread, QueuedCallsOfAFreedThreadAreDropped) {
  std::atomic<bool> queued{false};
  bool ran = false;
  auto* worker = TThread::Create<TWorker>(false, [&](TWorker* self) {
    self->Queue([&] { ran = true; });
    queued = true;
  });
  while (!queued) std::this_thread::sleep_for(1ms);
  // Wait for the end without running the queue.
  while (!worker->Finished()) std::this_thread::sleep_for(1ms);
  delete worker;
  CheckSynchronize();
  EXPECT_FALSE(ran);
}

}  // namespace
