#pragma once

// TApplication: the program's message loop and its hidden application window.
//
// Run shows the main form and handles messages until Terminate (closing the main form
// terminates). Each message goes through OnMessage, the hint machinery and the key handling
// (CN_KEYDOWN ... to the focused control first, for shortcuts and dialog keys) before it is
// dispatched. When the queue is empty the application is idle: OnIdle, the actions of the
// visible forms are brought up to date, and calls handed over by other threads
// (TThread::Synchronize/Queue) run; WakeMainThread posts to the application window, so such
// a call wakes a waiting loop.
//
// Exceptions that reach a window procedure or the loop go to HandleException: OnException,
// or ShowException. The application also answers ApplicationHandleException.
//
// `Application` and `Screen` are made on first use (GUI thread) and live until
// DoneApplication. GUI thread only, apart from the wake-up.

#include <exception>
#include <functional>
#include <vector>

#include "vcl/Control.h"

class TCustomForm;
class THintWindow;
class TIcon;
class TBasicAction;
class TTimerWindow;

using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TEvent<void(TObject* Sender, const std::exception_ptr& E)>;
using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;
// A hook on the application window: true when it handled the message.
using TWindowHook = std::function<bool(TMessage& message)>;
using THintWindowClass = THintWindow* (*)(TComponent* owner);

class TApplication : public TComponent {
  BRANTWELL_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize() {}
  // Makes a form of class T owned by the application; the first one becomes the main form.
  template <class T> void CreateForm(T*& reference);
  void Run();
  void ProcessMessages();
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* form) { FMainForm = form; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool value) { FShowMainForm = value; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& value);
  // The application's icon, shown by forms without one of their own.
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* value);
  // The icon's handle, or the system's application icon while the icon is empty.
  HICON GetIconHandle();
  // The owner a modal form without a popup mode of its own takes (pmNone: as always).
  TPopupMode ModalPopupMode() const { return FModalPopupMode; }
  void SetModalPopupMode(TPopupMode value) { FModalPopupMode = value; }

  // The hidden application window, owner of the forms.
  HWND Handle();
  void HookMainWindow(const TWindowHook* hook);
  void UnhookMainWindow(const TWindowHook* hook);

  // The program holds the desktop's activation (WM_ACTIVATEAPP on the application window
  // keeps it; CM_ACTIVATE or CM_DEACTIVATE is posted to that window when it changes).
  bool Active() const { return FActive; }

  void ModalStarted();
  void ModalFinished();
  int ModalLevel() const { return FModalLevel; }

  // The exception being handled (call from a catch block, or with the exception given).
  void HandleException(TObject* sender);
  void HandleException(TObject* sender, std::exception_ptr error);
  void ShowException(const std::exception_ptr& error);

  // Hints.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int value) { FHintPause = value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int value) { FHintShortPause = value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int value) { FHintHidePause = value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor value) { FHintColor = value; }
  THintWindowClass HintWindowClass = nullptr;
  // Shows the hint of the control under the pointer now.
  void ActivateHint(TPoint cursorPos);
  void CancelHint();
  // A mouse move at a point of `control` (the message's point in its client coordinates),
  // for pointer positions the window-less mouse tracking does not see (a form's caption):
  // the control under the point with ShowHint, or its nearest parent with it, becomes the
  // hint control; a hint that shows is replaced when the point leaves its cursor rectangle.
  void HintMouseMessage(TControl* control, TMessage& message);
  THintWindow* HintWindow() const { return FHintWindow; }
  bool HintShowing() const;

  // Actions: the application's handlers run when an action's list does not handle it.
  bool ExecuteAction(TBasicAction* action);
  bool UpdateAction(TBasicAction* action);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TActionEvent OnActionExecute;
  TActionEvent OnActionUpdate;
  TNotifyEvent OnModalBegin;
  TNotifyEvent OnModalEnd;
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  // The control layer tells the hint machinery where the pointer is.
  static void MouseControlChanged(TControl* control);
  static void ControlDestroyed(TControl* control);
  void FormDestroyed(TCustomForm* form);

 protected:
  void WndProc(TMessage& message);
  bool ProcessMessage(MSG& msg);
  void Idle(const MSG& msg);
  bool IsKeyMsg(MSG& msg);
  bool IsHintMsg(MSG& msg);
  void DoActionIdle();

 private:
  static LRESULT AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateHandle();
  void IconChanged();
  void StartHintTimer(UINT_PTR id, int delayMs);
  void StopHintTimer(UINT_PTR id);
  void HintTimerExpired(UINT_PTR id);

  HWND FHandle = nullptr;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FRunning = false;
  bool FShowMainForm = true;
  AnsiString FTitle;
  int FModalLevel = 0;
  std::vector<const TWindowHook*> FWindowHooks;
  bool FShowHint = true;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  THintWindow* FHintWindow = nullptr;
  TControl* FHintControl = nullptr;
  TRect FHintCursorRect;  // screen coordinates
  std::unique_ptr<TIcon> FIcon;
  TPopupMode FModalPopupMode = pmNone;
  bool FHintActive = false;
  bool FHandlingException = false;
  bool FActive = true;
};

// The global application and screen, made on first use.
struct TApplicationRef {
  TApplication* operator->() const;
  operator TApplication*() const;
};
class TScreen;
struct TScreenRef {
  TScreen* operator->() const;
  operator TScreen*() const;
};
extern const TApplicationRef Application;
extern const TScreenRef Screen;
// Frees the application (and its forms) and the screen; the next use makes them anew.
void DoneApplication();

#include "vcl/Form.h"

template <class T> void TApplication::CreateForm(T*& reference) {
  reference = TCustomForm::Create<T>(this);
  if (!FMainForm) {
    reference->HandleNeeded();
    FMainForm = reference;
  }
}
