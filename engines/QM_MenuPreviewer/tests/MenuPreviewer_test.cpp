// The previewer's entry points as the program drives them: a menu made through the manager,
// title list and menu data engines, shown in a previewer whose posts reach the registered window.

#include "engines/QM_MenuPreviewer/MenuPreviewerApi.h"

#include <gtest/gtest.h>

#include <chrono>

#include "engines/QM_DVDMenuData/DVDMenuDataApi.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/menu/tests/MenuWindowsTesting.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Watchdog.h"

namespace {

using namespace menu_testing;

TEST(MenuPreviewer, ShowsTheMenuDataItIsGivenAndPostsPagesAndTitles) {
  platform::testing::Watchdog watchdog{std::chrono::seconds(120)};
  platform::testing::UseManualClock(true);
  HWND top = MakeRecordingWindow();
  ASSERT_NE(top, nullptr);

  // Five titles with thumbnails on the 2 x 2 grid template: two pages.
  const EngineHandle manager = MGCreateMenuMgr(), list = TLCreate(), data = MTCreateMenuData();
  MGSetTitleList(manager, list);
  MGSetMenuData(manager, data);
  const std::u16string folder =
      WriteTemplate(TestFolder("menu-previewer-template"), GridLayout());
  ASSERT_EQ(MDSetTemplatePath(MGGetCurrentPage(manager), folder.c_str()), 1);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(TLInsertTitle(list, i), i);
    const engines::menu::TitleThumbnail thumbnail = MakeThumbnail(i);
    const BITMAPINFO info = platform::TopDownBitmapInfo32(thumbnail.width, thumbnail.height);
    TLSetTitleThumbnail(list, i, &info, thumbnail.bgra.data());
  }
  ASSERT_EQ(MGGetPageCount(manager), 2);

  const EngineHandle previewer = MPCreate(top, 0, 0, 640, 480);
  ASSERT_NE(previewer, 0u);
  HWND window = GetWindow(top, GW_CHILD);
  ASSERT_NE(window, nullptr);
  MPRegisterMsgHwnd(previewer, top);
  MPSetMenuData(previewer, data);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  SaveShot(top, "menu-previewer-engine.png");
  auto Actions = [] {
    std::vector<std::pair<WPARAM, LPARAM>> actions;
    for (const Posted& posted : Recorded())
      if (posted.message == kMenuPreviewAction) actions.emplace_back(posted.wParam, posted.lParam);
    Recorded().clear();
    return actions;
  };
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMenuPreviewPageShown, 0}}));
  // The thumbnails show: the second title's colour in the top-right slot.
  const auto shown = platform::testing::ReadWindow(window);
  EXPECT_GT(CountNear(shown, 400, 100, 560, 220, ThumbnailRgb(1), 40), 1000);

  // A click on the bottom-left frame (the third title) chooses it once the select colour went.
  platform::testing::Click(platform::testing::ScreenPoint(window, 160, 320));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  platform::testing::AdvanceClock(200);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMenuPreviewTitleChosen, 2}}));

  // Given again (each visit of the preview page), the first page shows and is posted again.
  MPSetMenuData(previewer, data);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{kMenuPreviewPageShown, 0}}));

  // Destroyed: the window goes and the handle is stale; calls on it do nothing.
  MPDestroy(previewer);
  EXPECT_FALSE(IsWindow(window));
  MPSetMenuData(previewer, data);
  MPRegisterMsgHwnd(previewer, top);
  MPDestroy(previewer);
  EXPECT_EQ(MPCreate(nullptr, 0, 0, 10, 10), 0u);

  TLRlease(list);
  MGDestroyMenuMgr(manager);
  MTDestroyMenuData(data);
  DestroyWindow(top);
  engines::SetWindowPoster(nullptr);
  platform::testing::UseManualClock(false);
}

}  // namespace
