#include "vcl/Classes.h"

#include "rtl/SysErrors.h"

#include "platform/kernel/ErrorText.h"
#include "platform/kernel/FileApi.h"
#include "platform/kernel/WinError.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

AnsiString ErrnoText(int error) { return std::strerror(error); }


}  // namespace

// --- TStream ----------------------------------------------------------------------------------

int64_t TStream::GetSize() {
  const int64_t position = Seek(0, soFromCurrent);
  const int64_t size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count < 0 || Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count < 0 || Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(count, kChunk)) + 1);
  const int64_t total = count;
  while (count > 0) {
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(count, kChunk));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return total;
}

// --- TCustomMemoryStream ----------------------------------------------------------------------

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  FMemory = memory;
  FSize = size;
}

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  const int64_t n = std::min<int64_t>(count, FSize - FPosition);
  std::memcpy(buffer, static_cast<char*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<int32_t>(n);
}

int64_t TCustomMemoryStream::Seek(int64_t offset, Word origin) {
  switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = FSize + offset; break;
    default: throw EStreamError("Invalid seek origin");
  }
  if (FPosition < 0) FPosition = 0;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (FSize > std::numeric_limits<int32_t>::max()) throw EWriteError("Stream too large");
  if (FSize > 0) stream.WriteBuffer(FMemory, static_cast<int32_t>(FSize));
}

// --- TMemoryStream ----------------------------------------------------------------------------

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::SetCapacity(int64_t capacity) {
  if (capacity == FCapacity) return;
  if (capacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
  } else {
    void* memory = std::realloc(FMemory, static_cast<size_t>(capacity));
    if (memory == nullptr) throw EOutOfMemory("Out of memory while expanding memory stream");
    FMemory = memory;
  }
  FCapacity = capacity;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) throw EStreamError("Invalid stream size");
  if (newSize > FCapacity) SetCapacity((newSize + 0x1FFF) & ~int64_t{0x1FFF});
  FSize = newSize;
  if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  const int64_t end = FPosition + count;
  if (end > FSize) {
    if (end > FCapacity) SetCapacity((std::max(end, FCapacity + FCapacity / 2) + 0x1FFF) & ~int64_t{0x1FFF});
    FSize = end;
  }
  std::memcpy(static_cast<char*>(FMemory) + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const int64_t size = stream.GetSize();
  if (size > std::numeric_limits<int32_t>::max()) throw EReadError("Stream too large");
  SetSize(size);
  if (size != 0) stream.ReadBuffer(FMemory, static_cast<int32_t>(size));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// --- TStringStream ----------------------------------------------------------------------------

int32_t TStringStream::Read(void* buffer, int32_t count) {
  const int64_t size = GetSize();
  if (count <= 0 || FPosition >= size) return 0;
  const int64_t n = std::min<int64_t>(count, size - FPosition);
  std::memcpy(buffer, FDataString.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<int32_t>(n);
}

int32_t TStringStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  const size_t end = static_cast<size_t>(FPosition) + static_cast<size_t>(count);
  if (end > FDataString.size()) FDataString.resize(end);
  std::memcpy(FDataString.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = static_cast<int64_t>(end);
  return count;
}

int64_t TStringStream::Seek(int64_t offset, Word origin) {
  switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = GetSize() + offset; break;
    default: throw EStreamError("Invalid seek origin");
  }
  FPosition = std::clamp<int64_t>(FPosition, 0, GetSize());
  return FPosition;
}

void TStringStream::SetSize(int64_t newSize) {
  FDataString.resize(static_cast<size_t>(std::max<int64_t>(newSize, 0)));
  if (FPosition > newSize) FPosition = newSize;
}

// --- THandleStream / TFileStream --------------------------------------------------------------

int32_t THandleStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int32_t total = 0;
  while (total < count) {
    const ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<int32_t>(n);
  }
  return total;
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int32_t total = 0;
  while (total < count) {
    const ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<int32_t>(n);
  }
  return total;
}

int64_t THandleStream::Seek(int64_t offset, Word origin) {
  const int whence = origin == soFromBeginning ? SEEK_SET : origin == soFromCurrent ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(FHandle, static_cast<off_t>(offset), whence);
  return result < 0 ? -1 : static_cast<int64_t>(result);
}

void THandleStream::SetSize(int64_t newSize) {
  if (::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
    throw EStreamError("Cannot set the stream size: " + ErrnoText(errno));
  if (GetPosition() > newSize) Seek(newSize, soFromBeginning);
}

TFileStream::TFileStream(const AnsiString& fileName, Word mode) : THandleStream(-1), FFileName(fileName) {
  static constexpr DWORD kAccess[4] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, GENERIC_READ};
  static constexpr DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const bool create = (mode & fmCreate) == fmCreate;
  // A sharing value beyond the table shares nothing rather than reading past it.
  const unsigned sharing = (mode & 0xF0) >> 4;
  const DWORD share = sharing < 5 ? kShare[sharing] : 0;
  const DWORD access = create ? GENERIC_READ | GENERIC_WRITE : kAccess[mode & 3];
  FFile = CreateFileA(fileName.c_str(), access, share, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FFile == INVALID_HANDLE_VALUE) {
    const AnsiString reason = SysErrorMessage(GetLastError());
    if (create) throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
  }
  FHandle = platform::FileDescriptorOf(FFile);
}

TFileStream::~TFileStream() {
  if (FFile != nullptr && FFile != INVALID_HANDLE_VALUE) CloseHandle(FFile);
}
