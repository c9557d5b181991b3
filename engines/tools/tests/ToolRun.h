#pragma once

// Running a built tool as a child process, as a developer or a script runs it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tools_test {

// One run of a tool of build/bin with its stderr read through a pipe. Every wait has a watchdog: a run
// that hangs is killed and fails the test.
class ToolRun {
 public:
  ToolRun(const std::string& tool, const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {std::string(BRANTWELL_BIN_DIR) + "/" + tool};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    m_stderr = fds[0];
  }
  ~ToolRun() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_stderr >= 0) close(m_stderr);
  }

  bool Started() const { return m_pid > 0; }
  const std::string& Errors() const { return m_errors; }

  // Reads stderr until `seen` holds for what was read, or it closes; false on neither.
  bool ReadUntil(const std::function<bool(const std::string&)>& seen) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!seen(m_errors)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd wait{m_stderr, POLLIN, 0};
      if (poll(&wait, 1, int(left.count())) <= 0) continue;
      char buffer[4096];
      const ssize_t got = read(m_stderr, buffer, sizeof(buffer));
      if (got <= 0) {
        m_closed = true;
        return seen(m_errors);
      }
      m_errors.append(buffer, size_t(got));
    }
    return true;
  }

  void Signal(int number) { kill(m_pid, number); }

  // The exit status once stderr closed, or -1 when the tool was killed by a signal or hung.
  int Wait() {
    m_closed = false;
    ReadUntil([this](const std::string&) { return m_closed; });
    if (!m_closed) return -1;
    int status = 0;
    const pid_t pid = m_pid;
    m_pid = -1;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t m_pid = -1;
  int m_stderr = -1;
  std::string m_errors;
  bool m_closed = false;
};

}  // namespace tools_test
