#include "program/app/dialogs/ColorDialogParts.h"

#include <algorithm>

#include "platform/user/DrawControls.h"
#include "platform/user/PaintApi.h"
#include "program/app/dialogs/ColorDialogForm.h"

namespace {

TColor AsColor(COLORREF c) { return static_cast<TColor>(c & 0xFFFFFF); }

// A sunken one-pixel-and-one frame around r; r is left inside it.
void SunkenFrame(TCanvas* canvas, TRect& r) {
  RECT box = r;
  DrawEdge(canvas->Handle(), &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  r = TRect(box);
}

}  // namespace

// ---- swatch grid --------------------------------------------------------------------------------

TColorSwatchGrid::TColorSwatchGrid(TComponent* owner, int columns, int rows)
    : TCustomControl(owner), FColumns(columns), FRows(rows), FColors(static_cast<size_t>(columns * rows), 0xFFFFFF) {
  SetTabStop(true);
  FControlStyle.Exclude(csDoubleClicks);
  FWidth = columns * CellWidth;
  FHeight = rows * CellHeight;
  FColor = clBtnFace;
  FParentColor = false;
}

void TColorSwatchGrid::Dispatch(TMessage& m) {
  // Arrow keys stay in the grid.
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS;
    return;
  }
  inherited::Dispatch(m);
}

void TColorSwatchGrid::SetColors(const std::vector<COLORREF>& colors) {
  std::copy_n(colors.begin(), std::min(colors.size(), FColors.size()), FColors.begin());
  Invalidate();
}

void TColorSwatchGrid::SetColorAt(int index, COLORREF color) {
  if (index < 0 || index >= static_cast<int>(FColors.size())) return;
  FColors[static_cast<size_t>(index)] = color;
  Invalidate();
}

void TColorSwatchGrid::SetSelected(int index) {
  if (index == FSelected) return;
  FSelected = index;
  Invalidate();
}

int TColorSwatchGrid::IndexOf(COLORREF color) const {
  const auto it = std::find(FColors.begin(), FColors.end(), color & 0xFFFFFF);
  return it == FColors.end() ? -1 : static_cast<int>(it - FColors.begin());
}

TRect TColorSwatchGrid::CellRect(int index) const {
  const int column = index % FColumns, row = index / FColumns;
  return TRect(column * CellWidth, row * CellHeight, (column + 1) * CellWidth, (row + 1) * CellHeight);
}

int TColorSwatchGrid::CellAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= FColumns * CellWidth || y >= FRows * CellHeight) return -1;
  return (y / CellHeight) * FColumns + x / CellWidth;
}

void TColorSwatchGrid::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(ClientRect());
  for (int i = 0; i < FColumns * FRows; ++i) {
    const TRect cell = CellRect(i);
    TRect swatch(cell.Left + 3, cell.Top + 3, cell.Right - 3, cell.Bottom - 3);
    if (i == FSelected) {
      canvas->Pen()->SetColor(clWindowText);
      canvas->Brush()->SetStyle(bsClear);
      canvas->Rectangle(TRect(cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1));
      canvas->Brush()->SetStyle(bsSolid);
    }
    SunkenFrame(canvas, swatch);
    canvas->Brush()->SetColor(AsColor(FColors[static_cast<size_t>(i)]));
    canvas->FillRect(swatch);
    if (i == FSelected && Focused()) {
      RECT focus{cell.Left, cell.Top, cell.Right, cell.Bottom};
      DrawFocusRect(canvas->Handle(), &focus);
    }
  }
}

void TColorSwatchGrid::KeyDown(WORD& key, TShiftState shift) {
  int index = FSelected < 0 ? 0 : FSelected;
  const int count = FColumns * FRows;
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (arrow && FSelected < 0) {
    // The first arrow in a grid without a choice chooses its first cell.
    key = 0;
    SetSelected(0);
    if (OnPick) OnPick(0);
    return;
  }
  switch (key) {
    case VK_LEFT: index = index % FColumns == 0 ? index + FColumns - 1 : index - 1; break;
    case VK_RIGHT: index = index % FColumns == FColumns - 1 ? index - FColumns + 1 : index + 1; break;
    case VK_UP: index = (index - FColumns + count) % count; break;
    case VK_DOWN: index = (index + FColumns) % count; break;
    default: inherited::KeyDown(key, shift); return;
  }
  key = 0;
  SetSelected(index);
  if (OnPick) OnPick(index);
}

