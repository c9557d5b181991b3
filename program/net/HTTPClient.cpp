#include "program/net/HTTPClient.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/kernel/DebugOutput.h"
#include "program/net/CookieMgr.h"
#include "program/net/ZLibEx.h"
#include "rtl/DateTime.h"

namespace {

namespace fs = std::filesystem;

const char kBoundary[] = "---------------------------7d7da1b60556";

bool StartsWithNoCase(const AnsiString& text, const AnsiString& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) return false;
  }
  return true;
}

bool EqualsNoCase(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

AnsiString Trim(const AnsiString& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

bool HasControlByte(const AnsiString& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) <= 0x20 || c == 0x7f; });
}

// The request target with every byte outside the URL character set per-cent encoded.
AnsiString EncodePath(const AnsiString& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  for (char c : path) {
    const auto b = static_cast<uint8_t>(c);
    if (b <= 0x20 || b >= 0x7f || std::strchr("\"<>\\^`{|}", c)) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

AnsiString HtmlEscape(const AnsiString& text) {
  AnsiString out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A decimal length: digits only, not above limit.
bool ParseLength(const AnsiString& text, int64_t limit, int64_t& value) {
  if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  value = std::stoll(text);
  return value <= limit;
}

// A sink that throws away what is written.
class TNullStream : public TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t count) override { return count; }
  int64_t Seek(int64_t, Word) override { return 0; }
};

// Decodes into the target as pieces arrive.
class TInflateStream : public TStream {
 public:
  TInflateStream(TZInflater::TFormat format, int64_t limit, TStream& target) : m_inflater(format, limit), m_target(target) {}
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void* buffer, int32_t count) override {
    m_inflater.Feed(buffer, static_cast<size_t>(count), m_target);
    return count;
  }
  int64_t Seek(int64_t, Word) override { return 0; }
  void Finish() { m_inflater.Finish(); }

 private:
  TZInflater m_inflater;
  TStream& m_target;
};

bool IsStringStream(TStream* stream) { return dynamic_cast<TStringStream*>(stream) != nullptr; }

}  // namespace

bool SplitUrl(const AnsiString& url, AnsiString& authority, AnsiString& path, AnsiString& fileName, AnsiString& host,
              AnsiString& port) {
  size_t start;
  AnsiString defaultPort;
  if (StartsWithNoCase(url, "http://")) {
    start = 7;
  } else if (StartsWithNoCase(url, "https://")) {
    start = 8;
    defaultPort = "443";
  } else {
    return false;
  }
  const AnsiString rest = url.substr(start);
  size_t firstSlash = rest.find('/');
  const size_t query = rest.find('?');
  // An authority ends at the path or the query.
  size_t authorityEnd = std::min(firstSlash, query);
  authority = rest.substr(0, authorityEnd);
  path = authorityEnd == AnsiString::npos ? AnsiString() : rest.substr(authorityEnd);
  if (!path.empty() && path[0] == '?') path = "/" + path;
  if (path.empty()) path = "/";
  size_t separator = AnsiString::npos;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close != AnsiString::npos && close + 1 < authority.size() && authority[close + 1] == ':') separator = close + 1;
    host = authority.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1);
  } else {
    separator = authority.find(':');
    host = authority.substr(0, separator);
  }
  port = separator == AnsiString::npos ? defaultPort : authority.substr(separator + 1);
  const AnsiString pathOnly = path.substr(0, path.find('?'));
  fileName = path.substr(pathOnly.rfind('/') + 1);
  return true;
}

THTTPClient::THTTPClient() : FConnection(std::make_unique<TFSTCPClient>()) {
  FConnection->SetPort("80");
  FConnection->OnError = [](TObject*, int) {};
}

THTTPClient::~THTTPClient() {
  FClosed = true;
  FConnection->Disconnect();
}

void THTTPClient::Fail(const AnsiString& reason) {
  if (FErrorText.empty()) FErrorText = reason;
}

void THTTPClient::ResetResponse() {
  FHeaders.clear();
  FContentLength = 0;
  FHasContentLength = false;
  FStatus = 0;
  FClosed = false;
  FBodyComplete = false;
}

