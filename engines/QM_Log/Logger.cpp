#include "engines/QM_Log/Logger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/kernel/ProgramFolder.h"

namespace qmlog {
namespace {

constexpr size_t kMaxPendingRecords = 4096;
constexpr int kMaxNumberedNames = 1000;

// Creates `folder` and its missing parents.
bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const auto slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
  return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

enum class OpenResult { Opened, InUse, Failed };

OpenResult OpenLocked(const std::string& path, int& fd) {
  fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return OpenResult::Failed;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return OpenResult::Opened;
  const int error = errno;
  if (error == EAGAIN || error == EACCES) {
    close(fd);
    fd = -1;
    return OpenResult::InUse;
  }
  // A file system without these locks: log anyway, unguarded, rather than not at all.
  return OpenResult::Opened;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = write(fd, data.data() + done, data.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::string Logger::NumberedName(const std::string& name, int number) {
  const auto slash = name.rfind('/');
  const auto dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string base = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot) : ".txt";
  return base + "(" + std::to_string(number) + ")" + extension;
}

std::string Logger::FormatRecord(LineKind kind, std::string_view utf8Text) {
  timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local {};
  localtime_r(&now.tv_sec, &local);
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%04d-%02d-%02d %02d:%02d:%02d.%03ld [%ld] %s",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, now.tv_nsec / 1000000, static_cast<long>(syscall(SYS_gettid)),
                kind == LineKind::Trace ? "trace: " : "");

  while (!utf8Text.empty() && (utf8Text.back() == '\n' || utf8Text.back() == '\r')) utf8Text.remove_suffix(1);
  std::string record = prefix;
  record.reserve(record.size() + utf8Text.size() + 1);
  for (size_t i = 0; i < utf8Text.size(); ++i) {
    const char c = utf8Text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < utf8Text.size() && utf8Text[i + 1] == '\n') ++i;
      record += "\n\t";
    } else {
      record += c;
    }
  }
  record += '\n';
  return record;
}

bool Logger::Open(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty()) name = "Log.txt";
  const std::string folderOfLogs = platform::ProgramFolder() + "/Log";
  const std::string path = name.front() == '/' ? name : folderOfLogs + "/" + name;

  std::lock_guard lock(m_mutex);
  CloseLocked();
  m_opened = true;

  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (!MakeFolders(folder)) {
    std::fprintf(stderr, "QM_Log: cannot create the log folder '%s': %s\n", folder.c_str(), std::strerror(errno));
  } else {
    OpenResult result = OpenResult::InUse;
    for (int number = 0; number <= kMaxNumberedNames && result == OpenResult::InUse; ++number) {
      const std::string candidate = number == 0 ? path : NumberedName(path, number);
      int fd = -1;
      result = OpenLocked(candidate, fd);
      if (result == OpenResult::Opened) m_fd = fd;
      if (result == OpenResult::Failed) {
        std::fprintf(stderr, "QM_Log: cannot open the log file '%s': %s\n", candidate.c_str(), std::strerror(errno));
      }
    }
    if (result == OpenResult::InUse) {
      std::fprintf(stderr, "QM_Log: '%s' and its %d numbered names are all in use\n", path.c_str(), kMaxNumberedNames);
    }
  }

  EmitLocked(FormatRecord(LineKind::Log, "==== log opened by process " + std::to_string(getpid()) + " ===="));
  if (m_droppedPending > 0) {
    EmitLocked(FormatRecord(LineKind::Log, std::to_string(m_droppedPending) +
                                                " earlier lines were dropped before the log was opened"));
    m_droppedPending = 0;
  }
  for (const std::string& record : m_pending) EmitLocked(record);
  m_pending.clear();
  return m_fd >= 0;
}

void Logger::Write(LineKind kind, std::string_view utf8Text) {
  std::string record = FormatRecord(kind, utf8Text);
  std::lock_guard lock(m_mutex);
  if (!m_opened) {
    if (m_pending.size() >= kMaxPendingRecords) {
      m_pending.pop_front();
      ++m_droppedPending;
    }
    m_pending.push_back(std::move(record));
    return;
  }
  EmitLocked(record);
}

void Logger::CloseLocked() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

void Logger::EmitLocked(const std::string& record) {
  if (m_fd >= 0 && WriteAll(m_fd, record)) return;
  // No log file (it could not be opened, or the disk is full): keep the line visible.
  WriteAll(STDERR_FILENO, record);
}

}  // namespace qmlog
