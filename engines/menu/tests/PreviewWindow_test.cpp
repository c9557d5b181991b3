// The menu previewer's window on the headless display, on the manual clock: the page it shows
// and posts, the highlight under the pointer, the arrow keys on a 2 x 2 grid, and activation by
// click and Enter with its select colour.

#include "engines/menu/PreviewWindow.h"

#include <gtest/gtest.h>

#include <chrono>

#include "engines/menu/tests/MenuWindowsTesting.h"
#include "platform/testing/Watchdog.h"

namespace {

using namespace engines::menu;
using namespace menu_testing;
using engines::MenuAction;
using engines::MenuButtonInfo;
using platform::testing::ReadWindow;

constexpr UINT kAction = WM_USER + 1504;

struct PreviewFixture : ::testing::Test {
  platform::testing::Watchdog watchdog{std::chrono::seconds(120)};
  std::filesystem::path folder = TestFolder("preview-window-template");
  HWND top = nullptr;
  std::shared_ptr<Menu> menu;
  std::shared_ptr<MenuData> data = std::make_shared<MenuData>();
  std::unique_ptr<PreviewWindow> preview;
  // The previewer at (40, 30), 560 x 480: the page shows 560 x 420 at (0, 30) of it.
  static constexpr int kWidth = 560, kHeight = 480;

  void SetUp() override {
    platform::testing::UseManualClock(true);
    top = MakeRecordingWindow();
    ASSERT_NE(top, nullptr);
    // Five titles on a 2 x 2 grid: page 1 has four frames, play and next; page 2 one frame,
    // previous and play.
    menu = MakeMenu(WriteTemplate(folder, GridLayout()), 5);
    data->Attach(menu);
    preview = PreviewWindow::Create(top, 40, 30, kWidth, kHeight);
    preview->SetNotifyWindow(reinterpret_cast<uintptr_t>(top));
  }
  void TearDown() override {
    preview.reset();
    DestroyWindow(top);
    engines::SetWindowPoster(nullptr);
    platform::testing::UseManualClock(false);
  }

  void Run() { ASSERT_TRUE(platform::testing::RunUntilIdle()); }
  void Advance(unsigned milliseconds) {
    platform::testing::AdvanceClock(milliseconds);
    Run();
  }
  std::vector<std::pair<WPARAM, LPARAM>> Actions() {
    std::vector<std::pair<WPARAM, LPARAM>> actions;
    for (const Posted& posted : Recorded())
      if (posted.message == kAction) actions.emplace_back(posted.wParam, posted.lParam);
    Recorded().clear();
    return actions;
  }
  // The index of the button doing `action` with `target`.
  int ButtonOf(MenuAction action, int target = 0) const {
    const auto& buttons = preview->Buttons();
    for (size_t i = 0; i < buttons.size(); ++i)
      if (buttons[i].action == action && buttons[i].target == target) return int(i);
    ADD_FAILURE() << "no button " << int(action) << " " << target;
    return -1;
  }
  // A button's rectangle in the window's client area.
  RECT ClientRect(int button) const {
    const MenuButtonInfo& info = preview->Buttons().at(size_t(button));
    const double sx = double(kWidth) / 720, sy = 420.0 / 480;
    return RECT{LONG(info.left * sx), LONG(30 + info.top * sy), LONG(info.right * sx), LONG(30 + info.bottom * sy)};
  }
  POINT Centre(int button) const {
    const RECT rect = ClientRect(button);
    return platform::testing::ScreenPoint(preview->Window(), (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  int Pixels(int button, uint32_t rgb) const {
    const RECT rect = ClientRect(button);
    return CountNear(ReadWindow(preview->Window()), rect.left - 2, rect.top - 2, rect.right + 2, rect.bottom + 2, rgb, 40);
  }
};

TEST_F(PreviewFixture, ShowsTheFirstPageWithItsFirstButtonHighlightedAndPostsIt) {
  preview->SetMenuData(data);
  Run();
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}}));
  EXPECT_EQ(preview->PageIndex(), 0);
  EXPECT_EQ(preview->PageCount(), 2);
  ASSERT_EQ(preview->Buttons().size(), 6u) << "four frames, play and next";
  SaveShot(top, "menu-preview-first-page.png");
  const auto shown = ReadWindow(preview->Window());
  EXPECT_EQ(shown.At(280, 10) & 0xFFFFFF, 0u) << "black above the page";
  EXPECT_TRUE(Near(shown.At(20, 40), kBackgroundRgb)) << std::hex << shown.At(20, 40);
  EXPECT_EQ(preview->Highlighted(), 0);
  EXPECT_GT(Pixels(0, kHighlightRgb), 20);
  for (int other = 1; other < 6; ++other) EXPECT_EQ(Pixels(other, kHighlightRgb), 0) << other;

  // Hovering another button moves the highlight there; leaving it for the background keeps it.
  const int play = ButtonOf(MenuAction::PlayAll);
  platform::testing::MouseMove(Centre(play));
  Run();
  EXPECT_EQ(preview->Highlighted(), play);
  EXPECT_GT(Pixels(play, kHighlightRgb), 20);
  EXPECT_EQ(Pixels(0, kHighlightRgb), 0);
  SaveShot(top, "menu-preview-hover-play.png");
  platform::testing::MouseMove(platform::testing::ScreenPoint(preview->Window(), 5, 40));
  Run();
  EXPECT_EQ(preview->Highlighted(), play);
  EXPECT_TRUE(Actions().empty()) << "hovering posts nothing";
}

