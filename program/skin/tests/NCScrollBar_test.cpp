// The skinned non-client scroll bars on the headless window manager, with the default skin:
// geometry and hit testing, arrow auto-repeat on the manual clock, thumb and size-grip drags
// from synthetic input, the ways a drag ends, the window property's life, and the picture.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <filesystem>
#include <memory>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/kernel/SysInfo.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/FunctionTable.h"
#include "program/skin/NCScrollBar.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"

using namespace skin_test;
namespace ui = platform::testing;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

const fs::path kSkinFolder = fs::path(BRANTWELL_BIN_DIR) / "Skin" / "Default";

// What the scrolled window saw: each scroll message with the position its wParam carries
// and the track position GetScrollInfo reported while handling it.
struct ScrollEvent {
  UINT msg;
  int code;
  int wParamPos;
  int trackPos;
};
std::vector<ScrollEvent> g_events;
// Run one by one at each SB_THUMBTRACK: the next step of a gesture, fed while the drag's
// own loop runs (consecutive mouse moves would coalesce if queued at once).
std::vector<std::function<void()>> g_onTrack;

// A window that scrolls as a list would: lines by 1, pages by the page, the thumb to the
// position it was dropped at.
LRESULT ScrolledProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_HSCROLL || msg == WM_VSCROLL) {
    const int bar = msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(wnd, bar, &info);
    const int code = LOWORD(wParam);
    g_events.push_back({msg, code, HIWORD(wParam), info.nTrackPos});
    int pos = info.nPos;
    switch (code) {
      case SB_LINEUP: pos -= 1; break;
      case SB_LINEDOWN: pos += 1; break;
      case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
      case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
      case SB_THUMBPOSITION: pos = info.nTrackPos; break;
      case SB_THUMBTRACK:
        if (!g_onTrack.empty()) {
          auto step = g_onTrack.front();
          g_onTrack.erase(g_onTrack.begin());
          step();
        }
        break;
      default: break;
    }
    SetScrollPos(wnd, bar, pos, TRUE);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

const std::vector<ScrollEvent> Only(UINT msg, int code) {
  std::vector<ScrollEvent> out;
  for (const auto& e : g_events)
    if (e.msg == msg && e.code == code) out.push_back(e);
  return out;
}

class NCScrollBarTest : public SkinFixture {
 protected:
  void SetUp() override {
    SkinFixture::SetUp();
    ASSERT_TRUE(fs::exists(kSkinFolder / "Controls.xml")) << kSkinFolder << " holds no skin: build brantwell_resources";
    SkinEngine->SetSkinPath(kSkinFolder.string());
    WNDCLASSW wc{};
    wc.lpfnWndProc = ScrolledProc;
    wc.lpszClassName = u"NCScrollBarTest";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    RegisterClassW(&wc);
    g_events.clear();
    g_onTrack.clear();
  }
  void TearDown() override {
    bars.reset();
    if (wnd && IsWindow(wnd)) DestroyWindow(wnd);
    ui::RunUntilIdle();
    ui::UseManualClock(false);
    DoneApplication();
    SkinFixture::TearDown();
  }
  // A borderless window at (100, 100) whose vertical bar is `height` long.
  HWND MakeWindow(DWORD bars_, int width, int height, int min = 0, int max = 99, UINT page = 10, int pos = 0) {
    wnd = CreateWindowExW(0, u"NCScrollBarTest", u"", WS_POPUP | WS_VISIBLE | bars_, 100, 100, width, height, nullptr,
                          nullptr, nullptr, nullptr);
    for (int bar : {SB_HORZ, SB_VERT}) {
      // Setting a range shows the bar it needs, so only the bars asked for get one.
      if (!(bars_ & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))) continue;
      SCROLLINFO info{sizeof info, SIF_ALL, min, max, page, pos, 0};
      SetScrollInfo(wnd, bar, &info, FALSE);
    }
    return wnd;
  }
  void Attach(bool ownThumbDrag = true) {
    bars = std::make_unique<TNCScrollBar>(nullptr, SkinEngine);
    bars->AttachWindow(wnd, ownThumbDrag);
    ui::RunUntilIdle();
  }
  // A point on the vertical bar, `along` pixels from its top (screen).
  POINT OnVertBar(int along) {
    bars->UpdateLayout();
    const TRect r = bars->BarRect(1);
    return ui::ScreenPoint(wnd, (r.Left + r.Right) / 2, r.Top + along, true);
  }

  HWND wnd = nullptr;
  std::unique_ptr<TNCScrollBar> bars;
};

