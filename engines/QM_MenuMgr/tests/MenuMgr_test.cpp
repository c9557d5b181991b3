#include "engines/QM_MenuMgr/MenuMgrApi.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/common/WindowPoster.h"
#include "engines/menu/testing/TestTemplate.h"

namespace {

using engines::menu::fixtures::TempFolder;
using engines::menu::fixtures::U16;

struct Post {
  uintptr_t window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};
std::mutex g_postsLock;
std::vector<Post> g_posts;

bool RecordPost(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  std::lock_guard guard(g_postsLock);
  g_posts.push_back({window, message, wParam, lParam});
  return true;
}

// A manager following a title list of `titles` titles.
class MenuMgrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engines::SetWindowPoster(RecordPost);
    g_posts.clear();
    list = TLCreate();
    manager = MGCreateMenuMgr();
    MGSetTitleList(manager, list);
  }
  void TearDown() override {
    MGDestroyMenuMgr(manager);
    TLRelease(list);
    engines::SetWindowPoster(nullptr);
  }
  void SetTitles(int count) {
    while (TLGetTitleCount(list) > count) TLRemoveTitle(list, 0);
    while (TLGetTitleCount(list) < count) TLInsertTitle(list, TLGetTitleCount(list));
  }
  std::u16string Xml() {
    std::u16string xml(static_cast<size_t>(MGGetXmlText(manager, nullptr, 0)), u'\0');
    MGGetXmlText(manager, xml.data(), static_cast<int32_t>(xml.size()) + 1);
    return xml;
  }
  uintptr_t list = 0;
  EngineHandle manager = 0;
};

TEST_F(MenuMgrTest, PagesFollowTheTitleListWithButtonStateAndWalks) {
  struct Case {
    int titles, pages;
  };
  for (const Case c : {Case{1, 1}, Case{4, 1}, Case{5, 2}, Case{12, 3}}) {
    SetTitles(c.titles);  // the program inserts titles without telling the manager
    EXPECT_EQ(MGGetPageCount(manager), c.pages) << c.titles << " titles";
  }
  // Walk to the end and back as the program does, watching the button state.
  int32_t state[3] = {9, 9, 9};
  MGGetButtonState(manager, state);
  EXPECT_EQ((std::vector<int32_t>(state, state + 3)), (std::vector<int32_t>{0, 0, 1}));
  std::vector<EngineHandle> pages = {MGGetCurrentPage(manager)};
  while (MGNextMenuPage(manager)) pages.push_back(MGGetCurrentPage(manager));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_NE(pages[0], pages[1]);
  EXPECT_EQ(MGGetCurrentPageIndex(manager), 2);
  MGGetButtonState(manager, state);
  EXPECT_EQ((std::vector<int32_t>(state, state + 3)), (std::vector<int32_t>{1, 0, 0}));
  MGPrevMenuPage(manager);
  MGGetButtonState(manager, state);
  EXPECT_EQ((std::vector<int32_t>(state, state + 3)), (std::vector<int32_t>{1, 0, 1}));
  int steps = 0;
  while (MGPrevMenuPage(manager)) ++steps;
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(MGGetCurrentPage(manager), pages[0]);

  // Titles going away take their pages with them.
  MGNextMenuPage(manager);
  MGNextMenuPage(manager);
  SetTitles(3);
  MGUpdateMDWindow(manager);
  EXPECT_EQ(MGGetPageCount(manager), 1);
  EXPECT_EQ(MGGetCurrentPageIndex(manager), 0);
}

TEST_F(MenuMgrTest, FocusSelectsTheFirstElementOfAKindAndTellsTheWindow) {
  SetTitles(6);
  MGRegisterMsgHwnd(manager, reinterpret_cast<HWND>(0x77));
  MGNextMenuPage(manager);
  MGSetMDFocus(manager, 2, 0);
  EXPECT_EQ(MGGetCurFrameTotalIndex(manager), 4);  // the second page's first frame
  MGSetMDFocus(manager, 4, 0);
  EXPECT_EQ(MGGetCurFrameTotalIndex(manager), -1);
  MGSetMDFocus(manager, 6, 0);  // no text item on the page: nothing selected, the kind still told
  MGSetMDFocus(manager, 0, 0);
  std::vector<intptr_t> chosen;
  for (const auto& post : g_posts) {
    EXPECT_EQ(post.window, 0x77u);
    EXPECT_EQ(post.message, kMenuDesignerNotify);
    EXPECT_EQ(post.wParam, kMenuNotifyElementChosen);
    chosen.push_back(post.lParam);
  }
  EXPECT_EQ(chosen, (std::vector<intptr_t>{kMenuElementFrame, kMenuElementPlay, kMenuElementText,
                                           kMenuElementBackground}));
}

