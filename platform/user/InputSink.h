#pragma once

// Where device input enters the window manager: the display backends and the test helpers
// call these with screen coordinates. Each event is routed at once (capture, hit testing,
// focus) and queued as input on the receiving window's thread. Call from the GUI thread.

#include <string>

#include "platform/user/UserTypes.h"

namespace platform::detail {

enum class MouseButton { Left, Right, Middle };

void InjectMouseMove(POINT screen);
void InjectMouseButton(MouseButton button, bool down, POINT screen);
// `delta` in WHEEL_DELTA units (120 per notch, positive away from the user).
void InjectMouseWheel(int delta, POINT screen, bool horizontal = false);
// `textFollows`: the device delivers the character separately (InjectText), so
// TranslateMessage makes no WM_CHAR for this key.
void InjectKey(int virtualKey, bool down, bool textFollows = false);
// Characters typed, posted as WM_CHAR to the focus window.
void InjectText(const std::u16string& text);

// The desktop's focus left every window of the program (false) or came back to one (true).
// Leaving deactivates the active window (remembered) and sends WM_ACTIVATEAPP(FALSE) to every
// top-level window of the calling thread; coming back sends WM_ACTIVATEAPP(TRUE) and
// activates `activate` (or, when null, the remembered window) when it can take the
// activation. Repeating the current state only activates `activate`. GUI thread.
void SetDesktopActivation(bool active, HWND activate = nullptr);
// False while the desktop's focus is outside the program.
bool DesktopActivation();

// For TranslateMessage: the character a key makes with the given shift states, or 0.
char16_t CharacterForKey(int virtualKey, bool shift, bool capsLock, bool control);

}  // namespace platform::detail
