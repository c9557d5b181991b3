// The classic default frame, drawn by DefWindowProc for WM_NCPAINT and WM_PRINT: border,
// sizing or dialog frame, caption with its gradient, system-menu icon, title and caption
// buttons, client edge, window scroll bars and the size box.

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/ClassicColors.h"
#include "platform/user/DrawControls.h"
#include "platform/user/FrameParts.h"
#include "platform/user/InputState.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform::detail {

FrameStyle FrameStyleOf(const Window* w);  // WindowPos.cpp
HDC GetFrameDC(HWND hwnd);                  // WindowDC.cpp
PixelRegion RegionFromHandle(HRGN region);
HRGN RegionToHandle(const PixelRegion& region);

using namespace classic;

namespace {

void Line(HDC dc, int left, int top, int right, int bottom, int color) {
  RECT r{left, top, right, bottom};
  if (right > left && bottom > top) FillRect(dc, &r, Brush(color));
}

void Fill(HDC dc, const RECT& r, int color) {
  if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, Brush(color));
}

bool NotEmpty(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

COLORREF Mix(COLORREF a, COLORREF b, int step, int steps) {
  auto channel = [&](int shift) {
    const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    return static_cast<COLORREF>(ca + (cb - ca) * step / std::max(1, steps)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void DrawCaptionBackground(HDC dc, const RECT& r, bool active) {
  const COLORREF from = Color(active ? kActiveCaption : kInactiveCaption);
  const COLORREF to = Color(active ? kGradientActiveCaption : kGradientInactiveCaption);
  const int width = r.right - r.left;
  // Bands of a few pixels keep the gradient cheap and smooth enough.
  for (int x = 0; x < width; x += 4) {
    HBRUSH brush = CreateSolidBrush(Mix(from, to, x, width));
    RECT band{r.left + x, r.top, std::min(r.right, r.left + x + 4), r.bottom};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
}

// A generic application glyph for windows without an icon of their own.
void DrawSystemIcon(HDC dc, const RECT& r) {
  const int size = std::min(r.right - r.left, r.bottom - r.top);
  if (size < 8) return;
  const int left = r.left + (r.right - r.left - size) / 2 + 1, top = r.top + (r.bottom - r.top - size) / 2 + 1;
  RECT body{left, top + 1, left + size - 2, top + size - 3};
  Fill(dc, body, kWindowFrame);
  RECT inside{body.left + 1, body.top + 1, body.right - 1, body.bottom - 1};
  Fill(dc, inside, kWindow);
  RECT title{inside.left, inside.top, inside.right, inside.top + 3};
  Fill(dc, title, kActiveCaption);
}

}  // namespace

// Caption buttons and scroll bar arrows are push buttons: raised, or sunken while held.
void DrawRaisedButton(HDC dc, const RECT& r, bool pressed) {
  RECT face = r;
  if (pressed) DrawEdge(dc, &face, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_SOFT);
  else DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

// Paints the frame into `dc`, whose origin is the window's top-left.
void PaintNonClientInto(HWND hwnd, HDC dc) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  FrameStyle style;
  RECT rect;
  std::u16string title;
  bool active;
  ScrollBarState hscroll, vscroll;
  PressedParts pressed;
  {
    UserGuard guard(UserLock());
    style = FrameStyleOf(w.get());
    rect = w->rect;
    title = w->text;
    Window* top = TopLevelOf(w.get());
    active = Input().active == top->handle;
    hscroll = w->hscroll;
    vscroll = w->vscroll;
    pressed = Pressed();
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const FrameLayout l = ComputeFrameLayout(style, width, height);
  const RECT box{0, 0, width, height};
  SavedDcState saved(dc);
  ExcludeClipRect(dc, l.client.left, l.client.top, l.client.right, l.client.bottom);

  // The frame itself.
  if (l.frame >= 3) {
    Fill(dc, box, active ? kActiveBorder : kInactiveBorder);
    RECT inner = box;
    DrawEdge(dc, &inner, EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (l.sizing || (style.style & WS_THICKFRAME)) {
      // The inner part of a sizing frame is face-coloured like the rest of the border.
      for (int i = 2; i < l.frame && NotEmpty(inner); ++i) {
        FrameRect(dc, &inner, Brush(kButtonFace));
        InflateRect(&inner, -1, -1);
      }
    }
  } else if (l.frame > 0) {
    Fill(dc, box, kWindowFrame);
  }

  // The caption.
  if (NotEmpty(l.caption)) {
    DrawCaptionBackground(dc, l.caption, active);
    Line(dc, l.caption.left, l.caption.bottom, l.caption.right, l.caption.bottom + 1, kButtonFace);
    int textLeft = l.caption.left + 2;
    if (NotEmpty(l.sysMenu)) {
      DrawSystemIcon(dc, l.sysMenu);
      textLeft = l.sysMenu.right + 2;
    }
    int textRight = l.caption.right - 2;
    for (const RECT* b : {&l.minButton, &l.helpButton, &l.maxButton, &l.closeButton})
      if (NotEmpty(*b)) textRight = std::min<int>(textRight, b->left - 2);
    if (!title.empty() && textRight > textLeft) {
      const bool tool = (style.exStyle & WS_EX_TOOLWINDOW) != 0;
      const OwnedGdiObject<HFONT> font(
          CreateFontW(tool ? -10 : -11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma"));
      const SelectedObject selectedFont(dc, font.get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, Color(active ? kCaptionText : kInactiveCaptionText));
      RECT text{textLeft, l.caption.top, textRight, l.caption.bottom};
      DrawTextW(dc, reinterpret_cast<LPCWSTR>(title.c_str()), static_cast<int>(title.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    auto button = [&](const RECT& r, LRESULT hit, UINT glyph, bool disabled) {
      if (!NotEmpty(r)) return;
      const bool down = pressed.captionWindow == hwnd && pressed.captionHit == hit;
      DrawRaisedButton(dc, r, down);
      DrawCaptionGlyph(dc, r, glyph, (down ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    };
    button(l.closeButton, HTCLOSE, DFCS_CAPTIONCLOSE, false);
    button(l.maxButton, HTMAXBUTTON, (style.style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX,
           !(style.style & WS_MAXIMIZEBOX));
    button(l.minButton, HTMINBUTTON, (style.style & WS_MINIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN,
           !(style.style & WS_MINIMIZEBOX));
    button(l.helpButton, HTHELP, DFCS_CAPTIONHELP, false);
  }
  if (NotEmpty(l.menuBar)) Fill(dc, l.menuBar, kMenuBar);

  // The sunken client edge around the client area and its scroll bars.
  if (l.clientEdge > 0) {
    RECT edge{l.client.left, l.client.top, l.client.right, l.client.bottom};
    for (const RECT* bar : {&l.vscroll, &l.hscroll}) {
      if (!NotEmpty(*bar)) continue;
      UnionRect(&edge, &edge, bar);
    }
    InflateRect(&edge, l.clientEdge, l.clientEdge);
    DrawEdge(dc, &edge, l.clientEdge >= 2 ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
  }

  auto bar = [&](const RECT& r, bool vertical, const ScrollBarState& state, int which) {
    if (!NotEmpty(r)) return;
    const ScrollGeometry g = ComputeScrollGeometry(r, vertical, state);
    const ScrollPart part = pressed.scrollWindow == hwnd && pressed.scrollBar == which ? pressed.scrollPart : ScrollPart::None;
    DrawScrollBar(dc, g, state, part);
  };
  bar(l.vscroll, true, vscroll, SB_VERT);
  bar(l.hscroll, false, hscroll, SB_HORZ);
  if (NotEmpty(l.sizeBox)) Fill(dc, l.sizeBox, kButtonFace);
}

// WM_NCPAINT: `region` is 1 (or 0) for the whole frame, or a region in screen coordinates to
// which the painting keeps exactly, so a caller can paint parts of the frame itself and leave
// the rest to this.
void DefaultNcPaint(HWND hwnd, HRGN region) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  HDC dc = GetFrameDC(hwnd);
  if (!dc) return;
  RECT box;
  if (reinterpret_cast<uintptr_t>(region) > 1 && GetRgnBox(region, &box) != ERROR) {
    RECT screen;
    {
      UserGuard guard(UserLock());
      screen = WindowRectOnScreen(w.get());
    }
    PixelRegion area = RegionFromHandle(region);
    area.Offset(-screen.left, -screen.top);
    const OwnedGdiObject<HRGN> clip(RegionToHandle(area));
    ExtSelectClipRgn(dc, clip.get(), RGN_AND);
  }
  PaintNonClientInto(hwnd, dc);
  ReleaseDC(hwnd, dc);
}

// The frame's parts change while a mouse loop runs: the window is asked to paint its frame,
// so a window that draws its own frame and scroll bars keeps doing so.
void RepaintFrameNow(HWND hwnd) { SendMessageW(hwnd, WM_NCPAINT, 1, 0); }

PressedParts& Pressed() {
  static PressedParts parts;
  return parts;
}

}  // namespace platform::detail
