#include "platform/kernel/ProgramFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

std::string ProgramFolder() {
  if (const char* overridden = std::getenv("BRANTWELL_PROGRAM_DIR"); overridden && *overridden) {
    std::string folder = overridden;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
  }
  std::string path = ExecutablePath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace platform
