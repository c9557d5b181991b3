#include "vcl/WinControl.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Monitors.h"
#include "rtl/SysUtils.h"
#include "vcl/Application.h"
#include "vcl/Drag.h"
#include "vcl/Form.h"
#include "vcl/Menu.h"
#include "vcl/Screen.h"

namespace {

constexpr const char* kControlProperty = "BrantwellControl";
// The control whose window is being made: the first message of the new window binds it.
thread_local TWinControl* g_creationControl = nullptr;

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL; }

}  // namespace

AnsiString ControlHasNoParentMessage(const AnsiString& name) {
  return Format("Control '%s' has no parent window", {name});
}

void TWinControl::DescribeClass(TClassBuilder<TWinControl>& c) {
  c.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  c.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(0);
  c.Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered).Default(0);
  c.Property("ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground);
  c.Property("OnEnter", &TWinControl::OnEnter);
  c.Property("OnExit", &TWinControl::OnExit);
  c.Property("OnKeyDown", &TWinControl::OnKeyDown);
  c.Property("OnKeyUp", &TWinControl::OnKeyUp);
  c.Property("OnKeyPress", &TWinControl::OnKeyPress);
  c.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Stored(&TWinControl::IsCtl3DStored);
  c.Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(1);
  c.Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
  c.Property("Padding", &TWinControl::Padding, &TWinControl::SetPadding);
  c.Property("BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges)
      .Default(TBevelEdges{beLeft, beTop, beRight, beBottom}.Bits());
  c.Property("BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner).Default(bvRaised);
  c.Property("BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter).Default(bvLowered);
  c.Property("BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind).Default(bkNone);
  c.Property("BevelWidth", &TWinControl::BevelWidth, &TWinControl::SetBevelWidth).Default(1);
  c.Property("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode).Default(imDontCare);
  c.Property("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName);
  c.Property("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(0);
  c.Property("UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager).Default(0);
  c.Property("OnDockDrop", &TWinControl::OnDockDrop);
  c.Property("OnDockOver", &TWinControl::OnDockOver);
  c.Property("OnUnDock", &TWinControl::OnUnDock);
  c.Property("OnGetSiteInfo", &TWinControl::OnGetSiteInfo);
}

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), FBrush(std::make_unique<TBrush>()), FPadding(std::make_unique<TPadding>(this)) {
  FBrush->SetColor(FColor);
  FPadding->OnChange = TNotifyEvent([this](TObject*) { Realign(); });
}

TWinControl::~TWinControl() {
  Destroying();
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, true);
  if (FHandle) DestroyWindowHandle();
  // A parent frees the controls it still holds (their owners lose them as they go).
  while (!FControls.empty() || !FWinControls.empty()) {
    TControl* child = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    RemoveControl(child);
    delete child;
  }
  if (FParent) FParent->RemoveControl(this);
}

// ---- window --------------------------------------------------------------------------------------

TWinControl* TWinControl::FindControl(HWND handle) {
  if (!handle || !IsWindow(handle)) return nullptr;
  return static_cast<TWinControl*>(GetPropA(handle, kControlProperty));
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = FText;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
  if (FVisible) params.Style |= WS_VISIBLE;
  if (!FEnabled) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.X = FLeft;
  params.Y = FTop;
  params.Width = FWidth;
  params.Height = FHeight;
  params.WndParent = FParent ? FParent->FHandle : nullptr;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks)) params.WindowClass.style |= CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = &DefWindowProcA;
  params.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* controlClassName) {
  WNDCLASSA original{};
  if (!GetClassInfoA(nullptr, controlClassName, &original))
    throw EInvalidOperation(Format("Window class '%s' is not registered", {AnsiString(controlClassName)}));
  UINT keep = params.WindowClass.style & (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
  params.WindowClass = original;
  params.WindowClass.style = (original.style & ~(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS)) | keep;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent) throw EInvalidOperation(ControlHasNoParentMessage(Name()));
  FDefWndProc = params.WindowClass.lpfnWndProc;
  // One window class per class name, with our procedure; the class's own procedure (the
  // standard control's for a subclassed one) becomes the default handler.
  WNDCLASSA registered{};
  bool known = GetClassInfoA(nullptr, params.WinClassName.c_str(), &registered);
  if (!known || registered.lpfnWndProc != &TWinControl::InitWndProc) {
    if (known) UnregisterClassA(params.WinClassName.c_str(), nullptr);
    WNDCLASSA cls = params.WindowClass;
    cls.lpfnWndProc = &TWinControl::InitWndProc;
    cls.lpszClassName = params.WinClassName.c_str();
    cls.hInstance = nullptr;
    if (!RegisterClassA(&cls))
      throw EInvalidOperation(Format("Cannot register the window class '%s'", {params.WinClassName}));
  }
  g_creationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    g_creationControl = nullptr;
    throw;
  }
  g_creationControl = nullptr;
  if (!FHandle) throw EInvalidOperation(Format("Cannot create the window of '%s' (error %d)", {Name(), static_cast<int>(GetLastError())}));
  if (FDefWndProc != &DefWindowProcA) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HWND hwnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                              params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr, nullptr,
                              params.Param);
  if (hwnd) FHandle = hwnd;
}

void TWinControl::AdoptWindowHandle(HWND window, const TCreateParams& params) {
  if (!window || !IsWindow(window)) return;
  g_creationControl = nullptr;
  FHandle = window;
  SetPropA(window, kControlProperty, this);
  auto former = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  FDefWndProc = former && former != &TWinControl::InitWndProc ? former : &DefWindowProcA;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::InitWndProc));
  m_adopted = true;
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(params.Style));
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(params.ExStyle));
  SetClassLongPtrA(window, GCL_STYLE, static_cast<LONG_PTR>(params.WindowClass.style));
  SetWindowTextA(window, params.Caption.c_str());
}

