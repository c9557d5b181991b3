#include "program/core/WideFileUtils.h"

#include <vector>

#include "BrantwellVersion.h"
#include "platform/kernel/Environment.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/TimeApi.h"
#include "rtl/DateTime.h"
#include "rtl/FileNames.h"
#include "rtl/Strings.h"

namespace {

struct PlatformFlags {
  bool nt = false;
  bool xpOrLater = false;
  bool vista = false;
};

PlatformFlags ReadPlatformFlags() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  PlatformFlags flags;
  if (!GetVersionExW(&info)) return flags;
  flags.nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  flags.xpOrLater = (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1) || info.dwMajorVersion > 5;
  flags.vista = info.dwMajorVersion == 6;
  return flags;
}

const PlatformFlags g_platformFlags = ReadPlatformFlags();

const char16_t* NullIfEmpty(const WideString& text) { return text.empty() ? nullptr : text.c_str(); }

bool IsBlankOrControl(char16_t c) { return c >= 1 && c <= 32; }

SYSTEMTIME SystemTimeFromDateTime(TDateTime value) {
  SYSTEMTIME time{};
  Word year, month, day, hour, minute, second, millisecond;
  DecodeDateTime(value, year, month, day, hour, minute, second, millisecond);
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  time.wMilliseconds = millisecond;
  return time;
}

}  // namespace

bool IsNT = g_platformFlags.nt;
bool IsXPOrLater = g_platformFlags.xpOrLater;
bool IsVista = g_platformFlags.vista;

TSysCharSet MakeCharSet(std::string_view characters) {
  TSysCharSet set;
  for (char c : characters) set.set(static_cast<unsigned char>(c));
  return set;
}

HANDLE WideCreateFile(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode,
                      LPSECURITY_ATTRIBUTES security, DWORD creationDisposition, DWORD flagsAndAttributes,
                      HANDLE templateFile) {
  return CreateFileW(fileName, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes,
                     templateFile);
}

HANDLE WideFileCreate(const WideString& fileName) {
  return WideCreateFile(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const WideString& fileName, Word mode) {
  static constexpr DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static constexpr DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned access = mode & 3;
  if (access > 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // A sharing value beyond the table shares nothing rather than reading past it.
  const unsigned sharing = (mode & 0xF0) >> 4;
  const DWORD share = sharing < 5 ? kShare[sharing] : 0;
  return WideCreateFile(fileName.c_str(), kAccess[access], share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
}

HANDLE WideFindFirstFile(const char16_t* fileName, WIN32_FIND_DATAW& findData) {
  return FindFirstFileW(fileName, &findData);
}

bool WideFindNextFile(HANDLE find, WIN32_FIND_DATAW& findData) { return FindNextFileW(find, &findData) != FALSE; }

int WideFindFirst(const WideString& path, int attr, TSearchRecW& searchRec) {
  constexpr int kSpecialEntries = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  searchRec.ExcludeAttr = ~attr & kSpecialEntries;
  searchRec.FindHandle = WideFindFirstFile(path.c_str(), searchRec.FindData);
  if (searchRec.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  while (searchRec.FindData.dwFileAttributes & static_cast<DWORD>(searchRec.ExcludeAttr)) {
    if (!WideFindNextFile(searchRec.FindHandle, searchRec.FindData)) {
      const int error = static_cast<int>(GetLastError());
      WideFindClose(searchRec);
      return error;
    }
  }
  const WIN32_FIND_DATAW& data = searchRec.FindData;
  FILETIME local{};
  Word dosDate = 0, dosTime = 0;
  searchRec.Time = 0;
  if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
      core::detail::FileTimeToDosDateTime(local, dosDate, dosTime))
    searchRec.Time = static_cast<int32_t>((static_cast<uint32_t>(dosDate) << 16) | dosTime);
  searchRec.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  searchRec.Attr = static_cast<int32_t>(data.dwFileAttributes);
  size_t length = 0;
  while (length < MAX_PATH && data.cFileName[length] != 0) ++length;
  searchRec.Name.assign(data.cFileName, length);
  return 0;
}

void WideFindClose(TSearchRecW& searchRec) {
  if (searchRec.FindHandle != INVALID_HANDLE_VALUE) {
    FindClose(searchRec.FindHandle);
    searchRec.FindHandle = INVALID_HANDLE_VALUE;
  }
}

DWORD WideFileGetAttr(const WideString& fileName) { return GetFileAttributesW(fileName.c_str()); }

bool WideFileExists(const WideString& fileName) {
  const DWORD attributes = WideFileGetAttr(fileName);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WideDirectoryExists(const WideString& fileName) {
  const DWORD attributes = WideFileGetAttr(fileName);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WideRenameFile(const WideString& oldName, const WideString& newName, DWORD flags) {
  return MoveFileExW(NullIfEmpty(oldName), NullIfEmpty(newName), flags) != FALSE;
}

WideString WideGetTempPath() {
  std::vector<char16_t> buffer(MAX_PATH + 2);
  DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length > buffer.size()) {  // TMPDIR deeper than the classic limit
    buffer.resize(length + 1);
    length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0 || length > buffer.size()) return {};
  return WideString(buffer.data(), length);
}

void WideGetTempFileName(const WideString& folder, const WideString& prefix, UINT unique, WideString& name) {
  // The kernel writes at most MAX_PATH characters, as Windows does.
  std::vector<char16_t> buffer(MAX_PATH + 1, 0);
  if (GetTempFileNameW(folder.c_str(), prefix.c_str(), unique, buffer.data()) == 0)
    name.clear();
  else
    name = buffer.data();
}

bool IsFileInUse(const WideString& fileName) {
  if (Trim(std::u16string_view(fileName)).empty() || !WideFileExists(fileName)) return false;
  HANDLE file = WideCreateFile(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  CloseHandle(file);
  return false;
}

TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &time)) return 0;
  TDateTime date = 0, timeOfDay = 0;
  if (!TryEncodeDate(time.wYear, time.wMonth, time.wDay, date) ||
      !TryEncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds, timeOfDay))
    return 0;
  return ComposeDateTime(date, timeOfDay);
}

FILETIME LocalDateTimeToFileTime(TDateTime dateTime) {
  const SYSTEMTIME time = SystemTimeFromDateTime(dateTime);
  FILETIME local{}, utc{};
  if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &utc)) return FILETIME{};
  return utc;
}

