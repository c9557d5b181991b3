#pragma once

// The socket machinery under WinSock.h, in terms neither of the two socket vocabularies owns
// (the Winsock header and the POSIX headers cannot meet in one source file). WinSock.cpp
// translates Winsock's numbers to these and errno values back to WSAE* numbers.
//
// Every failing call returns -1 (or 0 for a handle) and stores an errno value in *error;
// the two conditions POSIX has no errno for have their own values below.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::detail::sockets {

constexpr int kNotInitialised = -1000;  // before WSAStartup
constexpr int kNotSupported = -1001;    // an option or command this layer does not offer

enum class Family { Unspecified, Inet, Inet6 };
enum class Kind { Stream, Datagram };

enum class Option {
  SendBuffer,
  ReceiveBuffer,
  SendTimeout,     // DWORD milliseconds, 0 = none
  ReceiveTimeout,  // DWORD milliseconds, 0 = none
  Linger,          // onoff, seconds
  NoDelay,
  Error,           // the pending error as an errno value, cleared by reading
};

// Startup counting; the last Cleanup closes every socket still open.
void Startup();
bool Cleanup();  // false when not started
bool Started();

uintptr_t Create(Family family, Kind kind, int protocol, int* error);
// Addresses: a sockaddr_in or sockaddr_in6 (the two layouts agree but for the family
// numbers); the family field is ignored on input and left 0 on output, the Family says it.
int Connect(uintptr_t socket, Family family, const void* address, int length, int* error);
int Send(uintptr_t socket, const char* buffer, int length, bool outOfBand, int* error);
int Receive(uintptr_t socket, char* buffer, int length, bool peek, bool outOfBand, int* error);
int Shutdown(uintptr_t socket, bool receive, bool send, int* error);
int Close(uintptr_t socket, int* error);
int SetNonBlocking(uintptr_t socket, bool on, int* error);
int BytesReadable(uintptr_t socket, uint32_t* count, int* error);
// value: the option's value as a number; Linger packs on/off in the low 16 bits and the
// seconds in the high 16.
int SetOption(uintptr_t socket, Option option, uint32_t value, int* error);
int GetOption(uintptr_t socket, Option option, uint32_t* value, int* error);

struct SelectEntry {
  uintptr_t socket = 0;
  bool wantRead = false, wantWrite = false, wantExcept = false;
  bool read = false, write = false, except = false;  // results
};
// timeoutMs < 0: no limit. Returns the number of results set.
int Select(std::vector<SelectEntry>& entries, int64_t timeoutMs, int* error);

enum class ResolveError { None, NoName, TryAgain, Fail, Family, SocketType, Service, Flags, Memory };

struct ResolvedAddress {
  Family family = Family::Unspecified;
  Kind kind = Kind::Stream;
  int protocol = 0;
  std::string canonicalName;
  std::vector<uint8_t> address;  // family field 0
};

struct ResolveHints {
  bool passive = false, canonicalName = false, numericHost = false, numericService = false;
  Family family = Family::Unspecified;
  int kind = 0;  // 0 any, else 1 + Kind
  int protocol = 0;
};

ResolveError Resolve(const char* node, const char* service, const ResolveHints& hints,
                     std::vector<ResolvedAddress>* out);

}  // namespace platform::detail::sockets
