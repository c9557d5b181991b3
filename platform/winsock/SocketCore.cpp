#include "platform/winsock/SocketCore.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/kernel/HandleTable.h"

namespace platform::detail::sockets {

namespace {

using Clock = std::chrono::steady_clock;

// One socket. The descriptor is always non-blocking; `nonBlocking` is the caller's mode.
// Calls hold a shared_ptr while inside, so the descriptors close (in the destructor) only
// once closesocket has removed the handle and the last call has left.
struct SocketObject {
  int fd = -1;
  int wake = -1;  // eventfd, made readable for good by closesocket
  std::atomic<bool> closed{false};
  std::atomic<bool> nonBlocking{false};
  std::atomic<bool> sendShut{false};
  std::atomic<uint32_t> sendTimeoutMs{0};
  std::atomic<uint32_t> receiveTimeoutMs{0};

  std::mutex mutex;  // guards the fields below
  bool connectPending = false;  // a non-blocking connect not yet seen by select
  int pendingError = 0;         // a failed connect's errno, until SO_ERROR reads it
  int sendBuffer = -1, receiveBuffer = -1;  // as set, -1 = the system's
  uint32_t linger = 0;

  ~SocketObject() {
    if (fd >= 0) ::close(fd);
    if (wake >= 0) ::close(wake);
  }
};

HandleTable<SocketObject>& Table() {
  static auto* table = new HandleTable<SocketObject>(handle_tags::kSocket);
  return *table;
}

std::mutex g_startMutex;
int g_startCount = 0;  // guarded by g_startMutex

int Fail(int* error, int code) {
  *error = code;
  return -1;
}

std::shared_ptr<SocketObject> Lookup(uintptr_t socket, int* error) {
  if (!Started()) {
    *error = kNotInitialised;
    return nullptr;
  }
  auto object = Table().Get(socket);
  if (!object) *error = ENOTSOCK;
  return object;
}

void Wake(SocketObject& object) {
  object.closed = true;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(object.wake, &one, sizeof one);
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

Clock::time_point DeadlineAfter(uint32_t timeoutMs) {
  return timeoutMs == 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Waits until the descriptor shows one of `events`, the deadline passes (ETIMEDOUT) or the
// socket is closed by another thread (EINTR). Returns the descriptor's events, or -1.
int WaitFor(SocketObject& object, short events, Clock::time_point deadline, int* error) {
  for (;;) {
    if (object.closed) return Fail(error, EINTR);
    pollfd fds[2] = {{object.fd, events, 0}, {object.wake, POLLIN, 0}};
    const int ms = deadline == Clock::time_point::max() ? -1 : RemainingMs(deadline);
    const int ready = ::poll(fds, 2, ms);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return Fail(error, errno);
    }
    if (fds[1].revents != 0 || object.closed) return Fail(error, EINTR);
    if (ready == 0) {
      if (ms == 0 || Clock::now() >= deadline) return Fail(error, ETIMEDOUT);
      continue;
    }
    if (fds[0].revents != 0) return fds[0].revents;
  }
}

int SocketError(int fd) {
  int value = 0;
  socklen_t length = sizeof value;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &value, &length) != 0) return errno;
  return value;
}

int PosixFamily(Family family) {
  switch (family) {
    case Family::Inet: return AF_INET;
    case Family::Inet6: return AF_INET6;
    default: return -1;
  }
}

Family FromPosixFamily(int family) {
  if (family == AF_INET) return Family::Inet;
  if (family == AF_INET6) return Family::Inet6;
  return Family::Unspecified;
}

}  // namespace

void Startup() {
  std::lock_guard lock(g_startMutex);
  ++g_startCount;
}

bool Cleanup() {
  std::unique_lock lock(g_startMutex);
  if (g_startCount == 0) return false;
  if (--g_startCount > 0) return true;
  lock.unlock();
  for (auto& [handle, object] : Table().Snapshot()) {
    if (Table().Remove(handle)) Wake(*object);
  }
  return true;
}

bool Started() {
  std::lock_guard lock(g_startMutex);
  return g_startCount > 0;
}

