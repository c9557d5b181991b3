#include "vcl/Control.h"

#include <algorithm>

#include "vcl/Action.h"
#include "vcl/Application.h"
#include "vcl/Canvas.h"
#include "vcl/Drag.h"
#include "vcl/Form.h"
#include "vcl/Menu.h"
#include "vcl/Reader.h"
#include "vcl/WinControl.h"
#include "platform/gdi/Text.h"
#include "rtl/Strings.h"

namespace {

TControl* g_captureControl = nullptr;
TControl* g_mouseControl = nullptr;

// Window-less controls draw through their parent's window, with the origin moved to them.
HDC GetControlDC(TControl* control) {
  if (auto* win = dynamic_cast<TWinControl*>(control)) return GetDC(win->Handle());
  TWinControl* parent = control->Parent();
  if (!parent) throw EInvalidOperation(ControlHasNoParentMessage(control->Name()));
  HDC dc = GetDC(parent->Handle());
  SetWindowOrgEx(dc, -control->Left(), -control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
  return dc;
}

void ReleaseControlDC(TControl* control, HDC dc) {
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    ReleaseDC(win->HandleAllocated() ? win->Handle() : nullptr, dc);
    return;
  }
  ReleaseDC(control->Parent() ? control->Parent()->Handle() : nullptr, dc);
}

const bool g_hooksInstalled = (TControlCanvas::SetControlDCHooks(&GetControlDC, &ReleaseControlDC), true);

}  // namespace

// ---- free routines ---------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState shift;
  if (keys & MK_SHIFT) shift.Include(ssShift);
  if (keys & MK_CONTROL) shift.Include(ssCtrl);
  if (keys & MK_LBUTTON) shift.Include(ssLeft);
  if (keys & MK_RBUTTON) shift.Include(ssRight);
  if (keys & MK_MBUTTON) shift.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

TShiftState KeyDataToShiftState(LONG keyData) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (keyData & 0x20000000) shift.Include(ssAlt);
  return shift;
}

TControl* GetCaptureControl() {
  if (g_captureControl) {
    HWND capture = GetCapture();
    auto* win = dynamic_cast<TWinControl*>(g_captureControl);
    TWinControl* holder = win ? win : g_captureControl->Parent();
    HWND expected = holder && holder->HandleAllocated() ? holder->Handle() : nullptr;
    if (!capture || capture != expected) g_captureControl = nullptr;
  }
  if (!g_captureControl) return TWinControl::FindControl(GetCapture());
  return g_captureControl;
}

void SetCaptureControl(TControl* control) {
  ReleaseCapture();
  g_captureControl = nullptr;
  if (!control) return;
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    SetCapture(win->Handle());
  } else if (control->Parent()) {
    SetCapture(control->Parent()->Handle());
  } else {
    return;
  }
  g_captureControl = control;
}

bool IsAccel(WORD key, const AnsiString& caption) {
  const WideString text = UTF8ToWide(caption);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {  // a literal ampersand
      ++i;
      continue;
    }
    const WideString marked = WideUpperCase(text.substr(i + 1, 1));
    const WideString wanted = WideUpperCase(std::u16string(1, static_cast<char16_t>(key)));
    return marked == wanted;
  }
  return false;
}

TControl* GetMouseControl() { return g_mouseControl; }

void SetMouseControl(TControl* control) {
  if (control == g_mouseControl) return;
  TControl* previous = g_mouseControl;
  g_mouseControl = control;
  if (previous) previous->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(previous));
  if (control && g_mouseControl == control) control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(control));
  TApplication::MouseControlChanged(control);
}

// ---- TSizeConstraints ------------------------------------------------------------------------

void TSizeConstraints::DescribeClass(TClassBuilder<TSizeConstraints>& c) {
  c.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  c.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  c.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  c.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

void TSizeConstraints::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSizeConstraints*>(source)) {
    FMaxHeight = other->FMaxHeight;
    FMaxWidth = other->FMaxWidth;
    FMinHeight = other->FMinHeight;
    FMinWidth = other->FMinWidth;
    Changed();
    return;
  }
  inherited::Assign(source);
}

