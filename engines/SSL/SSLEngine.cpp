// SSL.so: TLS client sessions over OpenSSL 3, reading and writing through Winsock sockets.

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <memory>
#include <string>

#include "engines/SSL/SSLInterface.h"
#include "engines/SSL/SocketIo.h"
#include "engines/common/EngineApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineHandles.h"

namespace {

using engines::EngineObject;

struct TlsMethod : EngineObject {
  const SSL_METHOD* method = nullptr;
};

struct TlsContext : EngineObject {
  SSL_CTX* context = nullptr;
  ~TlsContext() override { SSL_CTX_free(context); }
};

// What the socket BIO knows of its socket: the handle, the handshake's deadline, and the last
// socket error, so a failed handshake or read can say why.
struct SocketLink {
  uintptr_t socket = 0;
  int64_t deadlineMs = 0;
  int socketError = 0;
};

struct TlsSession : EngineObject {
  std::shared_ptr<TlsContext> context;  // the SSL object needs its context alive
  SSL* ssl = nullptr;
  SocketLink* link = nullptr;  // owned by the BIO, which the SSL object owns
  bool hostSet = false;
  bool verified = false;  // the handshake succeeded; only then do reads and writes run
  std::string lastError;
  ~TlsSession() override { SSL_free(ssl); }
};

thread_local std::string t_lastError;  // failures with no session to keep them

void SetError(TlsSession* session, std::string text) {
  if (session) session->lastError = text;
  t_lastError = std::move(text);
}

std::string OpenSslErrors() {
  std::string text;
  while (const unsigned long code = ERR_get_error()) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
  }
  return text;
}

std::string SocketErrorText(int error) {
  switch (error) {
    case ssl_engine::kSocketTimedOut: return "the connection timed out";
    case ssl_engine::kSocketInterrupted: return "the connection was closed while waiting (cancelled)";
    case ssl_engine::kSocketNotSocket: return "the socket is closed";
    default: return "socket error " + std::to_string(error);
  }
}

// The BIO over a Winsock socket.
int BioWrite(BIO* bio, const char* data, int length) {
  auto* link = static_cast<SocketLink*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  int error = 0;
  const int n = ssl_engine::SocketSend(link->socket, data, length, link->deadlineMs, &error);
  if (n >= 0) return n;
  if (error == ssl_engine::kSocketWouldBlock) {
    BIO_set_retry_write(bio);
  } else {
    link->socketError = error;
  }
  return -1;
}

int BioRead(BIO* bio, char* data, int length) {
  auto* link = static_cast<SocketLink*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  int error = 0;
  const int n = ssl_engine::SocketReceive(link->socket, data, length, link->deadlineMs, &error);
  if (n >= 0) return n;
  if (error == ssl_engine::kSocketWouldBlock) {
    BIO_set_retry_read(bio);
  } else {
    link->socketError = error;
  }
  return -1;
}

long BioControl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int BioCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

int BioDestroy(BIO* bio) {
  delete static_cast<SocketLink*>(BIO_get_data(bio));
  BIO_set_data(bio, nullptr);
  return 1;
}

BIO_METHOD* SocketBioMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "Winsock socket");
    BIO_meth_set_write(m, BioWrite);
    BIO_meth_set_read(m, BioRead);
    BIO_meth_set_ctrl(m, BioControl);
    BIO_meth_set_create(m, BioCreate);
    BIO_meth_set_destroy(m, BioDestroy);
    return m;
  }();
  return method;
}

// Describes why an OpenSSL call on the session failed.
std::string FailureText(TlsSession& session, int result, const char* what) {
  const int kind = SSL_get_error(session.ssl, result);
  const long verify = SSL_get_verify_result(session.ssl);
  std::string text = what;
  if (verify != X509_V_OK) {
    text += ": certificate verification failed: ";
    text += X509_verify_cert_error_string(verify);
    OpenSslErrors();
  } else if (session.link && session.link->socketError != 0) {
    text += ": " + SocketErrorText(session.link->socketError);
    OpenSslErrors();
  } else {
    const std::string errors = OpenSslErrors();
    if (!errors.empty()) {
      text += ": " + errors;
    } else if (kind == SSL_ERROR_SYSCALL || kind == SSL_ERROR_ZERO_RETURN) {
      text += ": the peer closed the connection";
    } else {
      text += ": TLS error " + std::to_string(kind);
    }
  }
  return text;
}

