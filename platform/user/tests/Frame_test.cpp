#include "platform/gdi/WinGdi.h"
#include "platform/testing/Pictures.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/InputSink.h"
#include "platform/user/Present.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/tests/UserTestSupport.h"
#include "platform/user/WindowManager.h"

using namespace usertest;
using platform::detail::InjectKey;
using platform::detail::InjectMouseButton;
using platform::detail::InjectMouseMove;
using platform::detail::MouseButton;

namespace {

struct Rgb {
  int r, g, b;
};

Rgb FramePixel(HWND hwnd, int x, int y) {
  platform::detail::WindowPixels px;
  EXPECT_TRUE(platform::detail::ReadWindowPixels(hwnd, true, &px));
  const uint32_t v = px.pixels.at(static_cast<size_t>(y) * px.width + x);
  return Rgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
}

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
std::ostream& operator<<(std::ostream& os, Rgb c) { return os << "rgb(" << c.r << "," << c.g << "," << c.b << ")"; }

void SaveWindowPng(HWND hwnd, const char* name) {
  platform::detail::WindowPixels px;
  ASSERT_TRUE(platform::detail::ReadWindowPixels(hwnd, true, &px));
  platform::testing::Image image{px.width, px.height, px.pixels};
  std::string error;
  EXPECT_TRUE(platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error)) << error;
}

// A whole press, moves and release, queued before the loop runs (the default loops read
// input already waiting in the queue).
void Drag(std::vector<POINT> path) {
  InjectMouseMove(path.front());
  InjectMouseButton(MouseButton::Left, true, path.front());
  for (size_t i = 1; i < path.size(); ++i) InjectMouseMove(path[i]);
  InjectMouseButton(MouseButton::Left, false, path.back());
}

class FrameTest : public UserTest {
 protected:
  // 300x200 at (100,100): sizing frame 4, caption 19, buttons 16x14 from y 6.
  HWND Overlapped(Handler handler = nullptr, DWORD extraStyle = 0) {
    return Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE | extraStyle, 100, 100, 300, 200, nullptr, std::move(handler));
  }
};

TEST_F(FrameTest, DefaultHitTesting) {
  HWND hwnd = Overlapped();
  struct Case {
    POINT at;  // window coordinates
    LRESULT hit;
  };
  const std::vector<Case> cases = {
      {{150, 10}, HTCAPTION},   {{285, 12}, HTCLOSE},  {{268, 12}, HTMAXBUTTON}, {{250, 12}, HTMINBUTTON},
      {{10, 12}, HTSYSMENU},    {{150, 100}, HTCLIENT}, {{1, 100}, HTLEFT},       {{298, 100}, HTRIGHT},
      {{150, 1}, HTTOP},        {{150, 198}, HTBOTTOM}, {{1, 1}, HTTOPLEFT},      {{298, 198}, HTBOTTOMRIGHT},
      {{400, 100}, HTNOWHERE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.at.x << "," << c.at.y);
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(100 + c.at.x, 100 + c.at.y)), c.hit);
  }
}

// The default hit test uses the client area the window's WM_NCCALCSIZE left: a child that
// keeps a button strip at its right gets HTNOWHERE there (no part of the frame), while its
// client edge stays HTBORDER and the narrowed client area HTCLIENT.
TEST_F(FrameTest, HitTestFollowsTheClientAreaTheWindowCalculated) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  Handler reserveStrip = [](HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg != WM_NCCALCSIZE) return false;
    RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    const RECT window = *r;
    *r = RECT{window.left + 2, window.top + 2, window.right - 2 - 16, window.bottom - 2};
    *result = 0;
    return true;
  };
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 100, 24, parent, reserveStrip, 0, WS_EX_CLIENTEDGE);
  struct Case {
    POINT at;  // child window coordinates
    LRESULT hit;
  };
  const std::vector<Case> cases = {
      {{20, 12}, HTCLIENT}, {{81, 12}, HTCLIENT}, {{82, 12}, HTNOWHERE}, {{97, 12}, HTNOWHERE},
      {{98, 12}, HTBORDER}, {{1, 12}, HTBORDER},  {{50, 0}, HTBORDER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.at.x << "," << c.at.y);
    EXPECT_EQ(SendMessageW(child, WM_NCHITTEST, 0, MAKELPARAM(110 + c.at.x, 110 + c.at.y)), c.hit);
  }
}

