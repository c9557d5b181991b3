#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engines/SSL/SSLInterface.h"
#include "platform/kernel/Modules.h"
#include "platform/testing/Watchdog.h"
#include "platform/testing/net/LoopbackServer.h"
#include "platform/winsock/WinSock.h"

namespace {

using namespace std::chrono_literals;
namespace testnet = platform::testing::net;

// The engine as the program sees it: loaded by name, its table filled by its one export.
const SSLInterfaceTable& Engine() {
  static const SSLInterfaceTable table = [] {
    SSLInterfaceTable t{};
    HMODULE module = LoadLibraryA("SSL.dll");
    EXPECT_NE(module, nullptr);
    auto create = reinterpret_cast<CreateSSLInterfaceFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "CreateSSLInterface")));
    EXPECT_NE(create, nullptr);
    if (create) create(&t);
    t.Start();
    return t;
  }();
  return table;
}

std::string LastError(SSLHandle session) {
  char buffer[512];
  Engine().LastErrorText(session, buffer, sizeof buffer);
  return buffer;
}

// A TLS server that sends back what arrives and records the server name of every completed
// handshake ("" for none).
class EchoServer {
 public:
  explicit EchoServer(const testnet::Credentials& credentials, testnet::TlsVersionLimit limit = testnet::TlsVersionLimit::Any)
      : m_server(
            [this](testnet::Connection& connection, int) {
              {
                std::lock_guard lock(m_mutex);
                m_names.push_back(connection.TlsServerName());
              }
              connection.Echo();
            },
            &credentials, limit) {}
  uint16_t Port() const { return m_server.Port(); }
  std::vector<std::string> ServerNames() {
    std::lock_guard lock(m_mutex);
    return m_names;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_names;  // guarded by m_mutex
  testnet::Server m_server;          // last: its handlers end before the names go
};

// The test's own authority, trusted through SSL_CERT_FILE as the system store.
class SSLEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_authority = std::make_unique<testnet::Authority>("Brantwell Test Root");
    s_trust = std::make_unique<testnet::TrustedAuthority>(*s_authority);
  }
  static void TearDownTestSuite() {
    s_trust.reset();
    s_authority.reset();
  }

  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    m_context = Engine().NewContext(Engine().ClientMethod());
    ASSERT_NE(m_context, 0u);
  }
  void TearDown() override {
    Engine().FreeContext(m_context);
    WSACleanup();
  }

  SOCKET ConnectTo(uint16_t port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(0x7F000001);
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return s;
  }

  // A session on a new connection to `port`, verifying against `host` (none when null).
  SSLHandle Session(SOCKET s, const char* host) {
    const SSLHandle session = Engine().NewSession(m_context);
    EXPECT_NE(session, 0u);
    if (host) {
      EXPECT_EQ(Engine().SetHost(session, host), 1) << host;
    }
    EXPECT_EQ(Engine().BindSocket(session, s), 1);
    return session;
  }

  static inline std::unique_ptr<testnet::Authority> s_authority;
  static inline std::unique_ptr<testnet::TrustedAuthority> s_trust;
  SSLHandle m_context = 0;
};

TEST_F(SSLEngineTest, FillsTheTableAndIgnoresStaleHandles) {
  const SSLInterfaceTable& t = Engine();
  EXPECT_EQ(t.Unused4, nullptr);
  EXPECT_EQ(t.Unused5, nullptr);
  for (const auto* entry : {reinterpret_cast<const void*>(t.Start), reinterpret_cast<const void*>(t.SetHost),
                            reinterpret_cast<const void*>(t.Peek), reinterpret_cast<const void*>(t.Pending)}) {
    EXPECT_NE(entry, nullptr);
  }
  const SSLHandle session = t.NewSession(m_context);
  t.FreeSession(session);
  t.FreeSession(session);
  char byte;
  EXPECT_LT(t.Read(session, &byte, 1), 0);
  EXPECT_EQ(t.NewSession(session), 0u) << "a session is not a context";
  EXPECT_EQ(LastError(0), "not a TLS context");
}

