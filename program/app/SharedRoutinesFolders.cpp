// Shared routines: folders, paths and the disk-space check.

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "engines/QM_Converter/ConverterApi.h"
#include "platform/kernel/FindFile.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/UserInfo.h"
#include "platform/shell/FileOperation.h"
#include "platform/shell/PathApi.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/UserDirs.h"
#include "program/app/SharedRoutines.h"
#include "program/core/Config.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "rtl/SysUtils.h"

namespace fs = std::filesystem;

namespace {

bool IsDelimiter(char16_t c) { return c == u'/' || c == u'\\'; }

AnsiString WithoutTrailingDelimiters(AnsiString path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace

// ---- folders and paths -------------------------------------------------------------------

WideString GetUserTempPath() {
  std::string folder;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
    folder = cache;
  } else {
    const std::string home = platform::HomeFolder();
    folder = (home == "/" ? std::string() : home) + "/.cache";
  }
  folder = WithoutTrailingDelimiters(folder);
  struct stat info{};
  if (::stat(folder.c_str(), &info) != 0) {
    std::error_code error;
    fs::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
  }
  return WideIncludeTrailingBackslash(UTF8ToWide(folder));
}

AnsiString GetMyDocumentsPath() {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE)) return "/";
  AnsiString result = path;
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

bool ForceDirectoriesW(const WideString& path) {
  if (path.empty() || std::none_of(path.begin(), path.end(), IsDelimiter)) return false;
  bool result = false;
  for (size_t at = 0; at <= path.size(); ++at) {
    if (at < path.size() && !IsDelimiter(path[at])) continue;
    const WideString level = path.substr(0, at);
    if (level.empty() || WideDirectoryExists(level)) continue;
    result = CreateDirectoryW(level.c_str(), nullptr) != FALSE;
  }
  return result;
}

void GetFileCreationTime(const WideString& path, FILETIME& time) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) time = data.ftCreationTime;
}

bool IsProtectedSystemPath(const WideString& path) {
  // The first folder name after the root (a leading "x:" of a Windows path counts as root).
  size_t start = 0;
  if (path.size() >= 2 && path[1] == u':') start = 2;
  while (start < path.size() && IsDelimiter(path[start])) ++start;
  size_t end = start;
  while (end < path.size() && !IsDelimiter(path[end])) ++end;
  if (end == path.size()) return false;  // no folder name, only a file
  const WideString first = path.substr(start, end - start);
  return first == u"Program Files" || first == u"Windows";
}

WideString GetVirtualStorePath(const WideString& path) {
  char16_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  WideString root = windows;
  if (const size_t delimiter = root.find_first_of(u"/\\"); delimiter != WideString::npos) root.resize(delimiter + 1);
  char16_t user[256] = {};
  DWORD size = 256;
  if (!GetUserNameW(user, &size)) user[0] = 0;
  const WideString folder = WideExtractFilePath(path);
  const char16_t* withoutRoot = PathFindNextComponentW(folder.c_str());
  return root + u"users/" + user + u"/AppData/Local/VirtualStore/" + (withoutRoot ? withoutRoot : u"");
}

WideString ResolveVirtualStorePath(const WideString& path) { return path; }

WideString MakeDefaultISOFileName() { return MakeDefaultISOFileName(Now()); }

WideString MakeDefaultISOFileName(TDateTime now) {
  WideString folder = UTF8ToWide(AppConfig.ReadStringA("System", "ISOOutPath", ""));
  if (folder.empty() || !IsDelimiter(folder.back())) folder += u'/';
  return folder + UTF8ToWide(FormatDateTime("yyyy-mm-dd-hhnnss", now)) + u".iso";
}

