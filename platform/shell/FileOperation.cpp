#include "platform/shell/FileOperation.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {
namespace {

template <typename Char>
std::vector<std::string> PathList(const Char* list) {
  std::vector<std::string> paths;
  if (!list) return paths;
  for (const Char* at = list; *at;) {
    const Char* end = at;
    while (*end) ++end;
    paths.push_back(Narrow(at));
    at = end + 1;
  }
  return paths;
}

// Removes the entry `name` of the open folder `parent`. Folders are entered through their
// descriptor with O_NOFOLLOW, so a link swapped in meanwhile is never followed; a folder on
// another file system than `device` is left alone. The first failure goes to `firstError`.
void RemoveEntry(int parent, const char* name, dev_t device, int& firstError) {
  struct stat info{};
  if (::fstatat(parent, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT && !firstError) firstError = errno;
    return;
  }
  if (!S_ISDIR(info.st_mode)) {
    if (::unlinkat(parent, name, 0) != 0 && errno != ENOENT && !firstError) firstError = errno;
    return;
  }
  if (info.st_dev != device) {
    if (!firstError) firstError = EXDEV;
    return;
  }
  const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) {
    if (!firstError) firstError = errno;
    return;
  }
  DIR* entries = ::fdopendir(folder);
  if (!entries) {
    if (!firstError) firstError = errno;
    ::close(folder);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(entries)) {
    const std::string child = entry->d_name;
    if (child != "." && child != "..") names.push_back(child);
  }
  for (const std::string& child : names) RemoveEntry(::dirfd(entries), child.c_str(), device, firstError);
  ::closedir(entries);
  if (::unlinkat(parent, name, AT_REMOVEDIR) != 0 && errno != ENOENT && !firstError) firstError = errno;
}

DWORD ErrorOf(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    default: return ERROR_ACCESS_DENIED;
  }
}

int Delete(const std::vector<std::string>& programPaths) {
  if (programPaths.empty()) return static_cast<int>(ERROR_INVALID_PARAMETER);
  std::vector<std::string> paths;
  for (const std::string& programPath : programPaths) {
    const std::string normal = NormalizeDelimiters(programPath);
    if (normal.empty() || normal[0] != '/') return static_cast<int>(ERROR_INVALID_PARAMETER);
    std::string path = ResolvePath(normal);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path == "/") return static_cast<int>(ERROR_ACCESS_DENIED);
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return static_cast<int>(ErrorFromErrno(errno, path));
    paths.push_back(path);
  }
  int firstError = 0;
  for (const std::string& path : paths) {
    const std::string parentPath = ParentOf(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    const int parent = ::open(parentPath.empty() ? "/" : parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
      if (!firstError) firstError = errno;
      continue;
    }
    struct stat info{};
    if (::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
      RemoveEntry(parent, name.c_str(), info.st_dev, firstError);
    ::close(parent);
  }
  return static_cast<int>(ErrorOf(firstError));
}

template <typename Record>
int Operation(Record* operation) {
  if (!operation) return static_cast<int>(ERROR_INVALID_PARAMETER);
  operation->fAnyOperationsAborted = FALSE;
  if (operation->wFunc != FO_DELETE || (operation->fFlags & FOF_ALLOWUNDO)) return static_cast<int>(ERROR_NOT_SUPPORTED);
  return Delete(PathList(operation->pFrom));
}

}  // namespace
}  // namespace platform::detail

int SHFileOperationA(LPSHFILEOPSTRUCTA operation) { return platform::detail::Operation(operation); }
int SHFileOperationW(LPSHFILEOPSTRUCTW operation) { return platform::detail::Operation(operation); }