uintptr_t Create(Family family, Kind kind, int protocol, int* error) {
  if (!Started()) {
    *error = kNotInitialised;
    return 0;
  }
  const int posixFamily = PosixFamily(family);
  if (posixFamily < 0) {
    *error = EAFNOSUPPORT;
    return 0;
  }
  const int type = (kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC;
  auto object = std::make_shared<SocketObject>();
  object->fd = ::socket(posixFamily, type, protocol);
  if (object->fd < 0) {
    *error = errno;
    return 0;
  }
  object->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (object->wake < 0) {
    *error = errno;
    return 0;
  }
  return Table().Add(std::move(object));
}

int Connect(uintptr_t socket, Family family, const void* address, int length, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  sockaddr_storage storage{};
  const int posixFamily = PosixFamily(family);
  const int needed = family == Family::Inet ? static_cast<int>(sizeof(sockaddr_in))
                                            : static_cast<int>(sizeof(sockaddr_in6));
  if (posixFamily < 0) return Fail(error, EAFNOSUPPORT);
  if (!address || length < needed) return Fail(error, EFAULT);
  std::memcpy(&storage, address, static_cast<size_t>(needed));
  storage.ss_family = static_cast<sa_family_t>(posixFamily);
  if (object->closed) return Fail(error, EINTR);
  if (::connect(object->fd, reinterpret_cast<sockaddr*>(&storage), static_cast<socklen_t>(needed)) == 0) {
    return 0;
  }
  if (errno != EINPROGRESS) return Fail(error, errno);
  if (object->nonBlocking) {
    std::lock_guard lock(object->mutex);
    object->connectPending = true;
    object->pendingError = 0;
    return Fail(error, EWOULDBLOCK);
  }
  // A blocking connect waits for the system's own time-out, as on Windows; only a close
  // from another thread ends it early.
  if (WaitFor(*object, POLLOUT, Clock::time_point::max(), error) < 0) return -1;
  const int result = SocketError(object->fd);
  return result == 0 ? 0 : Fail(error, result);
}

int Send(uintptr_t socket, const char* buffer, int length, bool outOfBand, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  if (length < 0 || (length > 0 && !buffer)) return Fail(error, EFAULT);
  const int flags = MSG_NOSIGNAL | (outOfBand ? MSG_OOB : 0);
  const auto deadline = DeadlineAfter(object->sendTimeoutMs);
  int sent = 0;
  do {
    if (object->closed) return Fail(error, EINTR);
    const ssize_t n = ::send(object->fd, buffer + sent, static_cast<size_t>(length - sent), flags);
    if (n >= 0) {
      sent += static_cast<int>(n);
      if (object->nonBlocking) return sent;
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EPIPE) return Fail(error, object->sendShut ? ESHUTDOWN : ECONNRESET);
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Fail(error, errno);
    if (object->nonBlocking) {
      if (sent > 0) return sent;
      return Fail(error, EWOULDBLOCK);
    }
    // A blocking send either sends everything or fails: the caller cannot tell how much of a
    // timed-out buffer went out, as on Windows.
    if (WaitFor(*object, POLLOUT, deadline, error) < 0) return -1;
  } while (sent < length);
  return sent;
}

int Receive(uintptr_t socket, char* buffer, int length, bool peek, bool outOfBand, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  if (length < 0 || (length > 0 && !buffer)) return Fail(error, EFAULT);
  const int flags = (peek ? MSG_PEEK : 0) | (outOfBand ? MSG_OOB : 0);
  const auto deadline = DeadlineAfter(object->receiveTimeoutMs);
  for (;;) {
    if (object->closed) return Fail(error, EINTR);
    const ssize_t n = ::recv(object->fd, buffer, static_cast<size_t>(length), flags);
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Fail(error, errno);
    if (object->nonBlocking) return Fail(error, EWOULDBLOCK);
    if (WaitFor(*object, POLLIN, deadline, error) < 0) return -1;
  }
}

int Shutdown(uintptr_t socket, bool receive, bool send, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  const int how = receive && send ? SHUT_RDWR : (send ? SHUT_WR : SHUT_RD);
  if (::shutdown(object->fd, how) != 0) return Fail(error, errno);
  if (send) object->sendShut = true;
  return 0;
}

int Close(uintptr_t socket, int* error) {
  if (!Started()) return Fail(error, kNotInitialised);
  auto object = Table().Remove(socket);
  if (!object) return Fail(error, ENOTSOCK);
  Wake(*object);
  return 0;
}

int SetNonBlocking(uintptr_t socket, bool on, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  object->nonBlocking = on;
  return 0;
}

int BytesReadable(uintptr_t socket, uint32_t* count, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  int available = 0;
  if (::ioctl(object->fd, FIONREAD, &available) != 0) return Fail(error, errno);
  *count = static_cast<uint32_t>(available);
  return 0;
}

int SetOption(uintptr_t socket, Option option, uint32_t value, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  std::lock_guard lock(object->mutex);
  switch (option) {
    case Option::SendBuffer:
    case Option::ReceiveBuffer: {
      const int size = static_cast<int>(value);
      const int name = option == Option::SendBuffer ? SO_SNDBUF : SO_RCVBUF;
      if (size < 0) return Fail(error, EINVAL);
      if (::setsockopt(object->fd, SOL_SOCKET, name, &size, sizeof size) != 0) return Fail(error, errno);
      (option == Option::SendBuffer ? object->sendBuffer : object->receiveBuffer) = size;
      return 0;
    }
    case Option::SendTimeout: object->sendTimeoutMs = value; return 0;
    case Option::ReceiveTimeout: object->receiveTimeoutMs = value; return 0;
    case Option::Linger: {
      ::linger l{(value & 0xFFFF) != 0 ? 1 : 0, static_cast<int>(value >> 16)};
      if (::setsockopt(object->fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) return Fail(error, errno);
      object->linger = value;
      return 0;
    }
    case Option::NoDelay: {
      const int on = value != 0 ? 1 : 0;
      if (::setsockopt(object->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) return Fail(error, errno);
      return 0;
    }
    case Option::Error: return Fail(error, ENOPROTOOPT);
  }
  return Fail(error, kNotSupported);
}

int GetOption(uintptr_t socket, Option option, uint32_t* value, int* error) {
  auto object = Lookup(socket, error);
  if (!object) return -1;
  std::lock_guard lock(object->mutex);
  auto kernelInt = [&](int level, int name, int* out) {
    socklen_t length = sizeof *out;
    return ::getsockopt(object->fd, level, name, out, &length) == 0;
  };
  int number = 0;
  switch (option) {
    case Option::SendBuffer:
    case Option::ReceiveBuffer: {
      const int stored = option == Option::SendBuffer ? object->sendBuffer : object->receiveBuffer;
      if (stored >= 0) {
        *value = static_cast<uint32_t>(stored);
        return 0;
      }
      // The system reports twice what it was asked for; report the size a caller would set.
      if (!kernelInt(SOL_SOCKET, option == Option::SendBuffer ? SO_SNDBUF : SO_RCVBUF, &number)) {
        return Fail(error, errno);
      }
      *value = static_cast<uint32_t>(number / 2);
      return 0;
    }
    case Option::SendTimeout: *value = object->sendTimeoutMs; return 0;
    case Option::ReceiveTimeout: *value = object->receiveTimeoutMs; return 0;
    case Option::Linger: *value = object->linger; return 0;
    case Option::NoDelay:
      if (!kernelInt(IPPROTO_TCP, TCP_NODELAY, &number)) return Fail(error, errno);
      *value = number != 0 ? 1 : 0;
      return 0;
    case Option::Error:
      if (object->pendingError != 0) {
        *value = static_cast<uint32_t>(object->pendingError);
        object->pendingError = 0;
        return 0;
      }
      *value = static_cast<uint32_t>(SocketError(object->fd));
      return 0;
  }
  return Fail(error, kNotSupported);
}

int Select(std::vector<SelectEntry>& entries, int64_t timeoutMs, int* error) {
  if (!Started()) return Fail(error, kNotInitialised);
  if (entries.empty()) return Fail(error, EINVAL);
  std::vector<std::shared_ptr<SocketObject>> objects;
  objects.reserve(entries.size());
  for (const SelectEntry& entry : entries) {
    auto object = Table().Get(entry.socket);
    if (!object) return Fail(error, ENOTSOCK);
    objects.push_back(std::move(object));
  }
  // One descriptor per entry, then one wake descriptor per entry, so that a close of any of
  // the sockets ends the wait.
  const size_t count = entries.size();
  std::vector<pollfd> fds(count * 2);
  for (size_t i = 0; i < count; ++i) {
    const SelectEntry& entry = entries[i];
    short events = 0;
    if (entry.wantRead) events |= POLLIN;
    bool pending;
    {
      std::lock_guard lock(objects[i]->mutex);
      pending = objects[i]->connectPending;
    }
    // A pending connect ends with POLLOUT, whichever set asked about it.
    if (entry.wantWrite || (entry.wantExcept && pending)) events |= POLLOUT;
    if (entry.wantExcept) events |= POLLPRI;
    fds[i] = {objects[i]->fd, events, 0};
    fds[count + i] = {objects[i]->wake, POLLIN, 0};
  }
  const auto deadline = timeoutMs < 0 ? Clock::time_point::max()
                                      : Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int ms = timeoutMs < 0 ? -1 : RemainingMs(deadline);
    const int ready = ::poll(fds.data(), fds.size(), ms);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return Fail(error, errno);
    }
    for (size_t i = 0; i < count; ++i) {
      if (fds[count + i].revents != 0 || objects[i]->closed) return Fail(error, EINTR);
    }
    int results = 0;
    for (size_t i = 0; i < count; ++i) {
      SelectEntry& entry = entries[i];
      SocketObject& object = *objects[i];
      const short revents = fds[i].revents;
      entry.read = entry.write = entry.except = false;
      if (revents == 0) continue;
      bool connectFailed = false;
      bool connectDone = false;
      {
        std::lock_guard lock(object.mutex);
        if (object.connectPending && (revents & (POLLOUT | POLLERR | POLLHUP))) {
          object.connectPending = false;
          const int result = SocketError(object.fd);
          connectDone = true;
          if (result != 0) {
            object.pendingError = result;
            connectFailed = true;
          }
        }
      }
      if (connectFailed) {
        entry.except = entry.wantExcept;
      } else {
        entry.read = entry.wantRead && (revents & (POLLIN | POLLHUP | POLLERR));
        entry.write = entry.wantWrite && (revents & POLLOUT);
        entry.except = entry.wantExcept && (revents & POLLPRI);
      }
      const int found = int(entry.read) + int(entry.write) + int(entry.except);
      // An error or hang-up that answers nothing asked would wake every poll: stop
      // watching that descriptor.
      if (found == 0 && (revents & (POLLERR | POLLHUP | POLLNVAL))) fds[i].fd = -1;
      // A connect that succeeded answers nothing asked by exceptfds alone; stop asking.
      if (found == 0 && connectDone && !entry.wantWrite) fds[i].events &= static_cast<short>(~POLLOUT);
      results += found;
    }
    if (results > 0) return results;
    if (ms == 0 || (timeoutMs >= 0 && Clock::now() >= deadline)) return 0;
  }
}

ResolveError Resolve(const char* node, const char* service, const ResolveHints& hints,
                     std::vector<ResolvedAddress>* out) {
  addrinfo posixHints{};
  posixHints.ai_flags = (hints.passive ? AI_PASSIVE : 0) | (hints.canonicalName ? AI_CANONNAME : 0) |
                        (hints.numericHost ? AI_NUMERICHOST : 0) |
                        (hints.numericService ? AI_NUMERICSERV : 0);
  posixHints.ai_family = hints.family == Family::Unspecified ? AF_UNSPEC : PosixFamily(hints.family);
  posixHints.ai_socktype = hints.kind == 0 ? 0 : (hints.kind == 1 ? SOCK_STREAM : SOCK_DGRAM);
  posixHints.ai_protocol = hints.protocol;
  addrinfo* list = nullptr;
  const int result = ::getaddrinfo(node, service, &posixHints, &list);
  switch (result) {
    case 0: break;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
      return ResolveError::NoName;
    case EAI_AGAIN: return ResolveError::TryAgain;
    case EAI_FAMILY: return ResolveError::Family;
    case EAI_SOCKTYPE: return ResolveError::SocketType;
    case EAI_SERVICE: return ResolveError::Service;
    case EAI_BADFLAGS: return ResolveError::Flags;
    case EAI_MEMORY: return ResolveError::Memory;
    default: return ResolveError::Fail;
  }
  for (addrinfo* item = list; item; item = item->ai_next) {
    const Family family = FromPosixFamily(item->ai_family);
    if (family == Family::Unspecified || item->ai_socktype == SOCK_RAW) continue;
    ResolvedAddress address;
    address.family = family;
    address.kind = item->ai_socktype == SOCK_DGRAM ? Kind::Datagram : Kind::Stream;
    address.protocol = item->ai_protocol;
    if (item->ai_canonname) address.canonicalName = item->ai_canonname;
    const auto* bytes = reinterpret_cast<const uint8_t*>(item->ai_addr);
    address.address.assign(bytes, bytes + item->ai_addrlen);
    address.address[0] = address.address[1] = 0;
    out->push_back(std::move(address));
  }
  ::freeaddrinfo(list);
  return out->empty() ? ResolveError::NoName : ResolveError::None;
}

}  // namespace platform::detail::sockets