HWND TWinControl::ReleaseWindowHandle() {
  HWND window = FHandle;
  if (!window) return nullptr;
  if (IsWindow(window)) {
    if (m_adopted && FDefWndProc &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == &TWinControl::InitWndProc)
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc));
    if (FindControl(window) == this) RemovePropA(window, kControlProperty);
  }
  FHandle = nullptr;
  m_adopted = false;
  return window;
}

void TWinControl::DestroyReplacedWindow(HWND oldWindow) {
  if (IsWindow(oldWindow)) DestroyWindow(oldWindow);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  // Children in creation order: the last one made is on top, as they were listed.
  for (TWinControl* child : std::vector<TWinControl*>(FWinControls)) child->CreateHandle();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* child : FWinControls) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  FMouseInClient = false;
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  m_adopted = false;
  FControlState.Include(csDestroyingHandle);
  HWND handle = FHandle;
  DestroyWindow(handle);
  if (FHandle == handle) {
    RemovePropA(handle, kControlProperty);
    FHandle = nullptr;
  }
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND);
}

// Destroys the window and makes it again; the focus comes back to the control that had it.
void TWinControl::CMRecreateWnd(TMessage&) {
  if (m_adopted && FHandle && IsShowing()) {
    RecreateAdoptedWnd();
    return;
  }
  TWinControl* focused = FindControl(GetFocus());
  if (focused && focused != this && !ContainsControl(focused)) focused = nullptr;
  FControlState.Include(csRecreating);
  try {
    DestroyHandle();
    HandleNeeded();
    UpdateShowing();
  } catch (...) {
    FControlState.Exclude(csRecreating);
    throw;
  }
  FControlState.Exclude(csRecreating);
  if (focused && focused->FHandle) ::SetFocus(focused->FHandle);
}

namespace {
BOOL CollectDirectChild(HWND child, LPARAM data) {
  auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(data);
  if (GetParent(child) == found->first) found->second.push_back(child);
  return TRUE;
}
}  // namespace

// The new window is made while the old one still holds the children; they move over and
// only then does the old window go, so no child window is destroyed on the way.
void TWinControl::RecreateAdoptedWnd() {
  HWND old = FHandle;
  bool hadFocus = GetFocus() == old;
  HWND focusedChild = hadFocus ? nullptr : GetFocus();
  if (focusedChild && !IsChild(old, focusedChild)) focusedChild = nullptr;
  FText = GetText();
  WNDPROC oldDefault = FDefWndProc;
  // The old window gets its own procedure back and is told it is gone for us.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(old, GWLP_WNDPROC)) == &TWinControl::InitWndProc && oldDefault)
    SetWindowLongPtrA(old, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldDefault));
  RemovePropA(old, kControlProperty);
  FHandle = nullptr;
  m_adopted = false;
  FControlState.Include(csRecreating);
  try {
    if (oldDefault) CallWindowProcA(oldDefault, old, WM_NCDESTROY, 0, 0);
    CreateWnd();
  } catch (...) {
    FControlState.Exclude(csRecreating);
    DestroyReplacedWindow(old);
    throw;
  }
  std::pair<HWND, std::vector<HWND>> children{old, {}};
  EnumChildWindows(old, &CollectDirectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children.second) {
    ::SetParent(child, FHandle);
    SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  DestroyReplacedWindow(old);
  FControlState.Exclude(csRecreating);
  UpdateShowing();
  if (hadFocus) ::SetFocus(FHandle);
  else if (focusedChild && IsWindow(focusedChild)) ::SetFocus(focusedChild);
}

LRESULT TWinControl::InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = FindControl(hwnd);
  if (!control && g_creationControl) {
    control = g_creationControl;
    g_creationControl = nullptr;
    control->FHandle = hwnd;
    SetPropA(hwnd, kControlProperty, control);
  }
  if (!control) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  control->MainWndProc(m);
  if (msg == WM_NCDESTROY && FindControl(hwnd) == control) {
    RemovePropA(hwnd, kControlProperty);
    if (control->FHandle == hwnd) control->FHandle = nullptr;
  }
  return m.Result;
}

// Exceptions stop here: the application reports them and the message loop goes on.
void TWinControl::MainWndProc(TMessage& m) {
  try {
    // A running drag takes the capture's mouse messages and Esc first.
    if (vcl_detail::DragFilterMessage(this, m)) return;
    if (WindowProc) WindowProc(m);
    else WndProc(m);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (FHandle) {
    switch (m.Msg) {
      case WM_CTLCOLORMSGBOX:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
        if (TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam)); child && child != this) {
          m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
          return;
        }
        break;
      default:
        break;
    }
    m.Result = CallWindowProcA(FDefWndProc ? FDefWndProc : &DefWindowProcA, FHandle, m.Msg, m.WParam, m.LParam);
    return;
  }
  inherited::DefaultHandler(m);
}

