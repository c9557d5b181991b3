// The window-less pieces of the live update: descrambling, versions, templates, the time of
// the last check, the names of saved setups, and the update address from the settings.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "program/net/HtmlView.h"
#include "program/net/UpdateHelper.h"
#include "rtl/DateTime.h"
#include "rtl/Strings.h"

namespace {

namespace fs = std::filesystem;

// The inverse of DescrambleConfigValue: what the settings would store for plain under key,
// in n bytes (n > plain length).
std::string Scramble(const std::string& plain, const std::string& key, size_t n) {
  std::vector<uint8_t> b(n, 0x5A);
  uint8_t keyXor = 0;
  for (char c : key) keyXor ^= static_cast<uint8_t>(c);
  b[n - 1] = static_cast<uint8_t>(static_cast<uint8_t>(static_cast<int>(plain.size()) - static_cast<int>(key.size())) ^ keyXor);
  for (size_t j = 0; j < plain.size(); ++j)
    b[j] = static_cast<uint8_t>(plain[j]) ^ static_cast<uint8_t>(key[j % key.size()]) ^ b[n - 1];
  // The shuffle's reversals, applied in the opposite order.
  std::vector<std::pair<size_t, size_t>> steps;
  size_t p = 0, i = 0, stalled = 0;
  while (p + 1 < n && stalled < key.size()) {
    size_t c = static_cast<uint8_t>(key[i % key.size()]) % 10;
    if (p + c > n - 1) c = n - 1 - p;
    steps.push_back({p, c});
    stalled = c == 0 ? stalled + 1 : 0;
    p += c;
    ++i;
  }
  for (auto it = steps.rbegin(); it != steps.rend(); ++it)
    std::reverse(b.begin() + static_cast<long>(it->first), b.begin() + static_cast<long>(it->first + it->second));
  static const char hex[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t byte : b) {
    text += hex[byte >> 4];
    text += hex[byte & 15];
  }
  return text;
}

TEST(DescrambleConfigValue, UndoesTheScramblingAndRefusesWhatCannotBeOne) {
  const std::string url = "https://updates.example/check?p=%s&v=%s";
  for (const std::string key : {"k", "Secret7", "0123456789", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"}) {
    EXPECT_EQ(DescrambleConfigValue(Scramble(url, key, url.size() + 9), key), url) << key;
    EXPECT_EQ(DescrambleConfigValue(Scramble("", key, 3), key), "") << key;
  }
  // A key of multiples of ten never moves a byte: the un-shuffling ends after one pass.
  const std::string still = "\n\x14(";
  EXPECT_EQ(DescrambleConfigValue(Scramble("http://a", still, 12), still), "http://a");
  struct Case {
    std::string hex, key;
  } refused[] = {
      {"ABC", "k"},                 // odd length
      {"zz00", "k"},                // not hex
      {"", "k"},
      {Scramble("abc", "k", 8), ""},  // no key
      {"00000000", "k"},            // a length of ('k' + ... ) beyond the value
      {"0000007F", "\x01"},         // 127 + 1 bytes in 4
  };
  for (const Case& c : refused) EXPECT_EQ(DescrambleConfigValue(c.hex, c.key), "") << c.hex;
}

TEST(CompareVersions, ComparesFourNumbers) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int sign;
  } cases[] = {
      {u"2.5.10.0", u"2.5.7.3", 1}, {u"2.5.7.3", u"2.5.7.3", 0}, {u"2.5", u"2.5.0.0", 0},  {u"3", u"2.99.99.99", 1},
      {u"2.5.7.3", u"2.5.8.0", -1}, {u"x.1", u"0.0.0.1", -1},    {u"1.2.3.4.5", u"0", -1}, {u"", u"0", -1},
      {u"1..2", u"0", -1},          {u"70000", u"1", -1},        {u"bad", u"worse", 0},
  };
  for (const Case& c : cases) {
    const int result = CompareVersions(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << std::string(c.a, c.a + std::char_traits<char16_t>::length(c.a));
  }
}

TEST(FormatTemplate, FillsPlaceholdersAndFailsCleanly) {
  struct Case {
    const char16_t* format;
    bool ok;
    const char16_t* result;
  } cases[] = {
      {u"https://h/u?p=%s&v=%s", true, u"https://h/u?p=ABC&v=2.5.7.3"},
      {u"%1:s-%0:s", true, u"2.5.7.3-ABC"},
      {u"%0:s %s", true, u"ABC 2.5.7.3"},
      {u"100%% %s", true, u"100% ABC"},
      {u"no placeholders", true, u"no placeholders"},
      {u"%s %s %s", false, u""},
      {u"%d", false, u""},
      {u"%n", false, u""},
      {u"%5:s", false, u""},
      {u"trailing %", false, u""},
      {u"%1s", false, u""},
  };
  for (const Case& c : cases) {
    WideString result = u"untouched";
    EXPECT_EQ(FormatTemplate(c.format, {u"ABC", u"2.5.7.3"}, result), c.ok);
    EXPECT_EQ(result, c.ok ? WideString(c.result) : WideString(u"untouched"));
  }
}

TEST(SetupFileNameFromUrl, KeepsASafeNameOfTheLastSegment) {
  struct Case {
    const char* url;
    const char* name;
  } cases[] = {
      {"https://h/dl/setup_v2.exe", "setup_v2.exe"},
      {"https://h/dl/My%20Setup%2B1.exe?x=/y#z", "MySetup+1.exe"},
      {"https://h/dl/%2e%2e%2f%2e%2e%2fevil.sh", "evil.sh"},
      {"https://h/dl/..", "setup"},
      {"https://h", "setup"},
      {"https://h/a/b\xC3\xA9.bin", "b.bin"},
  };
  for (const Case& c : cases) EXPECT_EQ(SetupFileNameFromUrl(c.url), c.name) << c.url;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("brantwell-update-helper-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    saved = AppConfig;
    AppConfig.Create(UTF8ToWide((folder / "settings.ini").string()), u"System");
  }
  void TearDown() override {
    AppConfig = saved;
    std::error_code error;
    fs::remove_all(folder, error);
  }
  fs::path folder;
  TConfig saved;
};

TEST_F(SettingsTest, UniqueNamesNeverMeetAnExistingFileOrItsPart) {
  const std::string base = folder.string();
  EXPECT_EQ(UniqueFileName(base, "setup.exe"), base + "/setup.exe");
  std::ofstream(folder / "setup.exe") << "x";
  EXPECT_EQ(UniqueFileName(base, "setup.exe"), base + "/setup (2).exe");
  std::ofstream(folder / "setup (2).exe.part") << "x";
  EXPECT_EQ(UniqueFileName(base, "setup.exe"), base + "/setup (3).exe");
  std::ofstream(folder / "setup") << "x";
  EXPECT_EQ(UniqueFileName(base, "setup"), base + "/setup (2)");
}

TEST_F(SettingsTest, TheLastCheckIsWrittenInIsoFormAndTheOldFormIsStillRead) {
  TDateTime when = 0;
  ASSERT_TRUE(TryEncodeDate(2026, 12, 5, when));
  when += (10 * 3600 + 20 * 60 + 30) / 86400.0;
  WriteLastUpdateTime(when);
  EXPECT_EQ(AppConfig.ReadStringA("System", "LastUpdateTime", ""), "2026-12-05T10:20:30");
  EXPECT_NEAR(ReadLastUpdateTime(), when, 1e-6);
  struct Case {
    const char* text;
    bool readable;
  } cases[] = {{"12/5/2026 10:20:30", true}, {"12/5/2026", true}, {"2026-12-05", true},
               {"yesterday", false},        {"2026-13-05", false}, {"12/5/2026 25:00", false}};
  for (const Case& c : cases) {
    AppConfig.WriteStringA("System", "LastUpdateTime", c.text);
    const TDateTime read = ReadLastUpdateTime();
    EXPECT_EQ(read != 0, c.readable) << c.text;
    if (c.readable) EXPECT_NEAR(std::floor(read), std::floor(when), 1e-9) << c.text;
  }
}

TEST_F(SettingsTest, TheUpdateAddressIsDescrambledOrTakenAsStored) {
  EXPECT_EQ(GetUpdateUrl(), "") << "no address shipped";
  AppConfig.WriteStringA("Http", "UpdateUrl", "https://plain.example/u?%s");
  EXPECT_EQ(GetUpdateUrl(), "https://plain.example/u?%s") << "no key: the stored text itself";
  AppConfig.WriteStringA("System", "CodeKey2", "Key-42");
  AppConfig.WriteStringA("Http", "UpdateUrl", Scramble("HTTPS://secret.example/u?%s", "Key-42", 40));
  EXPECT_EQ(GetUpdateUrl(), "HTTPS://secret.example/u?%s") << "the scheme in any letter case";
}

TEST(FileSha256, HashesAFile) {
  const fs::path file = fs::temp_directory_path() / ("brantwell-sha-" + std::to_string(::getpid()));
  std::ofstream(file) << "abc";
  EXPECT_EQ(FileSha256(file.string()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_TRUE(IsSha256Text("BA7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
  EXPECT_FALSE(IsSha256Text("ba7816bf"));
  fs::remove(file);
  EXPECT_EQ(FileSha256(file.string()), "");
}

TEST(ParseHtml, ReadsTheTagsItKnowsAndKeepsTheTextOfOthers) {
  const auto blocks = ParseHtml(
      u"\uFEFF<html><head><title>T</title></head><body><p><b>Find &amp; go</b><br />\r\n"
      u"<a href=\"https://h/buy?a=1&amp;b=2\">buy</a></p><ul><li>one &lt;two&gt;</li><li><i>x</i>&#233;&#x1F600;</li></ul>"
      u"<script>bad()</script><p>tail &bogus; &#xZZ;</p></body></html>");
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[0].Runs.size(), 1u);
  EXPECT_EQ(blocks[0].Runs[0].Text, u"Find & go");
  EXPECT_TRUE(blocks[0].Runs[0].Bold);
  EXPECT_EQ(blocks[1].Runs[0].Text, u"buy");
  EXPECT_EQ(blocks[1].Runs[0].Href, u"https://h/buy?a=1&b=2");
  EXPECT_TRUE(blocks[2].Bullet);
  EXPECT_EQ(blocks[2].Indent, 1);
  EXPECT_EQ(blocks[2].Runs[0].Text, u"one <two>");
  EXPECT_EQ(blocks[3].Runs[0].Text, u"x\u00E9\U0001F600");
  EXPECT_EQ(blocks[4].Runs[0].Text, u"tail &bogus; &#xZZ;");
  EXPECT_TRUE(ParseHtml(u"").empty());
  EXPECT_EQ(ParseHtml(u"a < b").at(0).Runs.at(0).Text, u"a < b");
}

TEST(THtmlView, OpensOnlyWebAddresses) {
  for (const char16_t* refused : {u"file:///etc/passwd", u"javascript:alert(1)", u"", u"/tmp/x", u"https://h/a b"})
    EXPECT_FALSE(THtmlView::OpenLink(refused));
}

}  // namespace
