#include "platform/kernel/Profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brantwell-profile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_file = m_root + "/settings.ini";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }
  void Write(const std::string& bytes) const { std::ofstream(m_file, std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(m_file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string Get(const char* section, const char* key, const char* fallback = "dflt") const {
    char buffer[256] = {};
    GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, m_file.c_str());
    return buffer;
  }
  // A zero-separated list as "a|b|c".
  static std::string List(const char* buffer, DWORD length) {
    std::string out(buffer, length);
    for (char& c : out) if (c == '\0') c = '|';
    return out;
  }
  std::string m_root;
  std::string m_file;
};

TEST_F(ProfileTest, ReadsLikeWindows) {
  Write("; comment\r\n"
        "[General]\r\n"
        "  Name  =  Brantwell  \r\n"
        "Quoted=\"  padded  \"\r\n"
        "Single='x'\r\n"
        "Mismatched=\"x'\r\n"
        "Empty=\r\n"
        "name=second wins never\r\n"
        "Equals=a=b\r\n"
        "\r\n"
        "[ Other ]\r\n"
        "Number=42\r\n"
        "Hex=0x1F\r\n"
        "Negative=-7\r\n"
        "Trailing=12abc\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"General", "Name", "Brantwell"},      {"GENERAL", "name", "Brantwell"},
      {"General", "Quoted", "  padded  "},   {"General", "Single", "x"},
      {"General", "Mismatched", "\"x'"},     {"General", "Empty", ""},
      {"General", "Equals", "a=b"},          {"general", "Missing", "dflt"},
      {"Missing", "Name", "dflt"},           {"other", "NUMBER", "42"},
      {"General", "; comment", "dflt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(Get(c.section, c.key), c.expected);
  }
  EXPECT_EQ(Get("General", "Missing", nullptr), "");
  EXPECT_EQ(Get("General", "Missing", "  fallback  "), "  fallback");  // trailing blanks of defaults go

  EXPECT_EQ(GetPrivateProfileIntA("Other", "Number", 5, m_file.c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileIntA("Other", "Hex", 5, m_file.c_str()), 31u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("Other", "Negative", 5, m_file.c_str())), -7);
  EXPECT_EQ(GetPrivateProfileIntA("Other", "Trailing", 5, m_file.c_str()), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("Other", "Missing", 5, m_file.c_str()), 5u);

  char buffer[256];
  DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, m_file.c_str());
  EXPECT_EQ(List(buffer, length + 1), "General|Other||");
  length = GetPrivateProfileStringA("other", nullptr, "", buffer, sizeof buffer, m_file.c_str());
  EXPECT_EQ(List(buffer, length + 1), "Number|Hex|Negative|Trailing||");
  length = GetPrivateProfileSectionA("Other", buffer, sizeof buffer, m_file.c_str());
  EXPECT_EQ(List(buffer, length + 1), "Number=42|Hex=0x1F|Negative=-7|Trailing=12abc||");

  // A missing file reads as defaults.
  EXPECT_EQ(GetPrivateProfileStringA("a", "b", "d", buffer, sizeof buffer, (m_root + "/none.ini").c_str()), 1u);
  EXPECT_STREQ(buffer, "d");
}

TEST_F(ProfileTest, BufferTooSmall) {
  Write("[S]\nkey=abcdefgh\nk2=v\n[T]\n");
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", "key", "", buffer, 5, m_file.c_str()), 4u);  // nSize - 1
  EXPECT_STREQ(buffer, "abcd");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "", buffer, 5, m_file.c_str()), 3u);  // nSize - 2
  EXPECT_EQ(std::string(buffer, 5), std::string("key\0\0", 5));
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 4, m_file.c_str()), 2u);
  EXPECT_EQ(std::string(buffer, 4), std::string("S\0\0\0", 4));  // cut to nSize - 2, two zeros
  char16_t wide[4];
  EXPECT_EQ(GetPrivateProfileStringW(u"s", u"KEY", u"", wide, 4, (std::u16string(m_file.begin(), m_file.end())).c_str()), 3u);
  EXPECT_EQ(std::u16string(wide), u"abc");
}