TEST_F(PreviewFixture, ArrowKeysWalkTheGridAndEnterActivatesWithTheSelectColour) {
  preview->SetMenuData(data);
  Run();
  const int frame[] = {ButtonOf(MenuAction::PlayTitle, 0), ButtonOf(MenuAction::PlayTitle, 1),
                       ButtonOf(MenuAction::PlayTitle, 2), ButtonOf(MenuAction::PlayTitle, 3)};
  const int play = ButtonOf(MenuAction::PlayAll), next = ButtonOf(MenuAction::GoToPage, 1);
  // The walk starts from the first frame, under the pointer.
  platform::testing::MouseMove(Centre(frame[0]));
  Run();
  SetFocus(preview->Window());
  struct Step {
    int key;
    int expected;
  };
  const Step steps[] = {
      {VK_RIGHT, frame[1]}, {VK_DOWN, frame[3]}, {VK_LEFT, frame[2]}, {VK_UP, frame[0]},
      {VK_LEFT, frame[0]},  // nothing further left: it stays
      {VK_DOWN, frame[2]},  {VK_DOWN, play},     {VK_RIGHT, next},    {VK_UP, frame[3]}, {VK_LEFT, frame[2]},
  };
  for (const Step& step : steps) {
    platform::testing::KeyPress(step.key);
    Run();
    EXPECT_EQ(preview->Highlighted(), step.expected) << "key " << step.key;
  }
  Actions();

  // Enter: the select colour, then after about 150 ms the title is posted and the highlight is back.
  platform::testing::KeyPress(VK_RETURN);
  Run();
  EXPECT_TRUE(preview->Activating());
  EXPECT_GT(Pixels(frame[2], kSelectRgb), 20);
  EXPECT_EQ(Pixels(frame[2], kHighlightRgb), 0);
  SaveShot(top, "menu-preview-activated.png");
  Advance(100);
  EXPECT_TRUE(Actions().empty()) << "still showing the select colour";
  Advance(60);
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{0, 2}}));
  EXPECT_FALSE(preview->Activating());
  EXPECT_GT(Pixels(frame[2], kHighlightRgb), 20);
}

TEST_F(PreviewFixture, ClicksPlayTitlesAndTurnPages) {
  preview->SetMenuData(data);
  Run();
  Actions();
  struct Case {
    MenuAction action;
    int target;
    std::pair<WPARAM, LPARAM> posted;
    int pageAfter;
  };
  const Case cases[] = {
      {MenuAction::PlayTitle, 3, {0, 3}, 0},  // a frame: its title
      {MenuAction::PlayAll, 0, {0, 0}, 0},    // play: the first title
      {MenuAction::GoToPage, 1, {1, 1}, 1},   // next: the second page shows
      {MenuAction::PlayTitle, 4, {0, 4}, 1},  // the fifth title's frame there
      {MenuAction::GoToPage, 0, {1, 0}, 0},   // previous: back to the first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "action " << int(c.action) << " target " << c.target);
    platform::testing::Click(Centre(ButtonOf(c.action, c.target)));
    Run();
    EXPECT_TRUE(Actions().empty());
    Advance(kActivationMs + 10);
    EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{c.posted}));
    EXPECT_EQ(preview->PageIndex(), c.pageAfter);
    if (c.pageAfter == 1 && c.action == MenuAction::GoToPage) SaveShot(top, "menu-preview-second-page.png");
  }
  // A click on the background does nothing.
  platform::testing::Click(platform::testing::ScreenPoint(preview->Window(), 5, 40));
  Advance(kActivationMs + 10);
  EXPECT_TRUE(Actions().empty());
}

TEST_F(PreviewFixture, WithoutMenuDataItShowsBlackAndPostsNothing) {
  preview->SetMenuData(nullptr);
  Run();
  EXPECT_TRUE(Actions().empty());
  EXPECT_EQ(preview->Highlighted(), -1);
  EXPECT_EQ(ReadWindow(preview->Window()).At(280, 240) & 0xFFFFFF, 0u);
  platform::testing::KeyPress(VK_RETURN);
  Advance(kActivationMs + 10);
  EXPECT_TRUE(Actions().empty());
}

TEST_F(PreviewFixture, APageWithoutItsMusicShowsAndOneWithoutItsBackgroundSaysWhy) {
  menu->EditPage(*menu->PageAt(0), [](PageContent& content) {
    content.audio = u"/no/such/music.mp3";
    return true;
  });
  preview->SetMenuData(data);
  Run();
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}}));
  EXPECT_EQ(preview->Buttons().size(), 6u);
  EXPECT_TRUE(Near(ReadWindow(preview->Window()).At(20, 40), kBackgroundRgb));

  menu->EditPage(*menu->PageAt(0), [](PageContent& content) {
    content.background = u"/no/such/background.png";
    return true;
  });
  preview->SetMenuData(data);
  Run();
  EXPECT_EQ(Actions(), (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}}));
  EXPECT_TRUE(preview->Buttons().empty());
  EXPECT_EQ(preview->Highlighted(), -1);
  SaveShot(top, "menu-preview-missing-background.png");
  // Black, with the reason written across the middle.
  EXPECT_GT(CountNear(ReadWindow(preview->Window()), 0, 200, kWidth, 260, 0xD9D9D9, 60), 50);
}

}  // namespace
