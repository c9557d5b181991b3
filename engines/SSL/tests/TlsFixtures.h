#pragma once

// Certificates made at test time and a TLS server on the loopback, on the OpenSSL and POSIX
// side (a test source that includes WinSock.h cannot include the system's socket headers).

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tls_fixtures {

// PEM texts of a key and its certificate.
struct Credentials {
  std::string certificatePem;
  std::string keyPem;
};

// A certificate authority with its own key.
class Authority {
 public:
  explicit Authority(const std::string& commonName);
  ~Authority();
  const std::string& CertificatePem() const { return m_pem.certificatePem; }
  // A server certificate for "localhost" and 127.0.0.1, valid from now + fromSeconds to
  // now + toSeconds.
  Credentials IssueServer(long fromSeconds = -3600, long toSeconds = 86400) const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
  Credentials m_pem;
};

enum class ServerMode {
  Echo,    // handshake, then send back whatever arrives
  Silent,  // accept the connection and never answer
};

// A TLS server on 127.0.0.1 at a free port, serving connections one after another on a thread
// of its own.
class Server {
 public:
  // maxVersion11: offer nothing newer than TLS 1.1 (and allow it at all).
  Server(const Credentials& credentials, ServerMode mode = ServerMode::Echo, bool maxVersion11 = false);
  ~Server();
  uint16_t Port() const { return m_port; }
  // The server names the clients sent, one per completed handshake ("" for none).
  std::vector<std::string> ServerNames();

 private:
  void Run();
  void Serve(int fd);

  Credentials m_credentials;
  ServerMode m_mode;
  bool m_maxVersion11;
  int m_listener = -1;
  uint16_t m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<std::string> m_names;  // guarded by m_mutex
  std::thread m_thread;
};

// Writes text to a file; true when it worked.
bool WriteFile(const std::string& path, const std::string& text);

}  // namespace tls_fixtures
