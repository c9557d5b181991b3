#include "vcl/Panel.h"

#include <algorithm>

#include "platform/user/PaintApi.h"
#include "vcl/DockTree.h"

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
  canvas->Pen()->SetWidth(1);
  --rect.Right;
  --rect.Bottom;
  for (int i = 0; i < width; ++i) {
    canvas->Pen()->SetColor(topColor);
    canvas->Polyline({TPoint(rect.Left, rect.Bottom), TPoint(rect.Left, rect.Top), TPoint(rect.Right, rect.Top)});
    canvas->Pen()->SetColor(bottomColor);
    canvas->Polyline({TPoint(rect.Right, rect.Top), TPoint(rect.Right, rect.Bottom), TPoint(rect.Left - 1, rect.Bottom)});
    ++rect.Left;
    ++rect.Top;
    --rect.Right;
    --rect.Bottom;
  }
  ++rect.Right;
  ++rect.Bottom;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  FWidth = 185;
  FHeight = 41;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
  // Kept in step with the window control's fields, which form files of other classes use.
  TWinControl::FBevelInner = bvNone;
  TWinControl::FBevelOuter = bvRaised;
  FUseDockManager = true;
}

TCustomPanel::~TCustomPanel() {
  Destroying();
  FDockManager.reset();
}

void TCustomPanel::DescribeClass(TClassBuilder<TCustomPanel>& c) {
  c.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
  c.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
  c.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
  c.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
  c.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
  c.Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint).Default(1);
  c.Property("AutoSize", &TCustomPanel::AutoSize, &TCustomPanel::SetAutoSize).Default(0);
  c.Property("ParentBackground", &TCustomPanel::ParentBackground, &TCustomPanel::SetParentBackground).Default(0);
  c.Property("UseDockManager", &TCustomPanel::UseDockManager, &TCustomPanel::SetUseDockManager).Default(1);
}

void TCustomPanel::Dispatch(TMessage& m) { inherited::Dispatch(m); }

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel value) {
  if (value == FBevelInner) return;
  FBevelInner = TWinControl::FBevelInner = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel value) {
  if (value == FBevelOuter) return;
  FBevelOuter = TWinControl::FBevelOuter = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int value) {
  value = std::max(value, 1);
  if (value == FBevelWidth) return;
  FBevelWidth = TWinControl::FBevelWidth = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone && value != bsSingle) value = bsSingle;
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomPanel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (value) AdjustSize();
}

void TCustomPanel::SetParentBackground(bool value) {
  if (value) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  inherited::SetParentBackground(value);
}

// The ring of BorderWidth is the panel's own painting, not a window frame.
TRect TCustomPanel::ClientRect() {
  if (FHandle) return inherited::ClientRect();
  return TControl::ClientRect();
}

void TCustomPanel::WMNCCalcSize(TMessage& m) { DefaultHandler(m); }
void TCustomPanel::WMNCPaint(TMessage& m) { DefaultHandler(m); }

void TCustomPanel::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) params.ExStyle |= WS_EX_CLIENTEDGE;
    else params.Style |= WS_BORDER;
  }
  // Resizing repaints what changed (WM_WINDOWPOSCHANGED), not the whole window.
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::CreateWnd() {
  inherited::CreateWnd();
  FWindowSize = TPoint(FWidth, FHeight);
}

int TCustomPanel::FrameWidth() const {
  int width = FBorderWidth;
  if (FBevelOuter != bvNone) width += FBevelWidth;
  if (FBevelInner != bvNone) width += FBevelWidth;
  return width;
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  inherited::AdjustClientRect(rect);
  const int inset = FrameWidth();
  rect.Left += inset;
  rect.Top += inset;
  rect.Right = std::max<LONG>(rect.Left, rect.Right - inset);
  rect.Bottom = std::max<LONG>(rect.Top, rect.Bottom - inset);
}

void TCustomPanel::AlignControls(TControl* control, TRect& rect) {
  inherited::AlignControls(control, rect);
  if (FDockManager && FDockSite && FUseDockManager) {
    TRect area = ClientRect();
    AdjustClientRect(area);
    FDockManager->ResetBounds(area);
  }
  if (FAutoSize) AdjustSize();
}

