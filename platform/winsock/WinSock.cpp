#include "platform/winsock/WinSock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/WinError.h"
#include "platform/winsock/SocketCore.h"

namespace core = platform::detail::sockets;

namespace {

int WsaErrorFromErrno(int error) {
  switch (error) {
    case core::kNotInitialised: return WSANOTINITIALISED;
    case core::kNotSupported: return WSAENOPROTOOPT;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EWOULDBLOCK: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEWOULDBLOCK;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
  }
}

int FailWith(int wsaError) {
  WSASetLastError(wsaError);
  return SOCKET_ERROR;
}

// Turns a core result into Winsock's: the result itself, or SOCKET_ERROR with the error set.
// The error is taken by reference: it is read after the call that fills it, whatever order
// the arguments were evaluated in.
int Result(int result, const int& error) {
  if (result < 0) return FailWith(WsaErrorFromErrno(error));
  return result;
}

bool FamilyOf(int af, core::Family* family) {
  if (af == AF_INET) *family = core::Family::Inet;
  else if (af == AF_INET6) *family = core::Family::Inet6;
  else return false;
  return true;
}

int ToWinsockFamily(core::Family family) {
  return family == core::Family::Inet6 ? AF_INET6 : AF_INET;
}

uint32_t ReadNumber(const char* value, int length) {
  uint32_t number = 0;
  std::memcpy(&number, value, static_cast<size_t>(std::min(length, 4)));
  return number;
}

// An addrinfo node with its address; the list is a chain of these.
struct AddressNode {
  addrinfo info;
  sockaddr_storage address;
};

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  const BYTE major = LOBYTE(versionRequested);
  const BYTE minor = HIBYTE(versionRequested);
  if (!data) return WSAEFAULT;
  std::memset(data, 0, sizeof *data);
  data->wHighVersion = MAKEWORD(2, 2);
  std::strncpy(data->szDescription, "Brantwell sockets", WSADESCRIPTION_LEN);
  std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
  if (major < 1) {
    data->wVersion = MAKEWORD(2, 2);
    return WSAVERNOTSUPPORTED;
  }
  data->wVersion = (major > 2 || (major == 2 && minor >= 2)) ? MAKEWORD(2, 2) : versionRequested;
  core::Startup();
  return 0;
}

int WSACleanup() {
  if (!core::Cleanup()) return FailWith(WSANOTINITIALISED);
  return 0;
}

int WSAGetLastError() { return static_cast<int>(GetLastError()); }

void WSASetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }

SOCKET socket(int af, int type, int protocol) {
  if (!core::Started()) {
    FailWith(WSANOTINITIALISED);
    return INVALID_SOCKET;
  }
  core::Family family;
  if (!FamilyOf(af, &family)) {
    FailWith(WSAEAFNOSUPPORT);
    return INVALID_SOCKET;
  }
  if (type != SOCK_STREAM && type != SOCK_DGRAM) {
    FailWith(WSAESOCKTNOSUPPORT);
    return INVALID_SOCKET;
  }
  const int expected = type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP;
  if (protocol != 0 && protocol != expected) {
    FailWith(WSAEPROTONOSUPPORT);
    return INVALID_SOCKET;
  }
  int error = 0;
  const uintptr_t handle = core::Create(family, type == SOCK_STREAM ? core::Kind::Stream : core::Kind::Datagram,
                                        protocol, &error);
  if (handle == 0) {
    FailWith(WsaErrorFromErrno(error));
    return INVALID_SOCKET;
  }
  return handle;
}

int connect(SOCKET s, const sockaddr* name, int nameLength) {
  if (!name || nameLength < static_cast<int>(sizeof(sockaddr))) return FailWith(WSAEFAULT);
  core::Family family;
  if (!FamilyOf(name->sa_family, &family)) return FailWith(WSAEAFNOSUPPORT);
  int error = 0;
  return Result(core::Connect(s, family, name, nameLength, &error), error);
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  if ((flags & ~MSG_OOB) != 0) return FailWith(WSAEOPNOTSUPP);
  int error = 0;
  return Result(core::Send(s, buffer, length, (flags & MSG_OOB) != 0, &error), error);
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  if ((flags & ~(MSG_OOB | MSG_PEEK)) != 0) return FailWith(WSAEOPNOTSUPP);
  int error = 0;
  return Result(core::Receive(s, buffer, length, (flags & MSG_PEEK) != 0, (flags & MSG_OOB) != 0, &error),
                error);
}

