#include "platform/kernel/Synch.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/kernel/Threads.h"
#include "platform/kernel/TimeApi.h"

namespace {

// Generous bound for waits that must succeed: a hang fails instead of blocking the run.
constexpr DWORD kWatchdogMs = 20000;

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() {
    if (value) CloseHandle(value);
  }
  operator HANDLE() const { return value; }
};

// Runs a routine on a thread made with CreateThread and returns its handle.
template <typename Body>
HANDLE Spawn(Body* body) {
  return CreateThread(nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<Body*>(p))(); }, body, 0, nullptr);
}

TEST(Events, ResetModesAndInitialState) {
  struct Case {
    BOOL manualReset;
    BOOL initialState;
    DWORD firstWait;
    DWORD secondWait;
  };
  const Case cases[] = {
      {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},  // stays set
      {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},  // one wait consumes it
      {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
      {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "manual " << c.manualReset << " initial " << c.initialState);
    Handle event(CreateEventA(nullptr, c.manualReset, c.initialState, nullptr));
    ASSERT_NE(event.value, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(event, 10), c.secondWait);
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  }
}

TEST(Events, WaitReturnsOnlyAfterAnotherThreadSetsTheEvent) {
  Handle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  std::atomic<bool> setCalled{false};
  std::thread setter([&] {
    Sleep(30);
    setCalled = true;
    SetEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_TRUE(setCalled);
  setter.join();
}

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
  Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  std::atomic<int> released{0};
  auto waiter = [&] {
    if (WaitForSingleObject(event, kWatchdogMs) == WAIT_OBJECT_0) ++released;
  };
  std::thread a(waiter), b(waiter);
  Sleep(30);
  SetEvent(event);
  for (int i = 0; i < 2000 && released < 1; ++i) Sleep(1);
  Sleep(30);
  EXPECT_EQ(released, 1);
  SetEvent(event);
  a.join();
  b.join();
  EXPECT_EQ(released, 2);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Events, PulseReleasesCurrentWaitersAndLeavesTheEventReset) {
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(PulseEvent(event));  // nobody waits: nothing is remembered
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

  std::atomic<int> released{0};
  std::thread a([&] { released += WaitForSingleObject(event, kWatchdogMs) == WAIT_OBJECT_0; });
  std::thread b([&] { released += WaitForSingleObject(event, kWatchdogMs) == WAIT_OBJECT_0; });
  // Pulse until both waiters were there to be released (a waiter may register late).
  for (int i = 0; i < 2000 && released < 2; ++i) {
    PulseEvent(event);
    Sleep(1);
  }
  a.join();
  b.join();
  EXPECT_EQ(released, 2);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Waits, WaitAnyAndWaitAll) {
  Handle first(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  Handle second(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const HANDLE both[] = {first, second};

  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
  SetEvent(second);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  SetEvent(first);
  SetEvent(second);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);  // lowest index wins

  // Wait for all takes nothing while one is missing, then both at once.
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // still set after the failed wait
  SetEvent(second);
  std::thread setter([&] {
    Sleep(20);
    SetEvent(first);
  });
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, kWatchdogMs), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);  // both auto-reset consumed
}

TEST(Waits, BadArgumentsFail) {
  Handle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  HANDLE stale = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(stale);

  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(stale, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  const HANDLE twice[] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetEvent(stale));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Mutexes, OwnershipIsRecursiveAndOnlyTheOwnerReleases) {
  Handle mutex(CreateMutexA(nullptr, TRUE, nullptr));
  ASSERT_NE(mutex.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // owner enters again

  std::atomic<DWORD> otherWait{0};
  std::atomic<BOOL> otherRelease{TRUE};
  std::atomic<DWORD> otherError{0};
  std::thread other([&] {
    otherWait = WaitForSingleObject(mutex, 10);
    otherRelease = ReleaseMutex(mutex);
    otherError = GetLastError();
  });
  other.join();
  EXPECT_EQ(otherWait, WAIT_TIMEOUT);
  EXPECT_FALSE(otherRelease);
  EXPECT_EQ(otherError, ERROR_NOT_OWNER);

  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

  std::thread taker([&] { otherWait = WaitForSingleObject(mutex, 0); ReleaseMutex(mutex); });
  taker.join();
  EXPECT_EQ(otherWait, WAIT_OBJECT_0);
}

TEST(Mutexes, OwnerThreadEndingAbandonsTheMutex) {
  Handle mutex(CreateMutexA(nullptr, FALSE, nullptr));
  auto body = [&]() -> DWORD { return WaitForSingleObject(mutex, 0); };
  Handle thread(Spawn(&body));
  ASSERT_EQ(WaitForSingleObject(thread, kWatchdogMs), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  ASSERT_EQ(code, WAIT_OBJECT_0);

  EXPECT_EQ(WaitForSingleObject(mutex, kWatchdogMs), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));  // the abandoned wait made us the owner
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // abandonment is reported once
  ReleaseMutex(mutex);

  // In a wait for several objects, the index of the abandoned mutex comes back.
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::thread owner([&] { WaitForSingleObject(mutex, 0); });
  owner.join();
  const HANDLE handles[] = {event, mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, kWatchdogMs), WAIT_ABANDONED_0 + 1);
  ReleaseMutex(mutex);
}

// Named mutexes are lock files in the user's runtime folder, and they stay when the last
// handle goes (a file that any process may be about to lock cannot be removed safely). The
// tests name theirs after the process, so they remove the files they made; declared before
// the handles, the guard goes after them.
struct RemoveLockFilesOfThisProcess {
  ~RemoveLockFilesOfThisProcess() {
    const std::string marker = "test";
    const std::string pid = std::to_string(getpid());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(platform::detail::UserRuntimeFolder(), error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("mutex-", 0) == 0 && name.find(marker) != std::string::npos && name.find(pid) != std::string::npos)
        std::filesystem::remove(entry.path(), error);
    }
  }
};