void THTTPClient::CloseConnection() {
  FClosed = true;
  FState = stClosed;
  FConnection->Disconnect();
}

void THTTPClient::Cancel() {
  FClosed = true;
  FState = stClosed;
  FConnection->Abort();
}

int THTTPClient::KeepAliveRemaining() {
  if (!FConnection->Connected()) return 0;
  const int idle = static_cast<int>(std::round((Now() - FConnection->LastActivity()) * 86400.0));
  return std::max(FKeepAliveTimeout - idle, 0);
}

AnsiString THTTPClient::HeaderValue(const AnsiString& name) const {
  for (const AnsiString& line : FHeaders) {
    if (!StartsWithNoCase(line, name)) continue;
    const char separator = EqualsNoCase(name, "HTTP/") ? ' ' : ':';
    if (separator == ':' && (line.size() <= name.size() || Trim(line.substr(name.size(), line.find(':') - name.size())) != ""))
      continue;  // "Content-Length-X" is not "Content-Length"
    const size_t at = line.find(separator, name.size());
    if (at == AnsiString::npos) return {};
    return Trim(line.substr(at + 1));
  }
  return {};
}

bool THTTPClient::Connect(const AnsiString& host, const AnsiString& port) {
  FState = stBusy;
  if (HasControlByte(host) || HasControlByte(port) || host.empty()) {
    Fail("bad host name '" + host + "'");
    return false;
  }
  FConnection->SetHost(host);
  FConnection->SetPort(port);
  if (FConnection->Connected()) {
    const int idle = static_cast<int>(std::round((Now() - FConnection->LastActivity()) * 86400.0));
    if (idle >= FKeepAliveTimeout) FConnection->Disconnect();
  }
  FReused = FConnection->Connected();
  ResetResponse();
  // A stalled peer cannot hold a read inside a TLS record longer than the time-out.
  FConnection->Tcp().ReceiveTimeout = Timeout;
  FConnection->Tcp().SendTimeout = Timeout;
  FConnection->Tcp().ConnectTimeout = Timeout;
  int socketError = 0;
  FConnection->OnError = [&socketError](TObject*, int error) { socketError = error; };
  bool ok = false;
  try {
    ok = FConnection->Connect();
  } catch (const ESocksProxyError& e) {
    Fail(AnsiString("proxy: ") + e.Message());
  }
  FConnection->OnError = [](TObject*, int) {};
  if (!ok) {
    if (!FConnection->SSLFailure().empty()) {
      Fail("TLS: " + FConnection->SSLFailure());
    } else {
      Fail("cannot connect to " + host + ":" + port + (socketError ? " (socket error " + std::to_string(socketError) + ")" : ""));
    }
  }
  return ok;
}

bool THTTPClient::OpenUrl(const AnsiString& url, const std::vector<TMultiPartFormData>& parts, TDateTime ifModifiedSince,
                          bool useRange, int64_t rangeStart, int64_t rangeLength, bool headOnly) {
  AnsiString authority, path, fileName, host, port;
  const bool absolute = SplitUrl(url, authority, path, fileName, host, port);
  if (RequireHttps && (absolute ? !StartsWithNoCase(url, "https://") : !FConnection->UseSSL())) {
    Fail("refused '" + url + "': only https is allowed here");
    FConnection->Disconnect();
    return false;
  }
  if (absolute) {
    if (AutoReferer && Referer.empty()) Referer = url.substr(0, url.rfind('/'));
    if (host.empty()) host = FConnection->Host();
    if (authority.empty()) authority = port == "80" || port.empty() ? host : host + ":" + port;
    if (port.empty()) port = "80";
    // A change of scheme never reuses the connection of the other one.
    const bool secure = StartsWithNoCase(url, "https://");
    if (secure != FConnection->UseSSL()) {
      FConnection->Disconnect();
      FConnection->SetUseSSL(secure);
    }
    if (!Connect(host, port)) return false;
  } else {
    if (url.empty()) {
      Fail("empty URL");
      return false;
    }
    path = url[0] == '/' ? url : "/" + url;
    authority = FConnection->Port() == "80" || FConnection->Port().empty() ? FConnection->Host()
                                                                            : FConnection->Host() + ":" + FConnection->Port();
    if (!Connect(FConnection->Host(), FConnection->Port())) return false;
  }
  return Request(authority, path, parts, ifModifiedSince, useRange, rangeStart, rangeLength, headOnly);
}