void TWinControl::SetTextStore(const AnsiString& value) { FText = value; }

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && form != this && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    default:
      if (IsMouseMessage(m.Msg)) {
        if (m.Msg == WM_MOUSEMOVE) {
          // The flag is up before anyone hears CM_MOUSEENTER, so a hot look paints at once.
          // Tracking is asked again on every move: it is cheap, and a leave that the window
          // manager dropped (capture, a window shown on top) cannot leave the flag stuck.
          FMouseInClient = true;
          TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
          if (FHandle) TrackMouseEvent(&track);
          TPoint pos{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
          TControl* over = ControlAtPos(pos, false);
          SetMouseControl(over ? over : this);
        }
        if (IsControlMouseMsg(m)) return;
      }
      break;
  }
  inherited::WndProc(m);
}

// Mouse messages over a window-less child (or while it holds the capture) go to the child, in
// its own coordinates.
bool TWinControl::IsControlMouseMsg(TMessage& m) {
  TControl* target = nullptr;
  TPoint pos{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (FHandle && GetCapture() == FHandle) {
    TControl* capture = GetCaptureControl();
    if (capture && capture != this && capture->FParent == this) target = capture;
  } else {
    target = ControlAtPos(pos, false);
  }
  if (!target) return false;
  TMessage forwarded{m.Msg, m.WParam, MAKELPARAM(pos.X - target->FLeft, pos.Y - target->FTop), 0};
  target->WindowProc ? target->WindowProc(forwarded) : target->WndProc(forwarded);
  m.Result = forwarded.Result;
  return true;
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: { TWMPaint v(m); WMPaint(v); return; }
    case WM_ERASEBKGND: { TWMEraseBkgnd v(m); WMEraseBkgnd(v); return; }
    case WM_SIZE: { TWMSize v(m); WMSize(v); return; }
    case WM_MOVE: WMMove(m); return;
    case WM_WINDOWPOSCHANGED: { TWMWindowPosMsg v(m); WMWindowPosChanged(v); return; }
    case WM_SETFOCUS: { TWMFocus v(m); WMSetFocus(v); return; }
    case WM_KILLFOCUS: { TWMFocus v(m); WMKillFocus(v); return; }
    case WM_KEYDOWN: { TWMKey v(m); WMKeyDown(v); return; }
    case WM_KEYUP: { TWMKey v(m); WMKeyUp(v); return; }
    case WM_CHAR: { TWMKey v(m); WMChar(v); return; }
    case WM_SYSKEYDOWN: { TWMKey v(m); WMSysKeyDown(v); return; }
    case WM_COMMAND: { TWMCommand v(m); WMCommand(v); return; }
    case WM_NOTIFY: { TWMNotify v(m); WMNotify(v); return; }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM: WMDrawItem(m); return;
    case WM_HSCROLL:
    case WM_VSCROLL: WMCtlColor(m); return;
    case WM_SETCURSOR: WMSetCursor(m); return;
    case WM_MOUSELEAVE: WMMouseLeave(m); return;
    case WM_NCCALCSIZE: WMNCCalcSize(m); return;
    case WM_NCPAINT: WMNCPaint(m); return;
    case CM_CTL3DCHANGED: CMCtl3DChanged(m); return;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(m); return;
    case WM_NCDESTROY: WMNCDestroy(m); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: { TWMKey v(m); CNKeyDown(v); return; }
    case CN_KEYUP: { TWMKey v(m); CNKeyUp(v); return; }
    case CN_CHAR: { TWMKey v(m); CNChar(v); return; }
    case CM_DIALOGKEY: { TWMKey v(m); CMDialogKey(v); return; }
    case CM_DIALOGCHAR: { TWMKey v(m); CMDialogChar(v); return; }
    case CM_FOCUSCHANGED: { TCMFocusChanged v(m); CMFocusChanged(v); return; }
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_RECREATEWND: CMRecreateWnd(m); return;
    case CM_CONTROLCHANGE: { TCMControlChange v(m); CMControlChange(v); return; }
    case CM_CONTROLLISTCHANGE: { TCMControlChange v(m); CMControlListChange(v); return; }
    default: inherited::Dispatch(m); return;
  }
}

// ---- children ---------------------------------------------------------------------------------

