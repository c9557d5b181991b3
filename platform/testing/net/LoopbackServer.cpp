#include "platform/testing/net/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <stdexcept>

namespace platform::testing::net {

namespace {

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

// Listener

Listener::Listener(int backlog) {
  m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_fd, backlog) != 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (m_fd >= 0) ::close(m_fd);
    throw std::runtime_error("cannot listen on the loopback");
  }
  m_port = ntohs(address.sin_port);
}

Listener::~Listener() { ::close(m_fd); }

int Listener::Accept(int timeoutMs) {
  pollfd p{m_fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return -1;
  return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

// Connection

int Connection::ReadSome(char* buffer, int size, int timeoutMs) {
  SSL* ssl = static_cast<SSL*>(m_ssl);
  if (ssl && SSL_pending(ssl) > 0) return SSL_read(ssl, buffer, size);
  pollfd p{m_fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return -1;
  if (ssl) {
    const int n = SSL_read(ssl, buffer, size);
    return n > 0 ? n : 0;
  }
  const ssize_t n = ::recv(m_fd, buffer, static_cast<size_t>(size), 0);
  return n > 0 ? static_cast<int>(n) : 0;
}

std::string Connection::ReadHead(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t end = m_buffered.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string head = m_buffered.substr(0, end + 4);
      m_buffered.erase(0, end + 4);
      return head;
    }
    const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (left <= 0) return {};
    char buffer[4096];
    const int n = ReadSome(buffer, sizeof buffer, left);
    if (n <= 0) return {};
    m_buffered.append(buffer, static_cast<size_t>(n));
  }
}

std::string Connection::ReadExactly(size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (m_buffered.size() < count) {
    const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (left <= 0) break;
    char buffer[4096];
    const int n = ReadSome(buffer, static_cast<int>(std::min(sizeof buffer, count - m_buffered.size())), left);
    if (n <= 0) break;
    m_buffered.append(buffer, static_cast<size_t>(n));
  }
  std::string out = m_buffered.substr(0, count);
  m_buffered.erase(0, out.size());
  return out;
}

bool Connection::ReadRequest(Request& request, int timeoutMs) {
  request = Request{};
  std::string head = ReadHead(timeoutMs);
  if (head.empty()) return false;
  head.resize(head.size() - 4);
  request.head = head;
  size_t lineEnd = head.find("\r\n");
  const std::string first = head.substr(0, lineEnd);
  const size_t space1 = first.find(' ');
  const size_t space2 = first.find(' ', space1 + 1);
  request.method = first.substr(0, space1);
  request.target = first.substr(space1 + 1, space2 - space1 - 1);
  while (lineEnd != std::string::npos) {
    const size_t next = head.find("\r\n", lineEnd + 2);
    const std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string name = line.substr(0, colon);
      std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      request.headers[name] = value;
    }
    lineEnd = next;
  }
  const std::string length = request.Header("content-length");
  if (!length.empty()) request.body = ReadExactly(std::stoul(length), timeoutMs);
  return true;
}

