// The window tree: the desktop, CreateWindowEx and DestroyWindow with their message order,
// parents, owners and z-order queries, enumeration and lookup.

#include <unistd.h>

#include <algorithm>

#include "platform/kernel/WinError.h"
#include "platform/user/Classes.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

std::recursive_mutex& UserLock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

HandleTable<Window>& WindowTable() {
  static auto* table = new HandleTable<Window>(handle_tags::kUser);
  return *table;
}

namespace {

LRESULT DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

WindowPtr MakeRoot(const char16_t* className) {
  auto cls = std::make_shared<WindowClass>();
  cls->name = className;
  cls->proc = DesktopProc;
  cls->system = true;
  RegisterClassInternal(cls);
  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = DesktopProc;
  w->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  w->rect = RECT{0, 0, width, height};
  w->client = RECT{0, 0, width, height};
  w->created = true;
  w->handle = reinterpret_cast<HWND>(WindowTable().Add(w));
  return w;
}

struct Roots {
  WindowPtr desktop = MakeRoot(u"#32769");
  WindowPtr messageRoot = MakeRoot(u"Message");
};

Roots& TheRoots() {
  static auto* roots = new Roots;
  return *roots;
}

void Unlink(Window* w) {
  if (!w->parent) return;
  auto& siblings = w->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
  w->parent = nullptr;
}

// Insertion point for a new top of the z-order: below the topmost windows unless topmost.
size_t TopInsertIndex(const Window* parent, const Window* w) {
  if (parent != DesktopWindowRaw() || (w->exStyle & WS_EX_TOPMOST)) return 0;
  size_t i = 0;
  while (i < parent->children.size() && (parent->children[i]->exStyle & WS_EX_TOPMOST)) ++i;
  return i;
}

void SendParentNotify(Window* child, WORD event) {
  // Each ancestor hears of it until a window that does not pass notifications on.
  HWND hwnd = child->handle;
  const WPARAM wParam = MAKEWPARAM(event, static_cast<int>(child->id));
  for (Window* w = child; w && (w->style & WS_CHILD) && !(w->exStyle & WS_EX_NOPARENTNOTIFY);) {
    Window* parent = w->parent;
    if (!parent || parent == DesktopWindowRaw()) break;
    SendMessageW(parent->handle, WM_PARENTNOTIFY, wParam, reinterpret_cast<LPARAM>(hwnd));
    w = parent;
  }
}

void RemoveFromTable(const WindowPtr& w) {
  {
    UserGuard guard(UserLock());
    for (Window* child : w->children) child->parent = nullptr;
    w->children.clear();
    Unlink(w.get());
    w->cls->windowCount--;
    // Owned windows that outlive us (another thread's) lose their owner.
    for (auto& [handle, other] : WindowTable().Snapshot())
      if (other->owner == w.get()) other->owner = nullptr;
  }
  w->props.clear();
  WindowTable().Remove(reinterpret_cast<uintptr_t>(w->handle));
}

void SendDestroyTree(const WindowPtr& w) {
  SendMessageW(w->handle, WM_DESTROY, 0, 0);
  std::vector<WindowPtr> children;
  {
    UserGuard guard(UserLock());
    for (Window* child : w->children) {
      child->destroying = true;
      children.push_back(FindWindowPtrQuiet(child->handle));
    }
  }
  for (auto& child : children)
    if (child) SendDestroyTree(child);
}

std::mutex g_destroyedHookMutex;
std::vector<platform::WindowDestroyedHook>& DestroyedHooks() {
  static auto* hooks = new std::vector<platform::WindowDestroyedHook>;
  return *hooks;
}

void NotifyWindowDestroyed(HWND hwnd) {
  std::vector<platform::WindowDestroyedHook> hooks;
  {
    std::lock_guard lock(g_destroyedHookMutex);
    hooks = DestroyedHooks();
  }
  for (auto hook : hooks) hook(hwnd);
}

void SendNcDestroyTree(const WindowPtr& w) {
  std::vector<WindowPtr> children;
  {
    UserGuard guard(UserLock());
    for (Window* child : w->children) children.push_back(FindWindowPtrQuiet(child->handle));
  }
  for (auto& child : children)
    if (child) SendNcDestroyTree(child);
  KillWindowTimers(w->handle);
  if (w->queue) w->queue->RemoveMessagesFor(w->handle);
  SendMessageW(w->handle, WM_NCDESTROY, 0, 0);
  NotifyWindowDestroyed(w->handle);
  RemoveFromTable(w);
}

POINT DefaultPosition() {
  static int cascade = 0;
  const int step = 26 * (cascade++ % 8);
  return POINT{40 + step, 40 + step};
}

}  // namespace

