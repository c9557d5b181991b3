#include "engines/QM_MenuDesigner/MenuDesignerApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/menu/testing/TestTemplate.h"

namespace {

using engines::menu::fixtures::TempFolder;
using engines::menu::fixtures::U16;

class MenuDesignerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = TLCreate();
    for (int i = 0; i < 3; ++i) TLInsertTitle(list, i);
    manager = MGCreateMenuMgr();
    MGSetTitleList(manager, list);
  }
  void TearDown() override {
    MGDestroyMenuMgr(manager);
    TLRelease(list);
  }
  EngineHandle Page() { return MGGetCurrentPage(manager); }
  MDTextItem Current() {
    MDTextItem item;
    std::fill_n(reinterpret_cast<char*>(&item), sizeof item, 0x55);
    EXPECT_EQ(MDGetCurrentTextItem(Page(), &item), 1);
    return item;
  }
  TempFolder folder;
  uintptr_t list = 0;
  EngineHandle manager = 0;
};

TEST_F(MenuDesignerTest, ATemplateGivesThePageItsPicturesSlotsAndHeading) {
  const auto two = engines::menu::fixtures::WriteTemplate(folder.Path() / "two", {.slots = 2});
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(two).c_str()), 1);
  EXPECT_EQ(MGGetPageCount(manager), 2);  // three titles, two slots a page
  char16_t path[512];
  EXPECT_EQ(MDGetXmlBkgdPic(Page(), path, 512), static_cast<int32_t>(U16(two / "midbackgnd.png").size()));
  EXPECT_EQ(std::u16string(path), U16(two / "midbackgnd.png"));
  // The page added for the third title took the template too.
  MGNextMenuPage(manager);
  MDGetXmlBkgdPic(Page(), path, 512);
  EXPECT_EQ(std::u16string(path), U16(two / "midbackgnd.png"));

  // A folder that is not a template changes nothing.
  EXPECT_EQ(MDSetTemplatePath(Page(), U16(folder.Path() / "none").c_str()), 0);
  EXPECT_EQ(MDSetTemplatePath(Page(), nullptr), 0);
  EXPECT_EQ(MGGetPageCount(manager), 2);
}

TEST_F(MenuDesignerTest, AnotherTemplateKeepsTheUsersTextsAndMusic) {
  const auto a = engines::menu::fixtures::WriteTemplate(folder.Path() / "a", {.heading = "Main Menu"});
  const auto b = engines::menu::fixtures::WriteTemplate(folder.Path() / "b", {.heading = "Our Films"});
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(a).c_str()), 1);
  MDSetBackgndAudio(Page(), u"/music.mp3");
  MDAddTextItem(Page());
  MDSetTextContent(Page(), u"Summer");
  auto texts = [&] {  // the page's text items, from the menu XML
    std::vector<std::u16string> result;
    std::u16string xml(static_cast<size_t>(MGGetXmlText(manager, nullptr, 0)), u'\0');
    MGGetXmlText(manager, xml.data(), static_cast<int32_t>(xml.size()) + 1);
    for (size_t at = xml.find(u"<text text=\""); at != std::u16string::npos; at = xml.find(u"<text text=\"", at + 1)) {
      const size_t start = at + 12;
      result.push_back(xml.substr(start, xml.find(u'"', start) - start));
    }
    return result;
  };
  EXPECT_EQ(texts(), (std::vector<std::u16string>{u"Main Menu", u"Summer"}));
  // An untouched heading becomes the new template's.
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(b).c_str()), 1);
  EXPECT_EQ(texts(), (std::vector<std::u16string>{u"Our Films", u"Summer"}));
  // A heading the user rewrote keeps its words.
  MGSetMDFocus(manager, 6, 0);
  MDSetTextContent(Page(), u"Holiday 2026");
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(a).c_str()), 1);
  EXPECT_EQ(texts(), (std::vector<std::u16string>{u"Holiday 2026", u"Summer"}));
  char16_t audio[32];
  MDGetBackgndAudio(Page(), audio, 32);
  EXPECT_EQ(std::u16string(audio), u"/music.mp3");
}

TEST_F(MenuDesignerTest, PathsOutEndInsideTheCallersBuffer) {
  const auto t = engines::menu::fixtures::WriteTemplate(folder.Path() / "a-template-folder-with-a-long-name");
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(t).c_str()), 1);
  const std::u16string background = U16(t / "midbackgnd.png");
  std::u16string audio = u"/music/" + std::u16string(400, u'm') + u".mp3";
  ASSERT_EQ(MDSetBackgndAudio(Page(), audio.c_str()), 1);
  char16_t buffer[16];
  std::fill_n(buffer, 16, u'#');
  EXPECT_EQ(MDGetXmlBkgdPic(Page(), buffer, 8), static_cast<int32_t>(background.size()));
  EXPECT_EQ(std::u16string(buffer), background.substr(0, 7));
  EXPECT_EQ(buffer[8], u'#');
  EXPECT_EQ(MDGetBackgndAudio(Page(), buffer, 12), static_cast<int32_t>(audio.size()));
  EXPECT_EQ(std::u16string(buffer), audio.substr(0, 11));
  EXPECT_EQ(buffer[12], u'#');
  std::vector<char16_t> whole(audio.size() + 1);
  MDGetBackgndAudio(Page(), whole.data(), static_cast<int32_t>(whole.size()));
  EXPECT_EQ(std::u16string(whole.data()), audio);  // not cut at 260
  EXPECT_EQ(MDSetBackgndAudio(Page(), u""), 1);
  EXPECT_EQ(MDGetBackgndAudio(Page(), buffer, 16), 0);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(MenuDesignerTest, PicturesThatDoNotLoadAreRefusedAndTheOldOnesKept) {
  const auto t = engines::menu::fixtures::WriteTemplate(folder.Path() / "t");
  ASSERT_EQ(MDSetTemplatePath(Page(), U16(t).c_str()), 1);
  std::filesystem::create_directories(folder.Path() / "junk");
  std::ofstream(folder.Path() / "junk" / "broken.jpg") << "not a picture";
  for (const auto& bad : {U16(folder.Path() / "junk" / "broken.jpg"), U16(folder.Path() / "missing.png"), std::u16string()}) {
    EXPECT_EQ(MDSetBackgndPicture(Page(), bad.c_str()), 0);
    EXPECT_EQ(MDSetFrameImage(Page(), -1, bad.c_str()), 0);
    EXPECT_EQ(MDSetButtonImage(Page(), 1, bad.c_str()), 0);
  }
  char16_t path[512];
  MDGetXmlBkgdPic(Page(), path, 512);
  EXPECT_EQ(std::u16string(path), U16(t / "midbackgnd.png"));
  EXPECT_EQ(MDSetBackgndPicture(Page(), U16(t / "preview.png").c_str()), 1);
  EXPECT_EQ(MDSetButtonImage(Page(), 3, U16(t / "play.png").c_str()), 0);  // no fourth button
  EXPECT_EQ(MDSetFrameImage(Page(), 1, U16(t / "frame.png").c_str()), 1);
  EXPECT_EQ(MDSetFrameImage(Page(), -2, U16(t / "frame.png").c_str()), 0);
}

