#include "program/controls/FSButtonEdit.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/Text.h"
#include "program/skin/DrawUtils.h"
#include "rtl/Strings.h"

using namespace platform;

namespace {

// The right-hand share of the client area a non-client strip takes (0 when `rect` is null).
void TakeRight(TMessage& m, int width) {
  if (!m.LParam) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
  r->right = std::max(r->left, r->right - width);
}

bool Contains(const TRect& r, POINT p) { return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom; }

}  // namespace

void TFSButtonEdit::DescribeClass(TClassBuilder<TFSButtonEdit>& c) {
  DescribeSkinnedEdit(c);
  c.Property("Text", &TFSButtonEdit::Text, &TFSButtonEdit::SetText);
  c.Property("ButtonMode", &TFSButtonEdit::ButtonMode, &TFSButtonEdit::SetButtonMode).Default(0);
  c.Property("ButtonCaption", &TFSButtonEdit::ButtonCaption, &TFSButtonEdit::SetButtonCaption);
  c.Property("ButtonWidth", &TFSButtonEdit::ButtonWidth, &TFSButtonEdit::SetButtonWidth).Default(20);
  c.Property("OnButtonClick", static_cast<TNotifyEvent TFSButtonEdit::*>(&TFSButtonEdit::OnButtonClick));
  c.Property("OnButtonMouseDown", static_cast<TMouseEvent TFSButtonEdit::*>(&TFSButtonEdit::OnButtonMouseDown));
  c.Property("OnButtonMouseUp", static_cast<TMouseEvent TFSButtonEdit::*>(&TFSButtonEdit::OnButtonMouseUp));
}

TFSCustomButtonEdit::TFSCustomButtonEdit(TComponent* owner) : TFSCustomEdit(owner, "ButtonEdit") {
  FControlStyle.Include(csCaptureMouse);
}

// ---- properties ---------------------------------------------------------------------------------

void TFSCustomButtonEdit::SetButtonWidth(int value) {
  if (value == FButtonWidth) return;
  FButtonWidth = value;
  if (HandleAllocated())
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TFSCustomButtonEdit::SetButtonMode(bool value) {
  if (value == FButtonMode) return;
  FButtonMode = value;
  if (!value) return;
  SetSelfDrawn(true);
  SetAutoSelect(false);
}

void TFSCustomButtonEdit::SetButtonCaption(const AnsiString& value) {
  if (value == FButtonCaption) return;
  FButtonCaption = value;
  Redraw(RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomButtonEdit::SetButtonHot(bool value) {
  if (value == FButtonHot) return;
  FButtonHot = value;
  Redraw(FButtonMode ? RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME : RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomButtonEdit::SetButtonPressed(bool value) {
  if (value == FButtonPressed) return;
  FButtonPressed = value;
  Redraw(FButtonMode ? RDW_INVALIDATE | RDW_ERASE | RDW_FRAME : RDW_INVALIDATE | RDW_FRAME);
}

// ---- geometry and painting ----------------------------------------------------------------------

TRect TFSCustomButtonEdit::ButtonRect(bool screen) {
  TRect r(0, 0, Width(), Height());
  if (screen && HandleAllocated()) {
    RECT window{};
    GetWindowRect(FHandle, &window);
    r = window;
  }
  if (BorderStyle() == bsSingle) InflateRect(r.AsRect(), -1, -1);
  r.Left = r.Right - FButtonWidth;
  if (BorderStyle() == bsSingle) r.Left -= FFrameWidth - 1;
  return r;
}

bool TFSCustomButtonEdit::OnButton(POINT screen) {
  if (!FButtonMode) return Contains(ButtonRect(true), screen);
  RECT window{};
  GetWindowRect(FHandle, &window);
  return Contains(TRect(window), screen);
}

void TFSCustomButtonEdit::PaintButtons(const TRect& rect) {
  HDC dc = FCanvas->Handle();
  TRect button = ButtonRect(false);
  (void)rect;
  if (!dc || !RectVisible(dc, button.AsRect())) return;
  SavedDcState saved(dc);
  const bool pressed = FButtonHot && FButtonPressed;
  TSkinItemState* state = FSkinItem ? FSkinItem->GetPartState(ButtonPart(), Enabled(), FButtonHot, pressed) : nullptr;
  if (state) {
    const TSkinItemPart* part = FSkinItem->FindPart(ButtonPart());
    if (!Transparent() && part && part->IsTransparent()) {
      FBrush->SetColor(FColor);
      FillRect(dc, button.AsRect(), FBrush->Handle());
    }
    state->Draw(FCanvas.get(), button);
    if (TSkinItemState* glyph = FSkinItem->GetPartStateEx(GlyphPart(), Enabled(), FButtonHot, pressed, false)) {
      const int x = std::max<int>(button.Left, button.Left + (button.Width() - glyph->GetWidth()) / 2);
      const int y = button.Top + (button.Height() - glyph->GetHeight()) / 2;
      glyph->DrawAt(FCanvas.get(), x, y);
    }
  } else {
    TRect strip(rect.Left, rect.Top + 1, button.Left + 1, rect.Bottom - 1);
    FBrush->SetColor(FColor);
    FillRect(dc, strip.AsRect(), FBrush->Handle());
    InflateRect(button.AsRect(), -1, -1);
    DrawButtonFrame(this, dc, button, Enabled(), FButtonHot, pressed, false, false, false);
  }
  if (!FButtonCaption.empty()) {
    const WideString caption = UTF8ToWide(FButtonCaption);
    SelectedObject font(dc, FFont->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? FFont->Color() : clGrayText));
    RECT box = button;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// ---- events -------------------------------------------------------------------------------------

void TFSCustomButtonEdit::ButtonMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnButtonMouseDown) OnButtonMouseDown(this, button, shift, x, y);
}

void TFSCustomButtonEdit::ButtonMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnButtonMouseUp) OnButtonMouseUp(this, button, shift, x, y);
}

void TFSCustomButtonEdit::ButtonClick() {
  if (OnButtonClick) OnButtonClick(this);
}

void TFSCustomButtonEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (FButtonHot) ButtonClick();
  SetButtonPressed(false);
}

void TFSCustomButtonEdit::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (shift.Contains(ssAlt) && (key == VK_UP || key == VK_DOWN)) ButtonClick();
}

