#include "platform/shell/SpecialFolders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/WinError.h"
#include "platform/shell/UserDirs.h"

namespace platform::detail {
namespace {

struct FolderRule {
  int csidl;
  const char* userDir;      // XDG_<name>_DIR of the user folders, or null
  const char* baseVariable; // an XDG base variable, or null
  const char* fallback;     // below the home folder; "" is the home folder itself
  mode_t mode;              // for folders this call creates
};

constexpr FolderRule kRules[] = {
    {CSIDL_PERSONAL, "DOCUMENTS", nullptr, "Documents", 0777},
    {CSIDL_DESKTOP, "DESKTOP", nullptr, "Desktop", 0777},
    {CSIDL_DESKTOPDIRECTORY, "DESKTOP", nullptr, "Desktop", 0777},
    {CSIDL_MYMUSIC, "MUSIC", nullptr, "Music", 0777},
    {CSIDL_MYVIDEO, "VIDEOS", nullptr, "Videos", 0777},
    {CSIDL_MYPICTURES, "PICTURES", nullptr, "Pictures", 0777},
    {CSIDL_TEMPLATES, "TEMPLATES", nullptr, "Templates", 0777},
    {CSIDL_COMMON_DOCUMENTS, "PUBLICSHARE", nullptr, "Public", 0777},
    {CSIDL_PROFILE, nullptr, nullptr, "", 0777},
    // The base folders hold one user's private data: made readable by that user only.
    {CSIDL_APPDATA, nullptr, "XDG_CONFIG_HOME", ".config", 0700},
    {CSIDL_LOCAL_APPDATA, nullptr, "XDG_DATA_HOME", ".local/share", 0700},
    {CSIDL_INTERNET_CACHE, nullptr, "XDG_CACHE_HOME", ".cache", 0700},
};

const FolderRule* RuleOf(int csidl) {
  for (const FolderRule& rule : kRules)
    if (rule.csidl == csidl) return &rule;
  return nullptr;
}

std::string FolderOf(const FolderRule& rule) {
  if (rule.userDir) {
    const std::string configured = ReadUserDir(rule.userDir);
    if (!configured.empty()) return configured;
  }
  if (rule.baseVariable) {
    // The XDG rules ignore a relative value.
    if (const char* value = std::getenv(rule.baseVariable); value && *value == '/') {
      std::string folder = value;
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      return folder;
    }
  }
  std::string home = HomeFolder();
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  if (!*rule.fallback) return home;
  return (home == "/" ? std::string() : home) + "/" + rule.fallback;
}

// mkdir -p; errno of the level that failed.
bool MakeFolders(const std::string& folder, mode_t mode) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string level = folder.substr(0, at);
    struct stat info{};
    if (::stat(level.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
      }
      continue;
    }
    if (::mkdir(level.c_str(), mode) != 0 && errno != EEXIST) return false;
  }
  return true;
}

template <typename Char>
BOOL SpecialFolder(Char* path, int csidl, BOOL create) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  path[0] = 0;
  if (csidl & CSIDL_FLAG_CREATE) create = TRUE;
  const FolderRule* rule = RuleOf(csidl & ~CSIDL_FLAG_CREATE);
  if (!rule) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string folder = FolderOf(*rule);
  const TextOf<Char> text = Widen<Char>(folder);
  if (text.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  if (create && !MakeFolders(folder, rule->mode)) {
    SetLastErrorFromErrno(errno, folder);
    return FALSE;
  }
  CopyOrNeeded<Char>(text, path, MAX_PATH);
  return TRUE;
}

}  // namespace
}  // namespace platform::detail

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create) {
  return platform::detail::SpecialFolder(path, csidl, create);
}

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create) {
  return platform::detail::SpecialFolder(path, csidl, create);
}
