// The shipped English texts against the program: every key a source file hands to the text
// lookup has an English text, the texts that are formats take exactly the arguments their
// callers pass (in that order), and no other text holds a format specifier. And the start-up's
// choice of language: the stored one, or English when that one does not load.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "program/app/Language.h"
#include "program/core/Config.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const fs::path kEnglish = fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "Languages" / "EngLish.dat";

// English loaded from the built program folder for each test.
class ShippedTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    MLClose();
    MLInit((UTF8ToWide(AnsiString(BRANTWELL_BIN_DIR)) + u"/Languages/*.dat").c_str());
    ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
  }
  void TearDown() override { MLClose(); }
};

// The keys of the language file, in file order.
std::vector<std::string> FileKeys() {
  std::vector<std::string> keys;
  std::istringstream lines(ReadFile(kEnglish));
  std::string line, section;
  const std::regex entry(R"(^\s*([A-Za-z0-9_]+)\s*=)");
  while (std::getline(lines, line)) {
    if (line.rfind("[", 0) == 0) section = line;
    std::smatch match;
    if (section != "[Language]" && std::regex_search(line, match, entry)) keys.push_back(match[1]);
  }
  return keys;
}

// The conversion letters of a format text, in order ("%%" is no conversion).
std::string Conversions(const std::string& text) {
  std::string letters;
  for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == '%') {
      ++at;
      continue;
    }
    size_t end = at + 1;
    while (end < text.size() && !std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    letters += end < text.size() ? text[end] : '?';
  }
  return letters;
}

// The literal keys a source text hands to the program's lookup (LanguageText) or to the
// engine's (MLGetText).
std::vector<std::string> KeysLookedUpIn(const std::string& text) {
  static const std::regex call(R"((?:^|[^A-Za-z0-9_])(?:LanguageText|MLGetText)\(\s*u"([^"]+)\")");
  std::vector<std::string> keys;
  for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) keys.push_back((*it)[1]);
  return keys;
}

TEST(LanguageKeyScan, FindsTheLiteralKeysOfBothLookups) {
  const std::string source =
      "lbl->SetCaption(LanguageText(u\"Info_Title\"));\n"
      "const char16_t* t = MLGetText( u\"BTN_OK_Caption\");\n"
      "FormatLanguageText(u\"INF_UpdateSaved\", u\"default\", {});  // the update window's own texts\n"
      "LanguageText(key);\n";
  EXPECT_EQ(KeysLookedUpIn(source), (std::vector<std::string>{"Info_Title", "BTN_OK_Caption"}));
}

TEST_F(ShippedTexts, EveryKeyTheSourcesLookUpHasAnEnglishText) {
  std::map<std::string, std::string> keys;  // key -> a file that uses it
  for (const char* folder : {"program", "tools"}) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(BRANTWELL_SOURCE_DIR) / folder)) {
      const fs::path& path = entry.path();
      if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
      if (path.string().find("/tests/") != std::string::npos) continue;
      for (const std::string& key : KeysLookedUpIn(ReadFile(path)))
        keys.emplace(key, path.lexically_relative(BRANTWELL_SOURCE_DIR).string());
    }
  }
  for (const auto& [key, file] : keys)
    EXPECT_EQ(MLHasText(UTF8ToWide(key).c_str()), 1) << key << " (used in " << file << ") has no English text";
}