// The panel's size is its visible children's extent plus the frame around the client area.
void TCustomPanel::AdjustSize() {
  if (!FAutoSize || FAutoSizing || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  int right = 0, bottom = 0;
  bool any = false;
  TRect inner = ClientRect();
  AdjustClientRect(inner);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    any = true;
    right = std::max(right, c->Left() + c->Width() - static_cast<int>(inner.Left));
    bottom = std::max(bottom, c->Top() + c->Height() - static_cast<int>(inner.Top));
  }
  if (!any) return;
  const TRect client = ClientRect();
  const int frameX = FWidth - static_cast<int>(inner.Width()), frameY = FHeight - static_cast<int>(inner.Height());
  (void)client;
  FAutoSizing = true;
  try {
    SetBounds(FLeft, FTop, right + frameX, bottom + frameY);
  } catch (...) {
    FAutoSizing = false;
    throw;
  }
  FAutoSizing = false;
}

void TCustomPanel::Loaded() {
  inherited::Loaded();
  if (FAutoSize) AdjustSize();
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  auto colors = [](TPanelBevel bevel, TColor& top, TColor& bottom) {
    top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
  };
  TColor top, bottom;
  if (FBevelOuter != bvNone) {
    colors(FBevelOuter, top, bottom);
    if (FBevelOuter == bvSpace) top = bottom = FColor;
    Frame3D(canvas, r, top, bottom, FBevelWidth);
  }
  if (FBorderWidth > 0) Frame3D(canvas, r, FColor, FColor, FBorderWidth);
  if (FBevelInner != bvNone) {
    colors(FBevelInner, top, bottom);
    if (FBevelInner == bvSpace) top = bottom = FColor;
    Frame3D(canvas, r, top, bottom, FBevelWidth);
  }
  if (!ParentBackground()) {
    canvas->Brush()->SetColor(FColor);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
  }
  const AnsiString caption = Caption();
  if (caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->Assign(Font());
  const int fontHeight = canvas->TextHeight("W");
  TRect line = r;
  line.Top = (r.Bottom + r.Top - fontHeight) / 2;
  line.Bottom = line.Top + fontHeight;
  UINT flags = DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE;
  flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags = DrawTextBiDiModeFlags(flags);
  RECT box = line;
  DrawTextA(canvas->Handle(), caption.c_str(), -1, &box, flags);
  canvas->Brush()->SetStyle(bsSolid);
}

// The parent's painting shows through a panel with ParentBackground.
void TCustomPanel::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!ParentBackground() || !FParent) {
    inherited::WMEraseBkgnd(m);
    return;
  }
  HDC dc = m.DC;
  const int saved = SaveDC(dc);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - FLeft, origin.y - FTop, nullptr);
  const TRect client = FParent->ClientRect();
  IntersectClipRect(dc, 0, 0, client.Right, client.Bottom);
  FParent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  FParent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  m.SetResult(1);
}

// A caption moves with any size change, and so does everything with FullRepaint; otherwise
// only the frame's strips along the right and bottom edges, where they were and where they
// are now, are painted again.
void TCustomPanel::WMWindowPosChanged(TWMWindowPosMsg& m) {
  const WINDOWPOS* pos = m.WindowPos;
  if (FHandle && pos && !(pos->flags & SWP_NOSIZE)) {
    const int oldWidth = FWindowSize.X, oldHeight = FWindowSize.Y;
    const int width = pos->cx, height = pos->cy;
    if (oldWidth >= 0 && (width != oldWidth || height != oldHeight)) {
      if (FFullRepaint || !Caption().empty()) {
        InvalidateRect(FHandle, nullptr, TRUE);
      } else if (const int frame = FrameWidth(); frame > 0) {
        if (width != oldWidth) {
          RECT strip{std::min(oldWidth, width) - frame - 1, 0, std::max(oldWidth, width), std::max(oldHeight, height)};
          InvalidateRect(FHandle, &strip, TRUE);
        }
        if (height != oldHeight) {
          RECT strip{0, std::min(oldHeight, height) - frame - 1, std::max(oldWidth, width), std::max(oldHeight, height)};
          InvalidateRect(FHandle, &strip, TRUE);
        }
      }
    }
    FWindowSize = TPoint(width, height);
  }
  inherited::WMWindowPosChanged(m);
}

void TCustomPanel::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  Invalidate();
}

TDockTree* TCustomPanel::DockManager() {
  if (!FDockManager && FDockSite && FUseDockManager && !ComponentState().Contains(csDestroying))
    FDockManager.reset(CreateDockManager());
  return FDockManager.get();
}

TDockTree* TCustomPanel::CreateDockManager() { return new TDockTree(this); }