TEST_F(FrameTest, DefaultFramePainting) {
  HWND other = Create(WS_POPUP | WS_VISIBLE, 600, 600, 50, 50);
  HWND hwnd = Overlapped();
  SetWindowTextW(hwnd, u"Brantwell");
  Pump();
  SaveWindowPng(hwnd, "frame-active.png");
  const Rgb light{212, 208, 200}, white{255, 255, 255}, dark{64, 64, 64}, black{0, 0, 0};
  EXPECT_EQ(FramePixel(hwnd, 0, 0), light) << "raised outer edge";
  EXPECT_EQ(FramePixel(hwnd, 1, 1), white) << "raised inner edge";
  EXPECT_EQ(FramePixel(hwnd, 299, 199), dark);
  EXPECT_EQ(FramePixel(hwnd, 280, 8), light) << "close button face";
  EXPECT_EQ(FramePixel(hwnd, 282, 9), black) << "close glyph";
  const Rgb active = FramePixel(hwnd, 30, 4);
  EXPECT_GT(active.b, active.r + 50) << "active caption is blue: " << active;

  // Losing activation repaints the caption grey.
  SetActiveWindow(other);
  Pump();
  const Rgb inactive = FramePixel(hwnd, 30, 4);
  EXPECT_LT(std::abs(inactive.b - inactive.r), 20) << "inactive caption is grey: " << inactive;
  EXPECT_EQ(FramePixel(hwnd, 0, 0), light);
}

// Every repaint of the caption (activation going and coming, a new title) keeps the
// system-menu icon and the caption buttons, on dialog frames as on sizing frames.
TEST_F(FrameTest, CaptionRepaintsKeepIconAndButtons) {
  struct Case {
    const char* what;
    DWORD style, exStyle;
    POINT closeFace, closeGlyph, icon;  // window coordinates
  };
  // 300x200 at (100,100). Sizing frame 4: caption from y 4, close button x 280..296 y 6..20;
  // dialog frame 3: one pixel further out. The icon's white inside sits near (8,12).
  const std::vector<Case> cases = {
      {"sizing frame", WS_OVERLAPPEDWINDOW, 0, {280, 8}, {282, 9}, {8, 12}},
      {"dialog frame, close button only", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, {279, 7}, {284, 8},
       {7, 11}},
  };
  const Rgb face{212, 208, 200}, black{0, 0, 0}, white{255, 255, 255};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND other = Create(WS_POPUP | WS_VISIBLE, 600, 600, 50, 50);
    HWND hwnd = Create(c.style | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr, 0, c.exStyle);
    auto expectParts = [&](const char* when) {
      SCOPED_TRACE(when);
      Pump();
      EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(100 + c.closeFace.x, 100 + c.closeFace.y)), HTCLOSE);
      EXPECT_EQ(FramePixel(hwnd, c.closeFace.x, c.closeFace.y), face) << "close button face";
      EXPECT_EQ(FramePixel(hwnd, c.closeGlyph.x, c.closeGlyph.y), black) << "close glyph";
      EXPECT_EQ(FramePixel(hwnd, c.icon.x, c.icon.y), white) << "system-menu icon";
    };
    SetActiveWindow(hwnd);
    expectParts("active");
    SetActiveWindow(other);
    expectParts("after losing activation");
    SetActiveWindow(hwnd);
    expectParts("after regaining activation");
    SetWindowTextW(hwnd, u"A title long enough to reach the caption buttons of this window");
    expectParts("after a new title");
    SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
    expectParts("after a caption-only repaint");
    DestroyWindow(hwnd);
    DestroyWindow(other);
  }
}

