#include "platform/kernel/KernelObject.h"

#include "platform/kernel/WinError.h"

namespace platform::detail {

HandleTable<KernelObject>& KernelHandles() {
  static HandleTable<KernelObject> table(handle_tags::kKernel);
  return table;
}

}  // namespace platform::detail

BOOL CloseHandle(HANDLE handle) {
  auto object = platform::detail::KernelHandles().Remove(reinterpret_cast<uintptr_t>(handle));
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->OnClose();
  return TRUE;
}
