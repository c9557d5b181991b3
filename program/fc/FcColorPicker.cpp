#include "program/fc/FcColorPicker.h"

#include <algorithm>
#include <cstdlib>

#include "platform/user/DrawControls.h"
#include "program/fc/FcColors.h"
#include "program/fc/FcSetter.h"
#include "vcl/Application.h"
#include "vcl/HintWindow.h"
#include "vcl/Screen.h"
#include "vcl/TypInfo.h"

namespace {

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

TFcColorDialogHook& ColorDialogHook() {
  static TFcColorDialogHook hook;
  return hook;
}

constexpr int kStandardCount = 40;
constexpr int kCellCount = 70;

// Keeps the DC's clip region of a paint and puts it back afterwards.
class TSavedClip {
 public:
  explicit TSavedClip(HDC dc) : m_dc(dc), m_region(CreateRectRgn(0, 0, 0, 0)) {
    m_had = GetClipRgn(dc, m_region) == 1;
  }
  ~TSavedClip() {
    SelectClipRgn(m_dc, m_had ? m_region : nullptr);
    DeleteObject(m_region);
  }
  TSavedClip(const TSavedClip&) = delete;
  TSavedClip& operator=(const TSavedClip&) = delete;

 private:
  HDC m_dc;
  HRGN m_region;
  bool m_had = false;
};

TRect Deflate(const TRect& r, int n) { return TRect(r.Left + n, r.Top + n, r.Right - n, r.Bottom - n); }
bool Contains(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

}  // namespace

const TFcColorData FcPickerColors[70] = {
    {Rgb(0, 0, 0), "Black"},
    {Rgb(153, 51, 0), "Brown"},
    {Rgb(51, 51, 0), "Olive Green"},
    {Rgb(0, 51, 0), "Dark Green"},
    {Rgb(0, 51, 102), "Dark Teal"},
    {Rgb(0, 0, 128), "Dark Blue"},
    {Rgb(51, 51, 153), "Indigo"},
    {Rgb(51, 51, 51), "Gray 80%"},
    {Rgb(128, 0, 0), "Dark Red"},
    {Rgb(255, 102, 0), "Orange"},
    {Rgb(128, 128, 0), "Dark Yellow"},
    {Rgb(0, 128, 0), "Green"},
    {Rgb(0, 128, 128), "Teal"},
    {Rgb(0, 0, 255), "Blue"},
    {Rgb(102, 102, 153), "Blue Gray"},
    {Rgb(128, 128, 128), "Gray 50%"},
    {Rgb(255, 0, 0), "Red"},
    {Rgb(255, 153, 0), "Light Orange"},
    {Rgb(153, 204, 0), "Lime"},
    {Rgb(51, 153, 102), "Sea Green"},
    {Rgb(51, 153, 153), "Aqua"},
    {Rgb(51, 102, 255), "Light Blue"},
    {Rgb(128, 0, 128), "Violet"},
    {Rgb(153, 153, 153), "Gray 40%"},
    {Rgb(255, 0, 255), "Pink"},
    {Rgb(255, 204, 0), "Gold"},
    {Rgb(255, 255, 0), "Yellow"},
    {Rgb(0, 255, 0), "Bright Green"},
    {Rgb(0, 255, 255), "Turquoise"},
    {Rgb(0, 204, 255), "Sky Blue"},
    {Rgb(153, 51, 102), "Plum"},
    {Rgb(192, 192, 192), "Gray 25%"},
    {Rgb(255, 153, 204), "Rose"},
    {Rgb(255, 204, 153), "Tan"},
    {Rgb(255, 255, 153), "Light Yellow"},
    {Rgb(204, 255, 204), "Light Green"},
    {Rgb(204, 255, 255), "Light Turquoise"},
    {Rgb(153, 204, 255), "Pale Blue"},
    {Rgb(204, 153, 255), "Lavender"},
    {Rgb(255, 255, 255), "White"},
    {clScrollBar, "Scroll Bar"},
    {clBackground, "Background"},
    {clActiveCaption, "Active Caption"},
    {clInactiveCaption, "Inactive Caption"},
    {clMenu, "Menu"},
    {clWindow, "Window"},
    {clWindowFrame, "Window Frame"},
    {clMenuText, "Menu Text"},
    {clWindowText, "Window Text"},
    {clCaptionText, "Caption Text"},
    {clActiveBorder, "Active Border"},
    {clInactiveBorder, "Inactive Border"},
    {clAppWorkSpace, "App WorkSpace"},
    {clHighlight, "Highlight"},
    {clHighlightText, "Highlight Text"},
    {clBtnFace, "Button Face"},
    {clBtnShadow, "Button Shadow"},
    {clGrayText, "Gray Text"},
    {clBtnText, "Button Text"},
    {clInactiveCaptionText, "Inactive Caption Text"},
    {clBtnHighlight, "Button Highlight"},
    {cl3DDkShadow, "3D Dark Shadow"},
    {cl3DLight, "3D Light"},
    {clInfoText, "Info Text"},
    {clInfoBk, "Info Background"},
    {clHotLight, "Hot Light"},
    {clGradientActiveCaption, "Gradient Active Caption"},
    {clGradientInactiveCaption, "Gradient Inactive Caption"},
    {clMenuHighlight, "Menu Highlight"},
    {clMenuBar, "Menu Bar"},
};

AnsiString FcNoColorText() { return "None"; }
AnsiString FcDefaultColorText() { return "Default"; }
AnsiString FcMoreColorsText() { return "More Colors..."; }

void SetFcColorDialogHook(TFcColorDialogHook hook) { ColorDialogHook() = std::move(hook); }

// Where everything is painted, from the client rectangle left by the frame.
struct TFcColorPicker::TLayout {
  TRect Client;
  int Hc = 0;
  TRect NoneRow, DefaultRow, BottomRow;  // empty when not shown
  int GridTop = 0;
  int CellWidth = 0, CellHeight = 0;
  int SystemTop = 0;

