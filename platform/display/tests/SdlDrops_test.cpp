// Desktop file drops as SDL reports them, translated into WM_DROPFILES without a display.

#include "platform/display/SdlDrops.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/user/WinUser.h"

using platform::display::detail::DropPoint;
using platform::display::detail::DropTranslator;

namespace {

struct Received {
  std::vector<std::u16string> files;
  POINT point{};
};
std::vector<Received> g_received;

LRESULT AcceptingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    Received r;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      char16_t name[512];
      DragQueryFileW(drop, i, reinterpret_cast<LPWSTR>(name), 512);
      r.files.emplace_back(name);
    }
    DragQueryPoint(drop, &r.point);
    DragFinish(drop);
    g_received.push_back(r);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump() {
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

SDL_Event DropEvent(Uint32 type, const char* file = nullptr) {
  SDL_Event e{};
  e.type = type;
  e.drop.file = const_cast<char*>(file);
  return e;
}

class SdlDropsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    WNDCLASSW wc{};
    wc.lpfnWndProc = AcceptingProc;
    wc.lpszClassName = u"DropTarget";
    RegisterClassW(&wc);
    // A popup at (100,100) 200x100 that accepts files.
    m_target = CreateWindowExW(0, u"DropTarget", u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(m_target, nullptr);
    DragAcceptFiles(m_target, TRUE);
  }
  void TearDown() override {
    DestroyWindow(m_target);
    Pump();
  }
  HWND m_target = nullptr;
  DropTranslator m_drops;
};

TEST_F(SdlDropsTest, ABracketedDropArrivesAsOneMessage) {
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPBEGIN), {0, 0}));
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPFILE, "/home/u/Videos/trip.mp4"), {0, 0}));
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPFILE, "/home/u/Videos/Ärger 2.mkv"), {0, 0}));
  Pump();
  EXPECT_TRUE(g_received.empty()) << "nothing before the drop completes";
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPCOMPLETE), {130, 150}));
  Pump();
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].files, (std::vector<std::u16string>{u"/home/u/Videos/trip.mp4", u"/home/u/Videos/Ärger 2.mkv"}));
  EXPECT_EQ(g_received[0].point.x, 30);
  EXPECT_EQ(g_received[0].point.y, 50);
}

TEST_F(SdlDropsTest, LoneFilesEmptyDropsAndOtherEvents) {
  // A file without the begin/complete pair is a drop of its own.
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPFILE, "/tmp/a.vob"), {150, 150}));
  // A drop with no files, an unmatched complete, and an empty name bring nothing.
  m_drops.Take(DropEvent(SDL_DROPBEGIN), {150, 150});
  m_drops.Take(DropEvent(SDL_DROPFILE, ""), {150, 150});
  m_drops.Take(DropEvent(SDL_DROPCOMPLETE), {150, 150});
  EXPECT_TRUE(m_drops.Take(DropEvent(SDL_DROPCOMPLETE), {150, 150}));
  // Dropped text and other events are not file drops.
  EXPECT_FALSE(m_drops.Take(DropEvent(SDL_DROPTEXT, "some text"), {150, 150}));
  EXPECT_FALSE(m_drops.Take(DropEvent(SDL_MOUSEMOTION), {150, 150}));
  // Over no accepting window the drop is refused quietly.
  m_drops.Take(DropEvent(SDL_DROPFILE, "/tmp/b.vob"), {700, 700});
  Pump();
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].files, std::vector<std::u16string>{u"/tmp/a.vob"});
}

TEST(SdlDropPoint, ThePointerWhenOverTheWindowElseItsCentre) {
  const RECT window{100, 100, 300, 200};
  struct Case {
    POINT pointer, expected;
  };
  for (const Case& c : std::vector<Case>{{{150, 120}, {150, 120}}, {{100, 100}, {100, 100}},
                                         {{300, 150}, {200, 150}}, {{5, 5}, {200, 150}}}) {
    const POINT p = DropPoint(window, c.pointer);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
  }
}

}  // namespace