bool GetFileTimes(const AnsiString& fileName, TDateTime& creation, TDateTime& access, TDateTime& write) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA(fileName.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  creation = FileTimeToLocalDateTime(data.ftCreationTime);
  access = FileTimeToLocalDateTime(data.ftLastAccessTime);
  write = FileTimeToLocalDateTime(data.ftLastWriteTime);
  return true;
}

bool SetFileTimes(const WideString& fileName, const TDateTime* creation, const TDateTime* access,
                  const TDateTime* write) {
  HANDLE file = WideFileOpen(fileName, 0x21);  // write access, others may only read
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME times[3]{};
  const TDateTime* values[3] = {creation, access, write};
  for (int i = 0; i < 3; ++i)
    if (values[i]) times[i] = LocalDateTimeToFileTime(*values[i]);
  const BOOL result = SetFileTime(file, creation ? &times[0] : nullptr, access ? &times[1] : nullptr,
                                  write ? &times[2] : nullptr);
  CloseHandle(file);
  return result != FALSE;
}

namespace core::detail {

namespace {

// Scans one parameter from `position`: skips blanks and control characters (and empty ""
// pairs among them), then collects characters above the blank. A double quote starts quoted
// copying, which takes everything up to the next double quote or the end of the line; the
// quotes themselves are not copied. A backslash is an ordinary character, so a quoted
// folder name may end in one. A zero ends the line. There is no length limit: a longer
// parameter is never cut short.
size_t ScanParam(std::u16string_view line, size_t position, WideString& param) {
  param.clear();
  const size_t end = line.size();
  while (position < end && line[position] != 0) {
    if (IsBlankOrControl(line[position])) {
      ++position;
    } else if (line[position] == u'"' && position + 1 < end && line[position + 1] == u'"') {
      position += 2;
    } else {
      break;
    }
  }
  while (position < end && line[position] > 32) {
    if (line[position] != u'"') {
      param += line[position++];
      continue;
    }
    ++position;
    while (position < end && line[position] != 0 && line[position] != u'"') param += line[position++];
    if (position < end && line[position] == u'"') ++position;
  }
  return position;
}

}  // namespace

WideString ParamFromCommandLine(std::u16string_view commandLine, int index) {
  if (index < 0) return {};
  size_t position = 0;
  WideString param;
  for (int number = 0; number <= index; ++number) {
    position = ScanParam(commandLine, position, param);
    if (param.empty()) return {};
  }
  return param;
}

bool FileTimeToDosDateTime(const FILETIME& fileTime, Word& dosDate, Word& dosTime) {
  SYSTEMTIME time{};
  if (!FileTimeToSystemTime(&fileTime, &time) || time.wYear < 1980 || time.wYear > 2107) return false;
  dosDate = static_cast<Word>(((time.wYear - 1980) << 9) | (time.wMonth << 5) | time.wDay);
  dosTime = static_cast<Word>((time.wHour << 11) | (time.wMinute << 5) | (time.wSecond / 2));
  return true;
}

}  // namespace core::detail

