#pragma once

// TSkinControl: the small subclassing base of the objects that paint parts of another
// window (the skinned non-client scroll bars). It takes over a control's WindowProc, or a
// bare window's procedure through the window subclass chain, and sees every message first:
// HandleMessage returns true to let the old procedure run, after which AfterMessage runs.
// For WM_NCDESTROY the old procedure, Changed and AfterMessage each run exactly once.
//
// Ownership: the object does not own the control or the window; whoever creates it frees
// it while the control still exists (the destructor puts the control's WindowProc back and
// removes the window subclass when the window still exists). GUI thread only.

#include <functional>

#include "platform/user/WinUser.h"
#include "vcl/Control.h"
#include "vcl/Messages.h"
#include "vcl/Persistent.h"

class TFSSkinEngine;
class TWinControl;

class TSkinControl : public TPersistent {
  BRANTWELL_CLASS(TSkinControl, TPersistent)

 public:
  TSkinControl(TControl* control, TFSSkinEngine* engine);
  ~TSkinControl() override;

  // Copies the attached control and the constructor's control of another TSkinControl.
  void Assign(TPersistent* source) override;

  // First look at every message of the subclassed window; true lets the old procedure run.
  virtual bool HandleMessage(TMessage& message);
  // After the old procedure ran.
  virtual void AfterMessage(TMessage& message);
  virtual void Changed();
  // Fills with the button face colour.
  virtual void DrawBackground(HDC dc, const TRect& rect);
  // Subclasses the constructor's control once (its WindowProc), double-buffers and
  // invalidates it.
  virtual void HookControl();
  // Subclasses a window handle.
  virtual void HookWindow(HWND wnd);
  // Paints the non-client parts into `dc`, or, when it is 0, into a DC for `updateRgn`
  // (see GetNCPaintDC).
  virtual void DrawNonClient(HDC dc, HRGN updateRgn);
  virtual void PaintNCParts(HDC dc, const TRect& windowRect);

  HWND Handle() const { return FHandle; }
  TControl* Control() const { return FControl; }
  TWinControl* AttachedControl() const { return FAttachedControl; }
  TFSSkinEngine* Engine() const { return FSkinEngine; }

 protected:
  // The subclassing procedure: refreshes the handle from the attached control, then
  // HandleMessage, the old procedure and AfterMessage.
  void WndProc(TMessage& message);
  void CallOldWndProc(TMessage& message);
  // Takes over `control`'s WindowProc (once) and remembers the old one.
  void ReplaceWindowProc(TControl* control);
  // Puts the saved WindowProc back on its control.
  void RestoreWindowProc();
  // Removes the window subclass when the window still exists.
  void UnhookWindow();
  // The attached control's window was made again under a new handle.
  virtual void HandleRecreated() {}

  TFSSkinEngine* FSkinEngine;
  TWinControl* FAttachedControl = nullptr;
  TRect FLastWindowRect;
  HWND FHandle = nullptr;
  bool FHooked = false;
  TControl* FControl;

 private:
  static LRESULT SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR refData);

  std::function<void(TMessage&)> m_oldWindowProc;
  TControl* m_windowProcControl = nullptr;  // whose WindowProc is replaced
  HWND m_subclassedWindow = nullptr;        // the window subclassed by HookWindow
  // Set while WndProc runs: the destructor marks it, so a message whose handling frees the
  // control (a form's release) does not touch this object afterwards.
  bool* m_destroyed = nullptr;
  HWND m_currentWindow = nullptr;           // the window of the message being handled
};
