#include "Loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace loopback {

namespace {

sockaddr_in LoopbackAddress(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

Listener::Listener(int backlog) {
  m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = LoopbackAddress(0);
  if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_fd, backlog) != 0) {
    throw std::runtime_error("cannot listen on the loopback");
  }
  socklen_t length = sizeof address;
  ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
  m_port = ntohs(address.sin_port);
}

Listener::~Listener() {
  if (m_fd >= 0) ::close(m_fd);
}

int Listener::Accept(int timeoutMs) {
  pollfd p{m_fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return -1;
  return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

FullBacklogListener::FullBacklogListener() {
  // Connect until one connect is left waiting: the queue is then full and the system drops
  // further handshakes.
  for (int& filler : m_fillers) {
    filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ++m_fillerCount;
    sockaddr_in address = LoopbackAddress(Port());
    if (::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) continue;
    pollfd p{filler, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) return;
  }
  throw std::runtime_error("the listener's queue never filled");
}

FullBacklogListener::~FullBacklogListener() {
  for (int i = 0; i < m_fillerCount; ++i) ::close(m_fillers[i]);
}

uint16_t UnusedPort() {
  Listener probe(1);
  return probe.Port();  // closed when probe goes
}

bool SendAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string ReceiveSome(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return {};
  char buffer[4096];
  const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

void CloseDescriptor(int fd) {
  if (fd >= 0) ::close(fd);
}

long RaiseDescriptorLimit(long count) {
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (static_cast<long>(limit.rlim_cur) < count) {
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(count));
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ::getrlimit(RLIMIT_NOFILE, &limit);
  }
  return static_cast<long>(limit.rlim_cur);
}

}  // namespace loopback
