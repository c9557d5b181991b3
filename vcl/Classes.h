#pragma once

// Byte streams of the class library: the abstract TStream with its helpers, memory and string
// streams, and handle/file streams over POSIX file descriptors. A stream is used by one thread
// at a time. Failures raise the rtl's stream exceptions (EReadError, EWriteError, EFOpenError,
// EFCreateError) with a message that names the operation and, for files, the file.

#include <cstdint>
#include <string>

#include "platform/kernel/WinTypes.h"
#include "rtl/Exceptions.h"
#include "rtl/SysTypes.h"

// Seek origins.
constexpr Word soFromBeginning = 0;
constexpr Word soFromCurrent = 1;
constexpr Word soFromEnd = 2;

// File stream modes: one open mode or'ed with one share mode.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes; returns the number read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes up to count bytes; returns the number written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Moves the position; returns the new position.
  virtual int64_t Seek(int64_t offset, Word origin) = 0;

  virtual int64_t GetSize();
  virtual void SetSize(int64_t newSize);
  int64_t GetPosition() { return Seek(0, soFromCurrent); }
  void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
  int64_t Size() { return GetSize(); }
  int64_t Position() { return GetPosition(); }

  // Read or write exactly count bytes, else raise EReadError / EWriteError.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source (all of it from its start when count is 0); returns the
  // number copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a block of memory that it does not grow.
class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, Word origin) override;
  int64_t GetSize() override { return FSize; }
  void* Memory() const { return FMemory; }
  void SaveToStream(TStream& stream);

 protected:
  void SetPointer(void* memory, int64_t size);

  void* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// A growing memory stream that owns its block.
class TMemoryStream : public TCustomMemoryStream {
 public:
  ~TMemoryStream() override;
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t newSize) override;
  void Clear();
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);

 private:
  void SetCapacity(int64_t capacity);
  int64_t FCapacity = 0;
};

// A stream over a byte string (UTF-8 text, or any bytes).
class TStringStream : public TStream {
 public:
  explicit TStringStream(RawByteString data = {}) : FDataString(std::move(data)) {}
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, Word origin) override;
  int64_t GetSize() override { return static_cast<int64_t>(FDataString.size()); }
  void SetSize(int64_t newSize) override;
  const RawByteString& DataString() const { return FDataString; }

 private:
  RawByteString FDataString;
  int64_t FPosition = 0;
};

// A stream over an open file descriptor, which it does not close.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : FHandle(handle) {}
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, Word origin) override;
  void SetSize(int64_t newSize) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

// A file opened by name (UTF-8 path) through the kernel's CreateFile, so share modes hold
// against every other open in the program and names resolve the kernel's way. fmCreate
// creates or empties the file with read and write access; other modes open an existing file
// with the access of the low two bits. The share bits (fmShareExclusive ... fmShareDenyNone)
// give the sharing; fmShareCompat, bare fmCreate included, shares nothing.
class TFileStream : public THandleStream {
 public:
  // Raises EFCreateError "Cannot create file "<name>". <system text>" or EFOpenError
  // "Cannot open file "<name>". <system text>".
  TFileStream(const AnsiString& fileName, Word mode);
  ~TFileStream() override;
  const AnsiString& FileName() const { return FFileName; }

 private:
  HANDLE FFile = nullptr;
  AnsiString FFileName;
};
