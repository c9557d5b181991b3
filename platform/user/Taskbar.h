#pragma once

// Which windows have a button on the desktop's task bar. The window manager decides it by
// the usual rule: a visible top-level window has one when it has WS_EX_APPWINDOW, or when it
// has no owner and no WS_EX_TOOLWINDOW. The rule is applied again whenever a window is shown
// or hidden, its owner changes, or its WS_CHILD, WS_EX_APPWINDOW or WS_EX_TOOLWINDOW bits
// change. A button can also be added or removed explicitly (the shell's task-bar list does
// this); such a choice lasts until the rule's outcome for the window changes. The display
// shows the buttons (the sdl presenter through the desktop's task bar). Any thread may call
// these.

#include "platform/user/UserTypes.h"

namespace platform {

// False for a window without a button and for a stale handle.
bool HasTaskbarButton(HWND hwnd);
// Adds (`present`) or removes the window's button; false for a stale handle or a child window.
bool SetTaskbarButton(HWND hwnd, bool present);

}  // namespace platform
