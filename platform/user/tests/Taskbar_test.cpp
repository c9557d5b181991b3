// Task-bar presence by the rule and by explicit choice, and what the display is handed of it
// (title and icon too).

#include "platform/user/Icons.h"
#include "platform/user/Present.h"
#include "platform/user/Taskbar.h"
#include "platform/user/tests/UserTestSupport.h"

using namespace usertest;

namespace {

class TaskbarTest : public UserTest {};

TEST_F(TaskbarTest, TheRuleForNewWindows) {
  HWND owner = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  struct Case {
    const char* what;
    DWORD style, exStyle;
    bool owned;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"unowned, visible", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, false, true},
      {"unowned, hidden", WS_OVERLAPPEDWINDOW, 0, false, false},
      {"owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, true, false},
      {"owned, app window", WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_APPWINDOW, true, true},
      {"unowned tool window", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, false, false},
      {"tool window, app window", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Create(c.style, 10, 10, 50, 50, c.owned ? owner : nullptr, nullptr, 0, c.exStyle);
    EXPECT_EQ(platform::HasTaskbarButton(hwnd), c.expected);
    DestroyWindow(hwnd);
    EXPECT_FALSE(platform::HasTaskbarButton(hwnd)) << "gone with the window";
  }
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, owner, nullptr, 0, WS_EX_APPWINDOW);
  EXPECT_FALSE(platform::HasTaskbarButton(child));
  EXPECT_FALSE(platform::SetTaskbarButton(child, true)) << "a child window never has a button";
}

TEST_F(TaskbarTest, StyleOwnerAndVisibilityChangesApplyTheRuleAgain) {
  HWND owner = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  HWND hwnd = Create(WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 50, 50, owner);
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd));
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_APPWINDOW);
  EXPECT_TRUE(platform::HasTaskbarButton(hwnd)) << "gained WS_EX_APPWINDOW";
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, 0);
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd)) << "lost it";
  SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
  EXPECT_TRUE(platform::HasTaskbarButton(hwnd)) << "no owner any more";
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd)) << "a tool window";
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, 0);
  ShowWindow(hwnd, SW_HIDE);
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd)) << "hidden";
  ShowWindow(hwnd, SW_SHOWNA);
  EXPECT_TRUE(platform::HasTaskbarButton(hwnd)) << "shown again";

  // An explicit choice holds while the rule's outcome stays, and yields when it changes.
  ASSERT_TRUE(platform::SetTaskbarButton(hwnd, false));
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd));
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_APPWINDOW);
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd)) << "the outcome did not change";
  ShowWindow(hwnd, SW_HIDE);
  ShowWindow(hwnd, SW_SHOWNA);
  EXPECT_TRUE(platform::HasTaskbarButton(hwnd)) << "hiding and showing applies the rule";
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  EXPECT_FALSE(platform::HasTaskbarButton(hwnd));
  ASSERT_TRUE(platform::SetTaskbarButton(hwnd, true));
  EXPECT_TRUE(platform::HasTaskbarButton(hwnd));
  EXPECT_FALSE(platform::SetTaskbarButton(reinterpret_cast<HWND>(0x4321), true));
}

// Records what the display is handed.
class RecordingPresenter : public platform::detail::Presenter {
 public:
  void Present(const std::vector<platform::detail::PresentedWindow>& list) override {
    for (const auto& p : list) {
      Seen& seen = windows[p.hwnd];
      seen.taskbar = p.taskbar;
      seen.title = p.title;
      if (p.iconChanged) {
        ++seen.iconChanges;
        seen.iconWidth = p.iconWidth;
        seen.iconPixels = p.iconPixels.size();
      }
    }
  }
  struct Seen {
    bool taskbar = false;
    std::u16string title;
    int iconChanges = 0;
    int iconWidth = 0;
    size_t iconPixels = 0;
  };
  std::map<HWND, Seen> windows;
};

TEST_F(TaskbarTest, TheDisplayIsHandedButtonTitleAndIcon) {
  RecordingPresenter presenter;
  platform::detail::Presenter* old = platform::detail::SetPresenter(&presenter);
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  SetWindowTextW(hwnd, u"Brantwell");
  Pump();
  platform::detail::PresentChanges();
  ASSERT_EQ(presenter.windows.count(hwnd), 1u);
  EXPECT_TRUE(presenter.windows[hwnd].taskbar);
  EXPECT_EQ(presenter.windows[hwnd].title, u"Brantwell");
  EXPECT_EQ(presenter.windows[hwnd].iconChanges, 1) << "the first hand-over carries the icon";
  EXPECT_EQ(presenter.windows[hwnd].iconPixels, 0u) << "no icon yet";

  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  platform::SetTaskbarButton(hwnd, false);
  platform::detail::PresentChanges();
  EXPECT_EQ(presenter.windows[hwnd].iconChanges, 2);
  EXPECT_EQ(presenter.windows[hwnd].iconWidth, 32);
  EXPECT_EQ(presenter.windows[hwnd].iconPixels, 32u * 32u);
  EXPECT_FALSE(presenter.windows[hwnd].taskbar);
  SetWindowTextW(hwnd, u"Renamed");
  platform::detail::PresentChanges();
  EXPECT_EQ(presenter.windows[hwnd].title, u"Renamed");
  EXPECT_EQ(presenter.windows[hwnd].iconChanges, 2) << "the same icon is not handed again";
  platform::detail::SetPresenter(old);
}

}  // namespace
