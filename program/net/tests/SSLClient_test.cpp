#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "NetTestEnvironment.h"
#include "platform/testing/Watchdog.h"
#include "program/net/FSSockets.h"
#include "program/net/SSLClient.h"

namespace {

using namespace std::chrono_literals;
using testnet::Connection;
using testnet::Server;

// Echoes one line back, then waits for the close.
void EchoLine(Connection& c, int) {
  const std::string head = c.ReadExactly(6, 3000);
  c.Send(head);
  c.WaitForClose(3000);
}

std::unique_ptr<TFSTCPClient> TlsClient(uint16_t port, const AnsiString& host) {
  auto client = std::make_unique<TFSTCPClient>();
  client->SetHost(host);
  client->SetPort(std::to_string(port));
  client->SetUseSSL(true);
  client->Tcp().ConnectTimeout = 3000;
  return client;
}

TEST(TlsClient, VerifiesChainNameAndVersion) {
  platform::testing::Watchdog watchdog(60s);
  const auto& authority = TestAuthority();
  testnet::Authority stranger("Unknown Root");
  const struct {
    const char* name;
    testnet::Credentials credentials;
    AnsiString host;
    testnet::TlsVersionLimit limit;
    bool accepted;
  } cases[] = {
      {"host name", LocalhostCredentials(), "localhost", testnet::TlsVersionLimit::Any, true},
      {"IP address", LocalhostCredentials(), "127.0.0.1", testnet::TlsVersionLimit::Any, true},
      {"wrong name", authority.IssueServer("DNS:other.test"), "localhost", testnet::TlsVersionLimit::Any, false},
      {"expired", authority.IssueServer("DNS:localhost,IP:127.0.0.1", -7200, -3600), "localhost",
       testnet::TlsVersionLimit::Any, false},
      {"unknown authority", stranger.IssueServer(), "localhost", testnet::TlsVersionLimit::Any, false},
      {"TLS 1.1", LocalhostCredentials(), "localhost", testnet::TlsVersionLimit::Max11, false},
  };
  for (const auto& c : cases) {
    Server server(EchoLine, &c.credentials, c.limit);
    auto client = TlsClient(server.Port(), c.host);
    EXPECT_EQ(client->Connect(), c.accepted) << c.name << ": " << client->SSLFailure();
    if (c.accepted) {
      EXPECT_EQ(client->SendText("hello\n"), 6);
      char reply[7] = {};
      ASSERT_TRUE(client->WaitForData(3000)) << c.name;
      EXPECT_EQ(client->Receive(reply, 6), 6);
      EXPECT_STREQ(reply, "hello\n");
    } else {
      EXPECT_FALSE(client->Connected()) << c.name;
      EXPECT_FALSE(client->SSLFailure().empty()) << c.name;
    }
  }
}

TEST(TlsClient, SendsTheHostAsServerName) {
  std::promise<std::string> name;
  Server server([&](Connection& c, int) { name.set_value(c.TlsServerName()); c.WaitForClose(2000); },
                &LocalhostCredentials());
  auto client = TlsClient(server.Port(), "localhost");
  ASSERT_TRUE(client->Connect());
  EXPECT_EQ(name.get_future().get(), "localhost");
}

TEST(TlsClient, WaitForDataSeesPlaintextAlreadyDecrypted) {
  Server server([](Connection& c, int) {
    c.Send("one\r\ntwo\r\n");  // one record
    c.WaitForClose(3000);
  }, &LocalhostCredentials());
  auto client = TlsClient(server.Port(), "localhost");
  ASSERT_TRUE(client->Connect());
  AnsiString line;
  ASSERT_TRUE(client->ReadLine(line, 3000));
  EXPECT_EQ(line, "one");
  // The rest sits decrypted inside the session; the socket itself has nothing more.
  EXPECT_TRUE(client->WaitForData(0));
  ASSERT_TRUE(client->ReadLine(line, 0));
  EXPECT_EQ(line, "two");
}

TEST(TlsClient, TheHandshakeEndsWithinTheConnectTimeOut) {
  platform::testing::Watchdog watchdog(20s);
  // A server that accepts and never answers the handshake.
  Server silent([](Connection& c, int) { c.WaitForClose(5000); });
  auto client = TlsClient(silent.Port(), "localhost");
  client->Tcp().ConnectTimeout = 400;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client->Connect());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(TlsClient, CreationFailsWithoutTheLibraryOrItsExport) {
  for (const char* name : {"NoSuchLibrary.dll", "QM_Log.dll"}) {
    SetSSLLibraryName(name);
    UnloadSSLInterface();
    EXPECT_FALSE(LoadSSLInterface()) << name;
    EXPECT_EQ(TSSLClient::Create(1, "localhost"), nullptr) << name;
  }
  SetSSLLibraryName("SSL.dll");
  UnloadSSLInterface();
  EXPECT_TRUE(LoadSSLInterface());
}

}  // namespace