TEST_F(MenuDesignerTest, TextItemsAreAddedSelectedAndChanged) {
  EXPECT_EQ(MDGetCurrentTextItem(Page(), nullptr), 0);
  MDTextItem none;
  EXPECT_EQ(MDGetCurrentTextItem(Page(), &none), 0);  // no text item selected yet
  EXPECT_EQ(MDAddTextItem(Page()), 0);
  MDTextItem item = Current();
  EXPECT_EQ(std::u16string(item.text), u"Text");
  EXPECT_EQ(std::u16string(item.fontName), u"DejaVu Sans");
  EXPECT_EQ(item.reserved[0], 0);

  EXPECT_EQ(MDSetTextContent(Page(), u"Summer 2026"), 1);
  EXPECT_EQ(MDSetTextFont(Page(), u"DejaVu Serif"), 1);
  EXPECT_EQ(MDSetTextFont(Page(), u""), 0);
  EXPECT_EQ(MDSetTextFontSize(Page(), 48), 1);
  EXPECT_EQ(MDSetTextFontSize(Page(), 0), 0);
  EXPECT_EQ(MDSetTextColor(Page(), 0xFF00FF00), 1);
  EXPECT_EQ(MDSetTextStyle(Page(), kMenuTextItalic, -1), 1);
  EXPECT_EQ(MDSetTextStyle(Page(), kMenuTextStrikeOut, -1), 1);
  EXPECT_EQ(MDSetTextStyle(Page(), kMenuTextItalic, 0), 1);
  EXPECT_EQ(MDSetTextStyle(Page(), 4, -1), 0);
  item = Current();
  EXPECT_EQ(std::u16string(item.text), u"Summer 2026");
  EXPECT_EQ(std::u16string(item.fontName), u"DejaVu Serif");
  EXPECT_EQ(item.fontSize, 48);
  EXPECT_EQ(item.color, 0x00FF00u);
  EXPECT_EQ(item.style, 1u << kMenuTextStrikeOut);

  // Text and font names hold 255 units and a terminator, whatever comes in.
  const std::u16string longText(400, u'x');
  EXPECT_EQ(MDSetTextContent(Page(), longText.c_str()), 1);
  EXPECT_EQ(MDSetTextFont(Page(), longText.c_str()), 1);
  item = Current();
  EXPECT_EQ(std::u16string(item.text, kMenuTextUnits - 1), std::u16string(255, u'x'));
  EXPECT_EQ(item.text[255], u'\0');
  EXPECT_EQ(item.fontName[255], u'\0');
  // Control characters XML cannot hold are left out; line breaks stay.
  EXPECT_EQ(MDSetTextContent(Page(), u"a\x01" u"b\nc"), 1);
  EXPECT_EQ(std::u16string(Current().text), u"ab\nc");
  // The page still saves and restores with these texts.
  std::u16string xml(static_cast<size_t>(MGGetXmlText(manager, nullptr, 0)), u'\0');
  MGGetXmlText(manager, xml.data(), static_cast<int32_t>(xml.size()) + 1);
  EXPECT_EQ(MGSetXmlText(manager, xml.c_str()), 1);
}

TEST(MenuDesignerFonts, FamiliesFitTheirBufferSortedWithoutDuplicates) {
  const int32_t count = MDGetSupportFontCount();
  ASSERT_GT(count, 0);
  std::vector<std::u16string> names;
  for (int32_t i = 0; i < count; ++i) {
    char16_t buffer[kMenuFontNameUnits + 4];
    std::fill_n(buffer, kMenuFontNameUnits + 4, u'#');
    const int32_t length = MDGetSupportFontName(i, buffer);
    EXPECT_LE(length, kMenuFontNameUnits - 1);
    EXPECT_EQ(buffer[length], u'\0');
    EXPECT_EQ(buffer[kMenuFontNameUnits], u'#');
    names.emplace_back(buffer);
  }
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), u"DejaVu Sans"), names.end());
  char16_t buffer[kMenuFontNameUnits] = {u'#'};
  EXPECT_EQ(MDGetSupportFontName(count, buffer), 0);
  EXPECT_EQ(buffer[0], u'\0');
}

}  // namespace
