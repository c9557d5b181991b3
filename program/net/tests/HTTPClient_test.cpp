#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <fstream>
#include <unistd.h>

#include "NetTestEnvironment.h"
#include "platform/testing/Processes.h"
#include "platform/testing/Watchdog.h"
#include "program/net/CookieMgr.h"
#include "program/net/HTTPClient.h"
#include "rtl/DateTime.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testnet::Connection;
using testnet::Request;
using testnet::Server;

std::string Response(const std::string& body, const std::string& extra = "", const std::string& status = "200 OK") {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

// Answers every request of a connection with the response the function gives.
Server::Handler Answer(std::function<std::string(const Request&)> respond) {
  return [respond](Connection& c, int) {
    Request request;
    while (c.ReadRequest(request)) {
      if (!c.Send(respond(request))) return;
    }
  };
}

TEST(SplitUrl, SplitsHttpAndHttps) {
  AnsiString authority, path, fileName, host, port;
  ASSERT_TRUE(SplitUrl("HTTP://Server:8080/a/b.xml?x=1", authority, path, fileName, host, port));
  EXPECT_EQ(host, "Server");
  EXPECT_EQ(port, "8080");
  EXPECT_EQ(authority, "Server:8080");
  EXPECT_EQ(path, "/a/b.xml?x=1");
  EXPECT_EQ(fileName, "b.xml?x=1");
  ASSERT_TRUE(SplitUrl("https://host.test", authority, path, fileName, host, port));
  EXPECT_EQ(port, "443");
  EXPECT_EQ(path, "/");
  ASSERT_TRUE(SplitUrl("http://[::1]:81/x", authority, path, fileName, host, port));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, "81");
  ASSERT_TRUE(SplitUrl("http://h.test?q=a/b", authority, path, fileName, host, port));
  EXPECT_EQ(authority, "h.test");
  EXPECT_EQ(path, "/?q=a/b");
  EXPECT_FALSE(SplitUrl("ftp://h.test/x", authority, path, fileName, host, port));
  EXPECT_FALSE(SplitUrl("a/b", authority, path, fileName, host, port));
}

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCookieManager().Clear();
    client.Timeout = 3000;
  }
  // GET into a string; the body when it worked.
  bool Get(const std::string& url, std::string& body, TDateTime ims = 0) {
    TStringStream stream;
    const bool ok = client.GetToStream(url, "", stream, ims);
    body = stream.DataString();
    return ok;
  }
  THTTPClient client;
  platform::testing::Watchdog watchdog{60s};
};

