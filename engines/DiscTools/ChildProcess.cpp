#include "engines/DiscTools/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace disctools {
namespace {

constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxErrorLines = 50;

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }
  void Reset(int fd = -1) {
    if (m_fd >= 0) close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
  posix_spawn_file_actions_t* Get() { return &m_actions; }

 private:
  posix_spawn_file_actions_t m_actions;
};

// Splits the child's output into lines and keeps what the result needs.
class OutputCollector {
 public:
  OutputCollector(ChildResult& result, const LineHandler& onLine) : m_result(result), m_onLine(onLine) {}

  void Feed(const char* data, size_t size) {
    m_result.outputTail.append(data, size);
    if (m_result.outputTail.size() > 2 * kOutputTailBytes)
      m_result.outputTail.erase(0, m_result.outputTail.size() - kOutputTailBytes);
    for (size_t i = 0; i < size; ++i) {
      const char c = data[i];
      if (c == '\n' || c == '\r') {
        FlushLine();
      } else if (m_line.size() < kMaxLineBytes) {
        m_line.push_back(c);
      }
    }
  }

  void Finish() {
    FlushLine();
    if (m_result.outputTail.size() > kOutputTailBytes)
      m_result.outputTail.erase(0, m_result.outputTail.size() - kOutputTailBytes);
  }

 private:
  void FlushLine() {
    if (m_line.empty()) return;
    if (m_line.rfind("ERR:", 0) == 0 && m_result.errorLines.size() < kMaxErrorLines)
      m_result.errorLines.push_back(m_line);
    if (m_onLine) m_onLine(m_line);
    m_line.clear();
  }

  ChildResult& m_result;
  const LineHandler& m_onLine;
  std::string m_line;
};

std::vector<std::string> BuildEnvironment(const ChildSpec& child) {
  std::vector<std::string> entries;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const auto& [name, value] : child.environment)
      if (entry.rfind(name + "=", 0) == 0) replaced = true;
    if (!replaced) entries.push_back(entry);
  }
  for (const auto& [name, value] : child.environment) entries.push_back(name + "=" + value);
  return entries;
}

}  // namespace

std::string ChildResult::FailureText(const std::string& tool) const {
  if (!started) return "cannot start " + tool + ": " + startError;
  if (cancelled) return tool + " was cancelled";
  if (!errorLines.empty()) return tool + " failed: " + errorLines.front();
  if (signal != 0) return tool + " was ended by signal " + std::to_string(signal);
  if (exitCode != 0) {
    // The last non-empty line usually says why.
    std::string last;
    size_t end = outputTail.find_last_not_of("\r\n ");
    if (end != std::string::npos) {
      size_t begin = outputTail.find_last_of("\r\n", end);
      last = outputTail.substr(begin == std::string::npos ? 0 : begin + 1, end - (begin == std::string::npos ? 0 : begin + 1) + 1);
    }
    return tool + " failed with exit code " + std::to_string(exitCode) + (last.empty() ? "" : ": " + last);
  }
  return tool + " succeeded";
}

std::string ToolProgram(const char* environmentVariable, const char* tool) {
  const char* value = std::getenv(environmentVariable);
  return value && *value ? std::string(value) : std::string(tool);
}

ChildResult RunChild(const ChildSpec& child, const std::atomic<bool>* cancel, const LineHandler& onLine) {
  ChildResult result;
  // Ours from here on, whatever happens.
  FileDescriptor givenStdout(child.stdoutDescriptor);
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    result.startError = std::strerror(errno);
    return result;
  }
  FileDescriptor readEnd(pipeFds[0]);
  FileDescriptor writeEnd(pipeFds[1]);

  SpawnActions actions;
  const std::string stdinPath = child.stdinFile.empty() ? "/dev/null" : child.stdinFile;
  posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, stdinPath.c_str(), O_RDONLY, 0);
  if (givenStdout.Get() >= 0) {
    posix_spawn_file_actions_adddup2(actions.Get(), givenStdout.Get(), STDOUT_FILENO);
  } else if (child.stdoutFile.empty()) {
    posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(actions.Get(), STDOUT_FILENO, child.stdoutFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), STDERR_FILENO);

  std::vector<std::string> argvStorage;
  argvStorage.push_back(child.program);
  argvStorage.insert(argvStorage.end(), child.arguments.begin(), child.arguments.end());
  std::vector<char*> argv;
  for (auto& a : argvStorage) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStorage = BuildEnvironment(child);
  std::vector<char*> envp;
  for (auto& e : envStorage) envp.push_back(e.data());
  envp.push_back(nullptr);

  // The child gets its own process group, so that a cancel also ends whatever it started.
  // SIGPIPE goes back to its default in the child, in case this process ignores it: a tool
  // writing into a pipe whose reader has gone should end, not go on writing.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  const int spawnError = posix_spawnp(&pid, child.program.c_str(), actions.Get(), &attributes,
                                      argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  givenStdout.Reset();
  if (spawnError != 0) {
    result.startError = std::strerror(spawnError);
    return result;
  }
  result.started = true;
  writeEnd.Reset();

  OutputCollector collector(result, onLine);
  char buffer[8192];
  bool open = true;
  while (open) {
    if (cancel && cancel->load()) {
      result.cancelled = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      break;
    }
    pollfd fd{readEnd.Get(), POLLIN, 0};
    const int ready = poll(&fd, 1, 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    const ssize_t got = read(readEnd.Get(), buffer, sizeof buffer);
    if (got > 0) {
      collector.Feed(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      open = false;
    }
  }
  collector.Finish();

  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (cancel && cancel->load() && !result.cancelled) {
      result.cancelled = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
    }
    usleep(20 * 1000);
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace disctools
