// The single monitor of the desktop.

#include "platform/user/Monitors.h"

#include <cstring>
#include <memory>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"

namespace {

struct Monitor {};

HMONITOR Primary() {
  static platform::HandleTable<Monitor> table(platform::handle_tags::kMonitor);
  static const HMONITOR handle = reinterpret_cast<HMONITOR>(table.Add(std::make_shared<Monitor>()));
  return handle;
}

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

HMONITOR Fallback(DWORD flags) { return flags == MONITOR_DEFAULTTONULL ? nullptr : Primary(); }

}  // namespace

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  const RECT screen = ScreenRect();
  return PtInRect(&screen, point) ? Primary() : Fallback(flags);
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const RECT screen = ScreenRect();
  RECT common;
  return IntersectRect(&common, rect, &screen) ? Primary() : Fallback(flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT rect;
  if (!GetWindowRect(hwnd, &rect)) return nullptr;
  // A minimised window belongs to the monitor it would be restored on; there is one.
  if (IsIconic(hwnd)) return Primary();
  return MonitorFromRect(&rect, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  if (monitor != Primary() || !info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXW))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = ScreenRect();
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &info->rcWork, 0);
  info->dwFlags = MONITORINFOF_PRIMARY;
  if (info->cbSize == sizeof(MONITORINFOEXW)) {
    const char16_t name[] = u"\\\\.\\DISPLAY1";
    std::memcpy(static_cast<MONITORINFOEXW*>(info)->szDevice, name, sizeof name);
  }
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD size = info->cbSize;
  info->cbSize = sizeof(MONITORINFO);
  const BOOL ok = GetMonitorInfoW(monitor, info);
  info->cbSize = size;
  if (ok && size == sizeof(MONITORINFOEXA)) std::strcpy(static_cast<MONITORINFOEXA*>(info)->szDevice, "\\\\.\\DISPLAY1");
  return ok;
}

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT area = ScreenRect();
  if (dc) {
    RECT box;
    if (GetClipBox(dc, &box) == 0) return FALSE;
    if (!IntersectRect(&area, &area, &box)) return TRUE;
  }
  if (clip && !IntersectRect(&area, &area, clip)) return TRUE;
  proc(Primary(), dc, &area, data);  // stopping early changes nothing with one monitor
  return TRUE;
}
