#pragma once

// Wide (UTF-16) file and path utilities: the one place where the program's paths meet the
// file system. Every function is reentrant and may be called from any thread; the platform
// flags are set once when the library initialises and only read afterwards.
//
// The file functions call the "W" form of the kernel layer. The layer is always NT-family,
// so the ANSI branch of the original design is not built; the flags still exist for the
// code that tests them. Paths use "/" as the delimiter; "\" is accepted on input. There are
// no drive letters: where a rule speaks of a drive root, the root "/" takes its place.

#include <bitset>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/kernel/FindFile.h"
#include "rtl/Format.h"
#include "rtl/SysTypes.h"

// Platform flags, set from GetVersionEx before main runs.
extern bool IsNT;         // the NT family
extern bool IsXPOrLater;  // 5.1 or later
extern bool IsVista;      // major version exactly 6

// A Pascal "set of AnsiChar".
using TSysCharSet = std::bitset<256>;
TSysCharSet MakeCharSet(std::string_view characters);

// The wide search record filled by WideFindFirst.
struct TSearchRecW {
  int32_t Time = 0;  // DOS date (high word) and time (low word) of the local last-write time
  int64_t Size = 0;
  int32_t Attr = 0;
  WideString Name;
  int32_t ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};

// File-mode word of WideFileOpen: bits 0-1 the access (0 read, 1 write, 2 both), bits 4-7
// the sharing (0, 1 nothing; 2 reading; 3 writing; 4 both). 0xFFFF means "create" and is
// handled by the wide file stream.
constexpr Word WideFileModeCreate = 0xFFFF;

HANDLE WideCreateFile(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode,
                      LPSECURITY_ATTRIBUTES security, DWORD creationDisposition, DWORD flagsAndAttributes,
                      HANDLE templateFile);
// Read and write access, no sharing, an existing file truncated.
HANDLE WideFileCreate(const WideString& fileName);
// Access and sharing from the mode word. A sharing nibble above 4 shares nothing; access 3
// is not a mode and fails with ERROR_INVALID_PARAMETER.
HANDLE WideFileOpen(const WideString& fileName, Word mode);

HANDLE WideFindFirstFile(const char16_t* fileName, WIN32_FIND_DATAW& findData);
bool WideFindNextFile(HANDLE find, WIN32_FIND_DATAW& findData);
// The first entry matching path whose attributes pass attr (hidden, system and directory
// entries only when asked for). Returns 0 or the system error code. Callers use the first
// match only, then call WideFindClose.
int WideFindFirst(const WideString& path, int attr, TSearchRecW& searchRec);
void WideFindClose(TSearchRecW& searchRec);

DWORD WideFileGetAttr(const WideString& fileName);  // INVALID_FILE_ATTRIBUTES when missing
bool WideFileExists(const WideString& fileName);
bool WideDirectoryExists(const WideString& fileName);
// MoveFileEx; an empty new name is passed as null.
bool WideRenameFile(const WideString& oldName, const WideString& newName, DWORD flags);
// The temporary folder with its trailing delimiter.
WideString WideGetTempPath();
// GetTempFileName; name is empty when the call fails.
void WideGetTempFileName(const WideString& folder, const WideString& prefix, UINT unique, WideString& name);
// True when the trimmed name is not empty, the file exists, and it cannot be opened for
// reading while sharing reading (another open denies it).
bool IsFileInUse(const WideString& fileName);

// UTC file time to a local TDateTime (0 when the conversion fails), and back (a zero
// FILETIME when it fails).
TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime);
FILETIME LocalDateTimeToFileTime(TDateTime dateTime);
// The local creation, access and write times of a file (not a folder).
bool GetFileTimes(const AnsiString& fileName, TDateTime& creation, TDateTime& access, TDateTime& write);
// Sets the times whose pointers are not null. The creation time cannot be set on this
// platform and is ignored.
bool SetFileTimes(const WideString& fileName, const TDateTime* creation, const TDateTime* access,
                  const TDateTime* write);

// The index-th parameter of the command line (0: the program's path); empty past the last.
WideString WideParamStr(int index);
// The path of a module (0: the program); empty on failure.
WideString WideGetModuleFileName(HMODULE module);
// folderPath := program folder/subFolder; filePath := folderPath/fileName.
void WideGetAppPaths(const WideString& subFolder, const WideString& fileName, WideString& folderPath,
                     WideString& filePath);
// The program folder with a trailing delimiter, followed by name.
AnsiString GetAppFilePath(const AnsiString& name);
void GetAppPaths(const AnsiString& subFolder, const AnsiString& fileName, AnsiString& folderPath,
                 AnsiString& filePath);

// Path strings. "/" and "\" both split; a delimiter added is "/".
WideString WideIncludeTrailingBackslash(std::u16string_view path);
WideString WideChangeFileExt(std::u16string_view fileName, std::u16string_view extension);
WideString WideExtractFileDir(std::u16string_view fileName);
WideString WideExtractFilePath(std::u16string_view fileName);
WideString WideExtractFileName(std::u16string_view fileName);
WideString WideExtractFileExt(std::u16string_view fileName);
// 1-based index of the last character of text found in delimiters (a zero never matches);
// 0 when none.
int WideLastDelimiter(std::u16string_view delimiters, std::u16string_view text);

// The version of a file as major.minor.release.build in 16-bit fields, high to low. Only the
// program itself carries version information (its version comes from the build); every
// other file gives 0.
uint64_t GetFileVersion(const WideString& fileName);

WideString WideFormatStr(std::u16string_view format, std::initializer_list<TVarRec> args);

// False for every character at or above 256.
bool WideCharInSet(char16_t c, const TSysCharSet& set);
bool CharInSet(char c, const TSysCharSet& set);

// Splits text at delimiters, one token per call: pos (1-based) moves past the delimiter
// that ended the token. "a,b,,c" gives a, b, "", c; a call at the end gives "" and leaves
// pos unchanged.
void NextToken(const AnsiString& text, int& pos, const TSysCharSet& delimiters, AnsiString& token);

namespace core::detail {

// The index-th parameter of a command line: blanks separate, double quotes group and are
// dropped, a backslash is an ordinary character (see WideParamStr).
WideString ParamFromCommandLine(std::u16string_view commandLine, int index);

// FILETIME (local) to a DOS date and time; false outside 1980..2107.
bool FileTimeToDosDateTime(const FILETIME& fileTime, Word& dosDate, Word& dosTime);

}  // namespace core::detail
