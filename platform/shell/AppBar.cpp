// Where the desktop's task bar lies, read from the monitors' work areas.

#include "platform/shell/ShellApi.h"

#include "platform/kernel/WinError.h"
#include "platform/user/Monitors.h"
#include "platform/user/WinUser.h"

UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA* data) {
  if (!data || data->cbSize != sizeof(APPBARDATA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (message != ABM_GETTASKBARPOS) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  HMONITOR monitor = data->hWnd && IsWindow(data->hWnd) ? MonitorFromWindow(data->hWnd, MONITOR_DEFAULTTONEAREST)
                                                         : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return FALSE;
  const RECT& bounds = info.rcMonitor;
  const RECT& work = info.rcWork;
  struct Side {
    UINT edge;
    LONG gap;
    RECT strip;
  };
  const Side sides[] = {
      {ABE_BOTTOM, bounds.bottom - work.bottom, RECT{bounds.left, work.bottom, bounds.right, bounds.bottom}},
      {ABE_TOP, work.top - bounds.top, RECT{bounds.left, bounds.top, bounds.right, work.top}},
      {ABE_LEFT, work.left - bounds.left, RECT{bounds.left, bounds.top, work.left, bounds.bottom}},
      {ABE_RIGHT, bounds.right - work.right, RECT{work.right, bounds.top, bounds.right, bounds.bottom}},
  };
  const Side* widest = nullptr;
  for (const Side& side : sides)
    if (side.gap > 0 && (!widest || side.gap > widest->gap)) widest = &side;
  if (!widest) return FALSE;
  data->uEdge = widest->edge;
  data->rc = widest->strip;
  return TRUE;
}
