#include "program/fc/FcPopup.h"

#include <algorithm>

#include "platform/user/Monitors.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

// ---- the shared base ---------------------------------------------------------------------------

TFcCustomPopup::TFcCustomPopup(TComponent* owner) : TFcCustomPanel(owner) {
  SetBorderWidth(2);
  FBorderOuter = fsPopup;
  FFlatColorAdjustment = 0;
  FVisible = false;
}

void TFcCustomPopup::DescribeClass(TClassBuilder<TFcCustomPopup>& c) {
  using T = TFcCustomPopup;
  c.Property("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
  c.Property("BorderInner", &T::BorderInner, &T::SetBorderInner).Default(fsNone);
  c.Property("BorderOuter", &T::BorderOuter, &T::SetBorderOuter).Default(fsRaised);
  c.Property("BorderColor", &T::BorderColor, &T::SetBorderColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("BorderHighlight", &T::BorderHighlight, &T::SetBorderHighlight).Type(ColorTypeInfo()).Default(clBtnHighlight);
  c.Property("BorderShadow", &T::BorderShadow, &T::SetBorderShadow).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
  c.Property("FlatColor", &T::FlatColor, &T::SetFlatColor).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("FlatColorAdjustment", &T::FlatColorAdjustment, &T::SetFlatColorAdjustment).Default(0);
}

// ---- the drop-down window -------------------------------------------------------------------------

TFcPopup::TFcPopup(TComponent* owner) : TFcCustomPopup(owner) {
  FPopupPanel = dynamic_cast<TFcPopupPanel*>(owner);
  if (FPopupPanel) {
    SetColor(FPopupPanel->Color());
    Font()->Assign(FPopupPanel->Font());
    SetHint(FPopupPanel->Hint());
    SetShowHint(FPopupPanel->ShowHint());
  }
  SetCtl3D(false);
}

TFcPopup::~TFcPopup() {
  *FAlive = false;
  Destroying();
  // Content still here goes back to the panel rather than down with the window.
  if (FPopupPanel && !FPopupPanel->ComponentState().Contains(csDestroying))
    while (ControlCount() > 0) Controls(ControlCount() - 1)->SetParent(FPopupPanel);
  if (FPopupPanel && FPopupPanel->FPopupWindow == this) FPopupPanel->FPopupWindow = nullptr;
}

void TFcPopup::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // A top-level window of its own, owned by the form, that never takes the activation.
  params.Style = WS_POPUP;
  params.ExStyle |= WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
  TCustomForm* form = FPopupPanel ? GetParentForm(FPopupPanel) : nullptr;
  params.WndParent = form && form->HandleAllocated() ? form->Handle() : nullptr;
}

void TFcPopup::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPopupControl) FPopupControl = nullptr;
  if (component == FActiveControl) FActiveControl = nullptr;
}

bool TFcPopup::IsInside(HWND hwnd) {
  if (!HandleAllocated()) return false;
  for (HWND h = hwnd; h; h = GetParent(h))
    if (h == FHandle) return true;
  return false;
}

TFcPopup::LoopEnd TFcPopup::LookAtNextMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      return IsInside(msg.hwnd) ? LoopEnd::None : LoopEnd::Cancel;
    case WM_KILLFOCUS:
    case CM_FCPOPUPCLOSE:
      return msg.hwnd == FHandle || msg.message == WM_KILLFOCUS ? LoopEnd::Close : LoopEnd::None;
    case WM_ACTIVATEAPP:
    case CM_DEACTIVATE:
      return LoopEnd::Cancel;
    default: return LoopEnd::None;
  }
}