TEST_F(FrameTest, DraggingTheCaptionMovesTheWindow) {
  HWND hwnd = Overlapped();
  Pump();
  ClearLog();
  Drag({{250, 110}, {300, 150}, {350, 190}});
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 180);
  EXPECT_EQ(r.right - r.left, 300);
  const auto seen = Messages(hwnd, {WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE});
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), WM_ENTERSIZEMOVE);
  EXPECT_EQ(seen[1], WM_MOVING);
  EXPECT_EQ(seen.back(), WM_EXITSIZEMOVE);
  EXPECT_EQ(GetCapture(), nullptr);

  // Escape puts it back where the drag began.
  InjectMouseMove({250, 190});
  InjectMouseButton(MouseButton::Left, true, {350, 190});
  InjectMouseMove({500, 400});
  InjectKey(VK_ESCAPE, true);
  InjectKey(VK_ESCAPE, false);
  InjectMouseButton(MouseButton::Left, false, {500, 400});
  Pump();
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 180);
}

TEST_F(FrameTest, DraggingAnEdgeSizesTheWindowWithinItsLimits) {
  Handler limits = [](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_GETMINMAXINFO) return false;
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = POINT{250, 150};
    *result = 0;
    return true;
  };
  struct Case {
    const char* what;
    POINT from, to;
    RECT expected;
  };
  const std::vector<Case> cases = {
      {"bottom-right corner grows", {398, 298}, {448, 328}, {100, 100, 450, 330}},
      {"left edge stops at the minimum width", {101, 200}, {201, 200}, {150, 100, 400, 300}},
      {"top edge grows upwards", {250, 101}, {250, 51}, {100, 50, 400, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Overlapped(limits);
    Pump();
    ClearLog();
    Drag({c.from, c.to});
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(Messages(hwnd, {WM_ENTERSIZEMOVE}).size(), 1u);
    EXPECT_FALSE(Messages(hwnd, {WM_SIZING}).empty());
    DestroyWindow(hwnd);
  }
}

TEST_F(FrameTest, ArrowKeysMoveAndSizeInTheLoops) {
  struct Case {
    const char* what;
    POINT press;  // on the caption or an edge of the window at (100,100) 300x200
    std::vector<int> keys;
    RECT expected;
  };
  const std::vector<Case> cases = {
      {"caption: right twice, down, Enter", {250, 110}, {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN}, {116, 108, 416, 308}},
      {"caption: Escape puts it back", {250, 110}, {VK_LEFT, VK_UP, VK_ESCAPE}, {100, 100, 400, 300}},
      {"bottom-right corner: left, up, Enter", {398, 298}, {VK_LEFT, VK_UP, VK_RETURN}, {100, 100, 392, 292}},
      {"right edge: up and down do nothing", {398, 200}, {VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, {100, 100, 408, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Overlapped();
    Pump();
    InjectMouseMove(c.press);
    InjectMouseButton(MouseButton::Left, true, c.press);
    for (int key : c.keys) {
      InjectKey(key, true);
      InjectKey(key, false);
    }
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(GetCapture(), nullptr) << "the loop ended with the key";
    // The button comes up after the loop ended: nothing moves any more.
    InjectMouseButton(MouseButton::Left, false, c.press);
    Pump();
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_TRUE(EqualRect(&after, &r));
    DestroyWindow(hwnd);
  }

  // A mouse move after the keys carries on from where they left the window.
  HWND hwnd = Overlapped();
  Pump();
  InjectMouseMove({250, 110});
  InjectMouseButton(MouseButton::Left, true, {250, 110});
  InjectKey(VK_RIGHT, true);
  InjectKey(VK_RIGHT, false);
  InjectMouseMove({260, 110});
  InjectMouseButton(MouseButton::Left, false, {260, 110});
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 118);
  EXPECT_EQ(r.top, 100);
}

TEST_F(FrameTest, CaptionButtonsActOnRelease) {
  HWND hwnd = Overlapped();
  Pump();
  // Pressed on close, released elsewhere: nothing happens.
  Drag({{385, 112}, {200, 250}});
  Pump();
  EXPECT_TRUE(IsWindow(hwnd));
  Drag({{350, 112}, {350, 112}});  // minimise
  Pump();
  EXPECT_TRUE(IsIconic(hwnd));
  ShowWindow(hwnd, SW_RESTORE);
  Pump();
  Drag({{385, 112}, {385, 112}});  // close
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(FrameTest, ScrollBarTracking) {
  struct Request {
    WORD code;
    int pos;
    int trackPos;
  };
  static std::vector<Request> requests;
  requests.clear();
  static int tableReads;
  tableReads = 0;
  // A replacement in the function table sees the scroll calls the tracking makes.
  platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().GetScrollInfo = [](HWND h, int bar, SCROLLINFO* info) {
    ++tableReads;
    return platform::OriginalUserFunctions().GetScrollInfo(h, bar, info);
  };
  Handler scroller = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg != WM_VSCROLL) return false;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, SB_VERT, &info);
    requests.push_back({LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam)), info.nTrackPos});
    if (LOWORD(wParam) == SB_THUMBPOSITION) SetScrollPos(hwnd, SB_VERT, static_cast<SHORT>(HIWORD(wParam)), TRUE);
    *result = 0;
    return true;
  };
  HWND hwnd = Overlapped(scroller, WS_VSCROLL);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
  SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
  Pump();
  SaveWindowPng(hwnd, "frame-scrollbar.png");

  // The bar lies at x 279..296, y 23..196 of the window: arrows of 17, thumb of 13 at 40.
  Drag({{387, 145}, {387, 175}, {387, 208}});
  Pump();
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests.front().code, SB_THUMBTRACK);
  EXPECT_EQ(requests.front().trackPos, requests.front().pos) << "SIF_TRACKPOS follows the thumb";
  const Request& position = requests[requests.size() - 2];
  EXPECT_EQ(position.code, SB_THUMBPOSITION);
  EXPECT_EQ(position.pos, 46);
  EXPECT_EQ(requests.back().code, SB_ENDSCROLL);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 46);
  EXPECT_GT(tableReads, 0);

  struct Case {
    const char* what;
    POINT at;
    WORD code;
  };
  const std::vector<Case> cases = {
      {"down arrow", {387, 290}, SB_LINEDOWN},
      {"up arrow", {387, 130}, SB_LINEUP},
      {"track above the thumb", {387, 150}, SB_PAGEUP},
      {"track below the thumb", {387, 270}, SB_PAGEDOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    requests.clear();
    Drag({c.at, c.at});
    Pump();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].code, c.code);
    EXPECT_EQ(requests[1].code, SB_ENDSCROLL);
  }

  // Held down, an arrow repeats as the clock moves.
  requests.clear();
  InjectMouseMove({387, 290});
  InjectMouseButton(MouseButton::Left, true, {387, 290});
  PostMessageW(hwnd, WM_NULL, 0, 0);
  MSG msg;
  int guard = 0;
  // Run the loop by hand: advance the clock from inside it through a timer of our own.
  SetTimer(hwnd, 77, 10, [](HWND h, UINT, UINT_PTR, DWORD) {
    static int ticks = 0;
    platform::detail::AdvanceManualClock(100);
    if (++ticks == 10) {
      ticks = 0;
      KillTimer(h, 77);
      InjectMouseButton(MouseButton::Left, false, {387, 290});
    }
  });
  platform::detail::AdvanceManualClock(20);
  while (guard++ < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  int lines = 0;
  for (auto& r : requests) lines += r.code == SB_LINEDOWN;
  EXPECT_GT(lines, 1) << "the arrow repeated";
  EXPECT_EQ(requests.back().code, SB_ENDSCROLL);
  platform::UserFunctions() = saved;
}

