#include "vcl/Application.h"

#include <cstdio>

#include "platform/user/Icons.h"
#include "platform/user/MessageBox.h"

#include "vcl/Action.h"
#include "vcl/HintWindow.h"
#include "vcl/Icon.h"
#include "vcl/Menu.h"
#include "vcl/Screen.h"
#include "vcl/Thread.h"

namespace {

TApplication* g_application = nullptr;
TScreen* g_screen = nullptr;
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

}  // namespace

const TApplicationRef Application{};
const TScreenRef Screen{};

TApplication* TApplicationRef::operator->() const {
  if (!g_application) g_application = new TApplication(nullptr);
  return g_application;
}
TApplicationRef::operator TApplication*() const { return operator->(); }

TScreen* TScreenRef::operator->() const {
  if (!g_screen) g_screen = new TScreen(nullptr);
  return g_screen;
}
TScreenRef::operator TScreen*() const { return operator->(); }

void DoneApplication() {
  delete g_application;
  g_application = nullptr;
  delete g_screen;
  g_screen = nullptr;
}

// ---- TApplication -----------------------------------------------------------------------------------

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  FIcon = std::make_unique<TIcon>();
  // The program's own icon, when the executable carries one.
  if (HICON icon = LoadIconW(nullptr, u"MAINICON")) FIcon->SetHandle(icon);
  FIcon->SetOnChange([this](TObject*) { IconChanged(); });
  CreateHandle();
  HWND handle = FHandle;
  WakeMainThread = [handle] { PostMessageA(handle, WM_NULL, 0, 0); };
  ApplicationHandleException = [](TObject* sender, std::exception_ptr error) {
    Application->HandleException(sender, std::move(error));
  };
}

TApplication::~TApplication() {
  Destroying();
  CancelHint();
  // The hint window goes first: each form freed next cancels the hint on its way out.
  delete FHintWindow;
  FHintWindow = nullptr;
  DestroyComponents();  // the forms, while the application still answers them
  WakeMainThread = nullptr;
  ApplicationHandleException = nullptr;
  if (FHandle) {
    DestroyWindow(FHandle);
    FHandle = nullptr;
  }
}

void TApplication::CreateHandle() {
  WNDCLASSA existing{};
  if (!GetClassInfoA(nullptr, "TApplication", &existing)) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &TApplication::AppWndProc;
    cls.lpszClassName = "TApplication";
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    if (!RegisterClassA(&cls)) throw EInvalidOperation("Cannot register the application window class");
  }
  FHandle = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                            nullptr, nullptr, nullptr, nullptr);
  if (!FHandle) throw EInvalidOperation("Cannot create the application window");
  SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GetIconHandle()));
}

HWND TApplication::Handle() { return FHandle; }

void TApplication::SetIcon(TIcon* value) { FIcon->Assign(value); }

HICON TApplication::GetIconHandle() {
  HICON icon = FIcon->Handle();
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

// The application window shows the new icon, and so does every form without one.
void TApplication::IconChanged() {
  if (FHandle) SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GetIconHandle()));
  if (!g_screen) return;
  for (int i = 0; i < g_screen->FormCount(); ++i) {
    TCustomForm* form = g_screen->Forms(i);
    if (form->HandleAllocated() && form->Icon()->Empty() && form->BorderStyle() != bsDialog)
      SendMessageA(form->Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GetIconHandle()));
  }
}

void TApplication::SetTitle(const AnsiString& value) {
  FTitle = value;
  if (FHandle) SetWindowTextA(FHandle, value.c_str());
}

LRESULT TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!g_application || g_application->FHandle != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  try {
    g_application->WndProc(m);
  } catch (...) {
    g_application->HandleException(g_application);
  }
  return m.Result;
}

