#include "program/controls/FSEdit.h"

#include <algorithm>

#include "platform/comctl/Edit.h"
#include "platform/gdi/Text.h"
#include "platform/user/DrawControls.h"
#include "platform/gdi/DcGuards.h"
#include "program/skin/DrawUtils.h"
#include "rtl/Strings.h"

using namespace platform;

namespace {

// An item's part at a list position named `name` (case ignored).
bool PartNamed(const TSkinItemPart* part, const char* name) { return part && SameText(part->Name, name); }

// Binds a canvas to a DC for a scope and gives it back the DC it had: painting nests (the
// edit's own painting asks for its colours, which paint the skin through the same canvas).
class CanvasBinding {
 public:
  CanvasBinding(TCanvas* canvas, HDC dc) : m_canvas(canvas), m_previous(canvas->HandleAllocated() ? canvas->Handle() : nullptr) {
    m_canvas->SetHandle(dc);
  }
  ~CanvasBinding() { m_canvas->SetHandle(m_previous); }
  CanvasBinding(const CanvasBinding&) = delete;
  CanvasBinding& operator=(const CanvasBinding&) = delete;

 private:
  TCanvas* m_canvas;
  HDC m_previous;
};

}  // namespace

void TFSEdit::DescribeClass(TClassBuilder<TFSEdit>& c) {
  DescribeSkinnedEdit(c);
  c.Property("NumberOnly", &TFSEdit::NumberOnly, &TFSEdit::SetNumberOnly).Default(0);
  c.Property("Text", &TFSEdit::Text, &TFSEdit::SetText);
}

TFSCustomEdit::TFSCustomEdit(TComponent* owner, const char* defaultSkinName)
    : TCustomEdit(owner), FSkinName(defaultSkinName), FDefaultSkinName(defaultSkinName),
      FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
  UpdateSkin();
}

TFSCustomEdit::~TFSCustomEdit() {
  Destroying();
  FCanvas.reset();
}

// ---- skin ---------------------------------------------------------------------------------------

void TFSCustomEdit::SetSkinName(const AnsiString& value) {
  AnsiString name;
  int id = 0;
  TFSSkinEngine::ParseSkinName(value, name, id);
  if (name == FSkinName) return;
  FSkinName = name;
  FSkinItem = nullptr;
  UpdateSkin();
  Invalidate();
}

void TFSCustomEdit::UpdateSkin() {
  TSkinItem* old = FSkinItem;
  FSkinItem = SkinEngine ? SkinEngine->GetSkinItem(FSkinName) : nullptr;
  FButtonLayout = false;
  TSkinItemPart* taken = FSkinItem ? FSkinItem->GetPart(0) : nullptr;
  if (FSkinItem && FSkinItem->GetPartCount() >= 3 && taken && taken->GetStateCount() > 2 && PartNamed(taken, "Button")) {
    taken = FSkinItem->GetPart(2);
    FButtonLayout = taken && (taken->GetStateCount() < 3 || PartNamed(taken, "Frame"));
  }
  if (taken) {
    taken->ApplyToControl(this);
    SetTransparent(taken->IsTransparent());
  }
  if (!HandleAllocated()) return;
  if ((old != nullptr) == (FSkinItem != nullptr)) Redraw(RDW_INVALIDATE | RDW_FRAME);
  else RecreateWnd();
}

void TFSCustomEdit::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

// ---- properties ---------------------------------------------------------------------------------

void TFSCustomEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TFSCustomEdit::SetNumberOnly(bool value) {
  if (value == FNumberOnly) return;
  FNumberOnly = value;
  RecreateWnd();
}