Window* DesktopWindowRaw() { return TheRoots().desktop.get(); }
Window* MessageRootRaw() { return TheRoots().messageRoot.get(); }

WindowPtr FindWindowPtrQuiet(HWND hwnd) {
  TheRoots();
  return WindowTable().Get(reinterpret_cast<uintptr_t>(hwnd));
}

WindowPtr GetWindowPtr(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

POINT ClientOriginOnScreen(const Window* w) {
  // A root's rectangle is the screen itself.
  if (!w->parent) return POINT{0, 0};
  const POINT parent = ClientOriginOnScreen(w->parent);
  return POINT{parent.x + w->rect.left + w->client.left, parent.y + w->rect.top + w->client.top};
}

RECT WindowRectOnScreen(const Window* w) {
  POINT origin{0, 0};
  if (w->parent) origin = ClientOriginOnScreen(w->parent);
  return RECT{w->rect.left + origin.x, w->rect.top + origin.y, w->rect.right + origin.x, w->rect.bottom + origin.y};
}

bool IsVisibleChain(const Window* w) {
  for (; w; w = w->parent) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (w->parent == nullptr) return w == DesktopWindowRaw();
  }
  return false;
}

Window* TopLevelOf(Window* w) {
  while (w && w->parent && w->parent != DesktopWindowRaw() && w->parent != MessageRootRaw()) w = w->parent;
  return w;
}

bool IsDescendant(const Window* ancestor, const Window* w) {
  for (; w; w = w->parent)
    if (w == ancestor) return true;
  return false;
}

void DestroyThreadWindows(ThreadQueue* queue) {
  std::vector<HWND> windows;
  {
    UserGuard guard(UserLock());
    for (auto& [handle, w] : WindowTable().Snapshot()) {
      if (w->queue.get() != queue) continue;
      if (w->parent && w->parent->queue.get() == queue) continue;  // goes with its parent
      windows.push_back(w->handle);
    }
  }
  for (HWND hwnd : windows) DestroyWindow(hwnd);
}

