#pragma once
// For the class tests that watch a control from its own parent window: the headless display
// and the common controls started, a parent class of the test's procedure with its shown popup
// window, the manual clock; and a class over a control's class whose procedure watches what
// the control is sent.

#include <gtest/gtest.h>

#include <string>

#include "platform/comctl/CommCtrl.h"
#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"

namespace comctltest {

// Starts everything and makes the parent window (white background) at the given bounds;
// nullptr (with a test failure) when it could not.
inline HWND StartParentWindow(const char16_t* className, WNDPROC procedure, int x, int y, int width, int height) {
  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  platform::InitCommonControls();
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = className;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&wc);
  HWND parent = CreateWindowExW(0, className, u"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                                nullptr, nullptr);
  EXPECT_NE(parent, nullptr);
  platform::testing::UseManualClock(true);
  return parent;
}

// Destroys the parent, lets the queue empty and stops what StartParentWindow started.
inline void StopParentWindow(HWND parent) {
  DestroyWindow(parent);
  platform::testing::RunUntilIdle();
  platform::testing::UseManualClock(false);
  platform::display::StopDisplay();
}

// Registers `name` as `base` with `watch` as its procedure; returns the base class's
// procedure for `watch` to call on, or nullptr when `base` is unknown.
inline WNDPROC RegisterWatchedClass(const char16_t* base, const char16_t* name, WNDPROC watch) {
  WNDCLASSW cls{};
  if (!GetClassInfoW(nullptr, base, &cls)) return nullptr;
  const WNDPROC original = cls.lpfnWndProc;
  cls.lpfnWndProc = watch;
  cls.lpszClassName = name;
  RegisterClassW(&cls);
  return original;
}

}  // namespace comctltest
