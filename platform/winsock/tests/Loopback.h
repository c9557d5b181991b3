#pragma once

// Descriptor helpers for the socket tests, on the POSIX side (a test source that includes
// WinSock.h cannot include the POSIX socket headers). Descriptors are plain ints; the
// listeners are platform/testing/net's.

#include <string>

namespace loopback {

bool SendAll(int fd, const std::string& data);
std::string ReceiveSome(int fd, int timeoutMs = 5000);
void CloseDescriptor(int fd);

// Raises the soft limit of open descriptors to at least `count` (up to the hard limit);
// returns the limit now in force.
long RaiseDescriptorLimit(long count);

}  // namespace loopback
