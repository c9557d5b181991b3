#pragma once

// The engine's side of platform/winsock, in plain types: the OpenSSL source cannot include the
// Winsock header next to the system's socket headers that OpenSSL brings.

#include <cstdint>

namespace ssl_engine {

constexpr int kSocketWouldBlock = 10035;  // WSAEWOULDBLOCK
constexpr int kSocketInterrupted = 10004;  // WSAEINTR: closed by another thread
constexpr int kSocketTimedOut = 10060;     // WSAETIMEDOUT
constexpr int kSocketNotSocket = 10038;    // WSAENOTSOCK

// deadlineMs: a steady-clock time in ms after which the call fails with kSocketTimedOut
// (0 = only the socket's own time-outs). Return recv's and send's results; *error gets the
// WSA error of a failure.
int SocketReceive(uintptr_t socket, char* buffer, int length, int64_t deadlineMs, int* error);
int SocketSend(uintptr_t socket, const char* buffer, int length, int64_t deadlineMs, int* error);
// SO_RCVTIMEO in ms (0 = none).
uint32_t SocketReceiveTimeout(uintptr_t socket);
int64_t SteadyNowMs();

}  // namespace ssl_engine
