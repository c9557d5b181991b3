#include "program/controls/FSSpinEdit.h"

#include <algorithm>
#include <limits>

#include "platform/gdi/DcGuards.h"
#include "platform/user/DrawControls.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"

using namespace platform;

namespace {

int Saturate(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool Contains(const TRect& r, POINT p) { return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom; }

}  // namespace

void TFSSpinEdit::DescribeClass(TClassBuilder<TFSSpinEdit>& c) {
  DescribeSkinnedEdit(c);
  c.Property("NumberOnly", &TFSSpinEdit::NumberOnly, &TFSSpinEdit::SetNumberOnly).Default(0);
  c.Property("Increment", &TFSSpinEdit::Increment, &TFSSpinEdit::SetIncrement).Default(1);
  c.Property("MinValue", &TFSSpinEdit::MinValue, &TFSSpinEdit::SetMinValue).Default(0);
  c.Property("MaxValue", &TFSSpinEdit::MaxValue, &TFSSpinEdit::SetMaxValue).Default(100);
  c.Property("Value", &TFSSpinEdit::Value, &TFSSpinEdit::SetValue).Stored(false);
  c.Property("OnClick", static_cast<TUDClickEvent TFSSpinEdit::*>(&TFSSpinEdit::OnClick));
  c.Property("OnChanging", static_cast<TUDChangingEvent TFSSpinEdit::*>(&TFSSpinEdit::OnChanging));
  c.Property("OnChangingEx", static_cast<TUDChangingEventEx TFSSpinEdit::*>(&TFSSpinEdit::OnChangingEx));
}

TFSCustomSpinEdit::TFSCustomSpinEdit(TComponent* owner) : TFSCustomEdit(owner, "SpinEdit") {
  SetText("0");
  FControlStyle.Include(csCaptureMouse);
}

// ---- values -------------------------------------------------------------------------------------

int TFSCustomSpinEdit::TextValue() {
  Int64 value = 0;
  if (!TryStrToInt64(Trim(Text()), value)) return FMinValue;
  return Saturate(value);
}

int TFSCustomSpinEdit::Bounded(int64_t value) const {
  value = std::max<int64_t>(value, FMinValue);
  if (FMaxValue != 0) value = std::min<int64_t>(value, FMaxValue);
  return Saturate(value);
}

int TFSCustomSpinEdit::Value() { return Bounded(TextValue()); }

bool TFSCustomSpinEdit::CanChange(int newValue, int64_t step) {
  bool allow = true;
  TUpDownDirection direction = updNone;
  const bool belowMin = newValue < FMinValue && step < 0;
  const bool aboveMax = FMaxValue != 0 && newValue > FMaxValue && step > 0;
  if (!belowMin && !aboveMax) direction = step < 0 ? updDown : step > 0 ? updUp : updNone;
  if (OnChanging) OnChanging(this, allow);
  if (OnChangingEx) OnChangingEx(this, allow, newValue, direction);
  return allow;
}

void TFSCustomSpinEdit::SetValue(int value) {
  const int bounded = Bounded(value);
  if (!CanChange(bounded, static_cast<int64_t>(bounded) - TextValue())) return;
  SetText(IntToStr(bounded));
}

void TFSCustomSpinEdit::SetMinValue(int value) {
  if (ComponentState().Contains(csLoading)) {
    FLoadedMin = value;
    FLoadedBounds = true;
    return;
  }
  if (value == FMinValue || (FMaxValue != 0 && value > FMaxValue)) return;
  FMinValue = value;
  if (TextValue() < value) SetValue(value);
}

void TFSCustomSpinEdit::SetMaxValue(int value) {
  if (ComponentState().Contains(csLoading)) {
    FLoadedMax = value;
    FLoadedBounds = true;
    return;
  }
  if (value == FMaxValue || (value != 0 && value < FMinValue)) return;
  FMaxValue = value;
  if (value != 0 && TextValue() > value) SetValue(value);
}

// The bounds of a form are taken as a pair, so neither is judged against the other's
// default while the form is read.
void TFSCustomSpinEdit::Loaded() {
  inherited::Loaded();
  if (!FLoadedBounds) return;
  FLoadedBounds = false;
  if (FLoadedMax != 0 && FLoadedMin > FLoadedMax) std::swap(FLoadedMin, FLoadedMax);
  FMinValue = FLoadedMin;
  FMaxValue = FLoadedMax;
  const int bounded = Bounded(TextValue());
  if (IntToStr(bounded) != Text()) SetText(IntToStr(bounded));
}

void TFSCustomSpinEdit::Step(bool up) {
  const int64_t step = up ? static_cast<int64_t>(FIncrement) : -static_cast<int64_t>(FIncrement);
  const int newValue = Saturate(static_cast<int64_t>(Value()) + step);
  if (!CanChange(newValue, step)) return;
  const int bounded = Bounded(newValue);
  if (IntToStr(bounded) != Text()) SetText(IntToStr(bounded));
  if (OnClick) OnClick(this, up ? btPrev : btNext);
}

// ---- geometry and painting ----------------------------------------------------------------------

TRect TFSCustomSpinEdit::ButtonsRect(bool screen) {
  TRect r(0, 0, Width(), Height());
  if (screen && HandleAllocated()) {
    RECT window{};
    GetWindowRect(FHandle, &window);
    r = window;
  }
  r.Top += FFrameHeight;
  r.Bottom -= FFrameHeight;
  r.Right -= FFrameWidth;
  r.Left = r.Right - kButtonWidth - 1;
  return r;
}

TRect TFSCustomSpinEdit::UpHalf(const TRect& buttons) {
  return TRect(buttons.Left, buttons.Top, buttons.Right, buttons.Top + buttons.Height() / 2);
}

TRect TFSCustomSpinEdit::DownHalf(const TRect& buttons) {
  return TRect(buttons.Left, buttons.Bottom - buttons.Height() / 2, buttons.Right, buttons.Bottom);
}

void TFSCustomSpinEdit::PaintButtons(const TRect&) {
  HDC dc = FCanvas->Handle();
  const TRect buttons = ButtonsRect(false);
  if (!dc || !RectVisible(dc, buttons.AsRect())) return;
  SavedDcState saved(dc);
  struct Half {
    TRect rect;
    int button, arrow;
    bool hot, pressed;
    UINT classic;
  } halves[] = {
      {UpHalf(buttons), 1, 2, FUpHot, FUpPressed, DFCS_SCROLLUP},
      {DownHalf(buttons), 3, 4, FDownHot, FDownPressed, DFCS_SCROLLDOWN},
  };
  for (const Half& half : halves) {
    if (FSkinItem) {
      if (TSkinItemState* face = FSkinItem->GetPartState(half.button, Enabled(), half.hot, half.pressed))
        face->Draw(FCanvas.get(), half.rect);
      if (TSkinItemState* arrow = FSkinItem->GetPartState(half.arrow, Enabled(), half.hot, half.pressed)) {
        const int x = half.rect.Left + (half.rect.Width() - arrow->GetWidth()) / 2;
        const int y = half.rect.Top + (half.rect.Height() - arrow->GetHeight()) / 2;
        arrow->DrawAt(FCanvas.get(), x, y);
      }
      continue;
    }
    UINT state = half.classic;
    if (half.pressed) state |= DFCS_PUSHED;
    if (!Enabled()) state |= DFCS_INACTIVE;
    if (half.hot) state |= DFCS_HOT;
    RECT r = half.rect;
    DrawFrameControl(dc, &r, DFC_SCROLL, state);
  }
}

void TFSCustomSpinEdit::RedrawButtons() {
  if (!HandleAllocated()) return;
  TRect r = ButtonsRect(false);
  OffsetRect(r.AsRect(), -FFrameWidth, -FFrameHeight);
  RedrawWindow(FHandle, r.AsRect(), nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
}

// ---- flags --------------------------------------------------------------------------------------

void TFSCustomSpinEdit::SetUpHot(bool value) {
  if (value == FUpHot) return;
  FUpHot = value;
  RedrawButtons();
}

void TFSCustomSpinEdit::SetDownHot(bool value) {
  if (value == FDownHot) return;
  FDownHot = value;
  RedrawButtons();
}

void TFSCustomSpinEdit::StartRepeat() {
  if (HandleAllocated()) SetTimer(FHandle, kRepeatTimer, GetCaretBlinkTime(), nullptr);
}

void TFSCustomSpinEdit::StopRepeatWhenReleased() {
  if (!FUpPressed && !FDownPressed && HandleAllocated()) KillTimer(FHandle, kRepeatTimer);
}

// A press steps at once and starts the repeat.
void TFSCustomSpinEdit::SetUpPressed(bool value) {
  if (value == FUpPressed) return;
  FUpPressed = value;
  RedrawButtons();
  if (value) {
    Step(true);
    StartRepeat();
  } else {
    StopRepeatWhenReleased();
  }
}

void TFSCustomSpinEdit::SetDownPressed(bool value) {
  if (value == FDownPressed) return;
  FDownPressed = value;
  RedrawButtons();
  if (value) {
    Step(false);
    StartRepeat();
  } else {
    StopRepeatWhenReleased();
  }
}

// ---- keys ---------------------------------------------------------------------------------------

void TFSCustomSpinEdit::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key != VK_UP && key != VK_DOWN) return;
  FKeyboard = true;
  if (key == VK_UP) {
    SetUpHot(true);
    SetUpPressed(true);
  } else {
    SetDownHot(true);
    SetDownPressed(true);
  }
  key = 0;
}

