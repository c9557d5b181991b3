// A skin's system colours: the shipped default skin's file sets the named colours, a folder
// without one changes nothing, and a key that is no colour is skipped.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/user/SystemParams.h"
#include "program/skin/SkinSystemColors.h"

namespace {

namespace fs = std::filesystem;

class SkinSystemColorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i <= COLOR_MENUBAR; ++i) saved[i] = GetSysColor(i);
  }
  void TearDown() override {
    INT indexes[COLOR_MENUBAR + 1];
    for (int i = 0; i <= COLOR_MENUBAR; ++i) indexes[i] = i;
    SetSysColors(COLOR_MENUBAR + 1, indexes, saved);
    fs::remove_all(folder);
  }
  COLORREF saved[COLOR_MENUBAR + 1];
  fs::path folder = fs::temp_directory_path() / ("skin-colors-" + std::to_string(::getpid()));
};

TEST_F(SkinSystemColorsTest, TheDefaultSkinSetsItsPalette) {
  ASSERT_TRUE(ApplySkinSystemColors((fs::path(BRANTWELL_SOURCE_DIR) / "resources/Skin/Default").string()));
  struct Case {
    int index;
    COLORREF color;
  };
  const Case cases[] = {
      {COLOR_BTNFACE, RGB(0xF3, 0xF4, 0xF6)},  {COLOR_MENU, RGB(0xF3, 0xF4, 0xF6)},
      {COLOR_BTNSHADOW, RGB(0xD0, 0xD5, 0xDD)}, {COLOR_HIGHLIGHT, RGB(0x25, 0x63, 0xEB)},
      {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)}, {COLOR_WINDOWTEXT, RGB(0x1F, 0x23, 0x28)},
      {COLOR_GRAYTEXT, RGB(0x66, 0x70, 0x85)},  {COLOR_WINDOW, RGB(255, 255, 255)},
      {COLOR_INFOBK, RGB(255, 255, 255)},
  };
  for (const Case& c : cases) EXPECT_EQ(GetSysColor(c.index), c.color) << "colour " << c.index;
  EXPECT_NE(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNSHADOW)) << "the dark shadow is darker";
}

TEST_F(SkinSystemColorsTest, NoFileOrBadKeysChangeNothing) {
  fs::create_directories(folder);
  EXPECT_FALSE(ApplySkinSystemColors(folder.string()));
  for (int i = 0; i <= COLOR_MENUBAR; ++i) EXPECT_EQ(GetSysColor(i), saved[i]);
  std::ofstream(folder / "SystemColors.ini") << "[SystemColors]\nBTNFACE=#12345\nWINDOW=red\nMENU=#102030\n";
  EXPECT_TRUE(ApplySkinSystemColors(folder.string()));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), saved[COLOR_BTNFACE]);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), saved[COLOR_WINDOW]);
  EXPECT_EQ(GetSysColor(COLOR_MENU), RGB(0x10, 0x20, 0x30));
}

}  // namespace
