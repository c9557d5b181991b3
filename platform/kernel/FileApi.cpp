#include "platform/kernel/FileApi.h"

#include "platform/kernel/Modules.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/TextBuffers.h"

namespace platform::detail {

namespace {

// Share-mode marker bytes. They lie far beyond any real file size, and locks beyond the end
// of a file are allowed, so they never touch data.
constexpr off_t kShareLockBase = 0x7FFFFFFF00000000LL;
enum ShareByte : off_t { kOpenRead = 0, kOpenWrite, kOpenDelete, kDenyRead, kDenyWrite, kDenyDelete };

bool HeldByOthers(int fd, ShareByte byte) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareLockBase + byte;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool Hold(int fd, ShareByte byte) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareLockBase + byte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Takes the markers of this open first and checks the others' afterwards: of two racing
// opens that conflict, the later check always sees the other's markers, so they can never
// both succeed.
bool AcquireShare(int fd, bool read, bool write, bool del, DWORD share) {
  const bool shareRead = share & FILE_SHARE_READ, shareWrite = share & FILE_SHARE_WRITE,
             shareDelete = share & FILE_SHARE_DELETE;
  if ((read && !Hold(fd, kOpenRead)) || (write && !Hold(fd, kOpenWrite)) || (del && !Hold(fd, kOpenDelete)) ||
      (!shareRead && !Hold(fd, kDenyRead)) || (!shareWrite && !Hold(fd, kDenyWrite)) ||
      (!shareDelete && !Hold(fd, kDenyDelete))) {
    return true;  // A file system without locks: nothing to emulate.
  }
  if (read && HeldByOthers(fd, kDenyRead)) return false;
  if (write && HeldByOthers(fd, kDenyWrite)) return false;
  if (del && HeldByOthers(fd, kDenyDelete)) return false;
  if (!shareRead && HeldByOthers(fd, kOpenRead)) return false;
  if (!shareWrite && HeldByOthers(fd, kOpenWrite)) return false;
  if (!shareDelete && HeldByOthers(fd, kOpenDelete)) return false;
  return true;
}


constexpr int64_t kUnixEpochIn100ns = 116444736000000000LL;

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
  auto file = GetKernelObject<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

bool StatPath(const std::string& path, struct stat& info) { return stat(path.c_str(), &info) == 0; }

FILETIME CreationTimeOf(const std::string& path, const struct stat& info) {
  struct statx extended {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME)) {
    return FileTimeFromUnix(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec);
  }
  return FileTimeFromUnix(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CopyFileUtf8(const std::string& existing, const std::string& newName, bool failIfExists) {
  const std::string source = ResolvePath(existing);
  struct stat info {};
  if (!StatPath(source, info)) {
    SetLastErrorFromErrno(errno, source);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  HANDLE in = CreateFileUtf8(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileUtf8(newName, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS, 0);
  if (out == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(in);
    SetLastError(error == ERROR_FILE_EXISTS ? ERROR_FILE_EXISTS : error);
    return false;
  }
  const auto from = GetKernelObject<FileObject>(in);
  const auto to = GetKernelObject<FileObject>(out);
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    const ssize_t got = read(from->Descriptor(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastErrorFromErrno(errno);
      ok = false;
      break;
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to->Descriptor(), buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        SetLastErrorFromErrno(errno);
        ok = false;
        break;
      }
      done += put;
    }
    if (!ok) break;
  }
  const std::string target = to->Path();
  if (ok) {
    // Windows keeps the last-write time and the attributes of the source.
    const timespec times[2] = {info.st_atim, info.st_mtim};
    futimens(to->Descriptor(), times);
    fchmod(to->Descriptor(), info.st_mode & 07777);
  }
  CloseHandle(in);
  CloseHandle(out);
  if (!ok) {
    const DWORD error = GetLastError();
    unlink(target.c_str());  // Never leave a half-copied file behind.
    SetLastError(error);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool MoveFileUtf8(const std::string& existing, const std::string& newName, DWORD flags) {
  if (newName.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::string source = ResolvePath(existing);
  struct stat sourceInfo {};
  if (lstat(source.c_str(), &sourceInfo) != 0) {
    SetLastErrorFromErrno(errno, source);
    return false;
  }
  if (DeleteIsDenied(source)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return false;
  }
  std::string target = ResolvePath(newName);
  struct stat targetInfo {};
  const bool targetExists = lstat(target.c_str(), &targetInfo) == 0;
  if (targetExists && targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
    // The same file under another case: rename it to the name as written.
    target = ParentOf(target);
    target = (target.empty() ? "" : target == "/" ? "/" : target + "/") + BaseName(NormalizeDelimiters(newName));
    if (rename(source.c_str(), target.c_str()) != 0) {
      SetLastErrorFromErrno(errno, target);
      return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  if (targetExists) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
    if (S_ISDIR(targetInfo.st_mode) || DeleteIsDenied(target)) {
      SetLastError(S_ISDIR(targetInfo.st_mode) ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION);
      return false;
    }
  }
  int result = targetExists ? rename(source.c_str(), target.c_str())
                            : renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
  if (result != 0 && !targetExists && errno == EINVAL) result = rename(source.c_str(), target.c_str());
  if (result != 0 && errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) && !S_ISDIR(sourceInfo.st_mode)) {
    if (!CopyFileUtf8(source, target, !(flags & MOVEFILE_REPLACE_EXISTING))) return false;
    if (unlink(source.c_str()) != 0) {
      SetLastErrorFromErrno(errno, source);
      return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  if (result != 0) {
    const int error = errno;
    SetLastError(error == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(error, target));
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool DeleteFileUtf8(const std::string& name) {
  const std::string path = ResolvePath(name);
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)) {
    SetLastError(ERROR_ACCESS_DENIED);  // Folders, and read-only files as on Windows.
    return false;
  }
  if (DeleteIsDenied(path)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return false;
  }
  if (unlink(path.c_str()) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool CreateDirectoryUtf8(const std::string& name) {
  const std::string path = ResolvePath(name);
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (mkdir(path.c_str(), 0777) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool RemoveDirectoryUtf8(const std::string& name) {
  const std::string path = ResolvePath(name);
  if (rmdir(path.c_str()) != 0) {
    SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno, path));
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

DWORD GetAttributesUtf8(const std::string& name, WIN32_FILE_ATTRIBUTE_DATA* data) {
  const std::string path = ResolvePath(name);
  struct stat info {};
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!StatPath(path, info) && lstat(path.c_str(), &info) != 0) {
    SetLastErrorFromErrno(errno, path);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const DWORD attributes = AttributesOf(info.st_mode, BaseName(trimmed));
  if (data) {
    data->dwFileAttributes = attributes;
    data->ftCreationTime = CreationTimeOf(path, info);
    data->ftLastAccessTime = FileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    data->ftLastWriteTime = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    const uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
  }
  SetLastError(ERROR_SUCCESS);
  return attributes;
}

bool SetAttributesUtf8(const std::string& name, DWORD attributes) {
  const std::string path = ResolvePath(name);
  struct stat info {};
  if (!StatPath(path, info)) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  mode_t mode = info.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~static_cast<mode_t>(0222);
  } else if ((mode & 0222) == 0) {
    mode |= S_IWUSR;
  }
  if (mode != (info.st_mode & 07777) && chmod(path.c_str(), mode) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::string TempPathUtf8() {
  std::string folder = "/tmp";
  if (const char* fromEnvironment = std::getenv("TMPDIR"); fromEnvironment && *fromEnvironment) {
    struct stat info {};
    if (stat(fromEnvironment, &info) == 0 && S_ISDIR(info.st_mode)) folder = fromEnvironment;
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

// The name part of GetTempFileName; 0 on failure.
UINT TempFileNameUtf8(const std::string& pathName, const std::string& prefix, UINT unique, std::string& result) {
  std::string folder = NormalizeDelimiters(pathName);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  // Up to three characters (not bytes) of the prefix.
  std::string start;
  size_t characters = 0;
  for (size_t i = 0; i < prefix.size() && characters < 3; ++characters) {
    size_t length = 1;
    while (i + length < prefix.size() && (static_cast<unsigned char>(prefix[i + length]) & 0xC0) == 0x80) ++length;
    start += prefix.substr(i, length);
    i += length;
  }
  auto nameFor = [&](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", number & 0xFFFF);
    return folder + start + hex + ".tmp";
  };
  if (unique != 0) {
    result = nameFor(unique);
    SetLastError(ERROR_SUCCESS);
    return unique & 0xFFFF;
  }
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  UINT number = static_cast<UINT>((now ^ getpid()) & 0xFFFF);
  for (int attempt = 0; attempt < 0x10000; ++attempt, number = (number + 1) & 0xFFFF) {
    if (number == 0) continue;
    const std::string candidate = nameFor(number);
    HANDLE file = CreateFileUtf8(candidate, GENERIC_WRITE, 0, CREATE_NEW, 0);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      result = ResolvePath(candidate);
      SetLastError(ERROR_SUCCESS);
      return number;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

std::string ModuleFileNameUtf8(HMODULE module) {
  if (module == nullptr) {
    const std::string executable = ExecutablePath();
    if (const char* overridden = std::getenv("BRANTWELL_PROGRAM_DIR"); overridden && *overridden) {
      return ProgramFolder() + "/" + BaseName(executable);
    }
    return executable;
  }
  return ModuleFilePath(module);
}

// Module paths are cut to the buffer (with a terminator) when it is too small.
template <typename Char>
DWORD ModuleFileNameInto(HMODULE module, Char* buffer, DWORD size) {
  const std::string path = ModuleFileNameUtf8(module);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const TextOf<Char> text = Widen<Char>(path);
  if (!buffer || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() >= size) {
    std::copy(text.begin(), text.begin() + (size - 1), buffer);
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(text.size());
}

std::string CurrentDirectoryUtf8() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string FullPathUtf8(const std::string& name) {
  std::string path = NormalizeDelimiters(name);
  if (path.empty() || path[0] != '/') path = CurrentDirectoryUtf8() + "/" + path;
  const bool trailing = path.size() > 1 && path.back() == '/';
  std::vector<std::string> parts;
  size_t pos = 1;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = end + 1;
  }
  std::string out;
  for (const auto& part : parts) out += "/" + part;
  if (out.empty() || trailing) out += "/";
  return out;
}

template <typename Char>
DWORD FullPathInto(const std::string& name, DWORD size, Char* buffer, Char** filePart) {
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const std::string full = FullPathUtf8(name);
  const TextOf<Char> text = Widen<Char>(full);
  const DWORD result = CopyOrNeeded<Char>(text, buffer, size);
  if (filePart) {
    *filePart = nullptr;
    if (result < size && text.back() != u'/') *filePart = buffer + text.rfind(Char('/')) + 1;
  }
  SetLastError(ERROR_SUCCESS);
  return result;
}

bool DiskFreeSpaceUtf8(const char* pathOrNull, ULARGE_INTEGER* available, ULARGE_INTEGER* total,
                       ULARGE_INTEGER* totalFree) {
  const std::string path = pathOrNull && *pathOrNull ? ResolvePath(pathOrNull) : std::string(".");
  struct statvfs info {};
  if (statvfs(path.c_str(), &info) != 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, path));
    return false;
  }
  const uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
  if (available) available->QuadPart = unit * info.f_bavail;
  if (total) total->QuadPart = unit * info.f_blocks;
  if (totalFree) totalFree->QuadPart = unit * info.f_bfree;
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool Seek(HANDLE handle, int64_t distance, DWORD method, int64_t& position) {
  auto file = FileOf(handle);
  if (!file) return false;
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const off_t base = whence == SEEK_SET ? 0 : lseek(file->Descriptor(), 0, whence == SEEK_CUR ? SEEK_CUR : SEEK_END);
  if (base < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (base + distance < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  const off_t result = lseek(file->Descriptor(), base + distance, SEEK_SET);
  if (result < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  position = result;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace

FileObject::~FileObject() {
  if (m_descriptor >= 0) ::close(m_descriptor);
}


FILETIME FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  const uint64_t ticks = static_cast<uint64_t>(seconds * 10000000LL + nanoseconds / 100 + kUnixEpochIn100ns);
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void UnixFromFileTime(const FILETIME& time, int64_t& seconds, int64_t& nanoseconds) {
  const int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) - kUnixEpochIn100ns;
  seconds = ticks / 10000000LL;
  int64_t rest = ticks % 10000000LL;
  if (rest < 0) {
    rest += 10000000LL;
    --seconds;
  }
  nanoseconds = rest * 100;
}

DWORD AttributesOf(unsigned mode, const std::string& name) {
  DWORD attributes = 0;
  if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  else if ((mode & 0222) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool DeleteIsDenied(const std::string& resolvedPath) {
  const int fd = ::open(resolvedPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  const bool denied = HeldByOthers(fd, kDenyDelete);
  ::close(fd);
  return denied;
}

HANDLE CreateFileUtf8(const std::string& fileName, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = ResolvePath(fileName);
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const bool wantRead = access & (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | FILE_READ_DATA);
  const bool wantWrite = access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  const bool wantDelete = access & (DELETE | GENERIC_ALL);
  if (disposition == TRUNCATE_EXISTING && !wantWrite) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }

  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    if (disposition == CREATE_NEW) {
      SetLastError(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || wantWrite) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
  }

  // Descriptors of writers are opened for reading too when the permissions allow it, since
  // the share markers are read locks.
  int baseFlags = O_CLOEXEC | O_NOCTTY;
  int mode = wantWrite ? O_RDWR : O_RDONLY;
  const mode_t permissions = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  bool created = false;
  int fd = -1;
  auto openWith = [&](int extra) {
    fd = ::open(path.c_str(), mode | baseFlags | extra, permissions);
    if (fd < 0 && errno == EACCES && wantWrite && !wantRead && mode == O_RDWR) {
      mode = O_WRONLY;
      fd = ::open(path.c_str(), mode | baseFlags | extra, permissions);
    }
  };
  switch (disposition) {
    case CREATE_NEW:
      openWith(O_CREAT | O_EXCL);
      if (fd < 0 && errno == EEXIST) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
      created = fd >= 0;
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      // Open first and create only when missing, so that the caller learns whether the file
      // was there (ERROR_ALREADY_EXISTS).
      for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        openWith(0);
        if (fd >= 0 || errno != ENOENT) break;
        openWith(O_CREAT | O_EXCL);
        created = fd >= 0;
        if (fd < 0 && errno != EEXIST) break;
      }
      break;
    default:
      openWith(0);
      break;
  }
  if (fd < 0) {
    SetLastErrorFromErrno(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  if (mode != O_WRONLY && !AcquireShare(fd, wantRead, wantWrite, wantDelete, share)) {
    ::close(fd);
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  // Truncation waits until the share check passed, so a refused open never damages the
  // file that another holder has open.
  if (!created && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) && ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    SetLastErrorFromErrno(error, path);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = AddKernelObject(std::make_shared<FileObject>(fd, wantRead, wantWrite, path));
  SetLastError(!created && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                          : ERROR_SUCCESS);
  return handle;
}

}  // namespace platform::detail

namespace platform {

int FileDescriptorOf(HANDLE file) {
  auto object = detail::GetKernelObject<detail::FileObject>(file);
  return object ? object->Descriptor() : -1;
}

}  // namespace platform

using namespace platform::detail;

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
  return CreateFileUtf8(Narrow(fileName), access, share, disposition, flags);
}

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
  return CreateFileUtf8(Narrow(fileName), access, share, disposition, flags);
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, LPOVERLAPPED overlapped) {
  if (bytesRead) *bytesRead = 0;
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (!file->CanRead()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && bytesToRead) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  off_t offset = overlapped ? static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset) : 0;
  DWORD done = 0;
  while (done < bytesToRead) {
    char* at = static_cast<char*>(buffer) + done;
    const ssize_t got = overlapped ? pread(file->Descriptor(), at, bytesToRead - done, offset + done)
                                   : read(file->Descriptor(), at, bytesToRead - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastErrorFromErrno(errno);
      if (bytesRead) *bytesRead = done;
      return FALSE;
    }
    if (got == 0) break;
    done += static_cast<DWORD>(got);
  }
  if (bytesRead) *bytesRead = done;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten, LPOVERLAPPED overlapped) {
  if (bytesWritten) *bytesWritten = 0;
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (!file->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && bytesToWrite) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  off_t offset = overlapped ? static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset) : 0;
  DWORD done = 0;
  while (done < bytesToWrite) {
    const char* at = static_cast<const char*>(buffer) + done;
    const ssize_t put = overlapped ? pwrite(file->Descriptor(), at, bytesToWrite - done, offset + done)
                                   : write(file->Descriptor(), at, bytesToWrite - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      SetLastErrorFromErrno(errno);
      if (bytesWritten) *bytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(put);
  }
  if (bytesWritten) *bytesWritten = done;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh, DWORD method) {
  const int64_t distance = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                               static_cast<DWORD>(distanceLow))
                                        : distanceLow;
  int64_t position = 0;
  if (!Seek(file, distance, method, position)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
  return static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method) {
  int64_t position = 0;
  if (!Seek(file, distance.QuadPart, method, position)) return FALSE;
  if (newPosition) newPosition->QuadPart = position;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  const off_t position = lseek(file->Descriptor(), 0, SEEK_CUR);
  if (!file->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (position < 0 || ftruncate(file->Descriptor(), position) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  struct stat info {};
  if (fstat(file->Descriptor(), &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (size) size->QuadPart = S_ISDIR(info.st_mode) ? 0 : info.st_size;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return INVALID_FILE_SIZE;
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size.QuadPart >> 32);
  return static_cast<DWORD>(size.QuadPart);
}

BOOL FlushFileBuffers(HANDLE handle) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (fsync(file->Descriptor()) != 0 && errno != EINVAL) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  struct stat info {};
  if (fstat(file->Descriptor(), &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (creation) *creation = CreationTimeOf(file->Path(), info);
  if (lastAccess) *lastAccess = FileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec);
  if (lastWrite) *lastWrite = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  auto convert = [](const FILETIME* time) {
    timespec stamp{0, UTIME_OMIT};
    if (time && (time->dwLowDateTime || time->dwHighDateTime) &&
        !(time->dwLowDateTime == 0xFFFFFFFF && time->dwHighDateTime == 0xFFFFFFFF)) {
      int64_t seconds = 0, nanoseconds = 0;
      UnixFromFileTime(*time, seconds, nanoseconds);
      stamp.tv_sec = static_cast<time_t>(seconds);
      stamp.tv_nsec = static_cast<long>(nanoseconds);
    }
    return stamp;
  };
  const timespec times[2] = {convert(lastAccess), convert(lastWrite)};
  if (futimens(file->Descriptor(), times) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName) { return DeleteFileUtf8(Narrow(fileName)); }
BOOL DeleteFileA(LPCSTR fileName) { return DeleteFileUtf8(Narrow(fileName)); }
BOOL MoveFileW(LPCWSTR existing, LPCWSTR newName) { return MoveFileUtf8(Narrow(existing), Narrow(newName), MOVEFILE_COPY_ALLOWED); }
BOOL MoveFileA(LPCSTR existing, LPCSTR newName) { return MoveFileUtf8(Narrow(existing), Narrow(newName), MOVEFILE_COPY_ALLOWED); }
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags) { return MoveFileUtf8(Narrow(existing), Narrow(newName), flags); }
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) { return MoveFileUtf8(Narrow(existing), Narrow(newName), flags); }
BOOL CopyFileW(LPCWSTR existing, LPCWSTR newName, BOOL failIfExists) { return CopyFileUtf8(Narrow(existing), Narrow(newName), failIfExists); }
BOOL CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists) { return CopyFileUtf8(Narrow(existing), Narrow(newName), failIfExists); }
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) { return CreateDirectoryUtf8(Narrow(path)); }
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) { return CreateDirectoryUtf8(Narrow(path)); }
BOOL RemoveDirectoryW(LPCWSTR path) { return RemoveDirectoryUtf8(Narrow(path)); }
BOOL RemoveDirectoryA(LPCSTR path) { return RemoveDirectoryUtf8(Narrow(path)); }
DWORD GetFileAttributesW(LPCWSTR fileName) { return GetAttributesUtf8(Narrow(fileName), nullptr); }
DWORD GetFileAttributesA(LPCSTR fileName) { return GetAttributesUtf8(Narrow(fileName), nullptr); }

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information) {
  return GetFileAttributesExA(Narrow(fileName).c_str(), level, information);
}

BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information) {
  if (level != GetFileExInfoStandard || !information) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return GetAttributesUtf8(Narrow(fileName), static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information)) !=
         INVALID_FILE_ATTRIBUTES;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes) { return SetAttributesUtf8(Narrow(fileName), attributes); }
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) { return SetAttributesUtf8(Narrow(fileName), attributes); }

DWORD GetTempPathW(DWORD length, LPWSTR buffer) { return CopyOrNeeded<char16_t>(Widen<char16_t>(TempPathUtf8()), buffer, length); }
DWORD GetTempPathA(DWORD length, LPSTR buffer) { return CopyOrNeeded<char>(TempPathUtf8(), buffer, length); }

UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefix, UINT unique, LPWSTR tempFileName) {
  std::string name;
  const UINT result = TempFileNameUtf8(Narrow(pathName), Narrow(prefix), unique, name);
  if (result == 0 || !tempFileName) return result;
  const std::u16string wide = Widen<char16_t>(name);
  if (wide.size() >= MAX_PATH) {
    if (unique == 0) unlink(name.c_str());
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  CopyOrNeeded<char16_t>(wide, tempFileName, MAX_PATH);
  return result;
}

UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  std::string name;
  const UINT result = TempFileNameUtf8(Narrow(pathName), Narrow(prefix), unique, name);
  if (result == 0 || !tempFileName) return result;
  if (name.size() >= MAX_PATH) {
    if (unique == 0) unlink(name.c_str());
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  CopyOrNeeded<char>(name, tempFileName, MAX_PATH);
  return result;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) { return ModuleFileNameInto(module, fileName, size); }
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) { return ModuleFileNameInto(module, fileName, size); }

DWORD GetCurrentDirectoryW(DWORD length, LPWSTR buffer) {
  return CopyOrNeeded<char16_t>(Widen<char16_t>(CurrentDirectoryUtf8()), buffer, length);
}
DWORD GetCurrentDirectoryA(DWORD length, LPSTR buffer) { return CopyOrNeeded<char>(CurrentDirectoryUtf8(), buffer, length); }

BOOL SetCurrentDirectoryA(LPCSTR path) {
  const std::string resolved = ResolvePath(Narrow(path));
  if (resolved.empty() || chdir(resolved.c_str()) != 0) {
    SetLastError(resolved.empty() ? ERROR_PATH_NOT_FOUND : errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno, resolved));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
BOOL SetCurrentDirectoryW(LPCWSTR path) { return SetCurrentDirectoryA(Narrow(path).c_str()); }

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD length, LPWSTR buffer, LPWSTR* filePart) {
  return FullPathInto<char16_t>(Narrow(fileName), length, buffer, filePart);
}
DWORD GetFullPathNameA(LPCSTR fileName, DWORD length, LPSTR buffer, LPSTR* filePart) {
  return FullPathInto<char>(Narrow(fileName), length, buffer, filePart);
}

BOOL GetDiskFreeSpaceExW(LPCWSTR path, ULARGE_INTEGER* available, ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) {
  const std::string narrow = Narrow(path);
  return DiskFreeSpaceUtf8(path ? narrow.c_str() : nullptr, available, total, totalFree);
}
BOOL GetDiskFreeSpaceExA(LPCSTR path, ULARGE_INTEGER* available, ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) {
  return DiskFreeSpaceUtf8(path, available, total, totalFree);
}
