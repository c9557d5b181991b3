#include "program/net/FSSockets.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/winsock/WinSock.h"
#include "program/net/Base64.h"
#include "rtl/DateTime.h"

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(std::min<long long>(left, 0x7fffffff)) : 0;
}

std::mutex g_defaultProxyMutex;
TFSProxyInfo g_defaultProxy;  // guarded by g_defaultProxyMutex

bool HasControlByte(const AnsiString& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x20 || c == 0x7f; });
}

}  // namespace

const char* FSSocketConsts::SocksReplyText(int code) {
  static constexpr const char* kTexts[] = {
      "General SOCKS server failure.", "Connection not allowed by ruleset.", "Network unreachable.",
      "Host unreachable.",             "Connection refused.",                "TTL expired.",
      "Command not supported.",        "Address type not supported."};
  return code >= 1 && code <= 8 ? kTexts[code - 1] : SSocksUnknownError;
}

TFSProxyInfo GetDefaultProxyInfo() {
  std::lock_guard lock(g_defaultProxyMutex);
  return g_defaultProxy;
}

void SetDefaultProxyInfo(const TFSProxyInfo& info) {
  std::lock_guard lock(g_defaultProxyMutex);
  g_defaultProxy = info;
}

// TTcpClientEx

TTcpClientEx::TTcpClientEx(TComponent* owner) : TTcpClient(owner) {}

void TTcpClientEx::DoCreateHandle() {
  TTcpClient::DoCreateHandle();
  const SOCKET s = Handle();
  if (SendTimeout != 0) {
    const DWORD value = static_cast<DWORD>(SendTimeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
  }
  if (ReceiveTimeout != 0) {
    const DWORD value = static_cast<DWORD>(ReceiveTimeout);
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
  }
  setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&SendBufferSize), sizeof SendBufferSize);
  setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&ReceiveBufferSize), sizeof ReceiveBufferSize);
  const uint32_t noDelay = NoDelay ? 0xffffffffu : 0;
  ErrorCheck(setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay));
  const linger value{LingerOnOff, LingerSeconds};
  ErrorCheck(setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value));
  if (FConnectingWithTimeout && BlockMode() == bmBlocking) {
    u_long argument = 1;
    ioctlsocket(s, FIONBIO, &argument);
  }
}

void TTcpClientEx::DoHandleError(int socketError) {
  if (FConnectingWithTimeout && (socketError == WSAEWOULDBLOCK || socketError == WSAEINPROGRESS)) {
    FWouldBlock = true;
    return;
  }
  TTcpClient::DoHandleError(socketError);
}

void TTcpClientEx::Open() {
  FConnectingWithTimeout = ConnectTimeout != 0;
  FConnectDeadline = Clock::now() + std::chrono::milliseconds(ConnectTimeout);
  TTcpClient::Open();
  FConnectingWithTimeout = false;
}

bool TTcpClientEx::ConnectHandle(const TSocketAddress& address) {
  if (!FConnectingWithTimeout) return TTcpClient::ConnectHandle(address);
  FWouldBlock = false;
  const SOCKET s = Handle();
  const int result = ErrorCheck(connect(s, reinterpret_cast<const sockaddr*>(address.Bytes.data()),
                                        static_cast<int>(address.Bytes.size())));
  bool connected = result == 0;
  if (!connected && FWouldBlock) {
    FWouldBlock = false;
    bool writable = false;
    bool failed = false;
    const int left = RemainingMs(FConnectDeadline);
    if (left > 0 && Select(nullptr, &writable, &failed, left) && writable && !failed) {
      int error = 0;
      int length = sizeof error;
      connected = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 && error == 0;
      if (!connected) TTcpClient::DoHandleError(error ? error : WSAECONNREFUSED);
    } else if (failed) {
      int error = 0;
      int length = sizeof error;
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
      TTcpClient::DoHandleError(error ? error : WSAECONNREFUSED);
    } else if (!writable) {
      TTcpClient::DoHandleError(WSAETIMEDOUT);
    }
  }
  if (connected && BlockMode() == bmBlocking) {
    u_long argument = 0;
    ioctlsocket(s, FIONBIO, &argument);
  }
  return connected;
}

// TFSTCPProxy

void TFSTCPProxy::SetProxyInfo(const TFSProxyInfo& info) {
  ProxyType = info.ProxyType;
  Host = info.Host;
  Port = info.Port;
  UserName = info.UserName;
  Password = info.Password;
}