bool THTTPClient::RequestString(const AnsiString& url, const RawByteString& postData, TDateTime ifModifiedSince,
                                bool useRange, int64_t rangeStart, int64_t rangeLength, bool headOnly) {
  FRedirects = 0;
  FErrorText.clear();
  if (postData.empty()) return OpenUrl(url, {}, ifModifiedSince, useRange, rangeStart, rangeLength, headOnly);
  TStringStream body(postData);
  return OpenUrl(url, {TMultiPartFormData{"", "", &body}}, ifModifiedSince, useRange, rangeStart, rangeLength, headOnly);
}

bool THTTPClient::Request(const AnsiString& authority, const AnsiString& requestPath,
                          const std::vector<TMultiPartFormData>& parts, TDateTime ifModifiedSince, bool useRange,
                          int64_t rangeStart, int64_t rangeLength, bool headOnly) {
  FState = stBusy;
  const AnsiString path = EncodePath(requestPath);
  if (path.empty()) {
    Fail("empty path");
    return false;
  }
  if (HasControlByte(authority)) {
    Fail("bad host name '" + authority + "'");
    return false;
  }
  ResetResponse();
  const bool hasBody = !parts.empty();
  const bool multipart = parts.size() > 1 || (hasBody && !parts[0].Name.empty());
  const char* method = headOnly ? "HEAD" : hasBody ? "POST" : "GET";
  AnsiString head = AnsiString(method) + " " + path + " HTTP/1." + std::to_string(HttpMinorVersion) + "\r\n";
  head += "Host: " + authority + "\r\n";
  head += "Accept: " + Accept + "\r\n";
  head += "Pragma: no-cache\r\n";
  head += "Cache-Control: no-cache\r\n";
  if (useRange && rangeStart >= 1) {
    head += rangeLength < 1 ? "Range: bytes=" + std::to_string(rangeStart) + "-\r\n"
                            : "Range: bytes=" + std::to_string(rangeStart) + "-" + std::to_string(rangeStart + rangeLength) + "\r\n";
  }
  if (!Referer.empty() && !HasControlByte(Referer)) head += "Referer: " + Referer + "\r\n";
  if (!UserAgent.empty()) head += "User-Agent: " + UserAgent + "\r\n";
  const AnsiString cookies = GetCookieManager().GetCookieHeader(authority, requestPath, FConnection->UseSSL());
  if (!cookies.empty()) head += "Cookie: " + cookies + "\r\n";
  head += KeepAlive ? "Connection: Keep-Alive\r\n" : "Connection: close\r\n";
  if (AcceptCompression) head += "Accept-Encoding: gzip,deflate\r\n";
  if (ifModifiedSince != 0) head += "If-Modified-Since:" + FormatHttpDate(ifModifiedSince) + "\r\n";
  std::vector<int64_t> starts;
  if (!hasBody) {
    head += "\r\n";
  } else if (multipart) {
    head += AnsiString("Content-Type:multipart/form-data; boundary=") + kBoundary + "\r\n";
  } else {
    TStream* stream = parts[0].Stream;
    const int64_t length = stream ? stream->Size() - stream->Position() : 0;
    if (IsStringStream(stream)) {
      head += "Content-Type:application/x-www-form-urlencoded; charset=UTF-8\r\n";
    } else {
      head += "Content-Type:application/octet-stream\r\nContent-Transfer-Encoding: binary\r\n";
    }
    head += "Content-Length: " + std::to_string(length) + "\r\n\r\n";
  }
  for (const TMultiPartFormData& part : parts) starts.push_back(part.Stream ? part.Stream->Position() : 0);
  FHeadRequest = headOnly;
  FRequestHadIms = ifModifiedSince != 0;
  for (;;) {
    OutputDebugStringA(("Http Request Host: " + authority + ", URL: " + path).c_str());
    FResponseStarted = false;
    bool sent = FConnection->SendText(head) == static_cast<int>(head.size());
    if (sent && hasBody) sent = SendBody(parts, starts);
    if (!sent) FState = stSendFailed;
    if (sent && ReadHeaders()) break;
    // A kept-alive connection the server had already dropped: once more on a new one, but only
    // when nothing of a response arrived (the request may have been acted on otherwise).
    if (FReused && !FClosed && !FResponseStarted) {
      FReused = false;
      FConnection->Disconnect();
      if (!FConnection->Connect()) {
        Fail("cannot reconnect to " + authority);
        return false;
      }
      FState = stBusy;
      continue;
    }
    if (FState == stSendFailed) Fail("cannot send the request to " + authority);
    if (FState == stTimedOut) {
      Fail("timed out waiting for the response of " + authority);
      CloseConnection();
      FState = stTimedOut;
    }
    Fail("no valid response from " + authority);
    return false;
  }
  OutputDebugStringA(FHeaders.empty() ? "" : FHeaders[0].c_str());
  const AnsiString status = HeaderValue("HTTP/");
  FStatus = 0;
  for (size_t i = 0; i < status.size() && i < 3 && std::isdigit(static_cast<unsigned char>(status[i])); ++i)
    FStatus = FStatus * 10 + (status[i] - '0');

  if (FStatus == 302) {
    const AnsiString location = HeaderValue("Location");
    FConnection->Disconnect();  // the redirect's own body is not wanted
    if (location.empty()) {
      Fail("redirect without a Location");
      return false;
    }
    if (++FRedirects > kMaxRedirects) {
      Fail("too many redirects");
      return false;
    }
    OutputDebugStringA(("Http Redirect to: " + location).c_str());
    for (size_t i = 0; i < parts.size(); ++i) {
      if (parts[i].Stream) parts[i].Stream->SetPosition(starts[i]);
    }
    return OpenUrl(location, parts, ifModifiedSince, useRange, rangeStart, rangeLength, false);
  }
  const bool ok = FStatus == 200 || FStatus == 206 || (FStatus == 304 && FRequestHadIms);
  if (!ok) {
    Fail("HTTP status " + (FHeaders.empty() ? AnsiString("?") : FHeaders[0]));
    FConnection->Disconnect();
    return false;
  }
  for (const AnsiString& line : FHeaders) {
    if (StartsWithNoCase(line, "Set-Cookie:")) GetCookieManager().SetCookie(authority, Trim(line.substr(11)), requestPath);
  }
  const AnsiString length = HeaderValue("Content-Length");
  if (!length.empty()) {
    if (!ParseLength(length, MaxBodyBytes, FContentLength)) {
      Fail("bad or too large Content-Length '" + length + "'");
      FConnection->Disconnect();
      return false;
    }
    FHasContentLength = true;
  }
  FKeepAliveTimeout = 0;
  const AnsiString keepAlive = HeaderValue("Keep-Alive");
  for (size_t at = 0; at < keepAlive.size();) {
    const size_t end = keepAlive.find_first_of(", ", at);
    const AnsiString item = keepAlive.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
    if (StartsWithNoCase(item, "timeout=")) {
      int64_t seconds = 0;
      if (ParseLength(item.substr(8), 86400, seconds)) FKeepAliveTimeout = static_cast<int>(seconds);
    }
    if (end == AnsiString::npos) break;
    at = end + 1;
  }
  return true;
}

