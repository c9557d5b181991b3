// OLE initialisation, drop target registration, the drag loop and ReleaseStgMedium.

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/SysInfo.h"
#include "platform/ole/Ole.h"
#include "platform/user/WinUser.h"

namespace platform::detail {
namespace {

thread_local int t_oleInitCount = 0;

// A window's drop target. `serial` tells a registration from a later one of the same window,
// so a drag that entered a target notices when it was revoked (even if registered again).
struct Registration {
  IDropTarget* target = nullptr;
  uint64_t serial = 0;
};

std::mutex g_registrationMutex;
uint64_t g_nextSerial = 1;
std::map<HWND, Registration>& Registrations() {
  static auto* registrations = new std::map<HWND, Registration>;
  return *registrations;
}

bool FindRegistration(HWND hwnd, Registration* out) {
  std::lock_guard lock(g_registrationMutex);
  auto it = Registrations().find(hwnd);
  if (it == Registrations().end()) return false;
  *out = it->second;
  return true;
}

// Takes a window's registration away; the caller releases the target.
IDropTarget* TakeRegistration(HWND hwnd) {
  std::lock_guard lock(g_registrationMutex);
  auto it = Registrations().find(hwnd);
  if (it == Registrations().end()) return nullptr;
  IDropTarget* target = it->second.target;
  Registrations().erase(it);
  return target;
}

void OnWindowDestroyed(HWND hwnd) {
  if (IDropTarget* target = TakeRegistration(hwnd)) target->Release();
}

bool IsWindowOfThisProcess(HWND hwnd) {
  DWORD process = 0;
  return IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, &process) != 0 && process == GetCurrentProcessId();
}

// The registered window at a screen point: the window under it or its nearest registered
// ancestor, in this process.
bool TargetAt(POINT screen, HWND* hwnd, Registration* registration) {
  for (HWND w = WindowFromPoint(screen); w && w != GetDesktopWindow(); w = GetAncestor(w, GA_PARENT)) {
    if (FindRegistration(w, registration)) {
      *hwnd = w;
      return true;
    }
  }
  return false;
}

DWORD KeyState() {
  DWORD state = 0;
  auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
  if (down(VK_LBUTTON)) state |= MK_LBUTTON;
  if (down(VK_RBUTTON)) state |= MK_RBUTTON;
  if (down(VK_MBUTTON)) state |= MK_MBUTTON;
  if (down(VK_SHIFT)) state |= MK_SHIFT;
  if (down(VK_CONTROL)) state |= MK_CONTROL;
  if (down(VK_MENU)) state |= MK_ALT;
  return state;
}

LPCWSTR DefaultCursorFor(DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return IDC_DRAGMOVE;
  if (effect & DROPEFFECT_COPY) return IDC_DRAGCOPY;
  if (effect & DROPEFFECT_LINK) return IDC_DRAGLINK;
  return IDC_NO;
}

constexpr char16_t kTrackerClass[] = u"BrantwellDragTracker";

// The hidden window that holds the capture while a drag runs.
HWND CreateTracker() {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kTrackerClass;
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, kTrackerClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

// One drag: the objects it works with, the target it is over, what that target answered.
class DragLoop {
 public:
  DragLoop(IDataObject* data, IDropSource* source, DWORD okEffects)
      : m_data(data), m_source(source), m_okEffects(okEffects) {}
  ~DragLoop() { LeaveTarget(false); }

  HRESULT Run(DWORD* effect);

 private:
  enum class Step { Continue, Dropped, Cancelled };
  Step Track(POINT screen, DWORD keyState, bool escape);
  void MoveTo(POINT screen, DWORD keyState);
  // Forgets the current target, telling it (DragLeave) when `tell` and it is still registered.
  void LeaveTarget(bool tell);
  bool TargetStillRegistered() const;

  IDataObject* m_data;
  IDropSource* m_source;
  DWORD m_okEffects;
  HWND m_targetWindow = nullptr;
  IDropTarget* m_target = nullptr;  // one reference held while over it
  uint64_t m_targetSerial = 0;
  DWORD m_effect = DROPEFFECT_NONE;
  HRESULT m_dropResult = S_OK;
};

bool DragLoop::TargetStillRegistered() const {
  Registration now;
  return m_target && FindRegistration(m_targetWindow, &now) && now.serial == m_targetSerial;
}

void DragLoop::LeaveTarget(bool tell) {
  if (!m_target) return;
  IDropTarget* target = m_target;
  m_target = nullptr;
  m_targetWindow = nullptr;
  if (tell) target->DragLeave();
  target->Release();
}

void DragLoop::MoveTo(POINT screen, DWORD keyState) {
  // A target revoked or destroyed since the last event is dropped without a word.
  if (m_target && !TargetStillRegistered()) LeaveTarget(false);
  HWND hwnd = nullptr;
  Registration found;
  const bool over = TargetAt(screen, &hwnd, &found);
  const POINTL point{screen.x, screen.y};
  if (m_target && over && hwnd == m_targetWindow && found.serial == m_targetSerial) {
    DWORD answer = m_okEffects;
    if (FAILED(m_target->DragOver(keyState, point, &answer))) answer = DROPEFFECT_NONE;
    m_effect = answer & m_okEffects;
    return;
  }
  LeaveTarget(true);
  m_effect = DROPEFFECT_NONE;
  if (!over) return;
  found.target->AddRef();
  DWORD answer = m_okEffects;
  if (FAILED(found.target->DragEnter(m_data, keyState, point, &answer))) {
    found.target->Release();  // a target that refuses the entry is not over
    return;
  }
  m_target = found.target;
  m_targetWindow = hwnd;
  m_targetSerial = found.serial;
  m_effect = answer & m_okEffects;
}

DragLoop::Step DragLoop::Track(POINT screen, DWORD keyState, bool escape) {
  const HRESULT decision = m_source->QueryContinueDrag(escape ? TRUE : FALSE, keyState);
  if (decision == S_OK) {
    MoveTo(screen, keyState);
    if (m_source->GiveFeedback(m_effect) == DRAGDROP_S_USEDEFAULTCURSORS)
      SetCursor(LoadCursorW(nullptr, DefaultCursorFor(m_effect)));
    return Step::Continue;
  }
  if (decision == DRAGDROP_S_DROP) {
    if (m_target && !TargetStillRegistered()) LeaveTarget(false);
    if (!m_target || m_effect == DROPEFFECT_NONE) {
      LeaveTarget(true);
      return Step::Cancelled;
    }
    IDropTarget* target = m_target;
    m_target = nullptr;
    m_targetWindow = nullptr;
    DWORD answer = m_okEffects;  // like DragEnter and DragOver, offered what the source allows
    m_dropResult = target->Drop(m_data, keyState, POINTL{screen.x, screen.y}, &answer);
    target->Release();
    m_effect = SUCCEEDED(m_dropResult) ? (answer & m_okEffects) : DROPEFFECT_NONE;
    return Step::Dropped;
  }
  LeaveTarget(true);
  return Step::Cancelled;
}

bool IsMouseInput(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL &&
          message != WM_MOUSEHWHEEL) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

bool IsKeyInput(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

HRESULT DragLoop::Run(DWORD* effect) {
  HWND tracker = CreateTracker();
  if (!tracker) return E_OUTOFMEMORY;
  HCURSOR previousCursor = GetCursor();
  SetCapture(tracker);

  // The pointer as of the message that started the drag: later input may be queued already.
  const DWORD startPos = GetMessagePos();
  POINT start{static_cast<SHORT>(LOWORD(startPos)), static_cast<SHORT>(HIWORD(startPos))};
  Step step = Track(start, KeyState(), false);
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (step == Step::Continue) {
    if (GetCapture() != tracker) {  // someone took the mouse: the drag ends
      LeaveTarget(true);
      step = Step::Cancelled;
      break;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(msg.wParam);
      LeaveTarget(true);
      step = Step::Cancelled;
      break;
    }
    if (IsMouseInput(msg.message)) {
      start = msg.pt;
      step = Track(msg.pt, KeyState(), false);
    } else if (IsKeyInput(msg.message)) {
      step = Track(start, KeyState(), (GetKeyState(VK_ESCAPE) & 0x8000) != 0);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  if (GetCapture() == tracker) ReleaseCapture();
  DestroyWindow(tracker);
  SetCursor(previousCursor);
  if (quit) PostQuitMessage(quitCode);  // the loop that started the drag ends too

  if (step == Step::Dropped) {
    *effect = m_effect;
    return FAILED(m_dropResult) ? m_dropResult : DRAGDROP_S_DROP;
  }
  *effect = DROPEFFECT_NONE;
  return DRAGDROP_S_CANCEL;
}

}  // namespace
}  // namespace platform::detail

using namespace platform::detail;

HRESULT OleInitialize(LPVOID) {
  static const bool hooked = [] {
    platform::AddWindowDestroyedHook(OnWindowDestroyed);
    return true;
  }();
  (void)hooked;
  return ++t_oleInitCount == 1 ? S_OK : S_FALSE;
}

void OleUninitialize() {
  if (t_oleInitCount > 0) --t_oleInitCount;
}

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target) {
  if (t_oleInitCount == 0) return CO_E_NOTINITIALIZED;
  if (!IsWindowOfThisProcess(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (!target) return E_INVALIDARG;
  {
    std::lock_guard lock(g_registrationMutex);
    auto [it, added] = Registrations().try_emplace(hwnd, Registration{target, g_nextSerial});
    if (!added) return DRAGDROP_E_ALREADYREGISTERED;
    ++g_nextSerial;
  }
  target->AddRef();
  return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
  if (!IsWindowOfThisProcess(hwnd)) return DRAGDROP_E_INVALIDHWND;
  IDropTarget* target = TakeRegistration(hwnd);
  if (!target) return DRAGDROP_E_NOTREGISTERED;
  target->Release();
  return S_OK;
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (!data || !source || !effect) return E_INVALIDARG;
  *effect = DROPEFFECT_NONE;
  DragLoop loop(data, source, okEffects);
  return loop.Run(effect);
}

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else {
    switch (medium->tymed) {
      case TYMED_HGLOBAL:
        if (medium->hGlobal) GlobalFree(medium->hGlobal);
        break;
      case TYMED_FILE:
        CoTaskMemFree(medium->lpszFileName);
        break;
      case TYMED_ISTREAM:
      case TYMED_ISTORAGE:
        // Every interface pointer is an IUnknown pointer (single inheritance from it).
        if (medium->pstm) reinterpret_cast<IUnknown*>(medium->pstm)->Release();
        break;
      case TYMED_GDI:
        if (medium->hBitmap) DeleteObject(medium->hBitmap);
        break;
      default:
        break;
    }
  }
  medium->tymed = TYMED_NULL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
}

LPVOID CoTaskMemAlloc(SIZE_T bytes) { return std::malloc(bytes ? bytes : 1); }

void CoTaskMemFree(LPVOID block) { std::free(block); }
