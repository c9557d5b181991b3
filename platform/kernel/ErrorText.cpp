#include "platform/kernel/ErrorText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {

namespace {

struct SystemText {
  DWORD code;
  const char* text;
};

constexpr SystemText kSystemTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_ACCESS, "The access code is invalid."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_SEEK, "The drive cannot locate a specific area or track on the disk."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
     "The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_CANNOT_MAKE, "The directory or file cannot be created."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_OPEN_FAILED, "The system cannot open the device or file specified."},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_NOT_LOCKED, "The segment is already unlocked."},
    {ERROR_BAD_PATHNAME, "The specified path is invalid."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_ENVVAR_NOT_FOUND, "The system could not find the environment option that was entered."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_MORE_DATA, "More data is available."},
    {WAIT_TIMEOUT, "The wait operation timed out."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_NOT_OWNER, "Attempt to release mutex not owned by caller."},
    {ERROR_TOO_MANY_POSTS, "Too many posts were made to a semaphore."},
    {ERROR_MR_MID_NOT_FOUND, "The system cannot find message text for message number 0x%1 in the message file for %2."},
    {ERROR_OPERATION_ABORTED, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
    {ERROR_INVALID_FLAGS, "Invalid flags."},
    {ERROR_NO_UNICODE_TRANSLATION, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
};

const char* SystemTextOf(DWORD code) {
  for (const auto& entry : kSystemTexts) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

// Argument n (1-based) as a pointer-sized value.
using ArgumentSource = std::vector<DWORD_PTR>;

// Expands the inserts and escapes of a message text. False on a malformed insert.
bool Expand(const std::string& text, bool ignoreInserts, const ArgumentSource& arguments, bool wideStrings,
            std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '%' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char next = text[i + 1];
    if (ignoreInserts && next >= '1' && next <= '9') {
      out += c;
      continue;
    }
    ++i;
    if (next == '0') return true;  // %0 ends the text without a line break
    if (next == 'n') { out += "\r\n"; continue; }
    if (next == 'r') { out += '\r'; continue; }
    if (next == 't') { out += '\t'; continue; }
    if (next == 'b') { out += ' '; continue; }
    if (next < '1' || next > '9') { out += next; continue; }  // %% %. %! and the like
    size_t number = static_cast<size_t>(next - '0');
    if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') number = number * 10 + (text[++i] - '0');
    std::string format = "s";
    if (i + 1 < text.size() && text[i + 1] == '!') {
      const auto close = text.find('!', i + 2);
      if (close == std::string::npos) return false;
      format = text.substr(i + 2, close - i - 2);
      i = close;
    }
    if (number > arguments.size()) return false;
    const DWORD_PTR value = arguments[number - 1];
    const char kind = format.empty() ? 's' : format.back();
    if (kind == 's' || kind == 'S') {
      if (!value) continue;
      const bool wide = (kind == 'S') != wideStrings;
      out += wide ? Utf16ToUtf8(reinterpret_cast<const char16_t*>(value)) : std::string(reinterpret_cast<const char*>(value));
    } else {
      char formatted[64];
      const std::string conversion = "%" + format.substr(0, format.size() - 1);
      if (kind == 'd' || kind == 'i') std::snprintf(formatted, sizeof formatted, (conversion + "d").c_str(), static_cast<int>(value));
      else if (kind == 'u') std::snprintf(formatted, sizeof formatted, (conversion + "u").c_str(), static_cast<unsigned>(value));
      else if (kind == 'x' || kind == 'X') std::snprintf(formatted, sizeof formatted, (conversion + kind).c_str(), static_cast<unsigned>(value));
      else return false;
      out += formatted;
    }
  }
  return true;
}

size_t HighestInsert(const std::string& text) {
  size_t highest = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == '%') { ++i; continue; }
    if (text[i + 1] < '1' || text[i + 1] > '9') continue;
    size_t number = static_cast<size_t>(text[i + 1] - '0');
    if (i + 2 < text.size() && text[i + 2] >= '0' && text[i + 2] <= '9') number = number * 10 + (text[i + 2] - '0');
    highest = std::max(highest, number);
  }
  return highest;
}

template <typename Char>
DWORD FormatMessageImpl(DWORD flags, LPCVOID source, DWORD messageId, Char* buffer, DWORD size, va_list* arguments) {
  std::string text;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (!source) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    text = Narrow(static_cast<const Char*>(source));
  } else if (flags & FORMAT_MESSAGE_FROM_SYSTEM) {
    const char* system = SystemTextOf(messageId);
    const std::string detail = messageId == GetLastError() ? LastErrorDetail() : std::string();
    if (!system && detail.empty()) {
      SetLastError(ERROR_MR_MID_NOT_FOUND);
      return 0;
    }
    text = system ? system : "";
    if (!detail.empty()) text += (text.empty() ? "" : " ") + detail;
    text += "%n";
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);  // Message tables of modules are not kept.
    return 0;
  }

  const bool ignoreInserts = flags & FORMAT_MESSAGE_IGNORE_INSERTS;
  ArgumentSource values;
  const size_t needed = ignoreInserts ? 0 : HighestInsert(text);
  if (needed > 0) {
    if (!arguments) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) {
      const auto* array = reinterpret_cast<const DWORD_PTR*>(arguments);
      values.assign(array, array + needed);
    } else {
      va_list copy;
      va_copy(copy, *arguments);
      for (size_t i = 0; i < needed; ++i) values.push_back(va_arg(copy, DWORD_PTR));
      va_end(copy);
    }
  }
  std::string expanded;
  if (!Expand(text, ignoreInserts, values, sizeof(Char) == 2, expanded)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const TextOf<Char> result = Widen<Char>(expanded);
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    if (!buffer) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    const size_t units = std::max<size_t>(result.size() + 1, size);
    auto* memory = static_cast<Char*>(LocalAlloc(LPTR, units * sizeof(Char)));
    if (!memory) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::copy(result.begin(), result.end(), memory);
    *reinterpret_cast<Char**>(buffer) = memory;
  } else {
    if (!buffer || result.size() + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::copy(result.begin(), result.end(), buffer);
    buffer[result.size()] = 0;
  }
  return static_cast<DWORD>(result.size());
}

}  // namespace

}  // namespace platform::detail

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  void* memory = (flags & LMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!memory) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return memory;
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list* arguments) {
  return platform::detail::FormatMessageImpl<char>(flags, source, messageId, buffer, size, arguments);
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, va_list* arguments) {
  return platform::detail::FormatMessageImpl<char16_t>(flags, source, messageId, buffer, size, arguments);
}