bool THTTPClient::SendBody(const std::vector<TMultiPartFormData>& parts, const std::vector<int64_t>& starts) {
  const bool multipart = parts.size() > 1 || !parts[0].Name.empty();
  if (multipart) return SendMultipart(parts);
  if (!parts[0].Stream) return true;
  parts[0].Stream->SetPosition(starts[0]);
  return FConnection->SendStream(*parts[0].Stream) >= 0;
}

bool THTTPClient::SendMultipart(const std::vector<TMultiPartFormData>& parts) {
  FReceived = 0;
  FContentLength = 0;
  const AnsiString boundaryLine = AnsiString("--") + kBoundary + "\r\n";
  const AnsiString closeLine = AnsiString("--") + kBoundary + "--\r\n";
  std::vector<AnsiString> heads;
  int64_t length = 0;
  for (const TMultiPartFormData& part : parts) {
    if (!part.Stream) continue;
    AnsiString head = "Content-Disposition: form-data; name=\"" + HtmlEscape(part.Name) + "\"";
    if (!part.FileName.empty()) head += "; filename=\"" + HtmlEscape(part.FileName) + "\"";
    head += "\r\n";
    if (!part.FileName.empty()) head += "Content-Type:file\r\n";
    head += "\r\n";
    const int64_t size = part.Stream->Size();
    FContentLength += size;
    length += static_cast<int64_t>(boundaryLine.size() + head.size()) + size + 2;
    heads.push_back(head);
  }
  length += static_cast<int64_t>(closeLine.size());
  if (FConnection->SendText("Content-Length:" + std::to_string(length) + "\r\n\r\n") <= 0) return false;
  std::vector<char> buffer(static_cast<size_t>(std::max(BufferSize, 512)));
  size_t index = 0;
  for (const TMultiPartFormData& part : parts) {
    if (!part.Stream) continue;
    if (FConnection->SendText(boundaryLine + heads[index++]) <= 0) return false;
    part.Stream->SetPosition(0);
    const int64_t size = part.Stream->Size();
    for (int64_t sent = 0; sent < size;) {
      const int32_t n = part.Stream->Read(buffer.data(), static_cast<int32_t>(std::min<int64_t>(buffer.size(), size - sent)));
      if (n <= 0) return false;  // the stream is shorter than its size
      if (FConnection->SendText(AnsiString(buffer.data(), n)) != n) return false;
      sent += n;
      FReceived += n;
      Progress();
    }
    if (FConnection->SendText("\r\n") != 2) return false;
  }
  return FConnection->SendText(closeLine) == static_cast<int>(closeLine.size());
}

