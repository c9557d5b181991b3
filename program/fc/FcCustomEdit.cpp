#include "program/fc/FcCustomEdit.h"

#include <algorithm>

#include "platform/comctl/Edit.h"
#include "platform/gdi/DcGuards.h"
#include "platform/user/DrawControls.h"
#include "program/fc/FcColors.h"
#include "program/fc/FcSetter.h"
#include "vcl/Canvas.h"
#include "vcl/Filer.h"
#include "vcl/Form.h"

namespace {

// A canvas bound to a DC for one painting pass; unbound again whatever happens.
class TBoundCanvas {
 public:
  TBoundCanvas(TCanvas* canvas, HDC dc) : m_canvas(canvas) { canvas->SetHandle(dc); }
  ~TBoundCanvas() { m_canvas->SetHandle(nullptr); }
  TBoundCanvas(const TBoundCanvas&) = delete;
  TBoundCanvas& operator=(const TBoundCanvas&) = delete;

 private:
  TCanvas* m_canvas;
};

}  // namespace

TFcCustomEdit::TFcCustomEdit(TComponent* owner) : TCustomMaskEdit(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  FControlStyle.Include(csCaptureMouse);
  FControlStyle.Exclude(csSetCaption);
  FCanvas->SetControl(this);
}

TFcCustomEdit::~TFcCustomEdit() {
  *FAlive = false;
  if (FFrameController) FFrameController->RemoveControl(this);
}

void TFcCustomEdit::DescribeClass(TClassBuilder<TFcCustomEdit>& c) {
  using T = TFcCustomEdit;
  c.Property("Color", &T::Color, &T::SetColor).Type(ColorTypeInfo()).Stored(&T::IsColorStored);
  c.Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(0);
  c.Property("DisabledColor", &T::DisabledColor, &T::SetDisabledColor)
      .Type(ColorTypeInfo()).Default(clBtnFace).Stored(&T::IsDisabledColorStored);
  c.Property("FocusColor", &T::FocusColor, &T::SetFocusColor)
      .Type(ColorTypeInfo()).Default(clWindow).Stored(&T::IsFocusColorStored);
  c.Property("FrameColor", &T::FrameColor, &T::SetFrameColor)
      .Type(ColorTypeInfo()).Default(clBtnShadow).Stored(&T::IsFrameColorStored);
  c.Property("FrameHotColor", &T::FrameHotColor, &T::SetFrameHotColor)
      .Type(ColorTypeInfo()).Default(clBtnShadow).Stored(&T::IsFrameHotColorStored);
  c.Property("FrameHotTrack", &T::FrameHotTrack, &T::SetFrameHotTrack).Default(0).Stored(&T::IsFrameHotTrackStored);
  c.Property("FrameHotStyle", &T::FrameHotStyle, &T::SetFrameHotStyle)
      .Default(fsFlatBold).Stored(&T::IsFrameHotStyleStored);
  c.Property("FrameSides", &T::FrameSides, &T::SetFrameSides).Default(AllSides.Bits()).Stored(&T::IsFrameSidesStored);
  c.Property("FrameStyle", &T::FrameStyle, &T::SetFrameStyle).Default(fsFlat).Stored(&T::IsFrameStyleStored);
  c.Property("FrameVisible", &T::FrameVisible, &T::SetFrameVisible).Default(0).Stored(&T::IsFrameVisibleStored);
  c.Property("FramingPreference", &T::FramingPreference, &T::SetFramingPreference)
      .Default(fpXPThemes).Stored(&T::IsFramingPreferenceStored);
  c.Property("ReadOnlyColor", &T::ReadOnlyColor, &T::SetReadOnlyColor)
      .Type(ColorTypeInfo()).Default(clInfoBk).Stored(&T::IsReadOnlyColorStored);
  c.Property("ReadOnlyColorOnFocus", &T::ReadOnlyColorOnFocus, &T::SetReadOnlyColorOnFocus)
      .Default(0).Stored(&T::IsReadOnlyColorOnFocusStored);
  c.Property("FlatButtonColor", &T::FlatButtonColor, &T::SetFlatButtonColor)
      .Type(ColorTypeInfo()).Default(clBtnFace).Stored(&T::IsFlatButtonColorStored);
  c.Property("FlatButtons", &T::FlatButtons, &T::SetFlatButtons).Default(0).Stored(&T::IsFlatButtonsStored);
  c.Property("FrameController", &T::FrameController, &T::SetFrameController);
  c.Property("FrameControllerNotifications", &T::FrameControllerNotifications, &T::SetFrameControllerNotifications)
      .Default(AllFrameNotifications);
  c.Property("TabOnEnter", &T::TabOnEnter, &T::SetTabOnEnter).Default(0);
  c.Property("OnDropDown", &T::OnDropDown);
  c.Property("OnCloseUp", &T::OnCloseUp);
}

