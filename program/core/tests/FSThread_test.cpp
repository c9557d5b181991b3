#include "program/core/FSThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "program/core/ThreadedQueue.h"

namespace {

using namespace std::chrono_literals;

// Waits up to ten seconds for a condition, so a hang fails instead of blocking the run.
template <class Condition> bool WaitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

std::atomic<int> g_destroyed{0};
// Set when Execute found its own object already destroyed.
std::atomic<bool> g_executeOutlivedItsObject{false};

// Runs until released (or terminated), counting its runs; optionally raises.
class TTestThread : public TFSThread {
 public:
  TTestThread(bool suspended, std::atomic<bool>* release, bool raise = false)
      : TFSThread(suspended), m_release(release), m_raise(raise) {}
  ~TTestThread() override {
    m_alive = false;
    ++g_destroyed;
  }

  std::atomic<int> runs{0};

 protected:
  void Execute() override {
    ++runs;
    while (m_release && !*m_release && !Terminated()) std::this_thread::sleep_for(1ms);
    if (!m_alive) g_executeOutlivedItsObject = true;
    SetReturnValue(42);
    if (m_raise) throw EAbort("stopped in Execute");
  }

 private:
  std::atomic<bool>* m_release;
  bool m_raise;
  std::atomic<bool> m_alive{true};
};

TEST(FSThreadTest, RunsExecuteOnceAndKeepsItsFailure) {
  TTestThread* thread = TThread::Create<TTestThread>(false, nullptr, true);
  EXPECT_EQ(thread->WaitFor(), 42);
  EXPECT_TRUE(thread->Finished());
  EXPECT_EQ(thread->runs, 1);
  ASSERT_TRUE(thread->FatalException());
  EXPECT_THROW(std::rethrow_exception(thread->FatalException()), EAbort);
  EXPECT_NE(thread->ThreadID(), 0u);
  delete thread;
}

TEST(FSThreadTest, SuspendedThreadWaitsForStart) {
  TTestThread* thread = TThread::Create<TTestThread>(true, nullptr);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(thread->runs, 0);
  EXPECT_FALSE(thread->Finished());
  thread->Start();
  thread->WaitFor();
  EXPECT_EQ(thread->runs, 1);
  delete thread;

  // Deleted before it ever ran: it ends without Execute.
  TTestThread* never = TThread::Create<TTestThread>(true, nullptr);
  delete never;
}

TEST(FSThreadTest, FreeOnTerminateFreesOnceEvenWhenTheHandlerRaises) {
  std::atomic<int> reported{0};
  ApplicationHandleException = [&](TObject* sender, std::exception_ptr error) {
    EXPECT_NE(sender, nullptr);
    EXPECT_THROW(std::rethrow_exception(error), EAbort);
    ++reported;
  };
  g_destroyed = 0;
  std::atomic<bool> release{false};
  TTestThread* thread = TThread::Create<TTestThread>(true, &release);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = [](TObject*) { throw EAbort("handler failed"); };
  thread->Start();
  release = true;
  // OnTerminate runs on the GUI thread (this one) through Synchronize.
  EXPECT_TRUE(WaitUntil([&] {
    CheckSynchronize();
    return g_destroyed.load() == 1;
  }));
  EXPECT_EQ(reported, 1);
  ApplicationHandleException = nullptr;
}

TEST(FSThreadTest, DeletingARunningFreeOnTerminateThreadWaitsAndFreesOnce) {
  g_destroyed = 0;
  g_executeOutlivedItsObject = false;
  std::atomic<bool> release{false};
  TTestThread* thread = TThread::Create<TTestThread>(false, &release);
  thread->SetFreeOnTerminate(true);
  ASSERT_TRUE(WaitUntil([&] { return thread->runs.load() == 1; }));
  delete thread;  // terminates it, waits for its end, frees it here
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_FALSE(g_executeOutlivedItsObject);  // stopped before its destructor ran
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(g_destroyed, 1);
}

TEST(ThreadedQueueTest, FirstInFirstOut) {
  TThreadedQueue queue;
  int a = 1, b = 2;
  EXPECT_EQ(queue.Push(&a), &a);
  queue.Push(&b);
  EXPECT_EQ(queue.Peek(), &a);
  EXPECT_EQ(queue.Count(), 2);
  TList* list = queue.LockList();
  EXPECT_EQ(list->Items(0), &b);  // newest first
  EXPECT_EQ(queue.Count(), 2);    // re-entrant for the holder
  queue.UnlockList();
  EXPECT_EQ(queue.Pop(), &a);
  EXPECT_EQ(queue.Pop(), &b);
  try {
    queue.Pop();
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (-1)");
  }
  EXPECT_THROW(queue.Peek(), EListError);
  void* item = nullptr;
  EXPECT_FALSE(queue.TryPop(item));

  queue.Push(&a);
  queue.Push(&a);
  queue.Pop();
  EXPECT_TRUE(queue.Contains(&a));
  EXPECT_FALSE(queue.Contains(&b));
  queue.Clear();  // the items themselves are not touched
  EXPECT_EQ(queue.Count(), 0);
  EXPECT_EQ(a, 1);
}

// Consumers that test and take in one step never take an item twice or miss one.
TEST(ThreadedQueueTest, ConcurrentProducersAndConsumers) {
  TThreadedQueue queue;
  constexpr int kPerProducer = 5000;
  std::vector<int> values(2 * kPerProducer);
  std::atomic<int> taken{0};
  std::vector<std::atomic<int>> seen(values.size());
  auto produce = [&](int offset) {
    for (int i = 0; i < kPerProducer; ++i) queue.Push(&values[offset + i]);
  };
  auto consume = [&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (taken.load() < static_cast<int>(values.size()) && std::chrono::steady_clock::now() < deadline) {
      void* item = nullptr;
      if (queue.TryPop(item)) {
        ++seen[static_cast<int*>(item) - values.data()];
        ++taken;
      }
    }
  };
  std::thread producers[] = {std::thread(produce, 0), std::thread(produce, kPerProducer)};
  std::thread consumers[] = {std::thread(consume), std::thread(consume), std::thread(consume)};
  for (auto& t : producers) t.join();
  for (auto& t : consumers) t.join();
  EXPECT_EQ(taken.load(), static_cast<int>(values.size()));
  for (auto& count : seen) EXPECT_EQ(count.load(), 1);
}

}  // namespace