// ---- messages -----------------------------------------------------------------------------------

void TFSCustomButtonEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_NCMOUSEMOVE: WMNCMouseMove(m); return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDown(m); return;
    case WM_NCLBUTTONUP: WMNCLButtonUp(m); return;
    case WM_NCMOUSELEAVE: WMNCMouseLeave(m); return;
    case WM_CAPTURECHANGED: WMCaptureChanged(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TFSCustomButtonEdit::WMNCCalcSize(TMessage& m) {
  inherited::WMNCCalcSize(m);
  TakeRight(m, FButtonWidth);
}

void TFSCustomButtonEdit::WMNCHitTest(TMessage& m) {
  const POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (!ComponentState().Contains(csDesigning) && (FButtonMode || Contains(ButtonRect(true), at))) {
    m.Result = HTOBJECT;
    return;
  }
  inherited::Dispatch(m);
}

void TFSCustomButtonEdit::WMNCMouseMove(TMessage& m) {
  inherited::Dispatch(m);
  const bool wasHot = FButtonHot;
  SetButtonHot(OnButton(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}));
  if (FButtonHot && !wasHot) {
    // A press left over from a release elsewhere is forgotten.
    if (FButtonPressed && GetKeyState(VK_LBUTTON) >= 0) SetButtonPressed(false);
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_NONCLIENT, FHandle, 0};
    TrackMouseEvent(&track);
  }
}

void TFSCustomButtonEdit::WMNCLButtonDown(TMessage& m) {
  inherited::Dispatch(m);
  if (FButtonMode) SetPressed(true);
  if (!FButtonHot && !FButtonMode) return;
  SetButtonPressed(true);
  ButtonMouseDown(mbLeft, {}, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
  if (!Focused() && CanFocus()) SetFocus();
}

void TFSCustomButtonEdit::WMNCLButtonUp(TMessage& m) {
  inherited::Dispatch(m);
  if (!FButtonPressed) return;
  SetButtonPressed(false);
  if (FButtonMode) SetPressed(false);
  if (!FButtonHot && !FButtonMode) return;
  ButtonClick();
  ButtonMouseUp(mbLeft, {}, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
}

void TFSCustomButtonEdit::WMNCMouseLeave(TMessage& m) {
  inherited::Dispatch(m);
  SetButtonHot(false);
}

void TFSCustomButtonEdit::WMMouseLeave(TMessage& m) {
  inherited::WMMouseLeave(m);
  POINT cursor{};
  GetCursorPos(&cursor);
  SetButtonHot(OnButton(cursor));
}

void TFSCustomButtonEdit::WMCaptureChanged(TMessage& m) {
  inherited::Dispatch(m);
  SetButtonPressed(false);
}

void TFSCustomButtonEdit::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  if (!ComponentState().Contains(csDestroying)) Redraw(RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}