// Color is written only while it is the edit's own: enabled (else it is DisabledColor) and
// not handed over by a controller. FocusColor only when it differs from Color.
bool TFcCustomEdit::IsColorStored() const { return Enabled() && !Controlled(fcpColor) && TControl::IsColorStored(); }

bool TFcCustomEdit::IsFocusColorStored() const {
  return !Controlled(fcpFocusColor) && ColorToRGB(FFocusColor) != ColorToRGB(Color());
}

void TFcCustomEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  if (FAlignment == taLeftJustify) params.Style &= ~static_cast<DWORD>(platform::ES_MULTILINE);
  if (FAlignment == taRightJustify) params.Style = (params.Style | platform::ES_RIGHT) & ~static_cast<DWORD>(platform::ES_MULTILINE);
}

void TFcCustomEdit::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  DefineOldFrameProperties(filer, this);
}

void TFcCustomEdit::Loaded() {
  inherited::Loaded();
  ApplyStateColor();
  SetHotState(false, false);
}

void TFcCustomEdit::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFrameController) FFrameController = nullptr;
}

void TFcCustomEdit::ValidateError() {
  if (OnValidateError) {
    AnsiString message;
    OnValidateError(this, message);
    if (!message.empty()) throw EDBEditError(message);
  }
  inherited::ValidateError();
}

// ---- state colours and the hot frame -----------------------------------------------------------

void TFcCustomEdit::ApplyStateColor() {
  if (ComponentState().Contains(csLoading)) return;
  FColorUpdating = true;
  try {
    if (!Enabled()) SetColor(FDisabledColor);
    else if (Focused()) SetColor(ReadOnly() && FReadOnlyColorOnFocus ? FReadOnlyColor : FFocusColor);
    else SetColor(ReadOnly() ? FReadOnlyColor : FNormalColor);
  } catch (...) {
    FColorUpdating = false;
    throw;
  }
  FColorUpdating = false;
}

