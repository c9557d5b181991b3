#pragma once

// How the kernel layer turns a path of the program into a path of the file system.
//
// "/" is the delimiter and "\" is accepted as one on input. When a path does not exist as
// written, each component is looked up case-insensitively in its folder (Windows file names
// are case-insensitive, and data files may differ in case from the names the program uses).
// Components that do not exist are kept as written, so a file created under a path that
// differs only in case from existing folders lands in those folders. Any thread.

#include <string>
#include <string_view>

#include "platform/kernel/WinTypes.h"

namespace platform {

// The file-system path for a path of the program (UTF-8, "/" or "\" as delimiters): the
// delimiters become "/", and where the exact name does not exist each component is matched
// case-insensitively, as every kernel file call does. Use it before handing a program path to
// a POSIX call (opendir, stat ...). Any thread.
std::string FileSystemPath(std::string_view path);

}  // namespace platform

namespace platform::detail {

// Replaces every "\" by "/".
std::string NormalizeDelimiters(std::string_view path);

// The file-system path for a UTF-8 path of the program, matched case-insensitively where the
// exact name does not exist.
std::string ResolvePath(std::string_view path);

// True when the two names are equal ignoring case (Unicode simple case folding).
bool NamesEqualIgnoringCase(std::string_view a, std::string_view b);

// The Windows error for an errno from an operation on path: ENOENT becomes FILE_NOT_FOUND
// when the path's folder exists and PATH_NOT_FOUND otherwise.
DWORD ErrorFromErrno(int error, std::string_view path = {});

// SetLastError(ErrorFromErrno(error, path)).
void SetLastErrorFromErrno(int error, std::string_view path = {});

// The folder part of a path ("" for a bare name, "/" for the root's entries).
std::string ParentOf(std::string_view path);

}  // namespace platform::detail
