#pragma once

// The TLS engine's interface: SSL.so exports CreateSSLInterface, which fills a table of 17
// plain C functions. Handles are pointer-sized engine handles (0 = none; a freed handle is
// detected and ignored). One session is used by one thread at a time; the engine may be used
// by many threads at once.
//
// Sessions read and write through a Winsock SOCKET (platform/winsock), so the socket's
// time-outs hold under TLS and closesocket from another thread ends a blocked handshake, read
// or write. Verification is always on: the peer's chain must lead to a certificate of the
// system store (the default paths, which SSL_CERT_FILE and SSL_CERT_DIR override), its name
// must match the host set by entry 1 (a host name, or an IP address against the certificate's
// IP addresses), and the protocol must be TLS 1.2 or later. A handshake without a host set
// fails. The handshake as a whole ends within the socket's receive time-out (SO_RCVTIMEO, as
// it is when the handshake starts; 0 = no limit).

#include <cstdint>

using SSLHandle = uintptr_t;

struct SSLInterfaceTable {
  int (*Start)();                                                     // 0: start the library; 1
  int (*SetHost)(SSLHandle session, const char* host);                // 1: SNI and the name checked; 1 or 0
  int (*LastErrorText)(SSLHandle session, char* buffer, int capacity);  // 2: length of the whole text
  SSLHandle (*ClientMethod)();                                        // 3
  void* Unused4;
  void* Unused5;
  SSLHandle (*NewContext)(SSLHandle method);                          // 6: 0 on failure
  void (*FreeContext)(SSLHandle context);                             // 7
  SSLHandle (*NewSession)(SSLHandle context);                         // 8: 0 on failure
  void (*FreeSession)(SSLHandle session);                             // 9
  int (*BindSocket)(SSLHandle session, uintptr_t socket);             // 10: 1 or 0
  int (*Handshake)(SSLHandle session);                                // 11: 1 on success
  int (*Write)(SSLHandle session, const void* buffer, int length);    // 12: bytes, negative on error
  int (*Read)(SSLHandle session, void* buffer, int length);           // 13: bytes, 0 at the end, negative on error
  int (*Shutdown)(SSLHandle session);                                 // 14: sends the close notice
  int (*Pending)(SSLHandle session);                                  // 15: plaintext bytes already decrypted
  int (*Peek)(SSLHandle session, void* buffer, int length);           // 16: like Read, consuming nothing
};
static_assert(sizeof(SSLInterfaceTable) == 17 * sizeof(void*));

// The library's export, looked up by this name.
using CreateSSLInterfaceFunction = void (*)(SSLInterfaceTable* table);
