#include "program/skin/SkinControl.h"

#include "platform/gdi/DcGuards.h"
#include "program/skin/DrawUtils.h"
#include "vcl/WinControl.h"

TSkinControl::TSkinControl(TControl* control, TFSSkinEngine* engine) : FSkinEngine(engine), FControl(control) {}

TSkinControl::~TSkinControl() {
  if (m_destroyed) *m_destroyed = true;
  RestoreWindowProc();
  UnhookWindow();
}

void TSkinControl::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinControl*>(source)) {
    FAttachedControl = other->FAttachedControl;
    FControl = other->FControl;
    return;
  }
  TPersistent::Assign(source);
}

bool TSkinControl::HandleMessage(TMessage& message) {
  if (message.Msg != WM_NCDESTROY) return true;
  CallOldWndProc(message);
  if (m_destroyed && *m_destroyed) return false;
  Changed();
  AfterMessage(message);
  return false;
}

void TSkinControl::AfterMessage(TMessage&) {}

void TSkinControl::Changed() {}

void TSkinControl::DrawBackground(HDC dc, const TRect& rect) {
  platform::OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(clBtnFace)));
  FillRect(dc, rect.AsRect(), brush.get());
}

void TSkinControl::HookControl() {
  auto* control = dynamic_cast<TWinControl*>(FControl);
  if (FHooked || !control) return;
  FHooked = true;
  FHandle = control->Handle();
  ReplaceWindowProc(control);
  control->SetDoubleBuffered(true);
  control->Invalidate();
}

void TSkinControl::HookWindow(HWND wnd) {
  UnhookWindow();
  if (!wnd || !SetWindowSubclass(wnd, &TSkinControl::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) return;
  m_subclassedWindow = wnd;
}

void TSkinControl::DrawNonClient(HDC dc, HRGN updateRgn) {
  if (!FHandle) return;
  RECT windowRect{};
  if (!GetWindowRect(FHandle, &windowRect)) return;
  FLastWindowRect = TRect(windowRect);
  const TRect rect(0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top);
  const bool ownDc = dc == nullptr;
  if (ownDc) dc = GetNCPaintDC(FHandle, updateRgn);
  if (!dc) return;
  PaintNCParts(dc, rect);
  if (ownDc) ReleaseDC(FHandle, dc);
}

void TSkinControl::PaintNCParts(HDC, const TRect&) {}

void TSkinControl::WndProc(TMessage& message) {
  if (FAttachedControl && FAttachedControl->HandleAllocated()) {
    HWND current = FAttachedControl->Handle();
    if (current != FHandle) {
      FHandle = current;
      HandleRecreated();
    }
  }
  bool destroyed = false;
  bool* const outer = m_destroyed;
  m_destroyed = &destroyed;
  if (HandleMessage(message) && !destroyed) {
    CallOldWndProc(message);
    if (!destroyed) AfterMessage(message);
  }
  if (destroyed) {
    if (outer) *outer = true;
    return;
  }
  m_destroyed = outer;
}

void TSkinControl::CallOldWndProc(TMessage& message) {
  if (m_oldWindowProc) {
    // A copy: the call may replace or restore the saved procedure.
    auto old = m_oldWindowProc;
    old(message);
  } else if (m_currentWindow) {
    message.Result = DefSubclassProc(m_currentWindow, message.Msg, message.WParam, message.LParam);
  }
}

void TSkinControl::ReplaceWindowProc(TControl* control) {
  if (!control || m_windowProcControl) return;
  m_windowProcControl = control;
  m_oldWindowProc = control->WindowProc;
  if (!m_oldWindowProc) m_oldWindowProc = [control](TMessage& m) { control->WndProc(m); };
  control->WindowProc = [this](TMessage& m) { WndProc(m); };
}

void TSkinControl::RestoreWindowProc() {
  if (!m_windowProcControl) return;
  m_windowProcControl->WindowProc = m_oldWindowProc;
  m_windowProcControl = nullptr;
  m_oldWindowProc = nullptr;
}

void TSkinControl::UnhookWindow() {
  if (!m_subclassedWindow) return;
  if (IsWindow(m_subclassedWindow)) RemoveWindowSubclass(m_subclassedWindow, &TSkinControl::SubclassProc, 0);
  m_subclassedWindow = nullptr;
}

LRESULT TSkinControl::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<TSkinControl*>(refData);
  TMessage message{msg, wParam, lParam, 0};
  HWND outer = self->m_currentWindow;
  self->m_currentWindow = wnd;
  self->WndProc(message);
  self->m_currentWindow = outer;
  // The window subclass chain drops its subclasses after WM_NCDESTROY.
  if (msg == WM_NCDESTROY && self->m_subclassedWindow == wnd) self->m_subclassedWindow = nullptr;
  return message.Result;
}
