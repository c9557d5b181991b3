#pragma once

// Files and folders of the kernel layer: CreateFile with Windows' access, share modes and
// dispositions, reading and writing, file pointers and sizes, attributes and times, moving,
// copying and deleting, folders, temporary files, the current folder and module paths.
//
// "A" functions take UTF-8, "W" functions UTF-16. Paths go through platform::detail::
// ResolvePath ("\" accepted, case-insensitive where the exact name is missing). Share modes
// hold across descriptors and processes: each open takes open-file-description locks on
// marker bytes far beyond any real data, one per "opened for read/write/delete" and one per
// "denies read/write/delete", so a second open that Windows would refuse fails with
// ERROR_SHARING_VIOLATION. Every call may come from any thread.

#include <string>

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/WinError.h"
#include "platform/kernel/WinTypes.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD FILE_READ_DATA = 0x0001;
constexpr DWORD FILE_WRITE_DATA = 0x0002;
constexpr DWORD FILE_APPEND_DATA = 0x0004;
constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;
constexpr DWORD DELETE = 0x00010000;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  union {
    struct {
      DWORD Offset;
      DWORD OffsetHigh;
    };
    PVOID Pointer;
  };
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == 36);

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// overlapped, when given, names the file offset of a synchronous transfer (the handle's
// position is left alone).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL FlushFileBuffers(HANDLE file);
// The creation time is the file's birth time where the file system keeps one, else its
// change time; it cannot be set (SetFileTime ignores it). A null or zero FILETIME leaves
// that time unchanged.
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);

BOOL DeleteFileW(LPCWSTR fileName);
BOOL DeleteFileA(LPCSTR fileName);
BOOL MoveFileW(LPCWSTR existing, LPCWSTR newName);
BOOL MoveFileA(LPCSTR existing, LPCSTR newName);
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags);
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
BOOL CopyFileW(LPCWSTR existing, LPCWSTR newName, BOOL failIfExists);
BOOL CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL RemoveDirectoryA(LPCSTR path);

// DIRECTORY for folders, READONLY when no one may write the file, HIDDEN for names starting
// with a dot, NORMAL when none of these applies.
DWORD GetFileAttributesW(LPCWSTR fileName);
DWORD GetFileAttributesA(LPCSTR fileName);
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information);
BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, LPVOID information);
// Only READONLY has an effect: it removes every write permission; clearing it gives the
// owner write permission back.
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes);
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);

// TMPDIR when it names a folder, else /tmp; with a trailing delimiter.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
// path + the first three characters of prefix + the unique number in hex + ".tmp"; the
// buffer holds MAX_PATH characters. unique 0 picks an unused number and creates the file.
UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefix, UINT unique, LPWSTR tempFileName);
UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName);

// Module 0 is the executable; when BRANTWELL_PROGRAM_DIR points the program folder
// elsewhere (tests), it is the executable's name inside that folder, so that paths derived
// from it reach the program's data.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR path);
BOOL SetCurrentDirectoryA(LPCSTR path);
// Joins a relative name to the current folder and removes "." and ".." components; the file
// system is not consulted.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);
// Any path on the file system (a null path: the current folder's).
BOOL GetDiskFreeSpaceExW(LPCWSTR path, ULARGE_INTEGER* freeBytesAvailableToCaller, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes);
BOOL GetDiskFreeSpaceExA(LPCSTR path, ULARGE_INTEGER* freeBytesAvailableToCaller, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes);

namespace platform {

// The POSIX descriptor behind a file handle from CreateFile, for code that hands the open file
// to a POSIX or C library call (read, write, fstat, mmap ...). The handle keeps owning the
// descriptor: do not close it, and do not use it after CloseHandle. -1 when the handle is not
// an open file (stale, INVALID_HANDLE_VALUE, or another kind of kernel object). Any thread.
int FileDescriptorOf(HANDLE file);

}  // namespace platform

namespace platform::detail {

// A file opened by CreateFile. Owns its descriptor; the share-mode locks go with it.
class FileObject : public KernelObject {
 public:
  FileObject(int descriptor, bool canRead, bool canWrite, std::string path)
      : m_descriptor(descriptor), m_canRead(canRead), m_canWrite(canWrite), m_path(std::move(path)) {}
  ~FileObject() override;
  int Descriptor() const { return m_descriptor; }
  bool CanRead() const { return m_canRead; }
  bool CanWrite() const { return m_canWrite; }
  const std::string& Path() const { return m_path; }

 private:
  int m_descriptor;
  bool m_canRead;
  bool m_canWrite;
  std::string m_path;
};

// The UTF-8 core of CreateFileA/W.
HANDLE CreateFileUtf8(const std::string& fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                      DWORD flagsAndAttributes);

// Seconds and nanoseconds since 1970 (UTC) to a FILETIME and back.
FILETIME FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
void UnixFromFileTime(const FILETIME& time, int64_t& seconds, int64_t& nanoseconds);

// Attributes of a stat record for the entry named name.
DWORD AttributesOf(unsigned mode, const std::string& name);

// True when an open of the file refuses deletion (opened without FILE_SHARE_DELETE).
bool DeleteIsDenied(const std::string& resolvedPath);

}  // namespace platform::detail
