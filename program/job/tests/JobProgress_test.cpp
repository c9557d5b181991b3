#include "program/job/JobProgress.h"

#include <gtest/gtest.h>

#include "platform/testing/Synthetic.h"

namespace {

namespace pt = platform::testing;

TEST(JobProgressTest, AuthoringReportsAsPercent) {
  struct Case {
    WPARAM wParam;
    int percent;
  } cases[] = {{0, 0}, {1, 1}, {50, 50}, {100, 100}, {101, 1}, {199, 1}, {5000, 50}, {9999, 99}, {10000, 100},
               {250000, 100}};
  for (const Case& c : cases) EXPECT_EQ(AuthoringPercent(c.wParam), c.percent) << c.wParam;
}

TEST(JobProgressTest, WritingPositionsAsPercentHalvesToEven) {
  struct Case {
    int32_t pos, max;
    int percent;
  } cases[] = {{0, 10000, 0},    {50, 10000, 0},     {150, 10000, 2},     {250, 10000, 2},  {251, 10000, 3},
               {5000, 10000, 50}, {9950, 10000, 100}, {10000, 10000, 100}, {12000, 10000, 100},
               {-5, 10000, 0},   {3, 0, 0},          {1, 3, 33}};
  for (const Case& c : cases) EXPECT_EQ(WritingPercent(c.pos, c.max), c.percent) << c.pos << "/" << c.max;
}

// A window that hands its WM_TIMER messages to the bar under test.
TEraseProgress* g_bar = nullptr;
LRESULT BarWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && g_bar && g_bar->Timer(wParam)) return 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class EraseBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = BarWindowProc;
      wc.lpszClassName = u"EraseBarTestWindow";
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    m_window = CreateWindowExW(0, u"EraseBarTestWindow", u"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(m_window, nullptr);
    pt::UseManualClock(true);
  }
  void TearDown() override {
    g_bar = nullptr;
    pt::UseManualClock(false);
    DestroyWindow(m_window);
  }
  // Lets `ticks` periods of the erase timer pass, one at a time.
  static void Tick(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      pt::AdvanceClock(TEraseProgress::kIntervalMs);
      ASSERT_TRUE(pt::RunUntilIdle());
    }
  }

  HWND m_window = nullptr;
};

// The bar fills in 100 steps of 300 ms however long the erase takes, and stops there.
TEST_F(EraseBarTest, FillsInThirtySecondsThenStops) {
  std::vector<int> shown;
  TEraseProgress bar(m_window, [&](int position) { shown.push_back(position); });
  g_bar = &bar;
  bar.Start();
  EXPECT_EQ(shown, std::vector<int>{0});
  Tick(1);
  EXPECT_EQ(bar.Position(), 1);
  pt::AdvanceClock(TEraseProgress::kIntervalMs - 1);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(bar.Position(), 1);  // not yet a whole period
  Tick(98);
  EXPECT_EQ(bar.Position(), 99);
  EXPECT_TRUE(bar.Running());
  Tick(1);
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_FALSE(bar.Running());
  Tick(10);  // the erase goes on; the bar stays full and its timer is gone
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_EQ(shown.size(), 101u);
  bar.Finish();  // the erase's end: still full
  EXPECT_EQ(bar.Position(), 100);
}

TEST_F(EraseBarTest, AnEarlyEndJumpsToFull) {
  std::vector<int> shown;
  TEraseProgress bar(m_window, [&](int position) { shown.push_back(position); });
  g_bar = &bar;
  bar.Start();
  Tick(10);
  EXPECT_EQ(bar.Position(), 10);
  bar.Finish();
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_FALSE(bar.Running());
  const size_t count = shown.size();
  Tick(5);
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_EQ(shown.size(), count);
  EXPECT_FALSE(bar.Timer(4100));  // another timer of the window is not the bar's
}

}  // namespace
