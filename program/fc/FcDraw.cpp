#include "program/fc/FcDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/gdi/DC.h"
#include "platform/user/WinUser.h"
#include "program/fc/FcColors.h"
#include "vcl/Bitmap.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"

namespace {

void Line(TCanvas* canvas, int x1, int y1, int x2, int y2) {
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

TRect Inset(TRect r, TSides sides, int amount) {
  if (sides.Contains(sdLeft)) r.Left += amount;
  if (sides.Contains(sdTop)) r.Top += amount;
  if (sides.Contains(sdRight)) r.Right -= amount;
  if (sides.Contains(sdBottom)) r.Bottom -= amount;
  return r;
}

struct TStyleColors {
  TColor First;
  TColor Second;
};

// Fixed colours of the one-ring styles.
TStyleColors OneRingColors(TFrameStyle style) {
  switch (style) {
    case fsFlat: return {cl3DDkShadow, cl3DDkShadow};
    case fsGroove:
    case fsStatus: return {clBtnShadow, clBtnHighlight};
    case fsBump:
    case fsPopup: return {clBtnHighlight, clBtnShadow};
    default: return {clBtnShadow, clBtnShadow};
  }
}

// Outer ring and inner ring of the two-ring styles.
bool TwoRingColors(TFrameStyle style, TStyleColors& outer, TStyleColors& inner) {
  switch (style) {
    case fsLowered: outer = {clBtnShadow, clBtnHighlight}; inner = {cl3DDkShadow, cl3DLight}; return true;
    case fsRaised: outer = {cl3DLight, cl3DDkShadow}; inner = {clBtnHighlight, clBtnShadow}; return true;
    case fsButtonDown: outer = {clBtnText, clBtnText}; inner = {clBtnShadow, clBtnShadow}; return true;
    case fsButtonUp: outer = {clBtnHighlight, cl3DDkShadow}; inner = {cl3DLight, clBtnShadow}; return true;
    default: return false;
  }
}

}  // namespace

TRect DrawSides(TCanvas* canvas, TRect r, TColor first, TColor second, TSides sides) {
  if (first != clNone) {
    canvas->Pen()->SetColor(first);
    if (sides.Contains(sdLeft)) Line(canvas, r.Left, r.Top, r.Left, r.Bottom);
    if (sides.Contains(sdTop)) Line(canvas, r.Left, r.Top, r.Right, r.Top);
  }
  if (second != clNone) {
    canvas->Pen()->SetColor(second);
    if (sides.Contains(sdRight)) Line(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    if (sides.Contains(sdBottom)) Line(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
  }
  return Inset(r, sides, 1);
}

TRect DrawBevel(TCanvas* canvas, TRect rect, TColor first, TColor second, TSides sides, int width) {
  canvas->Pen()->SetWidth(1);
  for (int i = 0; i < width; ++i) rect = DrawSides(canvas, rect, first, second, sides);
  return rect;
}

TRect DrawEtchedBorder(TCanvas* canvas, TRect r, TColor a, TColor b, TSides sides) {
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
  const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
  // The corner pixels that neither ring reaches.
  if (right)
    canvas->SetPixels(r.Right - 1, r.Top, b);
  else if (top)
    canvas->SetPixels(r.Right - 1, r.Top, a);
  if (bottom)
    canvas->SetPixels(r.Left, r.Bottom - 1, b);
  else if (left)
    canvas->SetPixels(r.Left, r.Bottom - 1, a);
  if (top && !left) canvas->SetPixels(r.Left, r.Top + 1, b);
  if (left && !top) canvas->SetPixels(r.Left + 1, r.Top, b);
  if (bottom && !right) canvas->SetPixels(r.Right - 1, r.Bottom - 2, a);
  if (right && !bottom) canvas->SetPixels(r.Right - 2, r.Bottom - 1, a);
  // The inner colour one pixel right and down of the outer one.
  const TRect outer(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
  DrawSides(canvas, TRect(outer.Left + 1, outer.Top + 1, outer.Right + 1, outer.Bottom + 1), b, b, sides);
  DrawSides(canvas, outer, a, a, sides);
  return Inset(r, sides, 2);
}

TRect DrawStyleBorder(TCanvas* canvas, TRect rect, TFrameStyle style, TSides sides) {
  TStyleColors outer, inner;
  switch (style) {
    case fsNone:
    case fsFlatRounded: return rect;
    case fsFlat:
    case fsStatus:
    case fsPopup: {
      TStyleColors c = OneRingColors(style);
      return DrawSides(canvas, rect, c.First, c.Second, sides);
    }
    case fsFlatBold: return DrawBevel(canvas, rect, clBtnShadow, clBtnShadow, sides, 2);
    case fsGroove:
    case fsBump: {
      TStyleColors c = OneRingColors(style);
      return DrawEtchedBorder(canvas, rect, c.First, c.Second, sides);
    }
    default:
      TwoRingColors(style, outer, inner);
      rect = DrawSides(canvas, rect, outer.First, outer.Second, sides);
      return DrawSides(canvas, rect, inner.First, inner.Second, sides);
  }
}

TRect DrawColorBorder(TCanvas* canvas, TRect rect, TColor c, TSides sides, TFrameStyle style) {
  auto ring = [&](TColor first, TColor second) { rect = DrawSides(canvas, rect, first, second, sides); };
  switch (style) {
    case fsNone:
    case fsFlatRounded: break;
    case fsFlat: ring(DarkerColor(c, 50), DarkerColor(c, 50)); break;
    case fsStatus: ring(DarkerColor(c, 50), LighterColor(c, 100)); break;
    case fsPopup: ring(LighterColor(c, 100), DarkerColor(c, 50)); break;
    case fsFlatBold:
      ring(DarkerColor(c, 50), DarkerColor(c, 50));
      ring(DarkerColor(c, 50), DarkerColor(c, 50));
      break;
    case fsLowered:
      ring(DarkerColor(c, 50), LighterColor(c, 100));
      ring(DarkerColor(c, 100), LighterColor(c, 50));
      break;
    case fsRaised:
      ring(LighterColor(c, 50), DarkerColor(c, 100));
      ring(LighterColor(c, 100), DarkerColor(c, 50));
      break;
    case fsButtonDown:
      ring(DarkerColor(c, 100), DarkerColor(c, 100));
      ring(DarkerColor(c, 50), DarkerColor(c, 50));
      break;
    case fsButtonUp:
      ring(LighterColor(c, 100), DarkerColor(c, 100));
      ring(LighterColor(c, 40), DarkerColor(c, 50));
      break;
    case fsGroove: return DrawEtchedBorder(canvas, rect, DarkerColor(c, 50), LighterColor(c, 100), sides);
    case fsBump: return DrawEtchedBorder(canvas, rect, LighterColor(c, 100), DarkerColor(c, 50), sides);
  }
  return rect;
}

TRect DrawColorBorder(TCanvas* canvas, TRect rect, TColor base, TFrameStyle style) {
  return DrawColorBorder(canvas, rect, base, AllSides, style);
}

TRect DrawBox(TCanvas* canvas, TRect r, TColor color) {
  canvas->Pen()->SetColor(color);
  Line(canvas, r.Left, r.Top, r.Left, r.Bottom);
  Line(canvas, r.Left, r.Top, r.Right, r.Top);
  Line(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
  Line(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
  return TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
}

TRect DrawRoundedFlatBorder(TCanvas* canvas, TRect r, TColor color, TSides sides) {
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
  const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
  canvas->Pen()->SetColor(color);
  const int y1 = top ? r.Top + 2 : r.Top, y2 = bottom ? r.Bottom - 2 : r.Bottom;
  const int x1 = left ? r.Left + 2 : r.Left, x2 = right ? r.Right - 2 : r.Right;
  if (left) Line(canvas, r.Left, y1, r.Left, y2);
  if (top) Line(canvas, x1, r.Top, x2, r.Top);
  if (right) Line(canvas, r.Right - 1, y1, r.Right - 1, y2);
  if (bottom) Line(canvas, x1, r.Bottom - 1, x2, r.Bottom - 1);
  if (left && top) canvas->SetPixels(r.Left + 1, r.Top + 1, color);
  if (right && top) canvas->SetPixels(r.Right - 2, r.Top + 1, color);
  if (right && bottom) canvas->SetPixels(r.Right - 2, r.Bottom - 2, color);
  if (left && bottom) canvas->SetPixels(r.Left + 1, r.Bottom - 2, color);
  return Inset(r, sides, 2);
}

TRect FrameStylesInset(TRect rect, TFrameStyleEx outer, TFrameStyleEx inner, TSides sides, int bevelWidth) {
  for (TFrameStyleEx style : {outer, inner}) {
    switch (style) {
      case fsNone: break;
      case fsFlat: rect = Inset(rect, sides, 1); break;
      case fsStatus:
      case fsPopup: rect = Inset(rect, sides, bevelWidth); break;
      default: rect = Inset(rect, sides, 2); break;
    }
  }
  return rect;
}

namespace {

TRect DrawFramePart(TCanvas* canvas, TRect rect, TFrameStyleEx style, bool outer, const TFrameSet& f,
                    TColor flat) {
  switch (style) {
    case fsFlat: return DrawSides(canvas, rect, flat, flat, f.Sides);
    case fsFlatBold: return DrawBevel(canvas, rect, flat, flat, f.Sides, 2);
    case fsPopup: return DrawBevel(canvas, rect, f.BorderHighlight, f.BorderShadow, f.Sides, f.BevelWidth);
    case fsStatus: return DrawBevel(canvas, rect, f.BorderShadow, f.BorderHighlight, f.Sides, f.BevelWidth);
    case fsFlatRounded: {
      // The rings fill the pixels that the cut corners leave open: outside them the parent's
      // colour, inside them the colour of what follows.
      TRect inner = rect;
      if (outer) {
        const bool ringFollows = f.BorderWidth > 0 || f.Inner != fsNone;
        if (!f.Transparent) {
          inner = DrawSides(canvas, inner, f.ParentColor, f.ParentColor, f.Sides);
          TColor c = ringFollows ? f.BorderColor : f.ControlColor;
          DrawSides(canvas, inner, c, c, f.Sides);
        } else if (ringFollows) {
          DrawSides(canvas, Inset(rect, f.Sides, 1), f.BorderColor, f.BorderColor, f.Sides);
        }
      } else {
        inner = DrawSides(canvas, inner, f.BorderColor, f.BorderColor, f.Sides);
        if (!f.Transparent) DrawSides(canvas, inner, f.ControlColor, f.ControlColor, f.Sides);
      }
      return DrawRoundedFlatBorder(canvas, rect, flat, f.Sides);
    }
    default: return DrawStyleBorder(canvas, rect, style, f.Sides);
  }
}

}  // namespace

TRect DrawFrameSet(TCanvas* canvas, TRect rect, const TFrameSet& f) {
  const TColor flat = AdjustColor(f.FlatColor, f.FlatColorAdjustment);
  rect = DrawFramePart(canvas, rect, f.Outer, true, f, flat);
  if (f.BorderWidth > 0) rect = DrawBevel(canvas, rect, f.BorderColor, f.BorderColor, f.Sides, f.BorderWidth);
  return DrawFramePart(canvas, rect, f.Inner, false, f, flat);
}

void DrawEditFrame(TCanvas* canvas, int width, int height, TSides sides, TColor frameColor, TColor controlColor,
                   TFrameStyle style) {
  const TRect r(0, 0, width, height);
  DrawBevel(canvas, r, controlColor, controlColor, AllSides, 2);
  switch (style) {
    case fsFlat: DrawSides(canvas, r, frameColor, frameColor, sides); break;
    case fsFlatBold: DrawBevel(canvas, r, frameColor, frameColor, sides, 2); break;
    default:
      if (controlColor != clWindow)
        DrawColorBorder(canvas, r, controlColor, sides, style);
      else
        DrawStyleBorder(canvas, r, style, sides);
  }
}

void DrawDropArrow(TCanvas* canvas, const TRect& r, bool flat, bool pressed, bool enabled) {
  TColor color = !enabled ? clBtnShadow : flat ? cl3DDkShadow : clBlack;
  int cx = r.Left + (r.Right - r.Left) / 2;
  int cy = r.Top + (r.Bottom - r.Top) / 2;
  if ((r.Bottom - r.Top) % 2 == 0) --cy;
  cy += flat ? 4 : 2;
  if (pressed) {
    ++cx;
    ++cy;
  }
  TBrush* brush = canvas->Brush();
  const TColor oldColor = brush->Color();
  const TPenStyle oldPenStyle = canvas->Pen()->Style();
  canvas->Pen()->SetStyle(psClear);
  brush->SetColor(color);
  if (flat) {
    canvas->Polygon({Point(cx, cy), Point(cx - 4, cy - 5), Point(cx - 3, cy - 7), Point(cx, cy - 3),
                     Point(cx + 3, cy - 7), Point(cx + 5, cy - 5)});
  } else {
    for (int row = 0; row < 4; ++row) canvas->FillRect(TRect(cx - row, cy - row, cx + row + 1, cy - row + 1));
  }
  brush->SetColor(oldColor);
  canvas->Pen()->SetStyle(oldPenStyle);
}

// ---- Gradients ---------------------------------------------------------------------------

namespace {

// Linear interpolation of the three channels in 16.16 fixed point over `steps` steps: step
// 0 is the first colour, step steps - 1 the second.
class TColorRamp {
 public:
  TColorRamp(COLORREF first, COLORREF second, int steps) : m_first(first) {
    const int span = std::max(steps - 1, 1);
    for (int shift = 0; shift < 24; shift += 8) {
      const int a = (first >> shift) & 0xFF, b = (second >> shift) & 0xFF;
      m_delta[shift / 8] = ((b - a) * 65536) / span;
    }
  }
  TColor At(int step) const {
    TColor color = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const int a = (m_first >> shift) & 0xFF;
      const int value = ((a << 16) + m_delta[shift / 8] * step + 0x8000) >> 16;
      color |= std::clamp(value, 0, 255) << shift;
    }
    return color;
  }

 private:
  COLORREF m_first;
  int m_delta[3] = {};
};

// Fills runs of equal colour along one line of the bitmap with one brush each; a run is
// closed at a colour change only after `merge` steps.
class TRunFiller {
 public:
  TRunFiller(TCanvas* canvas, int merge) : m_canvas(canvas), m_merge(std::max(merge, 1)) {}
  // Paints cells [0, count) of a line; cell i covers the rectangle cellRect(i).
  template <class ColorOf, class CellRect> void Line(int count, ColorOf colorOf, CellRect cellRect) {
    int start = 0;
    TColor runColor = count > 0 ? colorOf(0) : 0;
    for (int i = 1; i <= count; ++i) {
      const bool end = i == count;
      if (!end) {
        TColor c = colorOf(i);
        if (c == runColor || i - start < m_merge) continue;
      }
      TRect a = cellRect(start), b = cellRect(i - 1);
      m_canvas->Brush()->SetColor(runColor);
      m_canvas->FillRect(TRect(a.Left, a.Top, b.Right, b.Bottom));
      if (!end) {
        start = i;
        runColor = colorOf(i);
      }
    }
  }

 private:
  TCanvas* m_canvas;
  int m_merge;
};

// Copies the painted block [0, size) of the bitmap next to itself until `total` is covered.
void DoubleAcross(TCanvas* canvas, int size, int total, bool horizontally, int other) {
  while (size < total) {
    const int n = std::min(size, total - size);
    if (horizontally)
      canvas->CopyRect(TRect(size, 0, size + n, other), canvas, TRect(0, 0, n, other));
    else
      canvas->CopyRect(TRect(0, size, other, size + n), canvas, TRect(0, 0, other, n));
    size += n;
  }
}

void PaintLinear(TCanvas* canvas, int w, int h, int kind, COLORREF c1, COLORREF c2, int merge) {
  const bool vertical = kind == gkVertical || kind == gkVerticalCentre;
  const bool centred = kind == gkVerticalCentre || kind == gkHorizontalCentre;
  const int length = vertical ? h : w;
  const int strip = std::min(8, vertical ? w : h);
  // Centred kinds run from the edges to the middle and mirror there.
  const int half = (length - 1) / 2;
  const TColorRamp ramp(c1, c2, centred ? half + 1 : length);
  auto colorOf = [&](int i) { return ramp.At(centred ? std::min(i, length - 1 - i) : i); };
  TRunFiller filler(canvas, merge);
  if (vertical)
    filler.Line(length, colorOf, [&](int i) { return TRect(0, i, strip, i + 1); });
  else
    filler.Line(length, colorOf, [&](int i) { return TRect(i, 0, i + 1, strip); });
  DoubleAcross(canvas, strip, vertical ? w : h, vertical, length);
}

void PaintDiagonal(TCanvas* canvas, int w, int h, int kind, COLORREF c1, COLORREF c2, int merge) {
  const int steps = static_cast<int>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h)) + 1;
  const TColorRamp ramp(c1, c2, steps);
  TRunFiller filler(canvas, merge);
  for (int y = 0; y < h; ++y) {
    // Bands parallel to the diagonal from the top-left corner to the bottom-right one
    // (mirrored for kind 1): u runs from -1 at the first colour's corner to 1 at the other.
    const int row = kind == gkDiagonalUp ? y : h - 1 - y;
    auto colorOf = [&](int x) {
      const double u = (x + 0.5) / w - (row + 0.5) / h;
      const int step = std::clamp(static_cast<int>((u + 1.0) / 2.0 * steps), 0, steps - 1);
      return ramp.At(step);
    };
    filler.Line(w, colorOf, [&](int x) { return TRect(x, y, x + 1, y + 1); });
  }
}

void PaintRectangular(TCanvas* canvas, int w, int h, int kind, COLORREF c1, COLORREF c2, int merge) {
  canvas->Brush()->SetColor(static_cast<TColor>(c1));
  canvas->FillRect(TRect(0, 0, w, h));
  if (c1 == c2 || w < 5 || h < 5) return;
  int hx = (w - 1) / 2, hy = (h - 1) / 2;
  if (kind == gkRectangleWide || kind == gkRectangleSmall) hx -= w / 4;
  if (kind == gkRectangleTall || kind == gkRectangleSmall) hy -= h / 4;
  hx = std::max(hx, 1);
  hy = std::max(hy, 1);
  const int steps = std::max(hx, hy) + 1;
  // From the second colour in the centre to the first at the edge of the rectangles.
  const TColorRamp ramp(c2, c1, steps);
  const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
  TRunFiller filler(canvas, merge);
  for (int y = 0; y < h; ++y) {
    const double dy = std::abs(y - cy) / hy;
    auto colorOf = [&](int x) {
      const double t = std::max(std::abs(x - cx) / hx, dy);
      return ramp.At(std::min(static_cast<int>(t * (steps - 1) + 0.5), steps - 1));
    };
    filler.Line(w, colorOf, [&](int x) { return TRect(x, y, x + 1, y + 1); });
  }
}

}  // namespace

void PaintGradient(TCanvas* canvas, const TRect& rect, int kind, TColor first, TColor second, int stepMerge) {
  const int w = std::abs(rect.Right - rect.Left), h = std::abs(rect.Bottom - rect.Top);
  if (w == 0 || h == 0) return;
  int merge = stepMerge;
  if (merge > 8) merge = 255 / merge + 1;
  const COLORREF c1 = ColorToRGB(first), c2 = ColorToRGB(second);
  TBitmap buffer(w, h, pf32bit);
  TCanvas* c = buffer.Canvas();
  c->Pen()->SetStyle(psClear);
  c->SetCopyMode(cmSrcCopy);
  c->Brush()->SetStyle(bsSolid);
  if (c1 == c2 && kind != gkRectangleWide && kind != gkRectangleTall && kind != gkRectangle &&
      kind != gkRectangleSmall) {
    c->Brush()->SetColor(static_cast<TColor>(c1));
    c->FillRect(TRect(0, 0, w, h));
  } else {
    switch (kind) {
      case gkDiagonalUp:
      case gkDiagonalDown: PaintDiagonal(c, w, h, kind, c1, c2, merge); break;
      case gkVertical:
      case gkVerticalCentre:
      case gkHorizontal:
      case gkHorizontalCentre: PaintLinear(c, w, h, kind, c1, c2, merge); break;
      case gkRectangleWide:
      case gkRectangleTall:
      case gkRectangle:
      case gkRectangleSmall: PaintRectangular(c, w, h, kind, c1, c2, merge); break;
      default: return;
    }
  }
  canvas->Draw(rect.Left, rect.Top, &buffer);
}

// ---- Backgrounds and invalidation -----------------------------------------------------------

void PaintParentBackground(TControl* control, HDC dc, bool invalidateParent) {
  TWinControl* parent = control->Parent();
  if (!parent) return;
  const bool designing = control->ComponentState().Contains(csDesigning);
  {
    const int saved = SaveDC(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - control->Left(), origin.y - control->Top(), nullptr);
    const TRect client = parent->ClientRect();
    IntersectClipRect(dc, 0, 0, client.Right, client.Bottom);
    try {
      parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      if (!designing) {
        RestoreDC(dc, saved);
        throw;
      }
    }
    RestoreDC(dc, saved);
  }
  if (invalidateParent && !parent->Is<TCustomControl>() && !parent->Is<TCustomForm>() && !designing)
    parent->Invalidate();
}

void InvalidateNonClient(HWND window, const TRect& rect) {
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  RECT box{};
  const int kind = GetClipBox(dc, &box);
  ReleaseDC(window, dc);
  if (kind != NULLREGION && kind != ERROR) RedrawWindow(window, rect.AsRect(), nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void InvalidateTransparentChildren(TWinControl* control) {
  for (int i = 0; i < control->ControlCount(); ++i) {
    TControl* child = control->Controls(i);
    const TPropInfo* prop = GetPropInfo(child, "Transparent");
    if (prop && prop->Kind() == tkEnumeration && GetOrdProp(child, prop) != 0) child->Invalidate();
  }
}
