#include "platform/gdi/WinGdi.h"
#include "platform/user/Present.h"
#include "platform/user/tests/UserTestSupport.h"

using namespace usertest;
using platform::detail::ReadWindowPixels;
using platform::detail::WindowPixels;

namespace {

constexpr uint32_t Pixel(int r, int g, int b) { return (static_cast<uint32_t>(r) << 16) | (g << 8) | b; }
constexpr uint32_t kRed = Pixel(255, 0, 0), kBlue = Pixel(0, 0, 255), kGreen = Pixel(0, 255, 0);

uint32_t At(HWND hwnd, int x, int y, bool withFrame = false) {
  WindowPixels px;
  EXPECT_TRUE(ReadWindowPixels(hwnd, withFrame, &px));
  if (x < 0 || y < 0 || x >= px.width || y >= px.height) return 0xFFFFFFFF;
  return px.pixels[static_cast<size_t>(y) * px.width + x];
}

void FillClient(HWND hwnd, COLORREF color) {
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
}

// A handler that paints the update area in one colour.
Handler Painter(COLORREF color) {
  return [color](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* result) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH brush = CreateSolidBrush(color);
    RECT all;
    GetClientRect(hwnd, &all);
    FillRect(dc, &all, brush);  // the paint DC itself keeps this to the update area
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    *result = 0;
    return true;
  };
}

class PaintingTest : public UserTest {};

TEST_F(PaintingTest, PaintGoesOnlyToInvalidWindows) {
  HWND top = Create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 200, 100);
  HWND left = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
  HWND right = Create(WS_CHILD | WS_VISIBLE, 100, 0, 50, 50, top);
  Pump();
  struct Case {
    const char* what;
    HWND invalidate;
    RECT area;
    std::vector<HWND> painted;
  };
  const std::vector<Case> cases = {
      {"nothing invalid", nullptr, {}, {}},
      {"one child", left, {0, 0, 10, 10}, {left}},
      {"the parent only (it clips its children)", top, {60, 60, 70, 70}, {top}},
      {"an empty rectangle", right, {5, 5, 5, 5}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.invalidate) InvalidateRect(c.invalidate, &c.area, FALSE);
    ClearLog();
    Pump();
    std::vector<HWND> painted;
    for (auto [hwnd, msg] : WindowMessages({WM_PAINT})) painted.push_back(hwnd);
    EXPECT_EQ(painted, c.painted);
  }
}

TEST_F(PaintingTest, ChildClippingFollowsTheStyles) {
  struct Case {
    const char* what;
    DWORD parentStyle;
    DWORD childStyle;
    uint32_t childAfterParentFill;
    uint32_t lowerSiblingUnderUpper;
  };
  const std::vector<Case> cases = {
      {"parent clips children, siblings clip", WS_CLIPCHILDREN, WS_CLIPSIBLINGS, kBlue, kBlue},
      {"parent draws over children, siblings overlap", 0, 0, kRed, kGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND top = Create(WS_POPUP | WS_VISIBLE | c.parentStyle, 0, 0, 200, 200);
    HWND upper = Create(WS_CHILD | WS_VISIBLE | c.childStyle, 10, 10, 50, 50, top);
    HWND lower = Create(WS_CHILD | WS_VISIBLE | c.childStyle, 40, 40, 50, 50, top);
    SetWindowPos(lower, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump();
    FillClient(upper, RGB(0, 0, 255));
    FillClient(top, RGB(255, 0, 0));
    EXPECT_EQ(At(upper, 5, 5), c.childAfterParentFill);
    FillClient(upper, RGB(0, 0, 255));
    FillClient(lower, RGB(0, 255, 0));
    // (45,45) in the parent is inside both children; the upper one covers it.
    EXPECT_EQ(At(upper, 35, 35), c.lowerSiblingUnderUpper);
    EXPECT_EQ(At(lower, 40, 40), kGreen) << "the lower sibling's own part";
    DestroyWindow(top);
  }
}

TEST_F(PaintingTest, BeginPaintErasesWithTheClassBrushAndClipsToTheUpdate) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = u"PaintingWhiteClass";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(5 + 1));  // the window colour
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, u"PaintingWhiteClass", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  m_windows.push_back(hwnd);
  Pump();
  EXPECT_EQ(At(hwnd, 50, 50), Pixel(255, 255, 255)) << "erased with the system window colour";

  FillClient(hwnd, RGB(0, 0, 255));
  Handlers()[hwnd] = Painter(RGB(255, 0, 0));
  RECT area{10, 10, 20, 20};
  InvalidateRect(hwnd, &area, FALSE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &area));
  ClearLog();
  Pump();
  EXPECT_EQ(Messages(hwnd, {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_PAINT})) << "no erase was asked for";
  EXPECT_EQ(At(hwnd, 15, 15), kRed);
  EXPECT_EQ(At(hwnd, 25, 25), kBlue) << "outside the update region nothing changes";
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));

  // An update region by HRGN, read back and validated in part.
  HRGN region = CreateRectRgn(0, 0, 30, 30);
  HRGN part = CreateRectRgn(0, 0, 30, 10);
  InvalidateRgn(hwnd, region, TRUE);
  ValidateRgn(hwnd, part);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(hwnd, out, FALSE), SIMPLEREGION);
  RECT box;
  GetRgnBox(out, &box);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(box.bottom, 30);
  for (HRGN r : {region, part, out}) DeleteObject(r);
  ClearLog();
  Pump();
  EXPECT_EQ(Messages(hwnd, {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND})) << "BeginPaint erases";
}

