#pragma once

// Shared by the job's tests: a scratch folder, a tiny DVD-Video folder made at test time
// (ffmpeg and dvdauthor), and a wait that runs the GUI thread's synchronised calls.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "vcl/Thread.h"

extern char** environ;

namespace jobtest {

namespace fs = std::filesystem;

// Runs a program with an argument vector, its output thrown away; its exit status, or -1.
inline int Run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01, 0);
  pid_t pid = 0;
  const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    m_path = fs::path(BRANTWELL_TEST_BIN_DIR) / ("job-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& path() const { return m_path; }
  fs::path operator/(const std::string& name) const { return m_path / fs::u8path(name); }

 private:
  fs::path m_path;
};

// A one-second NTSC DVD-Video folder (one title) authored into `dvd`; false when a tool failed.
inline bool MakeDvdFolder(const fs::path& dvd) {
  const fs::path title = dvd.parent_path() / "title.mpg";
  if (Run({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
           "testsrc=size=720x480:rate=30000/1001:duration=1", "-f", "lavfi", "-i",
           "sine=frequency=440:sample_rate=48000:duration=1", "-target", "ntsc-dvd", "-b:v", "1500k",
           title.string()}) != 0)
    return false;
  setenv("VIDEO_FORMAT", "NTSC", 1);
  if (Run({"dvdauthor", "-o", dvd.string(), "-t", title.string()}) != 0) return false;
  if (Run({"dvdauthor", "-o", dvd.string(), "-T"}) != 0) return false;
  fs::remove(title);
  return fs::exists(dvd / "VIDEO_TS" / "VIDEO_TS.IFO");
}

// Runs the calls handed to the GUI thread until `done` holds; false when the watchdog
// (`seconds`) ran out first.
inline bool RunSynchronizedUntil(const std::function<bool()>& done, int seconds = 120) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    CheckSynchronize(20);
  }
  return true;
}

}  // namespace jobtest
