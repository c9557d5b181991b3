// Drawing of skin states: image states through the nine-grid routines, drawn states with
// GDI shapes, their shadows, grayed copies, window regions and the progress drawing.

#include "program/skin/SkinDraw.h"

#include <cstring>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/SysInfo.h"
#include "program/imaging/BitmapUtils.h"
#include "program/imaging/NineGrid.h"
#include "rtl/Format.h"
#include "rtl/Maths.h"

namespace {

TNineGridMargins GridMargins(const TBorderMargins& margins) {
  return TNineGridMargins{margins.Left, margins.Right, margins.Top, margins.Bottom};
}

TRect Moved(const TRect& rect, int dx, int dy) { return TRect(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy); }

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

HPEN MakePen(const TSkinPen& pen, COLORREF color) {
  if (pen.Style == psAlternate) {
    // Alternate dots exist only as a cosmetic extended pen.
    LOGBRUSH brush{BS_SOLID, color, 0};
    return ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
  }
  // A user style needs its dash array, which skins cannot give: such a pen is solid.
  const UINT style = pen.Style == psUserStyle ? PS_SOLID : static_cast<UINT>(pen.Style);
  LOGPEN logPen{style, POINT{pen.Width, 0}, color};
  return CreatePenIndirect(&logPen);
}

HBRUSH MakeBrush(const TSkinBrush& brush, COLORREF color) {
  LOGBRUSH logBrush{BS_SOLID, color, 0};
  if (brush.Style == bsClear) logBrush.lbStyle = BS_NULL;
  else if (brush.Style != bsSolid) {
    logBrush.lbStyle = BS_HATCHED;
    logBrush.lbHatch = static_cast<ULONG_PTR>(static_cast<int>(brush.Style) - 2);
  }
  return CreateBrushIndirect(&logBrush);
}

}  // namespace

