#include "Loopback.h"

#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace loopback {

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