// A maximum below the minimum lifts the maximum, and the other way round, so the two never cross.
void TSizeConstraints::SetMaxHeight(int value) {
  FMaxHeight = std::max(value, 0);
  if (FMaxHeight > 0 && FMaxHeight < FMinHeight) FMinHeight = FMaxHeight;
  Changed();
}
void TSizeConstraints::SetMaxWidth(int value) {
  FMaxWidth = std::max(value, 0);
  if (FMaxWidth > 0 && FMaxWidth < FMinWidth) FMinWidth = FMaxWidth;
  Changed();
}
void TSizeConstraints::SetMinHeight(int value) {
  FMinHeight = std::max(value, 0);
  if (FMaxHeight > 0 && FMinHeight > FMaxHeight) FMaxHeight = FMinHeight;
  Changed();
}
void TSizeConstraints::SetMinWidth(int value) {
  FMinWidth = std::max(value, 0);
  if (FMaxWidth > 0 && FMinWidth > FMaxWidth) FMaxWidth = FMinWidth;
  Changed();
}

void TSizeConstraints::Apply(int& width, int& height) const {
  if (FMinWidth > 0 && width < FMinWidth) width = FMinWidth;
  if (FMaxWidth > 0 && width > FMaxWidth) width = FMaxWidth;
  if (FMinHeight > 0 && height < FMinHeight) height = FMinHeight;
  if (FMaxHeight > 0 && height > FMaxHeight) height = FMaxHeight;
}

void TSizeConstraints::Changed() {
  if (FControl) FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
}

// ---- TControl ---------------------------------------------------------------------------------

