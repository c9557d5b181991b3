#pragma once

// Monitors: the desktop is one monitor covering the screen unless the display names several
// (the primary one first, at (0,0)). Each has a work area: the part the desktop's panels
// leave free, as the display reports it or SPI_SETWORKAREA sets it. Any thread may call these.

#include <vector>

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

constexpr DWORD MONITOR_DEFAULTTONULL = 0x00000000;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 0x00000001;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 0x00000002;
constexpr DWORD MONITORINFOF_PRIMARY = 0x00000001;
constexpr int CCHDEVICENAME = 32;

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};

struct MONITORINFOEXW : MONITORINFO {
  WCHAR szDevice[CCHDEVICENAME];
};

struct MONITORINFOEXA : MONITORINFO {
  CHAR szDevice[CCHDEVICENAME];
};

using MONITORENUMPROC = BOOL (*)(HMONITOR, HDC, RECT*, LPARAM);

HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
// `info->cbSize` names the record: MONITORINFO or MONITORINFOEX (with the device name).
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);
// Calls `proc` for each monitor meeting `clip` (screen coordinates; with a DC, DC
// coordinates limited to the DC's clip box).
BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data);

namespace platform::detail {

struct MonitorArea {
  RECT bounds;  // screen coordinates
  RECT work;    // within `bounds`
};

// The monitors, the primary one first.
std::vector<MonitorArea> MonitorAreas();
// Names the monitors (display backends; tests on the headless display). Work areas are kept
// within their monitors; an empty one is the whole monitor. An empty list: one monitor of the
// screen size again.
void SetMonitorAreas(const std::vector<MonitorArea>& monitors);
// SPI_SETWORKAREA: the work area of the monitor that holds the area's centre (else the
// primary one). False for an empty area.
bool SetWorkArea(const RECT& area);
RECT PrimaryWorkArea();

}  // namespace platform::detail
