// The memory and file streams.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/gdiplus/ComStream.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/WinError.h"

namespace platform {
namespace {

// What both streams share: reference counting, the interfaces, and the methods that only
// need Read, Write, Seek and a size.
class StreamBase : public IStream {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }
  HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* readTotal,
                 ULARGE_INTEGER* writtenTotal) override {
    if (!target) return STG_E_INVALIDPOINTER;
    std::vector<uint8_t> buffer(64 * 1024);
    uint64_t left = count.QuadPart, read = 0, written = 0;
    HRESULT result = S_OK;
    while (left > 0) {
      ULONG chunk = static_cast<ULONG>(std::min<uint64_t>(left, buffer.size())), got = 0, put = 0;
      result = Read(buffer.data(), chunk, &got);
      if (FAILED(result) || got == 0) break;
      read += got;
      result = target->Write(buffer.data(), got, &put);
      written += put;
      if (FAILED(result) || put < got) break;
      left -= got;
    }
    if (readTotal) readTotal->QuadPart = read;
    if (writtenTotal) writtenTotal->QuadPart = written;
    return FAILED(result) ? result : S_OK;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = Size();
    return S_OK;
  }
  HRESULT Clone(IStream** clone) override {
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
  }

 protected:
  virtual ~StreamBase() = default;
  virtual uint64_t Size() = 0;

  // The new position for a Seek, or -1 when it would fall before the start.
  int64_t Target(LARGE_INTEGER move, DWORD origin, uint64_t position) {
    int64_t base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? int64_t(position) : int64_t(Size());
    return base + move.QuadPart;
  }

 private:
  std::atomic<ULONG> m_references{1};
};

class MemoryStream final : public StreamBase {
 public:
  MemoryStream(const void* data, size_t size)
      : m_bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    size_t n = m_position < m_bytes.size() ? std::min<size_t>(count, m_bytes.size() - m_position) : 0;
    if (n) std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    if (read) *read = static_cast<ULONG>(n);
    return n < count ? S_FALSE : S_OK;
  }
  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    try {
      if (m_position + count > m_bytes.size()) m_bytes.resize(m_position + count);
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    if (count) std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position += count;
    if (written) *written = count;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    int64_t target = Target(move, origin, m_position);
    if (target < 0) return STG_E_INVALIDFUNCTION;
    m_position = static_cast<uint64_t>(target);
    if (newPosition) newPosition->QuadPart = m_position;
    return S_OK;
  }
  HRESULT SetSize(ULARGE_INTEGER size) override {
    try {
      m_bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::exception&) {
      return STG_E_MEDIUMFULL;
    }
    return S_OK;
  }

 protected:
  uint64_t Size() override { return m_bytes.size(); }

 private:
  std::vector<uint8_t> m_bytes;
  uint64_t m_position = 0;
};

class FileStream final : public StreamBase {
 public:
  explicit FileStream(int fd) : m_fd(fd) {}

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::read(m_fd, static_cast<uint8_t*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        if (read) *read = static_cast<ULONG>(done);
        return STG_E_READFAULT;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    if (read) *read = static_cast<ULONG>(done);
    return done < count ? S_FALSE : S_OK;
  }
  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::write(m_fd, static_cast<const uint8_t*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (written) *written = static_cast<ULONG>(done);
        return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
      }
      done += static_cast<size_t>(n);
    }
    if (written) *written = count;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    off_t current = ::lseek(m_fd, 0, SEEK_CUR);
    int64_t target = Target(move, origin, static_cast<uint64_t>(current));
    if (target < 0) return STG_E_INVALIDFUNCTION;
    off_t result = ::lseek(m_fd, static_cast<off_t>(target), SEEK_SET);
    if (result < 0) return STG_E_INVALIDFUNCTION;
    if (newPosition) newPosition->QuadPart = static_cast<uint64_t>(result);
    return S_OK;
  }
  HRESULT SetSize(ULARGE_INTEGER size) override {
    return ::ftruncate(m_fd, static_cast<off_t>(size.QuadPart)) == 0 ? S_OK : STG_E_MEDIUMFULL;
  }

 protected:
  ~FileStream() override { ::close(m_fd); }
  uint64_t Size() override {
    struct stat info {};
    return ::fstat(m_fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
  }

 private:
  int m_fd;
};

}  // namespace

IStream* CreateMemoryStream(const void* data, size_t size) {
  return new (std::nothrow) MemoryStream(data, data ? size : 0);
}

IStream* CreateFileStream(std::string_view path, FileStreamMode mode) {
  std::string resolved = detail::ResolvePath(path);
  int flags = mode == FileStreamMode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
  int fd = ::open(resolved.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) {
    detail::SetLastErrorFromErrno(errno, resolved);
    return nullptr;
  }
  return new (std::nothrow) FileStream(fd);
}

}  // namespace platform
