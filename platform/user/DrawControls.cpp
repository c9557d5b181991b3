// DrawEdge, DrawFrameControl and DrawFocusRect with the classic look.

#include "platform/user/DrawControls.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"

namespace platform::detail {

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

namespace {

void HLine(HDC dc, int x0, int x1, int y, COLORREF c) { FillSolid(dc, RECT{x0, y, x1, y + 1}, c); }
void VLine(HDC dc, int x, int y0, int y1, COLORREF c) { FillSolid(dc, RECT{x, y0, x + 1, y1}, c); }

// One ring of an edge: the top-left pair first, the bottom-right pair over the corners.
void DrawRing(HDC dc, const RECT& r, UINT sides, COLORREF topLeft, COLORREF bottomRight) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (sides & BF_TOP) HLine(dc, r.left, r.right - 1, r.top, topLeft);
  if (sides & BF_LEFT) VLine(dc, r.left, r.top, r.bottom - 1, topLeft);
  if (sides & BF_BOTTOM) HLine(dc, r.left, r.right, r.bottom - 1, bottomRight);
  if (sides & BF_RIGHT) VLine(dc, r.right - 1, r.top, r.bottom, bottomRight);
}

void Shrink(RECT& r, UINT sides) {
  if (sides & BF_LEFT) ++r.left;
  if (sides & BF_TOP) ++r.top;
  if (sides & BF_RIGHT) --r.right;
  if (sides & BF_BOTTOM) --r.bottom;
}

}  // namespace

void DrawArrowGlyph(HDC dc, const RECT& rect, UINT direction, COLORREF color) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const int size = std::max(1, (std::min(w, h) - 1) / 4);  // rows of the triangle
  const int cx = rect.left + w / 2, cy = rect.top + h / 2;
  const int start = -size / 2;  // first row (or column) relative to the centre
  for (int i = 0; i < size; ++i) {
    // Row i of a triangle whose tip is row 0 is 2i+1 pixels long.
    const int growing = i, shrinking = size - 1 - i;
    switch (direction) {
      case DFCS_SCROLLUP: HLine(dc, cx - growing, cx + growing + 1, cy + start + i, color); break;
      case DFCS_SCROLLDOWN: case DFCS_SCROLLCOMBOBOX:
        HLine(dc, cx - shrinking, cx + shrinking + 1, cy + start + i, color);
        break;
      case DFCS_SCROLLLEFT: VLine(dc, cx + start + i, cy - growing, cy + growing + 1, color); break;
      case DFCS_SCROLLRIGHT: VLine(dc, cx + start + i, cy - shrinking, cy + shrinking + 1, color); break;
      default: break;
    }
  }
}

void DrawCaptionGlyph(HDC dc, const RECT& button, UINT kind, UINT state) {
  const int width = button.right - button.left, height = button.bottom - button.top;
  const int size = std::max(4, std::min(width, height) - 6);
  int left = button.left + (width - size) / 2, top = button.top + (height - size) / 2;
  if (state & DFCS_PUSHED) ++left, ++top;
  auto paint = [&](int dx, int dy, COLORREF color) {
    auto rect = [&](int l, int t, int r, int b) { FillSolid(dc, RECT{left + l + dx, top + t + dy, left + r + dx, top + b + dy}, color); };
    switch (kind) {
      case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < size - 1; ++i) {
          rect(i, i, i + 2, i + 1);
          rect(size - 2 - i, i, size - i, i + 1);
        }
        break;
      case DFCS_CAPTIONMIN: rect(1, size - 3, size - 2, size - 1); break;
      case DFCS_CAPTIONMAX:
        rect(0, 0, size, 2);
        rect(0, 0, 1, size);
        rect(size - 1, 0, size, size);
        rect(0, size - 1, size, size);
        break;
      case DFCS_CAPTIONRESTORE: {
        const int box = size * 2 / 3;
        rect(size - box, 0, size, 2);
        rect(size - 1, 0, size, box);
        rect(0, size - box, box, size - box + 2);
        rect(0, size - box, 1, size);
        rect(box - 1, size - box, box, size);
        rect(0, size - 1, box, size);
        break;
      }
      case DFCS_CAPTIONHELP:
        rect(size / 2 - 2, 0, size / 2 + 2, 2);
        rect(size / 2 + 1, 1, size / 2 + 3, size / 2);
        rect(size / 2 - 1, size / 2, size / 2 + 1, size * 3 / 4);
        rect(size / 2 - 1, size - 2, size / 2 + 1, size);
        break;
      default: break;
    }
  };
  if (state & DFCS_INACTIVE) {
    paint(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    paint(0, 0, GetSysColor(COLOR_GRAYTEXT));
  } else {
    paint(0, 0, GetSysColor(COLOR_BTNTEXT));
  }
}

void DrawCheckGlyph(HDC dc, const RECT& rect, COLORREF color) {
  // A seven-pixel tick, three pixels thick.
  static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
  const int x0 = rect.left + (rect.right - rect.left - 7) / 2;
  const int y0 = rect.top + (rect.bottom - rect.top - 7) / 2;
  for (int x = 0; x < 7; ++x) VLine(dc, x0 + x, y0 + kTop[x], y0 + kTop[x] + 3, color);
}

}  // namespace platform::detail