bool TFcPopup::Popup(TControl* control, TAlignment alignment, int x, int y) {
  FPopupControl = control;
  control->FreeNotification(this);
  TRect r;
  if (auto* win = dynamic_cast<TWinControl*>(control); win && win->HandleAllocated()) {
    RECT w{};
    GetWindowRect(win->Handle(), &w);
    r = TRect(w);
  } else if (control->Parent()) {
    const TPoint topLeft = control->Parent()->ClientToScreen(TPoint(control->Left(), control->Top()));
    const TPoint bottomRight =
        control->Parent()->ClientToScreen(TPoint(control->Left() + control->Width(), control->Top() + control->Height()));
    r = TRect(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
  } else {
    r = control->BoundsRect();
  }

  // The content moves in; the keyboard stays with the hidden panel.
  HandleNeeded();
  for (int i = FPopupPanel->ControlCount() - 1; i >= 0; --i) FPopupPanel->Controls(i)->SetParent(this);
  for (int i = 0; i < ControlCount(); ++i) {
    auto* win = dynamic_cast<TWinControl*>(Controls(i));
    if (win && win->Enabled() && win->Visible()) {
      FActiveControl = win;
      win->FreeNotification(this);
      break;
    }
  }
  if (FPopupPanel->HandleAllocated()) ::SetFocus(FPopupPanel->Handle());

  const int w = FPopupPanel->Width(), h = FPopupPanel->Height();
  int left, top;
  if (x != -1 || y != -1) {
    left = r.Left + x;
    top = r.Top + y;
  } else {
    top = r.Bottom;
    left = alignment == taLeftJustify ? r.Left : alignment == taRightJustify ? r.Right - w : (r.Left + r.Right - w) / 2;
  }
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromPoint(POINT{left, top}, MONITOR_DEFAULTTONEAREST), &info)) {
    const RECT& work = info.rcWork;
    if (left + w > work.right) left = work.right - w;
    if (top + h > work.bottom) top = r.Top - h;
    if (left < work.left) left = work.left;
    if (top < work.top) top = work.top;
  }
  SetBounds(left, top, w, h);
  SetWindowPos(FHandle, nullptr, left, top, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FVisible = true;
  FCancelled = true;

  // The form that was active when the drop-down opened: its deactivation cancels.
  TCustomForm* form = GetParentForm(FPopupPanel);
  const HWND formWindow = form && form->HandleAllocated() ? form->Handle() : nullptr;
  const bool formWasActive = formWindow && GetActiveWindow() == formWindow;

  std::shared_ptr<bool> alive = FAlive;
  LoopEnd end = LoopEnd::None;
  while (end == LoopEnd::None) {
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      Application->HandleMessage();  // idle, then wait for the next message
    } else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      PeekMessageA(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
      SendMessageA(FHandle, msg.message, msg.wParam, msg.lParam);
    } else {
      end = LookAtNextMessage(msg);
      if (end == LoopEnd::Cancel && msg.message != WM_ACTIVATEAPP && msg.message != CM_DEACTIVATE) {
        PeekMessageA(&msg, nullptr, msg.message, msg.message, PM_REMOVE);  // the press outside goes nowhere
      } else if (end == LoopEnd::Cancel) {
        PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE);
        DispatchMessageA(&msg);
      } else if (end == LoopEnd::None) {
        Application->HandleMessage();
      }
    }
    if (!*alive) return false;
    if (end != LoopEnd::None) break;
    if (Application->Terminated()) end = LoopEnd::Cancel;
    else if (formWasActive && (!IsWindow(formWindow) || GetActiveWindow() != formWindow)) end = LoopEnd::Cancel;
    else if (!FPopupPanel || !HandleAllocated()) end = LoopEnd::Cancel;
  }
  HidePopup();
  if (end == LoopEnd::Cancel && HandleAllocated()) PostMessageA(FHandle, CM_FCPOPUPCLOSE, 0, 0);
  return !FCancelled;
}

void TFcPopup::HidePopup() {
  if (HandleAllocated())
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  FVisible = false;
  if (FPopupPanel && !FPopupPanel->ComponentState().Contains(csDestroying))
    while (ControlCount() > 0) Controls(ControlCount() - 1)->SetParent(FPopupPanel);
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = nullptr;
}

void TFcPopup::WndProc(TMessage& m) {
  if (m.Msg >= WM_KEYFIRST && m.Msg <= WM_KEYLAST) {
    if ((m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) && m.WParam == VK_ESCAPE) PostMessageA(FHandle, CM_FCPOPUPCLOSE, 0, 0);
    if (FActiveControl) FActiveControl->WindowProc(m);
    else inherited::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case WM_SYSCOMMAND:
      PostMessageA(FHandle, CM_FCPOPUPCLOSE, 0, 0);
      return;
    case CM_FCPOPUPCLOSE:
      delete this;
      return;
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return;
    case WM_NCACTIVATE:
      m.Result = 0;
      return;
    case WM_SYSCOLORCHANGE:
      // A top-level window of its own that is no form: no form passes the change on to the
      // content it shows, so the window does.
      Perform(CM_SYSCOLORCHANGE);
      m.Result = 0;
      return;
    default: inherited::WndProc(m); return;
  }
}