void TFcCustomEdit::SetHotState(bool byMouse, bool active) {
  (byMouse ? FMouseOver : FFocusActive) = active;
  if (FDropButtonVisible) {
    if ((FFlatButtons || FFrameHotTrack || ::UsesVisualStyle()) && FButtonState != 2 && HandleAllocated()) {
      // With a hot frame the whole frame changes; otherwise only the button's end.
      TRect area = WindowAreaInClient();
      if (!FFrameHotTrack) {
        const int strip = GetSystemMetrics(SM_CXVSCROLL) + 2;
        if (ButtonOnLeft()) area.Right = std::min(area.Right, strip);
        else area.Left = std::max(area.Left, ClientWidth() - strip);
      }
      RedrawWindow(FHandle, area.AsRect(), nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
    }
  } else if (FFrameHotTrack) {
    InvalidateFrame();
  }
  ApplyStateColor();
}

void TFcCustomEdit::InvalidateFrame() {
  // The frame lies outside the client rectangle: the whole window is named, or nothing of
  // the frame would be reached.
  if (HandleAllocated()) InvalidateNonClient(FHandle, WindowAreaInClient());
}

bool TFcCustomEdit::UsesVisualStyle() const { return FFramingPreference == fpXPThemes && ::UsesVisualStyle(); }

TRect TFcCustomEdit::ClientAreaInWindow() {
  if (!HandleAllocated()) return ClientRect();
  RECT window{}, client{};
  GetWindowRect(FHandle, &window);
  GetClientRect(FHandle, &client);
  POINT origin{0, 0};
  ::ClientToScreen(FHandle, &origin);
  const int left = origin.x - window.left, top = origin.y - window.top;
  return TRect(left, top, left + client.right, top + client.bottom);
}

TRect TFcCustomEdit::WindowAreaInClient() {
  const TRect client = ClientAreaInWindow();
  return TRect(-client.Left, -client.Top, Width() - client.Left, Height() - client.Top);
}

void TFcCustomEdit::RedrawFrame() {
  if (HandleAllocated()) RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
}

// ---- properties -------------------------------------------------------------------------------

void TFcCustomEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TFcCustomEdit::SetButtonState(int value) {
  if (!FDropButtonVisible || value == FButtonState) return;
  FButtonState = value;
  RedrawFrame();
}

void TFcCustomEdit::SetDropButtonVisible(bool value) {
  if (value == FDropButtonVisible) return;
  FDropButtonVisible = value;
  if (!value) {
    FButtonState = 0;
    FOverButton = false;
  }
  RecreateWnd();
}

void TFcCustomEdit::SetFlatButtons(bool value) {
  if (value == FFlatButtons) return;
  FFlatButtons = value;
  RedrawFrame();
}

void TFcCustomEdit::SetFlatButtonColor(TColor value) {
  if (value == FFlatButtonColor) return;
  FFlatButtonColor = value;
  RedrawFrame();
}

void TFcCustomEdit::SetDisabledColor(TColor value) {
  FDisabledColor = value;
  if (!Enabled()) ApplyStateColor();
}

void TFcCustomEdit::SetFocusColor(TColor value) {
  FFocusColor = value;
  if (Focused()) ApplyStateColor();
}

void TFcCustomEdit::SetReadOnlyColor(TColor value) {
  FReadOnlyColor = value;
  if (ReadOnly()) ApplyStateColor();
}

void TFcCustomEdit::SetReadOnlyColorOnFocus(bool value) {
  if (value == FReadOnlyColorOnFocus) return;
  FReadOnlyColorOnFocus = value;
  if (ReadOnly() && Focused()) ApplyStateColor();
}

#define FC_EDIT_FRAME_SETTER(Name, Type, Field) \
  FC_DEFINE_SETTER(TFcCustomEdit, Name, Type, Field, InvalidateFrame())

FC_EDIT_FRAME_SETTER(FrameColor, TColor, FFrameColor)
FC_EDIT_FRAME_SETTER(FrameHotColor, TColor, FFrameHotColor)
FC_EDIT_FRAME_SETTER(FrameHotStyle, TFrameStyle, FFrameHotStyle)
FC_EDIT_FRAME_SETTER(FrameSides, TSides, FFrameSides)
FC_EDIT_FRAME_SETTER(FrameStyle, TFrameStyle, FFrameStyle)

#undef FC_EDIT_FRAME_SETTER

void TFcCustomEdit::SetFrameHotTrack(bool value) {
  if (value == FFrameHotTrack) return;
  FFrameHotTrack = value;
  if (value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) SetFrameSides(AllSides);
  }
  InvalidateFrame();
  Invalidate();
}

void TFcCustomEdit::SetFrameVisible(bool value) {
  if (value == FFrameVisible) return;
  FFrameVisible = value;
  if (value) SetCtl3D(true);
  RecreateWnd();
}

void TFcCustomEdit::SetFramingPreference(TFramingPreference value) {
  if (value == FFramingPreference) return;
  FFramingPreference = value;
  if (value == fpCustomFraming) InvalidateFrame();
}

void TFcCustomEdit::SetFrameController(TFcFrameController* value) {
  ConnectFrameController(this, FFrameController, value);
}

void TFcCustomEdit::SetReadOnly(bool value) {
  if (value == TCustomEdit::ReadOnly()) return;
  TCustomEdit::SetReadOnly(value);
  ReadOnlyChanged();
}

void TFcCustomEdit::ReadOnlyChanged() {
  if (ReadOnly()) EnterReadOnly();
  else LeaveReadOnly();
  ApplyStateColor();
  RedrawFrame();
}

// ---- the drop-down sequence ---------------------------------------------------------------------

