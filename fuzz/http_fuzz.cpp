// Feeds arbitrary bytes to the HTTP client's parsers. The first byte picks what the rest is:
//   0: a whole server answer (head and body, any framing and encoding), sent by a loopback
//      server that then closes, read by the client into a stream;
//   1: Set-Cookie values, one per line, stored for a host and then asked for;
//   2: an HTTP date, parsed, formatted and parsed again;
//   3: a URL, split;
//   4: a compressed body, inflated as gzip and as deflate with a small output limit;
//   5: an update description (XML), read as the live update reads it, its what's-new page
//      made and read back, its versions compared;
//   6: HTML for the what's-new view, and the same bytes as a text template and as a stored
//      scrambled value.
// The client may fail on any input, but must not crash, hang or break its limits.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <mutex>
#include <string>
#include <thread>

#include "program/net/CookieMgr.h"
#include "program/net/HTTPClient.h"
#include "program/net/HtmlView.h"
#include "program/net/HttpGet.h"
#include "program/net/LiveUpdateMgr.h"
#include "program/net/UpdateHelper.h"
#include "rtl/Strings.h"
#include "program/net/NetStartup.h"
#include "program/net/ZLibEx.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// A loopback server answering every connection with the current payload, then closing.
class PayloadServer {
 public:
  PayloadServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_listener, 8);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    std::thread([this] { Run(); }).detach();
  }
  uint16_t Port() const { return m_port; }
  void SetPayload(std::string payload) {
    std::lock_guard lock(m_mutex);
    m_payload = std::move(payload);
  }

 private:
  void Run() {
    for (;;) {
      const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      // The request head, then the answer.
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) != 1) break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      std::string payload;
      {
        std::lock_guard lock(m_mutex);
        payload = m_payload;
      }
      ::send(fd, payload.data(), payload.size(), MSG_NOSIGNAL);
      ::shutdown(fd, SHUT_WR);
      ::close(fd);
    }
  }

  int m_listener = -1;
  uint16_t m_port = 0;
  std::mutex m_mutex;
  std::string m_payload;
};

PayloadServer& Server() {
  static PayloadServer* server = [] {
    StartNetwork();
    return new PayloadServer;
  }();
  return *server;
}

void FuzzResponse(const std::string& payload) {
  Server().SetPayload(payload);
  THTTPClient client;
  client.Timeout = 200;
  client.MaxBodyBytes = 1 << 20;
  TMemoryStream body;
  const bool ok = client.GetToStream("http://127.0.0.1:" + std::to_string(Server().Port()) + "/f", "", body);
  Check(body.Size() <= client.MaxBodyBytes);
  if (ok) Check(client.BodyComplete());
}

void FuzzCookies(const std::string& text) {
  TCookieManager manager;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    manager.SetCookie("www.fuzz.test:8080", text.substr(start, end - start), "/a/b");
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const AnsiString header = manager.GetCookieHeader("www.fuzz.test", "/a/b/c", true);
  for (char c : header) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  Check(manager.Cookies().size() <= TCookieManager::kMaxCookiesPerDomain);
}

void FuzzDate(const std::string& text) {
  const TDateTime value = ParseHttpDate(text);
  if (value == 0) return;
  const AnsiString formatted = FormatHttpDate(value);
  if (!formatted.empty()) ParseHttpDate(formatted);
}

void FuzzUrl(const std::string& text) {
  AnsiString authority, path, fileName, host, port;
  if (SplitUrl(text, authority, path, fileName, host, port)) Check(!path.empty() && path[0] == '/');
}

void FuzzInflate(const std::string& data) {
  for (auto format : {TZInflater::TFormat::Gzip, TZInflater::TFormat::Deflate}) {
    TStringStream source(data);
    TMemoryStream target;
    try {
      ZDecompressStream(source, target, format, 1 << 20);
    } catch (const EZCompressionError&) {
    }
    Check(target.Size() <= (1 << 20));
  }
}

void FuzzUpdateDescription(const std::string& text) {
  IXMLDocumentPtr document = ParseXMLReply(text);
  if (!document) return;
  TUpdateResponse response;
  if (!response.LoadFromXML(document->GetDocumentElement())) {
    Check(response.Versions.Count() == 0 && response.ExeUrl.empty());
    return;
  }
  Check(response.ExeSha256.empty() || IsSha256Text(response.ExeSha256));
  CompareVersions(response.GetLatestVersion(), u"2.5.7.3");
  // Whatever the server wrote stays text on the page: no tag of its own survives escaping.
  for (const THtmlBlock& block : ParseHtml(response.GetWhatsNewHTML()))
    for (const THtmlRun& run : block.Runs) Check(run.Href.empty());
  SetupFileNameFromUrl(WideToUTF8(response.ExeUrl));
}

void FuzzHtml(const std::string& text) {
  const WideString wide = UTF8ToWide(text);
  for (const THtmlBlock& block : ParseHtml(wide)) {
    Check(block.Indent >= 0 && block.Indent <= 8);
    for (const THtmlRun& run : block.Runs) Check(!run.Text.empty());
  }
  DecodeCharacterReferences(wide);
  WideString filled;
  FormatTemplate(wide, {u"ABC", u"2.5.7.3"}, filled);
  const size_t split = text.size() / 2;
  const AnsiString plain = DescrambleConfigValue(text.substr(0, split), text.substr(split));
  Check(plain.size() < std::max<size_t>(split / 2, 1));
  const AnsiString name = SetupFileNameFromUrl(text);
  Check(!name.empty() && name[0] != '.' && name.find('/') == AnsiString::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 7) {
    case 0: FuzzResponse(rest); break;
    case 1: FuzzCookies(rest); break;
    case 2: FuzzDate(rest); break;
    case 3: FuzzUrl(rest); break;
    case 4: FuzzInflate(rest); break;
    case 5: FuzzUpdateDescription(rest); break;
    default: FuzzHtml(rest); break;
  }
  return 0;
}