// ---- the hidden panel -------------------------------------------------------------------------------

TFcPopupPanel::TFcPopupPanel(TComponent* owner) : TFcCustomPopup(owner) {
  FAlignment = taRightJustify;
  FWidth = 100;
  FHeight = 100;
  FControlStyle.Include(csAcceptsControls);
  SetColor(clBtnFace);
  SetParentColor(false);
  FAutoSize = true;
}

TFcPopupPanel::~TFcPopupPanel() {
  *FAlive = false;
  Destroying();
  if (FPopupWindow) {
    // The loop notices through the window's own flag; its content stays ours.
    TFcPopup* window = FPopupWindow;
    FPopupWindow = nullptr;
    while (window->ControlCount() > 0) window->Controls(window->ControlCount() - 1)->SetParent(this);
  }
  // Every window of ours goes with us, also one whose drop-down has ended but whose close
  // message has not come yet (freed right after Popup): none may reach back to the panel.
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* window = dynamic_cast<TFcPopup*>(Components(i))) window->FPopupPanel = nullptr;
}

void TFcPopupPanel::DescribeClass(TClassBuilder<TFcPopupPanel>& c) {
  using T = TFcPopupPanel;
  c.Property("OnClose", &T::OnClose);
  c.Property("OnPopup", &T::OnPopup);
  c.Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
  c.Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  c.Property("Color", &T::Color, &T::SetColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
}

void TFcPopupPanel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPopupControl) FPopupControl = nullptr;
  if (component == FSavedActiveControl) FSavedActiveControl = nullptr;
  if (component == FForm) FForm = nullptr;
  if (component == FPopupWindow) FPopupWindow = nullptr;
}

void TFcPopupPanel::DoClose() {
  if (OnClose) OnClose(this);
}

void TFcPopupPanel::DoPopup() {
  if (OnPopup) OnPopup(this);
}

void TFcPopupPanel::ClosePopup(TObject*) {
  if (!FPopupWindow) return;
  FPopupWindow->Accept();
  if (FPopupWindow->HandleAllocated()) PostMessageA(FPopupWindow->Handle(), CM_FCPOPUPCLOSE, 0, 0);
}

void TFcPopupPanel::DestroyWnd() {
  ClosePopup();
  inherited::DestroyWnd();
}

bool TFcPopupPanel::Popup(TControl* control, int x, int y) {
  if (FPopupWindow || !control) return false;
  std::shared_ptr<bool> alive = FAlive;
  FPopupControl = control;
  control->FreeNotification(this);
  FForm = GetParentForm(this);
  if (FForm) {
    FForm->FreeNotification(this);
    FSavedActiveControl = FForm->ActiveControl();
    if (FSavedActiveControl) FSavedActiveControl->FreeNotification(this);
    FForm->DisableAutoRange();
  }
  TCustomForm* form = FForm;
  bool result = false;
  try {
    DoPopup();
    if (HandleAllocated()) RecreateWnd();
    else HandleNeeded();
    FPopupWindow = new TFcPopup(this);
    FPopupWindow->SetBorderOuter(FBorderOuter);
    FPopupWindow->SetFlatColor(FFlatColor);
    FPopupWindow->SetBorderWidth(FBorderWidth);
    result = FPopupWindow->Popup(control, FAlignment, x, y);
  } catch (...) {
    if (*alive) {
      if (FForm) FForm->EnableAutoRange();
      FPopupControl = nullptr;
      FPopupWindow = nullptr;
    }
    throw;
  }
  if (!*alive) return false;  // freed while dropped: nothing of it may be touched
  DoClose();
  if (!*alive) return false;
  if (FForm) {
    FForm->EnableAutoRange();
    if (Application->Active() && FSavedActiveControl && FSavedActiveControl->CanFocus()) FSavedActiveControl->SetFocus();
  }
  (void)form;
  FPopupControl = nullptr;
  FPopupWindow = nullptr;
  FSavedActiveControl = nullptr;
  FForm = nullptr;
  return result;
}
