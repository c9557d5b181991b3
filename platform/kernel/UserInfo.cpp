#include "platform/kernel/UserInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {
namespace {

std::string LoginName() {
  std::vector<char> scratch(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found && found->pw_name &&
      *found->pw_name)
    return found->pw_name;
  for (const char* variable : {"USER", "LOGNAME"}) {
    if (const char* value = std::getenv(variable); value && *value) return value;
  }
  // A process without an account still has a user: name it by its number.
  return std::to_string(geteuid());
}

template <typename Char>
BOOL UserName(Char* buffer, DWORD* size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const TextOf<Char> name = Widen<Char>(LoginName());
  if (!buffer || name.size() >= *size) {
    *size = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  CopyOrNeeded<Char>(name, buffer, *size);
  *size = static_cast<DWORD>(name.size() + 1);
  return TRUE;
}

}  // namespace
}  // namespace platform::detail

BOOL GetUserNameA(LPSTR buffer, DWORD* size) { return platform::detail::UserName(buffer, size); }
BOOL GetUserNameW(LPWSTR buffer, DWORD* size) { return platform::detail::UserName(buffer, size); }

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return platform::detail::CopyOrNeeded<char>("/", buffer, size);
}
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
  return platform::detail::CopyOrNeeded<char16_t>(u"/", buffer, size);
}
