// The progress bar: range, position and step messages with their results, the marquee that
// runs on its timer and stops with its style, and the blocks it draws.

#include <gtest/gtest.h>

#include "ControlTestWindow.h"
#include "platform/comctl/Progress.h"
#include "platform/user/SystemParams.h"

namespace {

using namespace platform;
using platform::testing::Image;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override { parent = comctltest::StartParentWindow(u"ProgressTestParent", ParentProc, 0, 0, 300, 100); }
  void TearDown() override { comctltest::StopParentWindow(parent); }
  HWND Make(DWORD style) {
    return CreateWindowExW(0, PROGRESS_CLASSW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 20, parent, nullptr,
                           nullptr, nullptr);
  }
  LRESULT Send(HWND bar, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(bar, msg, w, l); }
  // Highlight pixels along the middle row of the bar.
  int Lit(HWND bar) {
    platform::testing::RunUntilIdle();
    const Image image = platform::testing::ReadWindow(bar);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const uint32_t bgr = (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
    int count = 0;
    for (int x = 0; x < image.width; ++x) count += (image.At(x, image.height / 2) & 0xFFFFFF) == bgr;
    return count;
  }
  HWND parent = nullptr;
};

TEST_F(ProgressTest, RangePositionAndStepAnswerAsDocumented) {
  HWND bar = Make(0);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Send(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELONG(0, 100));
  PBRANGE range{};
  EXPECT_EQ(Send(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 10);
  EXPECT_EQ(range.iHigh, 50);
  EXPECT_EQ(Send(bar, PBM_GETRANGE, FALSE), 50);
  EXPECT_EQ(Send(bar, PBM_GETPOS), 10) << "the position follows the range";
  struct Step {
    UINT msg;
    WPARAM w;
    LRESULT answer;
    int after;
  } steps[] = {
      {PBM_SETPOS, 30, 10, 30},   {PBM_SETPOS, 90, 30, 50},    {PBM_DELTAPOS, static_cast<WPARAM>(-45), 50, 10},
      {PBM_SETSTEP, 15, 10, 10},  {PBM_STEPIT, 0, 10, 25},     {PBM_STEPIT, 0, 25, 40},
      {PBM_STEPIT, 0, 40, 15},  // past the end it starts over
  };
  for (const Step& s : steps) {
    EXPECT_EQ(Send(bar, s.msg, s.w), s.answer) << s.msg;
    EXPECT_EQ(Send(bar, PBM_GETPOS), s.after) << s.msg;
  }
  EXPECT_EQ(Send(bar, PBM_SETRANGE32, static_cast<WPARAM>(-5), 1000), MAKELONG(10, 50));
  EXPECT_EQ(Send(bar, PBM_GETRANGE, TRUE), -5);
}

TEST_F(ProgressTest, BlocksFillWithThePositionAndASmoothBarFillsExactly) {
  HWND blocks = Make(0);
  HWND smooth = Make(PBS_SMOOTH);
  EXPECT_EQ(Lit(blocks), 0);
  Send(blocks, PBM_SETPOS, 50);
  Send(smooth, PBM_SETPOS, 50);
  const int half = Lit(smooth);
  EXPECT_NEAR(half, 98, 2) << "half of the 196 pixels inside the edge";
  EXPECT_GT(Lit(blocks), 60);
  EXPECT_LT(Lit(blocks), half + 1) << "blocks leave gaps";
  Send(smooth, PBM_SETPOS, 100);
  EXPECT_EQ(Lit(smooth), 196);
}

TEST_F(ProgressTest, TheMarqueeRunsOnItsTimerAndStopsWithItsStyle) {
  HWND bar = Make(PBS_MARQUEE);
  Send(bar, PBM_SETMARQUEE, TRUE, 50);
  std::vector<int> lastLit;
  for (int i = 0; i < 6; ++i) {
    platform::testing::AdvanceClock(50);
    const Image image = (platform::testing::RunUntilIdle(), platform::testing::ReadWindow(bar));
    int last = -1;
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const uint32_t bgr = (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
    for (int x = 0; x < image.width; ++x)
      if ((image.At(x, image.height / 2) & 0xFFFFFF) == bgr) last = x;
    lastLit.push_back(last);
  }
  EXPECT_GT(Lit(bar), 0);
  EXPECT_LT(lastLit.front(), lastLit.back()) << "the group moves";
  // Switched off by style: the bar shows its position again (none).
  SetWindowLongPtrW(bar, GWL_STYLE, GetWindowLongPtrW(bar, GWL_STYLE) & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  SetWindowPos(bar, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  platform::testing::AdvanceClock(200);
  EXPECT_EQ(Lit(bar), 0);
}

}  // namespace
