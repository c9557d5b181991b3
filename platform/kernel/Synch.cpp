#include "platform/kernel/Synch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "platform/kernel/Threads.h"
#include "platform/kernel/Unicode.h"

namespace platform::detail {

std::mutex& DispatcherMutex() {
  // Never destroyed: threads may still end while static objects are torn down.
  static auto* mutex = new std::mutex;
  return *mutex;
}

struct Waiter {
  std::span<const std::shared_ptr<Waitable>> objects;
  bool waitAll = false;
  DWORD threadId = 0;
  std::condition_variable wake;
  bool done = false;
  DWORD result = WAIT_FAILED;
};

// The steps of a wait; every member runs with DispatcherMutex() held.
class WaitOperation {
 public:
  static bool TrySatisfy(Waiter& waiter) {
    const auto& objects = waiter.objects;
    if (!waiter.waitAll) {
      for (size_t i = 0; i < objects.size(); ++i) {
        if (!objects[i]->IsSignalledFor(waiter.threadId)) continue;
        const bool abandoned = objects[i]->Acquire(waiter.threadId);
        waiter.result = (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + static_cast<DWORD>(i);
        return true;
      }
      return false;
    }
    for (const auto& object : objects) {
      if (!object->IsSignalledFor(waiter.threadId)) return false;
    }
    waiter.result = WAIT_OBJECT_0;
    for (size_t i = 0; i < objects.size(); ++i) {
      if (objects[i]->Acquire(waiter.threadId) && waiter.result == WAIT_OBJECT_0) {
        waiter.result = WAIT_ABANDONED_0 + static_cast<DWORD>(i);
      }
    }
    return true;
  }

  static void Register(Waiter& waiter) {
    for (const auto& object : waiter.objects) object->m_waiters.push_back(&waiter);
  }

  static void Unregister(Waiter& waiter) {
    for (const auto& object : waiter.objects) {
      auto& list = object->m_waiters;
      list.erase(std::remove(list.begin(), list.end(), &waiter), list.end());
    }
  }

  static void Wake(Waitable& object) {
    const std::vector<Waiter*> waiters = object.m_waiters;
    for (Waiter* waiter : waiters) {
      if (waiter->done || !TrySatisfy(*waiter)) continue;
      waiter->done = true;
      Unregister(*waiter);
      waiter->wake.notify_one();
    }
  }
};

Waitable::~Waitable() = default;

void Waitable::WakeWaiters() { WaitOperation::Wake(*this); }

DWORD WaitForWaitables(std::span<const std::shared_ptr<Waitable>> objects, bool waitAll, DWORD milliseconds) {
  if (objects.empty() || objects.size() > MAXIMUM_WAIT_OBJECTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  for (size_t i = 0; i < objects.size(); ++i) {
    if (!objects[i]) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // Taking one object twice in a single wait for all cannot be expressed.
    for (size_t j = 0; waitAll && j < i; ++j) {
      if (objects[j] == objects[i]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
      }
    }
  }

  using Clock = std::chrono::steady_clock;
  const bool infinite = milliseconds == INFINITE;
  const auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : milliseconds);

  Waiter waiter;
  waiter.objects = objects;
  waiter.waitAll = waitAll;
  waiter.threadId = GetCurrentThreadId();

  std::unique_lock lock(DispatcherMutex());
  if (WaitOperation::TrySatisfy(waiter)) return waiter.result;
  if (milliseconds == 0) return WAIT_TIMEOUT;

  const bool polling = std::any_of(objects.begin(), objects.end(), [](const auto& o) { return o->NeedsPolling(); });
  constexpr auto kPollInterval = std::chrono::milliseconds(10);
  WaitOperation::Register(waiter);
  while (!waiter.done) {
    if (polling) {
      const auto next = Clock::now() + kPollInterval;
      waiter.wake.wait_until(lock, infinite ? next : std::min(next, deadline));
    } else if (infinite) {
      waiter.wake.wait(lock);
    } else {
      waiter.wake.wait_until(lock, deadline);
    }
    if (waiter.done) break;
    if (polling && WaitOperation::TrySatisfy(waiter)) {
      waiter.done = true;
      break;
    }
    if (!infinite && Clock::now() >= deadline) {
      WaitOperation::Unregister(waiter);
      return WAIT_TIMEOUT;
    }
  }
  WaitOperation::Unregister(waiter);
  return waiter.result;
}

std::shared_ptr<Waitable> GetWaitable(HANDLE handle) {
  if (handle == GetCurrentThread()) return CurrentThreadObject();
  return GetKernelObject<Waitable>(handle);
}

std::string UserRuntimeFolder() {
  std::string folder;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
    folder = std::string(runtime) + "/brantwell";
  } else {
    folder = "/tmp/brantwell-" + std::to_string(getuid());
  }
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // The fallback lives in a shared folder: refuse one that another user made or a link.
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return {};
  return folder;
}

namespace {

// ---- the name space of named objects in this process ----

std::mutex& NamesMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

std::map<std::string, std::weak_ptr<Waitable>>& Names() {
  static auto* names = new std::map<std::string, std::weak_ptr<Waitable>>;
  return *names;
}

// The object of that name, if one is alive. NamesMutex() held.
std::shared_ptr<Waitable> FindNamed(const std::string& name) {
  auto& names = Names();
  const auto it = names.find(name);
  if (it == names.end()) return nullptr;
  auto object = it->second.lock();
  if (!object) names.erase(it);
  return object;
}

std::string NameFromWide(LPCWSTR name) {
  return name ? platform::Utf16ToUtf8(std::u16string_view(name)) : std::string();
}

// ---- the lock file of a named mutex ----

// Makes a file name of a mutex name: the "Global\" and "Local\" name-space prefixes are
// dropped, characters outside [A-Za-z0-9._-] become '_', and a hash of the whole name keeps
// names apart that this would merge.
std::string LockFileName(std::string_view name) {
  for (std::string_view prefix : {"Global\\", "Local\\"}) {
    if (name.substr(0, prefix.size()) == prefix) {
      name.remove_prefix(prefix.size());
      break;
    }
  }
  std::string readable;
  bool changed = false;
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '_' || c == '-';
    readable += plain ? c : '_';
    changed |= !plain;
  }
  constexpr size_t kMaxReadable = 100;
  if (readable.size() > kMaxReadable) {
    readable.resize(kMaxReadable);
    changed = true;
  }
  if (readable.empty() || readable[0] == '.') changed = true;
  if (changed) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : name) hash = (hash ^ c) * 0x100000001b3ull;
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    readable += '-';
    readable += text;
  }
  return "mutex-" + readable;
}

