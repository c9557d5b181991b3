#include "platform/kernel/ProcessToken.h"

#include <functional>
#include <string>

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/WinError.h"

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

class ProcessTokenObject : public platform::detail::KernelObject {};

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

BOOL OpenProcessToken(HANDLE process, DWORD /*desiredAccess*/, HANDLE* token) {
  if (!token) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (process != kCurrentProcess) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = platform::detail::AddKernelObject(std::make_shared<ProcessTokenObject>());
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL LookupPrivilegeValueA(LPCSTR /*systemName*/, LPCSTR name, LUID* luid) {
  if (!name || !*name || !luid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const size_t hash = std::hash<std::string>{}(name);
  luid->LowPart = static_cast<DWORD>(hash);
  luid->HighPart = 0;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL /*disableAll*/, TOKEN_PRIVILEGES* /*newState*/, DWORD bufferLength,
                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength) {
  if (!platform::detail::GetKernelObject<ProcessTokenObject>(token)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (previousState) {
    if (bufferLength < sizeof(DWORD)) {
      if (returnLength) *returnLength = sizeof(DWORD);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    previousState->PrivilegeCount = 0;
  }
  if (returnLength) *returnLength = previousState ? sizeof(DWORD) : 0;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