// Every handshake verifies the chain, the name or address, the validity and the version.
TEST_F(SSLEngineTest, VerifiesChainNameDatesAndVersion) {
  platform::testing::Watchdog watchdog(60s);
  testnet::Authority stranger("Unknown Root");
  const auto good = s_authority->IssueServer();
  const auto expired = s_authority->IssueServer("DNS:localhost,IP:127.0.0.1", -3 * 86400, -86400);
  const auto untrusted = stranger.IssueServer();
  struct Case {
    const char* name;
    const testnet::Credentials& credentials;
    const char* host;  // null: none set
    bool tls11;
    bool succeeds;
    const char* errorPart;
  } cases[] = {
      {"name", good, "localhost", false, true, ""},
      {"name in capitals", good, "LOCALHOST", false, true, ""},
      {"address", good, "127.0.0.1", false, true, ""},
      {"wrong name", good, "wrong.example", false, false, "hostname mismatch"},
      {"wrong address", good, "127.0.0.2", false, false, "IP address mismatch"},
      {"expired", expired, "localhost", false, false, "certificate has expired"},
      {"unknown authority", untrusted, "localhost", false, false, "unable to get local issuer certificate"},
      {"no host to check", good, nullptr, false, false, "no host name"},
      {"TLS 1.1", good, "localhost", true, false, "protocol version"},
  };
  for (const Case& c : cases) {
    EchoServer server(c.credentials, c.tls11 ? testnet::TlsVersionLimit::Max11 : testnet::TlsVersionLimit::Any);
    const SOCKET s = ConnectTo(server.Port());
    const SSLHandle session = Session(s, c.host);
    const int result = Engine().Handshake(session);
    if (c.succeeds) {
      EXPECT_EQ(result, 1) << c.name << ": " << LastError(session);
      EXPECT_EQ(Engine().Write(session, "ping", 4), 4) << c.name;
      char reply[8] = {};
      EXPECT_EQ(Engine().Read(session, reply, sizeof reply), 4) << c.name;
      EXPECT_EQ(std::string(reply), "ping") << c.name;
      Engine().Shutdown(session);
    } else {
      EXPECT_LT(result, 1) << c.name;
      EXPECT_NE(LastError(session).find(c.errorPart), std::string::npos) << c.name << ": " << LastError(session);
      char byte;
      EXPECT_LT(Engine().Write(session, &byte, 1), 0) << c.name << ": nothing goes out unverified";
    }
    Engine().FreeSession(session);
    closesocket(s);
  }
}

TEST_F(SSLEngineTest, SendsTheServerNameButNeverAnAddress) {
  platform::testing::Watchdog watchdog(30s);
  EchoServer server(s_authority->IssueServer());
  for (const char* host : {"localhost", "127.0.0.1"}) {
    const SOCKET s = ConnectTo(server.Port());
    const SSLHandle session = Session(s, host);
    ASSERT_EQ(Engine().Handshake(session), 1) << LastError(session);
    Engine().Shutdown(session);
    Engine().FreeSession(session);
    closesocket(s);
  }
  // The server records a name once its handshake completes, each connection on a thread of its
  // own: wait for the second one, in whichever order they came.
  for (int i = 0; i < 100 && server.ServerNames().size() < 2; ++i) std::this_thread::sleep_for(20ms);
  std::vector<std::string> names = server.ServerNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"", "localhost"}));
}

TEST_F(SSLEngineTest, KeepsPendingPlaintextForPeekAndRead) {
  platform::testing::Watchdog watchdog(30s);
  EchoServer server(s_authority->IssueServer());
  const SOCKET s = ConnectTo(server.Port());
  const SSLHandle session = Session(s, "localhost");
  ASSERT_EQ(Engine().Handshake(session), 1) << LastError(session);
  EXPECT_EQ(Engine().Pending(session), 0);
  ASSERT_EQ(Engine().Write(session, "hello world", 11), 11);
  char buffer[16] = {};
  ASSERT_EQ(Engine().Read(session, buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  // The rest of the record is decrypted already: the raw socket has nothing left to read.
  EXPECT_EQ(Engine().Pending(session), 6);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  const timeval none{0, 0};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &none), 0);
  EXPECT_EQ(Engine().Peek(session, buffer, sizeof buffer), 6);
  EXPECT_EQ(std::string(buffer, 6), " world");
  EXPECT_EQ(Engine().Pending(session), 6) << "a peek consumes nothing";
  EXPECT_EQ(Engine().Read(session, buffer, sizeof buffer), 6);
  EXPECT_EQ(Engine().Pending(session), 0);
  Engine().Shutdown(session);
  Engine().FreeSession(session);
  closesocket(s);
}

// A server that accepts and never answers: the handshake ends at the socket's receive time-out,
// or when another thread closes the socket.
TEST_F(SSLEngineTest, SilentServerEndsTheHandshakeByTimeOutOrCancel) {
  platform::testing::Watchdog watchdog(30s);
  // Plain TCP: the client's hello is read and never answered.
  testnet::Server server([](testnet::Connection& connection, int) { connection.WaitForClose(10000); });

  SOCKET s = ConnectTo(server.Port());
  const DWORD limit = 300;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
  SSLHandle session = Session(s, "localhost");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_LT(Engine().Handshake(session), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 290ms);
  EXPECT_NE(LastError(session).find("timed out"), std::string::npos) << LastError(session);
  Engine().FreeSession(session);
  closesocket(s);

  s = ConnectTo(server.Port());
  session = Session(s, "localhost");
  auto handshake = std::async(std::launch::async, [&] { return Engine().Handshake(session); });
  EXPECT_EQ(handshake.wait_for(300ms), std::future_status::timeout);
  closesocket(s);
  ASSERT_EQ(handshake.wait_for(5s), std::future_status::ready) << "the close did not end the handshake";
  EXPECT_LT(handshake.get(), 1);
  EXPECT_NE(LastError(session).find("cancelled"), std::string::npos) << LastError(session);
  Engine().Shutdown(session);
  Engine().FreeSession(session);
}

}  // namespace
