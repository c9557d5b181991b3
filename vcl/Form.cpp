#include "vcl/Form.h"

#include <functional>

#include <algorithm>

#include "rtl/SysUtils.h"
#include "platform/user/Icons.h"
#include "platform/user/Monitors.h"
#include "platform/user/PaintApi.h"
#include "platform/user/ScrollBars.h"
#include "vcl/ActionList.h"
#include "vcl/Application.h"
#include "vcl/GraphicControl.h"
#include "vcl/Icon.h"
#include "vcl/Menu.h"
#include "vcl/Reader.h"
#include "vcl/Screen.h"

namespace {

TInitInheritedComponentProc g_initInheritedComponent = nullptr;

// The windows of this thread that ShowModal disables, to enable them again afterwards.
struct TaskWindows {
  HWND except = nullptr;
  std::vector<HWND> disabled;
};

BOOL DisableTaskWindow(HWND hwnd, LPARAM lParam) {
  auto* task = reinterpret_cast<TaskWindows*>(lParam);
  if (hwnd != task->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    task->disabled.push_back(hwnd);
    EnableWindow(hwnd, FALSE);
  }
  return TRUE;
}

}  // namespace

void SetInitInheritedComponentProc(TInitInheritedComponentProc proc) { g_initInheritedComponent = proc; }
TInitInheritedComponentProc GetInitInheritedComponentProc() { return g_initInheritedComponent; }

