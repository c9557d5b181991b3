#pragma once

// Tests that run a built program as a developer or a script runs it, and the scratch folders
// they write into.

#include <sys/types.h>

#include <chrono>
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

// An X server of the test's own (Xvfb with one screen of `screen`, e.g. "1280x800x24"). The
// server picks a display number no other server holds and names it once it accepts clients,
// so tests that run side by side never share or race for a display; Display() is empty when
// Xvfb is missing or did not come up within `wait`. The server is killed with the object.
class ScopedXvfb {
 public:
  explicit ScopedXvfb(const std::string& screen = "1280x800x24",
                      std::chrono::milliseconds wait = std::chrono::seconds(60));
  ~ScopedXvfb();
  ScopedXvfb(const ScopedXvfb&) = delete;
  ScopedXvfb& operator=(const ScopedXvfb&) = delete;

  // ":N", or empty when the server is not there.
  const std::string& Display() const { return m_display; }

 private:
  pid_t m_pid = -1;
  std::string m_display;
};

}  // namespace platform::testing
