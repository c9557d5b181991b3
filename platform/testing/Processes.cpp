#include "platform/testing/Processes.h"

#include <spawn.h>
#include <sys/wait.h>

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

}  // namespace platform::testing