void TCustomForm::DescribeClass(TClassBuilder<TCustomForm>& c) {
  // Width and Height keep their place among the control's properties; only when they are
  // written changes.
  c.Property("Width", &TCustomForm::Width, &TCustomForm::SetWidth).Stored(&TCustomForm::IsFormSizeStored);
  c.Property("Height", &TCustomForm::Height, &TCustomForm::SetHeight).Stored(&TCustomForm::IsFormSizeStored);
  c.Property("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption);
  c.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
  c.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits());
  c.Property("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth).Stored(&TCustomForm::IsClientSizeStored);
  c.Property("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight).Stored(&TCustomForm::IsClientSizeStored);
  c.Property("Icon", &TCustomForm::Icon, &TCustomForm::SetIcon);
  c.Property("AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend).Default(false);
  c.Property("AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue).Default(255);
  c.Property("TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor).Default(false);
  c.Property("TransparentColorValue", &TCustomForm::TransparentColorValue, &TCustomForm::SetTransparentColorValue)
      .Type(ColorTypeInfo())
      .Default(0);
  c.Property("PopupMode", &TCustomForm::PopupMode, &TCustomForm::SetPopupMode).Default(pmNone);
  c.Property("SnapBuffer", &TCustomForm::SnapBuffer, &TCustomForm::SetSnapBuffer).Default(10);
  c.Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder).Default(false);
  c.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
  c.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  c.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
  c.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(0);
  c.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  c.Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
  c.Property("OnCreate", &TCustomForm::OnCreate);
  c.Property("OnDestroy", &TCustomForm::OnDestroy);
  c.Property("OnShow", &TCustomForm::OnShow);
  c.Property("OnHide", &TCustomForm::OnHide);
  c.Property("OnActivate", &TCustomForm::OnActivate);
  c.Property("OnDeactivate", &TCustomForm::OnDeactivate);
  c.Property("OnPaint", &TCustomForm::OnPaint);
  c.Property("OnClose", &TCustomForm::OnClose);
  c.Property("OnCloseQuery", &TCustomForm::OnCloseQuery);
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) { Init(); }

TCustomForm::TCustomForm(TComponent* owner, int) : TScrollingWinControl(owner) {
  FCreatedNew = true;
  Init();
}

void TCustomForm::Init() {
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FParentShowHint = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FWidth = 320;
  FHeight = 240;
  FIcon = std::make_unique<TIcon>();
  FIcon->SetOnChange([this](TObject* sender) { IconChanged(sender); });
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (FConstructed && OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  if (FMenu) SetMenu(nullptr);
  Screen->RemoveForm(this);
  Application->FormDestroyed(this);
  // Children go first: their windows are children of ours.
  while (!FControls.empty() || !FWinControls.empty()) {
    TControl* child = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    RemoveControl(child);
    delete child;
  }
  FActiveControl = nullptr;
  FFocusedControl = nullptr;
  if (FHandle) DestroyWindowHandle();
  FCanvas->FreeHandle();
}

void TCustomForm::ReadDesign() {
  if (FDesignRead) return;
  FDesignRead = true;
  if (!FCreatedNew) {
    FFormState.Include(fsCreating);
    try {
      InitDesign();
    } catch (...) {
      FFormState.Exclude(fsCreating);
      throw;
    }
    FFormState.Exclude(fsCreating);
  }
  if (FOldCreateOrder) {
    FConstructed = true;
    DoCreate();
  }
}

void TCustomForm::AfterConstruction() {
  if (FAfterConstructionDone) return;
  FAfterConstructionDone = true;
  ReadDesign();  // for forms made without Create or CreateNew
  if (FConstructed) return;  // OnCreate already ran
  FConstructed = true;
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

// A form file's ClientWidth and ClientHeight hold whatever border style is read after them:
// the client size is applied at once (the controls read next are anchored against it) and
// again when the border changes while the form is read.
void TCustomForm::ReadState(TReader* reader) {
  FReadClientWidth = 0;
  FReadClientHeight = 0;
  try {
    inherited::ReadState(reader);
  } catch (...) {
    FReadClientWidth = 0;
    FReadClientHeight = 0;
    throw;
  }
  FReadClientWidth = 0;
  FReadClientHeight = 0;
}

void TCustomForm::InitDesign() {
  if (ClassType() == TForm::StaticClass() || ClassType() == TCustomForm::StaticClass()) return;
  if (ComponentState().Contains(csDesigning)) return;
  GlobalNameSpace().BeginWrite();
  bool read = false;
  try {
    read = g_initInheritedComponent && g_initInheritedComponent(this, TForm::StaticClass());
  } catch (...) {
    GlobalNameSpace().EndWrite();
    throw;
  }
  GlobalNameSpace().EndWrite();
  if (!read) throw EResNotFound::CreateFmt("Resource %s not found", {ClassName()});
}

// ---- window ---------------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.ExStyle = 0;
  if (FParent) {
    params.Style |= WS_CHILD;
  } else {
    TPopupMode mode = FPopupMode;
    if (mode == pmNone && FFormState.Contains(fsModal)) mode = Application->ModalPopupMode();
    params.WndParent = PopupOwnerWindow(mode);
  }
  switch (FBorderStyle) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSingle: params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsToolWindow: params.Style |= WS_CAPTION | WS_BORDER; params.ExStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeable: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsSizeToolWin: params.Style |= WS_CAPTION | WS_THICKFRAME; params.ExStyle |= WS_EX_TOOLWINDOW; break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    params.Style |= WS_SYSMENU;
    bool plain = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
    if (plain && FBorderIcons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
    if (plain && FBorderIcons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    if (FBorderIcons.Contains(biHelp) && FBorderStyle == bsDialog) params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  params.WindowClass.style |= CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  inherited::CreateWnd();
  if (FMenu) FMenu->SetWindowHandle(FHandle);
  if (FBorderStyle != bsDialog) SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GetIconHandle()));
  SetLayeredAttribs();
  ResetScrollBars();
}

void TCustomForm::DestroyWnd() {
  FActive = false;
  inherited::DestroyWnd();
}

TRect TCustomForm::ClientRect() {
  if (FHandle) return inherited::ClientRect();
  TCreateParams params;
  CreateParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  return {0, 0, std::max<LONG>(0, FWidth - (frame.right - frame.left)), std::max<LONG>(0, FHeight - (frame.bottom - frame.top))};
}

void TCustomForm::SetClientWidth(int value) {
  if (FControlState.Contains(csReadingState)) FReadClientWidth = value;
  SetWidth(FWidth - ClientWidth() + value);
}

void TCustomForm::SetClientHeight(int value) {
  if (FControlState.Contains(csReadingState)) FReadClientHeight = value;
  SetHeight(FHeight - ClientHeight() + value);
}

bool TCustomForm::IsShowing() const {
  if (FParent) return inherited::IsShowing();
  return FVisible && FHandle && IsWindowVisible(FHandle);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
  if (FReadClientWidth > 0) SetClientWidth(FReadClientWidth);
  if (FReadClientHeight > 0) SetClientHeight(FReadClientHeight);
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (value == FBorderIcons) return;
  FBorderIcons = value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (value == FFormStyle) return;
  if (value == fsMDIChild || value == fsMDIForm) throw EInvalidOperation("Multiple-document forms are not supported");
  FFormStyle = value;
  if (FHandle) SetWindowPos(FHandle, value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() {
  if (FHandle && IsWindowVisible(FHandle)) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState value) {
  FWindowState = value;
  if (FHandle && IsWindowVisible(FHandle))
    ShowWindow(FHandle, value == wsMinimized ? SW_MINIMIZE : value == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::SetMenu(TMainMenu* value) {
  if (FMenu) {
    FMenu->RemoveFreeNotification(this);
    FMenu->SetWindowHandle(nullptr);
  }
  FMenu = value;
  if (FMenu) {
    FMenu->FreeNotification(this);
    if (FHandle) FMenu->SetWindowHandle(FHandle);
  }
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMenu) FMenu = nullptr;
  if (FActiveControl && component == FActiveControl) FActiveControl = nullptr;
  if (FFocusedControl && component == FFocusedControl) FFocusedControl = nullptr;
}

HWND TCustomForm::PopupOwnerWindow(TPopupMode mode) {
  if (mode == pmAuto) {
    TCustomForm* active = Screen->ActiveForm();
    if (active && active != this && active->FHandle && !active->FParent) return active->FHandle;
  }
  TCustomForm* main = Application->MainForm();
  if (main && main != this && main->FHandle) return main->FHandle;
  return Application->Handle();
}

void TCustomForm::SetPopupMode(TPopupMode value) {
  if (value == FPopupMode) return;
  FPopupMode = value;
  if (FHandle && !FParent && !ComponentState().Contains(csDesigning))
    SetWindowLongPtrA(FHandle, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(PopupOwnerWindow(value)));
}

// ---- icon and layered attributes ----------------------------------------------------------------

void TCustomForm::SetIcon(TIcon* value) { FIcon->Assign(value); }

HICON TCustomForm::GetIconHandle() {
  HICON icon = FIcon->Handle();
  return icon ? icon : Application->GetIconHandle();
}

void TCustomForm::IconChanged(TObject*) {
  if (FHandle && FBorderStyle != bsDialog) SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GetIconHandle()));
}

void TCustomForm::SetAlphaBlend(bool value) {
  if (value == FAlphaBlend) return;
  FAlphaBlend = value;
  SetLayeredAttribs();
}

void TCustomForm::SetAlphaBlendValue(uint8_t value) {
  if (value == FAlphaBlendValue) return;
  FAlphaBlendValue = value;
  SetLayeredAttribs();
}

void TCustomForm::SetTransparentColor(bool value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  SetLayeredAttribs();
}

void TCustomForm::SetTransparentColorValue(TColor value) {
  if (value == FTransparentColorValue) return;
  FTransparentColorValue = value;
  SetLayeredAttribs();
}

// A layered window while either attribute is on; an ordinary one again when both are off.
void TCustomForm::SetLayeredAttribs() {
  if (!FHandle || FParent || ComponentState().Contains(csDesigning)) return;
  const LONG_PTR exStyle = GetWindowLongPtrA(FHandle, GWL_EXSTYLE);
  if (FAlphaBlend || FTransparentColor) {
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrA(FHandle, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredWindowAttributes(FHandle, ColorToRGB(FTransparentColorValue), FAlphaBlendValue, flags);
  } else if (exStyle & WS_EX_LAYERED) {
    SetWindowLongPtrA(FHandle, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

// ---- monitor -------------------------------------------------------------------------------------

TMonitor* TCustomForm::Monitor() {
  if (FHandle && !FParent) return Screen->MonitorFromWindow(FHandle);
  TRect r = BoundsRect();
  return Screen->MonitorFromPoint({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// The form's work area rather than the monitor's bounds, so that no panel of the desktop
// covers it; a form larger than the area keeps its top-left corner inside.
void TCustomForm::MakeFullyVisible(TMonitor* monitor) {
  if (!monitor) monitor = Monitor();
  if (!monitor) return;
  const TRect area = monitor->WorkareaRect();
  int left = FLeft, top = FTop;
  if (left + FWidth > area.Right) left = area.Right - FWidth;
  if (left < area.Left) left = area.Left;
  if (top + FHeight > area.Bottom) top = area.Bottom - FHeight;
  if (top < area.Top) top = area.Top;
  if (left != FLeft || top != FTop) SetBounds(left, top, FWidth, FHeight);
}

// ---- window state --------------------------------------------------------------------------------

void TCustomForm::Resizing(TWindowState state) {
  if (!ComponentState().Contains(csDesigning)) FWindowState = state;
}

void TCustomForm::WMSize(TWMSize& m) {
  inherited::WMSize(m);
  // The size a hidden window gets at its creation says nothing of the state it will show in.
  if (!FParent && m.SizeType <= SIZE_MAXIMIZED && FHandle && IsWindowVisible(FHandle)) {
    TWindowState state = m.SizeType == SIZE_MINIMIZED ? wsMinimized : m.SizeType == SIZE_MAXIMIZED ? wsMaximized : wsNormal;
    Resizing(state);
  }
}

// ---- showing ---------------------------------------------------------------------------------------

void TCustomForm::Show() {
  SetVisible(true);
  if (FHandle) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::UpdateShowing() {
  if (FParent) {
    inherited::UpdateShowing();
    return;
  }
  if (FVisible) {
    HandleNeeded();
    if (IsWindowVisible(FHandle)) return;
    ApplyPosition();
    DoShow();
    if (!FVisible) return;  // OnShow hid it again
    int command = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : FWindowState == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    ShowWindow(FHandle, command);
    FFormState.Include(fsVisible);
    SetWindowFocus();
  } else if (FHandle && IsWindowVisible(FHandle)) {
    DoHide();
    ShowWindow(FHandle, SW_HIDE);
    FFormState.Exclude(fsVisible);
  }
}

// Centring on the screen's work area, the main form or the owner form.
void TCustomForm::ApplyPosition() {
  TRect area;
  TCustomForm* on = nullptr;
  switch (FPosition) {
    case poMainFormCenter: on = Application->MainForm(); break;
    case poOwnerFormCenter: on = dynamic_cast<TCustomForm*>(Owner()); if (!on) on = Application->MainForm(); break;
    case poScreenCenter:
    case poDesktopCenter: break;
    default: return;
  }
  if (on == this || (on && !on->FVisible)) on = nullptr;
  area = on ? on->BoundsRect() : Screen->WorkAreaRect();
  int left = area.Left + (area.Right - area.Left - FWidth) / 2;
  int top = area.Top + (area.Bottom - area.Top - FHeight) / 2;
  if (on) {
    TRect work = Screen->WorkAreaRect();
    left = std::max<int>(work.Left, std::min<int>(left, work.Right - FWidth));
    top = std::max<int>(work.Top, std::min<int>(top, work.Bottom - FHeight));
  }
  SetBounds(left, top, FWidth, FHeight);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

// ---- modal ------------------------------------------------------------------------------------------

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FFormState.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  CancelDrag();
  HandleNeeded();  // a window that cannot be made leaves nothing half-modal behind
  if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  Application->ModalStarted();
  Screen->PushFocusedForm(this);
  TaskWindows task;
  // Without a popup mode of its own, the form is owned as the application's modal mode says.
  HWND savedOwner = nullptr;
  const bool reowned = FPopupMode == pmNone && Application->ModalPopupMode() != pmNone && !FParent;
  if (reowned) {
    savedOwner = GetWindow(FHandle, GW_OWNER);
    SetWindowLongPtrA(FHandle, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(PopupOwnerWindow(Application->ModalPopupMode())));
  }
  task.except = FHandle;
  // The window manager's id of this thread, as it knows our window's thread.
  EnumThreadWindows(GetWindowThreadProcessId(FHandle, nullptr), &DisableTaskWindow, reinterpret_cast<LPARAM>(&task));
  auto restore = [&] {
    if (FHandle) Hide();
    for (HWND hwnd : task.disabled)
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    if (reowned && FHandle) SetWindowLongPtrA(FHandle, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(savedOwner));
    Screen->PopFocusedForm();
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    FFormState.Exclude(fsModal);
    Application->ModalFinished();
  };
  try {
    FModalResult = mrNone;  // before Show: OnShow may already close the form
    Show();
    RunModalLoop();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return FModalResult;
}

void TCustomForm::RunModalLoop() {
  Perform(CM_ACTIVATE);
  do {
    Application->HandleMessage();
    if (Application->Terminated()) {
      FModalResult = mrCancel;
    } else if (FModalResult != mrNone) {
      // A close that OnCloseQuery or OnClose refuses keeps the form open.
      TCloseAction action = caNone;
      try {
        if (CloseQuery()) {
          action = caHide;
          DoClose(action);
        }
      } catch (...) {
        action = caNone;
        Application->HandleException(this);
      }
      if (action == caNone) FModalResult = mrNone;
      else if (action == caFree) Release();
    }
  } while (FModalResult == mrNone);
  Perform(CM_DEACTIVATE);
}

// ---- closing ---------------------------------------------------------------------------------------

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (!PostMessageA(Handle(), CM_RELEASE, 0, 0)) throw EInvalidOperation(Format("Cannot release the form '%s'", {Name()}));
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::WMClose(TMessage&) { Close(); }

// ---- focus and activation ----------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  if (control && !ComponentState().Contains(csLoading) && (GetParentForm(control) != this || !control->CanFocus()))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = control;
  if (control && FActive && FHandle && !ComponentState().Contains(csLoading)) ::SetFocus(control->Handle());
}

void TCustomForm::FocusControl(TWinControl* control) {
  if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = control;
  if (FHandle && IsWindowVisible(FHandle)) ::SetFocus(control->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (ComponentState().Contains(csDestroying)) return true;
  if (FFocusedControl == control) {
    FActiveControl = control;
    return true;
  }
  TWinControl* previous = FFocusedControl;
  FFocusedControl = control;
  FActiveControl = control;
  Screen->SetFocusedForm(this);
  Screen->SetActiveControl(control);
  if (previous) previous->Perform(CM_EXIT);
  if (FFocusedControl != control) return false;  // OnExit moved the focus elsewhere
  control->Perform(CM_ENTER);
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (!control) return;
  bool hadFocus = FFocusedControl && control->ContainsControl(FFocusedControl);
  if (control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
  if (hadFocus) {
    FFocusedControl = nullptr;
    if (Screen->ActiveControl() && control->ContainsControl(Screen->ActiveControl())) Screen->SetActiveControl(nullptr);
    if (!removing && FHandle && !ComponentState().Contains(csDestroying)) ::SetFocus(FHandle);
  }
}

void TCustomForm::SetWindowFocus() {
  if (!FHandle || !IsWindowVisible(FHandle)) return;
  if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
  else if (GetFocus() != FHandle && GetActiveWindow() == FHandle) ::SetFocus(FHandle);
}

void TCustomForm::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  if (FActiveControl && FActiveControl->HandleAllocated() && !FActiveControl->ControlState().Contains(csRecreating))
    ::SetFocus(FActiveControl->Handle());
}

void TCustomForm::WMActivate(TWMActivate& m) {
  DefaultHandler(m.Message);
  bool active = m.Active != WA_INACTIVE;
  if (active == FActive) return;
  FActive = active;
  if (active) {
    Screen->SetActiveForm(this);
    Screen->SetFocusedForm(this);
    SetWindowFocus();
    Activate();
  } else {
    Deactivate();
  }
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::WMSysCommand(TWMSysCommand& m) {
  switch (m.CmdType) {
    case SC_MINIMIZE: FWindowState = wsMinimized; break;
    case SC_MAXIMIZE: FWindowState = wsMaximized; break;
    case SC_RESTORE: FWindowState = wsNormal; break;
    default: break;
  }
  DefaultHandler(m.Message);
}

// ---- keys and commands -------------------------------------------------------------------------------

void TCustomForm::CMDialogKey(TWMKey& m) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (m.CharCode) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          m.SetResult(1);
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl, m.CharCode == VK_RIGHT || m.CharCode == VK_DOWN, false);
          m.SetResult(1);
          return;
        }
        break;
      default:
        break;
    }
  }
  inherited::CMDialogKey(m);
}

bool TCustomForm::IsShortCut(TWMKey& m) {
  bool handled = false;
  if (OnShortCut) OnShortCut(m, handled);
  if (handled) return true;
  if (FMenu && FMenu->IsShortCut(m)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(m)) return true;
  // Controls that take keys of their own from anywhere on the form (a tool bar standing in for
  // the menu bar: Alt+letter and F10) answer CM_ISSHORTCUT.
  std::function<bool(TWinControl*)> offer = [&](TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(parent->Controls(i));
      if (!child || !child->Visible() || !child->Enabled()) continue;
      if (child->Perform(CM_ISSHORTCUT, m.Message.WParam, m.Message.LParam) != 0 || offer(child)) return true;
    }
    return false;
  };
  return offer(this);
}

void TCustomForm::WMCommand(TWMCommand& m) {
  if (!m.Ctl && m.NotifyCode <= 1) {
    if ((FMenu && FMenu->DispatchCommand(m.ItemID)) || DispatchPopupCommand(m.ItemID)) {
      m.SetResult(0);
      return;
    }
  }
  inherited::WMCommand(m);
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDesigning)) return;
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (auto* list = dynamic_cast<TCustomActionList*>(c)) list->UpdateActions();
    else if (auto* control = dynamic_cast<TControl*>(c); control && control->Visible()) control->InitiateAction();
  }
}

// ---- painting ------------------------------------------------------------------------------------------

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC dc) { PaintOnCanvas(*FCanvas, dc, [this] { Paint(); }); }

void TCustomForm::WMPaint(TWMPaint& m) {
  FControlState.Include(csCustomPaint);
  try {
    inherited::WMPaint(m);
  } catch (...) {
    FControlState.Exclude(csCustomPaint);
    throw;
  }
  FControlState.Exclude(csCustomPaint);
}

// ---- messages ------------------------------------------------------------------------------------------

void TCustomForm::WndProc(TMessage& m) { inherited::WndProc(m); }

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: WMClose(m); return;
    case WM_ACTIVATE: { TWMActivate v(m); WMActivate(v); return; }
    case WM_SYSCOMMAND: { TWMSysCommand v(m); WMSysCommand(v); return; }
    case CM_RELEASE: CMRelease(m); return;
    case WM_SYSCOLORCHANGE:
      // Every top-level window hears of it: the form tells its own controls.
      Perform(CM_SYSCOLORCHANGE);
      m.Result = 0;
      return;
    default: inherited::Dispatch(m); return;
  }
}

bool TCustomForm::IsFormSizeStored() const {
  return FAutoScroll || FHorzScrollBar->Range() != 0 || FVertScrollBar->Range() != 0;
}
