#include "platform/kernel/FindFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brantwell-find-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    fs::create_directory(m_root + "/Languages");
    for (const char* name : {"English.DAT", "german.dat", "French.txt", "readme", "Été.dat"}) {
      std::ofstream(m_root + "/Languages/" + name) << "12345";
    }
    fs::create_directory(m_root + "/Languages/Sub.dat");
  }
  void TearDown() override { fs::remove_all(m_root); }

  std::vector<std::string> Find(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(data.cFileName);
    } while (FindNextFileA(search, &data) && names.size() < 100);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    return names;
  }
  std::string m_root;
};

TEST_F(FindFileTest, WildcardsIgnoreCase) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* pattern;
    Names expected;
  };
  const Case cases[] = {
      {"languages\\*.dat", {"English.DAT", "german.dat", "Sub.dat", "Été.dat"}},
      {"LANGUAGES/*", {".", "..", "English.DAT", "French.txt", "german.dat", "readme", "Sub.dat", "Été.dat"}},
      {"Languages/*.*", {".", "..", "English.DAT", "French.txt", "german.dat", "readme", "Sub.dat", "Été.dat"}},
      {"Languages/?erman.*", {"german.dat"}},
      {"Languages/ENGLISH.dat", {"English.DAT"}},
      {"Languages/été.DAT", {"Été.dat"}},
      {"Languages/*e", {"readme"}},
      {"Languages/*.xyz", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(Find(m_root + "/" + c.pattern), c.expected);
  }
  WIN32_FIND_DATAA data{};
  EXPECT_EQ(FindFirstFileA((m_root + "/Languages/*.xyz").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA((m_root + "/Missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FindFileTest, RecordsCarrySizesAttributesAndWideNames) {
  WIN32_FIND_DATAW data{};
  const std::u16string pattern = std::u16string(m_root.begin(), m_root.end()) + u"/Languages/é*";
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"Été.dat");
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0u);
  FindClose(search);
  search = FindFirstFileW((std::u16string(m_root.begin(), m_root.end()) + u"/Languages/sub.DAT").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
