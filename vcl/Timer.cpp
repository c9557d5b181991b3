#include "vcl/Timer.h"

#include <map>

#include "vcl/Application.h"

namespace {

constexpr const char* kUtilWindowClass = "TPUtilWindow";

std::map<HWND, TWndMethod>& UtilMethods() {
  static std::map<HWND, TWndMethod> methods;
  return methods;
}

LRESULT UtilWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = UtilMethods().find(hwnd);
  if (it == UtilMethods().end()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TWndMethod method = it->second;  // the call may deallocate the window
  TMessage m{msg, wParam, lParam, 0};
  method(m);
  return m.Result;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) {
  WNDCLASSA existing{};
  if (!GetClassInfoA(nullptr, kUtilWindowClass, &existing)) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &UtilWndProc;
    cls.lpszClassName = kUtilWindowClass;
    if (!RegisterClassA(&cls)) throw EOutOfResources("Cannot register the utility window class");
  }
  HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) throw EOutOfResources("Cannot create a utility window");
  UtilMethods()[hwnd] = std::move(method);
  return hwnd;
}

void DeallocateHWnd(HWND window) {
  if (!window) return;
  UtilMethods().erase(window);
  DestroyWindow(window);
}

void TTimer::DescribeClass(TClassBuilder<TTimer>& c) {
  c.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(1);
  c.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  c.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TTimer::~TTimer() {
  Destroying();
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindowHandle);
}

void TTimer::WndProc(TMessage& m) {
  if (m.Msg != WM_TIMER) {
    m.Result = DefWindowProcA(FWindowHandle, m.Msg, m.WParam, m.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    Application->HandleException(this);
  }
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FInterval != 0 && FEnabled && FOnTimer && !ComponentState().Contains(csDestroying))
    if (!SetTimer(FWindowHandle, 1, FInterval, nullptr)) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}