TEST_F(NCScrollBarTest, ThumbGeometryFollowsRangePageAndPosition) {
  // A 234-pixel vertical bar: two 17-pixel arrows and a 200-pixel track.
  MakeWindow(WS_VSCROLL, 100, 234);
  Attach();
  struct Case {
    int min, max;
    UINT page;
    int pos;
    int thumbSize, thumbPos;
    bool enabled;
  };
  const Case cases[] = {
      {0, 99, 10, 45, 20, 90, true},    // MulDiv(45, 180, 90)
      {0, 99, 10, 90, 20, 180, true},   // the last position puts the thumb at the track's end
      {0, 99, 1, 0, 16, 0, true},       // a tiny page still gets a 16-pixel thumb
      {0, 99, 0, 50, 17, 92, true},     // no page: the minimal thumb, MulDiv(50, 183, 100)
      {0, 99, 100, 0, 199, 0, true},    // all visible: still enabled, one pixel short
      {10, 10, 0, 10, 17, 0, true},     // a single position
  };
  for (const auto& c : cases) {
    SCROLLINFO info{sizeof info, SIF_ALL, c.min, c.max, c.page, c.pos, 0};
    SetScrollInfo(wnd, SB_VERT, &info, FALSE);
    ShowScrollBar(wnd, SB_VERT, TRUE);  // kept shown where the page covers the range
    bars->UpdateLayout();
    bars->CalcBarGeometry(1);
    const auto& g = bars->Geometry(1);
    EXPECT_EQ(g.TrackLength, 200);
    EXPECT_EQ(g.ThumbSize, c.thumbSize) << c.page << " " << c.pos;
    EXPECT_EQ(g.ThumbPos, c.thumbPos) << c.page << " " << c.pos;
    EXPECT_EQ(g.Enabled, c.enabled);
  }

  // Hit testing along the bar at nPos 45: arrow, page, thumb (90..110 after the arrow), page,
  // arrow, beyond.
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 99, 10, 45, 0};
  SetScrollInfo(wnd, SB_VERT, &info, FALSE);
  bars->CalcBarGeometry(1);
  const std::pair<int, int> hits[] = {{0, SB_LINEUP},       {16, SB_LINEUP},     {17, SB_PAGEUP},   {106, SB_PAGEUP},
                                      {107, SB_THUMBTRACK}, {126, SB_THUMBTRACK}, {127, SB_PAGEDOWN}, {216, SB_PAGEDOWN},
                                      {217, SB_LINEDOWN},   {233, SB_LINEDOWN},  {234, -1}};
  for (auto [along, code] : hits) EXPECT_EQ(bars->HitTestBar(along, 1), code) << along;
}

// Scroll information from outside the range must not push the thumb out of its track.
BOOL g_reportedPos = 0;
BOOL (*g_realGetScrollInfo)(HWND, int, SCROLLINFO*) = nullptr;
BOOL OutOfRangeGetScrollInfo(HWND wnd, int bar, SCROLLINFO* info) {
  const BOOL result = g_realGetScrollInfo(wnd, bar, info);
  if (result && (info->fMask & SIF_POS)) info->nPos = g_reportedPos;
  return result;
}