HWND CreateWindowInternal(DWORD exStyle, const ClassName& className, const std::u16string& title, DWORD style,
                          int x, int y, int width, int height, HWND parentHandle, HMENU menu, HINSTANCE instance,
                          LPVOID param, bool unicode, const void* rawClassName, const void* rawTitle) {
  auto cls = FindClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  WindowPtr parent, owner;
  bool messageOnly = parentHandle == HWND_MESSAGE;
  if (parentHandle && !messageOnly) {
    parent = GetWindowPtr(parentHandle);
    if (!parent) return nullptr;
  }
  if ((style & WS_CHILD) && !parent) {
    SetLastError(messageOnly ? ERROR_INVALID_PARAMETER : ERROR_TLW_WITH_WSCHILD);
    if (!messageOnly) return nullptr;
  }
  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->proc;
  w->unicode = cls->unicode;
  w->instance = instance;
  w->text = title;
  w->extra.assign(static_cast<size_t>(cls->windowExtraBytes), 0);
  w->queue = ThreadQueue::Current();
  const bool child = (style & WS_CHILD) != 0;
  if (!child && !(style & WS_POPUP)) style |= WS_CLIPSIBLINGS | WS_CAPTION;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  if (child) {
    w->id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    w->menu = menu;
    // The desktop as the parent of a top-level window means no owner at all.
    if (parent && parent.get() != DesktopWindowRaw()) owner = FindWindowPtrQuiet(TopLevelOf(parent.get())->handle);
  }

  if (!child) {
    const POINT def = DefaultPosition();
    if (x == CW_USEDEFAULT) x = def.x, y = def.y;
    if (width == CW_USEDEFAULT) width = GetSystemMetrics(SM_CXSCREEN) * 3 / 4, height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
  } else {
    if (x == CW_USEDEFAULT) x = 0, y = 0;
    if (width == CW_USEDEFAULT) width = 0, height = 0;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  HWND hwnd;
  {
    UserGuard guard(UserLock());
    Window* parentRaw = child ? parent.get() : (messageOnly ? MessageRootRaw() : DesktopWindowRaw());
    w->parent = parentRaw;
    w->owner = owner.get();
    w->rect = RECT{x, y, x + width, y + height};
    w->client = RECT{0, 0, width, height};
    if (child) parentRaw->children.push_back(w.get());  // a new child starts at the bottom
    else parentRaw->children.insert(parentRaw->children.begin() + static_cast<long>(TopInsertIndex(parentRaw, w.get())), w.get());
    cls->windowCount++;
    hwnd = reinterpret_cast<HWND>(WindowTable().Add(w));
    w->handle = hwnd;
  }

  // Overlapped and sizeable top-level windows hear their size limits first.
  if (!child && ((style & WS_THICKFRAME) || !(style & WS_POPUP))) {
    MINMAXINFO info{};
    info.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    if (style & WS_THICKFRAME) {
      width = std::clamp<int>(width, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
      height = std::clamp<int>(height, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
      UserGuard guard(UserLock());
      w->rect = RECT{x, y, x + width, y + height};
      w->client = RECT{0, 0, width, height};
    }
  }

  // The creation records carry the names in the caller's character set.
  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent ? parent->handle : (messageOnly ? HWND_MESSAGE : nullptr);
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = static_cast<LPCWSTR>(rawTitle);
  cs.lpszClass = static_cast<LPCWSTR>(rawClassName);
  cs.dwExStyle = exStyle;
  const LPARAM csParam = reinterpret_cast<LPARAM>(&cs);  // CREATESTRUCTA has the same layout
  static_assert(sizeof(CREATESTRUCTA) == sizeof(CREATESTRUCTW));

  LRESULT ok = SendMessageInternal(hwnd, WM_NCCREATE, 0, csParam, unicode);
  if (!IsWindow(hwnd)) return nullptr;
  if (!ok) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  {
    UserGuard guard(UserLock());
    w->created = true;
  }

  RECT client{x, y, x + width, y + height};
  SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  {
    UserGuard guard(UserLock());
    w->client = RECT{client.left - x, client.top - y, std::max(client.right, client.left) - x,
                     std::max(client.bottom, client.top) - y};
  }

  if (SendMessageInternal(hwnd, WM_CREATE, 0, csParam, unicode) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;

  RECT cr;
  GetClientRect(hwnd, &cr);
  POINT origin;
  {
    UserGuard guard(UserLock());
    origin = POINT{w->rect.left + w->client.left, w->rect.top + w->client.top};
  }
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.right, cr.bottom));
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (!IsWindow(hwnd)) return nullptr;

  if (child) SendParentNotify(w.get(), WM_CREATE);
  if (!IsWindow(hwnd)) return nullptr;

  if (style & WS_VISIBLE) {
    int command = SW_SHOW;
    if (style & WS_MINIMIZE) command = SW_SHOWMINIMIZED;
    else if (style & WS_MAXIMIZE) command = SW_SHOWMAXIMIZED;
    {
      UserGuard guard(UserLock());
      w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    }
    ShowWindow(hwnd, command);
  }
  return IsWindow(hwnd) ? hwnd : nullptr;
}

}  // namespace platform::detail

using namespace platform::detail;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowInternal(exStyle, ClassNameFrom(className), ToWide(windowName), style, x, y, width, height,
                              parent, menu, instance, param, true, className, windowName);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowInternal(exStyle, ClassNameFrom(className), ToWide(windowName), style, x, y, width, height,
                              parent, menu, instance, param, false, className, windowName);
}

BOOL DestroyWindow(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || w.get() == DesktopWindowRaw() || w.get() == MessageRootRaw()) {
    if (w) SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!w->queue->IsCurrentThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  bool wasCreated;
  {
    UserGuard guard(UserLock());
    if (w->destroying) return TRUE;
    w->destroying = true;
    wasCreated = w->created;
  }
  if (!wasCreated) {
    // NCCREATE refused: the window never existed for its procedure beyond this.
    SendNcDestroyTree(w);
    return TRUE;
  }
  if (w->style & WS_CHILD) SendParentNotify(w.get(), WM_DESTROY);
  if (w->style & WS_VISIBLE) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  OnWindowHiddenOrDestroyed(hwnd);

  // Owned windows go first.
  std::vector<HWND> owned;
  {
    UserGuard guard(UserLock());
    for (auto& [handle, other] : WindowTable().Snapshot())
      if (other->owner == w.get() && !other->destroying && other->queue == w->queue) owned.push_back(other->handle);
  }
  for (HWND o : owned) DestroyWindow(o);

  SendDestroyTree(w);
  SendNcDestroyTree(w);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FindWindowPtrQuiet(hwnd) != nullptr || RemoteIsWindow(hwnd); }

