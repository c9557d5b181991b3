#pragma once

// The program side of TLS: the TLS engine (SSL.so, entry points of engines/SSL/SSLInterface.h)
// is loaded once, the first time a session is wanted, and stays loaded (UnloadSSLInterface
// is for tests that load it again). TSSLClient is one verified TLS session over an
// already connected socket, owned by the TCP client that made it (FSSockets.h).
//
// When the library or its export cannot be found, every creation fails (Create gives nil)
// and nothing of the empty table is ever called.
//
// Threads: loading is serialised; each TSSLClient is used by one thread at a time; another
// thread may close its socket to end a blocked handshake, read or write.

#include <memory>

#include "platform/kernel/WinTypes.h"
#include "rtl/SysTypes.h"

struct SSLInterfaceTable;

// True when the library is loaded and its table filled (loads it on the first call).
bool LoadSSLInterface();
// Loads when needed and starts the library; false when it cannot be had.
bool InitSSLInterface();
// Frees the library; a later session loads it again.
void UnloadSSLInterface();
// The library loaded ("SSL.dll", from the program folder); takes effect at the next load.
void SetSSLLibraryName(const AnsiString& name);

class TSSLClient {
 public:
  // A session for `socket`, verifying the peer against `host` (name or IP literal, also sent
  // as the server name). Nil when the library is missing or the session cannot be made.
  static std::unique_ptr<TSSLClient> Create(UINT_PTR socket, const AnsiString& host);
  ~TSSLClient();
  TSSLClient(const TSSLClient&) = delete;
  TSSLClient& operator=(const TSSLClient&) = delete;

  // Runs the handshake; true on success. It ends within the socket's receive time-out.
  bool Connect();
  // Bytes read, written or peeked; 0 at the end of the stream; negative on an error (also
  // kept in LastError).
  int Peek(void* buffer, int length);
  int Read(void* buffer, int length);
  int Write(const void* buffer, int length);
  // Decrypted bytes waiting to be read.
  int Pending();
  // Sends the close notice and frees the session.
  void Shutdown();

  int LastError() const { return FLastError; }
  // The engine's text for the last failure (verification, protocol, socket).
  AnsiString LastErrorText() const;

 private:
  TSSLClient(UINT_PTR socket, const SSLInterfaceTable& table);

  UINT_PTR FSocket;
  uintptr_t FSession = 0;
  uintptr_t FContext = 0;
  uintptr_t FMethod = 0;
  int FLastError = 0;
  AnsiString FHost;
  AnsiString FFailure;
  const SSLInterfaceTable& FTable;
};