void TControl::DescribeClass(TClassBuilder<TControl>& c) {
  c.Property("Left", &TControl::Left, &TControl::SetLeft);
  c.Property("Top", &TControl::Top, &TControl::SetTop);
  c.Property("Width", &TControl::Width, &TControl::SetWidth);
  c.Property("Height", &TControl::Height, &TControl::SetHeight);
  c.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  c.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop}.Bits());
  c.Property("Constraints", &TControl::Constraints, &TControl::SetConstraints);
  c.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
  c.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(1);
  c.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(1);
  c.Property("Color", &TControl::Color, &TControl::SetColor).Type(ColorTypeInfo()).Stored(&TControl::IsColorStored);
  c.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(1);
  c.Property("Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
  c.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(1);
  c.Property("Hint", &TControl::Hint, &TControl::SetHint);
  c.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
  c.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(1);
  c.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  c.Property("Action", &TControl::Action, &TControl::SetAction);
  c.Property("OnClick", &TControl::OnClick);
  c.Property("OnDblClick", &TControl::OnDblClick);
  c.Property("OnResize", &TControl::OnResize);
  c.Property("OnMouseDown", &TControl::OnMouseDown);
  c.Property("OnMouseUp", &TControl::OnMouseUp);
  c.Property("OnMouseMove", &TControl::OnMouseMove);
  c.Property("OnMouseWheel", &TControl::OnMouseWheel);
  c.Property("OnMouseEnter", &TControl::OnMouseEnter);
  c.Property("OnMouseLeave", &TControl::OnMouseLeave);
  c.Property("OnContextPopup", &TControl::OnContextPopup);
  c.Property("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored);
  c.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(1);
  c.Property("AlignWithMargins", &TControl::AlignWithMargins, &TControl::SetAlignWithMargins).Default(0);
  c.Property("Margins", &TControl::Margins, &TControl::SetMargins);
  c.Property("HelpType", &TControl::HelpType, &TControl::SetHelpType).Default(htContext);
  c.Property("HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword);
  c.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Stored(&TControl::IsHelpContextStored);
  c.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
  c.Property("DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
  c.Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
  c.Property("OnMouseActivate", &TControl::OnMouseActivate);
  c.Property("OnDragDrop", &TControl::OnDragDrop);
  c.Property("OnDragOver", &TControl::OnDragOver);
  c.Property("OnEndDrag", &TControl::OnEndDrag);
  c.Property("OnStartDrag", &TControl::OnStartDrag);
  c.Property("OnEndDock", &TControl::OnEndDock);
  c.Property("OnStartDock", &TControl::OnStartDock);
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>(this)),
      FMargins(std::make_unique<TMargins>(this)) {
  (void)g_hooksInstalled;
  // Margins move the control only while it aligns with them.
  FMargins->OnChange = TNotifyEvent([this](TObject*) {
    if (AlignWithMargins()) RequestAlign();
  });
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FFont->SetOnChange(TNotifyEvent([this](TObject*) { FontChanged(); }));
}

TControl::~TControl() {
  Destroying();
  if (g_mouseControl == this) g_mouseControl = nullptr;
  if (g_captureControl == this) g_captureControl = nullptr;
  TApplication::ControlDestroyed(this);
  SetAction(nullptr);
  if (FParent) FParent->RemoveControl(this);
}

bool TControl::IsColorStored() const { return !FParentColor; }
bool TControl::IsFontStored() const { return !FParentFont; }
bool TControl::IsShowHintStored() const { return !FParentShowHint; }
bool TControl::IsBiDiModeStored() const { return !FParentBiDiMode; }
// A keyword names the help topic; the number is then not written.
bool TControl::IsHelpContextStored() const { return FHelpType == htContext && FHelpContext != 0; }

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  if (WindowProc) WindowProc(m);
  else WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!FControlStyle.Contains(csNoStdEvents)) FControlState.Include(csLButtonDown);
      break;
    case WM_LBUTTONUP:
      FControlState.Exclude(csLButtonDown);
      break;
    // A window-less control is under the pointer from CM_MOUSEENTER to CM_MOUSELEAVE (the
    // flag is right before any handler runs); a windowed one keeps the flag from its own
    // mouse moves and WM_MOUSELEAVE.
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if ((m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) && !dynamic_cast<TWinControl*>(this))
        FMouseInClient = m.Msg == CM_MOUSEENTER;
      break;
    default:
      break;
  }
  Dispatch(m);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: { TWMMouse v(m); WMLButtonDown(v); return; }
    case WM_LBUTTONUP: { TWMMouse v(m); WMLButtonUp(v); return; }
    case WM_LBUTTONDBLCLK: { TWMMouse v(m); WMLButtonDblClk(v); return; }
    case WM_RBUTTONDOWN: { TWMMouse v(m); WMRButtonDown(v); return; }
    case WM_RBUTTONUP: { TWMMouse v(m); WMRButtonUp(v); return; }
    case WM_RBUTTONDBLCLK: { TWMMouse v(m); WMRButtonDblClk(v); return; }
    case WM_MBUTTONDOWN: { TWMMouse v(m); WMMButtonDown(v); return; }
    case WM_MBUTTONUP: { TWMMouse v(m); WMMButtonUp(v); return; }
    case WM_MOUSEMOVE: { TWMMouse v(m); WMMouseMove(v); return; }
    case WM_MOUSEWHEEL: { TWMMouseWheel v(m); WMMouseWheel(v); return; }
    case WM_CONTEXTMENU: { TWMMouse v(m); WMContextMenu(v); return; }
    case WM_CANCELMODE: WMCancelMode(m); return;
    case CM_DRAG: CMDrag(m); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_TEXTCHANGED: CMTextChanged(m); return;
    case CM_MOUSEENTER: { TCMMouseEnterLeave v(m); CMMouseEnter(v); return; }
    case CM_MOUSELEAVE: { TCMMouseEnterLeave v(m); CMMouseLeave(v); return; }
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_HINTSHOW: CMHintShow(m); return;
    case CM_SYSCOLORCHANGE: CMSysColorChange(m); return;
    case CM_HITTEST: CMHitTest(m); return;
    case CM_INVALIDATE: CMInvalidate(m); return;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(m); return;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(m); return;
    default: DefaultHandler(m); return;
  }
}

