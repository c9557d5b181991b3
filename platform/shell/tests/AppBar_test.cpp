// Where the task bar lies: the side of the monitor its work area leaves free.

#include <gtest/gtest.h>

#include "platform/kernel/WinError.h"
#include "platform/shell/ShellApi.h"
#include "platform/user/Monitors.h"
#include "platform/user/tests/UserTestSupport.h"

namespace {

class AppBarTest : public usertest::UserTest {
 protected:
  void TearDown() override {
    platform::detail::SetMonitorAreas({});
    UserTest::TearDown();
  }
};

TEST_F(AppBarTest, TheTaskBarIsTheWidestGapOfTheWorkArea) {
  const RECT bounds{0, 0, 1600, 900};
  struct Case {
    const char* what;
    RECT work;
    bool found;
    UINT edge;
    RECT strip;
  };
  const std::vector<Case> cases = {
      {"bottom", {0, 0, 1600, 860}, true, ABE_BOTTOM, {0, 860, 1600, 900}},
      {"top", {0, 30, 1600, 900}, true, ABE_TOP, {0, 0, 1600, 30}},
      {"left", {48, 0, 1600, 900}, true, ABE_LEFT, {0, 0, 48, 900}},
      {"right", {0, 0, 1540, 900}, true, ABE_RIGHT, {1540, 0, 1600, 900}},
      {"a top panel and a wider left dock", {64, 24, 1600, 900}, true, ABE_LEFT, {0, 0, 64, 900}},
      {"equal gaps: bottom first", {0, 30, 1600, 870}, true, ABE_BOTTOM, {0, 870, 1600, 900}},
      {"no panels", {0, 0, 1600, 900}, false, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::detail::SetMonitorAreas({{bounds, c.work}});
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.uEdge = 99;
    EXPECT_EQ(SHAppBarMessage(ABM_GETTASKBARPOS, &data), static_cast<UINT_PTR>(c.found));
    if (!c.found) {
      EXPECT_EQ(data.uEdge, 99u) << "left alone";
      continue;
    }
    EXPECT_EQ(data.uEdge, c.edge);
    EXPECT_TRUE(EqualRect(&data.rc, &c.strip)) << data.rc.left << "," << data.rc.top << "," << data.rc.right << ","
                                               << data.rc.bottom;
  }
}

TEST_F(AppBarTest, AWindowsOwnMonitorAndBadRequests) {
  platform::detail::SetMonitorAreas({{{0, 0, 1600, 900}, {0, 0, 1600, 860}},
                                     {{1600, 0, 2880, 1024}, {1660, 0, 2880, 1024}}});
  HWND onSecond = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 1800, 100, 300, 200);
  APPBARDATA data{};
  data.cbSize = sizeof data;
  data.hWnd = onSecond;
  ASSERT_TRUE(SHAppBarMessage(ABM_GETTASKBARPOS, &data));
  EXPECT_EQ(data.uEdge, ABE_LEFT);
  EXPECT_EQ(data.rc.left, 1600);
  EXPECT_EQ(data.rc.right, 1660);
  data.hWnd = nullptr;
  ASSERT_TRUE(SHAppBarMessage(ABM_GETTASKBARPOS, &data));
  EXPECT_EQ(data.uEdge, ABE_BOTTOM) << "without a window: the primary monitor";

  EXPECT_FALSE(SHAppBarMessage(ABM_GETTASKBARPOS, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  data.cbSize = 8;
  EXPECT_FALSE(SHAppBarMessage(ABM_GETTASKBARPOS, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  data.cbSize = sizeof data;
  EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