TEST_F(NCScrollBarTest, ThumbStaysInsideTheTrackAndShortBarsSplitBetweenTheArrows) {
  MakeWindow(WS_VSCROLL, 100, 234);
  Attach();
  auto& table = platform::UserFunctions();
  g_realGetScrollInfo = table.GetScrollInfo.Load();
  table.GetScrollInfo = OutOfRangeGetScrollInfo;
  for (auto [reported, expected] : {std::pair{500, 180}, {-50, 0}, {45, 90}}) {
    g_reportedPos = reported;
    bars->UpdateLayout();
    bars->CalcBarGeometry(1);
    EXPECT_EQ(bars->Geometry(1).ThumbPos, expected) << reported;
  }
  table.GetScrollInfo = g_realGetScrollInfo;

  // Shorter than two arrows: each arrow takes half, no track, no thumb.
  SetWindowPos(wnd, nullptr, 0, 0, 100, 30, SWP_NOMOVE | SWP_NOZORDER);
  bars->UpdateLayout();
  bars->CalcBarGeometry(1);
  EXPECT_EQ(bars->Geometry(1).TrackLength, 0);
  EXPECT_EQ(bars->Geometry(1).ThumbSize, 0);
  EXPECT_EQ(bars->Geometry(1).ArrowHitSize, 15);
  EXPECT_EQ(bars->HitTestBar(14, 1), SB_LINEUP);
  EXPECT_EQ(bars->HitTestBar(15, 1), SB_LINEDOWN);
  EXPECT_EQ(bars->HitTestBar(30, 1), -1);
}

TEST_F(NCScrollBarTest, HeldArrowRepeatsAfterTheBlinkTimeThenEvery50Ms) {
  ui::Watchdog watchdog(60s);
  ui::UseManualClock(true);
  MakeWindow(WS_VSCROLL, 100, 234, 0, 99, 10, 0);
  Attach();
  const POINT downArrow = OnVertBar(225);
  ui::MouseDown(downArrow);
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 1u) << "one line at once";
  EXPECT_EQ(bars->PressedPart(), TNCScrollBar::DownArrow);
  const UINT blink = GetCaretBlinkTime();
  ui::AdvanceClock(blink - 1);
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 1u);
  ui::AdvanceClock(1);
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 2u) << "the next after the caret blink time";
  for (int i = 0; i < 3; ++i) {
    ui::AdvanceClock(49);
    ui::RunUntilIdle();
    EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 2u + i);
    ui::AdvanceClock(1);
    ui::RunUntilIdle();
    EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 3u + i) << "then one every 50 ms";
  }
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 5);
  ui::MouseUp(downArrow);
  ui::RunUntilIdle();
  ui::AdvanceClock(500);
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_LINEDOWN).size(), 5u) << "the release stops the repeat";
  EXPECT_EQ(bars->PressedPart(), TNCScrollBar::None);

  // A page press repeats the same way, and leaving the bars stops it.
  g_events.clear();
  ui::MouseDown(OnVertBar(150));
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_PAGEDOWN).size(), 1u);
  ui::MouseMove(ui::ScreenPoint(wnd, 20, 20));
  ui::RunUntilIdle();
  ui::AdvanceClock(1000);
  ui::RunUntilIdle();
  EXPECT_EQ(Only(WM_VSCROLL, SB_PAGEDOWN).size(), 1u);
}