  TRect Swatch(const TRect& row) const { return TRect(row.Right - Hc, row.Top, row.Right, row.Bottom); }
  TRect CaptionPart(const TRect& row) const { return TRect(row.Left, row.Top, row.Right - Hc, row.Bottom); }
  TRect Cell(int index) const {
    const int base = index < kStandardCount ? index : index - kStandardCount;
    const int r = base / 8, c = base % 8;
    const int top = index < kStandardCount ? GridTop : SystemTop;
    return Bounds(Client.Left + c * CellWidth, top + r * CellHeight, CellWidth, CellHeight);
  }
  // The band between the standard and the system grid.
  TRect Gap() const { return TRect(Client.Left, GridTop + 5 * CellHeight, Client.Right, SystemTop); }
};

TFcColorPicker::TFcColorPicker(TComponent* owner) : TFcBorder(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
  FBorderWidth = 2;
  SetColor(clWindow);
  FFlatColorAdjustment = 0;
  FBorderColor = clWindow;
  SetParentColor(false);
  if (UsesVisualStyle()) {
    FThemeFrameColor = ThemeColor(0);
    FBorderOuter = fsFlat;
    FFlatColor = FThemeFrameColor;
  } else {
    FBorderOuter = fsLowered;
  }
  AdjustSize();
}

TFcColorPicker::~TFcColorPicker() = default;

void TFcColorPicker::DescribeClass(TClassBuilder<TFcColorPicker>& c) {
  using T = TFcColorPicker;
  c.Property("ButtonColor", &T::ButtonColor, &T::SetButtonColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("CustomColorCaption", &T::CustomColorCaption, &T::SetCustomColorCaption);
  c.Property("CustomColor", &T::CustomColor, &T::SetCustomColor).Type(ColorTypeInfo()).Default(clWhite);
  c.Property("CustomColors", &T::CustomColors, &T::SetCustomColors);
  c.Property("ColorDlgOptions", &T::ColorDlgOptions, &T::SetColorDlgOptions)
      .Default(TColorDialogOptions{cdFullOpen}.Bits());
  c.Property("DefaultColor", &T::DefaultColor, &T::SetDefaultColor).Type(ColorTypeInfo()).Default(clHighlight);
  c.Property("DefaultColorCaption", &T::DefaultColorCaption, &T::SetDefaultColorCaption);
  c.Property("ShowColorHints", &T::ShowColorHints, &T::SetShowColorHints).Default(1);
  c.Property("NoColorCaption", &T::NoColorCaption, &T::SetNoColorCaption);
  c.Property("SelectedColor", &T::GetSelectedColor, &T::SetSelectedColor).Type(ColorTypeInfo()).Default(clNone);
  c.Property("ShowNoColor", &T::ShowNoColor, &T::SetShowNoColor).Default(0);
  c.Property("ShowCustomColor", &T::ShowCustomColor, &T::SetShowCustomColor).Default(0);
  c.Property("ShowDefaultColor", &T::ShowDefaultColor, &T::SetShowDefaultColor).Default(0);
  c.Property("ShowSystemColors", &T::ShowSystemColors, &T::SetShowSystemColors).Default(0);
  c.Property("OnChange", &T::OnChange);
  c.Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  c.Property("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(2);
  c.Property("BorderColor", &T::BorderColor, &T::SetBorderColor).Type(ColorTypeInfo()).Default(clWindow);
  c.Property("FlatColorAdjustment", &T::FlatColorAdjustment, &T::SetFlatColorAdjustment).Default(0);
}

int TFcColorPicker::CaptionHeight() const { return std::abs(Font()->Height()) + 12; }

TFcColorPicker::TLayout TFcColorPicker::Layout() {
  TLayout l;
  l.Client = ClientRect();
  l.Hc = CaptionHeight();
  const TRect& cr = l.Client;
  int y = cr.Top, grid = cr.Height();
  if (FShowNoColor) {
    l.NoneRow = TRect(cr.Left, y, cr.Right, y + l.Hc);
    y += l.Hc;
    grid -= l.Hc;
  }
  if (FShowDefaultColor) {
    l.DefaultRow = TRect(cr.Left, y, cr.Right, y + l.Hc);
    y += l.Hc;
    grid -= l.Hc;
  }
  if (FShowCustomColor) {
    grid -= l.Hc;
    l.BottomRow = TRect(cr.Left, cr.Bottom - l.Hc, cr.Right, cr.Bottom);
  }
  l.GridTop = y;
  l.CellWidth = cr.Width() / 8;
  l.CellHeight = FShowSystemColors ? (grid - 8) / 9 : grid / 5;
  l.SystemTop = cr.Bottom - 4 * l.CellHeight - (FShowCustomColor ? l.Hc : 0);
  return l;
}

TRect TFcColorPicker::CellRect(int index) {
  const TLayout l = Layout();
  if (index >= 0 && index < kStandardCount) return l.Cell(index);
  if (index >= kStandardCount && index < kCellCount) return FShowSystemColors ? l.Cell(index) : TRect();
  switch (index) {
    case FcCellNone: return l.NoneRow;
    case FcCellDefault: return l.DefaultRow;
    case FcCellCustom: return FShowCustomColor ? l.Swatch(l.BottomRow) : TRect();
    case FcCellMoreColors: return FShowCustomColor ? l.CaptionPart(l.BottomRow) : TRect();
    default: return TRect();
  }
}

int TFcColorPicker::CellAtPos(int x, int y) {
  const TLayout l = Layout();
  if (!Contains(l.Client, x, y)) return FcCellNothing;
  if (FShowNoColor && Contains(l.NoneRow, x, y)) return FcCellNone;
  if (FShowDefaultColor && Contains(l.DefaultRow, x, y)) return FcCellDefault;
  if (FShowCustomColor && Contains(l.BottomRow, x, y))
    return Contains(l.Swatch(l.BottomRow), x, y) ? FcCellCustom : FcCellMoreColors;
  if (l.CellWidth <= 0 || l.CellHeight <= 0) return FcCellNothing;
  for (int i = 0; i < kStandardCount; ++i)
    if (Contains(l.Cell(i), x, y)) return i;
  if (FShowSystemColors) {
    if (Contains(l.Gap(), x, y)) return FcCellDead;
    for (int i = kStandardCount; i < kStandardCount + 32; ++i)
      if (Contains(l.Cell(i), x, y)) return i < kCellCount ? i : FcCellDead;
  }
  return FcCellNothing;
}

// ---- Size -----------------------------------------------------------------------------

bool TFcColorPicker::CanAutoSize(int& width, int& height) {
  // The frame's inset, measured on a rectangle large enough to hold it.
  const TRect probe = FrameInset(TRect(0, 0, 1000, 1000));
  const int hc = CaptionHeight();
  width = 2 * probe.Left + 144;
  height = 2 * probe.Top + 90;
  if (FShowSystemColors) height += 80;
  if (FShowNoColor) height += hc + 1;
  if (FShowDefaultColor) height += hc + 1;
  if (FShowCustomColor) height += hc;
  return true;
}

void TFcColorPicker::SetBounds(int left, int top, int width, int height) {
  if (FAutoSize && !ComponentState().Contains(csLoading)) CanAutoSize(width, height);
  inherited::SetBounds(left, top, width, height);
}

void TFcColorPicker::AdjustSize() {
  if (FAutoSize) SetBounds(Left(), Top(), Width(), Height());
}

void TFcColorPicker::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustSize();
}

void TFcColorPicker::Loaded() {
  inherited::Loaded();
  if (UsesVisualStyle()) {
    FBorderOuter = fsFlat;
    FFlatColor = FThemeFrameColor;
    FFlatColorAdjustment = 0;
  }
  AdjustSize();
}

// ---- Setters ----------------------------------------------------------------------------

FC_DEFINE_SETTER(TFcColorPicker, ButtonColor, TColor, FButtonColor, Invalidate())
FC_DEFINE_SETTER(TFcColorPicker, CustomColorCaption, const AnsiString&, FCustomColorCaption, Invalidate())
FC_DEFINE_SETTER(TFcColorPicker, NoColorCaption, const AnsiString&, FNoColorCaption, Invalidate())
FC_DEFINE_SETTER(TFcColorPicker, DefaultColorCaption, const AnsiString&, FDefaultColorCaption, Invalidate())

void TFcColorPicker::SetCustomColor(TColor value) {
  FCustomColor = value;
  if (FShowCustomColor) Invalidate();
}

void TFcColorPicker::SetDefaultColor(TColor value) {
  FDefaultColor = value;
  if (FShowDefaultColor) Invalidate();
}

void TFcColorPicker::SetCustomColors(TFcCustomColors* value) {
  SetComponentReference(this, FCustomColors, value);
}

// The rows shown change the picker's size.
#define FC_PICKER_ROWS_SETTER(Name, Field) \
  FC_DEFINE_SETTER(TFcColorPicker, Name, bool, Field, AdjustSize(); Invalidate())

FC_PICKER_ROWS_SETTER(ShowCustomColor, FShowCustomColor)
FC_PICKER_ROWS_SETTER(ShowNoColor, FShowNoColor)
FC_PICKER_ROWS_SETTER(ShowDefaultColor, FShowDefaultColor)
FC_PICKER_ROWS_SETTER(ShowSystemColors, FShowSystemColors)

#undef FC_PICKER_ROWS_SETTER

// ---- Selection ----------------------------------------------------------------------------

void TFcColorPicker::SetSelectedIndex(int index) {
  if (index == FSelectedIndex && index != FcCellCustom) return;
  FSelectedIndex = index;
  Invalidate();
  Change();
  if (index == FcCellCustom) Click();
}

void TFcColorPicker::SetHotIndex(int index) {
  if (index == FHotIndex) return;
  FHotIndex = index;
  Invalidate();
}

void TFcColorPicker::Change() {
  if (OnChange) OnChange(this);
}

TColor TFcColorPicker::GetSelectedColor() const {
  if (FSelectedIndex >= 0 && FSelectedIndex < kCellCount) return FcPickerColors[FSelectedIndex].Color;
  switch (FSelectedIndex) {
    case FcCellCustom:
    case FcCellMoreColors: return FCustomColor;
    case FcCellDefault: return FDefaultColor;
    default: return clNone;
  }
}

void TFcColorPicker::SetSelectedColor(TColor value) {
  if (value == clNone) {
    SetSelectedIndex(FcCellNone);
    return;
  }
  const COLORREF rgb = ColorToRGB(value);
  int index = FcCellNothing;
  if (FShowDefaultColor && rgb == ColorToRGB(FDefaultColor)) index = FcCellDefault;
  if (index == FcCellNothing && FShowSystemColors)
    for (int i = kStandardCount; i < kCellCount && index == FcCellNothing; ++i)
      if (FcPickerColors[i].Color == value) index = i;
  if (index == FcCellNothing)
    for (int i = 0; i < kStandardCount && index == FcCellNothing; ++i)
      if (static_cast<COLORREF>(FcPickerColors[i].Color) == rgb) index = i;
  if (index == FcCellNothing) {
    SetCustomColor(static_cast<TColor>(rgb));
    index = FcCellCustom;
  }
  SetSelectedIndex(index);
}

void TFcColorPicker::ShowColorDialog() {
  const TFcColorDialogHook& hook = ColorDialogHook();
  if (!hook) return;
  TColor color = GetSelectedColor();
  TStringList custom;
  if (FCustomColors) custom.Assign(FCustomColors->Colors());
  if (!hook(color, &custom, FColorDlgOptions)) return;
  if (FCustomColors) FCustomColors->SetColors(&custom);
  SetCustomColor(color);
  SetSelectedIndex(FcCellCustom);
}

// ---- Mouse and hints ----------------------------------------------------------------------

void TFcColorPicker::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    const int index = CellAtPos(x, y);
    if (index == FcCellMoreColors) {
      SetHotIndex(FcCellNothing);
      Repaint();
      ShowColorDialog();
    } else if (index != FcCellDead && index != FcCellNothing) {
      SetSelectedIndex(index);
    }
  }
  inherited::MouseDown(button, shift, x, y);
}