TControl* TWinControl::Controls(int index) const {
  int windowless = static_cast<int>(FControls.size());
  if (index < 0 || index >= ControlCount())
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return index < windowless ? FControls[static_cast<size_t>(index)]
                            : FWinControls[static_cast<size_t>(index - windowless)];
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  if (control == this || (dynamic_cast<TWinControl*>(control) &&
                          static_cast<TWinControl*>(control)->ContainsControl(this)))
    throw EInvalidOperation("A control cannot be placed inside itself");
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    FWinControls.push_back(win);
    FTabList.push_back(win);
  } else {
    FControls.push_back(control);
  }
  control->FParent = this;
  if (!control->ComponentState().Contains(csReading)) {
    control->Perform(CM_PARENTCOLORCHANGED);
    control->Perform(CM_PARENTFONTCHANGED);
    control->Perform(CM_PARENTSHOWHINTCHANGED);
    control->Perform(CM_PARENTBIDIMODECHANGED);
    control->Perform(CM_PARENTCTL3DCHANGED);
  }
  control->UpdateAnchorRules();
  if (auto* win = dynamic_cast<TWinControl*>(control); win && FHandle) win->CreateHandle();
  if (control->FAlign != alNone) Realign();
  control->Invalidate();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  if (!control || control->FParent != this) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(win, true);
    win->DestroyHandle();
    std::erase(FWinControls, win);
    std::erase(FTabList, win);
  } else {
    control->Invalidate();
    std::erase(FControls, control);
  }
  if (GetCaptureControl() == control) SetCaptureControl(nullptr);
  if (GetMouseControl() == control) SetMouseControl(nullptr);
  control->FParent = nullptr;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (TControl* c = control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) {
  auto hit = [&](TControl* c) {
    bool visible = c->FVisible || (c->ComponentState().Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible));
    if (!visible || !(c->FEnabled || allowDisabled)) return false;
    if (pos.X < c->FLeft || pos.X >= c->FLeft + c->FWidth || pos.Y < c->FTop || pos.Y >= c->FTop + c->FHeight)
      return false;
    return c->Perform(CM_HITTEST, 0, MAKELPARAM(pos.X - c->FLeft, pos.Y - c->FTop)) != 0;
  };
  if (allowWinControls)
    for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
      if (hit(*it)) return *it;
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (child->WindowProc) child->WindowProc(m);
    else child->WndProc(m);
    if (m.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(msg);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
  if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  AlignAll();
}

void TWinControl::AlignAll() {
  FControlState.Exclude(csAlignmentNeeded);
  TRect rect = ClientRect();
  FControlState.Include(csAligning);
  try {
    AlignControls(nullptr, rect);
  } catch (...) {
    FControlState.Exclude(csAligning);
    throw;
  }
  FControlState.Exclude(csAligning);
}

// Aligned children take their edge of what is left of the client area (less the padding), in
// the order top, bottom, left, right, client; within one edge, in the order they stand (the
// one nearest the edge first). A child that aligns with margins takes its margins of the room
// as well and sits inside them. Anchored children keep their distances to the edges they are
// anchored to.
void TWinControl::AlignControls(TControl* control, TRect& rect) {
  (void)control;
  AdjustClientRect(rect);
  rect = FPadding->Inner(rect);
  std::vector<TControl*> all;
  for (int i = 0; i < ControlCount(); ++i) all.push_back(Controls(i));
  // The bounds a child takes up in its parent: with its margins when it aligns with them.
  auto outer = [](TControl* c) {
    TRect r = c->BoundsRect();
    return c->AlignWithMargins() ? c->FMargins->Outer(r) : r;
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : all)
      if (c->FAlign == align && c->FVisible) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [align, &outer](TControl* a, TControl* b) {
      TRect ra = outer(a), rb = outer(b);
      switch (align) {
        case alTop: return ra.Top < rb.Top;
        case alBottom: return ra.Bottom > rb.Bottom;
        case alLeft: return ra.Left < rb.Left;
        case alRight: return ra.Right > rb.Right;
        default: return false;
      }
    });
    for (TControl* c : list) {
      const bool withMargins = c->AlignWithMargins();
      const TMargins* margins = c->FMargins.get();
      const int extraWidth = withMargins ? margins->Left() + margins->Right() : 0;
      const int extraHeight = withMargins ? margins->Top() + margins->Bottom() : 0;
      const int outerWidth = c->FWidth + extraWidth;
      const int outerHeight = c->FHeight + extraHeight;
      TRect room;
      switch (align) {
        case alTop:
          room = TRect(rect.Left, rect.Top, rect.Right, rect.Top + outerHeight);
          rect.Top += outerHeight;
          break;
        case alBottom:
          room = TRect(rect.Left, rect.Bottom - outerHeight, rect.Right, rect.Bottom);
          rect.Bottom -= outerHeight;
          break;
        case alLeft:
          room = TRect(rect.Left, rect.Top, rect.Left + outerWidth, rect.Bottom);
          rect.Left += outerWidth;
          break;
        case alRight:
          room = TRect(rect.Right - outerWidth, rect.Top, rect.Right, rect.Bottom);
          rect.Right -= outerWidth;
          break;
        default:
          room = rect;
          break;
      }
      TRect r = withMargins ? margins->Inner(room) : room;
      // An edge-aligned child keeps its own depth (its height on top and bottom, its width on
      // left and right); the other dimension follows the room, never below zero.
      int width = std::max<int>(0, r.Right - r.Left);
      int height = std::max<int>(0, r.Bottom - r.Top);
      if (align == alTop || align == alBottom) height = c->FHeight;
      if (align == alLeft || align == alRight) width = c->FWidth;
      c->SetBounds(r.Left, r.Top, width, height);
    }
  }
  TRect client = ClientRect();
  for (TControl* c : all) {
    if (c->FAlign != alNone) continue;
    if (c->FOriginalParentSize.X == 0 && c->FOriginalParentSize.Y == 0) continue;
    int left = c->FLeft, top = c->FTop, width = c->FWidth, height = c->FHeight;
    int rightGap = c->FOriginalParentSize.X - c->FAnchorOrigin.X;   // distance of the right edge
    int bottomGap = c->FOriginalParentSize.Y - c->FAnchorOrigin.Y;  // distance of the bottom edge
    // Anchored on neither side of an axis, a control keeps its centre where it was in
    // proportion to the parent's size.
    auto centred = [](int farEdge, int size, int originalParent, int parent) {
      if (originalParent <= 0) return farEdge - size;
      return static_cast<int>(std::lround((farEdge - size / 2.0) * parent / originalParent - size / 2.0));
    };
    if (c->FAnchors.Contains(akRight)) {
      if (c->FAnchors.Contains(akLeft)) width = client.Right - rightGap - left;
      else left = client.Right - rightGap - width;
    } else if (!c->FAnchors.Contains(akLeft)) {
      left = centred(c->FAnchorOrigin.X, width, c->FOriginalParentSize.X, client.Right);
    }
    if (c->FAnchors.Contains(akBottom)) {
      if (c->FAnchors.Contains(akTop)) height = client.Bottom - bottomGap - top;
      else top = client.Bottom - bottomGap - height;
    } else if (!c->FAnchors.Contains(akTop)) {
      top = centred(c->FAnchorOrigin.Y, height, c->FOriginalParentSize.Y, client.Bottom);
    }
    c->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
  }
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = first ? std::find(FControls.begin(), FControls.end(), first) : FControls.begin();
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    bool visible = c->FVisible || (c->ComponentState().Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible));
    if (!visible) continue;
    RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
    if (!RectVisible(dc, &r)) continue;
    platform::SavedDcState saved(dc);
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - c->FLeft, origin.y - c->FTop, nullptr);
    IntersectClipRect(dc, 0, 0, c->FWidth, c->FHeight);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

