#pragma once

// Internal state of the window manager, shared by its source files.
//
// Locking: one recursive "user lock" guards the window tree (parents, children, owners,
// z-order, geometry, styles, text, properties, update regions) and the input state (focus,
// active window, capture, cursor, key states). It is held only for short reads and writes and
// never while a window procedure runs, so procedures may call back into the layer from any
// thread. Each thread's queue has its own mutex and condition variable; a queue's mutex is
// never taken while waiting for the user lock.

#include <pixman.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/user/UserTypes.h"

namespace platform::detail {

std::recursive_mutex& UserLock();
using UserGuard = std::lock_guard<std::recursive_mutex>;

// A region of whole pixels (pixman), owned by value.
class PixelRegion {
 public:
  PixelRegion() { pixman_region32_init(&m_region); }
  explicit PixelRegion(const RECT& r) {
    pixman_region32_init_rect(&m_region, r.left, r.top, r.right > r.left ? r.right - r.left : 0,
                              r.bottom > r.top ? r.bottom - r.top : 0);
  }
  PixelRegion(const PixelRegion& other) {
    pixman_region32_init(&m_region);
    pixman_region32_copy(&m_region, const_cast<pixman_region32_t*>(&other.m_region));
  }
  PixelRegion& operator=(const PixelRegion& other) {
    if (this != &other) pixman_region32_copy(&m_region, const_cast<pixman_region32_t*>(&other.m_region));
    return *this;
  }
  ~PixelRegion() { pixman_region32_fini(&m_region); }

  bool Empty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&m_region)); }
  void Clear() { pixman_region32_clear(&m_region); }
  void Add(const PixelRegion& other) { pixman_region32_union(&m_region, &m_region, other.Raw()); }
  void Add(const RECT& r) { Add(PixelRegion(r)); }
  void Subtract(const PixelRegion& other) { pixman_region32_subtract(&m_region, &m_region, other.Raw()); }
  void Subtract(const RECT& r) { Subtract(PixelRegion(r)); }
  void Intersect(const PixelRegion& other) { pixman_region32_intersect(&m_region, &m_region, other.Raw()); }
  void Intersect(const RECT& r) { Intersect(PixelRegion(r)); }
  void Offset(int dx, int dy) { pixman_region32_translate(&m_region, dx, dy); }
  RECT Bounds() const {
    const pixman_box32_t* b = pixman_region32_extents(const_cast<pixman_region32_t*>(&m_region));
    if (Empty()) return RECT{0, 0, 0, 0};
    return RECT{b->x1, b->y1, b->x2, b->y2};
  }
  bool Contains(int x, int y) const {
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&m_region), x, y, nullptr);
  }
  std::vector<RECT> Rects() const {
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&m_region), &count);
    std::vector<RECT> out;
    for (int i = 0; i < count; ++i) out.push_back(RECT{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    return out;
  }
  pixman_region32_t* Raw() const { return const_cast<pixman_region32_t*>(&m_region); }

 private:
  pixman_region32_t m_region;
};

struct WindowClass {
  std::u16string name;  // as registered; looked up case-insensitively
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  bool unicode = true;
  int classExtraBytes = 0;
  int windowExtraBytes = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::u16string menuName;
  std::vector<uint8_t> extra;
  int windowCount = 0;  // live windows of the class; a class in use cannot be unregistered
  bool system = false;
};

class ThreadQueue;

