#pragma once

// Driving windows from tests: synthetic mouse and keyboard input at screen or window
// coordinates, the manual clock, running the message loop until idle or until a condition
// holds (with a watchdog), and reading back or saving any window's pixels. GUI thread.
//
// Input is queued the way a device would deliver it. A press that starts one of the frame's
// mouse loops (moving, sizing, scroll bars, caption buttons) runs that loop when the press is
// dispatched, so queue the whole gesture (Drag does) before running the loop.

#include <functional>
#include <string>
#include <vector>

#include "platform/testing/Pictures.h"
#include "platform/user/InputSink.h"
#include "platform/user/WinUser.h"

namespace platform::testing {

using platform::detail::MouseButton;

// A point in a window's client area (or, with `withFrame`, relative to its window
// rectangle) on the screen.
POINT ScreenPoint(HWND hwnd, int x, int y, bool withFrame = false);

void MouseMove(POINT screen);
void MouseDown(POINT screen, MouseButton button = MouseButton::Left);
void MouseUp(POINT screen, MouseButton button = MouseButton::Left);
void Click(POINT screen, MouseButton button = MouseButton::Left);
// Two clicks within the double-click time and distance.
void DoubleClick(POINT screen);
// Press at `from`, move in `steps` even steps to `to`, release there.
void Drag(POINT from, POINT to, int steps = 4);
void KeyPress(int virtualKey);  // down and up
void TypeText(const std::u16string& text);

// The desktop's focus leaves every window of the program (false) or comes back (true), as
// the sdl display reports it: deactivation and WM_ACTIVATEAPP to the thread's windows.
void SimulateDesktopActivation(bool active);

// Switches the window manager to the manual clock (on) or back to real time.
void UseManualClock(bool manual);
void AdvanceClock(unsigned milliseconds);

// Dispatches messages until the queue is empty. False when the watchdog (a message count
// and a real-time limit) ran out first.
bool RunUntilIdle(int maxMessages = 100000, int timeLimitMs = 10000);
// Dispatches messages (waiting for more when none) until `done` holds. False when the time
// limit passed first.
bool RunUntil(const std::function<bool()>& done, int timeLimitMs = 10000);

// A window's pixels (client area, or the whole window with `withFrame`) as drawn so far.
Image ReadWindow(HWND hwnd, bool withFrame = false);
// Saves a top-level window (frame included) as a PNG; false with `error` on failure.
bool SaveWindowPng(HWND hwnd, const std::string& path, std::string* error = nullptr);

}  // namespace platform::testing
