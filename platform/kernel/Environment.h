#pragma once

// The process's command line and environment. GetCommandLine joins the arguments of
// /proc/self/cmdline the Windows way: arguments holding blanks or quotes (or empty ones) are
// put in double quotes, a quote inside becomes \" and backslashes before a quote are doubled.
// The environment calls are serialised by one lock, so they are safe from any thread as long
// as nothing else in the process calls setenv.

#include "platform/kernel/WinTypes.h"

LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();

// The value's length without the terminator when it fits, else the size needed with it; 0
// and ERROR_ENVVAR_NOT_FOUND when the variable is not set.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
// A null value removes the variable.
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);
BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value);
// Replaces %NAME% by the variable's value (unknown names stay as written); returns the size
// of the result including the terminator, whether or not it fitted.
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);
