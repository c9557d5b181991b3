#pragma once

// The process's error mode: which failures the system reports in a box of its own instead of
// to the caller. No such boxes exist here, so the mode is only kept (and handed back) for the
// program's save-and-restore pairs. Any thread.

#include "platform/kernel/WinTypes.h"

constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// Sets the mode and returns the one before it.
UINT SetErrorMode(UINT mode);
UINT GetErrorMode();
