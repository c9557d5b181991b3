#pragma once

// INI files through the private-profile functions, wide and ANSI.
//
// Sections and keys match case-insensitively; blanks around keys and values are trimmed and
// one pair of matching quotes (' or ") around a value is removed. Lines starting with ";"
// are comments. The first of duplicate sections or keys wins. Buffers follow Windows' rules:
// a value that does not fit is cut and the result is size - 1; a list (section names, key
// names, a section's lines) that does not fit is cut and ends with two zeros, the result
// being size - 2.
//
// Writes change only the lines they concern: comments, order, unknown lines and line endings
// stay as they were. Each write reads the file, edits it and replaces it atomically (a
// temporary file in the same folder, then a rename). Files are read as UTF-8 (with or without
// a byte-order mark) or UTF-16LE with a mark, and written back in the encoding they had;
// new files are UTF-8 with CRLF line ends. Keys, sections and values may not hold line
// breaks (ERROR_INVALID_PARAMETER), so a value can never add lines to the file. There is no
// cache: every call sees the file as it is on disk. One process-wide lock serialises the
// calls, so they are safe from any thread.

#include "platform/kernel/WinError.h"

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR returned, DWORD size,
                               LPCWSTR fileName);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned, DWORD size,
                               LPCSTR fileName);
// The value read as a decimal number (leading digits, optional sign; "0x" for hexadecimal);
// defaultValue when the key is missing or empty.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
// The section's "key=value" lines as a list ending with two zeros.
DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size, LPCWSTR fileName);
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR returned, DWORD size, LPCSTR fileName);
DWORD GetPrivateProfileSectionNamesW(LPWSTR returned, DWORD size, LPCWSTR fileName);
DWORD GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName);
// A null key deletes the section, a null value the key; a null section only flushes (there
// is nothing cached, so it does nothing).
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
// Replaces the section's lines by the "key=value" lines of a list ending with two zeros.
BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR lines, LPCWSTR fileName);
BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR lines, LPCSTR fileName);