void TApplication::WndProc(TMessage& m) {
  for (auto it = FWindowHooks.rbegin(); it != FWindowHooks.rend(); ++it)
    if ((**it)(m)) return;
  switch (m.Msg) {
    case WM_NULL:
      CheckSynchronize();
      return;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_COMMAND:
      // Popup menus tracked without a form send their choice here.
      if (!m.LParam && HIWORD(m.WParam) <= 1 && DispatchPopupCommand(LOWORD(m.WParam))) {
        m.Result = 0;
        return;
      }
      m.Result = DefWindowProcA(FHandle, m.Msg, m.WParam, m.LParam);
      return;
    case WM_TIMER:
      HintTimerExpired(m.WParam);
      return;
    case WM_ACTIVATEAPP: {
      const bool active = m.WParam != 0;
      m.Result = 0;
      if (active == FActive) return;
      FActive = active;
      // Forms freed with the application move the activation: nobody is told any more.
      if (ComponentState().Contains(csDestroying)) return;
      if (active) {
        if (OnActivate) OnActivate(this);
      } else {
        CancelHint();
        if (OnDeactivate) OnDeactivate(this);
      }
      // Posted, so that a nested loop (a drop-down's) sees it in its queue.
      PostMessageA(FHandle, active ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
      return;
    }
    case CM_ACTIVATE:
    case CM_DEACTIVATE:
      m.Result = 0;
      return;
    case WM_SYSCOLORCHANGE:
      // The forms with windows hear of it themselves; the others are told from here.
      for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (!form->HandleAllocated()) form->Perform(CM_SYSCOLORCHANGE);
      }
      m.Result = 0;
      return;
    default:
      m.Result = DefWindowProcA(FHandle, m.Msg, m.WParam, m.LParam);
      return;
  }
}

void TApplication::HookMainWindow(const TWindowHook* hook) {
  if (hook && std::find(FWindowHooks.begin(), FWindowHooks.end(), hook) == FWindowHooks.end())
    FWindowHooks.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook* hook) { std::erase(FWindowHooks, hook); }

// ---- the loop -----------------------------------------------------------------------------------------

void TApplication::Run() {
  FRunning = true;
  struct Stop {
    bool& running;
    ~Stop() { running = false; }
  } stop{FRunning};
  if (!FMainForm) return;
  if (FShowMainForm) FMainForm->Show();
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  if (!handled && !IsHintMsg(msg) && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::Idle(const MSG&) {
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
    if (done) DoActionIdle();
  } catch (...) {
    HandleException(this);
  }
  bool ranCalls = false;
  try {
    ranCalls = CheckSynchronize();
  } catch (...) {
    HandleException(this);
    ranCalls = true;
  }
  if (done && !ranCalls) WaitMessage();
}

// Keys go to the focused control as CN_KEYDOWN ... first, for its shortcuts and dialog keys.
bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) {
    wnd = msg.hwnd;
    while (wnd && !TWinControl::FindControl(wnd)) wnd = (GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr;
    if (!wnd) return false;
  }
  return SendMessageA(wnd, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

void TApplication::DoActionIdle() {
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->HandleAllocated() && IsWindowVisible(form->FHandle)) form->UpdateActions();
  }
}

bool TApplication::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (OnActionExecute) OnActionExecute(action, handled);
  return handled;
}

bool TApplication::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (OnActionUpdate) OnActionUpdate(action, handled);
  return handled;
}

void TApplication::ModalStarted() {
  ++FModalLevel;
  if (FModalLevel == 1 && OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished() {
  if (FModalLevel > 0) --FModalLevel;
  if (FModalLevel == 0 && OnModalEnd) OnModalEnd(this);
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (FMainForm == form) FMainForm = nullptr;
  if (FHintControl && form->ContainsControl(FHintControl)) {
    CancelHint();
    FHintControl = nullptr;
  }
}

// ---- exceptions ------------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* sender) { HandleException(sender, std::current_exception()); }

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return;  // a silent exception
  } catch (...) {
  }
  if (FHandlingException) return;
  FHandlingException = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{FHandlingException};
  try {
    if (OnException) OnException(sender, error);
    else ShowException(error);
  } catch (...) {
    // A failing exception handler must not take the loop down.
  }
}

// A message box owned by the active window (or the application window) with the title; the
// error stream when the box cannot be shown (another thread, or no window manager answer).
void TApplication::ShowException(const std::exception_ptr& error) {
  AnsiString message;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    message = e.Message();
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unknown exception";
  }
  if (!message.empty() && message.back() > '.') message += '.';
  AnsiString title = FTitle.empty() ? AnsiString("Brantwell") : FTitle;
  if (IsMainThread()) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = Handle();
    if (MessageBoxA(owner, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR) != 0) return;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
}

// ---- hints ----------------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool value) {
  FShowHint = value;
  if (!value) CancelHint();
}

bool TApplication::HintShowing() const { return FHintActive && FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->FHandle); }