TEST_F(PaintingTest, SetRedrawFalseStopsInvalidation) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Pump();
  SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));
}

TEST_F(PaintingTest, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Pump();
  FillClient(hwnd, RGB(0, 0, 255));
  HDC dc = GetDC(hwnd);
  RECT band{0, 20, 100, 30};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &band, red);
  DeleteObject(red);
  ReleaseDC(hwnd, dc);
  RECT uncovered;
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ScrollWindowEx(hwnd, 0, -10, nullptr, nullptr, update, &uncovered, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(At(hwnd, 50, 15), kRed) << "the band moved up by 10";
  EXPECT_EQ(At(hwnd, 50, 25), kBlue);
  const RECT expected{0, 90, 100, 100};
  EXPECT_TRUE(EqualRect(&uncovered, &expected));
  RECT pending;
  EXPECT_TRUE(GetUpdateRect(hwnd, &pending, FALSE));
  EXPECT_TRUE(EqualRect(&pending, &expected));
  DeleteObject(update);
}

TEST_F(PaintingTest, WindowRegionClipsPaintingAndHitTesting) {
  HWND below = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND shaped = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Pump();
  EXPECT_EQ(GetWindowRgn(shaped, CreateRectRgn(0, 0, 0, 0)), ERROR) << "no shape yet";
  ASSERT_TRUE(SetWindowRgn(shaped, CreateRectRgn(50, 0, 100, 100), TRUE));
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(shaped, copy), SIMPLEREGION);
  RECT box;
  GetRgnBox(copy, &box);
  EXPECT_EQ(box.left, 50);
  DeleteObject(copy);
  Pump();
  FillClient(shaped, RGB(255, 0, 0));
  EXPECT_EQ(At(shaped, 75, 50), kRed);
  EXPECT_NE(At(shaped, 25, 50), kRed) << "outside the shape the window draws nothing";
  EXPECT_EQ(WindowFromPoint(POINT{75, 50}), shaped);
  EXPECT_EQ(WindowFromPoint(POINT{25, 50}), below) << "the shape's hole shows the window below";
}

TEST_F(PaintingTest, LayeredAttributesNeedTheLayeredStyle) {
  HWND plain = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  HWND layered = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, 0, WS_EX_LAYERED);
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 128, LWA_ALPHA));
  EXPECT_TRUE(SetLayeredWindowAttributes(layered, 0, 128, LWA_ALPHA));
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(layered, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, LWA_ALPHA);
}

// Records what the display would be handed.
struct RecordingPresenter : platform::detail::Presenter {
  std::vector<std::vector<platform::detail::PresentedWindow>> calls;
  void Present(const std::vector<platform::detail::PresentedWindow>& list) override {
    calls.push_back(list);
    for (auto& p : calls.back()) p.pixels = {};
  }
};

