// The animation control: opening the program's clip, playing it on the clock, the parent's
// notifications, centring and transparency.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ControlTestWindow.h"
#include "platform/comctl/Animate.h"
#include "platform/testing/Pictures.h"
#include "platform/user/Resources.h"

namespace {

using platform::ACM_ISPLAYING;
using platform::ACM_OPENA;
using platform::ACM_OPENW;
using platform::ACM_PLAY;
using platform::ACM_STOP;

std::vector<WORD> g_notifications;
HBRUSH g_parentBrush = nullptr;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && lParam) g_notifications.push_back(HIWORD(wParam));
  if (msg == WM_CTLCOLORSTATIC && g_parentBrush) return reinterpret_cast<LRESULT>(g_parentBrush);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class AnimateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The program compiles its clip in; the test registers the same file.
    std::ifstream in(std::filesystem::path(BRANTWELL_SOURCE_DIR) / "resources/embedded/FindFolder.png", std::ios::binary);
    static const std::vector<uint8_t> clip{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(clip.empty());
    platform::RegisterEmbeddedResource(RT_RCDATA, u"FindFolder", clip.data(), clip.size());
  }
  void SetUp() override {
    parent_ = comctltest::StartParentWindow(u"AnimateTestParent", ParentProc, 0, 0, 300, 200);
    g_notifications.clear();
  }
  void TearDown() override {
    if (g_parentBrush) DeleteObject(g_parentBrush);
    g_parentBrush = nullptr;
    comctltest::StopParentWindow(parent_);
  }
  HWND Make(DWORD style, int width = 100, int height = 80) {
    return CreateWindowExW(0, platform::ANIMATE_CLASSW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                           parent_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  }
  static int Frame(HWND animate) { return platform::detail::AnimateCurrentFrame(animate); }

  HWND parent_ = nullptr;
};

TEST_F(AnimateTest, PlaysTheClipFrameByFrameAndReportsStartAndStop) {
  HWND animate = Make(platform::ACS_CENTER);
  EXPECT_EQ(Frame(animate), -1);
  ASSERT_TRUE(SendMessageW(animate, ACM_OPENW, 0, reinterpret_cast<LPARAM>(u"FindFolder")));
  EXPECT_EQ(Frame(animate), 0);
  EXPECT_FALSE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));

  // Twice through frames 2 to 5, then it stops on the last frame.
  ASSERT_TRUE(SendMessageW(animate, ACM_PLAY, 2, MAKELONG(2, 5)));
  EXPECT_TRUE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));
  EXPECT_EQ(g_notifications, std::vector<WORD>{platform::ACN_START});
  std::vector<int> seen = {Frame(animate)};
  for (int i = 0; i < 8; ++i) {
    platform::testing::AdvanceClock(80);
    platform::testing::RunUntilIdle();
    seen.push_back(Frame(animate));
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 2, 3, 4, 5, 5}));
  EXPECT_FALSE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));
  EXPECT_EQ(g_notifications, (std::vector<WORD>{platform::ACN_START, platform::ACN_STOP}));

  // A seek shows one frame without playing; ACM_STOP ends an endless play.
  SendMessageW(animate, ACM_PLAY, 1, MAKELONG(9, 9));
  EXPECT_EQ(Frame(animate), 9);
  EXPECT_FALSE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));
  SendMessageW(animate, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
  for (int i = 0; i < 20; ++i) {
    platform::testing::AdvanceClock(80);
    platform::testing::RunUntilIdle();
  }
  EXPECT_EQ(Frame(animate), 20 % 16);
  SendMessageW(animate, ACM_STOP, 0, 0);
  EXPECT_FALSE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));

  // Closing forgets the clip; a name that is no clip opens nothing.
  EXPECT_FALSE(SendMessageW(animate, ACM_OPENW, 0, 0));
  EXPECT_EQ(Frame(animate), -1);
  EXPECT_FALSE(SendMessageA(animate, ACM_OPENA, 0, reinterpret_cast<LPARAM>("NoSuchClip")));
  EXPECT_FALSE(SendMessageW(animate, ACM_PLAY, 1, MAKELONG(0, 0xFFFF)));
}

TEST_F(AnimateTest, AutoPlayStartsOnOpenAndASizedControlTakesTheFrameSize) {
  HWND animate = Make(platform::ACS_AUTOPLAY, 300, 300);
  ASSERT_TRUE(SendMessageA(animate, ACM_OPENA, 0, reinterpret_cast<LPARAM>("FindFolder")));
  EXPECT_TRUE(SendMessageW(animate, ACM_ISPLAYING, 0, 0));
  RECT client{};
  GetClientRect(animate, &client);
  EXPECT_EQ(client.right, 48);
  EXPECT_EQ(client.bottom, 40);
  platform::testing::AdvanceClock(80 * 3);
  platform::testing::RunUntilIdle();
  EXPECT_GT(Frame(animate), 0);
  DestroyWindow(animate);
  // Destroying a playing control stops it; the parent hears that.
  EXPECT_EQ(g_notifications.back(), platform::ACN_STOP);
}

TEST_F(AnimateTest, TransparentClipsShowTheParentsBrushAroundACentredFrame) {
  g_parentBrush = CreateSolidBrush(RGB(0, 160, 0));
  HWND transparent = Make(platform::ACS_CENTER | platform::ACS_TRANSPARENT, 100, 80);
  ASSERT_TRUE(SendMessageW(transparent, ACM_OPENW, 0, reinterpret_cast<LPARAM>(u"FindFolder")));
  platform::testing::RunUntilIdle();
  InvalidateRect(transparent, nullptr, TRUE);
  UpdateWindow(transparent);
  const auto image = platform::testing::ReadWindow(transparent);
  ASSERT_EQ(image.width, 100);
  EXPECT_EQ(image.At(2, 2) & 0xFFFFFF, 0x00A000u);  // outside the frame
  EXPECT_EQ(image.At(26 + 10, 20 + 2) & 0xFFFFFF, 0x00A000u);  // a clear pixel of the frame
  // The folder's body lies in the middle of the centred frame.
  const uint32_t folder = image.At(26 + 20, 20 + 32) & 0xFFFFFF;
  EXPECT_NE(folder, 0x00A000u);
  EXPECT_GT((folder >> 16) & 0xFF, 0xC0u);  // warm yellow: much red
}

}  // namespace