bool Connection::Send(const std::string& data) {
  if (data.empty()) return true;
  if (m_ssl) return SSL_write(static_cast<SSL*>(m_ssl), data.data(), static_cast<int>(data.size())) == static_cast<int>(data.size());
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(m_fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool Connection::SendPieces(const std::vector<std::string>& pieces, int pauseMs) {
  for (const std::string& piece : pieces) {
    if (!Send(piece)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
  return true;
}

void Connection::Echo(int idleMs) {
  char buffer[4096];
  for (;;) {
    const int n = ReadSome(buffer, sizeof buffer, idleMs);
    if (n <= 0 || !Send(std::string(buffer, static_cast<size_t>(n)))) return;
  }
}

void Connection::Tunnel(uint16_t port) {
  const int target = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(port);
  if (::connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(target);
    return;
  }
  if (!m_buffered.empty()) ::send(target, m_buffered.data(), m_buffered.size(), MSG_NOSIGNAL);
  m_buffered.clear();
  char buffer[16384];
  for (;;) {
    pollfd p[2] = {{m_fd, POLLIN, 0}, {target, POLLIN, 0}};
    if (::poll(p, 2, 10000) <= 0) break;
    if (p[0].revents) {
      const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
      if (n <= 0 || ::send(target, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n) break;
    }
    if (p[1].revents) {
      const ssize_t n = ::recv(target, buffer, sizeof buffer, 0);
      if (n <= 0 || ::send(m_fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n) break;
    }
  }
  ::close(target);
}

void Connection::WaitForClose(int timeoutMs) {
  char buffer[4096];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadSome(buffer, sizeof buffer, 50) == 0) return;
  }
}

std::string Connection::TlsServerName() const {
  if (!m_ssl) return {};
  const char* name = SSL_get_servername(static_cast<SSL*>(m_ssl), TLSEXT_NAMETYPE_host_name);
  return name ? name : "";
}

std::string Connection::TlsVersion() const { return m_ssl ? SSL_get_version(static_cast<SSL*>(m_ssl)) : ""; }

// Server

Server::Server(Handler handler, const Credentials* tls, TlsVersionLimit limit) : m_handler(std::move(handler)) {
  std::signal(SIGPIPE, SIG_IGN);
  if (tls) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    BIO* certificateBio = BIO_new_mem_buf(tls->certificatePem.data(), -1);
    X509* certificate = PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr);
    BIO* keyBio = BIO_new_mem_buf(tls->keyPem.data(), -1);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    SSL_CTX_use_certificate(context, certificate);
    SSL_CTX_use_PrivateKey(context, key);
    X509_free(certificate);
    EVP_PKEY_free(key);
    BIO_free(certificateBio);
    BIO_free(keyBio);
    if (limit == TlsVersionLimit::Max11) {
      SSL_CTX_set_security_level(context, 0);
      SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
      SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
      SSL_CTX_set_max_proto_version(context, TLS1_1_VERSION);
    }
    m_context = context;
  }
  m_thread = std::thread([this] { Run(); });
}

Server::~Server() {
  m_stop = true;
  m_thread.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(m_mutex);
    workers.swap(m_workers);
  }
  for (std::thread& worker : workers) worker.join();
  if (m_context) SSL_CTX_free(static_cast<SSL_CTX*>(m_context));
}

std::string Server::Url(const std::string& path) const {
  return std::string(m_context ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port()) + path;
}

void Server::Run() {
  while (!m_stop) {
    const int fd = m_listener.Accept(20);
    if (fd < 0) continue;
    const int index = m_connections++;
    std::lock_guard lock(m_mutex);
    m_workers.emplace_back([this, fd, index] { Serve(fd, index); });
  }
}

void Server::Serve(int fd, int index) {
  SSL* ssl = nullptr;
  if (m_context) {
    const timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ssl = SSL_new(static_cast<SSL_CTX*>(m_context));
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
      ERR_clear_error();
      SSL_free(ssl);
      ::close(fd);
      return;
    }
  }
  {
    Connection connection(fd, ssl);
    m_handler(connection, index);
  }
  if (ssl) {
    SSL_shutdown(ssl);
    SSL_free(ssl);
    ERR_clear_error();
  }
  ::close(fd);
}

SilentHost::SilentHost() {
  // Connect until one connect is left waiting: the queue is then full and the system drops
  // further handshakes, as a host that never answers would.
  for (int i = 0; i < 8; ++i) {
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    m_fillers.push_back(filler);
    sockaddr_in address = Loopback(Port());
    if (::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) continue;
    pollfd p{filler, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) return;
  }
  for (int fd : m_fillers) ::close(fd);
  throw std::runtime_error("the listener's queue never filled");
}

SilentHost::~SilentHost() {
  for (int fd : m_fillers) ::close(fd);
}

uint16_t UnusedPort() {
  Listener probe(1);
  return probe.Port();  // closed when the probe goes
}

bool PortOpen(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(port);
  const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return open;
}

}  // namespace platform::testing::net
