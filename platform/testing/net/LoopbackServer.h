#pragma once

// Servers on the loopback for tests that speak to the network, plain or over TLS (with
// Certificates.h): a server that runs a handler per accepted connection on a thread of its
// own, the connection with reads that end at a time-out, a host that never answers, and port
// probes. Only 127.0.0.1 is ever listened on or connected to. POSIX and OpenSSL side only (a
// test source that includes WinSock.h cannot include the system's socket headers, and this
// header includes neither).

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/net/Certificates.h"

namespace platform::testing::net {

// One HTTP request as a server read it.
struct Request {
  std::string head;  // request line and header lines, without the empty line
  std::string method;
  std::string target;
  std::map<std::string, std::string> headers;  // names lower case
  std::string body;
  std::string Header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
  }
};

// One accepted connection, plain or TLS (its handshake done). Used by one thread.
class Connection {
 public:
  Connection(int fd, void* ssl) : m_fd(fd), m_ssl(ssl) {}
  // Reads one HTTP request (head, and a body by Content-Length); false when the client closed.
  bool ReadRequest(Request& request, int timeoutMs = 5000);
  // Reads exactly n bytes; what arrived in time.
  std::string ReadExactly(size_t n, int timeoutMs = 5000);
  // Reads up to and including the first "\r\n\r\n".
  std::string ReadHead(int timeoutMs = 5000);
  bool Send(const std::string& data);
  // Sends each piece on its own after a pause.
  bool SendPieces(const std::vector<std::string>& pieces, int pauseMs = 20);
  // Sends back whatever arrives until the client closes or is silent for idleMs.
  void Echo(int idleMs = 10000);
  // Pipes bytes both ways between this connection and 127.0.0.1:port until one side closes.
  void Tunnel(uint16_t port);
  // Reads and drops what arrives until the client closes (or the time runs out).
  void WaitForClose(int timeoutMs = 5000);
  int Descriptor() const { return m_fd; }
  // The server name the client sent in its TLS handshake ("" for none or plain).
  std::string TlsServerName() const;
  std::string TlsVersion() const;

 private:
  int ReadSome(char* buffer, int size, int timeoutMs);
  int m_fd;
  void* m_ssl;
  std::string m_buffered;
};

// A listener on 127.0.0.1 at a free port whose connections the test accepts itself.
class Listener {
 public:
  explicit Listener(int backlog = 16);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  uint16_t Port() const { return m_port; }
  // Accepts one connection (waiting up to timeoutMs): its descriptor, or -1.
  int Accept(int timeoutMs = 5000);
  int Descriptor() const { return m_fd; }

 private:
  int m_fd = -1;
  uint16_t m_port = 0;
};

enum class TlsVersionLimit { Any, Max11 };

// A server on 127.0.0.1 at a free port; each accepted connection runs the handler on a thread
// of its own (after the TLS handshake when the server has credentials; a failed handshake
// never reaches the handler). The destructor waits for every handler to return.
class Server {
 public:
  using Handler = std::function<void(Connection&, int index)>;
  // Max11 offers nothing newer than TLS 1.1 (and allows it at all).
  explicit Server(Handler handler, const Credentials* tls = nullptr, TlsVersionLimit limit = TlsVersionLimit::Any);
  ~Server();
  uint16_t Port() const { return m_listener.Port(); }
  int Connections() const { return m_connections.load(); }
  std::string Url(const std::string& path = "/") const;

 private:
  void Run();
  void Serve(int fd, int index);

  Handler m_handler;
  void* m_context = nullptr;
  Listener m_listener{64};
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_connections{0};
  std::mutex m_mutex;
  std::vector<std::thread> m_workers;  // guarded by m_mutex
  std::thread m_thread;
};

// A listener whose queue is full and never accepted: connects to it wait without an answer.
// Throws when the queue does not fill.
class SilentHost {
 public:
  SilentHost();
  ~SilentHost();
  SilentHost(const SilentHost&) = delete;
  SilentHost& operator=(const SilentHost&) = delete;
  uint16_t Port() const { return m_listener.Port(); }

 private:
  Listener m_listener{0};
  std::vector<int> m_fillers;
};

// A port on 127.0.0.1 with nothing listening.
uint16_t UnusedPort();
// True when something accepts connections on 127.0.0.1:port.
bool PortOpen(uint16_t port);

}  // namespace platform::testing::net