// Without a window the control keeps its text itself.
void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(m.LParam);
      int capacity = static_cast<int>(m.WParam);
      if (!buffer || capacity <= 0) { m.Result = 0; return; }
      int n = std::min<int>(capacity - 1, static_cast<int>(FText.size()));
      std::copy_n(FText.data(), n, buffer);
      buffer[n] = '\0';
      m.Result = n;
      return;
    }
    case WM_GETTEXTLENGTH:
      m.Result = static_cast<LRESULT>(FText.size());
      return;
    case WM_SETTEXT:
      SetTextStore(m.LParam ? AnsiString(reinterpret_cast<const char*>(m.LParam)) : AnsiString());
      m.Result = 1;
      return;
    default:
      return;
  }
}

// ---- parent and geometry

void TControl::SetParent(TWinControl* value) {
  if (value == FParent) return;
  if (value == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (value) value->InsertControl(this);
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* value) {
  if (auto* win = dynamic_cast<TWinControl*>(value)) SetParent(win);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  FConstraints->Apply(width, height);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  InvalidateControl(FVisible, false);
  bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  UpdateAnchorRules();
  InvalidateControl(FVisible, false);
  RequestAlign();
  if (resized) Resize();
}

TRect TControl::ClientRect() { return {0, 0, FWidth, FHeight}; }
void TControl::SetClientWidth(int value) { SetWidth(value); }
void TControl::SetClientHeight(int value) { SetHeight(value); }

// A windowed control asks its window (a top-level form has no parent to add up); a
// window-less one adds its place to its parent's origin.
TPoint TControl::ClientOrigin() {
  if (auto* win = dynamic_cast<TWinControl*>(this); win && (win->FHandle || !FParent)) {
    POINT origin{0, 0};
    ::ClientToScreen(win->Handle(), &origin);
    return {origin.x, origin.y};
  }
  if (!FParent) throw EInvalidOperation(ControlHasNoParentMessage(Name()));
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint p) {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign value) {
  if (value == FAlign) return;
  TAlign old = FAlign;
  FAlign = value;
  FAnchors = TAnchors{akLeft, akTop};
  // An aligned control that is taken out of alignment keeps its current bounds.
  if (old != alNone && value == alNone) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (value == FAnchors) return;
  FAnchors = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent || FControlState.Contains(csAligning) || FParent->FControlState.Contains(csAligning)) return;
  TRect client = FParent->ClientRect();
  FOriginalParentSize = {client.Right, client.Bottom};
  FAnchorOrigin = {FLeft + FWidth, FTop + FHeight};  // the right and bottom edges
}

void TControl::RequestAlign() {
  if (FParent) FParent->Realign();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

// ---- state and look

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  VisibleChanging();
  FVisible = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  RequestAlign();
}

bool TControl::IsShowing() const { return FVisible && FParent && FParent->IsShowing(); }

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value) {
  if (value == FColor) {
    FParentColor = false;
    return;
  }
  FColor = value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == FParentFont) return;
  FParentFont = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

AnsiString TControl::GetText() {
  int length = GetTextLen();
  AnsiString text(static_cast<size_t>(length), '\0');
  if (length > 0) {
    int got = GetTextBuf(text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
  }
  return text;
}

void TControl::SetText(const AnsiString& value) {
  if (GetText() == value) return;
  SetTextBuf(value.c_str());
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH)); }

int TControl::GetTextBuf(char* buffer, int bufSize) {
  return static_cast<int>(Perform(WM_GETTEXT, static_cast<WPARAM>(bufSize), reinterpret_cast<LPARAM>(buffer)));
}

void TControl::SetTextBuf(const char* buffer) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(buffer));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (value == FShowHint) {
    FParentShowHint = false;
    return;
  }
  FShowHint = value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == FParentShowHint) return;
  FParentShowHint = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = value;
  if (value) value->FreeNotification(this);
}

