#include "program/skin/FSHintWindow.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/kernel/TimeApi.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

THintWindow* CreateFSHintWindow(TComponent* owner) { return new TFSHintWindow(owner); }

TFSHintWindow::TFSHintWindow(TComponent* owner) : THintWindow(owner) {}

void TFSHintWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // Not owned by the application window: a top-level window of its own.
  params.WndParent = nullptr;
}

void TFSHintWindow::ActivateHint(const TRect& rect, const AnsiString& hint) {
  FActivating = true;
  try {
    SetCaption(hint);
  } catch (...) {
    FActivating = false;
    throw;
  }
  FActivating = false;
  TRect r = rect;
  r.Bottom += 4;
  const int width = r.Right - r.Left, height = r.Bottom - r.Top;
  const TRect desktop = Screen->DesktopRect();
  // Kept inside the desktop: moved left or up from its right and bottom edges, never left of
  // its left edge.
  if (r.Right > desktop.Right) r.Left = desktop.Right - width;
  if (r.Left < desktop.Left) r.Left = desktop.Left;
  if (r.Bottom > desktop.Bottom) r.Top = desktop.Bottom - height;
  SetBounds(r.Left, r.Top, width, height);
  HandleNeeded();
  SetWindowPos(FHandle, HWND_TOPMOST, r.Left, r.Top, width, height, SWP_NOACTIVATE);
  const DWORD now = GetTickCount();
  if (now - FLastActivation >= 251 && hint.size() < 100) {
    BOOL animation = FALSE, fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    if (animation) {
      SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
      POINT cursor{};
      GetCursorPos(&cursor);
      const DWORD direction = fade ? AW_BLEND : cursor.y <= r.Top ? AW_VER_POSITIVE : AW_VER_NEGATIVE;
      AnimateWindow(FHandle, 100, AW_SLIDE | direction);
    }
  }
  SetWindowLongPtrW(FHandle, GWL_HWNDPARENT, 0);
  ShowWindow(FHandle, SW_SHOWNOACTIVATE);
  Invalidate();
  Update();
  FLastActivation = GetTickCount();
}

void TFSHintWindow::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  if (FActivating) return;
  const TRect size = CalcHintRect(0, GetText());
  SetBounds(FLeft, FTop, size.Right - size.Left, size.Bottom - size.Top);
}

bool TFSHintWindow::IsHintMsg(const MSG& msg) const {
  // Moving over a caption keeps the hint of the caption button under the pointer.
  if (msg.message == WM_NCMOUSEMOVE) return false;
  if (inherited::IsHintMsg(msg)) return true;
  // Every button message of a window's frame, WM_NCLBUTTONDOWN to WM_NCMBUTTONDBLCLK.
  return msg.message >= WM_NCLBUTTONDOWN && msg.message <= 0x00AC;
}