std::shared_ptr<TlsSession> SessionOf(SSLHandle handle) {
  auto session = engines::Lookup<TlsSession>(handle);
  if (!session) t_lastError = "not a TLS session";
  return session;
}

int Start() {
  return OPENSSL_init_ssl(0, nullptr) == 1 ? 1 : 0;
}

SSLHandle ClientMethod() {
  return engines::Guarded("SSL ClientMethod", SSLHandle{0}, [] {
    static const SSLHandle handle = [] {
      auto method = std::make_shared<TlsMethod>();
      method->method = TLS_client_method();
      return engines::RegisterObject(method);
    }();
    return handle;
  });
}

SSLHandle NewContext(SSLHandle methodHandle) {
  return engines::Guarded("SSL NewContext", SSLHandle{0}, [&]() -> SSLHandle {
    auto method = engines::Lookup<TlsMethod>(methodHandle);
    if (!method) {
      t_lastError = "not a TLS method";
      return 0;
    }
    auto context = std::make_shared<TlsContext>();
    context->context = SSL_CTX_new(method->method);
    if (!context->context) {
      t_lastError = "cannot make a TLS context: " + OpenSslErrors();
      return 0;
    }
    SSL_CTX* ctx = context->context;
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    // The HTTP layer checks every body's length itself, and servers often end a connection
    // without the TLS close notice: such an end reads as the end of the stream.
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(ctx, SSL_MODE_AUTO_RETRY);
    if (SSL_CTX_set_default_verify_paths(ctx) != 1) {
      t_lastError = "cannot read the system's certificate store: " + OpenSslErrors();
      return 0;
    }
    return engines::RegisterObject(context);
  });
}

void FreeContext(SSLHandle handle) {
  engines::Guarded("SSL FreeContext", 0, [&] {
    if (engines::Lookup<TlsContext>(handle)) engines::UnregisterObject(handle);
    return 0;
  });
}

SSLHandle NewSession(SSLHandle contextHandle) {
  return engines::Guarded("SSL NewSession", SSLHandle{0}, [&]() -> SSLHandle {
    auto context = engines::Lookup<TlsContext>(contextHandle);
    if (!context) {
      t_lastError = "not a TLS context";
      return 0;
    }
    auto session = std::make_shared<TlsSession>();
    session->context = context;
    session->ssl = SSL_new(context->context);
    if (!session->ssl) {
      t_lastError = "cannot make a TLS session: " + OpenSslErrors();
      return 0;
    }
    return engines::RegisterObject(session);
  });
}

void FreeSession(SSLHandle handle) {
  engines::Guarded("SSL FreeSession", 0, [&] {
    if (engines::Lookup<TlsSession>(handle)) engines::UnregisterObject(handle);
    return 0;
  });
}

int SetHost(SSLHandle handle, const char* host) {
  return engines::Guarded("SSL SetHost", 0, [&] {
    auto session = SessionOf(handle);
    if (!session) return 0;
    std::string name = host ? host : "";
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    if (name.empty()) {
      SetError(session.get(), "no host name given");
      return 0;
    }
    unsigned char address[16];
    const bool literal = inet_pton(AF_INET, name.c_str(), address) == 1 || inet_pton(AF_INET6, name.c_str(), address) == 1;
    X509_VERIFY_PARAM* param = SSL_get0_param(session->ssl);
    bool ok;
    if (literal) {
      // An address is checked against the certificate's IP addresses and is never sent as
      // the server name.
      ok = X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) == 1;
    } else {
      X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      ok = SSL_set_tlsext_host_name(session->ssl, name.c_str()) == 1 && SSL_set1_host(session->ssl, name.c_str()) == 1;
    }
    if (!ok) {
      SetError(session.get(), "cannot verify against the host '" + name + "': " + OpenSslErrors());
      return 0;
    }
    session->hostSet = true;
    return 1;
  });
}

