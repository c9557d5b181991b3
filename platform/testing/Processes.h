#pragma once

// Tests that run a built program as a developer or a script runs it, and the scratch folders
// they write into.

#include <filesystem>
#include <string>
#include <vector>

namespace platform::testing {

// Runs `argv` (argv[0] a path; no shell, the test's environment) and waits for it. The exit
// status, or -1 when it could not start or did not exit normally.
int RunProgram(const std::vector<std::string>& argv);

// Writes `text` to a file, replacing it; true when it worked.
bool WriteTextFile(const std::filesystem::path& path, const std::string& text);

// A folder removed when made and again when the test ends.
struct ScratchFolder {
  std::filesystem::path path;
  explicit ScratchFolder(std::filesystem::path where) : path(std::move(where)) { std::filesystem::remove_all(path); }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
};

}  // namespace platform::testing