BOOL IsWindowUnicode(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  return w && w->unicode;
}

BOOL IsWindowVisible(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  return IsVisibleChain(w.get());
}

BOOL IsWindowEnabled(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  return w && !(w->style & WS_DISABLED);
}

BOOL IsIconic(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  return w && (w->style & WS_MAXIMIZE);
}

BOOL IsChild(HWND parent, HWND hwnd) {
  WindowPtr p = FindWindowPtrQuiet(parent), w = FindWindowPtrQuiet(hwnd);
  if (!p || !w || p == w) return FALSE;
  UserGuard guard(UserLock());
  for (Window* cur = w.get(); cur && (cur->style & WS_CHILD); cur = cur->parent)
    if (cur->parent == p.get()) return TRUE;
  return FALSE;
}

HWND GetDesktopWindow() { return DesktopWindowRaw()->handle; }

HWND GetParent(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  if (w->style & WS_CHILD) return w->parent ? w->parent->handle : nullptr;
  if (w->style & WS_POPUP) return w->owner ? w->owner->handle : nullptr;
  return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  if (w.get() == DesktopWindowRaw()) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent ? w->parent->handle : nullptr;
    case GA_ROOT: return TopLevelOf(w.get())->handle;
    case GA_ROOTOWNER: {
      Window* cur = TopLevelOf(w.get());
      while (cur->owner) cur = TopLevelOf(cur->owner);
      return cur->handle;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetWindow(HWND hwnd, UINT command) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  const auto* siblings = w->parent ? &w->parent->children : nullptr;
  auto index = [&]() -> long {
    auto it = std::find(siblings->begin(), siblings->end(), w.get());
    return it == siblings->end() ? -1 : static_cast<long>(it - siblings->begin());
  };
  switch (command) {
    case GW_HWNDFIRST: return siblings && !siblings->empty() ? siblings->front()->handle : nullptr;
    case GW_HWNDLAST: return siblings && !siblings->empty() ? siblings->back()->handle : nullptr;
    case GW_HWNDNEXT: {
      if (!siblings) return nullptr;
      long i = index();
      return i >= 0 && i + 1 < static_cast<long>(siblings->size()) ? (*siblings)[i + 1]->handle : nullptr;
    }
    case GW_HWNDPREV: {
      if (!siblings) return nullptr;
      long i = index();
      return i > 0 ? (*siblings)[i - 1]->handle : nullptr;
    }
    case GW_OWNER: return w->owner ? w->owner->handle : nullptr;
    case GW_CHILD: return w->children.empty() ? nullptr : w->children.front()->handle;
    case GW_ENABLEDPOPUP: {
      for (Window* top : DesktopWindowRaw()->children)
        if (top->owner == w.get() && (top->style & WS_VISIBLE) && !(top->style & WS_DISABLED)) return top->handle;
      return nullptr;
    }
    default: SetLastError(ERROR_INVALID_GW_COMMAND); return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) { return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD); }

HWND GetLastActivePopup(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  WindowPtr popup = FindWindowPtrQuiet(w->lastActivePopup);
  if (popup && popup->owner == w.get() && (popup->style & WS_VISIBLE) && !(popup->style & WS_DISABLED))
    return popup->handle;
  return hwnd;
}

HWND SetParent(HWND hwnd, HWND newParent) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  WindowPtr parent;
  if (newParent && newParent != HWND_MESSAGE) {
    parent = GetWindowPtr(newParent);
    if (!parent) return nullptr;
    UserGuard guard(UserLock());
    if (IsDescendant(w.get(), parent.get())) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  const bool visible = (w->style & WS_VISIBLE) != 0;
  if (visible) ShowWindow(hwnd, SW_HIDE);
  HWND old;
  {
    UserGuard guard(UserLock());
    old = w->parent ? w->parent->handle : nullptr;
    Unlink(w.get());
    Window* target = parent ? parent.get() : (newParent == HWND_MESSAGE ? MessageRootRaw() : DesktopWindowRaw());
    w->parent = target;
    target->children.insert(target->children.begin() + static_cast<long>(TopInsertIndex(target, w.get())), w.get());
    UpdateTaskbarPresence(w.get());
  }
  if (visible) ShowWindow(hwnd, SW_SHOWNA);
  return old;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  if (IsRemoteWindow(hwnd)) {
    // Another process's window: its process, and no thread of ours.
    if (processId) *processId = RemoteProcessId(hwnd);
    return 0;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(::getpid());
  return w->queue ? w->queue->threadId() : 0;
}

namespace {

void CollectDescendants(const Window* w, std::vector<HWND>& out) {
  for (const Window* child : w->children) {
    out.push_back(child->handle);
    CollectDescendants(child, out);
  }
}

}  // namespace

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  std::vector<HWND> windows;
  {
    UserGuard guard(UserLock());
    for (const Window* top : DesktopWindowRaw()->children) windows.push_back(top->handle);
  }
  for (HWND hwnd : windows)
    if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
  return EnumRemoteWindows(proc, lParam) ? TRUE : FALSE;  // then other processes' windows
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  if (!parent) return EnumWindows(proc, lParam);
  WindowPtr p = GetWindowPtr(parent);
  if (!p) return FALSE;
  std::vector<HWND> windows;
  {
    UserGuard guard(UserLock());
    CollectDescendants(p.get(), windows);
  }
  for (HWND hwnd : windows)
    if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  std::vector<HWND> windows;
  {
    UserGuard guard(UserLock());
    for (const Window* top : DesktopWindowRaw()->children)
      if (top->queue && top->queue->threadId() == threadId) windows.push_back(top->handle);
  }
  for (HWND hwnd : windows)
    if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
  return TRUE;
}

namespace {

HWND FindWindowInternal(HWND parentHandle, HWND after, const ClassName* className, const std::u16string* title) {
  WindowPtr parent = parentHandle ? GetWindowPtr(parentHandle) : nullptr;
  if (parentHandle && !parent) return nullptr;
  UserGuard guard(UserLock());
  const Window* root = parent ? parent.get() : DesktopWindowRaw();
  bool started = after == nullptr;
  for (const Window* w : root->children) {
    if (!started) {
      started = w->handle == after;
      continue;
    }
    if (className && (className->atom ? w->cls->atom != className->atom : !EqualsNoCase(w->cls->name, className->name)))
      continue;
    if (title && !EqualsNoCase(w->text, *title)) continue;
    return w->handle;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

}  // namespace

HWND FindWindowExW(HWND parent, HWND after, LPCWSTR className, LPCWSTR windowName) {
  ClassName cn = ClassNameFrom(className);
  std::u16string title = ToWide(windowName);
  return FindWindowInternal(parent, after, className ? &cn : nullptr, windowName ? &title : nullptr);
}

HWND FindWindowExA(HWND parent, HWND after, LPCSTR className, LPCSTR windowName) {
  ClassName cn = ClassNameFrom(className);
  std::u16string title = ToWide(windowName);
  return FindWindowInternal(parent, after, className ? &cn : nullptr, windowName ? &title : nullptr);
}

// Top-level windows of this process first, then those other processes of the program publish.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  if (HWND local = FindWindowExW(nullptr, nullptr, className, windowName)) return local;
  if (className && IS_INTRESOURCE(className)) return nullptr;
  const std::u16string cls = className ? ToWide(className) : std::u16string(), title = ToWide(windowName);
  HWND remote = FindRemoteWindow(className ? cls.c_str() : nullptr, windowName ? title.c_str() : nullptr);
  if (!remote) SetLastError(ERROR_FILE_NOT_FOUND);
  return remote;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  if (HWND local = FindWindowExA(nullptr, nullptr, className, windowName)) return local;
  if (className && IS_INTRESOURCE(className)) return nullptr;
  const std::u16string cls = className ? ToWide(className) : std::u16string(), title = ToWide(windowName);
  HWND remote = FindRemoteWindow(className ? cls.c_str() : nullptr, windowName ? title.c_str() : nullptr);
  if (!remote) SetLastError(ERROR_FILE_NOT_FOUND);
  return remote;
}

void platform::AddWindowDestroyedHook(WindowDestroyedHook hook) {
  if (!hook) return;
  std::lock_guard lock(g_destroyedHookMutex);
  DestroyedHooks().push_back(hook);
}