// Byte 0 of the file: a shared lock held by every process that has the name open.
// Byte 1: an exclusive lock held by the process whose thread owns the mutex.
class MutexLockFile {
 public:
  enum class Presence { Created, AlreadyExisted };

  // Opens the lock file of the name. create false: only when another process has the name
  // open. Sets the last error and returns null on failure.
  static std::unique_ptr<MutexLockFile> Open(const std::string& name, bool create, Presence* presence) {
    const std::string folder = UserRuntimeFolder();
    if (folder.empty()) {
      platform::detail::SetLastErrorWithDetail(ERROR_ACCESS_DENIED, "no usable runtime folder for named mutexes");
      return nullptr;
    }
    const std::string path = folder + "/" + LockFileName(name);
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    if (fd < 0) {
      if (!create && errno == ENOENT) {
        SetLastError(ERROR_FILE_NOT_FOUND);
      } else {
        platform::detail::SetLastErrorWithDetail(ERROR_ACCESS_DENIED, "cannot open '" + path + "': " + std::strerror(errno));
      }
      return nullptr;
    }
    auto file = std::unique_ptr<MutexLockFile>(new MutexLockFile(fd));
    // A process that holds the presence byte shared keeps this exclusive attempt out.
    const bool existed = !file->Lock(0, F_WRLCK, false);
    if (!existed && !create) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    // Turns our exclusive presence lock into a shared one, or joins the others' shared lock.
    file->Lock(0, F_RDLCK, true);
    if (presence) *presence = existed ? Presence::AlreadyExisted : Presence::Created;
    return file;
  }

