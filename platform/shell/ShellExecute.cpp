// ShellExecute: documents and addresses go to the desktop's handler program.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/WinError.h"
#include "platform/shell/ShellApi.h"

extern char** environ;

namespace platform::detail {
namespace {

constexpr UINT_PTR kSuccess = 42;

HINSTANCE Result(UINT_PTR code) {
  if (code <= 32) SetLastError(static_cast<DWORD>(code));
  return reinterpret_cast<HINSTANCE>(code);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// An address starts with a scheme of two or more characters: a letter, then letters,
// digits, "+", "-" or ".", then ":".
bool HasScheme(std::string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return false;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') return i >= 2;
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

// The handler program on PATH, or "" when there is none.
std::string FindOpener() {
  const char* path = std::getenv("PATH");
  std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty()) continue;
    std::string candidate = folder + "/xdg-open";
    struct stat info{};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

// Starts `program` with the one argument, its input from /dev/null and none of our other
// descriptors, and reaps it in the background. False when it could not be started.
bool SpawnDetached(const std::string& program, const std::string& argument) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // The handler starts with no blocked signals and default handling of SIGPIPE, whatever
  // this thread had.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string name = "xdg-open", arg = argument;
  char* argv[] = {name.data(), arg.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

HINSTANCE Execute(const std::string& operation, const std::string& file, const std::string& directory) {
  if (!operation.empty() && !EqualsIgnoringCase(operation, "open")) return Result(SE_ERR_NOASSOC);
  if (file.empty()) return Result(SE_ERR_FNF);
  std::string target;
  if (HasScheme(file)) {
    target = file;
  } else {
    std::string path = NormalizeDelimiters(file);
    if (path[0] != '/') {
      std::string base = NormalizeDelimiters(directory);
      if (base.empty()) {
        char buffer[4096];
        if (!getcwd(buffer, sizeof buffer)) return Result(SE_ERR_PNF);
        base = buffer;
      }
      if (base.back() != '/') base += '/';
      path = base + path;
    }
    // Absolute, so the handler can never read the path as one of its options.
    target = ResolvePath(path);
    struct stat info{};
    if (stat(target.c_str(), &info) != 0) {
      if (errno == EACCES) return Result(SE_ERR_ACCESSDENIED);
      const std::string parent = ParentOf(target);
      struct stat folder{};
      return Result(parent.empty() || stat(parent.c_str(), &folder) == 0 ? SE_ERR_FNF : SE_ERR_PNF);
    }
  }
  const std::string opener = FindOpener();
  if (opener.empty()) return Result(SE_ERR_NOASSOC);
  if (!SpawnDetached(opener, target)) return Result(SE_ERR_OOM);
  return Result(kSuccess);
}

}  // namespace
}  // namespace platform::detail

HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand) {
  (void)window;
  (void)parameters;
  (void)showCommand;
  using namespace platform::detail;
  return Execute(Narrow(operation), Narrow(file), Narrow(directory));
}

HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
  (void)window;
  (void)parameters;
  (void)showCommand;
  using namespace platform::detail;
  return Execute(Narrow(operation), Narrow(file), Narrow(directory));
}
