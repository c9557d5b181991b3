#pragma once

// How engine threads report to program windows: they post a message to a window handle the
// program registered with them. The program installs the poster once at start-up (the window
// manager's PostMessage); until then, and in tests that install their own, posting goes to
// whatever is installed. Posting never blocks and may be called from any thread.

#include <cstdint>

#include "engines/common/EngineApi.h"

namespace engines {

using WindowPoster = bool (*)(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

ENGINES_COMMON_API void SetWindowPoster(WindowPoster poster);
// False when no poster is installed or the poster refused (a stale window, say).
ENGINES_COMMON_API bool PostToWindow(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace engines
