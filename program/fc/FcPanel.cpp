#include "program/fc/FcPanel.h"

#include <algorithm>

#include "program/fc/FcColors.h"
#include "program/fc/FcSetter.h"
#include "vcl/Filer.h"
#include "vcl/Reader.h"
#include "vcl/TypInfo.h"

// ---- the panel ------------------------------------------------------------------------------------

TFcCustomPanel::TFcCustomPanel(TComponent* owner) : TCustomPanel(owner), FChildStates(std::make_unique<TStringList>()) {
  FControlStyle.Exclude(csSetCaption);
  FControlStyle.Include(csOpaque);
  FControlStyle.Exclude(csParentBackground);
  SetBevelOuter(bvNone);
}

TFcCustomPanel::~TFcCustomPanel() {
  Destroying();
  if (FFrameController) FFrameController->RemoveControl(this);
}

void TFcCustomPanel::DescribeClass(TClassBuilder<TFcCustomPanel>& c) {
  // Nothing of its own is published; descendants publish what they show. The class
  // library's bevel default differs here.
  c.Property("BevelOuter", &TFcCustomPanel::BevelOuter, &TFcCustomPanel::SetBevelOuter).Default(bvNone);
}

void TFcCustomPanel::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  filer->DefineProperty("FrameSides", [](TReader* reader) { TFcOldPropReader::ReadSet(reader); }, nullptr, false);
  filer->DefineProperty("ThemeAware", [](TReader* reader) { reader->ReadBoolean(); }, nullptr, false);
  filer->DefineProperty(
      "UseGradients", [this](TReader* reader) { if (reader->ReadBoolean()) SetFillStyle(2); }, nullptr, false);
}

void TFcCustomPanel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFrameController) FFrameController = nullptr;
}

void TFcCustomPanel::Dispatch(TMessage& m) { inherited::Dispatch(m); }

TRect TFcCustomPanel::FrameInset(TRect r, bool includeBorderWidth) {
  if (includeBorderWidth) r = TRect(r.Left + FBorderWidth, r.Top + FBorderWidth, r.Right - FBorderWidth, r.Bottom - FBorderWidth);
  return FrameStylesInset(r, FBorderOuter, FBorderInner, FBorderSides, FBevelWidth);
}

// The children (docked or aligned) sit inside the frame; the alignment takes the client
// rectangle through here once.
void TFcCustomPanel::AdjustClientRect(TRect& rect) {
  inherited::AdjustClientRect(rect);
  rect = FrameInset(rect, false);
}

// A panel aligned to the bottom (right) that changes its height (width) keeps that edge.
void TFcCustomPanel::SetBounds(int left, int top, int width, int height) {
  if (FAlign == alBottom && height != FHeight) top -= height - FHeight;
  if (FAlign == alRight && width != FWidth) left -= width - FWidth;
  inherited::SetBounds(left, top, width, height);
}

void TFcCustomPanel::GradientColors(TColor& first, TColor& second) {
  if (FGradientSource == 2) {
    first = FGradientFromColor;
    second = FGradientToColor;
    return;
  }
  SchemeGradientColors(FGradientSource, first, second);
}

void TFcCustomPanel::FrameColors(TColor& color, int& adjustment) {
  if (FFillStyle == 2 && FGradientSource != 2) {
    color = SchemeFrameColor(FGradientSource);
    adjustment = 0;
    return;
  }
  color = FFlatColor;
  adjustment = FFlatColorAdjustment;
}

TPoint TFcCustomPanel::CursorPosition() {
  POINT p{};
  GetCursorPos(&p);
  return ScreenToClient(TPoint(p.x, p.y));
}

void TFcCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TFrameSet f;
  f.Outer = FBorderOuter;
  f.Inner = FBorderInner;
  f.BorderWidth = FBorderWidth;
  f.Sides = FBorderSides;
  f.BevelWidth = FBevelWidth;
  f.BorderColor = FBorderColor;
  f.BorderHighlight = FBorderHighlight;
  f.BorderShadow = FBorderShadow;
  FrameColors(f.FlatColor, f.FlatColorAdjustment);
  f.ControlColor = Color();
  f.ParentColor = Parent() ? Parent()->Color() : clBtnFace;
  f.Transparent = FTransparent;
  const TRect inner = DrawFrameSet(canvas, OuterRect(), f);
  if (!FTransparent && FPaintBackground) {
    if (FFillStyle == 2) {
      TColor first, second;
      GradientColors(first, second);
      PaintGradient(canvas, inner, FGradientKind, first, second, 1);
    } else {
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(inner);
    }
  }
  if (FGridVisible) PaintGrid(inner);
  canvas->Brush()->SetStyle(bsClear);
  PaintCaption(inner);
  canvas->Brush()->SetStyle(bsSolid);
  if (OnPaintDone) OnPaintDone(this);
}

