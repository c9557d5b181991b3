#pragma once

// Waits, events, mutexes, semaphores and critical sections.
//
// Every waitable kernel object (events, mutexes, semaphores, threads) derives from
// platform::detail::Waitable. All waitable state is guarded by one dispatcher mutex, so a
// wait for several objects sees and takes them atomically. A waiting thread registers a
// Waiter with each object it waits for; whoever makes an object signalled completes the
// waits it can, in the order they began (so an auto-reset event or a semaphore count goes
// to the longest waiter, and PulseEvent releases exactly the threads waiting at that time).
//
// Named mutexes are process-wide locks: a lock file under the user's runtime folder
// carries a shared "exists" lock for every process that has the name open, and an
// exclusive "owned" lock for the process whose thread owns it. Other named objects live in
// this process's own name space.

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/WinError.h"
#include "platform/kernel/WinTypes.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_ABANDONED_0 = 0x80;
constexpr DWORD WAIT_IO_COMPLETION = 0xC0;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;
constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;
constexpr DWORD SEMAPHORE_ALL_ACCESS = 0x001F0003;

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
BOOL PulseEvent(HANDLE event);

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
HANDLE OpenMutexA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount, LPCSTR name);
HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount, LPCWSTR name);
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount);

// A re-entrant lock in a record the caller owns. Our own layout: the owner and recursion
// count are readable for diagnostics; the lock itself lives in Storage.
struct CRITICAL_SECTION {
  DWORD OwningThread;   // GetCurrentThreadId of the owner, 0 when free
  LONG RecursionCount;  // how often the owner entered it
  alignas(8) unsigned char Storage[48];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
// Leaving a section the calling thread does not own does nothing.
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

namespace platform::detail {

struct Waiter;

// The base of every object a thread can wait for. Every virtual member is called with
// DispatcherMutex() held. The window manager derives its "queue has input" object from it
// and waits for it together with the caller's handles through WaitForWaitables, which is
// how MsgWaitForMultipleObjects is built.
class Waitable : public KernelObject {
 public:
  ~Waitable() override;

  // True when a wait by this thread would be satisfied now.
  virtual bool IsSignalledFor(DWORD threadId) = 0;
  // Takes the object for the thread whose wait it satisfies (resets an auto-reset event,
  // counts a semaphore down, makes the thread a mutex's owner). Returns true when the wait
  // completes as abandoned.
  virtual bool Acquire(DWORD /*threadId*/) { return false; }
  // True when the state can change without a signal in this process (a named mutex owned
  // by another process); waiters then look again every few milliseconds.
  virtual bool NeedsPolling() const { return false; }

  // Completes the waits this object can satisfy now, oldest first. Call with
  // DispatcherMutex() held after the object became signalled.
  void WakeWaiters();

 private:
  friend class WaitOperation;
  std::vector<Waiter*> m_waiters;
};

std::mutex& DispatcherMutex();

// Waits for the objects as WaitForMultipleObjects does and returns the same codes.
// Sets ERROR_INVALID_PARAMETER for an empty or too long list, or a duplicate in a wait for all.
DWORD WaitForWaitables(std::span<const std::shared_ptr<Waitable>> objects, bool waitAll, DWORD milliseconds);

// The waitable object behind a handle (the current thread's pseudo handle included), or null.
std::shared_ptr<Waitable> GetWaitable(HANDLE handle);

// The calling thread's own thread object (what the GetCurrentThread pseudo handle means).
std::shared_ptr<Waitable> CurrentThreadObject();

// Gives up every mutex the thread still owns: each becomes free and its next wait returns
// WAIT_ABANDONED. Called with DispatcherMutex() held when a thread ends.
void AbandonMutexesOwnedBy(DWORD threadId);

// The folder for this user's process-wide locks and sockets: $XDG_RUNTIME_DIR/brantwell, or
// /tmp/brantwell-<uid>. Created (mode 0700) when missing; empty when it cannot be made or
// belongs to someone else.
std::string UserRuntimeFolder();

}  // namespace platform::detail