void TControl::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode value) {
  if (value == FBiDiMode) {
    FParentBiDiMode = false;
    return;
  }
  FBiDiMode = value;
  FParentBiDiMode = false;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool value) {
  if (value == FParentBiDiMode) return;
  FParentBiDiMode = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTBIDIMODECHANGED);
}

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
  if (UseRightToLeftAlignment()) {
    if ((flags & DT_RIGHT) == DT_RIGHT) flags &= ~DT_RIGHT;
    else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
  }
  return flags | DrawTextBiDiModeFlagsReadingOnly();
}

void TControl::SetAlignWithMargins(bool value) {
  if (value == AlignWithMargins()) return;
  if (value) FControlStyle.Include(csAlignWithMargins);
  else FControlStyle.Exclude(csAlignWithMargins);
  RequestAlign();
}

void TControl::SetHelpKeyword(const AnsiString& value) {
  FHelpKeyword = value;
  if (!value.empty()) FHelpType = htKeyword;
}

void TControl::SetHelpContext(int value) {
  FHelpContext = value;
  if (value != 0) FHelpType = htContext;
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) {
    if (component == FPopupMenu) FPopupMenu = nullptr;
    if (FActionLink && component == FActionLink->Action()) SetAction(nullptr);
  }
}

void TControl::ReadState(TReader* reader) {
  FControlState.Include(csReadingState);
  try {
    if (auto* parent = dynamic_cast<TWinControl*>(reader->Parent())) SetParent(parent);
    inherited::ReadState(reader);
  } catch (...) {
    FControlState.Exclude(csReadingState);
    throw;
  }
  FControlState.Exclude(csReadingState);
}

void TControl::Loaded() {
  inherited::Loaded();
  if (FActionLink) ActionChange(FActionLink->Action(), true);
  if (FParent) {
    if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
    if (FParentFont) Perform(CM_PARENTFONTCHANGED);
    if (FParentShowHint) Perform(CM_PARENTSHOWHINTCHANGED);
    if (FParentBiDiMode) Perform(CM_PARENTBIDIMODECHANGED);
  }
  UpdateAnchorRules();
  RequestAlign();
}

// ---- actions

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    if (FActionLink) {
      TBasicAction* old = FActionLink->Action();
      FActionLink.reset();
      if (old) old->RemoveFreeNotification(this);
    }
    FControlStyle.Exclude(csActionClient);
    return;
  }
  FControlStyle.Include(csActionClient);
  if (!FActionLink) FActionLink.reset(CreateActionLink());
  FActionLink->SetAction(value);
  FActionLink->OnChange = TNotifyEvent([this](TObject* sender) {
    if (FActionLink && sender == FActionLink->Action()) ActionChange(FActionLink->Action(), false);
  });
  ActionChange(value, ComponentState().Contains(csLoading));
  value->FreeNotification(this);
}

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::ActionChange(TBasicAction* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || GetText().empty()) SetText(action->Caption());
  if (!checkDefaults || FEnabled) SetEnabled(action->Enabled());
  if (!checkDefaults || FHint.empty()) SetHint(action->Hint());
  if (!checkDefaults || FVisible) SetVisible(action->Visible());
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

// ---- painting

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!FParent || !FParent->HandleAllocated() || !isVisible) return;
  RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
  InvalidateRect(FParent->Handle(), &r, !(isOpaque || FControlStyle.Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.push_back(this);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), this);
  Invalidate();
}