void DeleteFolderFiles(const AnsiString& folder) {
  const WideString base = WideIncludeTrailingBackslash(UTF8ToWide(folder));
  WIN32_FIND_DATAW data{};
  const HANDLE find = FindFirstFileW((base + u"*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const WideString name = data.cFileName;
    if (name == u"." || name == u".." || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    DeleteFileW((base + name).c_str());
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

namespace {

// Folders no program routine may empty: the home folder, the desktop's user folders and the
// per-user base folders, with each one's real path.
std::vector<fs::path> ProtectedFolders() {
  std::vector<fs::path> folders;
  std::error_code error;
  auto add = [&](const std::string& folder) {
    if (folder.empty()) return;
    folders.push_back(fs::path(folder).lexically_normal());
    folders.push_back(fs::weakly_canonical(folder, error));
  };
  add(platform::HomeFolder());
  for (const char* name : {"DESKTOP", "DOCUMENTS", "DOWNLOAD", "MUSIC", "PICTURES", "PUBLICSHARE", "TEMPLATES", "VIDEOS"})
    add(platform::ReadUserDir(name));
  for (int csidl : {CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_MYPICTURES,
                    CSIDL_TEMPLATES, CSIDL_COMMON_DOCUMENTS, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_INTERNET_CACHE}) {
    char path[MAX_PATH] = {};
    if (SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) add(path);
  }
  const std::string home = platform::HomeFolder();
  add((home == "/" ? std::string() : home) + "/Downloads");
  return folders;
}

size_t FolderNames(const fs::path& path) {
  size_t names = 0;
  for (const fs::path& part : path.relative_path())
    if (!part.empty()) ++names;
  return names;
}

bool IsMountPoint(const fs::path& path) {
  struct stat self{}, parent{};
  if (::stat(path.c_str(), &self) != 0) return false;
  if (::stat(path.parent_path().c_str(), &parent) != 0) return false;
  return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

// Why folder must not be emptied; empty when it may.
AnsiString RefusalOf(const AnsiString& folder) {
  if (folder.empty()) return "no folder given";
  std::string normal = folder;
  std::replace(normal.begin(), normal.end(), '\\', '/');
  if (normal[0] != '/') return "not an absolute path";
  std::error_code error;
  const fs::path lexical = fs::path(platform::FileSystemPath(normal)).lexically_normal();
  const fs::path real = fs::weakly_canonical(lexical, error);
  const std::vector<fs::path> guarded = ProtectedFolders();
  for (const fs::path& path : {lexical, real.empty() ? lexical : real}) {
    fs::path candidate = path;
    if (candidate.has_relative_path() && !candidate.has_filename()) candidate = candidate.parent_path();
    if (FolderNames(candidate) == 0) return "the root folder";
    if (IsMountPoint(candidate)) return "a mount point";
    for (const fs::path& protectedFolder : guarded)
      if (candidate == protectedFolder) return "the home folder or one of the user's folders";
    if (FolderNames(candidate) < 3) return "fewer than three folder names";
  }
  return {};
}

}  // namespace

bool IsDriveRoot(const WideString& folder) {
  if (folder.empty()) return false;
  std::string normal = WideToUTF8(folder);
  std::replace(normal.begin(), normal.end(), '\\', '/');
  if (normal[0] != '/') return false;
  const fs::path path = fs::path(platform::FileSystemPath(normal)).lexically_normal();
  fs::path candidate = path;
  if (candidate.has_relative_path() && !candidate.has_filename()) candidate = candidate.parent_path();
  return FolderNames(candidate) == 0 || IsMountPoint(candidate);
}

bool EmptyFolder(const AnsiString& folder) {
  if (const AnsiString refusal = RefusalOf(folder); !refusal.empty()) {
    WriteLog("Folder not emptied, " + refusal + ": '" + folder + "'");
    return false;
  }
  const AnsiString path = WithoutTrailingDelimiters(folder);
  bool emptied = true;
  if (WideDirectoryExists(UTF8ToWide(path))) {
    const std::string list = path + '\0';  // a second NUL ends the list
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI;
    if (const int code = SHFileOperationA(&operation); code != 0) {
      WriteLog(Format("Folder not emptied completely, error %d: '%s'", {code, path}));
      emptied = false;
    }
  }
  if (!WideDirectoryExists(UTF8ToWide(path))) CreateDirectoryA(path.c_str(), nullptr);
  return emptied;
}

// ---- disk space --------------------------------------------------------------------------

int QualitySizeRate(int quality) {
  switch (quality) {
    case 0: return 5120;
    case 1: return 7520;
    case 2: return 10112;
    default: return 0;
  }
}

namespace {

uint64_t DeviceOfNearestFolder(const WideString& path) {
  if (path.empty()) return 0;
  fs::path folder = platform::FileSystemPath(WideToUTF8(path));
  if (folder.is_relative()) return 0;
  for (;;) {
    struct stat info{};
    if (::stat(folder.c_str(), &info) == 0) return static_cast<uint64_t>(info.st_dev) + 1;  // never 0
    if (folder == folder.parent_path()) return 0;
    folder = folder.parent_path();
  }
}

std::mutex ProbeLock;
TDiskSpaceProbe& CurrentProbe() {
  static TDiskSpaceProbe probe = DefaultDiskSpaceProbe();
  return probe;
}

TDiskSpaceProbe Probe() {
  std::lock_guard lock(ProbeLock);
  return CurrentProbe();
}

double Megabytes(int64_t bytes) { return static_cast<double>(bytes) / 1024 / 1024; }

}  // namespace

TDiskSpaceProbe DefaultDiskSpaceProbe() {
  return {[](const WideString& path) { return QEGetDiskFreeSpace(path.c_str()); }, DeviceOfNearestFolder};
}

void SetDiskSpaceProbe(TDiskSpaceProbe probe) {
  std::lock_guard lock(ProbeLock);
  CurrentProbe() = probe.FreeBytes && probe.FileSystemId ? std::move(probe) : DefaultDiskSpaceProbe();
}

Word CheckDiskSpace(const WideString& outputPath, Byte kind, Byte quality, double seconds, double& tempNeed,
                    double& outNeed) {
  const double n = seconds * QualitySizeRate(quality) / 8 / 1024;
  const WideString tempPath = UTF8ToWide(AppConfig.ReadStringA("System", "TempPath", ""));
  const TDiskSpaceProbe probe = Probe();
  const double freeTemp = Megabytes(probe.FreeBytes(tempPath));
  const double freeOut = Megabytes(probe.FreeBytes(outputPath));
  const uint64_t tempSystem = probe.FileSystemId(tempPath);
  const bool sameFileSystem = tempSystem != 0 && tempSystem == probe.FileSystemId(outputPath);
  double temp = 0, out = 0;
  Word code = 0;
  switch (kind) {
    case 0:
      temp = 2 * n;
      if (temp > freeTemp) code = DiskSpaceTempShort;
      break;
    case 1:
      temp = n;
      out = n;
      if (sameFileSystem) {
        if (2 * n > freeTemp) code = DiskSpaceTempShort + DiskSpaceFolderShort;
      } else {
        if (temp > freeTemp) code += DiskSpaceTempShort;
        if (out > freeOut) code += DiskSpaceFolderShort;
      }
      break;
    case 2:
      temp = 2 * n;
      out = n;
      if (sameFileSystem) {
        if (2 * n > freeTemp) code = DiskSpaceTempShort + DiskSpaceImageShort;
      } else {
        if (temp > freeTemp) code += DiskSpaceTempShort;
        if (out > freeOut) code += DiskSpaceImageShort;
      }
      break;
    default:
      tempNeed = 0;
      outNeed = 0;
      return 0;
  }
  tempNeed = temp;
  outNeed = out;
  return code;
}