void TFcCustomPanel::PaintCaption(TRect r) {
  const AnsiString caption = Caption();
  if (caption.empty()) return;
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  r = TRect(r.Left + FTextMarginX, r.Top + FTextMarginY, r.Right - FTextMarginX, r.Bottom - FTextMarginY);
  UINT flags = DT_EXPANDTABS | DT_VCENTER;
  if (FCaptionWordWrap) flags |= DT_WORDBREAK;
  flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags = DrawTextBiDiModeFlags(flags);
  RECT measure = r;
  DrawTextA(canvas->Handle(), caption.c_str(), -1, &measure, flags | DT_CALCRECT);
  const int h = measure.bottom - measure.top;
  switch (FCaptionPlacement) {
    case cpTop: r.Bottom = std::min<LONG>(r.Bottom, r.Top + h); break;
    case cpCentre:
      r.Top = (r.Top + r.Bottom - h) / 2;
      r.Bottom = std::min<LONG>(r.Bottom, r.Top + h);
      break;
    case cpBottom: r.Top = std::max<LONG>(r.Top, r.Bottom - h - 1); break;
  }
  if (!Enabled()) {
    RECT shifted{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    canvas->Font()->SetColor(clBtnHighlight);
    DrawTextA(canvas->Handle(), caption.c_str(), -1, &shifted, flags);
    canvas->Font()->SetColor(clBtnShadow);
  }
  RECT box = r;
  DrawTextA(canvas->Handle(), caption.c_str(), -1, &box, flags);
}

void TFcCustomPanel::PaintGrid(const TRect& r) {
  TCanvas* canvas = Canvas();
  const int columns = FGridStepX > 0 ? (r.Right - r.Left) / FGridStepX : 0;
  const int rows = FGridStepY > 0 ? (r.Bottom - r.Top) / FGridStepY : 0;
  const COLORREF color = ColorToRGB(FGridColor);
  HDC dc = canvas->Handle();
  if (FGridStyle == 0) {
    for (int i = 1; i <= columns; ++i)
      for (int j = 1; j <= rows; ++j) SetPixel(dc, r.Left - 1 + i * FGridStepX, r.Top - 1 + j * FGridStepY, color);
    return;
  }
  if (FGridStyle != 1 && FGridStyle != 2) return;
  auto line = [&](int x0, int y0, int x1, int y1) {
    if (FGridStyle == 2) {
      canvas->Pen()->SetColor(FGridColor);
      canvas->Pen()->SetStyle(psSolid);
      canvas->MoveTo(x0, y0);
      canvas->LineTo(x1, y1);
      return;
    }
    // Every second pixel, from one past the line's start.
    if (x0 == x1)
      for (int y = y0 + 1; y < y1; y += 2) SetPixel(dc, x0, y, color);
    else
      for (int x = x0 + 1; x < x1; x += 2) SetPixel(dc, x, y0, color);
  };
  for (int i = 1; i <= columns; ++i) line(r.Left - 1 + i * FGridStepX, r.Top, r.Left - 1 + i * FGridStepX, r.Bottom);
  for (int j = 1; j <= rows; ++j) line(r.Left, r.Top - 1 + j * FGridStepY, r.Right, r.Top - 1 + j * FGridStepY);
}

void TFcCustomPanel::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (FTransparent && FPaintBackground) {
    PaintParentBackground(this, m.DC, true);
    m.SetResult(1);
    return;
  }
  inherited::WMEraseBkgnd(m);
}

// The system colours stand for the desktop's scheme: it is detected again.
void TFcCustomPanel::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  RedetectColorScheme();
  Invalidate();
}

