#pragma once

// FormatMessage: the system's texts for the error codes of WinError.h ("The system cannot
// find the file specified.\r\n"), and message strings with %1..%99 inserts. When the code is
// the calling thread's last error and a detail was set with it (the module loader's text for
// a failed load), the detail follows the system text on the same line. LocalAlloc/LocalFree
// own the buffers FORMAT_MESSAGE_ALLOCATE_BUFFER returns. Any thread.

#include <cstdarg>

#include "platform/kernel/WinTypes.h"

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

using HLOCAL = HANDLE;

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Returns nullptr on success.
HLOCAL LocalFree(HLOCAL memory);

// With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really a pointer to the pointer that
// receives a LocalAlloc'ed text. Inserts come from arguments, or from an array of DWORD_PTR
// with FORMAT_MESSAGE_ARGUMENT_ARRAY; "%n!s!" (the default) takes a string, "!d!", "!u!",
// "!x!", "!X!" a number.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments);