bool TFSTCPProxy::Connect(const AnsiString& targetHost, const AnsiString& targetPort) {
  int timeout = FOwner.GetConnectTimeout();
  if (timeout == 0) timeout = 10000;
  TTcpClientEx& tcp = FOwner.Tcp();
  if (ProxyType == ptDirect) {
    tcp.SetRemoteHost(targetHost);
    tcp.SetRemotePort(targetPort);
    return tcp.Connect();
  }
  tcp.SetRemoteHost(Host);
  tcp.SetRemotePort(Port);
  if (!tcp.Connect()) return false;
  FDeadline = Clock::now() + std::chrono::milliseconds(timeout);
  bool ok = false;
  try {
    ok = ProxyType == ptHttp ? HttpHandshake(targetHost, targetPort) : Socks5Handshake(targetHost, targetPort);
  } catch (...) {
    tcp.Close();
    throw;
  }
  if (!ok) {
    tcp.Close();
    return false;
  }
  if (FOwner.OnConnect) FOwner.OnConnect(&FOwner);
  return true;
}

bool TFSTCPProxy::SendAll(const RawByteString& data) {
  return FOwner.SendText(data) == static_cast<int>(data.size());
}

int TFSTCPProxy::ReceiveExact(void* buffer, int count) {
  auto* bytes = static_cast<char*>(buffer);
  int got = 0;
  while (got < count) {
    const int left = RemainingMs(FDeadline);
    if (left <= 0 || !FOwner.WaitForData(left)) {
      // Nothing in time is a time-out; a connection that ended early (readable, yet nothing
      // to peek) is a short reply.
      if (got == 0 && !FOwner.PeerClosed()) throw ESocksProxyError(FSSocketConsts::SSocksTimeout);
      break;
    }
    const int n = FOwner.Receive(bytes + got, count - got);
    if (n <= 0) break;
    got += n;
  }
  return got;
}

bool TFSTCPProxy::HttpHandshake(const AnsiString& targetHost, const AnsiString& targetPort) {
  if (HasControlByte(targetHost) || HasControlByte(targetPort)) return false;
  const bool literal6 = targetHost.find(':') != AnsiString::npos && targetHost.front() != '[';
  AnsiString text = "CONNECT " + (literal6 ? "[" + targetHost + "]" : targetHost) + ":" + targetPort + " HTTP/1.0\r\n";
  if (!UserName.empty()) text += "Proxy-Authorization: Basic " + Base64Encode(UserName + ":" + Password) + "\r\n";
  text += "\r\n";
  if (!SendAll(text)) return false;
  AnsiString line;
  if (!FOwner.ReadLine(line, RemainingMs(FDeadline), "\r\n")) return false;
  bool accepted = false;
  const size_t blank = line.find(' ');
  if (blank != AnsiString::npos) {
    const size_t digits = line.find_first_of("0123456789", blank);
    if (digits != AnsiString::npos) {
      const size_t end = line.find_first_not_of("0123456789", digits);
      accepted = line.substr(digits, end == AnsiString::npos ? AnsiString::npos : end - digits) == "200";
    }
  }
  // The rest of the head, through its empty line, belongs to the proxy: the tunnel starts
  // after it.
  size_t headBytes = line.size();
  for (;;) {
    if (!FOwner.ReadLine(line, RemainingMs(FDeadline), "\r\n")) return false;
    if (line.empty()) break;
    headBytes += line.size();
    if (headBytes > 64 * 1024) return false;
  }
  return accepted;
}