void TFSCustomEdit::SetBorderColor(TColor value) {
  if (value == FBorderColor) return;
  FBorderColor = value;
  Redraw(RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomEdit::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (value) AdjustHeight();
}

void TFSCustomEdit::SetPressed(bool value) {
  if (value == FPressed) return;
  FPressed = value;
  if (FSkinItem) Redraw(RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TFSCustomEdit::Redraw(UINT flags) {
  if (HandleAllocated()) RedrawWindow(FHandle, nullptr, nullptr, flags);
}

void TFSCustomEdit::AdjustHeight() {
  HDC dc = GetDC(nullptr);
  TEXTMETRICW metrics{};
  {
    SelectedObject font(dc, FFont->Handle());
    GetTextMetricsW(dc, &metrics);
  }
  ReleaseDC(nullptr, dc);
  SetHeight(metrics.tmHeight + 8);
}

// ---- window -------------------------------------------------------------------------------------

void TFSCustomEdit::Loaded() {
  inherited::Loaded();
  if (FAutoSize && !ComponentState().Contains(csDesigning)) AdjustHeight();
}

void TFSCustomEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  switch (FAlignment) {
    case taRightJustify: params.Style |= ES_RIGHT; break;
    case taCenter: params.Style |= ES_CENTER; break;
    default: params.Style |= ES_LEFT; break;
  }
  if (FNumberOnly) params.Style |= ES_NUMBER;
  params.WindowClass.style |= CS_PARENTDC;
}

void TFSCustomEdit::CreateWnd() {
  inherited::CreateWnd();
  Perform(WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

void TFSCustomEdit::Resize() {
  inherited::Resize();
  Redraw(RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  SetPressed(true);
  if (!Focused() && CanFocus()) SetFocus();
}

// ---- painting -----------------------------------------------------------------------------------

void TFSCustomEdit::PaintWindow(HDC dc) {
  CanvasBinding bound(FCanvas.get(), dc);
  RedrawBorder();
}

void TFSCustomEdit::RedrawBorder() { PaintFrame(false, true); }

void TFSCustomEdit::PaintFallbackFrame(const TRect& rect) {
  HDC dc = FCanvas->Handle();
  FBrush->SetColor(FColor);
  RECT r = rect;
  FillRect(dc, &r, FBrush->Handle());
  if (BorderStyle() != bsSingle) return;
  if (Ctl3D()) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  else DrawEdge(dc, &r, BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_MONO);
}

void TFSCustomEdit::PaintBorder(const TRect& rect) {
  if (!Ctl3D()) {
    DrawFrameColors(FCanvas->Handle(), rect, FColor, FBorderColor, false);
    return;
  }
  TSkinItemState* state = FSkinItem ? FSkinItem->GetPartState(FramePart(), Enabled(), FMouseInClient, FPressed) : nullptr;
  if (state) state->Draw(FCanvas.get(), rect);
  else PaintFallbackFrame(rect);
}

void TFSCustomEdit::PaintFrame(bool drawFrame, bool drawClient) {
  HDC dc = FCanvas->Handle();
  if (!dc) return;
  const TRect whole(0, 0, Width(), Height());
  if (drawFrame && Transparent()) DrawParentImage(this, dc);
  const bool designing = ComponentState().Contains(csDesigning);
  if (BorderStyle() == bsSingle) {
    if (drawFrame) {
      PaintBorder(whole);
      PaintButtons(whole);
    } else if (designing) {
      SavedDcState saved(dc);
      SelectClipRgn(dc, nullptr);
      if (Ctl3D()) OffsetWindowOrgEx(dc, FFrameWidth, FFrameHeight, nullptr);
      PaintBorder(whole);
      PaintButtons(whole);
    }
    if (drawClient) {
      SavedDcState saved(dc);
      if (drawFrame) OffsetWindowOrgEx(dc, -FFrameWidth, -FFrameHeight, nullptr);
      inherited::PaintWindow(dc);
      if (FSelfDrawn && IsFocusRectVisible(FHandle) && Focused()) DrawFocusRectCanvas(FCanvas.get(), ClientRect());
    }
    return;
  }
  if (drawFrame) PaintButtons(whole);
  inherited::PaintWindow(dc);
}

const WideString& TFSCustomEdit::PasswordMask() {
  const size_t length = UTF8ToWide(Text()).size();
  if (FPasswordMask.size() != length) FPasswordMask.assign(length, PasswordChar());
  return FPasswordMask;
}

void TFSCustomEdit::PrintText() {
  HDC dc = FCanvas->Handle();
  FCanvas->SetFont(Font());
  FCanvas->Brush()->SetStyle(bsClear);
  SetBkMode(dc, TRANSPARENT);
  TRect r = ClientRect();
  if (BorderStyle() == bsSingle) {
    const int shift = Ctl3D() ? 1 : 2;
    OffsetRect(r.AsRect(), shift, shift);
  }
  const WideString text = PasswordChar() != 0 ? PasswordMask() : UTF8ToWide(Text());
  RECT box = r;
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_NOPREFIX);
  if (FSelfDrawn && FHandle && IsFocusRectVisible(FHandle) && Focused()) {
    FCanvas->Brush()->SetColor(FColor);
    DrawFocusRectCanvas(FCanvas.get(), r);
  }
}

// ---- messages -----------------------------------------------------------------------------------

void TFSCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PRINT: WMPrint(m); return;
    case CM_SKINCHANGED: CMSkinChanged(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TFSCustomEdit::WMNCCalcSize(TMessage& m) {
  inherited::WMNCCalcSize(m);
  if (BorderStyle() == bsSingle) FFrameWidth = FFrameHeight = Ctl3D() ? 2 : 1;
  else FFrameWidth = FFrameHeight = 0;
}

void TFSCustomEdit::WMNCPaint(TMessage& m) {
  const HRGN region = reinterpret_cast<HRGN>(m.WParam);
  if (FSkinItem && BorderStyle() == bsSingle && Ctl3D()) {
    HDC dc = GetNCPaintDC(FHandle, region);
    if (!dc) return;
    const int width = Width(), height = Height();
    if (width > 0 && height > 0) {
      OwnedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
      BitmapDc memory(bitmap.get(), dc);
      if (memory.Ready()) {
        {
          CanvasBinding bound(FCanvas.get(), memory.get());
          PaintFrame(true, false);
        }
        TRect client = ClientRect();
        if (ClientRectToWindow(FHandle, client))
          ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
        BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
      }
    }
    ReleaseDC(FHandle, dc);
    m.Result = 0;
    return;
  }
  inherited::WMNCPaint(m);
  HDC dc = GetNCPaintDC(FHandle, region);
  if (!dc) return;
  if (BorderStyle() == bsSingle) {
    TRect client = ClientRect();
    if (ClientRectToWindow(FHandle, client)) ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
    if (!Ctl3D()) DrawFrameColors(dc, TRect(0, 0, Width(), Height()), clNone, FBorderColor, false);
  }
  {
    CanvasBinding bound(FCanvas.get(), dc);
    PaintButtons(TRect(0, 0, Width(), Height()));
  }
  ReleaseDC(FHandle, dc);
}

void TFSCustomEdit::WMPaint(TWMPaint& m) {
  FControlState.Include(csCustomPaint);
  try {
    inherited::WMPaint(m);
  } catch (...) {
    FControlState.Exclude(csCustomPaint);
    throw;
  }
  FControlState.Exclude(csCustomPaint);
}

void TFSCustomEdit::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!FSkinItem) {
    inherited::WMEraseBkgnd(m);
    return;
  }
  m.SetResult(1);
}

void TFSCustomEdit::WMPrint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (!dc) return;
  SavedDcState saved(dc);
  CanvasBinding bound(FCanvas.get(), dc);
  PaintFrame(true, false);
  PrintText();
}

void TFSCustomEdit::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  if (FSelfDrawn) DestroyCaret();
  Redraw(RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TFSCustomEdit::WMLButtonUp(TWMMouse& m) {
  inherited::WMLButtonUp(m);
  SetPressed(false);
}

void TFSCustomEdit::CNCtlColor(TMessage& m) {
  if (m.Msg == CN_CTLCOLORSTATIC && !FSkinItem) {
    inherited::CNCtlColor(m);
    return;
  }
  // With the focus the text stands on the plain colour; the system is past 5.0.
  if (!FSelfDrawn && Focused()) {
    inherited::CNCtlColor(m);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const bool skinned = FSkinItem && BorderStyle() == bsSingle && Ctl3D();
  if (!skinned && !(Transparent() && BorderStyle() == bsNone)) {
    inherited::CNCtlColor(m);
    return;
  }
  {
    SavedDcState saved(dc);
    if (skinned) {
      CanvasBinding bound(FCanvas.get(), dc);
      OffsetWindowOrgEx(dc, FFrameWidth, FFrameHeight, nullptr);
      DrawParentImage(this, dc);
      const TRect client = ClientRect();
      IntersectClipRect(dc, FFrameWidth, FFrameHeight, FFrameWidth + client.Right, FFrameHeight + client.Bottom);
      const TRect whole(0, 0, Width(), Height());
      PaintBorder(whole);
      PaintButtons(whole);
    } else {
      DrawParentImage(this, dc);
    }
  }
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkMode(dc, TRANSPARENT);
  m.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void TFSCustomEdit::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  Redraw(RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomEdit::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  const TComponentState state = ComponentState();
  if (FAutoSize && !(state.Contains(csDesigning) && state.Contains(csLoading))) AdjustHeight();
}

void TFSCustomEdit::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  FPasswordMask.clear();
}

void TFSCustomEdit::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  Invalidate();
}

void TFSCustomEdit::CMParentColorChanged(TMessage& m) {
  inherited::CMParentColorChanged(m);
  Invalidate();
}

void TFSCustomEdit::CMCtl3DChanged(TMessage& m) {
  inherited::CMCtl3DChanged(m);
  // The border is a window style: the window is made again with it.
  if (BorderStyle() == bsSingle) RecreateWnd();
}
