// TBaseForm's edge auto-dock and window animation: a form moved next to a screen edge docks
// there; when the mouse leaves it, it slides into the edge leaving a 2-pixel strip, and comes
// back when the mouse returns, the form is activated or the pointer crosses its frame.

#include "program/skin/BaseForm.h"

#include "platform/shell/ShellApi.h"
#include "vcl/Application.h"

void TBaseForm::SetAutoDock(bool value) {
  if (FAutoDock == value) return;
  FAutoDock = value;
  SetAutoDockTimer(value);
}

void TBaseForm::SetAutoDockTimer(bool on) {
  if (!FHandle) return;
  if (on && !FDockTimer) FDockTimer = SetTimer(FHandle, AutoDockTimerId, 500, nullptr);
  else if (!on && FDockTimer) {
    KillTimer(FHandle, AutoDockTimerId);
    FDockTimer = 0;
  }
}

void TBaseForm::AutoDockPoll() {
  if (!FAutoDock || FSliding || !FHandle || !IsWindowVisible(FHandle)) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT window{};
  GetWindowRect(FHandle, &window);
  const bool inside = PtInRect(&window, cursor);
  if (inside) {
    if (FDockedIn) SlideDock(false);
    FMouseWasOver = true;
  } else if (FMouseWasOver) {
    SlideDock(true);
    FMouseWasOver = false;
  }
}

void TBaseForm::SnapToDockEdges(int& x, int& y) {
  const TRect monitor = MonitorRect(false);
  const TRect work = MonitorRect(true);
  // The edge that holds the desktop's task bar (ABE_*), or none.
  APPBARDATA taskBarData{};
  taskBarData.cbSize = sizeof(taskBarData);
  taskBarData.hWnd = FHandle;
  const int taskBar = SHAppBarMessage(ABM_GETTASKBARPOS, &taskBarData) ? static_cast<int>(taskBarData.uEdge) : -1;
  const int s = FSnapBuffer;
  // The left and top edges are those of the monitor's work area, the right and bottom ones
  // those of the monitor; the edge that holds the task bar is left alone.
  if (taskBar != ABE_LEFT && std::abs(x - work.Left) < s) {
    x = work.Left;
    FDockPos = dpLeft;
  }
  if (taskBar != ABE_TOP && std::abs(y - work.Top) < s) {
    y = work.Top;
    FDockPos = dpTop;
  }
  if (taskBar != ABE_RIGHT && std::abs(x + FWidth - monitor.Right) < s) {
    x = monitor.Right - FWidth;
    FDockPos = dpRight;
  }
  if (taskBar != ABE_BOTTOM && std::abs(y + FHeight - monitor.Bottom) < s) {
    y = monitor.Bottom - FHeight;
    FDockPos = dpBottom;
  }
}

void TBaseForm::CheckDockPos() {
  int x = FLeft, y = FTop;
  SnapToDockEdges(x, y);
  SetBounds(x, y, FWidth, FHeight);
}

void TBaseForm::SlideDock(bool hide) {
  if (FDockPos == dpNone || FDockedIn == hide || FUserMoving || WindowState() != wsNormal || FSliding) return;
  FSliding = true;
  if (OnBeforeDock) OnBeforeDock(this);
  const bool showing = FHandle && IsWindowVisible(FHandle);
  if (!showing && FHandle) {
    if (!hide) SetWindowLongPtrW(FHandle, GWL_STYLE, GetWindowLongPtrW(FHandle, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    else ShowWindow(FHandle, SW_SHOWNA);
  }
  const TRect monitor = MonitorRect(false);
  const TRect work = MonitorRect(true);
  int direction = 0;
  switch (FDockPos) {
    case dpTop:
      direction = hide ? 4 : 3;
      if (!hide) SetTop(work.Top);
      break;
    case dpLeft:
      direction = hide ? 2 : 1;
      if (!hide) SetLeft(work.Left);
      break;
    case dpRight:
      direction = hide ? 1 : 2;
      if (!hide) SetLeft(monitor.Right - FWidth);
      break;
    case dpBottom:
      direction = hide ? 3 : 4;
      if (!hide) SetTop(monitor.Bottom - FHeight);
      break;
    default: break;
  }
  // The slide moves the window; keep the flag up so the move is not snapped again.
  const bool wasSliding = FSliding;
  AnimateForm(hide ? 1 : 0, 250, 1, direction);
  FSliding = wasSliding;
  if (ComponentState().Contains(csDestroying)) {
    FSliding = false;
    return;
  }
  switch (FDockPos) {
    case dpTop: SetTop(hide ? work.Top + 2 - FHeight : work.Top); break;
    case dpLeft: SetLeft(hide ? work.Left + 2 - FWidth : work.Left); break;
    case dpRight: SetLeft(hide ? monitor.Right - 2 : monitor.Right - FWidth); break;
    case dpBottom: SetTop(hide ? monitor.Bottom - 2 : monitor.Bottom - FHeight); break;
    default: break;
  }
  // A slide in hides the window for the animation: it stays on screen as its strip.
  if (FHandle && !IsWindowVisible(FHandle)) {
    SetWindowLongPtrW(FHandle, GWL_STYLE, GetWindowLongPtrW(FHandle, GWL_STYLE) | WS_VISIBLE);
    ShowWindow(FHandle, SW_SHOWNA);
    FVisible = true;
  }
  if (hide || FFormStyle != fsStayOnTop) UpdateNonClient(true);
  FDockedIn = hide;
  FSliding = false;
  if (OnAfterDock) OnAfterDock(this);
}

void TBaseForm::AnimateForm(int kind, int time, int effect, int direction) {
  if (!FHandle) return;
  static constexpr DWORD kKinds[3] = {0, AW_HIDE, AW_ACTIVATE};
  static constexpr DWORD kEffects[2] = {AW_BLEND, AW_SLIDE};
  static constexpr DWORD kDirections[5] = {AW_CENTER, AW_HOR_POSITIVE, AW_HOR_NEGATIVE, AW_VER_POSITIVE, AW_VER_NEGATIVE};
  if (kind < 0 || kind > 2 || effect < 0 || effect > 1 || direction < 0 || direction > 4) return;
  const bool doubleBuffered = FDoubleBuffered;
  const bool sliding = FSliding;
  FDoubleBuffered = false;
  FSliding = true;
  AnimateWindow(FHandle, static_cast<DWORD>(time), kKinds[kind] | kEffects[effect] | kDirections[direction]);
  FSliding = sliding;
  FDoubleBuffered = doubleBuffered;
}