void TFSCustomSpinEdit::KeyUp(WORD& key, TShiftState shift) {
  inherited::KeyUp(key, shift);
  if (key != VK_UP && key != VK_DOWN) return;
  FKeyboard = false;
  if (key == VK_UP) {
    SetUpHot(false);
    SetUpPressed(false);
  } else {
    SetDownHot(false);
    SetDownPressed(false);
  }
  key = 0;
}

void TFSCustomSpinEdit::KeyPress(char16_t& key) {
  inherited::KeyPress(key);
  const bool digit = key >= u'0' && key <= u'9';
  const bool minus = key == u'-' && FMinValue < 0;
  if (key != u'\b' && !digit && !minus) key = 0;
}

// ---- messages -----------------------------------------------------------------------------------

void TFSCustomSpinEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_NCMOUSEMOVE: WMNCMouseMove(m); return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDown(m); return;
    case WM_NCLBUTTONUP: WMNCLButtonUp(m); return;
    case WM_NCMOUSELEAVE: WMNCMouseLeave(m); return;
    case WM_TIMER: WMTimer(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TFSCustomSpinEdit::WMNCCalcSize(TMessage& m) {
  inherited::WMNCCalcSize(m);
  if (!m.LParam) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
  r->right = std::max(r->left, r->right - kButtonWidth);
}

void TFSCustomSpinEdit::WMNCHitTest(TMessage& m) {
  const POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (!ComponentState().Contains(csDesigning) && Contains(ButtonsRect(true), at)) {
    m.Result = HTOBJECT;
    return;
  }
  inherited::Dispatch(m);
}

void TFSCustomSpinEdit::WMNCMouseMove(TMessage& m) {
  inherited::Dispatch(m);
  const POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  const TRect buttons = ButtonsRect(true);
  SetUpHot(Contains(UpHalf(buttons), at));
  SetDownHot(Contains(DownHalf(buttons), at));
  if (FUpHot || FDownHot) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_NONCLIENT, FHandle, 0};
    TrackMouseEvent(&track);
  }
}

