#include "engines/menu/Menu.h"

#include <gtest/gtest.h>

#include "engines/common/EngineHandles.h"
#include "engines/menu/MenuXml.h"
#include "engines/menu/testing/TestTemplate.h"

namespace {

using namespace engines::menu;
using engines::menu::fixtures::TempFolder;
using engines::menu::fixtures::TemplateOptions;
using engines::menu::fixtures::U16;
using engines::menu::fixtures::WriteTemplate;

class FakeTitles : public TitleSource {
 public:
  explicit FakeTitles(int count) : count(count) {}
  int Count() const override { return count; }
  TitleThumbnail Title(int index) const override {
    return {ThumbnailPath(index), 8, 6, fixtures::SolidBgra(8, 6, 0x102030u * (index + 1))};
  }
  std::u16string ThumbnailPath(int index) const override { return u"/thumbs/t" + std::u16string(1, u'0' + index % 10) + u".jpg"; }
  int count;
};

std::shared_ptr<Menu> MenuWithTitles(int count, std::shared_ptr<FakeTitles>* titles = nullptr) {
  auto menu = Menu::Create();
  auto source = std::make_shared<FakeTitles>(count);
  menu->SetTitleSource(source);
  if (titles) *titles = source;
  return menu;
}

TEST(Menu, PagesFollowTheTitlesAsTheyComeAndGo) {
  std::shared_ptr<FakeTitles> titles;
  const auto menu = MenuWithTitles(0, &titles);
  struct Case {
    int titles, pages, titlesOnLast;
  };
  for (const Case& c : {Case{1, 1, 1}, Case{4, 1, 4}, Case{5, 2, 1}, Case{9, 3, 1}, Case{8, 2, 4}, Case{0, 1, 0}}) {
    titles->count = c.titles;
    menu->SyncToTitles();
    EXPECT_EQ(menu->PageCount(), c.pages) << c.titles << " titles";
    EXPECT_EQ(menu->TitlesOnPage(menu->PageCount() - 1), c.titlesOnLast) << c.titles << " titles";
    EXPECT_EQ(menu->FirstTitleOfPage(menu->PageCount() - 1), (c.pages - 1) * 4) << c.titles << " titles";
  }
}

TEST(Menu, ANewPageTakesTheLastPagesTemplateAndSlotCountsDecideTheSplit) {
  TempFolder folder;
  MenuTemplate two;
  std::string error;
  ASSERT_TRUE(LoadMenuTemplate(U16(WriteTemplate(folder.Path() / "two", TemplateOptions{.slots = 2})), two, error))
      << error;
  std::shared_ptr<FakeTitles> titles;
  const auto menu = MenuWithTitles(3, &titles);
  ASSERT_EQ(menu->PageCount(), 1);
  // The first page gets a two-slot template: its third title moves to a new page of that template.
  ASSERT_TRUE(menu->EditPage(*menu->PageAt(0), [&](PageContent& content) {
    content = ContentFromTemplate(two);
    return true;
  }));
  ASSERT_EQ(menu->PageCount(), 2);
  EXPECT_EQ(menu->Content(1).layout, two);
  EXPECT_EQ(menu->TitlesOnPage(1), 1);
  titles->count = 7;  // 2 + 2 + 2 + 1
  menu->SyncToTitles();
  EXPECT_EQ(menu->PageCount(), 4);
}

TEST(Menu, PageWalksAndHandlesStayWithTheirPages) {
  const auto menu = MenuWithTitles(9);
  ASSERT_EQ(menu->PageCount(), 3);
  const auto first = menu->PageHandle(0);
  EXPECT_FALSE(menu->PreviousPage());
  EXPECT_TRUE(menu->NextPage());
  EXPECT_TRUE(menu->NextPage());
  EXPECT_FALSE(menu->NextPage());
  EXPECT_EQ(menu->CurrentPageIndex(), 2);
  EXPECT_TRUE(menu->PreviousPage());
  EXPECT_EQ(menu->CurrentPageIndex(), 1);
  EXPECT_EQ(menu->PageHandle(0), first);
  EXPECT_EQ(engines::Lookup<MenuPage>(first)->GetMenu(), menu);

  // Pages that are no longer needed go with their handles; the current page moves back.
  const auto last = menu->PageHandle(2);
  menu->NextPage();
  std::shared_ptr<FakeTitles> titles;
  auto source = std::make_shared<FakeTitles>(2);
  menu->SetTitleSource(source);
  EXPECT_EQ(menu->PageCount(), 1);
  EXPECT_EQ(menu->CurrentPageIndex(), 0);
  EXPECT_EQ(engines::Lookup<MenuPage>(last), nullptr);
}

TEST(Menu, SelectionOfFramesAndTextItems) {
  const auto menu = MenuWithTitles(6);
  menu->NextPage();
  menu->Select({ElementKind::Frame, 1});
  EXPECT_EQ(menu->SelectedTitle(), 5);
  menu->Select({ElementKind::Frame, 3});  // a slot without a title
  EXPECT_EQ(menu->SelectedTitle(), -1);

  const auto page = menu->PageAt(1);
  const int added = menu->AddTextItem(*page);
  EXPECT_EQ(menu->GetSelection(), (Selection{ElementKind::Text, added}));
  ASSERT_TRUE(menu->SelectedText(*page));
  EXPECT_EQ(menu->SelectedText(*page)->text, u"Text");
  const Rect box = menu->SelectedText(*page)->box;
  EXPECT_NEAR((box.left + box.right) / 2, kCanvasWidth / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, kCanvasHeight / 2, 1);
  EXPECT_TRUE(menu->EditSelectedText(*page, [](TextItem& item) {
    item.text = u"Holiday";
    return true;
  }));
  EXPECT_EQ(menu->Content(1).texts.back().text, u"Holiday");
  // Another page's text is not the selection.
  EXPECT_FALSE(menu->SelectedText(*menu->PageAt(0)));
  EXPECT_FALSE(menu->EditSelectedText(*menu->PageAt(0), [](TextItem&) { return true; }));
}

TEST(Menu, ChangesReachTheListener) {
  const auto menu = MenuWithTitles(1);
  int calls = 0;
  menu->SetChangeListener([&] { ++calls; });
  menu->EditPage(*menu->PageAt(0), [](PageContent& content) {
    content.audio = u"/music.mp3";
    return true;
  });
  menu->EditPage(*menu->PageAt(0), [](PageContent&) { return false; });  // nothing changed
  menu->Select({ElementKind::Play, 0});
  EXPECT_EQ(calls, 2);
}

// A menu with everything a page can hold: a template, texts that XML must escape, music,
// per-title frames, moved slots and buttons, four pages.
std::shared_ptr<Menu> RichMenu(const TempFolder& folder) {
  const auto menu = MenuWithTitles(13);
  MenuTemplate layout;
  std::string error;
  EXPECT_TRUE(LoadMenuTemplate(U16(WriteTemplate(folder.Path() / "sea")), layout, error)) << error;
  for (int i = 0; i < menu->PageCount(); ++i) {
    menu->EditPage(*menu->PageAt(i), [&](PageContent& content) {
      content = ContentFromTemplate(layout);
      content.audio = i == 1 ? u"/music/Fl\u00f6te & <Harfe>.mp3" : u"";
      content.titleFrames[4 * i] = u"/frames/gold.png";
      content.slots[0].left += 8 * i;
      content.buttonRects[1].top -= i;
      TextItem item;
      item.text = u"Line one\nline \"two\"\t\u00e9\U0001F600 ]]> &amp;";
      item.font = u"DejaVu Serif";
      item.size = 30;
      item.color = 0x123456;
      item.style = kTextBold | kTextStrikeOut;
      item.box = {10, 20, 300, 90};
      content.texts.push_back(item);
      return true;
    });
  }
  return menu;
}

TEST(MenuXml, RoundTripGivesTheSameMenu) {
  TempFolder folder;
  const auto menu = RichMenu(folder);
  const std::u16string xml = menu->ToXml();

  const auto restored = MenuWithTitles(13);
  std::string error;
  ASSERT_TRUE(restored->FromXml(xml, error)) << error;
  ASSERT_EQ(restored->PageCount(), menu->PageCount());
  for (int i = 0; i < menu->PageCount(); ++i) EXPECT_EQ(restored->Content(i), menu->Content(i)) << "page " << i;
  EXPECT_EQ(restored->ToXml(), xml);

  MenuDocument document;
  ASSERT_TRUE(ReadMenuXml(xml, document, error)) << error;
  ASSERT_EQ(document.thumbnails.size(), 13u);
  EXPECT_EQ(document.thumbnails[12], u"/thumbs/t2.jpg");
}

TEST(MenuXml, DamagedXmlIsRefusedAndTheMenuStaysAsItWas) {
  TempFolder folder;
  const auto menu = RichMenu(folder);
  const std::u16string xml = menu->ToXml();
  const auto replace = [&](std::u16string_view from, std::u16string_view to) {
    std::u16string text = xml;
    const auto at = text.find(from);
    EXPECT_NE(at, std::u16string::npos) << "fixture lacks the text to damage";
    if (at != std::u16string::npos) text.replace(at, from.size(), to);
    return text;
  };
  const std::vector<std::pair<const char*, std::u16string>> damaged = {
      {"empty", u""},
      {"cut in half", xml.substr(0, xml.size() / 2)},
      {"not XML", u"menu: yes"},
      {"another root", u"<project version=\"1\"/>"},
      {"a document type", u"<!DOCTYPE menu [<!ENTITY a \"aaaa\">]>" + xml},
      {"no page", u"<menu version=\"1\"><titles/></menu>"},
      {"newer version", replace(u"version=\"1\"", u"version=\"2\"")},
      {"bad rectangle", replace(u"rect=\"100,", u"rect=\"x100,")},
      {"bad colour", replace(u"color=\"#563412\"", u"color=\"blue\"")},
      {"bad size", replace(u"size=\"30\"", u"size=\"-3\"")},
      {"slot lost", replace(u"<slot rect=\"420,280,620,430\"/>", u"")},
      {"text cut off", replace(u"text=\"Line", u"tixt=\"Line")},
  };
  const std::u16string before = menu->ToXml();
  for (const auto& [name, text] : damaged) {
    std::string error;
    EXPECT_FALSE(menu->FromXml(text, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
    EXPECT_EQ(menu->ToXml(), before) << name;
  }
}

TEST(MenuXml, WhatTheMenuWritesItCanReadBack) {
  // Texts with characters XML cannot hold, and a text item without a box yet.
  const auto menu = MenuWithTitles(1);
  menu->EditPage(*menu->PageAt(0), [](PageContent& content) {
    TextItem item;
    item.text = u"bell\x07 and \xFFFF, lone \xD800 half";
    content.texts.push_back(item);
    return true;
  });
  std::string error;
  ASSERT_TRUE(menu->FromXml(menu->ToXml(), error)) << error;
  EXPECT_EQ(menu->Content(0).texts.back().text, u"bell and , lone \xFFFD half");
}

TEST(MenuXml, OverlongTextsAreCutToTheRecord) {
  const auto menu = MenuWithTitles(1);
  menu->EditPage(*menu->PageAt(0), [](PageContent& content) {
    content.texts.push_back(TextItem{});
    return true;
  });
  std::u16string xml = menu->ToXml();
  const std::u16string longText(300, u'x');
  xml.replace(xml.find(u"text=\"Text\""), 11, u"text=\"" + longText + u"\"");
  std::string error;
  ASSERT_TRUE(menu->FromXml(xml, error)) << error;
  EXPECT_EQ(menu->Content(0).texts.back().text, std::u16string(255, u'x'));
}

}  // namespace

namespace {

TEST(Menu, ElementsMoveAndResizeInsideTheCanvas) {
  const auto menu = MenuWithTitles(2);
  const auto page = menu->PageAt(0);
  menu->AddTextItem(*page);
  EXPECT_TRUE(menu->SetElementRect(*page, ElementKind::Frame, 1, {400, 100, 600, 250}));
  EXPECT_TRUE(menu->SetElementRect(*page, ElementKind::Next, 0, {700, 500, 764, 564}));  // dragged past the corner
  EXPECT_TRUE(menu->SetElementRect(*page, ElementKind::Text, 0, {-40, 10, 60, 50}));
  const auto content = menu->Content(0);
  EXPECT_EQ(content.slots[1], (Rect{400, 100, 600, 250}));
  EXPECT_EQ(content.buttonRects[2], (Rect{656, 476, 720, 540}));
  EXPECT_EQ(content.texts[0].box, (Rect{0, 10, 100, 50}));
  EXPECT_FALSE(menu->SetElementRect(*page, ElementKind::Background, 0, {0, 0, 10, 10}));
  EXPECT_FALSE(menu->SetElementRect(*page, ElementKind::Text, 5, {0, 0, 10, 10}));
  EXPECT_FALSE(menu->SetElementRect(*page, ElementKind::Frame, 0, {10, 10, 10, 40}));
}

}  // namespace
