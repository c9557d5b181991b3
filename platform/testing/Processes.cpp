#include "platform/testing/Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

extern char** environ;

namespace platform::testing {

int RunProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  std::vector<std::string> all = arguments;
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

bool WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

ScopedXvfb::ScopedXvfb(const std::string& screen, std::chrono::milliseconds wait) {
  if (::access("/usr/bin/Xvfb", X_OK) != 0) return;
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return;
  // Xvfb writes its display number to this descriptor once it listens; the child gets it
  // without close-on-exec.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int childFd = 3;
  posix_spawn_file_actions_adddup2(&actions, ready[1], childFd);
  std::vector<std::string> all = {"/usr/bin/Xvfb", "-displayfd", std::to_string(childFd), "-screen", "0", screen,
                                  "-nolisten", "tcp"};
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const bool started = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(ready[1]);
  if (!started) {
    m_pid = -1;
    ::close(ready[0]);
    return;
  }
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (number.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd fd{ready[0], POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[32];
    const ssize_t got = ::read(ready[0], buffer, sizeof buffer);
    if (got <= 0) break;  // the server ended before it named a display
    number.append(buffer, static_cast<size_t>(got));
  }
  ::close(ready[0]);
  if (number.find('\n') != std::string::npos) m_display = ":" + number.substr(0, number.find('\n'));
}

ScopedXvfb::~ScopedXvfb() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  ::waitpid(m_pid, nullptr, 0);
}

}  // namespace platform::testing
