#pragma once

// Who runs the program and where "the Windows folder" is. The user name is the login name of
// the process's effective user (the password database, else $USER or $LOGNAME); the Windows
// folder is the root "/", so code that takes "the drive of the Windows folder" gets the root.
// Any thread. "A" forms take and give UTF-8, "W" forms UTF-16.

#include "platform/kernel/WinTypes.h"

// *size is the buffer's length in characters. On success the name and its terminator are
// copied, *size becomes the length including the terminator, TRUE. When the buffer is too
// small (or null): FALSE, ERROR_INSUFFICIENT_BUFFER and *size the length needed including the
// terminator. FALSE with ERROR_INVALID_PARAMETER for a null size.
BOOL GetUserNameA(LPSTR buffer, DWORD* size);
BOOL GetUserNameW(LPWSTR buffer, DWORD* size);

// "/": the length without the terminator when it fits, else the length needed with it.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
