#pragma once

// The engines' diagnostic log. Every engine reports failures here, one line at a time; the
// program points the hook at its log engine, and until it does lines go to stderr. Any thread
// may log; the hook is called under a lock. A line logged from inside the hook (the log engine
// failing on its own line) goes to stderr instead of back into the hook.

#include <string>

#include "engines/common/EngineApi.h"

namespace engines {

using LogHook = void (*)(const char* line);

// nullptr restores the default (stderr).
ENGINES_COMMON_API void SetLogHook(LogHook hook);
ENGINES_COMMON_API void LogLine(const std::string& line);

}  // namespace engines