// ---- geometry ----------------------------------------------------------------------------------

TRect TWinControl::ClientRect() {
  if (FHandle) {
    RECT r{};
    GetClientRect(FHandle, &r);
    return TRect(r);
  }
  // Without a window the border ring is taken off here, as the window's frame would take it.
  TRect r = inherited::ClientRect();
  r.Right = std::max<int>(0, r.Right - 2 * FBorderWidth);
  r.Bottom = std::max<int>(0, r.Bottom - 2 * FBorderWidth);
  return r;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  FConstraints->Apply(width, height);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  if (FHandle && !IsIconic(FHandle)) SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateAnchorRules();
  RequestAlign();
  if (resized) {
    Realign();
    Resize();
  }
}

// The window was moved or sized from outside (the user, the window manager): the bounds follow.
void TWinControl::UpdateBoundsFromWindow() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  HWND parent = GetParent(FHandle);
  if (parent && (GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  int width = r.right - r.left, height = r.bottom - r.top;
  if (r.left == FLeft && r.top == FTop && width == FWidth && height == FHeight) return;
  bool resized = width != FWidth || height != FHeight;
  FLeft = r.left;
  FTop = r.top;
  FWidth = width;
  FHeight = height;
  UpdateAnchorRules();
  RequestAlign();
  if (resized) {
    Realign();
    Resize();
  }
}

void TWinControl::SetParent(TWinControl* value) { inherited::SetParent(value); }

bool TWinControl::IsShowing() const {
  if (FParent) return FVisible && FParent->IsShowing();
  return FVisible && FHandle && IsWindowVisible(FHandle);
}

void TWinControl::UpdateShowing() {
  if (!FParent) return;
  if (FVisible) {
    if (FParent->FHandle) {
      HandleNeeded();
      ShowWindow(FHandle, SW_SHOWNA);
    }
  } else if (FHandle) {
    ShowWindow(FHandle, SW_HIDE);
  }
}

// ---- look ----------------------------------------------------------------------------------------

void TWinControl::SetDoubleBuffered(bool value) {
  if (value == FDoubleBuffered) return;
  FDoubleBuffered = value;
  Invalidate();
}

void TWinControl::SetParentBackground(bool value) {
  if (value == ParentBackground()) return;
  if (value) FControlStyle.Include(csParentBackground);
  else FControlStyle.Exclude(csParentBackground);
  Invalidate();
}

void TWinControl::SetCtl3D(bool value) {
  if (value == FCtl3D) {
    FParentCtl3D = false;
    return;
  }
  FCtl3D = value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (value == FParentCtl3D) return;
  FParentCtl3D = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED);
}

