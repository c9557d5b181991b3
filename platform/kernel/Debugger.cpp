#include "platform/kernel/Debugger.h"

#include <fstream>
#include <mutex>
#include <sstream>

namespace platform::detail {
namespace {

std::mutex g_statusMutex;
std::string g_statusFile;  // guarded by g_statusMutex; empty: /proc/self/status

}  // namespace

void SetDebuggerStatusFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_statusMutex);
  g_statusFile = path;
}

bool StatusNamesTracer(const std::string& statusText) {
  std::istringstream lines(statusText);
  std::string line;
  static constexpr char kField[] = "TracerPid:";
  while (std::getline(lines, line)) {
    if (line.compare(0, sizeof kField - 1, kField) != 0) continue;
    std::istringstream value(line.substr(sizeof kField - 1));
    long pid = 0;
    return static_cast<bool>(value >> pid) && pid != 0;
  }
  return false;
}

}  // namespace platform::detail

BOOL IsDebuggerPresent() {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(platform::detail::g_statusMutex);
    path = platform::detail::g_statusFile.empty() ? "/proc/self/status" : platform::detail::g_statusFile;
  }
  std::ifstream in(path);
  if (!in) return FALSE;
  std::ostringstream text;
  text << in.rdbuf();
  return platform::detail::StatusNamesTracer(text.str()) ? TRUE : FALSE;
}