TEST_F(NCScrollBarTest, ThumbDragReportsTrackPositionsAndEndsAtTheLastPosition) {
  ui::Watchdog watchdog(60s);
  MakeWindow(WS_VSCROLL, 100, 234, 0, 99, 10, 0);
  Attach();
  const POINT thumb = OnVertBar(17 + 10);  // the thumb's middle at position 0
  auto at = [&](int dy) { return POINT{thumb.x, thumb.y + dy}; };
  g_onTrack = {[&] { ui::MouseMove(at(60)); }, [&] { ui::MouseMove(at(90)); }, [&] { ui::MouseUp(at(90)); }};
  ui::MouseDown(thumb);
  ui::MouseMove(at(30));
  ui::RunUntilIdle();
  const auto tracks = Only(WM_VSCROLL, SB_THUMBTRACK);
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(tracks[0].wParamPos, 15);  // 30 of 180 pixels
  EXPECT_EQ(tracks[1].wParamPos, 30);
  EXPECT_EQ(tracks[2].wParamPos, 45);
  for (const auto& t : tracks) EXPECT_EQ(t.trackPos, t.wParamPos) << "GetScrollInfo agrees with the message";
  const auto ends = Only(WM_VSCROLL, SB_THUMBPOSITION);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].wParamPos, 45);
  EXPECT_EQ(Only(WM_VSCROLL, SB_ENDSCROLL).size(), 1u);
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 45);
  EXPECT_FALSE(bars->ThumbDragging());
  EXPECT_EQ(GetCapture(), nullptr);

  // Past the end the drag stops at nMax - nPage + 1; positions above 16 bits are exact
  // through GetScrollInfo.
  g_events.clear();
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 199999, 1000, 0, 0};
  SetScrollInfo(wnd, SB_VERT, &info, FALSE);
  g_onTrack = {[&] { ui::MouseMove(at(400)); }, [&] { ui::MouseUp(at(400)); }};
  ui::MouseDown(thumb);
  ui::MouseMove(at(91));
  ui::RunUntilIdle();
  const auto far = Only(WM_VSCROLL, SB_THUMBTRACK);
  ASSERT_EQ(far.size(), 2u);
  EXPECT_EQ(far[0].trackPos, MulDiv(91, 199000, 200 - 16)) << "above 65535, where the message's 16 bits wrap";
  EXPECT_EQ(far[1].trackPos, 199000);
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 199000);
}

TEST_F(NCScrollBarTest, WithoutItsOwnDragTheWindowManagerTracksAndTheBarsFollow) {
  ui::Watchdog watchdog(60s);
  MakeWindow(WS_VSCROLL, 100, 234, 0, 99, 10, 0);
  Attach(false);
  const POINT thumb = OnVertBar(27);
  ui::Drag(thumb, POINT{thumb.x, thumb.y + 90}, 1);
  ui::RunUntilIdle();
  const auto tracks = Only(WM_VSCROLL, SB_THUMBTRACK);
  ASSERT_FALSE(tracks.empty());
  EXPECT_GT(tracks.back().trackPos, 0);
  EXPECT_EQ(Only(WM_VSCROLL, SB_ENDSCROLL).size(), 1u);
  EXPECT_FALSE(bars->Tracking());
  EXPECT_EQ(bars->PressedPart(), TNCScrollBar::None);
  EXPECT_GT(GetScrollPos(wnd, SB_VERT), 0);
}