void TFSCustomSpinEdit::WMNCLButtonDown(TMessage& m) {
  inherited::Dispatch(m);
  FKeyboard = false;
  if (FUpHot) {
    SetUpPressed(true);
    SetCapture(FHandle);
  } else if (FDownHot) {
    SetDownPressed(true);
    SetCapture(FHandle);
  }
}

void TFSCustomSpinEdit::WMNCLButtonUp(TMessage& m) {
  inherited::Dispatch(m);
  if (GetCapture() == FHandle) ReleaseCapture();
  SetUpPressed(false);
  SetDownPressed(false);
}

void TFSCustomSpinEdit::WMNCMouseLeave(TMessage& m) {
  inherited::Dispatch(m);
  SetUpHot(false);
  SetDownHot(false);
}

void TFSCustomSpinEdit::WMMouseLeave(TMessage& m) {
  inherited::WMMouseLeave(m);
  SetUpHot(false);
  SetDownHot(false);
}

void TFSCustomSpinEdit::WMLButtonUp(TWMMouse& m) {
  inherited::WMLButtonUp(m);
  if (GetCapture() == FHandle) ReleaseCapture();
  SetUpPressed(false);
  SetDownPressed(false);
}

void TFSCustomSpinEdit::WMTimer(TMessage& m) {
  if (m.WParam != kRepeatTimer) {
    inherited::Dispatch(m);
    return;
  }
  SetTimer(FHandle, kRepeatTimer, FKeyboard ? kKeyboardRepeatMs : kMouseRepeatMs, nullptr);
  if (FUpPressed) Step(true);
  else if (FDownPressed) Step(false);
}

// Leaving puts the text in line with Value; a text that is not a number becomes MinValue.
void TFSCustomSpinEdit::CMExit(TMessage& m) {
  inherited::CMExit(m);
  const int value = Value();
  if (IntToStr(value) != Text()) SetValue(value);
}
