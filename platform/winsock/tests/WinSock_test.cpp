#include "platform/winsock/WinSock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "platform/testing/Watchdog.h"
#include "platform/testing/net/LoopbackServer.h"

namespace {

namespace net = platform::testing::net;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

sockaddr_in LoopbackAddress(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(0x7F000001);
  return address;
}

int ConnectTo(SOCKET s, uint16_t port) {
  const sockaddr_in address = LoopbackAddress(port);
  return connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

int SetDword(SOCKET s, int level, int name, DWORD value) {
  return setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

class WinSockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  }
  void TearDown() override { WSACleanup(); }

  // A stream socket connected to `listener`, with the server's side of it.
  SOCKET Connected(net::Listener& listener, int* server) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(ConnectTo(s, listener.Port()), 0) << WSAGetLastError();
    *server = listener.Accept();
    EXPECT_GE(*server, 0);
    return s;
  }
};

TEST(WinSockStartup, CallsBeforeStartupFailNotInitialised) {
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(WinSockStartup, NegotiatesTheVersion) {
  struct Case {
    WORD requested;
    int result;
    WORD version;
  } cases[] = {
      {MAKEWORD(1, 1), 0, MAKEWORD(1, 1)},
      {MAKEWORD(2, 2), 0, MAKEWORD(2, 2)},
      {MAKEWORD(3, 0), 0, MAKEWORD(2, 2)},
      {MAKEWORD(0, 9), WSAVERNOTSUPPORTED, MAKEWORD(2, 2)},
  };
  for (const Case& c : cases) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(c.requested, &data), c.result) << c.requested;
    EXPECT_EQ(data.wVersion, c.version) << c.requested;
    EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
    if (c.result == 0) {
      EXPECT_EQ(WSACleanup(), 0);
    }
  }
}

TEST(WinSockStartup, LastCleanupClosesOpenSockets) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSACleanup(), 0);
  u_long available = 0;
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &available), 0) << "one start-up is still counted";
  ASSERT_EQ(WSACleanup(), 0);
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &available), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  WSACleanup();
}

TEST_F(WinSockTest, StreamsBytesPeeksAndSeesTheEnd) {
  net::Listener listener;
  int server = -1;
  const SOCKET s = Connected(listener, &server);
  EXPECT_EQ(send(s, "hello", 5, 0), 5);
  EXPECT_EQ(loopback::ReceiveSome(server), "hello");

  ASSERT_TRUE(loopback::SendAll(server, "line\r\nrest"));
  std::this_thread::sleep_for(50ms);
  u_long available = 0;
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &available), 0);
  EXPECT_EQ(available, 10u);
  char buffer[16] = {};
  EXPECT_EQ(recv(s, buffer, 6, MSG_PEEK), 6);
  EXPECT_EQ(std::string(buffer, 6), "line\r\n");
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 10) << "a peek consumes nothing";
  EXPECT_EQ(std::string(buffer, 10), "line\r\nrest");

  ::shutdown(s, SD_SEND);
  EXPECT_EQ(send(s, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  loopback::CloseDescriptor(server);
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 0) << "the peer's close reads as the end";
  EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinSockTest, RefusedConnectFailsBlockingAndLandsInExceptfdsNonBlocking) {
  const uint16_t port = net::UnusedPort();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(ConnectTo(s, port), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  closesocket(s);

  s = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  EXPECT_EQ(ConnectTo(s, port), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  const timeval wait{5, 0};
  EXPECT_EQ(select(0, nullptr, &writable, &failed, &wait), 1);
  EXPECT_FALSE(FD_ISSET(s, &writable));
  EXPECT_TRUE(FD_ISSET(s, &failed));
  int error = 0;
  int length = sizeof error;
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length), 0);
  EXPECT_EQ(error, WSAECONNREFUSED);
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length), 0);
  EXPECT_EQ(error, 0) << "reading SO_ERROR clears it";
  closesocket(s);
}

TEST_F(WinSockTest, NonBlockingConnectBecomesWritable) {
  net::Listener listener;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
  const int result = ConnectTo(s, listener.Port());
  if (result == SOCKET_ERROR) {
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  }
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  const timeval wait{5, 0};
  EXPECT_EQ(select(0, nullptr, &writable, &failed, &wait), 1);
  EXPECT_TRUE(FD_ISSET(s, &writable));
  EXPECT_FALSE(FD_ISSET(s, &failed));
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  closesocket(s);
}

