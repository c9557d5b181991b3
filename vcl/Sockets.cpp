#include "vcl/Sockets.h"

#include <cstring>

#include "platform/winsock/WinSock.h"

TBaseSocket::TBaseSocket(TComponent* owner)
    : TComponent(owner), FDomain(AF_UNSPEC), FSockType(SOCK_STREAM), FProtocol(IPPROTO_TCP) {}

TBaseSocket::~TBaseSocket() { CloseHandle(); }

void TBaseSocket::Open() {}

void TBaseSocket::Close() {
  if (!Active()) return;
  CloseHandle();
  DoDestroyHandle();
}

void TBaseSocket::SetActive(bool value) {
  if (value == Active()) return;
  if (value) {
    Open();
  } else {
    Close();
  }
}

void TBaseSocket::SetBlockMode(TSocketBlockMode value) {
  if (value == FBlockMode) return;
  FBlockMode = value;
  if (Active()) {
    u_long argument = value == bmNonBlocking ? 1 : 0;
    ErrorCheck(ioctlsocket(Handle(), FIONBIO, &argument));
  }
}

bool TBaseSocket::CreateHandle(int family) {
  CloseHandle();
  const SOCKET s = socket(family, FSockType, FProtocol);
  if (s == INVALID_SOCKET) {
    DoHandleError(WSAGetLastError());
    return false;
  }
  FSocket.store(s, std::memory_order_release);
  DoCreateHandle();
  return true;
}

void TBaseSocket::CloseHandle() {
  const TSocket s = FSocket.exchange(InvalidSocket, std::memory_order_acq_rel);
  if (s != InvalidSocket) closesocket(s);
}

void TBaseSocket::DoCreateHandle() {
  if (FBlockMode == bmNonBlocking) {
    u_long argument = 1;
    ErrorCheck(ioctlsocket(Handle(), FIONBIO, &argument));
  }
  if (OnCreateHandle) OnCreateHandle(this);
}

void TBaseSocket::DoDestroyHandle() {
  if (OnDestroyHandle) OnDestroyHandle(this);
}

void TBaseSocket::DoHandleError(int socketError) {
  if (OnError) OnError(this, socketError);
}

int TBaseSocket::ErrorCheck(int result) {
  if (result == SOCKET_ERROR) DoHandleError(WSAGetLastError());
  return result;
}

int TBaseSocket::ReceiveBuf(void* buf, int bufSize, int flags) {
  const int result = ErrorCheck(recv(Handle(), static_cast<char*>(buf), bufSize, flags));
  if (result > 0 && !(flags & MSG_PEEK) && OnReceive) OnReceive(this, buf, result);
  return result;
}

int TBaseSocket::SendBuf(const void* buf, int bufSize, int flags) {
  const int result = ErrorCheck(send(Handle(), static_cast<const char*>(buf), bufSize, flags));
  if (result > 0 && OnSend) OnSend(this, buf, result);
  return result;
}

int TBaseSocket::PeekBuf(void* buf, int bufSize) {
  return ErrorCheck(recv(Handle(), static_cast<char*>(buf), bufSize, MSG_PEEK));
}

bool TBaseSocket::Select(bool* readReady, bool* writeReady, bool* exceptFlag, int timeoutMs) {
  const SOCKET s = Handle();
  // The sets are large (Winsock's layout with room for many handles): keep them off the stack
  // of worker threads.
  auto sets = std::make_unique<fd_set[]>(3);
  fd_set* readSet = readReady ? &sets[0] : nullptr;
  fd_set* writeSet = writeReady ? &sets[1] : nullptr;
  fd_set* exceptSet = exceptFlag ? &sets[2] : nullptr;
  for (fd_set* set : {readSet, writeSet, exceptSet}) {
    if (set) {
      FD_ZERO(set);
      FD_SET(s, set);
    }
  }
  timeval limit{};
  if (timeoutMs >= 0) {
    limit.tv_sec = timeoutMs / 1000;
    limit.tv_usec = (timeoutMs % 1000) * 1000;
  }
  const int result = ErrorCheck(select(0, readSet, writeSet, exceptSet, timeoutMs >= 0 ? &limit : nullptr));
  if (readReady) *readReady = result > 0 && FD_ISSET(s, readSet);
  if (writeReady) *writeReady = result > 0 && FD_ISSET(s, writeSet);
  if (exceptFlag) *exceptFlag = result > 0 && FD_ISSET(s, exceptSet);
  return result != SOCKET_ERROR;
}

bool TBaseSocket::WaitForData(int timeoutMs) {
  if (!Active()) return false;
  bool readReady = false;
  bool exceptFlag = false;
  if (!Select(&readReady, nullptr, &exceptFlag, timeoutMs) || !readReady || exceptFlag) return false;
  char byte;
  return PeekBuf(&byte, 1) == 1;
}

std::vector<TSocketAddress> ResolveSocketAddresses(const AnsiString& host, const AnsiString& port, int& error) {
  std::vector<TSocketAddress> addresses;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* list = nullptr;
  error = getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
  if (error != 0) return addresses;
  for (addrinfo* entry = list; entry; entry = entry->ai_next) {
    TSocketAddress address;
    address.Family = entry->ai_family;
    const auto* bytes = reinterpret_cast<const uint8_t*>(entry->ai_addr);
    address.Bytes.assign(bytes, bytes + entry->ai_addrlen);
    addresses.push_back(std::move(address));
  }
  freeaddrinfo(list);
  if (addresses.empty()) error = WSAHOST_NOT_FOUND;
  return addresses;
}

TCustomIpClient::~TCustomIpClient() { Close(); }

void TCustomIpClient::Open() {
  if (Active()) return;
  int error = 0;
  const std::vector<TSocketAddress> addresses = ResolveSocketAddresses(FRemoteHost, FRemotePort, error);
  if (addresses.empty()) {
    DoHandleError(error);
    return;
  }
  for (const TSocketAddress& address : addresses) {
    if (!CreateHandle(address.Family)) continue;
    if (ConnectHandle(address)) {
      SetConnected(true);
      DoConnect();
      return;
    }
    CloseHandle();
  }
}

bool TCustomIpClient::ConnectHandle(const TSocketAddress& address) {
  const int result = ErrorCheck(connect(Handle(), reinterpret_cast<const sockaddr*>(address.Bytes.data()),
                                        static_cast<int>(address.Bytes.size())));
  // A non-blocking socket whose connect is under way counts as connecting.
  return result == 0 || (BlockMode() == bmNonBlocking && WSAGetLastError() == WSAEWOULDBLOCK);
}

void TCustomIpClient::Close() {
  Disconnect();
  TIpSocket::Close();
}

bool TCustomIpClient::Connect() {
  Open();
  return Connected();
}

void TCustomIpClient::Disconnect() {
  if (!FConnected.exchange(false, std::memory_order_acq_rel)) return;
  const TSocket s = Handle();
  if (s != InvalidSocket) shutdown(s, SD_BOTH);
  DoDisconnect();
}

void TCustomIpClient::DoConnect() {
  if (OnConnect) OnConnect(this);
}

void TCustomIpClient::DoDisconnect() {
  if (OnDisconnect) OnDisconnect(this);
}

TTcpClient::TTcpClient(TComponent* owner) : TCustomIpClient(owner) {
  FSockType = SOCK_STREAM;
  FProtocol = IPPROTO_TCP;
}
