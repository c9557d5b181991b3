#pragma once

// The desktop's input state: focus, active window, capture, cursor, key states, mouse
// tracking and double-click detection. One for the whole desktop; guarded by the user lock.

#include <utility>
#include <vector>

#include "platform/user/UserTypes.h"

namespace platform::detail {

struct InputState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  POINT cursor{};
  BYTE asyncKeys[256] = {};  // bit 0x80 down, 0x01 toggled; as the devices report them
  BYTE syncKeys[256] = {};   // as of the last key or mouse message retrieved
  // TrackMouseEvent
  HWND trackWindow = nullptr;
  DWORD trackFlags = 0;
  DWORD hoverTimeMs = 400;
  uint64_t hoverStart = 0;
  POINT hoverPoint{};
  // The last button press, for double clicks.
  UINT lastDownMessage = 0;
  HWND lastDownWindow = nullptr;
  uint64_t lastDownTime = 0;
  POINT lastDownPoint{};
  UINT doubleClickTimeMs = 500;
  HCURSOR currentCursor = nullptr;
  int cursorShowCount = 0;
  // Key presses whose characters the device delivers as text: (message time, key).
  std::vector<std::pair<DWORD, WPARAM>> keysWithText;
};

InputState& Input();  // user lock held by the caller

}  // namespace platform::detail