  ~MutexLockFile() { close(m_fd); }

  bool TryLockOwned() { return Lock(1, F_WRLCK, false); }
  void UnlockOwned() { Lock(1, F_UNLCK, false); }

 private:
  explicit MutexLockFile(int fd) : m_fd(fd) {}

  bool Lock(off_t byte, short type, bool block) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    for (;;) {
      if (fcntl(m_fd, block ? F_OFD_SETLKW : F_OFD_SETLK, &range) == 0) return true;
      if (errno != EINTR) return false;
    }
  }

  int m_fd;
};

// ---- events, semaphores, mutexes ----

class EventObject final : public Waitable {
 public:
  EventObject(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

  bool IsSignalledFor(DWORD) override { return m_signalled; }
  bool Acquire(DWORD) override {
    if (!m_manualReset) m_signalled = false;
    return false;
  }

  void Set() {
    m_signalled = true;
    WakeWaiters();
  }
  void Reset() { m_signalled = false; }
  // Releases the threads waiting now (one for an auto-reset event), then resets.
  void Pulse() {
    m_signalled = true;
    WakeWaiters();
    m_signalled = false;
  }

 private:
  const bool m_manualReset;
  bool m_signalled;
};

class SemaphoreObject final : public Waitable {
 public:
  SemaphoreObject(LONG count, LONG maximum) : m_count(count), m_maximum(maximum) {}

  bool IsSignalledFor(DWORD) override { return m_count > 0; }
  bool Acquire(DWORD) override {
    --m_count;
    return false;
  }

  // False when the count would pass the maximum.
  bool Release(LONG count, LONG* previous) {
    if (count > m_maximum - m_count) return false;
    if (previous) *previous = m_count;
    m_count += count;
    WakeWaiters();
    return true;
  }

 private:
  LONG m_count;
  const LONG m_maximum;
};

class MutexObject;

// Every live mutex, so that a thread's end can abandon the ones it owns. DispatcherMutex() held.
std::vector<MutexObject*>& LiveMutexes() {
  static auto* mutexes = new std::vector<MutexObject*>;
  return *mutexes;
}

class MutexObject final : public Waitable {
 public:
  explicit MutexObject(std::unique_ptr<MutexLockFile> lockFile) : m_lockFile(std::move(lockFile)) {
    std::lock_guard lock(DispatcherMutex());
    LiveMutexes().push_back(this);
  }

  ~MutexObject() override {
    std::lock_guard lock(DispatcherMutex());
    auto& mutexes = LiveMutexes();
    mutexes.erase(std::remove(mutexes.begin(), mutexes.end(), this), mutexes.end());
  }

  bool IsSignalledFor(DWORD threadId) override {
    if (m_owner != 0) return m_owner == threadId;
    if (!m_lockFile || m_holdsFileLock) return true;
    m_holdsFileLock = m_lockFile->TryLockOwned();
    return m_holdsFileLock;
  }

  bool Acquire(DWORD threadId) override {
    m_owner = threadId;
    ++m_recursion;
    const bool abandoned = m_abandoned;
    m_abandoned = false;
    return abandoned;
  }

  bool NeedsPolling() const override { return m_lockFile != nullptr; }

  // Takes the mutex for a thread if it is free now (initial ownership).
  bool TryTake(DWORD threadId) {
    if (!IsSignalledFor(threadId)) return false;
    Acquire(threadId);
    return true;
  }

  bool Release(DWORD threadId) {
    if (m_owner != threadId || m_owner == 0) return false;
    if (--m_recursion == 0) Free(false);
    return true;
  }

