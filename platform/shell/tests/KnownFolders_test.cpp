// The download folder: the user folders file first (with its quoting and $HOME), then
// ~/Downloads, then the home folder; and the reader of that file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/Unicode.h"
#include "platform/ole/Ole.h"
#include "platform/shell/KnownFolders.h"
#include "platform/shell/UserDirs.h"

namespace {

namespace fs = std::filesystem;

class KnownFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-userdirs-" + std::to_string(::getpid()));
    fs::create_directories(root / "home" / ".config");
    if (const char* h = getenv("HOME")) oldHome = h;
    if (const char* c = getenv("XDG_CONFIG_HOME")) oldConfig = c;
    setenv("HOME", (root / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    setenv("HOME", oldHome.c_str(), 1);
    if (oldConfig.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    std::error_code error;
    fs::remove_all(root, error);
  }
  void WriteUserDirs(const std::string& text) { std::ofstream(root / "home" / ".config" / "user-dirs.dirs") << text; }
  std::string Downloads() {
    char16_t* path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path);
    if (FAILED(hr)) return "failed";
    std::string text = platform::Utf16ToUtf8(path);
    CoTaskMemFree(path);
    return text;
  }
  fs::path root;
  std::string oldHome, oldConfig;
};

TEST_F(KnownFoldersTest, TheUserFoldersFileIsReadWithItsQuotingAndHome) {
  const std::string home = (root / "home").string();
  struct Case {
    std::string file;
    std::string download;
  } cases[] = {
      {"# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Down loads\"\n", home + "/Down loads"},
      {"XDG_DOWNLOAD_DIR=\"/srv/in\\\"coming/\"  # trailing\n", "/srv/in\"coming"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/\"\n", ""},   // the home folder switches it off
      {"XDG_DOWNLOAD_DIR=relative\n", ""},     // not quoted
      {"XDG_DOWNLOAD_DIR=\"relative/x\"\n", ""},
      {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", ""},
      {"XDG_DOWNLOAD_DIR=\"$HOME/a\"\nXDG_DOWNLOAD_DIR=\"$HOME/b\"\n", home + "/b"},
  };
  for (const Case& c : cases) {
    WriteUserDirs(c.file);
    EXPECT_EQ(platform::ReadUserDir("DOWNLOAD"), c.download) << c.file;
  }
  // XDG_CONFIG_HOME moves the file.
  fs::create_directories(root / "config");
  std::ofstream(root / "config" / "user-dirs.dirs") << "XDG_DOWNLOAD_DIR=\"/elsewhere\"\n";
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  EXPECT_EQ(platform::ReadUserDir("DOWNLOAD"), "/elsewhere");
}

TEST_F(KnownFoldersTest, DownloadsFallBackToTheStandardFolderAndThenHome) {
  const std::string home = (root / "home").string();
  EXPECT_EQ(Downloads(), home);
  fs::create_directories(root / "home" / "Downloads");
  EXPECT_EQ(Downloads(), home + "/Downloads");
  WriteUserDirs("XDG_DOWNLOAD_DIR=\"$HOME/Incoming\"\n");
  EXPECT_EQ(Downloads(), home + "/Downloads") << "a configured folder must exist";
  fs::create_directories(root / "home" / "Incoming");
  EXPECT_EQ(Downloads(), home + "/Incoming");

  char16_t* path = reinterpret_cast<char16_t*>(1);
  const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(SHGetKnownFolderPath(other, 0, nullptr, &path), E_INVALIDARG);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
