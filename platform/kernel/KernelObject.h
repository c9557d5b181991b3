#pragma once

// The kernel handle space: every object that CloseHandle closes (files, find searches,
// threads, events, mutexes, semaphores) derives from KernelObject and lives in one table.

#include <memory>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinTypes.h"

namespace platform::detail {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Called when the last handle to the object is closed (the object may live on while a
  // lookup still holds it).
  virtual void OnClose() {}
};

HandleTable<KernelObject>& KernelHandles();

inline HANDLE AddKernelObject(std::shared_ptr<KernelObject> object) {
  return reinterpret_cast<HANDLE>(KernelHandles().Add(std::move(object)));
}

// The object behind a handle when it is of type T; nullptr otherwise.
template <typename T>
std::shared_ptr<T> GetKernelObject(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(KernelHandles().Get(reinterpret_cast<uintptr_t>(handle)));
}

}  // namespace platform::detail

// Closes any kernel handle; ERROR_INVALID_HANDLE for a stale or unknown one.
BOOL CloseHandle(HANDLE handle);
