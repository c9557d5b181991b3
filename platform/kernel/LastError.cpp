#include "platform/kernel/WinError.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
thread_local std::string lastErrorDetail;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) {
  lastError = code;
  lastErrorDetail.clear();
}

namespace platform::detail {

void SetLastErrorWithDetail(DWORD code, std::string detail) {
  lastError = code;
  lastErrorDetail = std::move(detail);
}

std::string LastErrorDetail() { return lastErrorDetail; }

}  // namespace platform::detail