bool TSkinItemState::ShapePass(HDC dc, const TRect& r, bool extendRight, bool extendBottom, bool shadowPass,
                               TColor shadowColor) {
  const COLORREF penColor = ColorToRGB(shadowPass ? shadowColor : Pen.Color);
  const COLORREF brushColor = ColorToRGB(shadowPass ? shadowColor : Brush.Color);
  platform::OwnedGdiObject<HPEN> ownPen(Pen.IsSet() ? MakePen(Pen, penColor) : nullptr);
  platform::OwnedGdiObject<HBRUSH> ownBrush(Brush.IsSet() ? MakeBrush(Brush, brushColor) : nullptr);
  HGDIOBJ pen = ownPen ? static_cast<HGDIOBJ>(ownPen.get()) : GetStockObject(NULL_PEN);
  HGDIOBJ brush = ownBrush ? static_cast<HGDIOBJ>(ownBrush.get()) : GetStockObject(NULL_BRUSH);
  // The guards give the DC its previous objects back before the pen and brush are deleted.
  platform::SelectedObject selectedPen(dc, pen);
  platform::SelectedObject selectedBrush(dc, brush);
  const TRect e(r.Left, r.Top, r.Right + (extendRight ? 1 : 0), r.Bottom + (extendBottom ? 1 : 0));
  switch (StateType) {
    case SkinStateType::Image:
    case SkinStateType::Rectangle:
      if (Frames.AllSides()) {
        Rectangle(dc, e.Left, e.Top, e.Right, e.Bottom);
      } else {
        if (Brush.Style != bsClear && ownBrush) {
          const RECT fill{r.Left, r.Top, r.Right, r.Bottom};
          FillRect(dc, &fill, ownBrush.get());
        }
        if (Frames.Left) Line(dc, r.Left, r.Bottom - 1, r.Left, r.Top - 1);
        if (Frames.Top) Line(dc, r.Left, r.Top, r.Right, r.Top);
        if (Frames.Right) Line(dc, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
        if (Frames.Bottom) Line(dc, r.Right - 1, r.Bottom - 1, r.Left - 1, r.Bottom - 1);
      }
      break;
    case SkinStateType::RoundRect:
      RoundRect(dc, e.Left, e.Top, e.Right, e.Bottom, GetWidth(), GetHeight());
      break;
    case SkinStateType::Ellipse: Ellipse(dc, e.Left, e.Top, e.Right, e.Bottom); break;
    case SkinStateType::HorizontalLine: Line(dc, r.Left, r.Top, r.Right, r.Top); break;
    case SkinStateType::VerticalLine: Line(dc, r.Left, r.Top, r.Left, r.Bottom); break;
  }
  return false;
}

bool TSkinItemState::ImagePass(HDC dc, const TRect& rect, int frameIndex, int piece, const TRect* clipRect,
                               bool center, bool skipIfLarger, uint8_t mode) {
  const int sW = GetWidth(), sH = GetHeight();
  if (sW <= 0 && sH <= 0) return false;
  TRect source = Animation.FrameRect(frameIndex, Rect);
  std::unique_ptr<TBitmap> grayed;
  TBitmap* image = nullptr;
  TRect stateRect = Rect;
  if (Grayed) {
    TBitmap* shared = GetBitmap();
    if (!shared) return false;
    stateRect = Rect;
    grayed.reset(CreatePartBitmap(shared, source, mode, Part ? Part->TransparentColor : clFuchsia));
    // The copy may go through the image's canvas, which keeps it selected in a DC.
    shared->Dormant();
    if (!grayed) return false;
    source = Moved(source, -stateRect.Left, -stateRect.Top);
    stateRect = Moved(stateRect, -stateRect.Left, -stateRect.Top);
    image = grayed.get();
  } else {
    image = GetBitmap();
    stateRect = Rect;
  }
  if (!image) return false;
  // GetBitmap may have emptied a rectangle that lies outside the image.
  if (GetWidth() <= 0 || GetHeight() <= 0) return false;
  // A bitmap selected into its own canvas cannot be drawn from.
  image->Dormant();
  HBITMAP handle = image->Handle();
  const TNineGridMargins srcMargins = GridMargins(Margins), destMargins = GridMargins(DestMargins);
  const COLORREF key = ColorToRGB(Part ? Part->TransparentColor : clFuchsia);
  const uint8_t fillMode = Part ? Part->FillMode : 0;
  const int dW = rect.Right - rect.Left, dH = rect.Bottom - rect.Top;
  auto draw = [&](const TRect& target, const TRect& from, int usePiece) {
    return DrawBitmapPart(dc, target, handle, from, srcMargins, destMargins, mode, key,
                          static_cast<uint8_t>(usePiece), clipRect);
  };

  if (center || fillMode == 3) {
    TRect target;
    if (dW >= sW && dH >= sH) {
      const int x = rect.Left + static_cast<int>(Round((dW - sW) / 2.0));
      const int y = rect.Top + static_cast<int>(Round((dH - sH) / 2.0));
      target = TRect(x, y, x + sW, y + sH);
    } else if (skipIfLarger) {
      return false;
    } else {
      target = TRect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
    return draw(target, source, piece);
  }
  switch (fillMode) {
    case 4: {
      // A tile without width or height would never cover anything.
      if (sW <= 0 || sH <= 0) return false;
      const int rows = dH / sH + 1, columns = dW / sW + 1;
      bool result = true;
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
          const TRect tile(rect.Left + c * sW, rect.Top + r * sH, rect.Left + c * sW + sW, rect.Top + r * sH + sH);
          if (!draw(tile, stateRect, piece)) result = false;
        }
      return result;
    }
    case 5: {
      const int middle = sW - Margins.Left - Margins.Right;
      if (middle <= 0) return false;
      const int total = dW - DestMargins.Left - DestMargins.Right;
      bool result = draw(rect, stateRect, NineGridPiece::LeftColumn);
      for (int i = 0; total >= 0 && i <= total / middle; ++i) {
        const int left = rect.Left + DestMargins.Left + i * middle;
        result = draw(TRect(left, rect.Top, left + middle, rect.Bottom), stateRect, NineGridPiece::MiddleColumn) && result;
      }
      return draw(rect, stateRect, NineGridPiece::RightColumn) && result;
    }
    case 6: {
      const int middle = sH - Margins.Top - Margins.Bottom;
      if (middle <= 0) return false;
      const int total = dH - DestMargins.Top - DestMargins.Bottom;
      bool result = draw(rect, stateRect, NineGridPiece::TopRow);
      for (int i = 0; total >= 0 && i <= total / middle; ++i) {
        const int top = rect.Top + DestMargins.Top + i * middle;
        result = draw(TRect(rect.Left, top, rect.Right, top + middle), stateRect, NineGridPiece::MiddleRow) && result;
      }
      return draw(rect, stateRect, NineGridPiece::BottomRow) && result;
    }
    default: return draw(rect, source, piece);
  }
}

bool TSkinItemState::Draw(TCanvas* canvas, const TRect& rect, int frameIndex, int piece, const TRect* clipRect,
                          bool center, bool skipIfLarger) {
  if (!canvas) return false;
  HDC dc = canvas->Handle();
  if (!dc) return false;
  bool extendRight = true, extendBottom = true;
  const uint8_t mode = Part && !Part->DrawOpaque ? Part->TransparentMode : 0;
  auto shadowPass = [&](int dx, int dy, TColor color) {
    extendRight = dx < 1;
    extendBottom = dy < 1;
    OffsetClipRgn(dc, dx, dy);
    ShapePass(dc, Moved(rect, dx, dy), extendRight, extendBottom, true, color);
    OffsetClipRgn(dc, -dx, -dy);
  };
  if (Shadow.Visible()) {
    if (Shadow.Style == TSkinShadow::Offset) {
      shadowPass(Shadow.X, Shadow.Y, Shadow.Color);
    } else if (Shadow.Style == TSkinShadow::Double) {
      if (Shadow.X2 != 0 || Shadow.Y2 != 0) shadowPass(Shadow.X2, Shadow.Y2, Shadow.Color2);
      if (Shadow.X != 0 || Shadow.Y != 0) shadowPass(Shadow.X, Shadow.Y, Shadow.Color);
    }
  }
  if (StateType == SkinStateType::Image)
    return ImagePass(dc, rect, frameIndex, piece, clipRect, center, skipIfLarger, mode);
  return ShapePass(dc, rect, extendRight, extendBottom, false, clNone);
}

bool TSkinItemState::DrawAt(TCanvas* canvas, int x, int y, int frameIndex, int piece, const TRect* clipRect) {
  return Draw(canvas, TRect(x, y, x + GetWidth(), y + GetHeight()), frameIndex, piece, clipRect);
}

HRGN TSkinItemState::CreateRegion(int width, int height) {
  if (IsEmpty()) return nullptr;
  if (!RegionData) {
    TBitmap* image = GetBitmap();
    if (!image || IsEmpty()) return nullptr;
    const TColor key = Part && Part->TransparentMode == 2 ? clNone : (Part ? Part->TransparentColor : clFuchsia);
    RegionData = BitmapToRegionData(image, Rect, key);
    if (!RegionData) return nullptr;
  }
  const DWORD size = GetRegionDataSize(RegionData.get());
  if (width == GetWidth() && height == GetHeight()) return ExtCreateRegion(nullptr, size, RegionData.get());
  TRegionData copy(static_cast<RGNDATA*>(std::malloc(size)));
  if (!copy) return nullptr;
  std::memcpy(copy.get(), RegionData.get(), size);
  StretchRegionData(copy.get(), Rect, GridMargins(Margins), GridMargins(DestMargins), width, height);
  return ExtCreateRegion(nullptr, size, copy.get());
}

// ---- progress -------------------------------------------------------------------------------

namespace {

// The text centred on `centreOn`, only the part of it inside `clip` drawn.
void DrawCentredText(TCanvas* canvas, const TRect& clip, const TRect& centreOn, const AnsiString& text) {
  if (text.empty()) return;
  const TSize extent = canvas->TextExtent(text);
  const int w = centreOn.Right - centreOn.Left, h = centreOn.Bottom - centreOn.Top;
  canvas->Brush()->SetStyle(bsClear);
  SetTextColor(canvas->Handle(), ColorToRGB(canvas->Font()->Color()));
  canvas->TextRect(clip, centreOn.Left + (w - extent.cx) / 2, centreOn.Top + (h - extent.cy) / 2, text);
}

void DrawCentredText(TCanvas* canvas, const TRect& rect, const AnsiString& text) {
  DrawCentredText(canvas, rect, rect, text);
}

TRect Shrunk(const TRect& rect) { return TRect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1); }

bool IsEmptyRect(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

}  // namespace

AnsiString FormatSkinProgressPercent(int position, int min, int max) {
  if (max <= min) return "0%";
  const int64_t range = static_cast<int64_t>(max) - min;
  const int64_t done = static_cast<int64_t>(position < min ? min : position > max ? max : position) - min;
  return Format("%u%%", {static_cast<int>((done * 100 * 2 + range) / (2 * range))});
}

void DrawSkinProgress(TCanvas* canvas, const TRect& rect, TSkinItemPart* part, int position, int min, int max,
                      bool showPercent) {
  TSkinItemState* track = part ? part->GetState(0) : nullptr;
  TSkinItemState* bar = part ? part->GetState(1) : nullptr;
  DrawSkinProgressStates(canvas, rect, track, bar, position, min, max, showPercent);
}

void DrawSkinProgressStates(TCanvas* canvas, const TRect& rect, TSkinItemState* track, TSkinItemState* bar,
                            int position, int min, int max, bool showPercent) {
  if (!canvas) return;
  // A position outside the range is drawn at its nearer end; an empty range as an empty bar.
  const int64_t range = max > min ? static_cast<int64_t>(max) - min : 0;
  int64_t done = 0;
  if (range > 0) done = static_cast<int64_t>(position < min ? min : position > max ? max : position) - min;
  const AnsiString text = showPercent ? FormatSkinProgressPercent(position, min, max) : AnsiString();
  const int w = rect.Right - rect.Left;

  if (!track || !bar) {
    const int fill = range > 0 ? static_cast<int>(((static_cast<int64_t>(w) - 2) * done * 2 + range) / (2 * range)) : 0;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(rect);
    const TRect filled = Shrunk(TRect(rect.Left, rect.Top, rect.Left + fill + 2, rect.Bottom));
    if (!IsEmptyRect(filled)) {
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(clBlue);
      canvas->FillRect(filled);
      // One percentage over the whole bar: white over the filled part, black over the rest.
      canvas->Font()->SetColor(clWhite);
      DrawCentredText(canvas, filled, Shrunk(rect), text);
    }
    const TRect rest = Shrunk(TRect(rect.Left + fill, rect.Top, rect.Right, rect.Bottom));
    if (!IsEmptyRect(rest)) {
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(clWhite);
      canvas->FillRect(rest);
      canvas->Font()->SetColor(clBlack);
      DrawCentredText(canvas, rest, Shrunk(rect), text);
    }
    return;
  }

  if (w < track->GetWidth() || w < bar->GetWidth()) return;
  const int span = w - track->Spaces.Left - bar->Spaces.Right;
  const int fill = (range > 0 ? static_cast<int>(Round(static_cast<double>(span) * done / range)) : 0) + track->Spaces.Left;
  HDC dc = canvas->Handle();
  auto drawClipped = [&](TSkinItemState* state, int left, int right) {
    {
      platform::SavedDcState clip(dc);
      IntersectClipRect(dc, left, rect.Top, right, rect.Bottom);
      state->Draw(canvas, rect);
      if (showPercent) {
        state->Font.ApplyToFont(canvas->Font());
        DrawCentredText(canvas, rect, text);
      }
    }
    // The restore went on beneath the canvas, which still takes its font, brush and pen for
    // selected: they are selected again before the next drawing, or the track's text would
    // go out on what the restore brought back (an opaque background).
    canvas->Refresh();
  };
  drawClipped(bar, rect.Left, rect.Left + fill);
  drawClipped(track, rect.Left + fill, rect.Right);
}