TEST_F(ShippedTexts, FormatsTakeTheirCallersArgumentsAndNoOtherTextIsAFormat) {
  struct FormatKey {
    const char* key;
    const char* conversions;  // what the callers pass, in order
    TVarRecs arguments;
  };
  const std::vector<FormatKey> formats = {
      {"INF_AllowLeaveEdit_Caption", "ds", {2, AnsiString("Titleset2,Titleset3")}},
      {"Info_LoadFiles2", "dd", {3, 12}},
      {"INF_ISOFile_Exists", "s", {AnsiString("/home/me/disc.iso")}},
      {"INF_HelpFile_Missing", "s", {AnsiString("/opt/brantwell/User Guide.html")}},
      {"INF_BurnDVDfaild", "s", {AnsiString("/home/me/.cache/BrantwellTemp/")}},
      {"INF_Restart_Burn_DVD", "d", {2}},
      {"FD_NoSuchFolder", "s", {AnsiString("/home/me/Videos/old")}},
      {"FD_CannotCreateFolder", "ss", {AnsiString("New Folder"), AnsiString("Permission denied")}},
      {"FD_CannotRenameFolder", "ss", {AnsiString("Holiday"), AnsiString("File exists")}},
      {"FontDlg_SizeRange", "dd", {8, 72}},
  };
  std::map<std::string, const FormatKey*> byKey;
  for (const FormatKey& f : formats) byKey[f.key] = &f;

  const std::vector<std::string> keys = FileKeys();
  EXPECT_GT(keys.size(), 250u);
  for (const std::string& key : keys) {
    const AnsiString text = WideToUTF8(LanguageText(UTF8ToWide(key)));
    const auto found = byKey.find(key);
    if (found == byKey.end()) {
      EXPECT_EQ(Conversions(text), "") << key << ": " << text;
      continue;
    }
    EXPECT_EQ(Conversions(text), found->second->conversions) << key << ": " << text;
    EXPECT_NO_THROW(Format(text, found->second->arguments)) << key;
  }
  for (const FormatKey& f : formats) EXPECT_NE(std::find(keys.begin(), keys.end(), f.key), keys.end()) << f.key;
}

TEST_F(ShippedTexts, FileTypesMatchWhatTheProgramOpensAndSaves) {
  EXPECT_EQ(LanguageText(u"ProjectName"), u"*.kzm");
  EXPECT_NE(WideToUTF8(LanguageText(u"PF_ProjectFilter")).find("|*.kzm"), std::string::npos);
  // The source import tests an extension by finding it in the video filter.
  const AnsiString videos = WideToUTF8(LanguageText(u"VF_VideoFilter"));
  for (const char* extension : {".mpg", ".mp4", ".avi", ".mkv", ".mov", ".vob", ".swf", ".jpg", ".png", ".bmp"})
    EXPECT_NE(videos.find(extension), std::string::npos) << extension;
  EXPECT_NE(videos.find('|'), std::string::npos);
}

TEST_F(ShippedTexts, TheMissHookHearsEachKeyTheLanguageLacks) {
  std::vector<std::u16string> missed;
  {
    TScopedLanguageMissHook hook([&](std::u16string_view key) { missed.emplace_back(key); });
    EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), u"OK");
    EXPECT_EQ(LanguageText(u"No_Such_Text_Key"), u"No_Such_Text_Key");
    EXPECT_EQ(LanguageText(u"info_title"), LanguageText(u"Info_Title"));
  }
  EXPECT_EQ(missed, std::vector<std::u16string>{u"No_Such_Text_Key"});
  LanguageText(u"Another_Missing_Key");  // the hook is gone with its scope
  EXPECT_EQ(missed.size(), 1u);
}

// InitLanguage over a settings file of the test's own.
class LanguageChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    m_settings = fs::temp_directory_path() / ("language-choice-" + std::to_string(::getpid()) + ".ini");
    ::setenv("BRANTWELL_PROGRAM_DIR", BRANTWELL_BIN_DIR, 1);
    MLClose();
  }
  void TearDown() override {
    MLClose();
    AppConfig = TConfig();
    fs::remove(m_settings);
  }
  void UseSettings(const std::string& text) {
    std::ofstream(m_settings) << text;
    AppConfig.Create(UTF8ToWide(AnsiString(m_settings.string())), u"");
  }
  fs::path m_settings;
};

TEST_F(LanguageChoice, TheStoredLanguageOrEnglishWhenItDoesNotLoad) {
  struct Case {
    const char* settings;
    const char16_t* okText;
  };
  const Case cases[] = {
      {"[System]\n", u"OK"},                        // none stored: English
      {"[System]\nDefLanguage=EngLish\n", u"OK"},
      {"[System]\nDefLanguage=Klingon\n", u"OK"},   // no such file: English, not bare keys
      {"[System]\nDefLanguage=  \n", u"OK"},
  };
  for (const Case& c : cases) {
    MLClose();
    UseSettings(c.settings);
    EXPECT_TRUE(InitLanguage()) << c.settings;
    EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), c.okText) << c.settings;
    // The stored name is kept as it was: only the user changes it.
    EXPECT_EQ(ReadFile(m_settings), c.settings);
  }
}

}  // namespace