struct ScrollBarState {
  int min = 0, max = 0, page = 0, pos = 0, trackPos = 0;
  bool tracking = false;
  bool shown = true;
  UINT disabledArrows = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  DWORD style = 0;
  DWORD exStyle = 0;
  WNDPROC proc = nullptr;
  bool unicode = true;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;
  Window* parent = nullptr;  // the desktop for top-level windows
  Window* owner = nullptr;
  std::vector<Window*> children;  // z-order, topmost first
  RECT rect{};    // window rectangle in the parent's client coordinates (screen for top-level)
  RECT client{};  // client rectangle relative to the window rectangle's top-left
  std::u16string text;
  std::shared_ptr<ThreadQueue> queue;
  std::map<std::u16string, HANDLE> props;
  std::vector<uint8_t> extra;
  bool created = false;     // WM_NCCREATE accepted
  bool destroying = false;  // DestroyWindow under way
  RECT normalRect{};        // rectangle to restore to from minimised or maximised
  bool hadMaximizeBeforeMinimize = false;
  PixelRegion update;       // invalid area, window coordinates
  bool erasePending = false;
  bool ncPaintPending = false;
  bool internalPaint = false;
  bool redrawDisabled = false;
  std::unique_ptr<PixelRegion> windowRegion;  // SetWindowRgn shape, window coordinates
  BYTE layeredAlpha = 255;
  ScrollBarState hscroll, vscroll;
  HICON smallIcon = nullptr, bigIcon = nullptr;
  bool acceptFiles = false;
  HWND lastActivePopup = nullptr;
  WORD uiState = 0;
  bool taskbarRule = false;    // the task-bar rule's outcome when last applied
  bool taskbarButton = false;  // the window has a task-bar button (Taskbar.h)
};

using WindowPtr = std::shared_ptr<Window>;

HandleTable<Window>& WindowTable();
WindowPtr GetWindowPtr(HWND hwnd);        // null (and ERROR_INVALID_WINDOW_HANDLE) when stale
WindowPtr FindWindowPtrQuiet(HWND hwnd);  // null without touching the last error
Window* DesktopWindowRaw();

// Geometry helpers (user lock held by the caller).
POINT ClientOriginOnScreen(const Window* w);  // screen point of the client area's top-left
RECT WindowRectOnScreen(const Window* w);
bool IsVisibleChain(const Window* w);
Window* TopLevelOf(Window* w);
bool IsDescendant(const Window* ancestor, const Window* w);

// Calls a window's procedure with message text converted between the caller's and the
// procedure's character sets (no lock held).
LRESULT CallProcedure(WNDPROC proc, bool procUnicode, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                      bool callerUnicode);
void RememberProcCharset(WNDPROC proc, bool unicode);
bool ProcIsUnicode(WNDPROC proc, bool fallback);

// Sends on the current thread or across threads; `callerUnicode` names the caller's set.
LRESULT SendMessageInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool callerUnicode);
bool PostInputMessage(Window* target, const MSG& msg);

// Painting state (Painting.cpp).
void InvalidateInternal(Window* w, const PixelRegion* area /*window coords, null = all*/, UINT flags);
void InvalidateExposedByMove(Window* w);
bool HasPaintPending(const Window* w);
// A DC over the window's client area clipped to `visible` (client coordinates), for BeginPaint.
HDC GetPaintDC(HWND hwnd, const PixelRegion& visible);
PixelRegion RegionFromHandle(HRGN region);
void SetPresentHook(void (*hook)());

// Focus and activation (Focus.cpp).
void ActivateWindowInternal(HWND hwnd, WORD how);
void OnWindowHiddenOrDestroyed(HWND hwnd);

// Applies the task-bar rule again after a change of visibility, owner or style (Taskbar.cpp;
// user lock held).
void UpdateTaskbarPresence(Window* w);

// Timers (Timers.cpp).
void KillWindowTimers(HWND hwnd);
void KillThreadTimers(ThreadQueue* queue);
bool TimerProcIsRegistered(HWND hwnd, UINT_PTR id, TIMERPROC proc);

// The standard cursor for a frame hit-test code, and the id of a standard cursor (0 if not).
LPCWSTR DefaultCursorForHit(LRESULT hit);
int StandardCursorId(HCURSOR cursor);
LRESULT DefaultControlColor(UINT msg, HDC dc);

// Character conversion.
std::u16string ToWide(const char* text);
std::u16string ToWide(const char16_t* text);
std::string ToNarrow(const std::u16string& text);

}  // namespace platform::detail
