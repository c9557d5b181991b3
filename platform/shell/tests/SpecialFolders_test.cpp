// Special folders: the user folders file first, then the usual folder below home; the XDG
// base variables; creation on request; the buffer and number rules.

#include "platform/shell/SpecialFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace {

namespace fs = std::filesystem;

class SpecialFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-special-" + std::to_string(::getpid()));
    fs::create_directories(root / "home" / ".config");
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
      const char* value = getenv(name);
      saved.push_back({name, value ? std::string(value) : std::string(), value != nullptr});
      unsetenv(name);
    }
    setenv("HOME", (root / "home").c_str(), 1);
  }
  void TearDown() override {
    for (const Saved& s : saved) {
      if (s.set) {
        setenv(s.name, s.value.c_str(), 1);
      } else {
        unsetenv(s.name);
      }
    }
    std::error_code error;
    fs::remove_all(root, error);
  }
  std::string Folder(int csidl, BOOL create = FALSE) {
    char path[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, create)) return "failed";
    return path;
  }

  struct Saved {
    const char* name;
    std::string value;
    bool set;
  };
  std::vector<Saved> saved;
  fs::path root;
};

TEST_F(SpecialFoldersTest, UserFoldersAndBaseFolders) {
  const std::string home = (root / "home").string();
  std::ofstream(root / "home" / ".config" / "user-dirs.dirs")
      << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\nXDG_MUSIC_DIR=\"$HOME/\"\nXDG_VIDEOS_DIR=\"/srv/films\"\n";
  setenv("XDG_DATA_HOME", "/data/share", 1);
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: ignored
  struct Case {
    int csidl;
    std::string folder;
  } cases[] = {
      {CSIDL_PERSONAL, home + "/Papers"},       {CSIDL_MYMUSIC, home + "/Music"},  // the entry switched off
      {CSIDL_MYVIDEO, "/srv/films"},            {CSIDL_MYPICTURES, home + "/Pictures"},
      {CSIDL_DESKTOPDIRECTORY, home + "/Desktop"}, {CSIDL_PROFILE, home},
      {CSIDL_APPDATA, home + "/.config"},       {CSIDL_LOCAL_APPDATA, "/data/share"},
      {CSIDL_INTERNET_CACHE, home + "/.cache"}, {0x7777, "failed"},
  };
  for (const Case& c : cases) EXPECT_EQ(Folder(c.csidl), c.folder) << c.csidl;

  char16_t wide[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, wide, CSIDL_PERSONAL, FALSE));
  EXPECT_EQ(platform::Utf16ToUtf8(wide), home + "/Papers");
  EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, nullptr, CSIDL_PERSONAL, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SpecialFoldersTest, CreatesOnlyWhenAsked) {
  const fs::path documents = root / "home" / "Documents";
  EXPECT_EQ(Folder(CSIDL_PERSONAL), documents.string());
  EXPECT_FALSE(fs::exists(documents));
  EXPECT_EQ(Folder(CSIDL_PERSONAL | CSIDL_FLAG_CREATE), documents.string());
  EXPECT_TRUE(fs::is_directory(documents));

  // The private base folders are made for the user alone.
  EXPECT_EQ(Folder(CSIDL_INTERNET_CACHE, TRUE), (root / "home" / ".cache").string());
  struct stat info{};
  ASSERT_EQ(stat((root / "home" / ".cache").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // A file in the way fails the creation.
  std::ofstream(root / "home" / "Pictures") << "x";
  EXPECT_EQ(Folder(CSIDL_MYPICTURES, TRUE), "failed");
}

TEST_F(SpecialFoldersTest, TooLongForTheBuffer) {
  setenv("HOME", ("/" + std::string(300, 'h')).c_str(), 1);
  EXPECT_EQ(Folder(CSIDL_PERSONAL), "failed");
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

}  // namespace
