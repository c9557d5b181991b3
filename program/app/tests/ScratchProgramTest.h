// What the tests that run the program's start-up in-process share: a program folder, home and
// runtime folder of the test's own, the environment pointing at them (headless display, no
// cache or documents folder of the developer's), a window registry started afresh for each
// test, and every text the windows look up required of the language.

#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/user/ProcessRegistry.h"
#include "program/engine/tests/MissingTextFails.h"

namespace app_test {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// An environment variable set for one test, restored afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (m_old) setenv(m_name, m_old->c_str(), 1);
    else unsetenv(m_name);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

class ScratchProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/brantwell-program-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_program = m_root / "program";
    m_home = m_root / "home";
    fs::create_directories(m_program);
    fs::create_directories(m_home);
    fs::create_directories(m_root / "run");
    fs::permissions(m_root / "run", fs::perms::owner_all, fs::perm_options::replace);
    m_env.emplace_back(std::make_unique<ScopedEnv>("BRANTWELL_PROGRAM_DIR", m_program.string()));
    m_env.emplace_back(std::make_unique<ScopedEnv>("HOME", m_home.string()));
    m_env.emplace_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", (m_root / "run").string()));
    m_env.emplace_back(std::make_unique<ScopedEnv>("XDG_CACHE_HOME", std::nullopt));
    m_env.emplace_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (m_home / ".config").string()));
    m_env.emplace_back(std::make_unique<ScopedEnv>("XDG_DOCUMENTS_DIR", std::nullopt));
    // A second process of the program shows its windows in memory as this one does.
    m_env.emplace_back(std::make_unique<ScopedEnv>("BRANTWELL_DISPLAY", "headless"));
    m_missingTextFails = FailOnMissingText();
  }
  void TearDown() override {
    m_missingTextFails.reset();
    // The window registry answers from the runtime folder it was started in: the next test
    // gets a folder of its own.
    platform::StopPublishingWindows();
    m_env.clear();
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }

  // The built program folder linked in, without its settings and what runs leave behind, and
  // without the entries named in `leaveOut`; the shipped settings file copied unless
  // `settings` gives other content.
  void MakeProgramFolder(const std::set<std::string>& leaveOut = {}, const std::optional<std::string>& settings = {}) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(BRANTWELL_BIN_DIR)) {
      const std::string name = entry.path().filename().string();
      if (name == "brantwell.ini" || name == "Log" || name == "Thumbnail" || leaveOut.count(name)) continue;
      fs::create_symlink(entry.path(), m_program / name);
    }
    if (settings) std::ofstream(SettingsFile()) << *settings;
    else fs::copy_file(fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "brantwell.ini", SettingsFile());
  }
  std::filesystem::path SettingsFile() const { return m_program / "brantwell.ini"; }

  std::filesystem::path m_root, m_program, m_home;
  std::vector<std::unique_ptr<ScopedEnv>> m_env;
  std::unique_ptr<TScopedLanguageMissHook> m_missingTextFails;
};

}  // namespace app_test