  void AbandonIfOwnedBy(DWORD threadId) {
    if (m_owner == threadId) Free(true);
  }

 private:
  void Free(bool abandoned) {
    m_owner = 0;
    m_recursion = 0;
    m_abandoned = abandoned;
    if (m_holdsFileLock) {
      m_lockFile->UnlockOwned();
      m_holdsFileLock = false;
    }
    WakeWaiters();
  }

  std::unique_ptr<MutexLockFile> m_lockFile;  // named mutexes only
  DWORD m_owner = 0;
  LONG m_recursion = 0;
  bool m_abandoned = false;
  bool m_holdsFileLock = false;
};

// Looks up a named object of type T for a Create call. Sets ERROR_ALREADY_EXISTS and returns a
// new handle to it when it exists; ERROR_INVALID_HANDLE when the name belongs to another kind.
// NamesMutex() held.
template <typename T>
bool OpenExisting(const std::string& name, HANDLE* result) {
  auto existing = FindNamed(name);
  if (!existing) return false;
  if (!std::dynamic_pointer_cast<T>(existing)) {
    SetLastError(ERROR_INVALID_HANDLE);
    *result = nullptr;
    return true;
  }
  *result = AddKernelObject(std::move(existing));
  SetLastError(ERROR_ALREADY_EXISTS);
  return true;
}

HANDLE CreateEventNamed(bool manualReset, bool initialState, const std::string* name) {
  std::lock_guard names(NamesMutex());
  HANDLE handle = nullptr;
  if (name && OpenExisting<EventObject>(*name, &handle)) return handle;
  auto event = std::make_shared<EventObject>(manualReset, initialState);
  if (name) Names()[*name] = event;
  SetLastError(ERROR_SUCCESS);
  return AddKernelObject(std::move(event));
}

HANDLE CreateSemaphoreNamed(LONG initialCount, LONG maximumCount, const std::string* name) {
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard names(NamesMutex());
  HANDLE handle = nullptr;
  if (name && OpenExisting<SemaphoreObject>(*name, &handle)) return handle;
  auto semaphore = std::make_shared<SemaphoreObject>(initialCount, maximumCount);
  if (name) Names()[*name] = semaphore;
  SetLastError(ERROR_SUCCESS);
  return AddKernelObject(std::move(semaphore));
}

HANDLE CreateMutexNamed(bool initialOwner, const std::string* name) {
  std::lock_guard names(NamesMutex());
  HANDLE handle = nullptr;
  if (name && OpenExisting<MutexObject>(*name, &handle)) return handle;

  std::unique_ptr<MutexLockFile> lockFile;
  auto presence = MutexLockFile::Presence::Created;
  if (name) {
    lockFile = MutexLockFile::Open(*name, true, &presence);
    if (!lockFile) return nullptr;
  }
  auto mutex = std::make_shared<MutexObject>(std::move(lockFile));
  // As with any existing named mutex, initial ownership is not granted when another process
  // already has the name.
  const bool existed = presence == MutexLockFile::Presence::AlreadyExisted;
  if (initialOwner && !existed) {
    std::lock_guard lock(DispatcherMutex());
    mutex->TryTake(GetCurrentThreadId());
  }
  if (name) Names()[*name] = mutex;
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return AddKernelObject(std::move(mutex));
}

HANDLE OpenMutexNamed(const std::string& name) {
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard names(NamesMutex());
  if (auto existing = FindNamed(name)) {
    if (!std::dynamic_pointer_cast<MutexObject>(existing)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    return AddKernelObject(std::move(existing));
  }
  auto lockFile = MutexLockFile::Open(name, false, nullptr);
  if (!lockFile) return nullptr;
  auto mutex = std::make_shared<MutexObject>(std::move(lockFile));
  Names()[name] = mutex;
  return AddKernelObject(std::move(mutex));
}

// Runs an operation on the object behind a handle of kind T with the dispatcher held.
template <typename T, typename Operation>
BOOL WithObject(HANDLE handle, Operation operation) {
  auto object = GetKernelObject<T>(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(DispatcherMutex());
  return operation(*object);
}

std::recursive_mutex& SectionLock(LPCRITICAL_SECTION section) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->Storage));
}

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::Storage));
static_assert(alignof(std::recursive_mutex) <= 8);

}  // namespace