TEST_F(MenuMgrTest, XmlTextEndsInsideTheBufferAndDamagedTextIsRefused) {
  SetTitles(5);
  const int32_t length = MGGetXmlText(manager, nullptr, 0);
  ASSERT_GT(length, 100);
  std::vector<char16_t> buffer(static_cast<size_t>(length) + 8, u'#');
  EXPECT_EQ(MGGetXmlText(manager, buffer.data(), 0), length);
  EXPECT_EQ(buffer[0], u'#');  // capacity 0 copies nothing
  EXPECT_EQ(MGGetXmlText(manager, buffer.data(), 10), length);
  EXPECT_EQ(buffer[9], u'\0');
  EXPECT_EQ(buffer[10], u'#');
  EXPECT_EQ(MGGetXmlText(manager, buffer.data(), length + 1), length);
  EXPECT_EQ(std::u16string(buffer.data()), Xml());

  const std::u16string before = Xml();
  EXPECT_EQ(MGSetXmlText(manager, nullptr), 0);
  EXPECT_EQ(MGSetXmlText(manager, u"<menu version=\"1\"><page>"), 0);
  EXPECT_EQ(MGSetXmlText(manager, before.substr(0, before.size() - 20).c_str()), 0);
  EXPECT_EQ(Xml(), before);
  EXPECT_EQ(MGGetPageCount(manager), 2);

  // Another manager with the same titles takes the menu whole.
  const EngineHandle other = MGCreateMenuMgr();
  MGSetTitleList(other, list);
  MDSetBackgndAudio(MGGetCurrentPage(manager), u"/music/theme.mp3");
  EXPECT_EQ(MGSetXmlText(other, Xml().c_str()), 1);
  char16_t audio[64];
  MDGetBackgndAudio(MGGetCurrentPage(other), audio, 64);
  EXPECT_EQ(std::u16string(audio), u"/music/theme.mp3");
  EXPECT_EQ(MGGetPageCount(other), 2);
  MGDestroyMenuMgr(other);
}

TEST_F(MenuMgrTest, TitlesGetTheirThumbnailsBackFromTheMenuXml) {
  TempFolder folder;
  SetTitles(2);
  const auto picture = folder.Path() / "thumb0.png";
  engines::menu::fixtures::WritePng(picture, 40, 30, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
  });
  ASSERT_EQ(TLSetTitleThumbnailPath(list, 0, U16(picture).c_str()), 1);
  TLSetTitleThumbnailPath(list, 1, u" ");
  const std::u16string xml = Xml();

  // A project being opened: a fresh list with the titles, the menu and then the thumbnails.
  const uintptr_t restored = TLCreate();
  TLInsertTitle(restored, 0);
  TLInsertTitle(restored, 1);
  ASSERT_EQ(TLSetMenuXml(restored, xml.c_str()), 1);
  char16_t path[TL_PATH_UNITS];
  TLGetTitleThumbnailPath(restored, 0, path, TL_PATH_UNITS);
  EXPECT_EQ(std::u16string(path), U16(picture));
  int32_t width = 0, height = 0;
  std::vector<uint8_t> pixels(40 * 30 * 4);
  EXPECT_EQ(TLGetTitleThumbnail(restored, 0, &width, &height, pixels.data(), static_cast<int32_t>(pixels.size())),
            40 * 30 * 4);
  EXPECT_EQ((std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4)), (std::vector<uint8_t>{0, 0, 255, 255}));
  TLGetTitleThumbnailPath(restored, 1, path, TL_PATH_UNITS);
  EXPECT_EQ(std::u16string(path), u" ");
  EXPECT_EQ(TLGetTitleThumbnail(restored, 1, &width, &height, nullptr, 0), 0);
  TLRelease(restored);
}

TEST_F(MenuMgrTest, StaleHandlesAnswerNeutrally) {
  const EngineHandle gone = MGCreateMenuMgr();
  MGDestroyMenuMgr(gone);
  int32_t state[3] = {7, 7, 7};
  MGGetButtonState(gone, state);
  EXPECT_EQ((std::vector<int32_t>(state, state + 3)), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(MGGetCurrentPage(gone), 0u);
  EXPECT_EQ(MGNextMenuPage(gone), 0);
  EXPECT_EQ(MGGetCurFrameTotalIndex(gone), -1);
  EXPECT_EQ(MGGetXmlText(gone, nullptr, 0), 0);
  EXPECT_EQ(MGSetXmlText(gone, u"<menu/>"), 0);
  MGGetButtonState(manager, nullptr);  // no crash
  // A destroyed manager's pages are gone too.
  const EngineHandle another = MGCreateMenuMgr();
  const EngineHandle page = MGGetCurrentPage(another);
  MGDestroyMenuMgr(another);
  EXPECT_EQ(MDSetBackgndAudio(page, u"/x.mp3"), 0);
}

}  // namespace