// The default WM_NCPAINT paints exactly the region it is given: a caller painting some parts
// of the frame itself hands over the rest, which need not be a rectangle.
TEST_F(FrameTest, NcPaintKeepsToTheRegionItself) {
  HWND hwnd = Overlapped();
  Pump();
  HDC dc = GetWindowDC(hwnd);
  RECT all{0, 0, 300, 200};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &all, green);
  DeleteObject(green);
  ReleaseDC(hwnd, dc);
  // Two corners of the frame, in screen coordinates: their bounding box is the whole top.
  HRGN region = CreateRectRgn(100, 100, 110, 110);
  HRGN right = CreateRectRgn(390, 100, 400, 110);
  CombineRgn(region, region, right, RGN_OR);
  DeleteObject(right);
  SendMessageW(hwnd, WM_NCPAINT, reinterpret_cast<WPARAM>(region), 0);
  DeleteObject(region);
  const Rgb greenPixel{0, 255, 0};
  EXPECT_FALSE(FramePixel(hwnd, 2, 2) == greenPixel) << "inside the left corner the frame is painted";
  EXPECT_FALSE(FramePixel(hwnd, 297, 2) == greenPixel) << "inside the right corner too";
  EXPECT_EQ(FramePixel(hwnd, 150, 2), greenPixel) << "between the corners nothing is painted";
  EXPECT_EQ(FramePixel(hwnd, 150, 100), greenPixel) << "the client area is never painted";
}