TEST_F(WinSockTest, SilentHostTimesOutATimedConnect) {
  net::SilentHost silent;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
  EXPECT_EQ(ConnectTo(s, silent.Port()), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(s, &writable);
  const timeval wait{0, 300000};
  const auto start = Clock::now();
  EXPECT_EQ(select(0, nullptr, &writable, nullptr, &wait), 0);
  EXPECT_GE(Clock::now() - start, 290ms);
  EXPECT_EQ(writable.fd_count, 0u);
  closesocket(s);
}

TEST_F(WinSockTest, SocketTimeOutsEndBlockingCalls) {
  net::Listener listener;
  int server = -1;
  const SOCKET s = Connected(listener, &server);
  ASSERT_EQ(SetDword(s, SOL_SOCKET, SO_RCVTIMEO, 200), 0);
  DWORD kept = 0;
  int length = sizeof kept;
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&kept), &length), 0);
  EXPECT_EQ(kept, 200u);
  char buffer[64];
  auto start = Clock::now();
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
  EXPECT_GE(Clock::now() - start, 190ms);

  // The server never reads: a large blocking send fills both buffers and times out.
  ASSERT_EQ(SetDword(s, SOL_SOCKET, SO_SNDBUF, 8192), 0);
  ASSERT_EQ(SetDword(s, SOL_SOCKET, SO_SNDTIMEO, 200), 0);
  const std::string big(32 << 20, 'x');
  start = Clock::now();
  EXPECT_EQ(send(s, big.data(), static_cast<int>(big.size()), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
  EXPECT_GE(Clock::now() - start, 190ms);
  closesocket(s);
  loopback::CloseDescriptor(server);
}

// Each blocking call, blocked in another thread, is woken by closesocket with WSAEINTR, and the
// handle is dead afterwards.
TEST_F(WinSockTest, CloseFromAnotherThreadWakesEachBlockingCall) {
  platform::testing::Watchdog watchdog(30s);
  net::Listener listener;
  net::SilentHost silent;
  const std::string big(32 << 20, 'x');
  struct Case {
    const char* name;
    bool connect;  // to the silent host, else to the listener
    std::function<int(SOCKET)> call;
  };
  const Case cases[] = {
      {"recv", false, [](SOCKET s) { char b[16]; return recv(s, b, sizeof b, 0); }},
      {"recv peek", false, [](SOCKET s) { char b[16]; return recv(s, b, sizeof b, MSG_PEEK); }},
      {"send", false, [&](SOCKET s) {
         SetDword(s, SOL_SOCKET, SO_SNDBUF, 8192);
         return send(s, big.data(), static_cast<int>(big.size()), 0);
       }},
      {"select", false, [](SOCKET s) {
         fd_set readable;
         FD_ZERO(&readable);
         FD_SET(s, &readable);
         return select(0, &readable, nullptr, nullptr, nullptr);
       }},
      {"connect", true, [&](SOCKET s) { return ConnectTo(s, silent.Port()); }},
  };
  for (const Case& c : cases) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    int server = -1;
    if (!c.connect) {
      ASSERT_EQ(ConnectTo(s, listener.Port()), 0);
      server = listener.Accept();
    }
    auto blocked = std::async(std::launch::async, [&] {
      const int result = c.call(s);
      return std::make_pair(result, WSAGetLastError());
    });
    EXPECT_EQ(blocked.wait_for(300ms), std::future_status::timeout) << c.name << " did not block";
    ASSERT_EQ(closesocket(s), 0);
    ASSERT_EQ(blocked.wait_for(5s), std::future_status::ready) << c.name << " was not woken";
    const auto [result, error] = blocked.get();
    EXPECT_EQ(result, SOCKET_ERROR) << c.name;
    EXPECT_EQ(error, WSAEINTR) << c.name;
    char byte;
    EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK) << c.name;
    loopback::CloseDescriptor(server);
  }
}

