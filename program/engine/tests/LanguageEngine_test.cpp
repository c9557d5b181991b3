#include "program/engine/LanguageEngine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/Unicode.h"

namespace {

// The engine's state is process-wide: each test starts from the shipped languages and
// closes the engine at the end.
class LanguageEngineTest : public ::testing::Test {
 protected:
  void TearDown() override { MLClose(); }
};

TEST_F(LanguageEngineTest, ShippedEnglishHasTheProgramsTexts) {
  EXPECT_GE(MLInit(u"Languages\\*.dat"), 1);
  ASSERT_NE(MLLoadLanguageResByName(u"EngLish"), 0);
  EXPECT_EQ(LanguageText(u"Info_Title"), u"Brantwell");
  EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), u"OK");
  // A missing key comes back as itself, never as null.
  EXPECT_EQ(LanguageText(u"No_Such_Key"), u"No_Such_Key");
  EXPECT_EQ(MLLoadLanguageResByName(u"Klingon"), 0);
  EXPECT_EQ(LanguageText(u"Info_Title"), u"Brantwell");  // the current language stays
}

TEST_F(LanguageEngineTest, SwitchesToASecondLanguage) {
  char pattern[] = "/tmp/brantwell-lang-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  std::filesystem::copy_file(std::string(BRANTWELL_BIN_DIR) + "/Languages/EngLish.dat", folder + "/EngLish.dat");
  std::ofstream(folder + "/Deutsch.dat") << "[Language]\nName = Deutsch\n\n[Common]\nInfo_Title = Brantwell DE\n"
                                             "BTN_OK_Caption = Gut\n";
  EXPECT_EQ(MLInit(platform::Utf8ToUtf16(folder + "/*.dat").c_str()), 2);
  ASSERT_NE(MLLoadLanguageResByName(u"EngLish"), 0);
  // Two texts used together: the first stays valid across the next call.
  const char16_t* title = MLGetText(u"Info_Title");
  const char16_t* ok = MLGetText(u"BTN_OK_Caption");
  EXPECT_EQ(std::u16string(title), u"Brantwell");
  EXPECT_EQ(std::u16string(ok), u"OK");

  ASSERT_NE(MLLoadLanguageResByName(u"Deutsch"), 0);
  EXPECT_EQ(LanguageText(u"Info_Title"), u"Brantwell DE");
  EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), u"Gut");
  EXPECT_EQ(LanguageText(u"BTN_Edit_Caption"), u"BTN_Edit_Caption");  // lacking in this language
  ASSERT_NE(MLLoadLanguageResByName(u"english"), 0);  // by display name, any case
  EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), u"OK");
  std::filesystem::remove_all(folder);
}

}  // namespace
