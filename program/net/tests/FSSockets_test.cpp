#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "NetTestEnvironment.h"
#include "platform/testing/Watchdog.h"
#include "program/net/Base64.h"
#include "program/net/FSSockets.h"

namespace {

using namespace std::chrono_literals;
using testnet::Connection;
using testnet::Server;

constexpr int kWSAECONNREFUSED = 10061;

std::unique_ptr<TFSTCPClient> ClientFor(uint16_t port, const AnsiString& host = "127.0.0.1") {
  auto client = std::make_unique<TFSTCPClient>();
  client->SetHost(host);
  client->SetPort(std::to_string(port));
  return client;
}

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST(Base64, EncodesWithAndWithoutPadding) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("a", true), "YQ");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("user:pa ss"), "dXNlcjpwYSBzcw==");
}

TEST(TcpClient, ARefusedConnectFailsWithItsError) {
  auto client = ClientFor(testnet::UnusedPort());
  int error = 0;
  client->OnError = [&](TObject*, int e) { error = e; };
  EXPECT_FALSE(client->Connect());
  EXPECT_FALSE(client->Connected());
  EXPECT_EQ(error, kWSAECONNREFUSED);
}

TEST(TcpClient, ASilentHostTimesOutWithinTheConnectTimeOut) {
  platform::testing::Watchdog watchdog(10s);
  testnet::SilentHost silent;
  auto client = ClientFor(silent.Port());
  client->Tcp().ConnectTimeout = 300;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client->Connect());
  EXPECT_GE(MsSince(start), 250);
  EXPECT_LT(MsSince(start), 3000);
}

TEST(TcpClient, LocalhostTriesEachResolvedAddressInTurn) {
  // The server listens on IPv4 only; "localhost" may resolve to ::1 first, which is refused.
  Server server([](Connection& c, int) { c.Send("hello\r\n"); c.WaitForClose(); });
  auto client = ClientFor(server.Port(), "localhost");
  client->Tcp().ConnectTimeout = 2000;
  ASSERT_TRUE(client->Connect());
  AnsiString line;
  EXPECT_TRUE(client->ReadLine(line, 2000));
  EXPECT_EQ(line, "hello");
}

TEST(TcpClient, AbortFromAnotherThreadWakesABlockedRead) {
  platform::testing::Watchdog watchdog(10s);
  Server server([](Connection& c, int) { c.WaitForClose(8000); });
  auto client = ClientFor(server.Port());
  ASSERT_TRUE(client->Connect());
  auto reader = std::async(std::launch::async, [&] {
    AnsiString line;
    return client->ReadLine(line, 30000);
  });
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  client->Abort();
  EXPECT_FALSE(reader.get());
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_FALSE(client->Connected());
}

TEST(TcpClient, ReadLineTakesLinesArrivingInPiecesAndLeavesTheRest) {
  Server server([](Connection& c, int) {
    c.SendPieces({"first li", "ne\r", "\nsecond\r", "\nrest"});
    c.WaitForClose();
  });
  auto client = ClientFor(server.Port());
  ASSERT_TRUE(client->Connect());
  AnsiString line;
  ASSERT_TRUE(client->ReadLine(line, 2000));
  EXPECT_EQ(line, "first line");
  ASSERT_TRUE(client->ReadLine(line, 2000));
  EXPECT_EQ(line, "second");
  char rest[8] = {};
  ASSERT_TRUE(client->WaitForData(2000));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(client->Receive(rest, sizeof rest), 4);
  EXPECT_STREQ(rest, "rest");
}

TEST(TcpClient, ReadLineRefusesALineBeyondItsCap) {
  Server server([](Connection& c, int) {
    c.Send(std::string(5000, 'x') + "\r\n");
    c.WaitForClose();
  });
  auto client = ClientFor(server.Port());
  ASSERT_TRUE(client->Connect());
  AnsiString line;
  EXPECT_FALSE(client->ReadLine(line, 2000, "\r\n", 1024));
}

TEST(TcpClient, SendStreamSendsEverything) {
  std::promise<std::string> received;
  const std::string data(100000, 'q');
  Server server([&](Connection& c, int) { received.set_value(c.ReadExactly(100000)); });
  auto client = ClientFor(server.Port());
  ASSERT_TRUE(client->Connect());
  TStringStream stream(data);
  EXPECT_EQ(client->SendStream(stream), 100000);
  EXPECT_EQ(received.get_future().get(), data);
}

// HTTP CONNECT proxies, scripted.

struct ConnectScript {
  std::string reply;      // sent after the CONNECT head
  bool oneByteSegments = false;
  bool tunnel = true;
};