void TFcColorPicker::MouseMove(TShiftState shift, int x, int y) {
  if (FShowColorHints) UpdateHint(x, y);
  const int index = CellAtPos(x, y);
  if (shift.Contains(ssLeft)) {
    if (index != FcCellMoreColors && index != FcCellDead && index != FcCellNothing) SetSelectedIndex(index);
  } else {
    SetHotIndex(index == FcCellDead ? FcCellNothing : index);
  }
  inherited::MouseMove(shift, x, y);
}

void TFcColorPicker::UpdateHint(int x, int y) {
  const int index = CellAtPos(x, y);
  const bool designing = ComponentState().Contains(csDesigning);
  const bool appActive = GetActiveWindow() != nullptr;
  if (index < 0 || designing || !appActive) {
    HideHint();
    return;
  }
  if (!FHintWindow) {
    FHintWindow = Application && Application->HintWindowClass ? Application->HintWindowClass(this)
                                                               : new THintWindow(this);
    FHintWindow->SetColor(Application ? Application->HintColor() : clInfoBk);
  }
  const AnsiString text = FcPickerColors[index].Name;
  FHintWindow->Font()->Assign(Font());
  TRect r = FHintWindow->CalcHintRect(Screen ? Screen->Width() : 4096, text);
  const TRect cell = CellRect(index);
  const TPoint at = ClientToScreen(TPoint(cell.Left + 4, cell.Bottom + 12));
  r = Bounds(at.X, at.Y, r.Width(), r.Height());
  if (FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->Handle()) && FHintWindow->Left() == r.Left &&
      FHintWindow->Top() == r.Top)
    return;
  FHintWindow->ActivateHint(r, text);
}