// The ring is part of the window's frame: the client area is measured again and the children
// realigned inside it.
void TWinControl::SetBorderWidth(int value) {
  value = std::max(value, 0);
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Realign();
  Invalidate();
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::FontChanged() { inherited::FontChanged(); }

void TWinControl::ReadState(TReader* reader) {
  DisableAlign();
  try {
    inherited::ReadState(reader);
    FixupTabList();
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

// Children read from a form file take the tab positions they were read with; a position
// outside the list (or none) keeps the child's place after those that have one.
void TWinControl::FixupTabList() {
  size_t count = FTabList.size();
  std::vector<TWinControl*> ordered(count, nullptr);
  std::vector<TWinControl*> rest;
  for (TWinControl* child : FTabList) {
    int wanted = child->FReadTabOrder;
    child->FReadTabOrder = -1;
    if (wanted >= 0 && static_cast<size_t>(wanted) < count && !ordered[static_cast<size_t>(wanted)])
      ordered[static_cast<size_t>(wanted)] = child;
    else
      rest.push_back(child);
  }
  auto next = rest.begin();
  for (auto& slot : ordered)
    if (!slot) slot = *next++;
  FTabList = std::move(ordered);
}

void TWinControl::Loaded() {
  inherited::Loaded();
  if (FParent && FParentCtl3D) Perform(CM_PARENTCTL3DCHANGED);
  Realign();
}

// ---- painting ------------------------------------------------------------------------------------

void TWinControl::WMPaint(TWMPaint& m) {
  if (!FDoubleBuffered || m.DC) {
    if (!FControlState.Contains(csCustomPaint) && FControls.empty()) {
      DefaultHandler(m.Message);
      return;
    }
    PaintHandler(m);
    return;
  }
  // Double-buffered: paint into a bitmap (erasing it first, with the buffer in both wParam
  // and lParam) and copy it out in one go.
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(FHandle, &ps);
  RECT client{};
  GetClientRect(FHandle, &client);
  {
    platform::OwnedDc memoryDc(CreateCompatibleDC(dc));
    platform::OwnedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    HDC memory = memoryDc.get();
    platform::SelectedObject selected(memory, bitmap.get());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
    TMessage inner{WM_PAINT, reinterpret_cast<WPARAM>(memory), 0, 0};
    TWMPaint view(inner);
    WMPaint(view);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  }
  EndPaint(FHandle, &ps);
}

void TWinControl::PaintHandler(TWMPaint& m) {
  PAINTSTRUCT ps{};
  HDC dc = m.DC ? m.DC : BeginPaint(FHandle, &ps);
  {
    platform::SavedDcState saved(dc);
    PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
  if (!m.DC) EndPaint(FHandle, &ps);
}

// A standard control paints itself into the DC; our own windows have nothing to paint here.
void TWinControl::PaintWindow(HDC dc) {
  if (!FDefWndProc || FDefWndProc == &DefWindowProcA) return;
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(m);
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!FDoubleBuffered || m.Message.WParam == static_cast<WPARAM>(m.Message.LParam)) {
    RECT r{};
    GetClientRect(FHandle, &r);
    FBrush->SetColor(FColor);
    FillRect(m.DC, &r, FBrush->Handle());
  }
  m.SetResult(1);
}

void TWinControl::WMSize(TWMSize& m) {
  DefaultHandler(m.Message);
  UpdateBoundsFromWindow();
}

void TWinControl::WMMove(TMessage& m) {
  DefaultHandler(m);
  UpdateBoundsFromWindow();
}

void TWinControl::WMWindowPosChanged(TWMWindowPosMsg& m) {
  DefaultHandler(m.Message);
  UpdateBoundsFromWindow();
}

// ---- focus ---------------------------------------------------------------------------------------

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (FControlState.Contains(csReadingState)) {
    FReadTabOrder = value;
    return;
  }
  if (!FParent) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  int count = static_cast<int>(list.size());
  if (value < 0 || value > count) value = count;
  list.insert(list.begin() + value, this);
}

void TWinControl::SetTabStop(bool value) {
  if (value == FTabStop) return;
  FTabStop = value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrA(FHandle, GWL_STYLE);
    SetWindowLongPtrA(FHandle, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  int count = static_cast<int>(list.size());
  if (count == 0) return nullptr;
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c != current && c->CanFocus() && (c->FTabStop || !checkTabStop) && (!checkParent || c->FParent == this))
      return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) next->SetFocus();
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c && c != form; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this); form && form != this) {
    form->FocusControl(this);
  } else if (FParent) {
    FParent->SetFocus();
  } else {
    ::SetFocus(Handle());
  }
}

void TWinControl::WMSetFocus(TWMFocus& m) { DefaultHandler(m.Message); }
void TWinControl::WMKillFocus(TWMFocus& m) { DefaultHandler(m.Message); }

void TWinControl::CMEnter(TMessage&) {
  if (OnEnter) OnEnter(this);
}

void TWinControl::CMExit(TMessage&) {
  if (OnExit) OnExit(this);
}

void TWinControl::CMFocusChanged(TCMFocusChanged& m) { Broadcast(m.Message); }

// ---- keys ------------------------------------------------------------------------------------------

bool TWinControl::DoKeyDown(TWMKey& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(m)) return true;
  WORD key = m.CharCode;
  KeyDown(key, KeyDataToShiftState(m.KeyData));
  m.CharCode = key;
  m.Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TWMKey& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(m)) return true;
  WORD key = m.CharCode;
  KeyUp(key, KeyDataToShiftState(m.KeyData));
  m.CharCode = key;
  m.Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TWMKey& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(m)) return true;
  char16_t key = static_cast<char16_t>(m.CharCode);
  KeyPress(key);
  m.CharCode = key;
  m.Message.WParam = key;
  return key == 0;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TWMKey& m) {
  if (!DoKeyDown(m)) DefaultHandler(m.Message);
}