bool TFSTCPProxy::Socks5Handshake(const AnsiString& targetHost, const AnsiString& targetPort) {
  if (UserName.size() > 255 || Password.size() > 255 || targetHost.size() > 255)
    throw ESocksProxyError(FSSocketConsts::SSocksFieldTooLong);
  const uint8_t method = UserName.empty() ? 0x00 : 0x02;
  if (!SendAll(RawByteString{'\x05', '\x01', static_cast<char>(method)})) return false;
  uint8_t reply[5];
  if (ReceiveExact(reply, 2) < 2) return false;
  if (reply[1] != method || reply[1] == 0xFF) throw ESocksProxyError(FSSocketConsts::SSocksInvalidMethod);
  if (method == 0x02) {
    RawByteString auth{'\x01'};
    auth += static_cast<char>(UserName.size());
    auth += UserName;
    auth += static_cast<char>(Password.size());
    auth += Password;
    if (!SendAll(auth)) return false;
    if (ReceiveExact(reply, 2) < 2) return false;
    if (reply[1] != 0) throw ESocksProxyError(FSSocketConsts::SSocksAuthError);
  }
  int port = 0;
  if (!targetPort.empty() && targetPort.size() <= 5 &&
      std::all_of(targetPort.begin(), targetPort.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    port = std::stoi(targetPort);
    if (port > 65535) port = 0;
  }
  RawByteString request{'\x05', '\x01', '\x00', '\x03'};
  request += static_cast<char>(targetHost.size());
  request += targetHost;
  request += static_cast<char>(port >> 8);
  request += static_cast<char>(port & 0xff);
  if (!SendAll(request)) return false;
  if (ReceiveExact(reply, 5) < 5) return false;
  if (reply[1] != 0) throw ESocksProxyError(FSSocketConsts::SocksReplyText(reply[1]));
  int rest = 0;
  switch (reply[3]) {
    case 1: rest = 5; break;
    case 3: rest = reply[4] + 2; break;
    case 4: rest = 17; break;
    default: return false;  // an address of unknown length: the stream cannot be trusted
  }
  char discard[300];
  return ReceiveExact(discard, rest) == rest;
}

// TFSTCPClient

TFSTCPClient::TFSTCPClient() : FTcp(std::make_unique<TTcpClientEx>(nullptr)) {
  FProxy = std::make_unique<TFSTCPProxy>(*this);
  FTcp->OnError = [this](TObject*, int error) {
    if (OnError) OnError(this, error);
  };
  FTcp->OnDisconnect = [this](TObject*) {
    if (OnDisconnect) OnDisconnect(this);
  };
  FTcp->OnConnect = [this](TObject*) {
    // Through a proxy the connect counts only after the handshake (raised by the proxy).
    if (FProxy->ProxyType == ptDirect && OnConnect) OnConnect(this);
  };
  FTcp->OnReceive = [this](TObject*, const void* buf, int length) {
    if (OnReceive) OnReceive(this, buf, length);
  };
  FTcp->OnSend = [this](TObject*, const void* buf, int length) {
    if (OnSend) OnSend(this, buf, length);
  };
  FProxy->SetProxyInfo(GetDefaultProxyInfo());
}

TFSTCPClient::~TFSTCPClient() {
  Disconnect();
  FProxy.reset();
  FTcp.reset();
}

bool TFSTCPClient::Connected() const { return FTcp && FTcp->Active(); }

bool TFSTCPClient::Connect() {
  if (Connected()) return true;
  if (!FProxy->Connect(FHost, FPort)) return false;
  if (FUseSSL && !StartSSL()) {
    Disconnect();
    return false;
  }
  return true;
}

void TFSTCPClient::Disconnect() {
  FUnread.clear();
  FSsl.reset();
  if (FTcp->Active()) FTcp->Close();
}

void TFSTCPClient::Abort() { FTcp->Abort(); }

void TFSTCPClient::SetHost(const AnsiString& value) {
  if (value == FHost) return;
  Disconnect();
  FHost = value;
}

void TFSTCPClient::SetPort(const AnsiString& value) {
  if (value == FPort) return;
  Disconnect();
  FPort = value;
}

void TFSTCPClient::SetUseSSL(bool value) {
  if (value == FUseSSL) return;
  FUseSSL = value;
  if (!Connected()) return;
  if (value) {
    FUseSSL = StartSSL();
  } else {
    StopSSL();
  }
}

bool TFSTCPClient::StartSSL() {
  if (FSsl) return true;
  FSSLFailure.clear();
  if (!FTcp->Active()) return false;
  const SOCKET s = FTcp->Handle();
  FSsl = TSSLClient::Create(s, FHost);
  if (!FSsl) {
    FSSLFailure = "the TLS library is not available";
    return false;
  }
  // The handshake as a whole runs within the connect time-out; the socket's own time-outs
  // come back afterwards.
  auto setTimeout = [s](int option, int32_t ms) {
    const DWORD value = static_cast<DWORD>(std::max(ms, 0));
    setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value);
  };
  const int32_t limit = FTcp->ConnectTimeout;
  if (limit > 0) {
    setTimeout(SO_RCVTIMEO, limit);
    setTimeout(SO_SNDTIMEO, limit);
  }
  const bool ok = FSsl->Connect();
  if (limit > 0) {
    setTimeout(SO_RCVTIMEO, FTcp->ReceiveTimeout);
    setTimeout(SO_SNDTIMEO, FTcp->SendTimeout);
  }
  if (!ok) {
    FSSLFailure = FSsl->LastErrorText();
    if (FSSLFailure.empty()) FSSLFailure = "TLS handshake failed";
    FSsl.reset();
    return false;
  }
  return true;
}

void TFSTCPClient::StopSSL() {
  FSsl.reset();
  FUseSSL = false;
}

bool TFSTCPClient::RawDataWaiting(int timeoutMs) {
  // Decrypted bytes already taken off the socket would not make it readable again.
  if (FSsl && FSsl->Pending() > 0) return true;
  return FTcp->WaitForData(timeoutMs);
}

bool TFSTCPClient::WaitForData(int timeoutMs) {
  if (!FTcp->Active()) return false;
  if (!FUnread.empty()) return true;
  return RawDataWaiting(timeoutMs);
}