void TApplication::MouseControlChanged(TControl* control) {
  if (!g_application) return;
  TApplication& app = *g_application;
  if (control == app.FHintControl) return;
  bool wasShowing = app.HintShowing();
  app.CancelHint();
  app.FHintControl = control;
  if (control && app.FShowHint && control->ShowHint() && !control->Hint().empty())
    app.StartHintTimer(kHintShowTimer, wasShowing ? app.FHintShortPause : app.FHintPause);
}

void TApplication::ControlDestroyed(TControl* control) {
  if (!g_application || g_application->FHintControl != control) return;
  g_application->CancelHint();
  g_application->FHintControl = nullptr;
}

void TApplication::StartHintTimer(UINT_PTR id, int delayMs) {
  if (FHandle) SetTimer(FHandle, id, static_cast<UINT>(std::max(delayMs, 1)), nullptr);
}

void TApplication::StopHintTimer(UINT_PTR id) {
  if (FHandle) KillTimer(FHandle, id);
}

void TApplication::HintTimerExpired(UINT_PTR id) {
  StopHintTimer(id);
  if (id == kHintShowTimer) {
    POINT p{};
    GetCursorPos(&p);
    ActivateHint(TPoint(p));
  } else if (id == kHintHideTimer) {
    CancelHint();
  }
}

void TApplication::ActivateHint(TPoint cursorPos) {
  TControl* control = FHintControl;
  if (!control || !FShowHint) return;
  THintInfo info;
  info.HintControl = control;
  info.HintPos = {cursorPos.X, cursorPos.Y + 20};
  info.HintMaxWidth = Screen->Width();
  info.HintColor = FHintColor;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.HideTimeout = FHintHidePause;
  info.HintStr = GetShortHint(control->Hint());
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0) return;
  if (info.HintStr.empty()) return;  // nothing to show here (a form's caption between its buttons)
  TPoint topLeft = control->ClientToScreen({info.CursorRect.Left, info.CursorRect.Top});
  FHintCursorRect = {topLeft.X, topLeft.Y, topLeft.X + info.CursorRect.Right - info.CursorRect.Left,
                     topLeft.Y + info.CursorRect.Bottom - info.CursorRect.Top};
  if (!FHintWindow) FHintWindow = HintWindowClass ? HintWindowClass(this) : new THintWindow(this);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
  r = {info.HintPos.X, info.HintPos.Y, info.HintPos.X + r.Right - r.Left, info.HintPos.Y + r.Bottom - r.Top};
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintActive = true;
  if (OnHint) OnHint(this);
  if (info.HideTimeout > 0) StartHintTimer(kHintHideTimer, info.HideTimeout);
}

void TApplication::CancelHint() {
  StopHintTimer(kHintShowTimer);
  StopHintTimer(kHintHideTimer);
  if (FHintWindow) FHintWindow->ReleaseHandle();
  FHintActive = false;
}

// The hint window decides which messages take a showing hint away (a press, a key).
bool TApplication::IsHintMsg(MSG& msg) {
  if (!FHintActive || !FHintWindow) return false;
  if (FHintWindow->IsHintMsg(msg)) CancelHint();
  return false;
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (!control) return;
  const TPoint client{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const TPoint screen = control->ClientToScreen(client);
  // The innermost visible, enabled control under the point.
  TControl* target = control;
  TPoint pos = client;
  while (auto* parent = dynamic_cast<TWinControl*>(target)) {
    TControl* child = parent->ControlAtPos(pos, false, true);
    if (!child) break;
    pos = {pos.X - child->Left(), pos.Y - child->Top()};
    target = child;
  }
  TControl* hintControl = target;
  while (hintControl && !hintControl->ShowHint()) hintControl = hintControl->Parent();
  if (hintControl && hintControl->ComponentState().Contains(csDesigning)) hintControl = nullptr;
  if (!hintControl || !FShowHint) {
    CancelHint();
    FHintControl = nullptr;
    return;
  }
  const bool outside = FHintActive && !PtInRect(FHintCursorRect.AsRect(), POINT{screen.X, screen.Y});
  if (hintControl == FHintControl && !outside) return;
  const bool wasShowing = HintShowing();
  CancelHint();
  FHintControl = hintControl;
  StartHintTimer(kHintShowTimer, wasShowing ? FHintShortPause : FHintPause);
}