TEST(HttpProxy, TunnelsWithBasicAuthAndReadsTheWholeReplyHead) {
  Server origin([](Connection& c, int) {
    c.Send("ready\r\n");
    c.WaitForClose();
  });
  std::promise<std::string> head;
  Server proxy([&](Connection& c, int) {
    head.set_value(c.ReadHead());
    std::string reply = "HTTP/1.1 200 Connection established\r\nProxy-Agent: test\r\nX-Other: y\r\n\r\n";
    std::vector<std::string> bytes;
    for (char ch : reply) bytes.emplace_back(1, ch);
    c.SendPieces(bytes, 1);
    c.Tunnel(origin.Port());
  });
  auto client = ClientFor(origin.Port());
  client->Proxy().SetProxyInfo({ptHttp, "127.0.0.1", std::to_string(proxy.Port()), "user", "secret"});
  ASSERT_TRUE(client->Connect());
  EXPECT_EQ(head.get_future().get(), "CONNECT 127.0.0.1:" + std::to_string(origin.Port()) +
                                         " HTTP/1.0\r\nProxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n\r\n");
  AnsiString line;
  ASSERT_TRUE(client->ReadLine(line, 2000));
  EXPECT_EQ(line, "ready");
}

TEST(HttpProxy, RefusalsAndBrokenRepliesFailAndClose) {
  const struct {
    const char* name;
    std::string reply;
  } cases[] = {
      {"407", "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n\r\n"},
      {"500", "HTTP/1.0 500 Nope\r\n\r\n"},
      {"head without its end", "HTTP/1.1 200 OK\r\nX-A: b\r\n"},
      {"no status", "\r\n"},
  };
  for (const auto& c : cases) {
    Server proxy([&](Connection& conn, int) {
      conn.ReadHead();
      conn.Send(c.reply);
      conn.WaitForClose(3000);
    });
    auto client = ClientFor(testnet::UnusedPort());
    client->Tcp().ConnectTimeout = 500;
    client->Proxy().SetProxyInfo({ptHttp, "127.0.0.1", std::to_string(proxy.Port()), "", ""});
    EXPECT_FALSE(client->Connect()) << c.name;
    EXPECT_FALSE(client->Connected()) << c.name;
  }
}

// SOCKS5 proxies, scripted: the greeting, the optional authentication and the request are read
// exactly, then the reply of the case goes back.

struct SocksCase {
  std::string name;
  std::string user;
  std::string methodReply;
  std::string authReply;
  std::string connectReply;
  std::string expectedError;  // empty: success expected
  bool oneByte = false;
};

void RunSocks(const SocksCase& sc, uint16_t originPort, std::string* greeting = nullptr) {
  std::promise<std::string> seen;
  Server proxy([&](Connection& c, int) {
    std::string got = c.ReadExactly(3);
    seen.set_value(got);
    auto send = [&](const std::string& data) {
      if (!sc.oneByte) return c.Send(data);
      std::vector<std::string> bytes;
      for (char ch : data) bytes.emplace_back(1, ch);
      return c.SendPieces(bytes, 2);
    };
    send(sc.methodReply);
    if (!sc.user.empty() && sc.methodReply == std::string("\x05\x02", 2)) {
      const std::string head = c.ReadExactly(2);
      if (head.size() < 2) return;
      c.ReadExactly(static_cast<uint8_t>(head[1]));
      const std::string passLength = c.ReadExactly(1);
      if (passLength.empty()) return;
      c.ReadExactly(static_cast<uint8_t>(passLength[0]));
      send(sc.authReply);
      if (sc.authReply[1] != 0) return c.WaitForClose(2000);
    }
    const std::string request = c.ReadExactly(5);
    if (request.size() < 5) return;
    c.ReadExactly(static_cast<uint8_t>(request[4]) + 2);
    send(sc.connectReply);
    if (sc.expectedError.empty()) {
      c.Tunnel(originPort);
    } else {
      c.WaitForClose(2000);
    }
  });
  auto client = ClientFor(originPort, "localhost");
  client->Tcp().ConnectTimeout = 2000;
  client->Proxy().SetProxyInfo({ptSocks5, "127.0.0.1", std::to_string(proxy.Port()), sc.user, "pw"});
  std::string error;
  bool connected = false;
  try {
    connected = client->Connect();
  } catch (const ESocksProxyError& e) {
    error = e.Message();
  }
  if (sc.expectedError.empty()) {
    EXPECT_TRUE(connected) << sc.name << ": " << error;
    AnsiString line;
    EXPECT_TRUE(client->ReadLine(line, 2000)) << sc.name;
    EXPECT_EQ(line, "ready") << sc.name;
  } else {
    EXPECT_FALSE(connected) << sc.name;
    EXPECT_EQ(error, sc.expectedError) << sc.name;
    EXPECT_FALSE(client->Connected()) << sc.name;
  }
  if (greeting) *greeting = seen.get_future().get();
}