using namespace platform::detail;

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  if (!dc || !rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (flags & BF_DIAGONAL) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  RECT r = *rect;
  const UINT sides = flags & BF_RECT;
  const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  COLORREF outerTL = 0, outerBR = 0, innerTL = 0, innerBR = 0;
  if (flags & BF_MONO) {
    outerTL = outerBR = GetSysColor(COLOR_WINDOWFRAME);
    innerTL = innerBR = GetSysColor(COLOR_WINDOW);
  } else if (flags & BF_FLAT) {
    outerTL = outerBR = GetSysColor(COLOR_BTNSHADOW);
    innerTL = innerBR = GetSysColor(COLOR_BTNFACE);
  } else {
    const bool soft = (flags & BF_SOFT) != 0;
    if (outer == BDR_RAISEDOUTER) {
      outerTL = GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT);
      outerBR = GetSysColor(COLOR_3DDKSHADOW);
    } else if (outer == BDR_SUNKENOUTER) {
      outerTL = GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
      outerBR = GetSysColor(COLOR_BTNHIGHLIGHT);
    }
    if (inner == BDR_RAISEDINNER) {
      innerTL = GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
      innerBR = GetSysColor(COLOR_BTNSHADOW);
    } else if (inner == BDR_SUNKENINNER) {
      innerTL = GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
      innerBR = GetSysColor(COLOR_3DLIGHT);
    }
  }
  // Both bits of a pair make no edge on that ring, as neither raised nor sunken wins.
  // (Flat and mono edges have one colour per ring, so any bit of the pair draws it.)
  const bool plain = (flags & (BF_MONO | BF_FLAT)) != 0;
  const bool drawOuter = plain ? outer != 0 : (outer == BDR_RAISEDOUTER || outer == BDR_SUNKENOUTER);
  const bool drawInner = plain ? inner != 0 : (inner == BDR_RAISEDINNER || inner == BDR_SUNKENINNER);
  if (drawOuter) {
    DrawRing(dc, r, sides, outerTL, outerBR);
    Shrink(r, sides);
  }
  if (drawInner) {
    DrawRing(dc, r, sides, innerTL, innerBR);
    Shrink(r, sides);
  }
  if (flags & BF_MIDDLE)
    FillSolid(dc, r, GetSysColor((flags & (BF_MONO | BF_FLAT)) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

namespace {

// The face of a push-like control; returns the area inside the edge.
RECT DrawButtonFace(HDC dc, const RECT& rect, UINT state, bool fill = true) {
  RECT r = rect;
  const UINT middle = fill && !(state & DFCS_TRANSPARENT) ? BF_MIDDLE : 0;
  if (state & DFCS_MONO) {
    DrawEdge(dc, &r, BDR_OUTER, BF_RECT | BF_MONO | BF_ADJUST | middle);
  } else if (state & DFCS_FLAT) {
    DrawEdge(dc, &r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
             BF_RECT | BF_ADJUST);
    if (middle) FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
  } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
    // Pressed: a dark frame with a shadow inside, the face moved down and right.
    DrawEdge(dc, &r, BDR_OUTER, BF_RECT | BF_MONO | BF_ADJUST);
    DrawEdge(dc, &r, BDR_OUTER, BF_RECT | BF_FLAT | BF_ADJUST);
    if (middle) FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST | middle);
  }
  return r;
}

// Draws a glyph in the state's colour; inactive glyphs are etched (white, then grey above).
template <typename Draw>
void DrawStateGlyph(HDC, const RECT& area, UINT state, Draw draw) {
  RECT r = area;
  if (state & DFCS_PUSHED) OffsetRect(&r, 1, 1);
  if (state & DFCS_INACTIVE) {
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    draw(shadow, GetSysColor(COLOR_BTNHIGHLIGHT));
    draw(r, GetSysColor(COLOR_BTNSHADOW));
  } else {
    draw(r, GetSysColor(COLOR_BTNTEXT));
  }
}

RECT CenteredSquare(const RECT& rect, int size) {
  const int x = rect.left + (rect.right - rect.left - size) / 2;
  const int y = rect.top + (rect.bottom - rect.top - size) / 2;
  return RECT{x, y, x + size, y + size};
}

BOOL DrawButtonControl(HDC dc, RECT* rect, UINT state) {
  const UINT kind = state & 0x1F;
  if (kind & DFCS_BUTTONPUSH) {
    const RECT inner = DrawButtonFace(dc, *rect, state);
    if (state & DFCS_ADJUSTRECT) *rect = inner;
    return TRUE;
  }
  const int size = std::min({13, static_cast<int>(rect->right - rect->left), static_cast<int>(rect->bottom - rect->top)});
  RECT box = CenteredSquare(*rect, size);
  const bool inactive = (state & DFCS_INACTIVE) != 0;
  if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
    const COLORREF face = GetSysColor((state & DFCS_PUSHED) || inactive ? COLOR_BTNFACE : COLOR_WINDOW);
    {
      const platform::OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
      const platform::OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(face));
      const platform::SelectedObject selectedPen(dc, pen.get()), selectedBrush(dc, brush.get());
      Ellipse(dc, box.left, box.top, box.right - 1, box.bottom - 1);
    }
    if (state & DFCS_CHECKED) {
      const RECT dot = CenteredSquare(RECT{box.left, box.top, box.right - 1, box.bottom - 1}, 4);
      FillSolid(dc, dot, GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
      FillSolid(dc, RECT{dot.left - 1, dot.top + 1, dot.right + 1, dot.bottom - 1},
                GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    }
    return TRUE;
  }
  // Check box (two- or three-state): a sunken box, the face white unless pressed or off.
  RECT r = box;
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | ((state & DFCS_FLAT) ? BF_FLAT : 0));
  const bool grey = (state & DFCS_PUSHED) || inactive || ((kind & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED));
  FillSolid(dc, r, GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  if (state & DFCS_CHECKED)
    DrawCheckGlyph(dc, r, GetSysColor(inactive || (kind & DFCS_BUTTON3STATE) ? COLOR_BTNSHADOW : COLOR_BTNTEXT));
  return TRUE;
}

BOOL DrawScrollControl(HDC dc, RECT* rect, UINT state) {
  const UINT kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
    if (!(state & DFCS_TRANSPARENT)) FillSolid(dc, *rect, GetSysColor(COLOR_BTNFACE));
    // Three pairs of diagonal lines in the bottom-right corner.
    const int size = std::min(rect->right - rect->left, rect->bottom - rect->top);
    for (int line = 0; line < 3; ++line) {
      const int start = size - 4 * line - 3;
      for (int i = 0; i < size && start + i < size; ++i) {
        if (start + i < 0) continue;
        const int x = rect->right - size + start + i, y = rect->bottom - 1 - i;
        FillSolid(dc, RECT{x, y, x + 1, y + 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
        FillSolid(dc, RECT{x + 1, y, x + 3, y + 1}, GetSysColor(COLOR_BTNSHADOW));
      }
    }
    return TRUE;
  }
  if (kind > DFCS_SCROLLRIGHT && kind != DFCS_SCROLLCOMBOBOX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DrawButtonFace(dc, *rect, state & ~DFCS_CHECKED);
  // The arrow is sized by the whole button: seven pixels wide on a 17-pixel button.
  DrawStateGlyph(dc, *rect, state, [&](const RECT& r, COLORREF c) { DrawArrowGlyph(dc, r, kind, c); });
  return TRUE;
}

BOOL DrawMenuControl(HDC dc, RECT* rect, UINT state) {
  // Menu glyphs are drawn black on white, as masks for the caller to colour.
  const UINT kind = state & 0xFF;
  FillSolid(dc, *rect, RGB(255, 255, 255));
  const COLORREF black = RGB(0, 0, 0);
  switch (kind) {
    case DFCS_MENUARROW: DrawArrowGlyph(dc, *rect, DFCS_SCROLLRIGHT, black); return TRUE;
    case DFCS_MENUARROWRIGHT: DrawArrowGlyph(dc, *rect, DFCS_SCROLLLEFT, black); return TRUE;
    case DFCS_MENUCHECK: DrawCheckGlyph(dc, *rect, black); return TRUE;
    case DFCS_MENUBULLET: {
      const RECT dot = CenteredSquare(*rect, 4);
      FillSolid(dc, dot, black);
      FillSolid(dc, RECT{dot.left - 1, dot.top + 1, dot.right + 1, dot.bottom - 1}, black);
      FillSolid(dc, RECT{dot.left + 1, dot.top - 1, dot.right - 1, dot.bottom + 1}, black);
      return TRUE;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
}

}  // namespace

BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state) {
  if (!dc || !rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  switch (type) {
    case DFC_BUTTON: return DrawButtonControl(dc, rect, state);
    case DFC_SCROLL: return DrawScrollControl(dc, rect, state);
    case DFC_MENU: case DFC_POPUPMENU: return DrawMenuControl(dc, rect, state);
    case DFC_CAPTION: {
      const UINT kind = state & 0xFF;
      if (kind > DFCS_CAPTIONHELP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      DrawButtonFace(dc, *rect, state & ~DFCS_CHECKED);
      DrawCaptionGlyph(dc, *rect, kind, state);
      return TRUE;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
  if (!dc || !rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  auto invert = [&](int x, int y) {
    if (((x + y) & 1) != 0) return;
    RECT p{x, y, x + 1, y + 1};
    InvertRect(dc, &p);
  };
  for (int x = r.left; x < r.right; ++x) {
    invert(x, r.top);
    if (r.bottom - 1 > r.top) invert(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    invert(r.left, y);
    if (r.right - 1 > r.left) invert(r.right - 1, y);
  }
  return TRUE;
}
