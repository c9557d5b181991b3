#pragma once

// The socket calls the program uses, in Winsock's shapes and with Winsock's numbers, over BSD
// sockets. A SOCKET is a stale-safe handle, never a descriptor: a handle kept after its
// closesocket reaches nothing (WSAENOTSOCK), even when the system has reused the descriptor.
//
// Blocking keeps Windows' semantics, which Linux lacks:
// - Every descriptor is non-blocking underneath; a blocking call waits in poll together with
//   the socket's own wake descriptor, so closesocket from another thread wakes every call
//   blocked on that socket (recv, send, connect, select), which fails with WSAEINTR. The
//   descriptor itself is closed only once no call is inside it.
// - SO_RCVTIMEO and SO_SNDTIMEO are DWORD milliseconds kept by those waits; a wait that runs
//   out fails with WSAETIMEDOUT.
// - A blocking send sends the whole buffer or fails; send never raises SIGPIPE.
// - select takes Winsock's fd_set (a count and an array of handles, up to FD_SETSIZE of them,
//   whatever their descriptor numbers), and a non-blocking connect that failed is reported in
//   exceptfds, as on Windows.
// - Errors are WSAGetLastError's WSAE* numbers (the thread's last error); a non-blocking connect
//   still in progress is WSAEWOULDBLOCK.
// - Every call before WSAStartup (or after the last WSACleanup) fails with WSANOTINITIALISED;
//   the last WSACleanup closes the sockets still open.
//
// This header replaces the POSIX socket headers: a source file includes it or them, never
// both. (Its fd_set is a name for WSAFdSet: the C library's fd_set is declared first and
// keeps its place.) Any thread.

#include <sys/select.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "platform/kernel/WinTypes.h"

// u_char, u_short and u_int are the C library's, of Winsock's sizes; its u_long is 64 bits
// wide here, where Winsock's is 32, and is used only for ioctlsocket's argument.
using SOCKET = UINT_PTR;

constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
constexpr int SOCKET_ERROR = -1;

// Address families, types and protocols.
constexpr int AF_UNSPEC = 0;
constexpr int AF_INET = 2;
constexpr int AF_INET6 = 23;
constexpr int PF_INET = AF_INET;
constexpr int PF_INET6 = AF_INET6;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_IP = 0;
constexpr int IPPROTO_TCP = 6;
constexpr int IPPROTO_UDP = 17;

// Socket options.
constexpr int SOL_SOCKET = 0xffff;
constexpr int SO_LINGER = 0x0080;
constexpr int SO_SNDBUF = 0x1001;
constexpr int SO_RCVBUF = 0x1002;
constexpr int SO_SNDTIMEO = 0x1005;
constexpr int SO_RCVTIMEO = 0x1006;
constexpr int SO_ERROR = 0x1007;
constexpr int TCP_NODELAY = 0x0001;

// send and recv flags.
constexpr int MSG_OOB = 0x1;
constexpr int MSG_PEEK = 0x2;

// shutdown.
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

// ioctlsocket commands.
constexpr LONG FIONREAD = static_cast<LONG>(0x4004667Fu);
constexpr LONG FIONBIO = static_cast<LONG>(0x8004667Eu);

// getaddrinfo flags.
constexpr int AI_PASSIVE = 0x01;
constexpr int AI_CANONNAME = 0x02;
constexpr int AI_NUMERICHOST = 0x04;
constexpr int AI_NUMERICSERV = 0x08;

// Error numbers.
constexpr int WSA_NOT_ENOUGH_MEMORY = 8;
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSATYPE_NOT_FOUND = 10109;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct in_addr {
  uint32_t s_addr;  // network byte order
};

struct in6_addr {
  uint8_t s6_addr[16];
};

struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};

struct sockaddr_in {
  short sin_family;
  u_short sin_port;  // network byte order
  in_addr sin_addr;
  char sin_zero[8];
};

struct sockaddr_in6 {
  short sin6_family;
  u_short sin6_port;
  ULONG sin6_flowinfo;
  in6_addr sin6_addr;
  ULONG sin6_scope_id;
};

struct sockaddr_storage {
  short ss_family;
  char ss_pad[126];
};

static_assert(sizeof(sockaddr) == 16 && sizeof(sockaddr_in) == 16 && sizeof(sockaddr_in6) == 28);

struct linger {
  u_short l_onoff;
  u_short l_linger;  // seconds
};

// Windows' addrinfo: the canonical name comes before the address.
struct addrinfo {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  size_t ai_addrlen;
  char* ai_canonname;
  sockaddr* ai_addr;
  addrinfo* ai_next;
};
using ADDRINFOA = addrinfo;
using PADDRINFOA = addrinfo*;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

// The 64-bit layout.
struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using LPWSADATA = WSADATA*;

// Winsock's set of sockets: a count and the handles. A set holds up to FD_SETSIZE handles;
// FD_SET on a full set does nothing, as on Windows.
#undef FD_SETSIZE
#undef FD_SET
#undef FD_CLR
#undef FD_ZERO
#undef FD_ISSET
constexpr u_int FD_SETSIZE = 2048;

struct WSAFdSet {
  u_int fd_count;
  SOCKET fd_array[FD_SETSIZE];
};
#define fd_set WSAFdSet

inline void FD_ZERO(fd_set* set) { set->fd_count = 0; }

inline int FD_ISSET(SOCKET s, const fd_set* set) {
  for (u_int i = 0; i < set->fd_count; ++i) {
    if (set->fd_array[i] == s) return 1;
  }
  return 0;
}

inline void FD_SET(SOCKET s, fd_set* set) {
  if (FD_ISSET(s, set) || set->fd_count >= FD_SETSIZE) return;
  set->fd_array[set->fd_count++] = s;
}

inline void FD_CLR(SOCKET s, fd_set* set) {
  for (u_int i = 0; i < set->fd_count; ++i) {
    if (set->fd_array[i] == s) {
      for (u_int j = i + 1; j < set->fd_count; ++j) set->fd_array[j - 1] = set->fd_array[j];
      --set->fd_count;
      return;
    }
  }
}

inline u_short htons(u_short v) { return static_cast<u_short>((v << 8) | (v >> 8)); }
inline u_short ntohs(u_short v) { return htons(v); }
inline ULONG htonl(ULONG v) { return __builtin_bswap32(v); }
inline ULONG ntohl(ULONG v) { return htonl(v); }

// Versions 1.0 to 2.2; wVersion is the lower of the requested and 2.2.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

// Only TCP and UDP over IPv4 and IPv6.
SOCKET socket(int af, int type, int protocol);
int connect(SOCKET s, const sockaddr* name, int nameLength);
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
// nfds is ignored; the sets keep only their ready sockets; the result counts them all.
// A null timeout waits without limit.
int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, LONG cmd, u_long* argp);
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen);
// Returns 0 or the WSA error (also set as the last error).
int getaddrinfo(const char* nodeName, const char* serviceName, const addrinfo* hints,
                addrinfo** result);
void freeaddrinfo(addrinfo* list);