void TFcCustomEdit::DoDropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TFcCustomEdit::DoCloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TFcCustomEdit::RunDropDown() {
  if (!FDropButtonVisible || FDropping) return;
  FDropping = true;
  if (HandleAllocated()) SetCapture(FHandle);
  SetButtonState(2);
  // The button comes up and the sequence ends even when a handler raises, unless the edit
  // itself went meanwhile (its form freed while the drop-down was open).
  struct TEnd {
    TFcCustomEdit* edit;
    std::shared_ptr<bool> alive;
    ~TEnd() {
      if (!*alive) return;
      edit->SetButtonState(0);
      edit->FDropping = false;
    }
  };
  TEnd end{this, FAlive};
  DoDropDown();
  if (!*end.alive) return;
  DoCloseUp();
}

void TFcCustomEdit::ReleaseButton() {
  if (!FDropping) SetButtonState(0);
  if (HandleAllocated() && GetCapture() == FHandle) ReleaseCapture();
}

// ---- painting ---------------------------------------------------------------------------------

TRect TFcCustomEdit::DropButtonRect() {
  if (!FDropButtonVisible) return TRect();
  TRect r(0, 0, Width(), Height());
  if (BorderStyle() == bsSingle) {
    const int inset = ::UsesVisualStyle() ? 1 : 2;
    r = TRect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
  }
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  if (ButtonOnLeft()) r.Right = std::min(r.Right, r.Left + cx);
  else r.Left = std::max(r.Left, r.Right - cx);
  return r;
}

void TFcCustomEdit::WMNCPaint(TMessage& m) {
  inherited::WMNCPaint(m);
  if (!HandleAllocated()) return;
  const bool frame = FFrameVisible && !UsesVisualStyle();
  if (!frame && !FDropButtonVisible) return;
  HDC dc = GetWindowDC(FHandle);
  if (!dc) return;
  {
    platform::SavedDcState saved(dc);
    TBoundCanvas bound(FCanvas.get(), dc);
    if (frame) {
      const bool hot = FFrameHotTrack && (FFocusActive || FMouseOver);
      DrawEditFrame(FCanvas.get(), Width(), Height(), FFrameSides, hot ? FFrameHotColor : FFrameColor, Color(),
                    hot ? FFrameHotStyle : FFrameStyle);
    }
    if (FDropButtonVisible) {
      TRect r(0, 0, Width(), Height());
      if (BorderStyle() == bsSingle) {
        const int inset = ::UsesVisualStyle() ? 1 : 2;
        r = TRect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      }
      const TRect button = DropButtonRect();
      PaintDropButton(button);
      // The strip between the frame and the text takes the edit's colour; the text itself
      // is the client's and stays.
      ExcludeClipRect(dc, button.Left, button.Top, button.Right, button.Bottom);
      const TRect client = ClientAreaInWindow();
      ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
      FCanvas->Brush()->SetColor(Color());
      FCanvas->Brush()->SetStyle(bsSolid);
      FCanvas->FillRect(r);
    }
  }
  ReleaseDC(FHandle, dc);
  m.Result = 0;
}

void TFcCustomEdit::PaintDropButton(const TRect& rect) {
  TCanvas* canvas = FCanvas.get();
  const bool pressed = FButtonState == 2;
  const bool hot = FFocusActive || FMouseOver;
  if (!FFlatButtons) {
    RECT box = *rect.AsRect();
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (pressed) state |= DFCS_FLAT | DFCS_PUSHED;
    if (!Enabled()) state |= DFCS_INACTIVE;
    DrawFrameControl(canvas->Handle(), &box, DFC_SCROLL, state);
    return;
  }
  canvas->Brush()->SetStyle(bsSolid);
  if (!hot) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    DrawDropArrow(canvas, rect, false, false, Enabled());
    return;
  }
  TRect inside;
  if (FFlatButtonColor == clBtnFace) {
    inside = pressed ? DrawBevel(canvas, rect, clBtnShadow, clBtnHighlight, AllSides, 1)
                     : DrawBevel(canvas, rect, clBtnHighlight, clBtnShadow, AllSides, 1);
  } else {
    inside = DrawColorBorder(canvas, rect, FFlatButtonColor, AllSides, pressed ? fsStatus : fsPopup);
  }
  canvas->Brush()->SetColor(FFlatButtonColor);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(inside);
  DrawDropArrow(canvas, rect, false, pressed, Enabled());
}

// ---- messages -----------------------------------------------------------------------------------

void TFcCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST: WMNCHitTest(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TFcCustomEdit::WMNCCalcSize(TMessage& m) {
  inherited::WMNCCalcSize(m);
  if (!FDropButtonVisible || !m.LParam) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
  const int cx = GetSystemMetrics(SM_CXVSCROLL) - (::UsesVisualStyle() ? 1 : 0);
  if (ButtonOnLeft()) r->left = std::min(r->right, r->left + cx);
  else r->right = std::max(r->left, r->right - cx);
}

// The room reserved for the button is no part of the window to the platform (HTNOWHERE):
// the edit claims it as client area, so presses there come as client presses.
void TFcCustomEdit::WMNCHitTest(TMessage& m) {
  inherited::Dispatch(m);
  if (m.Result == HTNOWHERE && FDropButtonVisible) {
    m.Result = HTCLIENT;
    FOverButton = true;
  } else {
    FOverButton = false;
  }
}

void TFcCustomEdit::WMSetCursor(TMessage& m) {
  // Over the button the pointer is the arrow, not the text beam.
  if (FOverButton) m.LParam = static_cast<LPARAM>(static_cast<DWORD>(m.LParam) & 0xFFFF0000u);
  inherited::WMSetCursor(m);
}

void TFcCustomEdit::WMSize(TWMSize& m) {
  inherited::WMSize(m);
  if (FFrameVisible && !UsesVisualStyle()) InvalidateFrame();
}

void TFcCustomEdit::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  ReleaseButton();
}

void TFcCustomEdit::WMLButtonDown(TWMMouse& m) {
  if (FDropButtonVisible && FOverButton) {
    // A press on the button leaves the caret where it is.
    if (!Focused() && CanFocus()) SetFocus();
    m.SetResult(0);
    RunDropDown();
    return;
  }
  inherited::WMLButtonDown(m);
  if (!Focused()) ReleaseButton();
}

void TFcCustomEdit::WMLButtonDblClk(TWMMouse& m) {
  if (FDropButtonVisible && FOverButton) {
    if (!Focused() && CanFocus()) SetFocus();
    m.SetResult(0);
    RunDropDown();
    return;
  }
  inherited::WMLButtonDblClk(m);
}

void TFcCustomEdit::WMLButtonUp(TWMMouse& m) {
  ReleaseButton();
  inherited::WMLButtonUp(m);
}

void TFcCustomEdit::WMRButtonDown(TWMMouse& m) {
  if (FDropButtonVisible && FOverButton) return;
  inherited::WMRButtonDown(m);
}

void TFcCustomEdit::KeyDown(WORD& key, TShiftState shift) {
  if (FDropButtonVisible && key == VK_DOWN && shift == TShiftState{ssAlt}) {
    key = 0;
    RunDropDown();
    return;
  }
  inherited::KeyDown(key, shift);
}

void TFcCustomEdit::KeyPress(char16_t& key) {
  if (FTabOnEnter && key == u'\r') {
    key = 0;
    if (HandleAllocated()) PostMessageA(FHandle, WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  inherited::KeyPress(key);
}

void TFcCustomEdit::CMEnter(TMessage& m) {
  SetHotState(false, true);
  inherited::CMEnter(m);
}

void TFcCustomEdit::CMExit(TMessage& m) {
  inherited::CMExit(m);
  SetHotState(false, false);
}

void TFcCustomEdit::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  ApplyStateColor();
  if (HandleAllocated()) SendMessageA(FHandle, WM_NCPAINT, 1, 0);
}

void TFcCustomEdit::CMColorChanged(TMessage& m) {
  inherited::CMColorChanged(m);
  if (!FColorUpdating) {
    // A colour given from outside is the resting colour; a focus colour that matched the old
    // one follows it.
    if (FFocusColor == FNormalColor) FFocusColor = Color();
    FNormalColor = Color();
  }
  if (FFrameVisible && !UsesVisualStyle()) InvalidateFrame();
}

void TFcCustomEdit::CMParentColorChanged(TMessage& m) {
  inherited::CMParentColorChanged(m);
  if (ParentColor() && !FColorUpdating) {
    if (FFocusColor == FNormalColor) FFocusColor = Color();
    FNormalColor = Color();
  }
  if (FFrameVisible && !UsesVisualStyle()) InvalidateFrame();
}

void TFcCustomEdit::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (!ComponentState().Contains(csDesigning)) SetHotState(true, true);
}

void TFcCustomEdit::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  SetHotState(true, false);
}