TEST(Socks5Proxy, RepliesAndTheirErrors) {
  platform::testing::Watchdog watchdog(60s);
  Server origin([](Connection& c, int) {
    c.Send("ready\r\n");
    c.WaitForClose();
  });
  const std::string noAuth("\x05\x00", 2);
  const std::string ipv4Ok("\x05\x00\x00\x01\x7f\x00\x00\x01\x04\x00", 10);
  const std::string domainOk = std::string("\x05\x00\x00\x03\x09", 5) + "localhost" + std::string("\x04\x00", 2);
  const std::string ipv6Ok = std::string("\x05\x00\x00\x04", 4) + std::string(16, '\0') + std::string("\x04\x00", 2);
  std::vector<SocksCase> cases = {
      {"ipv4 reply", "", noAuth, "", ipv4Ok, ""},
      {"domain reply", "", noAuth, "", domainOk, ""},
      {"ipv6 reply", "", noAuth, "", ipv6Ok, ""},
      {"one-byte segments", "", noAuth, "", ipv4Ok, "", true},
      {"user and password", "user", std::string("\x05\x02", 2), std::string("\x01\x00", 2), ipv4Ok, ""},
      {"authentication refused", "user", std::string("\x05\x02", 2), std::string("\x01\x01", 2), ipv4Ok,
       "Authentication error to socks server."},
      {"method demanded without a user", "", std::string("\x05\x02", 2), "", ipv4Ok, "Invalid socks authentication method."},
      {"no acceptable method", "user", std::string("\x05\xff", 2), "", ipv4Ok, "Invalid socks authentication method."},
      {"code 12", "", noAuth, "", std::string("\x05\x0c\x00\x01\x00\x00\x00\x00\x00\x00", 10), "Unknown socks error."},
  };
  for (int code = 1; code <= 8; ++code) {
    std::string reply("\x05\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10);
    reply[1] = static_cast<char>(code);
    cases.push_back({"code " + std::to_string(code), "", noAuth, "", reply, FSSocketConsts::SocksReplyText(code)});
  }
  for (const SocksCase& sc : cases) RunSocks(sc, origin.Port());
}

TEST(Socks5Proxy, WithoutAUserOnlyNoAuthenticationIsOffered) {
  Server origin([](Connection& c, int) {
    c.Send("ready\r\n");
    c.WaitForClose();
  });
  std::string greeting;
  RunSocks({"greeting", "", std::string("\x05\x00", 2), "", std::string("\x05\x00\x00\x01\x7f\x00\x00\x01\x04\x00", 10), ""},
           origin.Port(), &greeting);
  EXPECT_EQ(greeting, std::string("\x05\x01\x00", 3));
}

TEST(Socks5Proxy, FieldsLongerThan255BytesFailBeforeAnythingIsSent) {
  auto client = ClientFor(1, AnsiString(300, 'h'));
  Server proxy([](Connection& c, int) { c.WaitForClose(2000); });
  client->Proxy().SetProxyInfo({ptSocks5, "127.0.0.1", std::to_string(proxy.Port()), "", ""});
  EXPECT_THROW(client->Connect(), ESocksProxyError);
  EXPECT_FALSE(client->Connected());
}

TEST(Socks5Proxy, ASilentProxyTimesOutAndAShortReplyFails) {
  platform::testing::Watchdog watchdog(20s);
  Server silent([](Connection& c, int) { c.WaitForClose(3000); });
  auto client = ClientFor(80, "localhost");
  client->Tcp().ConnectTimeout = 300;
  client->Proxy().SetProxyInfo({ptSocks5, "127.0.0.1", std::to_string(silent.Port()), "", ""});
  try {
    client->Connect();
    ADD_FAILURE() << "no time-out";
  } catch (const ESocksProxyError& e) {
    EXPECT_EQ(e.Message(), "timeout");
  }
  Server shortReply([](Connection& c, int) {
    c.ReadExactly(3);
    c.Send(std::string("\x05", 1));
  });
  auto second = ClientFor(80, "localhost");
  second->Tcp().ConnectTimeout = 1000;
  second->Proxy().SetProxyInfo({ptSocks5, "127.0.0.1", std::to_string(shortReply.Port()), "", ""});
  EXPECT_FALSE(second->Connect());
}

}  // namespace
