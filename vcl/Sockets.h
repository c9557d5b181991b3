#pragma once

// Blocking TCP client sockets over platform/winsock: TBaseSocket (a socket handle with its
// block mode, error reporting, reads and writes), TIpSocket (the remote host and port),
// TCustomIpClient (connect and disconnect) and TTcpClient.
//
// Errors never raise: a failing socket call reports its Winsock error number through
// DoHandleError (OnError) and returns SOCKET_ERROR (-1) to the caller.
//
// Opening resolves RemoteHost (a name or an IPv4 or IPv6 literal) and tries its addresses in
// the order the resolver gives them, each on a socket of its own family, until one connects.
//
// Threads: one thread uses a client. Close may also be called from another thread to cancel:
// it closes the handle, which wakes the owner's blocked call (it fails with WSAEINTR), and
// the owner's later calls fail on the stale handle. This header does not include WinSock.h,
// so its users may use the system's socket headers.

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/kernel/WinTypes.h"
#include "vcl/Component.h"
#include "vcl/Event.h"

using TSocket = UINT_PTR;
inline constexpr TSocket InvalidSocket = ~static_cast<TSocket>(0);

enum TSocketBlockMode { bmBlocking, bmNonBlocking };

using TSocketNotifyEvent = TEvent<void(TObject* Sender)>;
using TSocketErrorEvent = TEvent<void(TObject* Sender, int SocketError)>;
using TSocketDataEvent = TEvent<void(TObject* Sender, const void* Buf, int DataLen)>;

class TBaseSocket : public TComponent {
  BRANTWELL_CLASS(TBaseSocket, TComponent)

 public:
  explicit TBaseSocket(TComponent* owner);
  ~TBaseSocket() override;

  // Opens the socket (for a client: connects it); Close ends it. Any error is reported.
  virtual void Open();
  virtual void Close();

  bool Active() const { return Handle() != InvalidSocket; }
  void SetActive(bool value);
  TSocket Handle() const { return FSocket.load(std::memory_order_acquire); }
  TSocketBlockMode BlockMode() const { return FBlockMode; }
  // Applied to an open socket at once.
  void SetBlockMode(TSocketBlockMode value);

  // recv / send through the error check; the bytes moved, or SOCKET_ERROR.
  int ReceiveBuf(void* buf, int bufSize, int flags = 0);
  int SendBuf(const void* buf, int bufSize, int flags = 0);
  // Reads without consuming.
  int PeekBuf(void* buf, int bufSize);
  // Waits up to timeoutMs (negative: without limit) and tells which conditions hold; false
  // when the wait failed.
  bool Select(bool* readReady, bool* writeReady, bool* exceptFlag, int timeoutMs);
  // True when data can be read within timeoutMs: readable, no exception condition, and one
  // byte can be peeked (a closed connection gives false).
  bool WaitForData(int timeoutMs);

  TSocketNotifyEvent OnCreateHandle;
  TSocketNotifyEvent OnDestroyHandle;
  TSocketErrorEvent OnError;
  TSocketDataEvent OnReceive;
  TSocketDataEvent OnSend;

 protected:
  // Makes a socket of the address family; false (after reporting) when that fails.
  bool CreateHandle(int family);
  // Closes the handle without events (the owner's own end, or a cancel).
  void CloseHandle();
  // Called when a socket has been made: applies the block mode and raises OnCreateHandle.
  virtual void DoCreateHandle();
  virtual void DoDestroyHandle();
  // Reports a socket error (raises OnError).
  virtual void DoHandleError(int socketError);
  // A SOCKET_ERROR result of a socket call is reported with the thread's last socket error;
  // returns the result unchanged.
  int ErrorCheck(int result);

  int FDomain;
  int FSockType;
  int FProtocol;

 private:
  std::atomic<TSocket> FSocket{InvalidSocket};
  TSocketBlockMode FBlockMode = bmBlocking;
};

class TIpSocket : public TBaseSocket {
  BRANTWELL_CLASS(TIpSocket, TBaseSocket)

 public:
  using TBaseSocket::TBaseSocket;
  const AnsiString& RemoteHost() const { return FRemoteHost; }
  void SetRemoteHost(const AnsiString& value) { FRemoteHost = value; }
  const AnsiString& RemotePort() const { return FRemotePort; }
  void SetRemotePort(const AnsiString& value) { FRemotePort = value; }

 protected:
  AnsiString FRemoteHost;
  AnsiString FRemotePort;
};

// One resolved address of the remote host.
struct TSocketAddress {
  int Family = 0;
  std::vector<uint8_t> Bytes;  // the sockaddr of that family
};

class TCustomIpClient : public TIpSocket {
  BRANTWELL_CLASS(TCustomIpClient, TIpSocket)

 public:
  using TIpSocket::TIpSocket;
  ~TCustomIpClient() override;

  // Resolves the remote host and connects to its addresses in turn; OnConnect on success.
  void Open() override;
  // Disconnects (OnDisconnect when it was connected) and closes the handle.
  void Close() override;
  // True when connected; the same as opening.
  bool Connect();
  void Disconnect();
  bool Connected() const { return FConnected.load(std::memory_order_acquire) && Active(); }

  TSocketNotifyEvent OnConnect;
  TSocketNotifyEvent OnDisconnect;

 protected:
  // Connects the fresh handle to one address; false when that address failed. The default
  // is a connect in the socket's block mode.
  virtual bool ConnectHandle(const TSocketAddress& address);
  virtual void DoConnect();
  virtual void DoDisconnect();
  void SetConnected(bool value) { FConnected.store(value, std::memory_order_release); }

 private:
  std::atomic<bool> FConnected{false};
};

class TTcpClient : public TCustomIpClient {
  BRANTWELL_CLASS(TTcpClient, TCustomIpClient)

 public:
  explicit TTcpClient(TComponent* owner);
};

// The addresses of host and port (a name, "localhost" or a literal; a decimal port), empty
// with error set to the Winsock error when the name does not resolve.
std::vector<TSocketAddress> ResolveSocketAddresses(const AnsiString& host, const AnsiString& port, int& error);