void TColorSwatchGrid::WMLButtonDown(TWMMouse& m) {
  inherited::WMLButtonDown(m);
  if (CanFocus()) SetFocus();
  const int index = CellAt(m.XPos, m.YPos);
  if (index < 0) return;
  SetSelected(index);
  if (OnPick) OnPick(index);
}

void TColorSwatchGrid::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  Invalidate();
}

void TColorSwatchGrid::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  Invalidate();
}

// ---- hue/saturation field -------------------------------------------------------------------------

THueSatField::THueSatField(TComponent* owner) : TCustomControl(owner) {
  FColor = clBtnFace;
  FParentColor = false;
  FControlStyle.Exclude(csDoubleClicks);
}

void THueSatField::SetHueSat(int hue, int sat) {
  if (hue == FHue && sat == FSat) return;
  FHue = hue;
  FSat = sat;
  Invalidate();
}

// Inside the sunken frame, hue 0..239 runs left to right and saturation 240..0 top to bottom.
void THueSatField::HueSatAt(int x, int y, int& hue, int& sat) const {
  const int w = std::max(1, FWidth - 4), h = std::max(1, FHeight - 4);
  const int across = std::max(1, w - 1), down = std::max(1, h - 1);
  hue = std::clamp(((x - 2) * 239 + across / 2) / across, 0, 239);
  sat = std::clamp(240 - ((y - 2) * 240 + down / 2) / down, 0, 240);
}

TPoint THueSatField::PointOf(int hue, int sat) const {
  const int w = std::max(1, FWidth - 4), h = std::max(1, FHeight - 4);
  return TPoint(2 + (hue * (w - 1) + 119) / 239, 2 + ((240 - sat) * (h - 1) + 120) / 240);
}

void THueSatField::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  SunkenFrame(canvas, r);
  HDC dc = canvas->Handle();
  const int w = r.Width(), h = r.Height();
  // Columns of hue, rows of saturation, at the dialog's middle luminosity.
  for (int y = 0; y < h; y += 2)
    for (int x = 0; x < w; x += 2) {
      int hue, sat;
      HueSatAt(r.Left + x, r.Top + y, hue, sat);
      RECT cell{r.Left + x, r.Top + y, std::min<LONG>(r.Right, r.Left + x + 2), std::min<LONG>(r.Bottom, r.Top + y + 2)};
      canvas->Brush()->SetColor(AsColor(DialogHlsToRgb({hue, sat, 120})));
      canvas->FillRect(TRect(cell));
    }
  (void)dc;
  const TPoint p = PointOf(FHue, FSat);
  canvas->Pen()->SetColor(clBlack);
  canvas->Pen()->SetWidth(1);
  for (int d : {-8, 4}) {
    canvas->MoveTo(p.X + d, p.Y);
    canvas->LineTo(p.X + d + 5, p.Y);
    canvas->MoveTo(p.X, p.Y + d);
    canvas->LineTo(p.X, p.Y + d + 5);
  }
}

void THueSatField::WMLButtonDown(TWMMouse& m) {
  inherited::WMLButtonDown(m);
  int hue, sat;
  HueSatAt(m.XPos, m.YPos, hue, sat);
  if (OnPick) OnPick(hue, sat);
}

void THueSatField::WMMouseMove(TWMMouse& m) {
  inherited::WMMouseMove(m);
  if (!(m.Keys & MK_LBUTTON)) return;
  int hue, sat;
  HueSatAt(m.XPos, m.YPos, hue, sat);
  if (OnPick) OnPick(hue, sat);
}

// ---- luminosity bar ----------------------------------------------------------------------------

