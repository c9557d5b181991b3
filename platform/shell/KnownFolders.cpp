#include "platform/shell/KnownFolders.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/kernel/Unicode.h"
#include "platform/ole/Ole.h"
#include "platform/shell/UserDirs.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info{};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string DownloadsFolder() {
  const std::string configured = platform::ReadUserDir("DOWNLOAD");
  if (IsFolder(configured)) return configured;
  const std::string home = platform::HomeFolder();
  const std::string standard = (home == "/" ? std::string() : home) + "/Downloads";
  if (IsFolder(standard)) return standard;
  return IsFolder(home) ? home : std::string();
}

}  // namespace

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD, HANDLE, char16_t** path) {
  if (!path) return E_INVALIDARG;
  *path = nullptr;
  if (!(id == FOLDERID_Downloads)) return E_INVALIDARG;
  const std::string folder = DownloadsFolder();
  if (folder.empty()) return E_FAIL;
  const std::u16string wide = platform::Utf8ToUtf16(folder);
  auto* copy = static_cast<char16_t*>(CoTaskMemAlloc((wide.size() + 1) * sizeof(char16_t)));
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
  *path = copy;
  return S_OK;
}