TEST_F(PaintingTest, ChangedAreasAreHandedToTheDisplayOncePerPass) {
  RecordingPresenter presenter;
  auto* previous = platform::detail::SetPresenter(&presenter);
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 10, 20, 100, 100, nullptr, nullptr, 0, WS_EX_LAYERED);
  SetLayeredWindowAttributes(hwnd, 0, 100, LWA_ALPHA);
  Pump();
  ASSERT_FALSE(presenter.calls.empty());
  const auto& first = presenter.calls.back();
  auto mine = std::find_if(first.begin(), first.end(), [&](auto& p) { return p.hwnd == hwnd; });
  ASSERT_NE(mine, first.end());
  EXPECT_EQ(mine->screenRect.left, 10);
  EXPECT_EQ(mine->alpha, 100);
  EXPECT_TRUE(mine->moved);

  presenter.calls.clear();
  Pump();
  EXPECT_TRUE(presenter.calls.empty()) << "nothing changed, nothing handed over";

  HDC dc = GetDC(hwnd);
  RECT r{5, 5, 10, 10};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  dc = GetDC(hwnd);
  ReleaseDC(hwnd, dc);
  Pump();
  ASSERT_EQ(presenter.calls.size(), 1u);
  mine = std::find_if(presenter.calls[0].begin(), presenter.calls[0].end(), [&](auto& p) { return p.hwnd == hwnd; });
  ASSERT_NE(mine, presenter.calls[0].end());
  EXPECT_FALSE(mine->moved);
  EXPECT_FALSE(mine->dirty.empty());

  presenter.calls.clear();
  ShowWindow(hwnd, SW_HIDE);
  Pump();
  ASSERT_EQ(presenter.calls.size(), 1u);
  EXPECT_TRUE(std::none_of(presenter.calls[0].begin(), presenter.calls[0].end(), [&](auto& p) { return p.hwnd == hwnd; }));
  platform::detail::SetPresenter(previous);
}

TEST_F(PaintingTest, PrintDrawsTheWindowAndItsChildrenIntoAnotherDc) {
  Handler parentPaint = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg != WM_PRINTCLIENT) return false;
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
    DeleteObject(brush);
    *result = 0;
    return true;
  };
  Handler childPaint = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg != WM_PRINTCLIENT) return false;
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
    DeleteObject(brush);
    *result = 0;
    return true;
  };
  HWND top = Create(WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 100, 100, nullptr, parentPaint);
  Create(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, top, childPaint);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 100);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN);
  EXPECT_EQ(GetPixel(memory, 0, 0), RGB(0, 0, 0)) << "the one-pixel border";
  EXPECT_EQ(GetPixel(memory, 50, 50), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(memory, 1 + 10 + 5, 1 + 10 + 5), RGB(0, 255, 0)) << "the child at its place in the client";
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace

namespace {

class GetDCExTest : public UserTest {};

// The clip region of GetDCEx is in screen coordinates, whatever the DC's origin: the region a
// WM_NCPAINT hands over goes straight on, together with the two bits frame painters add.
TEST_F(GetDCExTest, ClipRegionIsReadInScreenCoordinates) {
  struct Case {
    const char* what;
    DWORD flags;
    bool clientArea;
    POINT inside, outside;  // window (or client) coordinates
  };
  // The window is at (100,100) with a one-pixel border; the region is the screen square
  // (120,130)-(140,150).
  const std::vector<Case> cases = {
      {"window DC, intersect", DCX_WINDOW | DCX_CACHE | DCX_INTERSECTRGN, false, {25, 35}, {5, 5}},
      {"window DC, intersect, extra bits", DCX_WINDOW | DCX_CACHE | DCX_INTERSECTRGN | 0x10000 | 0x40000, false, {25, 35},
       {50, 50}},
      {"window DC, exclude", DCX_WINDOW | DCX_CACHE | DCX_EXCLUDERGN, false, {5, 5}, {25, 35}},
      {"client DC, intersect", DCX_CACHE | DCX_INTERSECTRGN, true, {24, 34}, {5, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Create(WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100, 100, 100);
    Pump();
    FillClient(hwnd, RGB(0, 0, 255));
    HRGN region = CreateRectRgn(120, 130, 140, 150);
    HDC dc = GetDCEx(hwnd, region, c.flags);
    ASSERT_NE(dc, nullptr);
    RECT all{-10, -10, 200, 200};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);
    ReleaseDC(hwnd, dc);
    DeleteObject(region);
    EXPECT_EQ(At(hwnd, c.inside.x, c.inside.y, !c.clientArea), kRed);
    EXPECT_NE(At(hwnd, c.outside.x, c.outside.y, !c.clientArea), kRed);
    DestroyWindow(hwnd);
  }
}

}  // namespace