TLumBar::TLumBar(TComponent* owner) : TCustomControl(owner) {
  FColor = clBtnFace;
  FParentColor = false;
  // Quick presses are presses each, not a double click.
  FControlStyle.Exclude(csDoubleClicks);
  SetTabStop(true);
}

void TLumBar::SetHls(int hue, int sat, int lum) {
  FHue = hue, FSat = sat, FLum = lum;
  Invalidate();
}

// The rows inside the frame stand for 240 down to 0, each for the value nearest to it.
int TLumBar::LumAt(int y) const {
  const int span = std::max(1, FHeight - 5);
  const int row = std::clamp(y - 2, 0, span);
  return 240 - (row * 240 + span / 2) / span;
}

int TLumBar::YOf(int lum) const {
  const int span = std::max(1, FHeight - 5);
  return 2 + ((240 - std::clamp(lum, 0, 240)) * span + 120) / 240;
}

void TLumBar::Dispatch(TMessage& m) {
  // The arrow keys step the luminosity.
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS;
    return;
  }
  inherited::Dispatch(m);
}

void TLumBar::KeyDown(WORD& key, TShiftState shift) {
  int lum = FLum;
  switch (key) {
    case VK_UP: case VK_RIGHT: lum += 1; break;
    case VK_DOWN: case VK_LEFT: lum -= 1; break;
    case VK_PRIOR: lum += 10; break;
    case VK_NEXT: lum -= 10; break;
    case VK_HOME: lum = 240; break;
    case VK_END: lum = 0; break;
    default: inherited::KeyDown(key, shift); return;
  }
  key = 0;
  lum = std::clamp(lum, 0, 240);
  if (lum != FLum && OnPick) OnPick(lum);
}

void TLumBar::WMMouseWheel(TWMMouseWheel& m) {
  const int steps = m.WheelDelta / 120;
  if (steps == 0) {
    inherited::WMMouseWheel(m);
    return;
  }
  const int lum = std::clamp(FLum + steps, 0, 240);
  if (lum != FLum && OnPick) OnPick(lum);
  m.SetResult(1);
}

void TLumBar::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  Invalidate();
}

void TLumBar::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  Invalidate();
}

void TLumBar::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  TRect bar(0, 0, BarWidth, FHeight);
  SunkenFrame(canvas, bar);
  for (int y = bar.Top; y < bar.Bottom; ++y) {
    canvas->Brush()->SetColor(AsColor(DialogHlsToRgb({FHue, FSat, LumAt(y)})));
    canvas->FillRect(TRect(bar.Left, y, bar.Right, y + 1));
  }
  // The pointer: a small triangle to the right of the bar, its tip at the luminosity.
  const int y = YOf(FLum);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetColor(clBlack);
  const TPoint points[] = {TPoint(BarWidth + 1, y), TPoint(BarWidth + 6, y - 5), TPoint(BarWidth + 6, y + 5)};
  canvas->Polygon(points, 3);
  if (Focused()) {
    RECT focus{0, 0, BarWidth, FHeight};
    DrawFocusRect(canvas->Handle(), &focus);
  }
}

void TLumBar::WMLButtonDown(TWMMouse& m) {
  inherited::WMLButtonDown(m);
  if (CanFocus()) SetFocus();
  if (OnPick) OnPick(LumAt(m.YPos));
}

void TLumBar::WMMouseMove(TWMMouse& m) {
  inherited::WMMouseMove(m);
  if ((m.Keys & MK_LBUTTON) && OnPick) OnPick(LumAt(m.YPos));
}

// ---- preview -----------------------------------------------------------------------------------

void TColorPreview::SetPreviewColor(COLORREF color) {
  if (color == FPreviewColor) return;
  FPreviewColor = color;
  Invalidate();
}

void TColorPreview::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  SunkenFrame(canvas, r);
  canvas->Brush()->SetColor(AsColor(FPreviewColor));
  canvas->FillRect(r);
}

void TDialogCaption::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  RECT r = ClientRect();
  const AnsiString text = Caption();
  DrawTextA(canvas->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
}
