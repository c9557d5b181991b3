#pragma once

// The process token and its privileges. Linux has no per-process privilege switches: what a
// process may do (power the machine off, say) is decided by the service it asks, so these
// calls succeed and change nothing. OpenProcessToken hands out a real kernel handle, which
// CloseHandle closes. Any thread.

#include "platform/kernel/WinTypes.h"

constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
constexpr const char* SE_SHUTDOWN_NAME = "SeShutdownPrivilege";

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};

// The pseudo-handle of the calling process; it needs no closing.
HANDLE GetCurrentProcess();
// Only the current process's pseudo-handle is accepted (ERROR_INVALID_HANDLE otherwise).
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
// Gives every privilege name a stable identifier of its own; ERROR_INVALID_PARAMETER for an
// empty name.
BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid);
// Accepts the change without doing anything; a previous state, when asked for, lists no
// privilege.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength);