void TControl::Click() {
  // An action's handler takes the place of OnClick unless OnClick was set apart from it.
  TBasicAction* action = Action();
  bool sameAsAction = action && OnClick.Method().Code && OnClick.Method() == action->OnExecute.Method();
  if (OnClick && action && !sameAsAction) OnClick(this);
  else if (FActionLink && action && !ComponentState().Contains(csDesigning)) FActionLink->Execute(this);
  else if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

// ---- dragging

void TControl::BeginDrag(bool immediate, int threshold) {
  if (FDragKind != dkDrag || CurrentDragObject()) return;
  vcl_detail::DragInitControl(this, immediate, threshold);
}

void TControl::EndDrag(bool drop) {
  if (Dragging()) vcl_detail::DragDone(drop);
}

bool TControl::Dragging() const { return CurrentDragControl() == this; }

void TControl::DragDrop(TObject* source, int x, int y) {
  if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoStartDrag(TDragObject*& dragObject) {
  if (OnStartDrag) OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int x, int y) {
  if (OnEndDrag) OnEndDrag(this, target, x, y);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (OnDragOver) {
    accept = true;
    OnDragOver(this, source, x, y, state, accept);
  }
}

void TControl::CMDrag(TMessage& m) {
  auto* rec = reinterpret_cast<TDragRec*>(m.LParam);
  if (!rec) return;
  const auto message = static_cast<TDragMessage>(m.WParam);
  if (message == dmFindTarget) {
    TControl* found = this;
    if (auto* window = dynamic_cast<TWinControl*>(this)) {
      if (TControl* child = window->ControlAtPos(ScreenToClient(rec->Pos), false)) found = child;
    }
    m.Result = reinterpret_cast<LRESULT>(found);
    return;
  }
  TObject* source = rec->Source;
  if (auto* control = dynamic_cast<TBaseDragControlObject*>(rec->Source)) source = control->Control();
  const TPoint local = ScreenToClient(rec->Pos);
  switch (message) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      bool accept = false;
      const TDragState state = message == dmDragEnter ? dsDragEnter : message == dmDragLeave ? dsDragLeave : dsDragMove;
      DragOver(source, local.X, local.Y, state, accept);
      m.Result = accept;
      return;
    }
    case dmDragDrop: DragDrop(source, local.X, local.Y); return;
    default: return;
  }
}

// ---- mouse

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::DoMouseDown(TWMMouse& m, TMouseButton button, TShiftState shift) {
  if (!FControlStyle.Contains(csNoStdEvents)) MouseDown(button, KeysToShiftState(m.Keys) + shift, m.XPos, m.YPos);
}

void TControl::DoMouseUp(TWMMouse& m, TMouseButton button) {
  if (!FControlStyle.Contains(csNoStdEvents)) MouseUp(button, KeysToShiftState(m.Keys), m.XPos, m.YPos);
}

// A press takes the capture for the control, unless the window's own procedure took it while
// handling the press: a combo box captures for its dropped list, and taking the capture back
// would close the list at once.
static void PassOnPress(TControl& control, TMessage& m) {
  const HWND before = GetCapture();
  control.DefaultHandler(m);
  const HWND after = GetCapture();
  const bool windowTookIt = after && after != before;
  if (control.ControlStyle().Contains(csCaptureMouse) && !windowTookIt) control.SetMouseCapture(true);
}

// Each button and move reaches the window's own procedure first (a standard class places its
// caret, selects its item, drops its list; the default procedure turns a right button release
// into WM_CONTEXTMENU), and the control's capture, click and events come after it.
void TControl::WMLButtonDown(TWMMouse& m) {
  PassOnPress(*this, m.Message);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  if (FDragMode == dmAutomatic && FDragKind == dkDrag) BeginDrag(Mouse->DragImmediate(), Mouse->DragThreshold());
  DoMouseDown(m, mbLeft, {});
}

void TControl::WMLButtonDblClk(TWMMouse& m) {
  PassOnPress(*this, m.Message);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  DoMouseDown(m, mbLeft, {ssDouble});
}

// A click is a press and a release of the left button, both inside the control.
void TControl::WMLButtonUp(TWMMouse& m) {
  DefaultHandler(m.Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    TRect r = ClientRect();
    if (m.XPos >= r.Left && m.XPos < r.Right && m.YPos >= r.Top && m.YPos < r.Bottom) Click();
  }
  DoMouseUp(m, mbLeft);
}

