#pragma once

// Whether a debugger is attached to this process: a tracer is recorded as a non-zero
// "TracerPid" in /proc/self/status. The start-up asks it to skip the splash while debugging.
// Any thread.

#include <string>

#include "platform/kernel/WinTypes.h"

BOOL IsDebuggerPresent();

namespace platform::detail {

// Tests point the check at a status file of their own (empty: the process's own again).
void SetDebuggerStatusFile(const std::string& path);
// True when the text of a status file names a tracer; false when it names none or is not one.
bool StatusNamesTracer(const std::string& statusText);

}  // namespace platform::detail