void TWinControl::WMSysKeyDown(TWMKey& m) {
  if (!DoKeyDown(m)) DefaultHandler(m.Message);
}

void TWinControl::WMKeyUp(TWMKey& m) {
  if (!DoKeyUp(m)) DefaultHandler(m.Message);
}

void TWinControl::WMChar(TWMKey& m) {
  if (!DoKeyPress(m)) DefaultHandler(m.Message);
}

// Before a key reaches the focused control: its menus' shortcuts, then the dialog keys (Tab,
// arrows, Enter, Esc) that the control does not want go to the form as CM_DIALOGKEY.
void TWinControl::CNKeyDown(TWMKey& m) {
  m.SetResult(1);
  if (!ComponentState().Contains(csDesigning)) {
    for (TControl* c = this; c; c = c->FParent)
      if (c->FPopupMenu && c->FPopupMenu->IsShortCut(m)) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(m)) return;
    if (m.Msg == CN_KEYDOWN) {
      LRESULT mask = 0;
      switch (m.CharCode) {
        case VK_TAB: mask = DLGC_WANTTAB; break;
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
        case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
        default: break;
      }
      if (mask && Perform(CM_WANTSPECIALKEY, m.CharCode, m.KeyData) == 0 && (Perform(WM_GETDLGCODE) & mask) == 0 &&
          form && form->Perform(CM_DIALOGKEY, m.CharCode, m.KeyData) != 0)
        return;
    }
  }
  m.SetResult(0);
}

void TWinControl::CNKeyUp(TWMKey& m) { m.SetResult(0); }

void TWinControl::CNChar(TWMKey& m) {
  m.SetResult(1);
  if (!ComponentState().Contains(csDesigning)) {
    TCustomForm* form = GetParentForm(this);
    if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0 && form &&
        form->Perform(CM_DIALOGCHAR, m.CharCode, m.KeyData) != 0)
      return;
  }
  m.SetResult(0);
}

void TWinControl::CMDialogKey(TWMKey& m) { Broadcast(m.Message); }
void TWinControl::CMDialogChar(TWMKey& m) { Broadcast(m.Message); }

// ---- notifications from child windows ------------------------------------------------------------

void TWinControl::WMCommand(TWMCommand& m) {
  if (m.Ctl) {
    if (TWinControl* child = FindControl(m.Ctl); child && child != this) {
      m.SetResult(child->Perform(CN_COMMAND, m.Message.WParam, m.Message.LParam));
      return;
    }
  }
  DefaultHandler(m.Message);
}

void TWinControl::WMNotify(TWMNotify& m) {
  if (m.NMHdr) {
    if (TWinControl* child = FindControl(m.NMHdr->hwndFrom); child && child != this) {
      m.SetResult(child->Perform(CN_NOTIFY, m.Message.WParam, m.Message.LParam));
      return;
    }
  }
  DefaultHandler(m.Message);
}