bool THTTPClient::ReadHeadOnce() {
  FHeaders.clear();
  if (!FConnection->WaitForData(Timeout)) {
    if (!FClosed && !FConnection->PeerClosed()) FState = stTimedOut;
    return false;
  }
  FResponseStarted = true;
  size_t total = 0;
  for (;;) {
    AnsiString line;
    if (!FConnection->ReadLine(line, Timeout, "\r\n", kMaxLine)) {
      if (!FClosed && !FConnection->WaitForData(0) && !FConnection->PeerClosed()) FState = stTimedOut;
      Fail("response head broken, too long or cut off");
      return false;
    }
    line = Trim(line);
    if (line.empty()) break;
    total += line.size();
    if (total > kMaxHead) {
      Fail("response head larger than 64 KiB");
      return false;
    }
    FHeaders.push_back(line);
  }
  if (FHeaders.empty() || !StartsWithNoCase(FHeaders[0], "HTTP/")) {
    Fail("not an HTTP response");
    return false;
  }
  return true;
}

bool THTTPClient::ReadHeaders() {
  FContentLength = 0;
  FStatus = 0;
  // Interim answers (100 Continue and the like) come before the real one.
  for (int interim = 0; interim < 8; ++interim) {
    if (!ReadHeadOnce()) return false;
    const AnsiString status = HeaderValue("HTTP/");
    if (status.size() < 3 || status[0] != '1' || status.compare(0, 3, "101") == 0) return true;
  }
  return false;
}

void THTTPClient::Progress() {
  if (OnProgress && FReceived <= FContentLength) OnProgress(this, FReceived, FContentLength);
}

int THTTPClient::ReceiveSome(void* buffer, int length) {
  if (!FConnection->WaitForData(Timeout)) {
    if (!FClosed && !FConnection->PeerClosed()) {
      FState = stTimedOut;
      Fail("timed out reading the body");
    }
    return 0;
  }
  return FConnection->Receive(buffer, length);
}

