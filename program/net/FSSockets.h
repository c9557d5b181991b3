#pragma once

// The byte stream under the HTTP client: a blocking TCP socket with tuned options and a timed
// connect (TTcpClientEx), a tunnel through an HTTP (CONNECT) or SOCKS5 proxy (TFSTCPProxy),
// an optional TLS session over the connected socket, and line and stream operations that
// never read past what they need (TFSTCPClient).
//
// Socket errors never raise: they reach OnError and the call returns -1 or false. Only the
// SOCKS5 handshake raises (ESocksProxyError).
//
// Threads: one thread uses a client (its HTTP worker). Abort may be called from another
// thread: it closes the socket, which wakes the blocked call; the owner then frees its TLS
// session and socket itself. The default proxy settings are read when a client is made.

#include <chrono>
#include <memory>

#include "program/net/SSLClient.h"
#include "rtl/Exceptions.h"
#include "vcl/Classes.h"
#include "vcl/Sockets.h"

BRANTWELL_DECLARE_EXCEPTION(ESocksProxyError, Exception);

// The texts of the proxy handshakes.
namespace FSSocketConsts {
inline constexpr const char* SSocksTimeout = "timeout";
inline constexpr const char* SSocksUnknownError = "Unknown socks error.";
inline constexpr const char* SSocksInvalidMethod = "Invalid socks authentication method.";
inline constexpr const char* SSocksAuthError = "Authentication error to socks server.";
inline constexpr const char* SSocksFieldTooLong = "Socks field longer than 255 bytes.";
// Reply codes 1 to 8.
const char* SocksReplyText(int code);
}  // namespace FSSocketConsts

class TTcpClientEx : public TTcpClient {
  BRANTWELL_CLASS(TTcpClientEx, TTcpClient)

 public:
  explicit TTcpClientEx(TComponent* owner);

  // With a ConnectTimeout, every address of the host is tried within that one time-out.
  void Open() override;
  // Closes the handle from any thread; a call blocked on it fails at once.
  void Abort() { CloseHandle(); }

  int32_t ConnectTimeout = 0;  // ms; 0 = plain blocking connect
  bool NoDelay = false;
  int32_t SendTimeout = 0;     // ms, applied when non-zero
  int32_t SendBufferSize = 8192;
  int32_t ReceiveTimeout = 0;  // ms, applied when non-zero
  int32_t ReceiveBufferSize = 8192;
  uint16_t LingerOnOff = 0;
  uint16_t LingerSeconds = 0;

 protected:
  void DoCreateHandle() override;
  void DoHandleError(int socketError) override;
  bool ConnectHandle(const TSocketAddress& address) override;

 private:
  bool FConnectingWithTimeout = false;
  bool FWouldBlock = false;
  std::chrono::steady_clock::time_point FConnectDeadline;
};

enum TFSProxyType : uint8_t { ptDirect = 0, ptHttp = 1, ptSocks5 = 2 };

struct TFSProxyInfo {
  TFSProxyType ProxyType = ptDirect;
  AnsiString Host;
  AnsiString Port;
  AnsiString UserName;
  AnsiString Password;
  AnsiString Reserved;
};

// The process-wide default proxy, copied into every new client. Empty (direct) unless set.
TFSProxyInfo GetDefaultProxyInfo();
void SetDefaultProxyInfo(const TFSProxyInfo& info);

class TFSTCPClient;

class TFSTCPProxy {
 public:
  explicit TFSTCPProxy(TFSTCPClient& owner) : FOwner(owner) {}

  void SetProxyInfo(const TFSProxyInfo& info);
  // Connects to the target, directly or through the proxy's handshake. Raises
  // ESocksProxyError for a SOCKS5 refusal; false for any other failure (the socket closed).
  bool Connect(const AnsiString& targetHost, const AnsiString& targetPort);

  TFSProxyType ProxyType = ptDirect;
  AnsiString Host;
  AnsiString Port;
  AnsiString UserName;
  AnsiString Password;

 private:
  bool HttpHandshake(const AnsiString& targetHost, const AnsiString& targetPort);
  bool Socks5Handshake(const AnsiString& targetHost, const AnsiString& targetPort);
  // Receives exactly `count` bytes before the deadline; the number received. Raises "timeout"
  // when nothing at all arrives.
  int ReceiveExact(void* buffer, int count);
  bool SendAll(const RawByteString& data);

  TFSTCPClient& FOwner;
  std::chrono::steady_clock::time_point FDeadline;
};

class TFSTCPClient : public TObject {
  BRANTWELL_CLASS(TFSTCPClient, TObject)

 public:
  // The longest line ReadLine takes by default.
  static constexpr int kMaxLineLength = 16 * 1024;

  TFSTCPClient();
  ~TFSTCPClient() override;

  bool Connected() const;
  bool Connect();
  void Disconnect();
  // Closes the socket from any thread (cancel); the owner's blocked call fails at once.
  void Abort();

  const AnsiString& Host() const { return FHost; }
  void SetHost(const AnsiString& value);
  const AnsiString& Port() const { return FPort; }
  void SetPort(const AnsiString& value);
  bool UseSSL() const { return FUseSSL; }
  void SetUseSSL(bool value);
  bool StartSSL();
  void StopSSL();
  // The TLS failure of the last StartSSL (verification, protocol), empty when none.
  const AnsiString& SSLFailure() const { return FSSLFailure; }

  bool WaitForData(int timeoutMs);
  // After a WaitForData that gave false: true when the connection ended (or failed) rather
  // than staying silent.
  bool PeerClosed();
  int Peek(void* buf, int len);
  int Receive(void* buf, int len);
  int Send(const void* buf, int len);
  // Reads one line up to Delimiter (removed), never consuming a byte beyond it; false when the
  // delimiter did not come in time, the connection ended, or the line grew past maxLength.
  bool ReadLine(AnsiString& line, int timeoutMs, const AnsiString& delimiter = "\r\n",
                int maxLength = kMaxLineLength);
  int SendText(const AnsiString& text, const AnsiString& suffix = "");
  // Sends the stream from its position to its end; the bytes sent, or the failing result.
  int64_t SendStream(TStream& stream);
  int GetConnectTimeout() const { return FTcp->ConnectTimeout; }

  TTcpClientEx& Tcp() { return *FTcp; }
  TFSTCPProxy& Proxy() { return *FProxy; }
  TSSLClient* Ssl() { return FSsl.get(); }
  TDateTime LastActivity() const { return FLastActivity; }

  TSocketErrorEvent OnError;
  TSocketNotifyEvent OnDisconnect;
  TSocketNotifyEvent OnConnect;
  TSocketDataEvent OnReceive;
  TSocketDataEvent OnSend;

 private:
  friend class TFSTCPProxy;

  // The socket (or TLS session) itself, past the bytes held in FUnread.
  bool RawDataWaiting(int timeoutMs);
  int RawReceive(void* buf, int len);

  std::unique_ptr<TTcpClientEx> FTcp;
  std::unique_ptr<TSSLClient> FSsl;
  std::unique_ptr<TFSTCPProxy> FProxy;
  AnsiString FHost;
  AnsiString FPort;
  bool FUseSSL = false;
  AnsiString FSSLFailure;
  TDateTime FLastActivity = 0;
  // The start of a line's delimiter that ReadLine took off the socket while waiting for the
  // rest; still unread for every caller (Peek, Receive and WaitForData serve it first).
  RawByteString FUnread;
};
