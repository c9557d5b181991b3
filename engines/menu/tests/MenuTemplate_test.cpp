#include "engines/menu/MenuTemplate.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engines/menu/testing/TestTemplate.h"

namespace {

using namespace engines::menu;
using fixtures::TempFolder;
using fixtures::U16;

TEST(MenuTemplate, ReadsEveryKeyWithPathsBesideTheIni) {
  TempFolder folder;
  const auto path = fixtures::WriteTemplate(folder.Path() / "sea1", {.slots = 4, .highlight = "#102030"});
  MenuTemplate t;
  std::string error;
  ASSERT_TRUE(LoadMenuTemplate(U16(path), t, error)) << error;
  EXPECT_EQ(t.name, u"sea1");
  EXPECT_EQ(t.background, U16(path) + u"midbackgnd.png");
  EXPECT_EQ(t.frame, U16(path) + u"frame.png");
  EXPECT_EQ(t.buttons[2], U16(path) + u"next.png");
  ASSERT_EQ(t.slots.size(), 4u);  // "slots=4   ; frames a page": the comment is not the value
  EXPECT_EQ(t.slots[3], (Rect{420, 280, 620, 430}));
  EXPECT_EQ(t.frameWindow, (Rect{12, 12, 148, 108}));
  EXPECT_EQ(t.buttonRects[1], (Rect{328, 450, 392, 514}));
  EXPECT_EQ(t.heading, u"Main Menu");
  EXPECT_EQ(t.titleSize, 14);
  EXPECT_EQ(t.highlightColor, 0x302010u);  // COLORREF of #102030
}

TEST(MenuTemplate, BadFoldersAndValuesAreRefusedWithAReason) {
  TempFolder folder;
  const auto good = fixtures::WriteTemplate(folder.Path() / "good");
  std::ifstream in(good / "good.ini");
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  struct Case {
    const char* name;
    std::string from, to;
  };
  const Case cases[] = {
      {"no slots", "slots=4", "slots=0"},
      {"slot count not a number", "slots=4", "slots=four"},
      {"more slots than a wide page holds buttons for", "slots=4", "slots=16"},
      {"a slot missing", "slot3=420,280,620,430", ""},
      {"a slot malformed", "slot0=100,110,300,260", "slot0=100,110,300"},
      {"an empty slot", "slot0=100,110,300,260", "slot0=100,110,100,260"},
      {"a colour malformed", "highlight_color=#FFD24A", "highlight_color=yellow"},
      {"a size out of range", "title_size=14", "title_size=0"},
  };
  for (const auto& c : cases) {
    const auto bad = folder.Path() / "bad";
    std::filesystem::remove_all(bad);
    std::filesystem::create_directories(bad);
    std::string text = ini;
    text.replace(text.find(c.from), c.from.size(), c.to);
    std::ofstream(bad / "bad.ini") << text;
    MenuTemplate t;
    std::string error;
    EXPECT_FALSE(LoadMenuTemplate(U16(bad), t, error)) << c.name;
    EXPECT_NE(error.find("bad.ini"), std::string::npos) << c.name << ": " << error;
  }
  MenuTemplate t;
  std::string error;
  std::filesystem::create_directories(folder.Path() / "empty");
  EXPECT_FALSE(LoadMenuTemplate(U16(folder.Path() / "empty"), t, error));
  EXPECT_FALSE(LoadMenuTemplate(U16(folder.Path() / "missing"), t, error));
  EXPECT_NE(error.find("missing"), std::string::npos);
}

}  // namespace