TEST_F(HttpClientTest, TheRequestHeadHasItsFixedOrderAndEncodesThePath) {
  std::promise<std::string> head;
  Server server([&](Connection& c, int) {
    Request r;
    c.ReadRequest(r);
    head.set_value(r.head);
    c.Send(Response("ok"));
  });
  std::string body;
  ASSERT_TRUE(Get(server.Url("/my file\x01\xc3\xa9.exe?a=1"), body)) << client.ErrorText();
  EXPECT_EQ(body, "ok");
  EXPECT_EQ(head.get_future().get(),
            "GET /my%20file%01%C3%A9.exe?a=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                "\r\nAccept: */*\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
                "User-Agent: Mozilla/4.0 (compatible; MSIE 6.00)\r\nConnection: Keep-Alive\r\n"
                "Accept-Encoding: gzip,deflate");
}

// One response scripted as pieces sent with pauses; the expected body, or failure.
struct BodyCase {
  const char* name;
  std::vector<std::string> pieces;
  bool ok;
  std::string body;
  int64_t maxBody = int64_t(2) << 30;
};

TEST_F(HttpClientTest, ResponseBodies) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const std::string big(300000, 'z');
  const std::string chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  std::string badCrc = net_fixtures::Gzip(alphabet);
  badCrc[badCrc.size() - 6] ^= 0x55;
  const std::string bomb = net_fixtures::Gzip(std::string(4 << 20, '\0'));
  std::string truncatedGzip = net_fixtures::Gzip(alphabet);
  truncatedGzip.resize(truncatedGzip.size() - 4);
  const std::vector<BodyCase> cases = {
      {"by length", {Response(alphabet)}, true, alphabet},
      {"by length in pieces", {Response(alphabet).substr(0, 30), Response(alphabet).substr(30)}, true, alphabet},
      {"large", {Response(big)}, true, big},
      {"until the close", {"HTTP/1.0 200 OK\r\n\r\n" + alphabet}, true, alphabet},
      {"chunks split with CR ending a piece",
       {chunkedHead + "1a;x=y\r", "\n" + alphabet + "\r", "\n0\r", "\n\r", "\n"}, true, alphabet},
      {"many large chunks", {chunkedHead + [&] {
                               std::string chunks;
                               for (int i = 0; i < 64; ++i) chunks += "10000\r\n" + std::string(65536, char('a' + i % 26)) + "\r\n";
                               return chunks + "0\r\n\r\n";
                             }()},
       true, [&] {
         std::string body;
         for (int i = 0; i < 64; ++i) body += std::string(65536, char('a' + i % 26));
         return body;
       }()},
      {"chunked in another case", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"}, true, "abc"},
      {"chunked with trailer", {chunkedHead + "3\r\nabc\r\n0\r\nX-T: 1\r\n\r\n"}, true, "abc"},
      {"chunked, gzip is not chunked", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip\r\n\r\n3\r\nabc\r\n0\r\n\r\n"},
       true, "3\r\nabc\r\n0\r\n\r\n"},
      {"chunked without its last chunk", {chunkedHead + "3\r\nabc\r\n"}, false, ""},
      {"bad chunk size", {chunkedHead + "zz\r\nabc\r\n0\r\n\r\n"}, false, ""},
      {"short chunk", {chunkedHead + "10\r\nabc"}, false, ""},
      {"gzip", {Response(net_fixtures::Gzip(alphabet), "Content-Encoding: gzip\r\n")}, true, alphabet},
      {"gzip with a file name", {Response(net_fixtures::Gzip(alphabet, "name.txt"), "Content-Encoding: GZIP\r\n")}, true,
       alphabet},
      {"gzip chunked", {chunkedHead.substr(0, chunkedHead.size() - 2) + "Content-Encoding: gzip\r\n\r\n" +
                            [&] {
                              const std::string z = net_fixtures::Gzip(alphabet);
                              char size[16];
                              std::snprintf(size, sizeof size, "%zx", z.size());
                              return std::string(size) + "\r\n" + z + "\r\n0\r\n\r\n";
                            }()},
       true, alphabet},
      {"gzip with a bad CRC", {Response(badCrc, "Content-Encoding: gzip\r\n")}, false, ""},
      {"gzip cut short", {Response(truncatedGzip, "Content-Encoding: gzip\r\n")}, false, ""},
      {"gzip bomb", {Response(bomb, "Content-Encoding: gzip\r\n")}, false, "", 1 << 20},
      {"garbage as gzip", {Response("not compressed at all", "Content-Encoding: gzip\r\n")}, false, ""},
      {"deflate wrapped", {Response(net_fixtures::Deflate(alphabet, false), "Content-Encoding: deflate\r\n")}, true, alphabet},
      {"deflate raw", {Response(net_fixtures::Deflate(alphabet, true), "Content-Encoding: deflate\r\n")}, true, alphabet},
      {"unknown encoding is plain", {Response("xyz", "Content-Encoding: br\r\n")}, true, "xyz"},
      {"short body", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this"}, false, ""},
      {"negative length", {"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabcde"}, false, ""},
      {"length over the limit", {"HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n"}, false, "", 1000},
      {"body over the limit without a length", {"HTTP/1.0 200 OK\r\n\r\n" + big}, false, "", 1000},
      {"endless header", {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(20000, 'h') + "\r\n\r\n"}, false, ""},
      {"head over 64 KiB", {"HTTP/1.1 200 OK\r\n" + [] {
                              std::string lines;
                              for (int i = 0; i < 100; ++i) lines += "X-H" + std::to_string(i) + ": " + std::string(1000, 'v') + "\r\n";
                              return lines;
                            }() + "\r\n"},
       false, ""},
      {"not HTTP", {"SSH-2.0-OpenSSH\r\n\r\n"}, false, ""},
      {"404", {Response("missing", "", "404 Not Found")}, false, ""},
      {"interim 100 first", {"HTTP/1.1 100 Continue\r\n\r\n" + Response("done")}, true, "done"},
  };
  for (const BodyCase& c : cases) {
    Server server([&](Connection& conn, int) {
      Request r;
      conn.ReadRequest(r);
      conn.SendPieces(c.pieces, 20);
    });
    client.MaxBodyBytes = c.maxBody;
    client.BufferSize = 65536;
    std::string body;
    const bool ok = Get(server.Url("/x"), body);
    EXPECT_EQ(ok, c.ok) << c.name << ": " << client.ErrorText();
    if (c.ok && ok) EXPECT_EQ(body, c.body) << c.name;
    if (!ok) EXPECT_FALSE(client.ErrorText().empty()) << c.name;
  }
}

TEST_F(HttpClientTest, ATimeOutMidBodyFailsWithItsState) {
  Server server([](Connection& c, int) {
    Request r;
    c.ReadRequest(r);
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart");
    c.WaitForClose(3000);
  });
  client.Timeout = 300;
  std::string body;
  EXPECT_FALSE(Get(server.Url("/slow"), body));
  EXPECT_EQ(client.State(), THTTPClient::stTimedOut);
  EXPECT_FALSE(client.Connection().Connected());
}

TEST_F(HttpClientTest, KeepAliveReusesTheConnectionAndConnectionCloseEndsIt) {
  Server server(Answer([](const Request& r) {
    return Response("body of " + r.target, r.target == "/last" ? "Connection: close\r\n" : "Connection: keep-alive\r\nKeep-Alive: timeout=5, max=100\r\n");
  }));
  std::string body;
  ASSERT_TRUE(Get(server.Url("/a"), body));
  EXPECT_FALSE(client.Reused());
  EXPECT_EQ(client.KeepAliveRemaining(), 5);
  ASSERT_TRUE(Get(server.Url("/b"), body));
  EXPECT_TRUE(client.Reused());
  EXPECT_EQ(body, "body of /b");
  ASSERT_TRUE(Get(server.Url("/last"), body));
  EXPECT_FALSE(client.Connection().Connected());
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_EQ(client.KeepAliveRemaining(), 0);
}

TEST_F(HttpClientTest, AResentPostRewindsItsBodyButNeverAfterResponseBytes) {
  std::mutex mutex;
  std::vector<std::string> bodies;  // guarded by mutex
  Server server([&](Connection& c, int index) {
    Request r;
    while (c.ReadRequest(r)) {
      {
        std::lock_guard lock(mutex);
        bodies.push_back(r.body);
      }
      // The first connection ends after its first answer, though it said keep-alive.
      c.Send(Response("ok", "Connection: keep-alive\r\nKeep-Alive: timeout=30\r\n"));
      if (index == 0) return;
    }
  });
  std::string body;
  ASSERT_TRUE(Get(server.Url("/first"), body));
  std::this_thread::sleep_for(50ms);
  TStringStream post;
  ASSERT_TRUE(client.GetToStream(server.Url("/post"), "name=value&x=1", post)) << client.ErrorText();
  {
    std::lock_guard lock(mutex);
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[1], "name=value&x=1");
  }
  EXPECT_EQ(server.Connections(), 2);

  // A server that begins its answer and drops the connection: the request is not sent again.
  Server half([&](Connection& c, int index) {
    Request r;
    while (c.ReadRequest(r)) {
      if (index == 0 && r.target == "/post") {
        c.Send("HTTP/1.1 200 OK\r\nContent-Le");
        return;
      }
      c.Send(Response("ok", "Connection: keep-alive\r\nKeep-Alive: timeout=30\r\n"));
    }
  });
  ASSERT_TRUE(Get(half.Url("/first"), body));
  EXPECT_FALSE(client.GetToStream(half.Url("/post"), "data", post));
  EXPECT_EQ(half.Connections(), 1);
}

TEST_F(HttpClientTest, MultipartBodiesEndWithTheCloseDelimiter) {
  std::promise<Request> seen;
  Server server([&](Connection& c, int) {
    Request r;
    c.ReadRequest(r);
    seen.set_value(r);
    c.Send(Response("ok"));
  });
  TStringStream first("hello");
  TMemoryStream second;
  second.WriteBuffer("\x00\x01\x02", 3);
  ASSERT_TRUE(client.OpenUrl(server.Url("/up"), {{"field", "", &first}, {"file", "a\"b.bin", &second}})) << client.ErrorText();
  const Request r = seen.get_future().get();
  const std::string boundary = "-----------------------------7d7da1b60556";
  EXPECT_EQ(r.Header("content-type"), "multipart/form-data; boundary=---------------------------7d7da1b60556");
  EXPECT_EQ(r.body, boundary + "\r\nContent-Disposition: form-data; name=\"field\"\r\n\r\nhello\r\n" + boundary +
                        "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a&quot;b.bin\"\r\nContent-Type:file\r\n\r\n" +
                        std::string("\x00\x01\x02", 3) + "\r\n" + boundary + "--\r\n");
}

TEST_F(HttpClientTest, RedirectsAreFollowedUpToTen) {
  Server server(Answer([](const Request& r) {
    if (r.target == "/rel") return Response("moved", "Location: /target\r\n", "302 Found");
    if (r.target.rfind("/loop", 0) == 0) return Response("", "Location: /loop" + r.target.substr(5) + "x\r\n", "302 Found");
    if (r.target == "/nowhere") return Response("", "", "302 Found");
    return Response("arrived at " + r.target);
  }));
  std::string body;
  ASSERT_TRUE(Get(server.Url("/rel"), body)) << client.ErrorText();
  EXPECT_EQ(body, "arrived at /target");
  Server other(Answer([&](const Request&) { return Response("", "Location: " + server.Url("/abs") + "\r\n", "302 Found"); }));
  ASSERT_TRUE(Get(other.Url("/"), body));
  EXPECT_EQ(body, "arrived at /abs");
  EXPECT_FALSE(Get(server.Url("/loop"), body));
  EXPECT_EQ(client.ErrorText(), "too many redirects");
  EXPECT_FALSE(Get(server.Url("/nowhere"), body));
}

TEST_F(HttpClientTest, RangesAndNotModified) {
  std::promise<std::string> range;
  Server server(Answer([&](const Request& r) {
    if (r.target == "/range") {
      range.set_value(r.Header("range"));
      return Response("cdef", "Content-Range: bytes 2-5/10\r\n", "206 Partial Content");
    }
    return std::string("HTTP/1.1 304 Not Modified\r\nConnection: keep-alive\r\nKeep-Alive: timeout=5\r\n\r\n");
  }));
  TStringStream stream;
  ASSERT_TRUE(client.GetToStream(server.Url("/range"), "", stream, 0, true, 2, 3));
  EXPECT_EQ(range.get_future().get(), "bytes=2-5");
  EXPECT_EQ(stream.DataString(), "cdef");
  std::string body;
  EXPECT_TRUE(Get(server.Url("/cached"), body, Now() - 1));
  EXPECT_EQ(body, "");
  EXPECT_FALSE(Get(server.Url("/cached"), body));  // a 304 nobody asked for
}

TEST_F(HttpClientTest, CookiesGoBackOnlyToTheirHost) {
  std::mutex mutex;
  std::vector<std::string> cookies;
  Server server(Answer([&](const Request& r) {
    std::lock_guard lock(mutex);
    cookies.push_back(r.Header("cookie"));
    return Response("ok", r.target == "/set" ? "Set-Cookie: sid=a b/c; Path=/\r\nSet-Cookie: sec=1; Secure\r\n" : "");
  }));
  std::string body;
  ASSERT_TRUE(Get(server.Url("/set"), body));
  ASSERT_TRUE(Get(server.Url("/again"), body));
  ASSERT_TRUE(Get("http://localhost:" + std::to_string(server.Port()) + "/other-host", body)) << client.ErrorText();
  std::lock_guard lock(mutex);
  ASSERT_EQ(cookies.size(), 3u);
  EXPECT_EQ(cookies[0], "");
  EXPECT_EQ(cookies[1], "sid=a b/c");
  EXPECT_EQ(cookies[2], "");
}

TEST_F(HttpClientTest, HttpsGoesThroughAVerifiedTlsConnection) {
  Server server(Answer([](const Request& r) { return Response("secure " + r.target, "Connection: keep-alive\r\nKeep-Alive: timeout=5\r\n"); }),
                &LocalhostCredentials());
  std::string body;
  ASSERT_TRUE(Get("https://localhost:" + std::to_string(server.Port()) + "/a", body)) << client.ErrorText();
  EXPECT_EQ(body, "secure /a");
  ASSERT_TRUE(Get("https://localhost:" + std::to_string(server.Port()) + "/b", body));
  EXPECT_TRUE(client.Reused());
  // The same port over plain http is a new connection, never the TLS one.
  EXPECT_FALSE(Get("http://localhost:" + std::to_string(server.Port()) + "/c", body));
  testnet::Credentials wrong = TestAuthority().IssueServer("DNS:elsewhere.test");
  Server impostor(Answer([](const Request&) { return Response("x"); }), &wrong);
  EXPECT_FALSE(Get("https://localhost:" + std::to_string(impostor.Port()) + "/", body));
  EXPECT_NE(client.ErrorText().find("TLS"), std::string::npos) << client.ErrorText();
}

TEST_F(HttpClientTest, CancelFromAnotherThreadEndsATransfer) {
  Server server([](Connection& c, int) {
    Request r;
    c.ReadRequest(r);
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nabc");
    c.WaitForClose(8000);
  });
  client.Timeout = 30000;
  auto transfer = std::async(std::launch::async, [&] {
    std::string body;
    return Get(server.Url("/"), body);
  });
  std::this_thread::sleep_for(200ms);
  const auto start = std::chrono::steady_clock::now();
  client.Cancel();
  EXPECT_FALSE(transfer.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(client.State(), THTTPClient::stClosed);
}

class DownloadTest : public HttpClientTest {
 protected:
  void SetUp() override {
    HttpClientTest::SetUp();
    folder = fs::temp_directory_path() / ("brantwell-net-dl-" + std::to_string(::getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string File(const char* name) { return (folder / name).string(); }
  fs::path folder;
};

TEST_F(DownloadTest, FilesAppearOnlyWhenComplete) {
  Server server(Answer([](const Request& r) {
    if (r.target == "/dated") return Response("dated", "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n");
    if (r.target == "/plain") return Response("plain");
    if (r.target == "/empty") return Response("");
    return std::string("HTTP/1.1 200 OK\r\nContent-Length: 50\r\nConnection: close\r\n\r\nshort");
  }));
  ASSERT_TRUE(client.DownloadToFile(server.Url("/dated"), "", File("dated.bin"), false)) << client.ErrorText();
  struct stat info{};
  ASSERT_EQ(::stat(File("dated.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 784111777);
  EXPECT_EQ(info.st_size, 5);
  ASSERT_TRUE(client.DownloadToFile(server.Url("/plain"), "", File("plain.bin"), false));
  ASSERT_EQ(::stat(File("plain.bin").c_str(), &info), 0);
  EXPECT_LT(std::abs(static_cast<long>(info.st_mtim.tv_sec - ::time(nullptr))), 60);
  EXPECT_FALSE(client.DownloadToFile(server.Url("/empty"), "", File("empty.bin"), false));
  EXPECT_FALSE(fs::exists(File("empty.bin")));
  platform::testing::WriteTextFile(File("kept.bin"), "old content");
  EXPECT_FALSE(client.DownloadToFile(server.Url("/short"), "", File("kept.bin"), false));
  EXPECT_EQ(fs::file_size(File("kept.bin")), 11u);
  for (const auto& entry : fs::directory_iterator(folder)) EXPECT_EQ(entry.path().extension(), ".bin") << entry.path();
}

TEST_F(DownloadTest, TheCacheAsksOncePerDayWithIfModifiedSince) {
  std::mutex mutex;
  std::vector<std::string> asked;
  Server server(Answer([&](const Request& r) {
    std::lock_guard lock(mutex);
    asked.push_back(r.Header("if-modified-since"));
    if (!r.Header("if-modified-since").empty()) return std::string("HTTP/1.1 304 Not Modified\r\n\r\n");
    return Response("fresh", "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n");
  }));
  const std::string file = File("cached.xml");
  ASSERT_TRUE(client.DownloadToFile(server.Url("/c"), "", file, true));
  ASSERT_TRUE(client.DownloadToFile(server.Url("/c"), "", file, true));  // fetched today: not asked
  fs::remove(file + ".fetched");                                        // as if fetched yesterday
  ASSERT_TRUE(client.DownloadToFile(server.Url("/c"), "", file, true)) << client.ErrorText();
  std::lock_guard lock(mutex);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], "");
  EXPECT_EQ(asked[1], "SUN, 06 Nov 1994 08:49:37 GMT");
  std::ifstream in(file);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "fresh");
}

}  // namespace
