#include "platform/kernel/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "platform/kernel/Synch.h"
#include "platform/kernel/TimeApi.h"

namespace {

constexpr DWORD kWatchdogMs = 20000;

struct Shared {
  std::atomic<bool> ran{false};
  std::atomic<DWORD> idSeen{0};
  HANDLE release = nullptr;  // an event the thread waits for, when set
  DWORD exitCode = 0;
  bool useExitThread = false;
};

DWORD Routine(LPVOID parameter) {
  auto* shared = static_cast<Shared*>(parameter);
  shared->idSeen = GetCurrentThreadId();
  shared->ran = true;
  if (shared->release) WaitForSingleObject(shared->release, kWatchdogMs);
  if (shared->useExitThread) ExitThread(shared->exitCode);
  return shared->exitCode;
}

TEST(Threads, SuspendedThreadRunsOnlyWhenItsCountReachesZero) {
  Shared shared;
  shared.exitCode = 17;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, Routine, &shared, CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);

  EXPECT_EQ(SuspendThread(thread), 1u);
  EXPECT_EQ(ResumeThread(thread), 2u);
  Sleep(20);
  EXPECT_FALSE(shared.ran);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  EXPECT_EQ(ResumeThread(thread), 1u);
  ASSERT_EQ(WaitForSingleObject(thread, kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_TRUE(shared.ran);
  EXPECT_EQ(shared.idSeen, id);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 17u);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, ExitCodesFromReturnAndExitThread) {
  for (const bool useExitThread : {false, true}) {
    Shared shared;
    shared.exitCode = useExitThread ? 0xDEAD : 5;
    shared.useExitThread = useExitThread;
    HANDLE thread = CreateThread(nullptr, 0, Routine, &shared, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, kWatchdogMs), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, shared.exitCode);
    CloseHandle(thread);
  }
}

TEST(Threads, ClosingTheHandleDoesNotEndTheThread) {
  Shared shared;
  shared.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  struct Pair {
    Shared* shared;
    HANDLE done;
  } pair{&shared, done};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* pair = static_cast<Pair*>(p);
        Routine(pair->shared);
        SetEvent(pair->done);
        return 0;
      },
      &pair, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(CloseHandle(thread));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  SetEvent(shared.release);
  EXPECT_EQ(WaitForSingleObject(done, kWatchdogMs), WAIT_OBJECT_0);
  CloseHandle(shared.release);
  CloseHandle(done);
}

TEST(Threads, IdsAreStableAndUniqueAmongLiveThreads) {
  const DWORD self = GetCurrentThreadId();
  EXPECT_NE(self, 0u);
  EXPECT_EQ(GetCurrentThreadId(), self);

  constexpr int kThreads = 8;
  std::atomic<DWORD> ids[kThreads];
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread threads[kThreads];
  for (int i = 0; i < kThreads; ++i) {
    threads[i] = std::thread([&, i] {
      ids[i] = GetCurrentThreadId();
      WaitForSingleObject(release, kWatchdogMs);  // all alive at once
      if (GetCurrentThreadId() != ids[i]) ids[i] = 0;
    });
  }
  SetEvent(release);
  for (auto& t : threads) t.join();
  std::set<DWORD> distinct{self};
  for (auto& id : ids) {
    EXPECT_NE(id.load(), 0u);
    distinct.insert(id);
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads + 1));
  CloseHandle(release);
}

TEST(Threads, PrioritiesAreStoredAndChecked) {
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 7));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  EXPECT_EQ(GetThreadPriority(nullptr), THREAD_PRIORITY_ERROR_RETURN);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Threads, SuspendingAnotherRunningThreadIsRefused) {
  Shared shared;
  shared.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, Routine, &shared, 0, nullptr);
  for (int i = 0; i < 20000 && !shared.ran; ++i) Sleep(1);
  ASSERT_TRUE(shared.ran);
  EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  SetEvent(shared.release);
  EXPECT_EQ(WaitForSingleObject(thread, kWatchdogMs), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(shared.release);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