int LastErrorText(SSLHandle handle, char* buffer, int capacity) {
  return engines::Guarded("SSL LastErrorText", 0, [&] {
    auto session = engines::Lookup<TlsSession>(handle);
    const std::string& text = session ? session->lastError : t_lastError;
    if (buffer && capacity > 0) {
      const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
      std::memcpy(buffer, text.data(), n);
      buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
  });
}

int BindSocket(SSLHandle handle, uintptr_t socket) {
  return engines::Guarded("SSL BindSocket", 0, [&] {
    auto session = SessionOf(handle);
    if (!session) return 0;
    BIO* bio = BIO_new(SocketBioMethod());
    if (!bio) {
      SetError(session.get(), "cannot make the socket BIO: " + OpenSslErrors());
      return 0;
    }
    auto* link = new SocketLink{socket, 0, 0};
    BIO_set_data(bio, link);
    SSL_set_bio(session->ssl, bio, bio);
    session->link = link;
    return 1;
  });
}

int Handshake(SSLHandle handle) {
  return engines::Guarded("SSL Handshake", -1, [&] {
    auto session = SessionOf(handle);
    if (!session) return -1;
    if (!session->link) {
      SetError(session.get(), "TLS handshake: no socket bound");
      return -1;
    }
    if (!session->hostSet) {
      SetError(session.get(), "TLS handshake: no host name to verify the certificate against");
      return -1;
    }
    ERR_clear_error();
    const uint32_t limit = ssl_engine::SocketReceiveTimeout(session->link->socket);
    session->link->deadlineMs = limit == 0 ? 0 : ssl_engine::SteadyNowMs() + limit;
    session->link->socketError = 0;
    const int result = SSL_connect(session->ssl);
    session->link->deadlineMs = 0;
    session->verified = result == 1;
    if (result != 1) SetError(session.get(), FailureText(*session, result, "TLS handshake"));
    return result;
  });
}

// Read, peek and write: a positive count, 0 at the end of the stream (reads), else the
// negated OpenSSL error kind.
template <typename Call>
int Transfer(SSLHandle handle, const char* what, bool reading, Call call) {
  return engines::Guarded(what, -1, [&] {
    auto session = SessionOf(handle);
    if (!session) return -1;
    if (!session->verified) {
      SetError(session.get(), std::string(what) + ": no verified TLS session");
      return -1;
    }
    ERR_clear_error();
    session->link->socketError = 0;
    const int result = call(session->ssl);
    if (result > 0) return result;
    const int kind = SSL_get_error(session->ssl, result);
    if (kind == SSL_ERROR_ZERO_RETURN && reading) return 0;
    SetError(session.get(), FailureText(*session, result, what));
    return -(kind > 0 ? kind : 1);
  });
}

int Write(SSLHandle handle, const void* buffer, int length) {
  if (length <= 0) return 0;
  return Transfer(handle, "TLS write", false, [&](SSL* ssl) { return SSL_write(ssl, buffer, length); });
}

int Read(SSLHandle handle, void* buffer, int length) {
  if (length <= 0) return 0;
  return Transfer(handle, "TLS read", true, [&](SSL* ssl) { return SSL_read(ssl, buffer, length); });
}

int Peek(SSLHandle handle, void* buffer, int length) {
  if (length <= 0) return 0;
  return Transfer(handle, "TLS peek", true, [&](SSL* ssl) { return SSL_peek(ssl, buffer, length); });
}

int Shutdown(SSLHandle handle) {
  return engines::Guarded("SSL Shutdown", 0, [&] {
    auto session = engines::Lookup<TlsSession>(handle);
    // Only the close notice is sent: waiting for the peer's could block on a dead connection.
    if (session && session->verified) SSL_shutdown(session->ssl);
    return 1;
  });
}

int Pending(SSLHandle handle) {
  auto session = engines::Lookup<TlsSession>(handle);
  return session ? SSL_pending(session->ssl) : 0;
}

}  // namespace

ENGINE_API void CreateSSLInterface(SSLInterfaceTable* table) {
  if (!table) return;
  *table = SSLInterfaceTable{};
  table->Start = Start;
  table->SetHost = SetHost;
  table->LastErrorText = LastErrorText;
  table->ClientMethod = ClientMethod;
  table->NewContext = NewContext;
  table->FreeContext = FreeContext;
  table->NewSession = NewSession;
  table->FreeSession = FreeSession;
  table->BindSocket = BindSocket;
  table->Handshake = Handshake;
  table->Write = Write;
  table->Read = Read;
  table->Shutdown = Shutdown;
  table->Pending = Pending;
  table->Peek = Peek;
}