TEST(Mutexes, NamesAreSharedInTheProcess) {
  RemoveLockFilesOfThisProcess removeLockFiles;
  const std::string name = "brantwell-test-local-" + std::to_string(getpid());
  Handle first(CreateMutexA(nullptr, TRUE, name.c_str()));
  ASSERT_NE(first.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  Handle second(CreateMutexA(nullptr, TRUE, name.c_str()));
  ASSERT_NE(second.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  Handle opened(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
  EXPECT_NE(opened.value, nullptr);

  // One mutex behind all three handles, owned by this thread through the first.
  std::atomic<DWORD> otherWait{0};
  std::thread other([&] { otherWait = WaitForSingleObject(opened, 0); });
  other.join();
  EXPECT_EQ(otherWait, WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(second));
  EXPECT_FALSE(ReleaseMutex(first));

  EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, name.c_str()), nullptr);  // a mutex's name
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, ("no-such-" + name).c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// Reads one byte with a time limit; false on timeout or a closed pipe.
bool ReadByte(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  char byte;
  return poll(&p, 1, timeoutMs) == 1 && read(fd, &byte, 1) == 1;
}

TEST(Mutexes, NamedMutexIsExclusiveAcrossProcesses) {
  RemoveLockFilesOfThisProcess removeLockFiles;
  const std::string name = "Global\\brantwell test/cross " + std::to_string(getpid());
  int toParent[2], toChild[2];
  ASSERT_EQ(pipe(toParent), 0);
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(30);  // watchdog: never outlive a broken parent
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    const bool created = mutex && GetLastError() == ERROR_SUCCESS;
    if (write(toParent[1], created ? "r" : "x", 1) != 1) _exit(2);
    ReadByte(toChild[0], 25000);
    ReleaseMutex(mutex);
    _exit(created ? 0 : 1);
  }
  close(toParent[1]);
  close(toChild[0]);
  ASSERT_TRUE(ReadByte(toParent[0], 20000));

  Handle mutex(CreateMutexA(nullptr, TRUE, name.c_str()));
  ASSERT_NE(mutex.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);  // held by the child
  EXPECT_EQ(WaitForSingleObject(mutex, 30), WAIT_TIMEOUT);
  EXPECT_FALSE(ReleaseMutex(mutex));  // initial ownership was not granted

  ASSERT_EQ(write(toChild[1], "g", 1), 1);
  EXPECT_EQ(WaitForSingleObject(mutex, kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(toParent[0]);
  close(toChild[1]);
}

TEST(Semaphores, CountsAndLimits) {
  Handle semaphore(CreateSemaphoreA(nullptr, 1, 2, nullptr));
  ASSERT_NE(semaphore.value, nullptr);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 10), WAIT_TIMEOUT);

  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);

  struct Bad {
    LONG initial, maximum;
  };
  for (const Bad bad : {Bad{0, 0}, Bad{-1, 3}, Bad{4, 3}}) {
    EXPECT_EQ(CreateSemaphoreA(nullptr, bad.initial, bad.maximum, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(CriticalSections, RecursiveAndExclusive) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  EXPECT_EQ(section.RecursionCount, 2);
  EXPECT_EQ(section.OwningThread, GetCurrentThreadId());

  std::atomic<BOOL> entered{TRUE};
  std::thread other([&] {
    entered = TryEnterCriticalSection(&section);
    LeaveCriticalSection(&section);  // not the owner: ignored
  });
  other.join();
  EXPECT_FALSE(entered);
  EXPECT_EQ(section.RecursionCount, 2);

  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_EQ(section.OwningThread, 0u);
  std::thread later([&] {
    entered = TryEnterCriticalSection(&section);
    if (entered) LeaveCriticalSection(&section);
  });
  later.join();
  EXPECT_TRUE(entered);
  DeleteCriticalSection(&section);
}

}  // namespace