int select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout) {
  std::vector<core::SelectEntry> entries;
  auto add = [&](fd_set* set, bool core::SelectEntry::*want) {
    if (!set) return;
    for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
      const SOCKET s = set->fd_array[i];
      auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.socket == s; });
      if (it == entries.end()) {
        entries.push_back({});
        it = entries.end() - 1;
        it->socket = s;
      }
      (*it).*want = true;
    }
  };
  add(readfds, &core::SelectEntry::wantRead);
  add(writefds, &core::SelectEntry::wantWrite);
  add(exceptfds, &core::SelectEntry::wantExcept);
  int64_t timeoutMs = -1;
  if (timeout) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return FailWith(WSAEINVAL);
    timeoutMs = static_cast<int64_t>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
  }
  int error = 0;
  const int result = core::Select(entries, timeoutMs, &error);
  if (result < 0) return Result(result, error);
  auto keep = [&](fd_set* set, bool core::SelectEntry::*ready) {
    if (!set) return;
    fd_set* out = set;
    u_int kept = 0;
    for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
      const SOCKET s = set->fd_array[i];
      auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.socket == s; });
      if (it != entries.end() && (*it).*ready) out->fd_array[kept++] = s;
    }
    out->fd_count = kept;
  };
  keep(readfds, &core::SelectEntry::read);
  keep(writefds, &core::SelectEntry::write);
  keep(exceptfds, &core::SelectEntry::except);
  return result;
}

int shutdown(SOCKET s, int how) {
  if (how != SD_RECEIVE && how != SD_SEND && how != SD_BOTH) return FailWith(WSAEINVAL);
  int error = 0;
  return Result(core::Shutdown(s, how != SD_SEND, how != SD_RECEIVE, &error), error);
}

int closesocket(SOCKET s) {
  int error = 0;
  return Result(core::Close(s, &error), error);
}

int ioctlsocket(SOCKET s, LONG cmd, u_long* argp) {
  if (!argp) return FailWith(WSAEFAULT);
  int error = 0;
  if (cmd == FIONBIO) return Result(core::SetNonBlocking(s, *argp != 0, &error), error);
  if (cmd == FIONREAD) {
    uint32_t count = 0;
    const int result = core::BytesReadable(s, &count, &error);
    if (result == 0) *argp = count;
    return Result(result, error);
  }
  if (!core::Started()) return FailWith(WSANOTINITIALISED);
  return FailWith(WSAEINVAL);
}

namespace {

bool OptionOf(int level, int optname, core::Option* option, int* size) {
  if (level == SOL_SOCKET) {
    switch (optname) {
      case SO_SNDBUF: *option = core::Option::SendBuffer; *size = sizeof(int); return true;
      case SO_RCVBUF: *option = core::Option::ReceiveBuffer; *size = sizeof(int); return true;
      case SO_SNDTIMEO: *option = core::Option::SendTimeout; *size = sizeof(DWORD); return true;
      case SO_RCVTIMEO: *option = core::Option::ReceiveTimeout; *size = sizeof(DWORD); return true;
      case SO_LINGER: *option = core::Option::Linger; *size = sizeof(linger); return true;
      case SO_ERROR: *option = core::Option::Error; *size = sizeof(int); return true;
      default: return false;
    }
  }
  if (level == IPPROTO_TCP && optname == TCP_NODELAY) {
    *option = core::Option::NoDelay;
    *size = sizeof(BOOL);
    return true;
  }
  return false;
}

}  // namespace

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  core::Option option;
  int size = 0;
  if (!core::Started()) return FailWith(WSANOTINITIALISED);
  if (level != SOL_SOCKET && level != IPPROTO_TCP) return FailWith(WSAEINVAL);
  if (!OptionOf(level, optname, &option, &size)) return FailWith(WSAENOPROTOOPT);
  // TCP_NODELAY takes any non-zero value of any width, as Windows does.
  const int needed = option == core::Option::NoDelay ? 1 : size;
  if (!optval || optlen < needed) return FailWith(WSAEFAULT);
  uint32_t value;
  if (option == core::Option::Linger) {
    linger l;
    std::memcpy(&l, optval, sizeof l);
    value = static_cast<uint32_t>(l.l_onoff != 0 ? 1 : 0) | (static_cast<uint32_t>(l.l_linger) << 16);
  } else {
    value = ReadNumber(optval, option == core::Option::NoDelay ? optlen : size);
  }
  int error = 0;
  return Result(core::SetOption(s, option, value, &error), error);
}

