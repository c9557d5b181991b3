#include "program/skin/ScrollHooks.h"

#include <atomic>
#include <mutex>

#include "platform/gdi/DcGuards.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/ScrollBars.h"
#include "program/skin/DrawUtils.h"

using platform::OwnedGdiObject;

namespace {

std::mutex g_installLock;
std::atomic<bool> g_installed{false};
// The entries the replacements took, called through by them and put back on removal.
// Written under g_installLock before g_installed is set.
platform::UserFunctionTable g_saved;

// The entries to call through: the ones replaced, or the window manager's own functions
// when the hooks were removed while a call was on its way in.
const platform::UserFunctionTable& Previous() {
  return g_installed.load(std::memory_order_acquire) ? g_saved : platform::OriginalUserFunctions();
}

ScrollHookInfo* ActiveRecord(HWND wnd) {
  ScrollHookInfo* record = GetScrollHookInfo(wnd);
  return record && record->Active ? record : nullptr;
}

void RepaintBars(HWND wnd, bool unlessDeleting) {
  // Looked up again: the call through may have sent messages that detached the bars.
  ScrollHookInfo* record = ActiveRecord(wnd);
  if (!record || !record->Repaint || !IsWindowVisible(wnd)) return;
  if (unlessDeleting && record->DeleteLock) return;
  record->Repaint(record->Owner);
}

int HookedSetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  const bool skinned = redraw && ActiveRecord(wnd);
  const int result = Previous().SetScrollInfo(wnd, bar, info, skinned ? FALSE : redraw);
  if (skinned) RepaintBars(wnd, true);
  return result;
}

int HookedSetScrollPos(HWND wnd, int bar, int pos, BOOL redraw) {
  const bool skinned = redraw && ActiveRecord(wnd);
  const int result = Previous().SetScrollPos(wnd, bar, pos, skinned ? FALSE : redraw);
  if (skinned) RepaintBars(wnd, false);
  return result;
}

BOOL HookedSetScrollRange(HWND wnd, int bar, int min, int max, BOOL redraw) {
  const bool skinned = redraw && ActiveRecord(wnd);
  const BOOL result = Previous().SetScrollRange(wnd, bar, min, max, skinned ? FALSE : redraw);
  if (skinned) RepaintBars(wnd, false);
  return result;
}

BOOL HookedGetScrollInfo(HWND wnd, int bar, SCROLLINFO* info) {
  const BOOL result = Previous().GetScrollInfo(wnd, bar, info);
  if (result && info && (info->fMask & SIF_TRACKPOS)) {
    ScrollHookInfo* record = ActiveRecord(wnd);
    if (record && record->Owner && record->Owner->ThumbDragging()) info->nTrackPos = record->TrackPos;
  }
  return result;
}

template <class RealDispatch>
LRESULT DispatchTimer(const MSG* msg, RealDispatch realDispatch) {
  // Only timer procedures (lParam) may scroll and draw behind the window's back.
  if (!msg || msg->message != WM_TIMER || msg->lParam == 0) return realDispatch(msg);
  HWND wnd = msg->hwnd;
  ScrollHookInfo* record = ActiveRecord(wnd);
  if (!record) return realDispatch(msg);

  HRGN previous = nullptr;
  bool masked = false;
  if (record->MaskFlag) {
    if (HRGN mask = MaskScrollBarsRegion(wnd)) {
      previous = CreateRectRgn(0, 0, 0, 0);
      if (GetWindowRgn(wnd, previous) == ERROR) {
        DeleteObject(previous);
        previous = nullptr;
      }
      if (SetWindowRgn(wnd, mask, FALSE)) masked = true;
      else DeleteObject(mask);
    }
  }
  const LRESULT result = realDispatch(msg);
  if (masked && IsWindow(wnd)) {
    // The window manager owns the region it is given back.
    if (!SetWindowRgn(wnd, previous, FALSE) && previous) DeleteObject(previous);
  } else if (previous) {
    DeleteObject(previous);
  }
  RepaintBars(wnd, false);
  return result;
}

LRESULT HookedDispatchMessageW(const MSG* msg) { return DispatchTimer(msg, Previous().DispatchMessageW.Load()); }
LRESULT HookedDispatchMessageA(const MSG* msg) { return DispatchTimer(msg, Previous().DispatchMessageA.Load()); }

}  // namespace

bool InstallScrollHooks() {
  std::lock_guard lock(g_installLock);
  if (g_installed.load()) return true;
  auto& table = platform::UserFunctions();
  g_saved = table;
  g_installed.store(true, std::memory_order_release);
  table.SetScrollInfo = HookedSetScrollInfo;
  table.SetScrollPos = HookedSetScrollPos;
  table.SetScrollRange = HookedSetScrollRange;
  table.GetScrollInfo = HookedGetScrollInfo;
  table.DispatchMessageA = HookedDispatchMessageA;
  table.DispatchMessageW = HookedDispatchMessageW;
  return true;
}

void RemoveScrollHooks() {
  std::lock_guard lock(g_installLock);
  if (!g_installed.load()) return;
  auto& table = platform::UserFunctions();
  table.SetScrollInfo = g_saved.SetScrollInfo;
  table.SetScrollPos = g_saved.SetScrollPos;
  table.SetScrollRange = g_saved.SetScrollRange;
  table.GetScrollInfo = g_saved.GetScrollInfo;
  table.DispatchMessageA = g_saved.DispatchMessageA;
  table.DispatchMessageW = g_saved.DispatchMessageW;
  // g_saved stays as it is: a call that read a replacement just before this point still
  // calls through to the entries it took.
  g_installed.store(false, std::memory_order_release);
}

bool ScrollHooksInstalled() { return g_installed.load(); }

ScrollHookInfo* GetScrollHookInfo(HWND wnd) {
  if (!wnd) return nullptr;
  return static_cast<ScrollHookInfo*>(GetPropA(wnd, kScrollHookPropName));
}

void CalcScrollBarRects(HWND wnd, TRect& horzRect, TRect& vertRect, TRect& sizeBox) {
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  const bool horz = (style & WS_HSCROLL) != 0;
  const bool vert = (style & WS_VSCROLL) != 0;
  horzRect = vertRect = sizeBox = TRect();
  if (!horz && !vert) return;
  RECT clientRect{};
  GetClientRect(wnd, &clientRect);
  TRect client(clientRect);
  if (!ClientRectToWindow(wnd, client)) return;
  if (horz) horzRect = TRect(client.Left, client.Bottom, client.Right, client.Bottom + GetSystemMetrics(SM_CYHSCROLL));
  if (vert) {
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    if (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)
      vertRect = TRect(client.Left - width, client.Top, client.Left, client.Bottom);
    else
      vertRect = TRect(client.Right, client.Top, client.Right + width, client.Bottom);
  }
  if (horz && vert) sizeBox = TRect(vertRect.Left, horzRect.Top, vertRect.Right, horzRect.Bottom);
}

HRGN MaskScrollBarsRegion(HWND wnd) {
  RECT windowRect{};
  if (!GetWindowRect(wnd, &windowRect)) return nullptr;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(wnd, region) == ERROR) {
    DeleteObject(region);
    region = CreateRectRgn(0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top);
  }
  TRect horz, vert, sizeBox;
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  for (const TRect& bar : {horz, vert, sizeBox}) {
    if (bar.IsEmpty()) continue;
    OwnedGdiObject<HRGN> cut(CreateRectRgnIndirect(bar.AsRect()));
    CombineRgn(region, region, cut.get(), RGN_DIFF);
  }
  return region;
}
