#pragma once

// File operations of the shell: deleting files and whole folder trees. Any thread.
//
// FO_DELETE removes every path of pFrom: a file or a symbolic link is unlinked (a link's
// target is never touched), a folder is removed with everything in it. Symbolic links inside
// a folder are removed as links and never followed, and a file system mounted inside the
// folder is not entered: its mount point stays, and the call reports ERROR_ACCESS_DENIED.
// There is no confirmation, progress or error window, and no recycle bin.

#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

constexpr UINT FO_MOVE = 0x0001;
constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;
constexpr UINT FO_RENAME = 0x0004;

using FILEOP_FLAGS = WORD;
constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x0001;
constexpr FILEOP_FLAGS FOF_CONFIRMMOUSE = 0x0002;
constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_RENAMEONCOLLISION = 0x0008;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
constexpr FILEOP_FLAGS FOF_WANTMAPPINGHANDLE = 0x0020;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
constexpr FILEOP_FLAGS FOF_FILESONLY = 0x0080;
constexpr FILEOP_FLAGS FOF_SIMPLEPROGRESS = 0x0100;
constexpr FILEOP_FLAGS FOF_NOCONFIRMMKDIR = 0x0200;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;
constexpr FILEOP_FLAGS FOF_NOCOPYSECURITYATTRIBS = 0x0800;
constexpr FILEOP_FLAGS FOF_NORECURSION = 0x1000;

// pFrom and pTo are lists of paths, each ended by a NUL, the list ended by a second NUL.
struct SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  LPCSTR pFrom;
  LPCSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCSTR lpszProgressTitle;
};
struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  LPCWSTR pFrom;
  LPCWSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCWSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTA = SHFILEOPSTRUCTA*;
using LPSHFILEOPSTRUCTW = SHFILEOPSTRUCTW*;

// 0 when every path was deleted; otherwise a system error code:
// - ERROR_INVALID_PARAMETER: a null record, an empty list, or a path that is not absolute
//   (nothing is deleted);
// - ERROR_FILE_NOT_FOUND: a path that does not exist (checked for all before any deletion,
//   so nothing is deleted);
// - ERROR_ACCESS_DENIED: a path that is the root, or something inside that could not be
//   removed (the rest is still deleted; the first failure is reported);
// - ERROR_NOT_SUPPORTED: another operation than FO_DELETE, or FOF_ALLOWUNDO (there is no
//   recycle bin to move the files to, so nothing is deleted).
// fAnyOperationsAborted is always FALSE: there is no window in which to cancel.
int SHFileOperationA(LPSHFILEOPSTRUCTA operation);
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);
