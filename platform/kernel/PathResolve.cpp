#include "platform/kernel/PathResolve.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <memory>
#include <vector>

#include "platform/kernel/WinError.h"

namespace platform::detail {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// Decodes UTF-8 into code points; malformed bytes stand for themselves so that two names
// with the same bad bytes still compare equal.
std::u32string CodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
      out.push_back(0xDC00 + c);
      ++i;
      continue;
    }
    char32_t value = length == 1 ? c : c & (0x7F >> length);
    bool ok = true;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) ok = false;
      value = (value << 6) | (next & 0x3F);
    }
    if (!ok) {
      out.push_back(0xDC00 + c);
      ++i;
      continue;
    }
    out.push_back(value);
    i += length;
  }
  return out;
}

locale_t FoldingLocale() {
  static locale_t locale = [] {
    locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return made;
  }();
  return locale;
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (locale_t locale = FoldingLocale()) return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
  return c;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The real name in folder that matches name ignoring case, or empty.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return {};
  while (dirent* entry = readdir(dir.get())) {
    if (NamesEqualIgnoringCase(entry->d_name, name)) return entry->d_name;
  }
  return {};
}

}  // namespace

std::string NormalizeDelimiters(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool NamesEqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const std::u32string left = CodePoints(a);
  const std::u32string right = CodePoints(b);
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (Fold(left[i]) != Fold(right[i])) return false;
  }
  return true;
}

std::string ResolvePath(std::string_view input) {
  std::string path = NormalizeDelimiters(input);
  struct stat info {};
  if (path.empty() || lstat(path.c_str(), &info) == 0) return path;

  // Walk the components, replacing each missing one by a case-insensitive match.
  std::string resolved;
  size_t pos = 0;
  if (path[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  bool matching = true;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(pos, end - pos);
    const bool last = end >= path.size();
    if (!component.empty()) {
      std::string candidate = resolved;
      if (!candidate.empty() && candidate.back() != '/') candidate += '/';
      if (matching && component != "." && component != ".." && lstat((candidate + component).c_str(), &info) != 0) {
        std::string real = FindIgnoringCase(resolved, component);
        if (!real.empty()) {
          component = real;
        } else {
          matching = false;  // Nothing below a missing folder can match.
        }
      }
      resolved = candidate + component;
    }
    if (last) {
      if (!path.empty() && path.back() == '/' && resolved.back() != '/') resolved += '/';
      break;
    }
    pos = end + 1;
  }
  return resolved;
}

std::string ParentOf(std::string_view input) {
  std::string path(input);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD ErrorFromErrno(int error, std::string_view path) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: {
      const std::string folder = ParentOf(NormalizeDelimiters(path));
      return IsDirectory(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return error == EROFS ? ERROR_WRITE_PROTECT : ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EIO: return ERROR_GEN_FAILURE;
    case ENODEV:
    case ENXIO: return ERROR_NOT_READY;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case ESPIPE: return ERROR_SEEK;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_GEN_FAILURE;
  }
}

void SetLastErrorFromErrno(int error, std::string_view path) { SetLastError(ErrorFromErrno(error, path)); }

}  // namespace platform::detail

namespace platform {

std::string FileSystemPath(std::string_view path) { return detail::ResolvePath(path); }

}  // namespace platform
