#pragma once

// Searching folders: FindFirstFile/FindNextFile/FindClose. The last component of the pattern
// may hold "*" and "?" wildcards and matches names case-insensitively ("*.*" matches every
// name); the folder part is resolved like any path. A search takes a snapshot of the folder,
// "." and ".." first (for folders other than the root, as Windows lists them) and then the
// names in case-insensitive order. Any thread; a search handle is used by one thread at a time.

#include "platform/kernel/FileApi.h"

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
static_assert(sizeof(WIN32_FIND_DATAW) == 592);

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData);
HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData);
BOOL FindClose(HANDLE find);

namespace platform::detail {

// True when name matches the "*"/"?" pattern ignoring case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace platform::detail