// WM_HSCROLL / WM_VSCROLL from a scroll bar control: reflected to it.
void TWinControl::WMCtlColor(TMessage& m) {
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam)); child && child != this) {
    m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

// Owner-drawn items name their control by its id.
void TWinControl::WMDrawItem(TMessage& m) {
  for (TWinControl* child : FWinControls) {
    if (child->FHandle && static_cast<WPARAM>(GetWindowLongPtrA(child->FHandle, GWL_ID)) == m.WParam && m.WParam != 0) {
      m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  DefaultHandler(m);
}

// The cursor of the control under the pointer (the screen's cursor overrides them all).
void TWinControl::WMSetCursor(TMessage& m) {
  if (reinterpret_cast<HWND>(m.WParam) == FHandle && LOWORD(m.LParam) == HTCLIENT) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT p{};
      GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      TControl* c = ControlAtPos(TPoint(p), false);
      cursor = (c && c->FCursor != crDefault) ? c->FCursor : FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMMouseLeave(TMessage& m) {
  FMouseInClient = false;
  TControl* over = GetMouseControl();
  if (over && (over == this || (over->FParent == this && !dynamic_cast<TWinControl*>(over)))) SetMouseControl(nullptr);
  DefaultHandler(m);
}

void TWinControl::WMNCCalcSize(TMessage& m) {
  DefaultHandler(m);
  if (FBorderWidth <= 0 || !m.LParam) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
  r->left += FBorderWidth;
  r->top += FBorderWidth;
  r->right = std::max(r->left, r->right - FBorderWidth);
  r->bottom = std::max(r->top, r->bottom - FBorderWidth);
}

// The border ring shows the control's colour, inside whatever frame the window has.
void TWinControl::WMNCPaint(TMessage& m) {
  DefaultHandler(m);
  if (FBorderWidth <= 0 || !FHandle) return;
  HDC dc = GetWindowDC(FHandle);
  if (!dc) return;
  RECT window{}, client{};
  GetWindowRect(FHandle, &window);
  GetClientRect(FHandle, &client);
  POINT origin{0, 0};
  ::ClientToScreen(FHandle, &origin);
  const int clientLeft = origin.x - window.left, clientTop = origin.y - window.top;
  RECT ring{clientLeft - FBorderWidth, clientTop - FBorderWidth, clientLeft + client.right + FBorderWidth,
            clientTop + client.bottom + FBorderWidth};
  ExcludeClipRect(dc, clientLeft, clientTop, clientLeft + client.right, clientTop + client.bottom);
  FillRect(dc, &ring, FBrush->Handle());
  ReleaseDC(FHandle, dc);
}

void TWinControl::WMNCDestroy(TMessage& m) {
  DefaultHandler(m);
  if (FHandle) RemovePropA(FHandle, kControlProperty);
  FHandle = nullptr;
}

// ---- control messages -------------------------------------------------------------------------------

void TWinControl::CMEnabledChanged(TMessage& m) {
  if (!FEnabled) {
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
  }
  if (FHandle && !ComponentState().Contains(csDesigning)) EnableWindow(FHandle, FEnabled);
  inherited::CMEnabledChanged(m);
}

void TWinControl::CMVisibleChanged(TMessage& m) {
  if (!FVisible) {
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
  }
  UpdateShowing();
  inherited::CMVisibleChanged(m);
}

void TWinControl::CMColorChanged(TMessage& m) {
  FBrush->SetColor(FColor);
  NotifyControls(CM_PARENTCOLORCHANGED);
  inherited::CMColorChanged(m);
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (FHandle && FDefWndProc != &DefWindowProcA) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
  NotifyControls(CM_PARENTFONTCHANGED);
  inherited::CMFontChanged(m);
}

void TWinControl::CMShowHintChanged(TMessage& m) {
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
  inherited::CMShowHintChanged(m);
}

void TWinControl::CMSysColorChange(TMessage& m) {
  Broadcast(m);
  inherited::CMSysColorChange(m);
}

void TWinControl::CMInvalidate(TMessage& m) { inherited::CMInvalidate(m); }

void TWinControl::CMBiDiModeChanged(TMessage& m) {
  NotifyControls(CM_PARENTBIDIMODECHANGED);
  inherited::CMBiDiModeChanged(m);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  NotifyControls(CM_PARENTCTL3DCHANGED);
  if (FHandle) SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Invalidate();
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (FParentCtl3D && FParent) {
    SetCtl3D(FParent->Ctl3D());
    FParentCtl3D = true;
  }
}

void TWinControl::CMControlChange(TCMControlChange&) {}
void TWinControl::CMControlListChange(TCMControlChange&) {}

// ---- full screen ---------------------------------------------------------------------------------

namespace {
constexpr char kFullScreenClass[] = "TFullScreenHost";
}  // namespace

TFullScreenHost::~TFullScreenHost() { Release(); }

void TFullScreenHost::Enter(HWND view, const AnsiString& title) {
  if (!view || !IsWindow(view)) return;
  if (!FWindow) {
    WNDCLASSA cls{};
    if (!GetClassInfoA(nullptr, kFullScreenClass, &cls)) {
      cls = WNDCLASSA{};
      cls.lpfnWndProc = &DefWindowProcA;
      cls.lpszClassName = kFullScreenClass;
      cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
      if (!RegisterClassA(&cls)) throw EInvalidOperation("Cannot register the full-screen window class");
    }
    // Made on the view's monitor, so that maximising picks that monitor.
    RECT at{};
    GetWindowRect(view, &at);
    FWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kFullScreenClass, title.c_str(), WS_POPUP, at.left, at.top,
                              std::max<int>(1, at.right - at.left), std::max<int>(1, at.bottom - at.top), nullptr,
                              nullptr, nullptr, nullptr);
    if (!FWindow) throw EInvalidOperation("Cannot create the full-screen window");
  }
  FSavedStyle = GetWindowLongA(FWindow, GWL_STYLE);
  SetWindowLongA(FWindow, GWL_STYLE,
                 static_cast<LONG>((static_cast<DWORD>(FSavedStyle) | WS_POPUP | WS_CLIPCHILDREN) & ~(WS_CHILD | WS_BORDER)));
  SetParent(view, FWindow);
  ShowWindow(FWindow, SW_MAXIMIZE);
  // Without a caption the whole monitor is the window's, taskbar included.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoA(MonitorFromWindow(FWindow, MONITOR_DEFAULTTONEAREST), &monitor)) area = monitor.rcMonitor;
  SetWindowPos(FWindow, HWND_TOPMOST, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  ShowWindow(view, SW_MAXIMIZE);
  RECT client{};
  GetClientRect(FWindow, &client);
  SetWindowPos(view, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetFocus(view);
}

void TFullScreenHost::Leave(HWND view, HWND parent, const TRect& bounds) {
  if (!FWindow) return;
  ShowWindow(FWindow, SW_RESTORE);
  SetWindowLongA(FWindow, GWL_STYLE, FSavedStyle);
  SetWindowPos(FWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (view && IsWindow(view)) {
    SetParent(view, parent);
    ShowWindow(view, SW_RESTORE);
    SetWindowPos(view, nullptr, bounds.Left, bounds.Top, bounds.Width(), bounds.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(FWindow, SW_HIDE);
  if (view && IsWindow(view)) ::SetFocus(view);
  Release();
}

void TFullScreenHost::Release() {
  if (FWindow && IsWindow(FWindow)) DestroyWindow(FWindow);
  FWindow = nullptr;
}
