// The class library's TCP client against loopback listeners: a connection with its events,
// reads that never go past what is asked (peek, wait), a refused connect reported through
// OnError, "localhost" reaching a listener on one family only, and a close from another
// thread waking a blocked read.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/Watchdog.h"
#include "vcl/Sockets.h"

namespace {

using namespace std::chrono_literals;

constexpr int kConnectionRefused = 10061;  // WSAECONNREFUSED
constexpr int kInterrupted = 10004;        // WSAEINTR

// A listener on 127.0.0.1 (IPv4 only) at a free port.
class Listener {
 public:
  Listener() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_fd, 4);
    socklen_t length = sizeof address;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
  }
  ~Listener() {
    if (m_fd >= 0) ::close(m_fd);
  }
  std::string Port() const { return std::to_string(m_port); }
  int Accept() { return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC); }
  // Closes the listener: its port refuses connections from then on.
  void Stop() {
    ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd = -1;
  uint16_t m_port = 0;
};

struct Events {
  std::vector<std::string> seen;
  std::vector<int> errors;
  void Attach(TTcpClient& client) {
    client.OnConnect = [this](TObject*) { seen.push_back("connect"); };
    client.OnDisconnect = [this](TObject*) { seen.push_back("disconnect"); };
    client.OnSend = [this](TObject*, const void*, int n) { seen.push_back("send " + std::to_string(n)); };
    client.OnReceive = [this](TObject*, const void*, int n) { seen.push_back("receive " + std::to_string(n)); };
    client.OnError = [this](TObject*, int error) { errors.push_back(error); };
  }
};

class SocketsTest : public ::testing::Test {
 protected:
  platform::testing::Watchdog watchdog{30s};
};

TEST_F(SocketsTest, AConnectionSendsPeeksAndReceivesWithItsEvents) {
  Listener listener;
  TTcpClient client(nullptr);
  Events events;
  events.Attach(client);
  client.SetRemoteHost("127.0.0.1");
  client.SetRemotePort(listener.Port());
  ASSERT_TRUE(client.Connect());
  EXPECT_TRUE(client.Connected());
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_EQ(client.SendBuf("ping", 4), 4);
  char buffer[16] = {};
  ASSERT_EQ(::recv(peer, buffer, sizeof buffer, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "ping");

  EXPECT_FALSE(client.WaitForData(50)) << "nothing sent yet";
  ::send(peer, "pong!", 5, 0);
  EXPECT_TRUE(client.WaitForData(2000));
  EXPECT_EQ(client.PeekBuf(buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "po");
  EXPECT_EQ(client.ReceiveBuf(buffer, 5), 5) << "a peek leaves the bytes";
  EXPECT_EQ(std::string(buffer, 5), "pong!");
  client.Disconnect();
  EXPECT_FALSE(client.Connected());
  ::close(peer);
  EXPECT_EQ(events.seen, (std::vector<std::string>{"connect", "send 4", "receive 5", "disconnect"}));
  EXPECT_TRUE(events.errors.empty());
}

TEST_F(SocketsTest, ARefusedConnectFailsThroughOnError) {
  Listener listener;
  const std::string port = listener.Port();
  listener.Stop();
  TTcpClient client(nullptr);
  Events events;
  events.Attach(client);
  client.SetRemoteHost("127.0.0.1");
  client.SetRemotePort(port);
  EXPECT_FALSE(client.Connect());
  EXPECT_FALSE(client.Connected());
  ASSERT_FALSE(events.errors.empty());
  EXPECT_EQ(events.errors.back(), kConnectionRefused);
  EXPECT_EQ(client.SendBuf("x", 1), -1);
}

TEST_F(SocketsTest, LocalhostTriesEachAddressUntilOneConnects) {
  // Only IPv4 listens: an IPv6 "localhost" first is refused and the next address is taken.
  Listener listener;
  TTcpClient client(nullptr);
  client.SetRemoteHost("localhost");
  client.SetRemotePort(listener.Port());
  EXPECT_TRUE(client.Connect());
  const int peer = listener.Accept();
  EXPECT_GE(peer, 0);
  if (peer >= 0) ::close(peer);
}

TEST_F(SocketsTest, ACloseFromAnotherThreadWakesABlockedRead) {
  Listener listener;
  TTcpClient client(nullptr);
  Events events;
  events.Attach(client);
  client.SetRemoteHost("127.0.0.1");
  client.SetRemotePort(listener.Port());
  ASSERT_TRUE(client.Connect());
  const int peer = listener.Accept();
  auto read = std::async(std::launch::async, [&] {
    char buffer[8];
    return client.ReceiveBuf(buffer, sizeof buffer);
  });
  EXPECT_EQ(read.wait_for(200ms), std::future_status::timeout) << "the read waits for data";
  client.Close();
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), -1);
  ASSERT_FALSE(events.errors.empty());
  EXPECT_EQ(events.errors.back(), kInterrupted);
  if (peer >= 0) ::close(peer);
}

}  // namespace