void TControl::WMRButtonDown(TWMMouse& m) {
  DefaultHandler(m.Message);
  DoMouseDown(m, mbRight, {});
}

void TControl::WMRButtonUp(TWMMouse& m) {
  DefaultHandler(m.Message);
  DoMouseUp(m, mbRight);
}

void TControl::WMRButtonDblClk(TWMMouse& m) {
  DefaultHandler(m.Message);
  DoMouseDown(m, mbRight, {ssDouble});
}

void TControl::WMMButtonDown(TWMMouse& m) {
  DefaultHandler(m.Message);
  DoMouseDown(m, mbMiddle, {});
}

void TControl::WMMButtonUp(TWMMouse& m) {
  DefaultHandler(m.Message);
  DoMouseUp(m, mbMiddle);
}

void TControl::WMMouseMove(TWMMouse& m) {
  DefaultHandler(m.Message);
  if (!FControlStyle.Contains(csNoStdEvents)) MouseMove(KeysToShiftState(m.Keys), m.XPos, m.YPos);
}

void TControl::WMMouseWheel(TWMMouseWheel& m) {
  bool handled = false;
  if (OnMouseWheel) {
    OnMouseWheel(this, KeysToShiftState(m.Keys), m.WheelDelta, TPoint(m.XPos, m.YPos), handled);
  }
  if (handled) m.SetResult(1);
  else if (FParent) m.SetResult(FParent->Perform(m.Msg, m.Message.WParam, m.Message.LParam));
  else DefaultHandler(m.Message);
}

// The popup menu opens at the pointer (or, from the keyboard, at the control's centre).
void TControl::WMContextMenu(TWMMouse& m) {
  if (m.Result() != 0) return;
  TPoint pos{m.XPos, m.YPos};
  bool fromKeyboard = m.XPos == -1 && m.YPos == -1;
  TPoint local = fromKeyboard ? TPoint(FWidth / 2, FHeight / 2) : ScreenToClient(pos);
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, local, handled);
  if (handled) {
    m.SetResult(1);
    return;
  }
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    if (fromKeyboard) pos = ClientToScreen(local);
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(pos.X, pos.Y);
    m.SetResult(1);
    return;
  }
  DefaultHandler(m.Message);
}

void TControl::WMCancelMode(TMessage& m) {
  (void)m;
  if (MouseCapture()) {
    SetMouseCapture(false);
    FControlState.Exclude(csClicked);
  }
}

// ---- control messages

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque)); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMTextChanged(TMessage&) { Invalidate(); }

void TControl::CMMouseEnter(TCMMouseEnterLeave& m) {
  if ((!m.Sender || m.Sender == this) && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TCMMouseEnterLeave& m) {
  if ((!m.Sender || m.Sender == this) && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMParentColorChanged(TMessage&) {
  if (FParentColor && FParent) {
    SetColor(FParent->Color());
    FParentColor = true;
  }
}

void TControl::CMParentFontChanged(TMessage&) {
  if (FParentFont && FParent) {
    FFont->Assign(FParent->Font());
    FParentFont = true;
  }
}

void TControl::CMShowHintChanged(TMessage&) {}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (FParentShowHint && FParent) {
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
  }
}

// An empty hint shows nothing: the result 1 cancels the hint.
void TControl::CMHintShow(TMessage& m) {
  auto* info = reinterpret_cast<THintInfo*>(m.LParam);
  m.Result = (info && info->HintStr.empty()) ? 1 : 0;
}

void TControl::CMSysColorChange(TMessage&) { Invalidate(); }

void TControl::CMHitTest(TMessage& m) { m.Result = HTCLIENT; }

void TControl::CMInvalidate(TMessage&) { Invalidate(); }

void TControl::CMBiDiModeChanged(TMessage&) { Invalidate(); }

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (FParentBiDiMode && FParent) {
    SetBiDiMode(FParent->BiDiMode());
    FParentBiDiMode = true;
  }
}
