#include "engines/common/EngineLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace engines {
namespace {

std::recursive_mutex g_logMutex;
std::atomic<LogHook> g_hook{nullptr};
thread_local bool t_inHook = false;

}  // namespace

void SetLogHook(LogHook hook) { g_hook.store(hook); }

void LogLine(const std::string& line) {
  std::lock_guard lock(g_logMutex);
  LogHook hook = g_hook.load();
  if (hook && !t_inHook) {
    t_inHook = true;
    hook(line.c_str());
    t_inHook = false;
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

}  // namespace engines