bool TFSTCPClient::PeerClosed() {
  if (!FTcp->Active()) return true;
  if (!FUnread.empty()) return false;
  bool readable = false;
  bool failed = false;
  if (!FTcp->Select(&readable, nullptr, &failed, 0)) return true;
  return readable || failed;
}

int TFSTCPClient::RawReceive(void* buf, int len) {
  const int result = FSsl ? FSsl->Read(buf, len) : FTcp->ReceiveBuf(buf, len);
  FLastActivity = Now();
  return result;
}

int TFSTCPClient::Peek(void* buf, int len) {
  const int held = static_cast<int>(std::min<size_t>(FUnread.size(), static_cast<size_t>(std::max(len, 0))));
  std::memcpy(buf, FUnread.data(), static_cast<size_t>(held));
  if (held == len || (held > 0 && !RawDataWaiting(0))) return held;
  const int more = FSsl ? FSsl->Peek(static_cast<char*>(buf) + held, len - held)
                        : FTcp->PeekBuf(static_cast<char*>(buf) + held, len - held);
  if (more < 0) return held > 0 ? held : more;
  return held + more;
}

int TFSTCPClient::Receive(void* buf, int len) {
  if (!FUnread.empty()) {
    const int held = static_cast<int>(std::min<size_t>(FUnread.size(), static_cast<size_t>(std::max(len, 0))));
    std::memcpy(buf, FUnread.data(), static_cast<size_t>(held));
    FUnread.erase(0, static_cast<size_t>(held));
    FLastActivity = Now();
    return held;
  }
  return RawReceive(buf, len);
}

int TFSTCPClient::Send(const void* buf, int len) {
  const int result = FSsl ? FSsl->Write(buf, len) : FTcp->SendBuf(buf, len);
  FLastActivity = Now();
  return result;
}

bool TFSTCPClient::ReadLine(AnsiString& line, int timeoutMs, const AnsiString& delimiter, int maxLength) {
  line.clear();
  if (delimiter.empty()) return false;
  const size_t keepBack = delimiter.size() - 1;
  char buffer[511];
  for (;;) {
    if (!WaitForData(timeoutMs)) return false;
    const int peeked = Peek(buffer, sizeof buffer);
    if (peeked <= 0) return false;
    const char* found = std::search(buffer, buffer + peeked, delimiter.begin(), delimiter.end());
    const bool hasDelimiter = found != buffer + peeked;
    if (!hasDelimiter && static_cast<size_t>(peeked) <= keepBack) {
      // Only what may begin the delimiter is here. Take it off the socket (it stays unread
      // here), so that the system can accept what follows, and wait for new bytes.
      const int fromSocket = peeked - static_cast<int>(FUnread.size());
      if (fromSocket > 0) {
        char part[16];
        const int got = RawReceive(part, std::min(fromSocket, static_cast<int>(sizeof part)));
        if (got <= 0) return false;
        FUnread.append(part, static_cast<size_t>(got));
      }
      if (!RawDataWaiting(timeoutMs)) return false;
      continue;
    }
    const int take = hasDelimiter ? static_cast<int>(found - buffer + delimiter.size()) : peeked - static_cast<int>(keepBack);
    int got = 0;
    while (got < take) {
      const int n = Receive(buffer + got, take - got);
      if (n <= 0) return false;
      got += n;
    }
    int textLength = hasDelimiter ? take - static_cast<int>(delimiter.size()) : take;
    const void* zero = std::memchr(buffer, 0, static_cast<size_t>(textLength));
    if (zero) textLength = static_cast<int>(static_cast<const char*>(zero) - buffer);
    if (line.size() + static_cast<size_t>(textLength) > static_cast<size_t>(maxLength)) return false;
    line.append(buffer, static_cast<size_t>(textLength));
    if (hasDelimiter) return true;
  }
}

int TFSTCPClient::SendText(const AnsiString& text, const AnsiString& suffix) {
  const AnsiString data = text + suffix;
  size_t sent = 0;
  while (sent < data.size()) {
    const int n = Send(data.data() + sent, static_cast<int>(std::min<size_t>(data.size() - sent, 1 << 30)));
    if (n <= 0) return sent > 0 ? static_cast<int>(sent) : n;
    sent += n;
  }
  return static_cast<int>(sent);
}

int64_t TFSTCPClient::SendStream(TStream& stream) {
  char piece[512];
  int64_t total = 0;
  for (;;) {
    const int32_t count = stream.Read(piece, sizeof piece);
    if (count <= 0) return total;
    int sent = 0;
    while (sent < count) {
      const int n = Send(piece + sent, count - sent);
      if (n < 0) return n;
      if (n == 0) return total + sent;
      sent += n;
    }
    total += sent;
  }
}
