#include "engines/QM_DVDMenuData/DVDMenuDataApi.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/common/MenuSource.h"

namespace {

// The program's set-up: a manager with a title list and menu data attached.
TEST(DVDMenuData, FollowsItsManagersPagesAndMusic) {
  const uintptr_t list = TLCreate();
  for (int i = 0; i < 5; ++i) TLInsertTitle(list, i);
  const EngineHandle manager = MGCreateMenuMgr();
  const EngineHandle data = MTCreateMenuData();
  MGSetTitleList(manager, list);
  MGSetMenuData(manager, data);

  EXPECT_EQ(MTGetMenuPageCount(data), 2);
  EXPECT_EQ(MTGetMenuPage(data, 0), MGGetCurrentPage(manager));
  EXPECT_EQ(MTGetMenuPage(data, 2), 0u);
  EXPECT_EQ(MTGetMenuPage(data, -1), 0u);
  MGNextMenuPage(manager);
  MDSetBackgndAudio(MGGetCurrentPage(manager), u"/music/second-page.mp3");

  char16_t buffer[512];
  std::fill_n(buffer, 512, u'#');
  EXPECT_EQ(MTGetMenuPageAudio(MTGetMenuPage(data, 0), buffer, 512), 0);
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_EQ(MTGetMenuPageAudio(MTGetMenuPage(data, 1), buffer, 512), 22);
  EXPECT_EQ(std::u16string(buffer), u"/music/second-page.mp3");
  EXPECT_EQ(MTGetMenuPageAudio(MTGetMenuPage(data, 1), buffer, 7), 22);
  EXPECT_EQ(std::u16string(buffer), u"/music");
  EXPECT_EQ(MTGetMenuPageAudio(0, buffer, 512), 0);

  // Authoring finds it by handle and gets the pages at its format.
  const auto source = engines::Lookup<engines::MenuSource>(data);
  ASSERT_NE(source, nullptr);
  std::vector<engines::MenuPagePictures> pages;
  std::string error;
  MDSetBackgndAudio(MTGetMenuPage(data, 1), u"");  // music that does not exist would fail it
  TLInsertTitle(list, 5);  // a title added since the manager last looked
  ASSERT_TRUE(source->Describe({720, 576, false, 6}, pages, error)) << error;
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].buttons.size(), 4u);  // two frames, previous and play

  // A second menu data replaces the first, which then describes nothing.
  const EngineHandle second = MTCreateMenuData();
  MGSetMenuData(manager, second);
  EXPECT_EQ(MTGetMenuPageCount(data), 0);
  EXPECT_EQ(MTGetMenuPageCount(second), 2);
  EXPECT_FALSE(source->Describe({720, 480, false, 6}, pages, error));
  EXPECT_FALSE(error.empty());

  MGDestroyMenuMgr(manager);
  EXPECT_EQ(MTGetMenuPageCount(second), 0);
  MTDestroyMenuData(data);
  MTDestroyMenuData(second);
  EXPECT_EQ(MTGetMenuPageCount(second), 0);
  TLRelease(list);
}

}  // namespace