void TFcCustomPanel::CMMouseEnter(TCMMouseEnterLeave& m) {
  if (ComponentState().Contains(csDesigning)) return;
  inherited::CMMouseEnter(m);
}

void TFcCustomPanel::CMMouseLeave(TCMMouseEnterLeave& m) {
  if (ComponentState().Contains(csDesigning)) return;
  inherited::CMMouseLeave(m);
}

// Disabling keeps each child's state and disables it; enabling gives each child the state it
// had (a child that came later is enabled).
void TFcCustomPanel::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  if (!Enabled()) {
    FChildStates->Clear();
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      FChildStates->AddObject(child->Enabled() ? "1" : "0", child);
    }
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
  } else {
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      const int index = FChildStates->IndexOfObject(child);
      child->SetEnabled(index < 0 || FChildStates->Strings(index) == "1");
    }
  }
  Invalidate();
}

void TFcCustomPanel::ApplyFrameController() {
  TakeFrameSettings(this, FFrameController, FFrameControllerNotifications,
                    {FBorderOuter, FBorderSides, FFlatColor, FFlatColorAdjustment, FBorderHighlight, FBorderShadow});
}

void TFcCustomPanel::Changed() { Invalidate(); }

#define FC_PANEL_SETTER(Name, Type, Field) FC_DEFINE_SETTER(TFcCustomPanel, Name, Type, Field, Changed())

FC_PANEL_SETTER(CaptionPlacement, TFcCaptionPlacement, FCaptionPlacement)
FC_PANEL_SETTER(BorderColor, TColor, FBorderColor)
FC_PANEL_SETTER(BorderHighlight, TColor, FBorderHighlight)
FC_PANEL_SETTER(BorderShadow, TColor, FBorderShadow)
FC_PANEL_SETTER(FlatColor, TColor, FFlatColor)
FC_PANEL_SETTER(FlatColorAdjustment, int, FFlatColorAdjustment)
FC_PANEL_SETTER(GridColor, TColor, FGridColor)
FC_PANEL_SETTER(GridStyle, int, FGridStyle)
FC_PANEL_SETTER(GridStepX, int, FGridStepX)
FC_PANEL_SETTER(GridStepY, int, FGridStepY)
FC_PANEL_SETTER(PaintBackground, bool, FPaintBackground)
FC_PANEL_SETTER(GridVisible, bool, FGridVisible)
FC_PANEL_SETTER(TextMarginX, int, FTextMarginX)
FC_PANEL_SETTER(TextMarginY, int, FTextMarginY)
FC_PANEL_SETTER(CaptionWordWrap, bool, FCaptionWordWrap)
FC_PANEL_SETTER(FillStyle, int, FFillStyle)

#undef FC_PANEL_SETTER

#define FC_PANEL_FRAME_SETTER(Name, Type, Field) \
  FC_DEFINE_SETTER(TFcCustomPanel, Name, Type, Field, Realign(); Invalidate())

FC_PANEL_FRAME_SETTER(BorderInner, TFrameStyleEx, FBorderInner)
FC_PANEL_FRAME_SETTER(BorderOuter, TFrameStyleEx, FBorderOuter)
FC_PANEL_FRAME_SETTER(BorderSides, TSides, FBorderSides)

#undef FC_PANEL_FRAME_SETTER

#define FC_PANEL_GRADIENT_SETTER(Name, Type, Field) \
  FC_DEFINE_SETTER(TFcCustomPanel, Name, Type, Field, Invalidate(); InvalidateTransparentChildren(this))

FC_PANEL_GRADIENT_SETTER(GradientSource, int, FGradientSource)
FC_PANEL_GRADIENT_SETTER(GradientFromColor, TColor, FGradientFromColor)
FC_PANEL_GRADIENT_SETTER(GradientToColor, TColor, FGradientToColor)
FC_PANEL_GRADIENT_SETTER(GradientKind, int, FGradientKind)

#undef FC_PANEL_GRADIENT_SETTER

void TFcCustomPanel::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (value) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  Invalidate();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

FC_DEFINE_SETTER(TFcCustomPanel, DockCaptions, bool, FDockCaptions, Invalidate())

void TFcCustomPanel::SetFrameController(TFcFrameController* value) {
  ConnectFrameController(this, FFrameController, value);
}

