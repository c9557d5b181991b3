#pragma once

// File-name routines for AnsiString (UTF-8) and WideString paths. The path delimiter is
// '/'; '\' is accepted as a delimiter on input too, so names written for either convention
// split the same way. Delimiters added by these routines are always '/'. Any thread.

#include <string_view>

#include "rtl/SysTypes.h"

inline constexpr char PathDelim = '/';

// The folder part with its trailing delimiter ("/a/b.txt" -> "/a/"); "" without folder.
AnsiString ExtractFilePath(std::string_view fileName);
WideString ExtractFilePath(std::u16string_view fileName);
// The folder part without its trailing delimiter, except for the root ("/a" -> "/").
AnsiString ExtractFileDir(std::string_view fileName);
WideString ExtractFileDir(std::u16string_view fileName);
AnsiString ExtractFileName(std::string_view fileName);
WideString ExtractFileName(std::u16string_view fileName);
// The extension with its dot (".mpg"); "" when the name has no dot.
AnsiString ExtractFileExt(std::string_view fileName);
WideString ExtractFileExt(std::u16string_view fileName);
// Replaces the extension (or appends one); extension includes its dot, or is "" to remove.
AnsiString ChangeFileExt(std::string_view fileName, std::string_view extension);
WideString ChangeFileExt(std::u16string_view fileName, std::u16string_view extension);
// Appends '/' unless the path already ends with a delimiter ("" becomes "/").
AnsiString IncludeTrailingPathDelimiter(std::string_view path);
WideString IncludeTrailingPathDelimiter(std::u16string_view path);
// Removes one trailing delimiter; the root "/" stays the root.
AnsiString ExcludeTrailingPathDelimiter(std::string_view path);
WideString ExcludeTrailingPathDelimiter(std::u16string_view path);