TEST_F(NCScrollBarTest, QuitDuringADragEndsItAndIsPostedAgain) {
  ui::Watchdog watchdog(60s);
  MakeWindow(WS_VSCROLL, 100, 234);
  Attach();
  const POINT thumb = OnVertBar(27);
  g_onTrack = {[] { PostQuitMessage(7); }};
  ui::MouseDown(thumb);
  ui::MouseMove(POINT{thumb.x, thumb.y + 30});
  MSG msg{};
  bool quit = false;
  for (int i = 0; i < 1000 && !quit; ++i) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) quit = true;
    else DispatchMessageW(&msg);
  }
  ASSERT_TRUE(quit) << "the quit reaches the outer loop";
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(bars->ThumbDragging());
  EXPECT_EQ(Only(WM_VSCROLL, SB_THUMBTRACK).size(), 1u);
  EXPECT_EQ(Only(WM_VSCROLL, SB_ENDSCROLL).size(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(NCScrollBarTest, LosingTheCaptureOrTheWindowEndsADrag) {
  ui::Watchdog watchdog(60s);
  MakeWindow(WS_VSCROLL, 100, 234);
  Attach();
  const POINT thumb = OnVertBar(27);
  // The capture goes elsewhere: the drag ends without a release.
  g_onTrack = {[] { ReleaseCapture(); }};
  ui::MouseDown(thumb);
  ui::MouseMove(POINT{thumb.x, thumb.y + 30});
  ui::RunUntilIdle();
  EXPECT_FALSE(bars->ThumbDragging());
  EXPECT_EQ(Only(WM_VSCROLL, SB_THUMBTRACK).size(), 1u);
  EXPECT_EQ(Only(WM_VSCROLL, SB_ENDSCROLL).size(), 1u);
  ui::MouseUp(thumb);
  ui::RunUntilIdle();

  // The window goes: the drag ends and the painter lets the handle go.
  g_events.clear();
  SetScrollPos(wnd, SB_VERT, 0, FALSE);
  g_onTrack = {[this] { DestroyWindow(wnd); }};
  ui::MouseDown(thumb);
  ui::MouseMove(POINT{thumb.x, thumb.y + 30});
  ui::RunUntilIdle();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(bars->ThumbDragging());
  EXPECT_EQ(bars->Handle(), nullptr);
  ui::MouseUp(thumb);
  ui::RunUntilIdle();
}

TEST_F(NCScrollBarTest, SizeGridBelowALoneVerticalBarResizesTheWindowUntilEscape) {
  ui::Watchdog watchdog(60s);
  MakeWindow(WS_VSCROLL, 120, 234);
  Attach();
  bars->SetAddSizeGrid(true);
  bars->UpdateLayout();
  const TRect vert = bars->BarRect(1), box = bars->SizeBoxRect();
  EXPECT_TRUE(bars->SizeBoxShown());
  EXPECT_EQ(box, TRect(vert.Left, 234 - 17, vert.Right, 234));
  EXPECT_EQ(vert.Bottom, box.Top) << "the bar gives up its bottom square";
  bars->CalcBarGeometry(1);
  EXPECT_EQ(bars->Geometry(1).TrackLength, 234 - 17 - 34);

  const POINT grip = ui::ScreenPoint(wnd, box.Left + 8, box.Top + 8, true);
  ui::Drag(grip, POINT{grip.x + 30, grip.y + 20}, 2);
  ui::RunUntilIdle();
  RECT r{};
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 254);

  // Escape stops at the size reached.
  const POINT grip2{grip.x + 30, grip.y + 20};
  ui::MouseDown(grip2);
  ui::MouseMove(POINT{grip2.x + 10, grip2.y + 10});
  ui::KeyPress(VK_ESCAPE);
  ui::MouseMove(POINT{grip2.x + 40, grip2.y + 40});
  ui::MouseUp(POINT{grip2.x + 40, grip2.y + 40});
  ui::RunUntilIdle();
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.right - r.left, 160);
  EXPECT_EQ(r.bottom - r.top, 264);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(NCScrollBarTest, TheWindowPropertyNeverOutlivesItsRecord) {
  MakeWindow(WS_VSCROLL, 100, 234);
  auto first = std::make_unique<TNCScrollBar>(nullptr, SkinEngine);
  first->AttachWindow(wnd, true);
  EXPECT_EQ(GetScrollHookInfo(wnd), &first->HookInfo());
  // A second painter takes the window over with its own record; freeing the first must not
  // take the second's property away.
  auto second = std::make_unique<TNCScrollBar>(nullptr, SkinEngine);
  second->AttachWindow(wnd, true);
  EXPECT_EQ(GetScrollHookInfo(wnd), &second->HookInfo());
  first.reset();
  EXPECT_EQ(GetScrollHookInfo(wnd), &second->HookInfo());
  // Freed while the window lives: no property is left, and the scroll functions work on.
  second.reset();
  EXPECT_EQ(GetScrollHookInfo(wnd), nullptr);
  EXPECT_EQ(SetScrollPos(wnd, SB_VERT, 5, TRUE), 0);
  ui::RunUntilIdle();

  auto third = std::make_unique<TNCScrollBar>(nullptr, SkinEngine);
  third->AttachWindow(wnd, true);
  third->Detach();
  EXPECT_EQ(GetScrollHookInfo(wnd), nullptr) << "detaching removes it";
  third->AttachWindow(wnd, true);
  EXPECT_EQ(GetScrollHookInfo(wnd), &third->HookInfo());
  DestroyWindow(wnd);
  EXPECT_EQ(third->Handle(), nullptr) << "WM_NCDESTROY lets the window go";
  third.reset();
}

TEST_F(NCScrollBarTest, AControlsRecreatedWindowIsRegisteredAgain) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  auto* box = new TCustomControl(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 120, 100);
  HWND first = box->Handle();
  SetWindowLongPtrW(first, GWL_STYLE, GetWindowLongPtrW(first, GWL_STYLE) | WS_VSCROLL);
  auto scroll = std::make_unique<TNCScrollBar>(box, SkinEngine);
  scroll->AttachControl(box, false);
  EXPECT_EQ(GetScrollHookInfo(first), &scroll->HookInfo());
  box->RecreateWnd();
  HWND second = box->Handle();
  ASSERT_NE(second, first);
  box->Perform(WM_NULL);  // any message lets the painter see the new handle
  EXPECT_EQ(scroll->Handle(), second);
  EXPECT_EQ(GetScrollHookInfo(second), &scroll->HookInfo());
  scroll.reset();
  EXPECT_EQ(GetScrollHookInfo(second), nullptr);
  box->Perform(WM_NULL);  // the control's own procedure is back
  delete form;
}

