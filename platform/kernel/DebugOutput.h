#pragma once

// The debugger output. There is no debugger to listen here: when the environment variable
// BRANTWELL_DEBUG_OUTPUT is set (to anything), each text goes to standard error as it is, in
// one write, so texts of concurrent threads never interleave; otherwise it is dropped. As on
// Windows, no line break is added. Any thread.

#include "platform/kernel/WinTypes.h"

void OutputDebugStringA(LPCSTR text);
void OutputDebugStringW(LPCWSTR text);