void TFcColorPicker::HideHint() {
  if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->Handle())) {
    ShowWindow(FHintWindow->Handle(), SW_HIDE);
    Invalidate();
  }
}

void TFcColorPicker::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (ComponentState().Contains(csDesigning) || !FShowColorHints) return;
  POINT p{};
  GetCursorPos(&p);
  const TPoint local = ScreenToClient(p);
  UpdateHint(local.X, local.Y);
}

void TFcColorPicker::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  SetHotIndex(FcCellNothing);
  HideHint();
}

void TFcColorPicker::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  AdjustSize();
  Invalidate();
}

void TFcColorPicker::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  Invalidate();
}

void TFcColorPicker::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FCustomColors) FCustomColors = nullptr;
  if (component == FHintWindow) FHintWindow = nullptr;
}

// ---- Painting -------------------------------------------------------------------------------

void TFcColorPicker::Exclude(const TRect& r) { ExcludeClipRect(Canvas()->Handle(), r.Left, r.Top, r.Right, r.Bottom); }

void TFcColorPicker::MarkSelected(const TRect& r) {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(clWindow);
  canvas->FillRect(r);
  canvas->Brush()->SetColor(clHighlight);
  canvas->FrameRect(r);
}

void TFcColorPicker::PaintCell(const TRect& cell, TColor color, int index, bool system) {
  TCanvas* canvas = Canvas();
  const TRect swatch = Deflate(cell, 4);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(swatch);
  TRect edge = Deflate(swatch, -1);
  DrawEdge(canvas->Handle(), edge.AsRect(), BDR_RAISEDOUTER, BF_RECT | BF_FLAT);
  Exclude(Deflate(swatch, -1));
  if (index == FSelectedIndex) {
    MarkSelected(cell);
    Exclude(cell);
  } else if (index == FHotIndex) {
    TRect r = cell;
    DrawEdge(canvas->Handle(), r.AsRect(), BDR_RAISEDOUTER, system ? 0x580F : 0x480F);
    Exclude(cell);
  }
}