WideString WideParamStr(int index) {
  if (index == 0) return WideGetModuleFileName(nullptr);
  const char16_t* line = GetCommandLineW();
  return core::detail::ParamFromCommandLine(line ? std::u16string_view(line) : std::u16string_view(), index);
}

WideString WideGetModuleFileName(HMODULE module) {
  // Linux paths may be longer than the classic limit; grow until the path fits.
  std::vector<char16_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size() - 1 || buffer.size() >= 65536) return WideString(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
}

void WideGetAppPaths(const WideString& subFolder, const WideString& fileName, WideString& folderPath,
                     WideString& filePath) {
  folderPath = WideIncludeTrailingBackslash(WideExtractFileDir(WideParamStr(0))) + subFolder;
  filePath = WideIncludeTrailingBackslash(folderPath) + fileName;
}

AnsiString GetAppFilePath(const AnsiString& name) {
  return IncludeTrailingPathDelimiter(ExtractFileDir(WideToUTF8(WideParamStr(0)))) + name;
}

void GetAppPaths(const AnsiString& subFolder, const AnsiString& fileName, AnsiString& folderPath,
                 AnsiString& filePath) {
  folderPath = GetAppFilePath(subFolder);
  filePath = IncludeTrailingPathDelimiter(folderPath) + fileName;
}

WideString WideIncludeTrailingBackslash(std::u16string_view path) { return IncludeTrailingPathDelimiter(path); }
WideString WideChangeFileExt(std::u16string_view fileName, std::u16string_view extension) {
  return ChangeFileExt(fileName, extension);
}
WideString WideExtractFileDir(std::u16string_view fileName) { return ExtractFileDir(fileName); }
WideString WideExtractFilePath(std::u16string_view fileName) { return ExtractFilePath(fileName); }
WideString WideExtractFileName(std::u16string_view fileName) { return ExtractFileName(fileName); }
WideString WideExtractFileExt(std::u16string_view fileName) { return ExtractFileExt(fileName); }

int WideLastDelimiter(std::u16string_view delimiters, std::u16string_view text) {
  for (size_t i = text.size(); i > 0; --i) {
    const char16_t c = text[i - 1];
    if (c != 0 && delimiters.find(c) != std::u16string_view::npos) return static_cast<int>(i);
  }
  return 0;
}

uint64_t GetFileVersion(const WideString& fileName) {
  if (fileName.empty()) return 0;
  auto fullPath = [](const WideString& name) {
    std::vector<char16_t> buffer(4096);
    const DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return length == 0 || length >= buffer.size() ? WideString() : WideString(buffer.data(), length);
  };
  const WideString program = fullPath(WideGetModuleFileName(nullptr));
  if (program.empty() || !WideSameText(fullPath(fileName), program)) return 0;
  return (static_cast<uint64_t>(BRANTWELL_VERSION_MAJOR) << 48) | (static_cast<uint64_t>(BRANTWELL_VERSION_MINOR) << 32) |
         (static_cast<uint64_t>(BRANTWELL_VERSION_PATCH) << 16);
}

WideString WideFormatStr(std::u16string_view format, std::initializer_list<TVarRec> args) {
  return WideFormat(format, args);
}

bool WideCharInSet(char16_t c, const TSysCharSet& set) { return c < 256 && set.test(c); }

bool CharInSet(char c, const TSysCharSet& set) { return set.test(static_cast<unsigned char>(c)); }

void NextToken(const AnsiString& text, int& pos, const TSysCharSet& delimiters, AnsiString& token) {
  token.clear();
  const int start = pos;
  const int length = static_cast<int>(text.size());
  if (pos < 1 || pos > length) return;
  while (pos <= length) {
    if (CharInSet(text[pos - 1], delimiters)) {
      token = text.substr(start - 1, pos - start);
      ++pos;
      return;
    }
    ++pos;
  }
  token = text.substr(start - 1);
  pos = length + 1;
}