TEST_F(ProfileTest, WritesKeepEveryOtherLine) {
  const std::string original =
      "; settings of the program\n"
      "[General]\n"
      "Name=Old\n"
      "unknown line without equals\n"
      "; trailing comment of General\n"
      "\n"
      "[Other]\n"
      "X=1";  // no line end at the end
  Write(original);
  ASSERT_TRUE(WritePrivateProfileStringA("general", "NAME", "New", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("General", "Added", "2", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "Y", "3", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("New Section", "Z", "4", m_file.c_str()));
  EXPECT_EQ(Read(),
            "; settings of the program\n"
            "[General]\n"
            "Name=New\n"
            "unknown line without equals\n"
            "; trailing comment of General\n"
            "Added=2\n"
            "\n"
            "[Other]\n"
            "X=1\n"
            "Y=3\n"
            "[New Section]\n"
            "Z=4\n");

  // Deletes: a null value removes the key, a null key the section; missing ones change nothing.
  ASSERT_TRUE(WritePrivateProfileStringA("General", "added", nullptr, m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("OTHER", nullptr, nullptr, m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Nowhere", nullptr, nullptr, m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("General", "nothing", nullptr, m_file.c_str()));
  EXPECT_EQ(Read(),
            "; settings of the program\n"
            "[General]\n"
            "Name=New\n"
            "unknown line without equals\n"
            "; trailing comment of General\n"
            "\n"
            "[New Section]\n"
            "Z=4\n");
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_root), fs::directory_iterator()), 1);
}

// Names in the file are read trimmed, so names passed with blanks around them must find
// them too: otherwise a write reports success and the next read of the same name misses it.
TEST_F(ProfileTest, BlanksAroundNamesAskedForAreIgnored) {
  Write("[General]\nK=1\n");
  ASSERT_TRUE(WritePrivateProfileStringA("General", "Added ", "2", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA(" General", " K", "3", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA(" New ", "Z", "4", m_file.c_str()));
  EXPECT_EQ(Read(), "[General]\nK=3\nAdded=2\n[ New ]\nZ=4\n");
  EXPECT_EQ(Get("General", "Added "), "2");
  EXPECT_EQ(Get("General ", "\tK"), "3");
  EXPECT_EQ(Get(" New ", " Z "), "4");
  EXPECT_EQ(Get("New", "Z"), "4");
  ASSERT_TRUE(WritePrivateProfileStringA("General ", "Added ", nullptr, m_file.c_str()));
  EXPECT_EQ(Get("General", "Added"), "dflt");
}

TEST_F(ProfileTest, NewFilesEncodingsAndBadInput) {
  // A new file, created with CRLF, under a folder written in another case.
  fs::create_directory(m_root + "/Config");
  const std::string created = m_root + "/CONFIG/new.ini";
  ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "V", created.c_str()));
  EXPECT_TRUE(fs::exists(m_root + "/Config/new.ini"));
  char buffer[64];
  GetPrivateProfileStringA("s", "k", "", buffer, sizeof buffer, (m_root + "/config/NEW.INI").c_str());
  EXPECT_STREQ(buffer, "V");

  // UTF-16LE with a mark is read and written back as UTF-16LE.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("[Sec]\r\nKey=Val\r\n")) utf16 += std::string{c, '\0'};
  Write(utf16);
  const std::u16string wideFile(m_file.begin(), m_file.end());
  char16_t wide[64];
  GetPrivateProfileStringW(u"sec", u"key", u"", wide, 64, wideFile.c_str());
  EXPECT_EQ(std::u16string(wide), u"Val");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Sec", u"Größe", u"日本", wideFile.c_str()));
  const std::string bytes = Read();
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  GetPrivateProfileStringW(u"SEC", u"GRÖSSE", u"", wide, 64, wideFile.c_str());
  GetPrivateProfileStringW(u"SEC", u"größe", u"", wide, 64, wideFile.c_str());
  EXPECT_EQ(std::u16string(wide), u"日本");

  // UTF-8 with a mark keeps it.
  Write("\xEF\xBB\xBF[A]\nb=c\n");
  ASSERT_TRUE(WritePrivateProfileStringA("A", "b", "d", m_file.c_str()));
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[A]\nb=d\n");

  // A value with a line break would add lines to the file: refused.
  EXPECT_FALSE(WritePrivateProfileStringA("A", "b", "x\n[Injected]\ny=z", m_file.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[A]\nb=d\n");

  // A missing folder and a read-only file fail and leave things as they were.
  EXPECT_FALSE(WritePrivateProfileStringA("A", "b", "c", (m_root + "/missing/x.ini").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  if (geteuid() != 0) {
    chmod(m_file.c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileStringA("A", "b", "e", m_file.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Read(), "\xEF\xBB\xBF[A]\nb=d\n");
  }
}

TEST_F(ProfileTest, LongValuesAndLargeSections) {
  const std::string longValue(10000, 'v');
  ASSERT_TRUE(WritePrivateProfileStringA("Big", "Value", longValue.c_str(), m_file.c_str()));
  std::vector<char> buffer(20000);
  EXPECT_EQ(GetPrivateProfileStringA("Big", "Value", "", buffer.data(), 20000, m_file.c_str()), 10000u);
  EXPECT_EQ(std::string(buffer.data()), longValue);

  for (int i = 0; i < 2000; ++i) {
    const std::string key = "Key" + std::to_string(i);
    ASSERT_TRUE(WritePrivateProfileStringA("Many", key.c_str(), std::to_string(i).c_str(), m_file.c_str()));
  }
  EXPECT_EQ(GetPrivateProfileIntA("many", "key1999", -1, m_file.c_str()), 1999u);
  std::vector<char> names(65536);
  const DWORD length = GetPrivateProfileStringA("Many", nullptr, "", names.data(), 65536, m_file.c_str());
  size_t count = 0;
  for (DWORD i = 0; i < length; ++i) count += names[i] == '\0';
  EXPECT_EQ(count, 2000u);

  ASSERT_TRUE(WritePrivateProfileSectionA("Many", "a=1\0b=2\0", m_file.c_str()));
  const DWORD sectionLength = GetPrivateProfileSectionA("Many", names.data(), 65536, m_file.c_str());
  EXPECT_EQ(std::string(names.data(), sectionLength + 1), std::string("a=1\0b=2\0", 9));
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 50; ++i) {
        const std::string key = "T" + std::to_string(t) + "_" + std::to_string(i);
        WritePrivateProfileStringA("S", key.c_str(), "1", m_file.c_str());
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 50; ++i) {
      const std::string key = "T" + std::to_string(t) + "_" + std::to_string(i);
      EXPECT_EQ(GetPrivateProfileIntA("S", key.c_str(), 0, m_file.c_str()), 1u) << key;
    }
  }
}

}  // namespace