TEST_F(NCScrollBarTest, SkinnedBarsAndSizeBoxAreDrawnFromTheSkin) {
  MakeWindow(WS_VSCROLL | WS_HSCROLL | WS_THICKFRAME, 220, 160, 0, 99, 30, 20);
  Attach();
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  ui::RunUntilIdle();
  bars->UpdateLayout();
  const auto image = ui::ReadWindow(wnd, true);
  const auto out = fs::path(BRANTWELL_TEST_BIN_DIR) / "skin-fixtures" / "ncscrollbar.png";
  fs::create_directories(out.parent_path());
  std::string error;
  EXPECT_TRUE(ui::SavePng(image, out.string(), &error)) << error;

  // No pixel of the bars or the size box shows the classic button face.
  const uint32_t classicFace = ColorToRGB(clBtnFace);
  const uint32_t face = ((classicFace & 0xFF) << 16) | (classicFace & 0xFF00) | ((classicFace >> 16) & 0xFF);
  int classic = 0, drawn = 0;
  for (const TRect& r : {bars->BarRect(0), bars->BarRect(1), bars->SizeBoxRect()})
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        ++drawn;
        if ((image.At(x, y) & 0xFFFFFF) == face) ++classic;
      }
  EXPECT_GT(drawn, 0);
  EXPECT_EQ(classic, 0);

  // Hovering the thumb lights it: the picture of the bar changes.
  bars->CalcBarGeometry(1);
  const int thumbMiddle = 17 + bars->Geometry(1).ThumbPos + bars->Geometry(1).ThumbSize / 2;
  ui::MouseMove(OnVertBar(thumbMiddle));
  ui::RunUntilIdle();
  EXPECT_EQ(bars->HotPart(), TNCScrollBar::VertThumb);
  const auto hot = ui::ReadWindow(wnd, true);
  const TRect v = bars->BarRect(1);
  bool changed = false;
  for (int y = v.Top; y < v.Bottom && !changed; ++y)
    for (int x = v.Left; x < v.Right && !changed; ++x) changed = hot.At(x, y) != image.At(x, y);
  EXPECT_TRUE(changed);
  EXPECT_TRUE(ui::SavePng(hot, (out.parent_path() / "ncscrollbar-hot.png").string(), &error)) << error;
  ui::MouseMove(ui::ScreenPoint(wnd, 10, 10));
  ui::RunUntilIdle();
  EXPECT_EQ(bars->HotPart(), TNCScrollBar::None);
}

}  // namespace
