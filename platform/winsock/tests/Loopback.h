#pragma once

// Loopback servers for the socket tests, on the POSIX side (a test source that includes
// WinSock.h cannot include the POSIX socket headers). Descriptors are plain ints.

#include <cstdint>
#include <string>

namespace loopback {

// A TCP listener on 127.0.0.1 at a free port.
class Listener {
 public:
  explicit Listener(int backlog = 16);
  ~Listener();
  uint16_t Port() const { return m_port; }
  // Accepts one connection (waits up to timeoutMs); -1 on failure.
  int Accept(int timeoutMs = 5000);
  int Descriptor() const { return m_fd; }

 private:
  int m_fd = -1;
  uint16_t m_port = 0;
};

// A listener whose queue is full and never accepted: further connects wait without an answer,
// as with a silent host.
class FullBacklogListener {
 public:
  FullBacklogListener();
  ~FullBacklogListener();
  uint16_t Port() const { return m_listener.Port(); }

 private:
  Listener m_listener{0};
  int m_fillers[8];
  int m_fillerCount = 0;
};

// A port on 127.0.0.1 with nothing listening.
uint16_t UnusedPort();

bool SendAll(int fd, const std::string& data);
std::string ReceiveSome(int fd, int timeoutMs = 5000);
void CloseDescriptor(int fd);

// Raises the soft limit of open descriptors to at least `count` (up to the hard limit);
// returns the limit now in force.
long RaiseDescriptorLimit(long count);

}  // namespace loopback
