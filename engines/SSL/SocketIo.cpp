#include "engines/SSL/SocketIo.h"

#include <chrono>

#include "platform/winsock/WinSock.h"

namespace ssl_engine {

namespace {

// Waits for the socket within the deadline; false with *error set when it does not come.
bool WaitUntil(SOCKET s, bool forWriting, int64_t deadlineMs, int* error) {
  if (deadlineMs == 0) return true;
  const int64_t left = deadlineMs - SteadyNowMs();
  if (left <= 0) {
    *error = kSocketTimedOut;
    return false;
  }
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  const timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
  const int ready = forWriting ? select(0, nullptr, &set, nullptr, &wait) : select(0, &set, nullptr, nullptr, &wait);
  if (ready == SOCKET_ERROR) {
    *error = WSAGetLastError();
    return false;
  }
  if (ready == 0) {
    *error = kSocketTimedOut;
    return false;
  }
  return true;
}

}  // namespace

int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int SocketReceive(uintptr_t socket, char* buffer, int length, int64_t deadlineMs, int* error) {
  if (!WaitUntil(socket, false, deadlineMs, error)) return -1;
  const int n = recv(socket, buffer, length, 0);
  if (n < 0) *error = WSAGetLastError();
  return n;
}

int SocketSend(uintptr_t socket, const char* buffer, int length, int64_t deadlineMs, int* error) {
  if (!WaitUntil(socket, true, deadlineMs, error)) return -1;
  const int n = send(socket, buffer, length, 0);
  if (n < 0) *error = WSAGetLastError();
  return n;
}

uint32_t SocketReceiveTimeout(uintptr_t socket) {
  DWORD value = 0;
  int length = sizeof value;
  if (getsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&value), &length) != 0) return 0;
  return value;
}

}  // namespace ssl_engine