bool THTTPClient::ReadByLength(TStream& sink, int64_t& raw) {
  std::vector<char> buffer(static_cast<size_t>(std::max(BufferSize, 8192)));
  for (;;) {
    if (FHasContentLength && FReceived >= FContentLength) return true;
    int64_t want = static_cast<int64_t>(buffer.size());
    if (FHasContentLength) want = std::min(want, FContentLength - FReceived);
    const int n = ReceiveSome(buffer.data(), static_cast<int>(want));
    if (n <= 0) {
      // Without a length the body ends with the connection; a time-out is no end.
      if (FHasContentLength) Fail("body ended after " + std::to_string(FReceived) + " of " + std::to_string(FContentLength) + " bytes");
      return !FHasContentLength && FState != stTimedOut && !FClosed;
    }
    raw += n;
    if (raw > MaxBodyBytes) {
      Fail("body larger than allowed");
      return false;
    }
    sink.WriteBuffer(buffer.data(), n);
    FReceived += n;
    Progress();
  }
}

bool THTTPClient::ReadChunked(TStream& sink, int64_t& raw) {
  std::vector<char> buffer(static_cast<size_t>(std::max(BufferSize, 8192)));
  for (;;) {
    AnsiString line;
    if (!FConnection->ReadLine(line, Timeout, "\r\n", 1024)) {
      if (!FClosed && !FConnection->WaitForData(0) && !FConnection->PeerClosed()) FState = stTimedOut;
      Fail("chunked body ends without its last chunk");
      return false;
    }
    AnsiString size = line.substr(0, line.find(';'));
    size = Trim(size.substr(0, size.find(' ')));
    if (size.empty() || size.size() > 15 || !std::all_of(size.begin(), size.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
      Fail("bad chunk size line");
      return false;
    }
    const int64_t chunk = std::stoll(size, nullptr, 16);
    if (chunk == 0) {
      // Trailer fields, up to the empty line that ends the body.
      size_t total = 0;
      for (;;) {
        if (!FConnection->ReadLine(line, Timeout, "\r\n", kMaxLine)) {
          Fail("chunked body ends inside its trailer");
          return false;
        }
        if (line.empty()) return true;
        total += line.size();
        if (total > kMaxHead) return false;
      }
    }
    if (raw + chunk > MaxBodyBytes) {
      Fail("body larger than allowed");
      return false;
    }
    FContentLength += chunk;
    for (int64_t left = chunk; left > 0;) {
      const int n = ReceiveSome(buffer.data(), static_cast<int>(std::min<int64_t>(left, static_cast<int64_t>(buffer.size()))));
      if (n <= 0) {
        Fail("chunk cut off");
        return false;
      }
      sink.WriteBuffer(buffer.data(), n);
      left -= n;
      raw += n;
      FReceived += n;
      Progress();
    }
    if (!FConnection->ReadLine(line, Timeout, "\r\n", 16) || !line.empty()) {
      Fail("chunk not followed by its line end");
      return false;
    }
  }
}

int64_t THTTPClient::ReadBody(TStream& target) {
  FReceived = 0;
  FBodyComplete = false;
  if (!FConnection->Connected()) return 0;
  if (FStatus == 304 || FStatus == 204 || FHeadRequest) {
    if (OnProgress) OnProgress(this, 100, 100);
    FBodyComplete = true;
    if (!EqualsNoCase(HeaderValue("Connection"), "keep-alive")) CloseConnection();
    return 0;
  }
  const bool chunked = EqualsNoCase(HeaderValue("Transfer-Encoding"), "chunked");
  const AnsiString encoding = HeaderValue("Content-Encoding");
  std::unique_ptr<TInflateStream> inflate;
  if (EqualsNoCase(encoding, "gzip") || EqualsNoCase(encoding, "x-gzip")) {
    inflate = std::make_unique<TInflateStream>(TZInflater::TFormat::Gzip, MaxBodyBytes, target);
  } else if (EqualsNoCase(encoding, "deflate")) {
    inflate = std::make_unique<TInflateStream>(TZInflater::TFormat::Deflate, MaxBodyBytes, target);
  }
  TStream& sink = inflate ? static_cast<TStream&>(*inflate) : target;
  int64_t raw = 0;
  bool complete = false;
  try {
    if (chunked) {
      FContentLength = 0;
      complete = ReadChunked(sink, raw);
    } else {
      complete = ReadByLength(sink, raw);
    }
    if (complete && inflate) inflate->Finish();
  } catch (const EZCompressionError& e) {
    Fail(e.Message());
    complete = false;
  } catch (const EStreamError& e) {
    Fail("cannot write the body: " + e.Message());
    complete = false;
  }
  FBodyComplete = complete;
  if (!complete || !EqualsNoCase(HeaderValue("Connection"), "keep-alive")) {
    const uint8_t state = FState;
    CloseConnection();
    if (state == stTimedOut) FState = stTimedOut;
  }
  return raw;
}

bool THTTPClient::GetToStream(const AnsiString& url, const RawByteString& postData, TStream& target,
                              TDateTime ifModifiedSince, bool useRange, int64_t rangeStart, int64_t rangeLength) {
  if (!RequestString(url, postData, ifModifiedSince, useRange, rangeStart, rangeLength, false)) return false;
  ReadBody(target);
  if (!FBodyComplete) return false;
  FState = stCompleted;
  return true;
}

namespace {

bool FileExists(const AnsiString& name) {
  struct stat info{};
  return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TDateTime FileWriteTime(const AnsiString& name) {
  struct stat info{};
  if (::stat(name.c_str(), &info) != 0) return 0;
  return UtcToLocal(25569.0 + static_cast<double>(info.st_mtim.tv_sec) / 86400.0);
}

void SetFileWriteTime(const AnsiString& name, TDateTime local) {
  const double seconds = std::round((LocalToUtc(local) - 25569.0) * 86400.0);
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(seconds);
  times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, name.c_str(), times, 0);
}

// The day a cached file was last fetched or confirmed, kept beside it.
AnsiString FetchRecordName(const AnsiString& fileName) { return fileName + ".fetched"; }

AnsiString Today() { return FormatDateTime("yyyy-mm-dd", Now()); }

}  // namespace

bool THTTPClient::DownloadToFile(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName,
                                 bool useCache, bool useRange, int64_t rangeStart, int64_t rangeLength) {
  FErrorText.clear();
  TDateTime ifModifiedSince = 0;
  if (useCache && FileExists(fileName)) {
    TMemoryStream record;
    try {
      record.LoadFromFile(FetchRecordName(fileName));
      const AnsiString day(static_cast<const char*>(record.Memory()), static_cast<size_t>(record.Size()));
      if (Trim(day) == Today()) return true;
    } catch (const Exception&) {
    }
    ifModifiedSince = FileWriteTime(fileName);
  }
  const AnsiString temporary = fileName + ".part";
  bool ok = false;
  bool written = false;
  try {
    TFileStream file(temporary, fmCreate);
    ok = GetToStream(url, postData, file, ifModifiedSince, useRange, rangeStart, rangeLength);
    written = file.Size() > 0;
  } catch (const EStreamError& e) {
    Fail(e.Message());
    ok = false;
  }
  std::error_code error;
  if (!ok || !written) {
    fs::remove(fs::path(temporary), error);
    if (ok && FStatus != 304) {
      Fail("the server sent an empty body");
      return false;
    }
    if (!ok) return false;
  } else {
    fs::rename(fs::path(temporary), fs::path(fileName), error);
    if (error) {
      Fail("cannot rename '" + temporary + "' to '" + fileName + "': " + error.message());
      fs::remove(fs::path(temporary), error);
      return false;
    }
    const TDateTime modified = ParseHttpDate(HeaderValue("Last-Modified"));
    SetFileWriteTime(fileName, modified != 0 ? modified : Now());
  }
  if (useCache) {
    try {
      TFileStream record(FetchRecordName(fileName), fmCreate);
      const AnsiString day = Today();
      record.WriteBuffer(day.data(), static_cast<int32_t>(day.size()));
    } catch (const Exception&) {
    }
  }
  return true;
}