int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
  core::Option option;
  int size = 0;
  if (!core::Started()) return FailWith(WSANOTINITIALISED);
  if (level != SOL_SOCKET && level != IPPROTO_TCP) return FailWith(WSAEINVAL);
  if (!OptionOf(level, optname, &option, &size)) return FailWith(WSAENOPROTOOPT);
  if (!optval || !optlen || *optlen < size) return FailWith(WSAEFAULT);
  uint32_t value = 0;
  int error = 0;
  if (core::GetOption(s, option, &value, &error) < 0) return Result(-1, error);
  if (option == core::Option::Linger) {
    const linger l{static_cast<u_short>(value & 0xFFFF), static_cast<u_short>(value >> 16)};
    std::memcpy(optval, &l, sizeof l);
  } else {
    if (option == core::Option::Error && value != 0) value = static_cast<uint32_t>(WsaErrorFromErrno(static_cast<int>(value)));
    std::memcpy(optval, &value, sizeof value);
  }
  *optlen = size;
  return 0;
}

int getaddrinfo(const char* nodeName, const char* serviceName, const addrinfo* hints, addrinfo** result) {
  if (!result) {
    WSASetLastError(WSAEINVAL);
    return WSAEINVAL;
  }
  *result = nullptr;
  auto fail = [](int error) {
    WSASetLastError(error);
    return error;
  };
  if (!core::Started()) return fail(WSANOTINITIALISED);
  if (!nodeName && !serviceName) return fail(WSAHOST_NOT_FOUND);
  core::ResolveHints coreHints;
  if (hints) {
    coreHints.passive = hints->ai_flags & AI_PASSIVE;
    coreHints.canonicalName = hints->ai_flags & AI_CANONNAME;
    coreHints.numericHost = hints->ai_flags & AI_NUMERICHOST;
    coreHints.numericService = hints->ai_flags & AI_NUMERICSERV;
    if (hints->ai_family != AF_UNSPEC && !FamilyOf(hints->ai_family, &coreHints.family)) {
      return fail(WSAEAFNOSUPPORT);
    }
    if (hints->ai_socktype == SOCK_STREAM) coreHints.kind = 1;
    else if (hints->ai_socktype == SOCK_DGRAM) coreHints.kind = 2;
    else if (hints->ai_socktype != 0) return fail(WSAESOCKTNOSUPPORT);
    coreHints.protocol = hints->ai_protocol;
  }
  std::vector<core::ResolvedAddress> addresses;
  switch (core::Resolve(nodeName, serviceName, coreHints, &addresses)) {
    case core::ResolveError::None: break;
    case core::ResolveError::NoName: return fail(WSAHOST_NOT_FOUND);
    case core::ResolveError::TryAgain: return fail(WSATRY_AGAIN);
    case core::ResolveError::Family: return fail(WSAEAFNOSUPPORT);
    case core::ResolveError::SocketType: return fail(WSAESOCKTNOSUPPORT);
    case core::ResolveError::Service: return fail(WSATYPE_NOT_FOUND);
    case core::ResolveError::Flags: return fail(WSAEINVAL);
    case core::ResolveError::Memory: return fail(WSA_NOT_ENOUGH_MEMORY);
    case core::ResolveError::Fail: return fail(WSANO_RECOVERY);
  }
  addrinfo* head = nullptr;
  addrinfo** tail = &head;
  for (const core::ResolvedAddress& address : addresses) {
    auto* node = new AddressNode{};
    std::memcpy(&node->address, address.address.data(), std::min(address.address.size(), sizeof node->address));
    node->address.ss_family = static_cast<short>(ToWinsockFamily(address.family));
    node->info.ai_family = ToWinsockFamily(address.family);
    node->info.ai_socktype = address.kind == core::Kind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    node->info.ai_protocol = address.protocol;
    node->info.ai_addrlen = address.address.size();
    node->info.ai_addr = reinterpret_cast<sockaddr*>(&node->address);
    if (!address.canonicalName.empty() && tail == &head) {
      node->info.ai_canonname = new char[address.canonicalName.size() + 1];
      std::memcpy(node->info.ai_canonname, address.canonicalName.c_str(), address.canonicalName.size() + 1);
    }
    *tail = &node->info;
    tail = &node->info.ai_next;
  }
  *result = head;
  return 0;
}

void freeaddrinfo(addrinfo* list) {
  while (list) {
    addrinfo* next = list->ai_next;
    delete[] list->ai_canonname;
    delete reinterpret_cast<AddressNode*>(list);
    list = next;
  }
}
