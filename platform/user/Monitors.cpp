// The desktop's monitors: one covering the screen unless the display names several, each
// with its work area (the part the desktop's panels leave free).

#include "platform/user/Monitors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"

namespace {

using platform::detail::MonitorArea;

struct Monitor {
  size_t index = 0;
};

struct MonitorState {
  std::vector<MonitorArea> named;  // from the display; empty: one monitor of the screen size
  std::optional<RECT> primaryWork;  // SPI_SETWORKAREA on the single monitor
  std::vector<HMONITOR> handles;    // by index, made as they are first needed
};

std::mutex g_mutex;
MonitorState& State() {
  static auto* state = new MonitorState;
  return *state;
}
platform::HandleTable<Monitor>& Table() {
  static auto* table = new platform::HandleTable<Monitor>(platform::handle_tags::kMonitor);
  return *table;
}

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The work area kept within the monitor; the whole monitor when nothing of it is left.
RECT ClippedWork(const RECT& work, const RECT& bounds) {
  RECT clipped;
  if (!IntersectRect(&clipped, &work, &bounds)) return bounds;
  return clipped;
}

HMONITOR HandleAt(size_t index) {
  std::lock_guard lock(g_mutex);
  auto& handles = State().handles;
  while (handles.size() <= index) {
    auto monitor = std::make_shared<Monitor>();
    monitor->index = handles.size();
    handles.push_back(reinterpret_cast<HMONITOR>(Table().Add(std::move(monitor))));
  }
  return handles[index];
}

std::optional<size_t> IndexOf(HMONITOR handle) {
  auto monitor = Table().Get(reinterpret_cast<uintptr_t>(handle));
  if (!monitor || monitor->index >= platform::detail::MonitorAreas().size()) return std::nullopt;
  return monitor->index;
}

long Distance(const RECT& r, POINT p) {
  const long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
  const long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

HMONITOR Fallback(DWORD flags, POINT near) {
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  const auto monitors = platform::detail::MonitorAreas();
  if (flags != MONITOR_DEFAULTTONEAREST) return HandleAt(0);
  size_t best = 0;
  for (size_t i = 1; i < monitors.size(); ++i)
    if (Distance(monitors[i].bounds, near) < Distance(monitors[best].bounds, near)) best = i;
  return HandleAt(best);
}

}  // namespace

namespace platform::detail {

std::vector<MonitorArea> MonitorAreas() {
  const RECT screen = ScreenRect();
  std::lock_guard lock(g_mutex);
  const MonitorState& s = State();
  if (!s.named.empty()) return s.named;
  return {MonitorArea{screen, s.primaryWork ? ClippedWork(*s.primaryWork, screen) : screen}};
}

void SetMonitorAreas(const std::vector<MonitorArea>& monitors) {
  std::vector<MonitorArea> named;
  for (const MonitorArea& m : monitors)
    if (!Empty(m.bounds)) named.push_back(MonitorArea{m.bounds, Empty(m.work) ? m.bounds : ClippedWork(m.work, m.bounds)});
  std::lock_guard lock(g_mutex);
  State().named = std::move(named);
}

bool SetWorkArea(const RECT& area) {
  if (Empty(area)) return false;
  const POINT centre{area.left + (area.right - area.left) / 2, area.top + (area.bottom - area.top) / 2};
  std::lock_guard lock(g_mutex);
  MonitorState& s = State();
  if (s.named.empty()) {
    s.primaryWork = area;
    return true;
  }
  // The monitor that holds the area's centre, else the primary one.
  MonitorArea* target = &s.named.front();
  for (MonitorArea& m : s.named)
    if (PtInRect(&m.bounds, centre)) target = &m;
  target->work = ClippedWork(area, target->bounds);
  return true;
}

RECT PrimaryWorkArea() { return MonitorAreas().front().work; }

}  // namespace platform::detail

using platform::detail::MonitorAreas;

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  const auto monitors = MonitorAreas();
  for (size_t i = 0; i < monitors.size(); ++i)
    if (PtInRect(&monitors[i].bounds, point)) return HandleAt(i);
  return Fallback(flags, point);
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The monitor with the largest share of the rectangle.
  const auto monitors = MonitorAreas();
  long bestArea = 0;
  std::optional<size_t> best;
  for (size_t i = 0; i < monitors.size(); ++i) {
    RECT common;
    if (!IntersectRect(&common, rect, &monitors[i].bounds)) continue;
    const long area = static_cast<long>(common.right - common.left) * (common.bottom - common.top);
    if (!best || area > bestArea) best = i, bestArea = area;
  }
  if (best) return HandleAt(*best);
  return Fallback(flags, POINT{rect->left + (rect->right - rect->left) / 2, rect->top + (rect->bottom - rect->top) / 2});
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT rect;
  if (!GetWindowRect(hwnd, &rect)) return nullptr;
  if (IsIconic(hwnd)) {
    // A minimised window belongs to the monitor it would be restored on.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd, &placement)) rect = placement.rcNormalPosition;
  }
  return MonitorFromRect(&rect, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  const auto index = IndexOf(monitor);
  if (!index || !info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXW))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto monitors = MonitorAreas();
  if (*index >= monitors.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = monitors[*index].bounds;
  info->rcWork = monitors[*index].work;
  info->dwFlags = *index == 0 ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize == sizeof(MONITORINFOEXW)) {
    char name[CCHDEVICENAME];
    std::snprintf(name, sizeof name, "\\\\.\\DISPLAY%zu", *index + 1);
    auto* device = static_cast<MONITORINFOEXW*>(info)->szDevice;
    size_t i = 0;
    for (; name[i] && i + 1 < CCHDEVICENAME; ++i) device[i] = static_cast<WCHAR>(name[i]);
    device[i] = 0;
  }
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD size = info->cbSize;
  MONITORINFOEXW wide{};
  wide.cbSize = sizeof wide;
  const BOOL ok = GetMonitorInfoW(monitor, &wide);
  if (!ok) return FALSE;
  info->rcMonitor = wide.rcMonitor;
  info->rcWork = wide.rcWork;
  info->dwFlags = wide.dwFlags;
  if (size == sizeof(MONITORINFOEXA)) {
    auto* device = static_cast<MONITORINFOEXA*>(info)->szDevice;
    for (int i = 0; i < CCHDEVICENAME; ++i) device[i] = static_cast<CHAR>(wide.szDevice[i]);
  }
  return TRUE;
}

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT box{};
  if (dc && GetClipBox(dc, &box) == 0) return FALSE;
  const auto monitors = MonitorAreas();
  for (size_t i = 0; i < monitors.size(); ++i) {
    RECT area = monitors[i].bounds;
    if (dc && !IntersectRect(&area, &area, &box)) continue;
    if (clip && !IntersectRect(&area, &area, clip)) continue;
    if (!proc(HandleAt(i), dc, &area, data)) break;
  }
  return TRUE;
}