void TFcColorPicker::PaintCaptionButton(const TRect& rect, const AnsiString& caption) {
  TCanvas* canvas = Canvas();
  const TRect outline = Deflate(rect, 3);
  canvas->Brush()->SetColor(FFlatColor);
  canvas->FrameRect(outline);
  const TRect inside = Deflate(outline, 1);
  canvas->Brush()->SetColor(FButtonColor);
  canvas->FillRect(inside);
  const TSize text = canvas->TextExtent(caption);
  canvas->TextRect(inside, inside.Left + (inside.Width() - text.cx) / 2, inside.Top + (inside.Height() - text.cy) / 2,
                   caption);
  Exclude(outline);
}

void TFcColorPicker::Paint() {
  inherited::Paint();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  HDC dc = canvas->Handle();
  TSavedClip clip(dc);
  const TLayout l = Layout();

  if (FShowNoColor) {
    const TRect& row = l.NoneRow;
    if (FSelectedIndex == FcCellNone) {
      MarkSelected(row);
    } else if (FHotIndex == FcCellNone) {
      TRect r = row;
      DrawEdge(dc, r.AsRect(), BDR_RAISEDOUTER, 0x580F);
    }
    PaintCaptionButton(row, FNoColorCaption.empty() ? FcNoColorText() : FNoColorCaption);
    Exclude(row);
  }
  if (FShowDefaultColor) {
    const TRect& row = l.DefaultRow;
    const TRect swatch = l.Swatch(row);
    // The swatch is a cell of its own; its hot state belongs to the whole row.
    const int hot = FHotIndex;
    FHotIndex = FcCellNothing;
    PaintCell(swatch, FDefaultColor, FcCellDefault, false);
    FHotIndex = hot;
    if (FSelectedIndex != FcCellDefault && FHotIndex == FcCellDefault) {
      TRect r = row;
      DrawEdge(dc, r.AsRect(), BDR_RAISEDOUTER, 0x500F);
    }
    PaintCaptionButton(l.CaptionPart(row), FDefaultColorCaption.empty() ? FcDefaultColorText() : FDefaultColorCaption);
    Exclude(row);
  }
  if (FShowCustomColor) {
    const TRect& row = l.BottomRow;
    PaintCell(l.Swatch(row), FCustomColor, FcCellCustom, true);
    if (FHotIndex == FcCellMoreColors) {
      TRect r = l.CaptionPart(row);
      DrawEdge(dc, r.AsRect(), BDR_RAISEDOUTER, 0x500F);
    }
    PaintCaptionButton(l.CaptionPart(row), FCustomColorCaption.empty() ? FcMoreColorsText() : FCustomColorCaption);
    Exclude(row);
  }
  if (l.CellWidth > 0 && l.CellHeight > 0) {
    for (int i = 0; i < kStandardCount; ++i) PaintCell(l.Cell(i), FcPickerColors[i].Color, i, false);
    if (FShowSystemColors) {
      const int y = l.GridTop + 5 * l.CellHeight + 4;
      canvas->Pen()->SetColor(clBtnShadow);
      canvas->MoveTo(l.Client.Left + 3, y);
      canvas->LineTo(l.Client.Right - 3, y);
      Exclude(TRect(l.Client.Left + 3, y, l.Client.Right - 3, y + 1));
      for (int i = kStandardCount; i < kCellCount; ++i) PaintCell(l.Cell(i), FcPickerColors[i].Color, i, true);
    }
  }
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(l.Client);
}