TEST_F(WinSockTest, StaleHandlesReachNothing) {
  const SOCKET first = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(closesocket(first), 0);
  EXPECT_EQ(closesocket(first), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  const SOCKET second = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_NE(second, first);
  u_long on = 1;
  EXPECT_EQ(ioctlsocket(first, FIONBIO, &on), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(ioctlsocket(second, FIONBIO, &on), 0);
  fd_set set;
  FD_ZERO(&set);
  FD_SET(first, &set);
  const timeval none{0, 0};
  EXPECT_EQ(select(0, &set, nullptr, nullptr, &none), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  closesocket(second);
}

// More sockets than the C library's fd_set can name, whatever their descriptor numbers.
TEST_F(WinSockTest, SelectTakes1100Sockets) {
  ASSERT_GE(loopback::RaiseDescriptorLimit(4000), 4000) << "too few descriptors allowed";
  net::Listener listener;
  int server = -1;
  const SOCKET connected = Connected(listener, &server);
  std::vector<SOCKET> sockets;
  for (int i = 0; i < 1099; ++i) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, INVALID_SOCKET) << i << ": " << WSAGetLastError();
    sockets.push_back(s);
  }
  sockets.push_back(connected);
  auto* readable = new fd_set;
  auto* writable = new fd_set;
  FD_ZERO(readable);
  FD_ZERO(writable);
  for (SOCKET s : sockets) {
    FD_SET(s, readable);
    FD_SET(s, writable);
  }
  ASSERT_EQ(readable->fd_count, 1100u);
  ASSERT_TRUE(loopback::SendAll(server, "ping"));
  const timeval wait{5, 0};
  EXPECT_EQ(select(0, readable, writable, nullptr, &wait), 1101);
  EXPECT_EQ(writable->fd_count, 1100u);
  ASSERT_EQ(readable->fd_count, 1u);
  EXPECT_EQ(readable->fd_array[0], connected);
  delete readable;
  delete writable;
  for (SOCKET s : sockets) closesocket(s);
  loopback::CloseDescriptor(server);
}

TEST_F(WinSockTest, OptionsTakeWinsockShapes) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  auto get = [&](int level, int name) {
    DWORD value = 0xDEADBEEF;
    int length = sizeof value;
    EXPECT_EQ(getsockopt(s, level, name, reinterpret_cast<char*>(&value), &length), 0) << name;
    return value;
  };
  struct Case {
    int level, name;
    DWORD set, expected;
  } cases[] = {
      {SOL_SOCKET, SO_SNDBUF, 8192, 8192},
      {SOL_SOCKET, SO_RCVBUF, 8192, 8192},
      {SOL_SOCKET, SO_SNDTIMEO, 1500, 1500},
      {IPPROTO_TCP, TCP_NODELAY, 0xFFFFFFFF, 1},
      {IPPROTO_TCP, TCP_NODELAY, 2, 1},
      {IPPROTO_TCP, TCP_NODELAY, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetDword(s, c.level, c.name, c.set), 0) << c.name;
    EXPECT_EQ(get(c.level, c.name), c.expected) << c.name << " set to " << c.set;
  }
  const char one = 1;
  EXPECT_EQ(setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, 1), 0);
  EXPECT_EQ(get(IPPROTO_TCP, TCP_NODELAY), 1u) << "a one-byte value";

  const linger set{1, 5};
  ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&set), sizeof set), 0);
  linger got{};
  int length = sizeof got;
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&got), &length), 0);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(got.l_onoff, 1);
  EXPECT_EQ(got.l_linger, 5);

  DWORD value = 0;
  length = 2;
  EXPECT_EQ(getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&value), &length), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(SetDword(s, SOL_SOCKET, 0x7777, 1), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
  u_long argument = 0;
  EXPECT_EQ(ioctlsocket(s, 0x1234, &argument), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  closesocket(s);
}

TEST_F(WinSockTest, ResolvesLiteralsAndLocalhostInWinsockLayout) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", "8080", &hints, &list), 0);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->ai_family, AF_INET);
  EXPECT_EQ(list->ai_socktype, SOCK_STREAM);
  ASSERT_EQ(list->ai_addrlen, sizeof(sockaddr_in));
  const auto* v4 = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
  EXPECT_EQ(v4->sin_family, AF_INET);
  EXPECT_EQ(ntohs(v4->sin_port), 8080);
  EXPECT_EQ(ntohl(v4->sin_addr.s_addr), 0x7F000001u);
  freeaddrinfo(list);

  ASSERT_EQ(getaddrinfo("::1", "443", &hints, &list), 0);
  EXPECT_EQ(list->ai_family, AF_INET6);
  const auto* v6 = reinterpret_cast<const sockaddr_in6*>(list->ai_addr);
  EXPECT_EQ(v6->sin6_family, AF_INET6);
  EXPECT_EQ(ntohs(v6->sin6_port), 443);
  EXPECT_EQ(v6->sin6_addr.s6_addr[15], 1);
  freeaddrinfo(list);

  ASSERT_EQ(getaddrinfo("localhost", "80", &hints, &list), 0);
  int families = 0;
  for (addrinfo* item = list; item; item = item->ai_next) {
    EXPECT_TRUE(item->ai_family == AF_INET || item->ai_family == AF_INET6);
    ++families;
  }
  EXPECT_GE(families, 1);
  freeaddrinfo(list);

  hints.ai_flags = AI_NUMERICHOST;
  EXPECT_EQ(getaddrinfo("localhost", "80", &hints, &list), WSAHOST_NOT_FOUND);
  EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
  EXPECT_EQ(list, nullptr);
}

TEST_F(WinSockTest, ConnectsOverIPv6Loopback) {
  // The IPv6 family number differs between Winsock and the system; a literal must still reach
  // a listener that takes both families.
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_family = AF_INET6;
  addrinfo* list = nullptr;
  net::Listener listener;
  ASSERT_EQ(getaddrinfo("::ffff:127.0.0.1", std::to_string(listener.Port()).c_str(), &hints, &list), 0);
  const SOCKET s = socket(AF_INET6, SOCK_STREAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  EXPECT_EQ(connect(s, list->ai_addr, static_cast<int>(list->ai_addrlen)), 0) << WSAGetLastError();
  freeaddrinfo(list);
  const int server = listener.Accept();
  EXPECT_GE(server, 0);
  loopback::CloseDescriptor(server);
  closesocket(s);
}

}  // namespace