// The default loops repaint the frame by sending WM_NCPAINT, so a window that paints its own
// frame keeps it while a caption button or a scroll arrow is held.
TEST_F(FrameTest, MouseLoopsRepaintTheFrameThroughTheWindow) {
  static int ncPaints;
  ncPaints = 0;
  Handler ownFrame = [](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* result) {
    if (msg == WM_VSCROLL) {
      *result = 0;
      return true;
    }
    if (msg != WM_NCPAINT) return false;
    ++ncPaints;
    HDC dc = GetWindowDC(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &r, magenta);
    DeleteObject(magenta);
    ReleaseDC(hwnd, dc);
    *result = 0;
    return true;
  };
  const Rgb magenta{255, 0, 255};
  struct Case {
    const char* what;
    POINT press, release;
    POINT probe;  // window coordinates of the part held down
  };
  const std::vector<Case> cases = {
      {"close button, released elsewhere", {385, 112}, {200, 250}, {285, 12}},
      {"scroll arrow", {387, 290}, {387, 290}, {287, 190}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Overlapped(ownFrame, WS_VSCROLL);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    Pump();
    ncPaints = 0;
    Drag({c.press, c.release});
    Pump();
    EXPECT_GE(ncPaints, 2) << "pressed and released";
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(FramePixel(hwnd, c.probe.x, c.probe.y), magenta) << "the default frame never painted over it";
    DestroyWindow(hwnd);
  }
}

}  // namespace

namespace {

TEST_F(FrameTest, ScrollInfoShowsANeededBarAndHidesOrDisablesOneThatIsNot) {
  struct Case {
    const char* what;
    int min, max;
    UINT page, extraMask;
    bool shown;
    UINT disabledArrows;
  };
  const Case cases[] = {
      {"page leaves part out", 0, 100, 10, 0, true, ESB_ENABLE_BOTH},
      {"page covers the range", 0, 99, 100, 0, false, ESB_ENABLE_BOTH},
      {"empty range", 0, 0, 0, 0, false, ESB_ENABLE_BOTH},
      {"no page, a range", 0, 5, 0, 0, true, ESB_ENABLE_BOTH},
      {"covered, kept disabled", 0, 99, 100, SIF_DISABLENOSCROLL, true, ESB_DISABLE_BOTH},
      {"needed again, enabled", 0, 100, 10, SIF_DISABLENOSCROLL, true, ESB_ENABLE_BOTH},
      {"covered again, hidden", 0, 50, 60, 0, false, ESB_ENABLE_BOTH},
  };
  HWND hwnd = Overlapped(nullptr, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | c.extraMask, c.min, c.max, c.page, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    EXPECT_EQ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL) != 0, c.shown);
    EXPECT_EQ(platform::detail::GetWindowPtr(hwnd)->vscroll.disabledArrows, c.disabledArrows);
  }
  // A position alone never shows or hides the bar.
  SetScrollPos(hwnd, SB_VERT, 3, TRUE);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL, 0);
}

}  // namespace