void AbandonMutexesOwnedBy(DWORD threadId) {
  // Freeing wakes waiters, which never adds or removes mutexes; a copy keeps it simple.
  const std::vector<MutexObject*> mutexes = LiveMutexes();
  for (MutexObject* mutex : mutexes) mutex->AbandonIfOwnedBy(threadId);
}

}  // namespace platform::detail

using namespace platform::detail;

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<Waitable>> objects;
  objects.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    auto object = GetWaitable(handles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }
  return WaitForWaitables(objects, waitAll != FALSE, milliseconds);
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  const std::string text = name ? name : "";
  return CreateEventNamed(manualReset != FALSE, initialState != FALSE, name && *name ? &text : nullptr);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  const std::string text = NameFromWide(name);
  return CreateEventNamed(manualReset != FALSE, initialState != FALSE, text.empty() ? nullptr : &text);
}

BOOL SetEvent(HANDLE event) {
  return WithObject<EventObject>(event, [](EventObject& e) { return e.Set(), TRUE; });
}

BOOL ResetEvent(HANDLE event) {
  return WithObject<EventObject>(event, [](EventObject& e) { return e.Reset(), TRUE; });
}

BOOL PulseEvent(HANDLE event) {
  return WithObject<EventObject>(event, [](EventObject& e) { return e.Pulse(), TRUE; });
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  const std::string text = name ? name : "";
  return CreateMutexNamed(initialOwner != FALSE, name && *name ? &text : nullptr);
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
  const std::string text = NameFromWide(name);
  return CreateMutexNamed(initialOwner != FALSE, text.empty() ? nullptr : &text);
}

HANDLE OpenMutexA(DWORD, BOOL, LPCSTR name) { return OpenMutexNamed(name ? name : ""); }

HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR name) { return OpenMutexNamed(NameFromWide(name)); }

BOOL ReleaseMutex(HANDLE mutex) {
  const DWORD self = GetCurrentThreadId();
  return WithObject<MutexObject>(mutex, [self](MutexObject& m) {
    if (m.Release(self)) return TRUE;
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  });
}

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCSTR name) {
  const std::string text = name ? name : "";
  return CreateSemaphoreNamed(initialCount, maximumCount, name && *name ? &text : nullptr);
}

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCWSTR name) {
  const std::string text = NameFromWide(name);
  return CreateSemaphoreNamed(initialCount, maximumCount, text.empty() ? nullptr : &text);
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount) {
  if (releaseCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WithObject<SemaphoreObject>(semaphore, [&](SemaphoreObject& s) {
    if (s.Release(releaseCount, previousCount)) return TRUE;
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  });
}

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  section->OwningThread = 0;
  section->RecursionCount = 0;
  new (section->Storage) std::recursive_mutex;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD) {
  InitializeCriticalSection(section);
  return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  SectionLock(section).lock();
  std::atomic_ref(section->OwningThread).store(GetCurrentThreadId(), std::memory_order_relaxed);
  ++section->RecursionCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  if (!SectionLock(section).try_lock()) return FALSE;
  std::atomic_ref(section->OwningThread).store(GetCurrentThreadId(), std::memory_order_relaxed);
  ++section->RecursionCount;
  return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (std::atomic_ref(section->OwningThread).load(std::memory_order_relaxed) != GetCurrentThreadId()) return;
  if (--section->RecursionCount == 0) std::atomic_ref(section->OwningThread).store(0, std::memory_order_relaxed);
  SectionLock(section).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  SectionLock(section).~recursive_mutex();
  section->OwningThread = 0;
  section->RecursionCount = 0;
}