TDockTree* TFcCustomPanel::CreateDockManager() { return new TFcPanelDockManager(this); }

// ---- the dock manager -------------------------------------------------------------------------------

TFcPanelDockManager::TFcPanelDockManager(TFcCustomPanel* panel)
    : TDockTree(panel), FPanel(panel), FCaptionFont(std::make_unique<TFont>()) {
  FGrabberSize = 14;
  FCaptionFont->SetName("Verdana");
  FCaptionFont->SetSize(8);
}

TFcPanelDockManager::~TFcPanelDockManager() = default;

// A click in a docked control may move the focus: the captions show it.
void TFcPanelDockManager::WindowProc(TMessage& m) {
  if (m.Msg == WM_COMMAND || m.Msg == WM_MOUSEACTIVATE) FPanel->Invalidate();
  TDockTree::WindowProc(m);
}

void TFcPanelDockManager::AdjustDockRect(TControl* control, TRect& rect) {
  (void)control;
  if (FPanel->Align() == alTop || FPanel->Align() == alBottom) rect.Left += FGrabberSize;
  else rect.Top += FGrabberSize;
}

TRect TFcPanelDockManager::CloseGlyphRect(const TRect& r) {
  if (!FPanel->DockCaptions()) return TDockTree::CloseGlyphRect(r);
  if (FPanel->Align() == alTop || FPanel->Align() == alBottom) return TRect(r.Left + 1, r.Top + 1, r.Left + 12, r.Top + 12);
  return TRect(r.Right - 15, r.Top + 1, r.Right - 2, r.Top + 12);
}

void TFcPanelDockManager::PaintDockFrame(TCanvas* canvas, TControl* control, const TRect& r) {
  if (!FPanel->DockCaptions()) {
    TDockTree::PaintDockFrame(canvas, control, r);
    return;
  }
  TColor band = clActiveCaption, text = clCaptionText;
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    HWND focus = GetFocus();
    const bool focused = win->HandleAllocated() && focus && (focus == win->Handle() || IsChild(win->Handle(), focus));
    if (!focused) band = clInactiveCaption, text = clInactiveCaptionText;
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(band);
  canvas->Font()->Assign(FCaptionFont.get());
  canvas->Font()->SetColor(text);
  const AnsiString caption = control->Caption();
  const TRect glyph = CloseGlyphRect(r);
  HDC dc = canvas->Handle();
  if (FPanel->Align() == alTop || FPanel->Align() == alBottom) {
    const TRect bandRect(r.Left, r.Top, r.Left + FGrabberSize, r.Bottom);
    canvas->FillRect(bandRect);
    // Turned text reads upwards from the band's bottom.
    HFONT turned = CreateTurnedFont(FCaptionFont.get(), 900);
    HGDIOBJ old = SelectObject(dc, turned);
    SetTextColor(dc, ColorToRGB(clCaptionText));
    SetBkMode(dc, TRANSPARENT);
    const UINT align = SetTextAlign(dc, TA_BASELINE);
    TextOutA(dc, bandRect.Right - 2, bandRect.Bottom - 3, caption.c_str(), static_cast<int>(caption.size()));
    SetTextAlign(dc, align);
    SelectObject(dc, old);
    DeleteObject(turned);
  } else {
    const TRect bandRect(r.Left, r.Top, r.Right, r.Top + FGrabberSize);
    canvas->FillRect(bandRect);
    canvas->Brush()->SetStyle(bsClear);
    RECT textBox{r.Left + 2, r.Top, glyph.Left, r.Top + FGrabberSize};
    DrawTextA(dc, caption.c_str(), -1, &textBox, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  // The desktop has no symbol font with the close glyph: it is drawn as the cross it shows,
  // two pixels thick, centred in its box.
  const int size = std::min(glyph.Width(), glyph.Height()) - 4;
  const int left = glyph.Left + (glyph.Width() - size) / 2, top = glyph.Top + (glyph.Height() - size) / 2;
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(text);
  for (int d = 0; d < 2; ++d) {
    canvas->MoveTo(left + d, top);
    canvas->LineTo(left + d + size, top + size);
    canvas->MoveTo(left + d + size - 1, top);
    canvas->LineTo(left + d - 1, top + size);
  }
  canvas->Brush()->SetStyle(bsSolid);
}
